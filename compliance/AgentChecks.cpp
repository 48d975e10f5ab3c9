#include "compliance/AgentChecks.h"

#include "compliance/DottedVersion.h"
#include "compliance/Registry.h"
#include "compliance/ResultCodes.h"
#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "text/UniqueResource.h"

#include <mutex>

namespace {

struct OperatingSystem {
    OSVERSIONINFOW version{};
    bool isNT = false;
};

const OperatingSystem& System()
{
    static const OperatingSystem system = [] {
        OperatingSystem s;
        s.version.dwOSVersionInfoSize = sizeof s.version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        s.isNT = GetVersionExW(&s.version) && s.version.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
        return s;
    }();
    return system;
}

}  // namespace

bool IsAgentRunning()
{
    const OperatingSystem& system = System();
    const wchar_t* name = system.isNT && system.version.dwMajorVersion > 4 ? L"Global\\One Quorlan TVKClient At A Time"
                                                                          : L"One Quorlan TVKClient At A Time";
    const UniqueHandle mutex(OpenMutexW(READ_CONTROL, FALSE, name));
    if (mutex)
        return true;
    return GetLastError() != ERROR_FILE_NOT_FOUND;
}

std::int32_t CheckAgentVersion()
{
    const std::optional<CopiedU8String> text = ReadRegistryString(ClientKeyPath, L"Version");
    if (!text || text->Empty())
        return ComplianceResult::VersionMissing;
    return VersionAtLeast(MinimumAgentVersion, ParseDottedVersion(text->StringView())) ? ComplianceResult::Success
                                                                                       : ComplianceResult::VersionTooOld;
}

bool HaveExchangeDirectories()
{
    return RegistryValueExists(ApiKeyPath, L"RequestDir") && RegistryValueExists(ApiKeyPath, L"ResponseDir");
}

std::int32_t PrepareExchangeDirectory(ExchangeDirectory which)
{
    const std::optional<CopiedU8String> text =
        ReadRegistryString(ApiKeyPath, which == ExchangeDirectory::Request ? L"RequestDir" : L"ResponseDir");
    if (!text || text->Empty())
        return ComplianceResult::DirectoryValueMissing;
    const FileLocation directory(*text);
    try {
        if (directory.IsRoot())
            return directory.Attributes() == INVALID_FILE_ATTRIBUTES ? ComplianceResult::DirectoryUnusable
                                                                     : ComplianceResult::Success;
        if (directory.Parent().Attributes() == INVALID_FILE_ATTRIBUTES)
            return ComplianceResult::DirectoryUnusable;
        MakeDirectory(directory);
    } catch (const FilePermissionError&) {
        return ComplianceResult::DirectoryRefused;
    } catch (const FileIOError&) {
        // A relative name without a parent, a path through a file, a name that exists as a
        // file: nothing usable as a directory can be made there.
        return ComplianceResult::DirectoryUnusable;
    }
    return ComplianceResult::Success;
}
