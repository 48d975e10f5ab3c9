#include "errors/DebuggableException.h"

#include "text/CodePageConversion.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <typeindex>

const char* ReadableTypeName(const std::type_info& type) noexcept
{
    static std::mutex mutex;
    static std::map<std::type_index, std::string>* names = nullptr;
    try {
        std::lock_guard lock(mutex);
        if (!names)
            names = new std::map<std::type_index, std::string>;  // kept to process exit
        auto found = names->find(type);
        if (found == names->end()) {
            int status = 0;
            char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
            std::string name = status == 0 && demangled ? demangled : type.name();
            std::free(demangled);
            found = names->emplace(type, std::move(name)).first;
        }
        return found->second.c_str();
    } catch (...) {
        return type.name();
    }
}

const char* DebuggableException::what() const noexcept
{
    return ReadableTypeName(typeid(*this));
}

const char* DebuggableException::DescriptionWhat(std::string& kept) const noexcept
{
    return KeptWhat(kept, [this] { return std::string(ConvertUTF8ToACP(Description()).StringView()); });
}

// Not through what(): subclasses build what() from Description.
U8String DebuggableException::Description() const
{
    return U8String(ReadableTypeName(typeid(*this)));
}
