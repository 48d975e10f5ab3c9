// The library's entry points: the object map, class objects, unloading and self-registration.
#include "com/ClassFactory.h"
#include "com/EntryPoint.h"
#include "com/EvaluationObject.h"
#include "com/Module.h"
#include "com/OwnTypeLibrary.h"
#include "com/Registrar.h"
#include "com/ResourceIds.h"
#include "com/SessionObject.h"
#include "text/ComResource.h"

#include <oleauto.h>

#include <mutex>
#include <new>
#include <vector>

namespace {

struct ObjectMapEntry {
    const CLSID& clsid;
    WORD script;  // resource of type "REGISTRY"
    CreateFunction create;
    ClassFactory* factory;  // created on first request, kept to unload
};

ObjectMapEntry objectMap[] = {
    {CLSID_Progress, VERIMARK_REGISTRY_PROGRESS, &CProgress::Create<CProgress>, nullptr},
    {CLSID_Response, VERIMARK_REGISTRY_RESPONSE, &CResponse::Create<CResponse>, nullptr},
    {CLSID_Session, VERIMARK_REGISTRY_SESSION, &CSession::Create<CSession>, nullptr},
    {CLSID_Evaluation, VERIMARK_REGISTRY_EVALUATION, &CEvaluation::Create<CEvaluation>, nullptr},
};

std::mutex factoryMutex;
bool initialised = false;

// The registry script of an entry, as UTF-16 text.
HRESULT LoadScript(const std::wstring& path, WORD id, std::wstring& script)
{
    UniqueModule data(
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!data)
        data.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!data)
        return HRESULT_FROM_WIN32(GetLastError());
    HRSRC found = FindResourceW(data.Get(), MAKEINTRESOURCEW(id), L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(data.Get(), found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(data.Get(), found) : 0;
    if (!bytes)
        return HRESULT_FROM_WIN32(GetLastError());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    script.assign(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), script.data(), units);
    return S_OK;
}

HRESULT RunScript(WORD id, bool registering)
{
    std::wstring path, script;
    HRESULT hr = Module::FileName(path);
    if (FAILED(hr))
        return hr;
    // Doubled single quotes survive the script's quoting as one.
    std::wstring escaped;
    for (wchar_t c : path) {
        escaped += c;
        if (c == L'\'')
            escaped += c;
    }
    if (escaped.size() > 520)
        return E_FAIL;
    if (FAILED(hr = LoadScript(path, id, script)))
        return hr;
    Registrar registrar;
    registrar.AddReplacement(L"Module", escaped);
    registrar.AddReplacement(L"Module_Raw", escaped);
    return registrar.Run(script, registering);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module::Attach(instance);
        initialised = true;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // The process is ending (reserved is not null): other libraries may be gone and
        // other threads stopped holding locks. Release nothing, call nowhere; the system
        // takes everything back. Only a real unload releases.
        if (reserved)
            return TRUE;
        for (ObjectMapEntry& entry : objectMap) {
            const UniqueInterface<ClassFactory> released(std::exchange(entry.factory, nullptr));
        }
        Module::Detach();
        initialised = false;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return Module::LockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return GuardedExport([&] {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!initialised)
            return E_UNEXPECTED;
        for (ObjectMapEntry& entry : objectMap) {
            if (!IsEqualCLSID(clsid, entry.clsid))
                continue;
            {
                std::lock_guard lock(factoryMutex);
                if (!entry.factory)
                    entry.factory = new (std::nothrow) ClassFactory(entry.create);
                if (!entry.factory)
                    return E_OUTOFMEMORY;
            }
            return entry.factory->QueryInterface(iid, object);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

namespace {

// Every class's script in order, stopping at the first failure; then the type library.
HRESULT RunScriptsAndLoadTypeLibrary(bool registering, UniqueInterface<ITypeLib>& library, std::wstring& path)
{
    for (const ObjectMapEntry& entry : objectMap)
        if (const HRESULT hr = RunScript(entry.script, registering); FAILED(hr))
            return hr;
    return LoadOwnTypeLibrary(library.Put(), &path);
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return GuardedExport([] {
        UniqueInterface<ITypeLib> library;
        std::wstring path;
        if (const HRESULT hr = RunScriptsAndLoadTypeLibrary(true, library, path); FAILED(hr))
            return hr;
        UniqueBstr helpFile;
        std::wstring helpDirectory;
        if (SUCCEEDED(library.Get()->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Put())) && helpFile) {
            helpDirectory.assign(helpFile.Get(), SysStringLen(helpFile.Get()));
            const std::size_t cut = helpDirectory.find_last_of(L"\\/:");
            helpDirectory.erase(cut == std::wstring::npos ? 0 : cut + 1);
        }
        return RegisterTypeLib(library.Get(), path.data(), helpDirectory.empty() ? nullptr : helpDirectory.data());
    });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return GuardedExport([] {
        UniqueInterface<ITypeLib> library;
        std::wstring path;
        HRESULT hr = RunScriptsAndLoadTypeLibrary(false, library, path);
        if (FAILED(hr))
            return hr;
        LibraryAttributes attributes(library.Get());
        if (SUCCEEDED(hr = library.Get()->GetLibAttr(attributes.Put())))
            hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                   attributes->lcid, attributes->syskind);
        return hr;
    });
}
