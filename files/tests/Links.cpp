#include "files/tests/Links.h"

#include "files/tests/HostPrograms.h"
#include "files/tests/ScratchDirectory.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <stdexcept>
#include <string>

namespace {

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
    RunHostProgram("/bin/ln -s " + Quoted(to) + " " + Quoted(from),
            [&] { return link.Attributes() != INVALID_FILE_ATTRIBUTES; });
    if (link.Attributes() == INVALID_FILE_ATTRIBUTES)
        throw std::runtime_error("the symbolic link was not made");
}

void RemoveSymbolicLink(const FileLocation& link)
{
    const std::string path = UnixPath(Wide(link));
    if (!path.empty()) {
        // Listed until it is gone, even when what it pointed to is gone already.
        RunHostProgram("/bin/rm -f " + Quoted(path), [&] {
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
    RunHostProgram("/bin/rm -rf " + Quoted(unix), [&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; });
    return true;
}

void MakeHardLink(const FileLocation& link, const FileLocation& target)
{
    if (!CreateHardLinkW(Wide(link).c_str(), Wide(target).c_str(), nullptr))
        throw std::runtime_error("cannot make a hard link");
}
