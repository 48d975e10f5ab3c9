#include "compliance/AgentChecks.h"

#include "compliance/DottedVersion.h"
#include "compliance/Registry.h"
#include "compliance/ResultCodes.h"
#include "compliance/SecuritySource.h"
#include "errors/WindowsError.h"
#include "files/DirectoryAccess.h"
#include "files/DirectorySecurity.h"
#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "files/LocalPath.h"
#include "text/UniqueResource.h"

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

std::int32_t PrepareExchangeDirectory(ExchangeDirectory which, std::optional<PinnedDirectory>& opened,
                                      std::optional<DirectoryOpenToOthers>& openToOthers)
{
    opened.reset();
    openToOthers.reset();
    const std::optional<CopiedU8String> text =
        ReadRegistryString(ApiKeyPath, which == ExchangeDirectory::Request ? L"RequestDir" : L"ResponseDir");
    if (!text || text->Empty())
        return ComplianceResult::DirectoryValueMissing;
    if (WhyNotAbsoluteLocalPath(*text))
        return ComplianceResult::DirectoryUnusable;
    const FileLocation directory(*text);
    try {
        const FileLocation parent = directory.Parent();
        if (parent.Attributes() == INVALID_FILE_ATTRIBUTES)
            return ComplianceResult::DirectoryUnusable;
        if (directory.Attributes() == INVALID_FILE_ATTRIBUTES) {
            // Held while the child is made, so that no link can take the parent's place.
            const PinnedDirectory pinnedParent(parent);
            ProtectedDirectorySecurity security;
            try {
                MakeDirectory(directory, security.Attributes());
            } catch (const FilePermissionError&) {
                return ComplianceResult::DirectoryRefused;
            }
        }
        opened.emplace(directory);
        SecuritySource& security = CurrentSecuritySource();
        const bool elevated = security.Elevated();
        std::optional<OtherWriter> writer;
        try {
            writer = FirstOtherWriter(security.DescriptorOf(opened->Handle()), security.ProcessUser());
        } catch (const Windows::Error&) {
            if (elevated)
                throw;  // what cannot be read cannot be relied on
        }
        if (writer) {
            openToOthers = DirectoryOpenToOthers{which, std::string(text->StringView()), std::move(*writer)};
            if (elevated) {
                opened.reset();
                return ComplianceResult::DirectoryOpenToOthers;
            }
        }
    } catch (const FileIOError&) {
        // A link, a file by that name, a path through a file, a directory that cannot be
        // opened: nothing there can be worked in safely.
        opened.reset();
        return ComplianceResult::DirectoryUnusable;
    } catch (const Windows::Error&) {
        // Its permissions or the process's identity could not be told.
        opened.reset();
        return ComplianceResult::DirectoryUnusable;
    }
    return ComplianceResult::Success;
}
