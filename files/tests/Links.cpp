#include "files/tests/Links.h"

#include "files/tests/ScratchDirectory.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <stdexcept>
#include <string>

namespace {

// Where Wine keeps a Windows path on the Unix side, or nothing outside Wine.
std::string UnixPath(const std::wstring& path)
{
    using Convert = char* (*)(const wchar_t*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* unix = convert(path.c_str());
    if (!unix)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts a Unix program (Wine starts one given by its Unix path) and waits until `done`
// says it has done its work: the handle Wine gives back for it does not tell its end.
template <class Done>
void RunUnix(const std::string& command, Done done)
{
    std::wstring line = Wide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot run " + command);
    // For a Unix program Wine may give no process handle, and may leave the thread field
    // holding whatever it held, a value that can be another handle of ours (the agent's
    // mutex, say): only a handle that is what it claims to be is closed.
    const UniqueHandle process(info.hProcess && GetProcessId(info.hProcess) != 0 ? info.hProcess : nullptr);
    const UniqueHandle thread(info.hThread && GetThreadId(info.hThread) != 0 ? info.hThread : nullptr);
    for (int waited = 0; waited < 30000 && !done(); waited += 10)
        Sleep(10);
}

// Wine hands a Unix program its arguments as the Windows runtime would split them.
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

void MakeSymbolicLink(const FileLocation& link, const FileLocation& target)
{
    const DWORD kind = target.Attributes() != INVALID_FILE_ATTRIBUTES && target.IsDirectory()
                           ? SYMBOLIC_LINK_FLAG_DIRECTORY
                           : 0;
    if (CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), kind) &&
        link.Attributes() != INVALID_FILE_ATTRIBUTES)
        return;
    const std::string from = UnixPath(Wide(link)), to = UnixPath(Wide(target));
    if (from.empty() || to.empty())
        throw std::runtime_error("no symbolic link can be made here");
    RunUnix("/bin/ln -s " + Quoted(to) + " " + Quoted(from),
            [&] { return link.Attributes() != INVALID_FILE_ATTRIBUTES; });
    if (link.Attributes() == INVALID_FILE_ATTRIBUTES)
        throw std::runtime_error("the symbolic link was not made");
}

void RemoveSymbolicLink(const FileLocation& link)
{
    const std::string path = UnixPath(Wide(link));
    if (!path.empty()) {
        // Listed until it is gone, even when what it pointed to is gone already.
        RunUnix("/bin/rm -f " + Quoted(path), [&] {
            WIN32_FIND_DATAW data;
            return !UniqueFind(FindFirstFileW(Wide(link).c_str(), &data)).Valid();
        });
        return;
    }
    if (!RemoveDirectoryW(Wide(link).c_str()))
        DeleteFileW(Wide(link).c_str());
}

bool RemoveTreeOnTheUnixSide(const std::wstring& path)
{
    const std::string unix = UnixPath(path);
    if (unix.empty())
        return false;
    RunUnix("/bin/rm -rf " + Quoted(unix), [&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; });
    return true;
}

void MakeHardLink(const FileLocation& link, const FileLocation& target)
{
    if (!CreateHardLinkW(Wide(link).c_str(), Wide(target).c_str(), nullptr))
        throw std::runtime_error("cannot make a hard link");
}
