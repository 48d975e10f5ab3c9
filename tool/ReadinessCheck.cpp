#include "tool/ReadinessCheck.h"

#include "compliance/AgentChecks.h"
#include "compliance/ComplianceLock.h"
#include "compliance/Registry.h"
#include "compliance/ResultCodes.h"
#include "compliance/SecuritySource.h"
#include "errors/WindowsError.h"
#include "files/DirectoryAccess.h"
#include "files/LocalPath.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "run/JsonReport.h"
#include "run/JsonWriter.h"
#include "run/Outcome.h"

#include <optional>

#ifndef VERIMARK_VERSION
#error "the build defines VERIMARK_VERSION"
#endif

namespace {

namespace R = ComplianceResult;

const char* ViewName(RegistryView view)
{
    return view == RegistryView::Own ? (sizeof(void*) == 8 ? "the 64-bit view" : "the 32-bit view")
                                     : (sizeof(void*) == 8 ? "the 32-bit view" : "the 64-bit view");
}

// Who other than the accounts a run trusts may change what the directory holds, as a run
// reads it (compliance/AgentChecks.h); nothing when its permissions cannot be read.
std::optional<std::optional<OtherWriter>> OthersMayWrite(const std::wstring& path)
{
    // The directory's own entry, not what a link leads to.
    const UniqueFile directory(CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!directory)
        return std::nullopt;
    SecuritySource& security = CurrentSecuritySource();
    try {
        return FirstOtherWriter(security.DescriptorOf(directory.Get()), security.ProcessUser());
    } catch (const Windows::Error&) {
        return std::nullopt;
    }
}

struct Look {
    ReadinessReport report;
    bool settled = false;  // the status is the first thing that stands in the way

    bool failing = false;  // what stands in the way was found: the next line says it

    void Line(std::string text)
    {
        report.lines.push_back(std::move(text));
        report.passed.push_back(!failing);
        failing = false;
    }
    void Stop(ExitStatus status)
    {
        failing = true;
        if (!settled) {
            report.status = status;
            settled = true;
        }
    }
};

void LookAtDirectory(Look& look, const char* label, const wchar_t* value)
{
    const RegistryString read = ReadRegistryStringWithView(ApiKeyPath, value);
    const std::string name = NarrowReplacing(std::wstring_view(value));
    if (!read.text || read.text->Empty()) {
        look.Stop(ExitStatus::NotInstalled);
        look.Line(std::string(label) + ": not configured (no \"" + name + "\" under HKLM\\SOFTWARE\\Quorlan\\VerimarkAPI)");
        return;
    }
    const std::string path(read.text->StringView());
    if (const char* why = WhyNotAbsoluteLocalPath(*read.text)) {
        look.Stop(ExitStatus::NotInstalled);
        look.Line(std::string(label) + ": \"" + path + "\" cannot be used: " + why);
        return;
    }
    const CopiedU16String wide = TranscodeU8ToU16(*read.text);
    const std::wstring widePath(wide.StringView());
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    std::string what;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        what = "not there yet (a run makes it, with permissions of its own)";
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        what = "a file, not a directory: a run cannot use it";
        look.Stop(ExitStatus::NotInstalled);
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        what = "a link or a mount point: a run refuses it";
        look.Stop(ExitStatus::NotInstalled);
    } else {
        const std::optional<std::optional<OtherWriter>> others = OthersMayWrite(widePath);
        if (!others) {
            what = "a directory whose permissions cannot be read";
            if (CurrentSecuritySource().Elevated()) {
                what += ": an elevated run refuses it";
                look.Stop(ExitStatus::NotInstalled);
            }
        } else if (!*others) {
            what = "a directory that only SYSTEM, the Administrators, service accounts and this account may change";
        } else {
            what = "a directory open to others: " + (*others)->principal + " may " + (*others)->right;
            if (CurrentSecuritySource().Elevated()) {
                what += "; an elevated run refuses it";
                look.Stop(ExitStatus::NotInstalled);
            } else {
                what += "; a run goes on, and warns that what it reads there may not come from the agent";
                look.failing = true;
            }
        }
    }
    look.Line(std::string(label) + ": " + path + " (" + ViewName(*read.view) + "): " + what);
}

}  // namespace

ReadinessReport CheckReadiness()
{
    Look look;
    look.report.checked = UtcNow();
    // The lock first, as Open takes it: held only for the look.
    {
        ComplianceLock lock;
        if (lock.Acquire()) {
            look.Line("Lock: free (no other compliance session runs on this machine)");
            lock.Release();
        } else {
            look.Stop(ExitStatus::Busy);
            look.Line("Lock: held by another compliance session on this machine");
        }
    }
    const RegistryString version = ReadRegistryStringWithView(ClientKeyPath, L"Version");
    switch (CheckAgentVersion()) {
    case R::Success:
        look.Line("Agent: installed, version " + std::string(version.text->StringView()) + " (" +
                  ViewName(*version.view) + "), recent enough (4.1.8 or later is needed)");
        break;
    case R::VersionTooOld:
        look.Stop(ExitStatus::AgentTooOld);
        look.Line("Agent: version " + std::string(version.text->StringView()) + " (" + ViewName(*version.view) +
                  "), too old: 4.1.8 or later is needed");
        break;
    default:
        look.Stop(ExitStatus::NotInstalled);
        look.Line("Agent: not installed (no \"Version\" under HKLM\\Software\\Quorlan\\EnterpriseClient in either "
                  "registry view)");
        break;
    }
    if (IsAgentRunning()) {
        look.Line("Agent running: yes (its mutex exists)");
    } else {
        look.Stop(ExitStatus::AgentNotRunning);
        look.Line("Agent running: no (start TVKClient)");
    }
    LookAtDirectory(look, "Request directory", L"RequestDir");
    LookAtDirectory(look, "Response directory", L"ResponseDir");
    // A request that waits: nobody took it, and a run would be refused.
    if (const std::optional<CopiedU8String> requests = ReadRegistryString(ApiKeyPath, L"RequestDir");
        requests && !requests->Empty()) {
        const std::wstring waiting = std::wstring(TranscodeU8ToU16(*requests).StringView()) + L"\\request.xml";
        // The entry itself, not what a link leads to: its own kind and its own time.
        WIN32_FIND_DATAW data;
        if (const UniqueFind found(FindFirstFileW(waiting.c_str(), &data)); found) {
            look.Stop(ExitStatus::NoResponse);
            if (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
                look.Line("Waiting request: request.xml is a link or a folder, not a request this tool or the agent "
                          "writes: something else put it there; remove it, and find out who could");
            } else {
                const std::uint64_t age = SecondsSince(data.ftLastWriteTime).value_or(0);
                look.Line("Waiting request: request.xml has waited " + std::to_string(age) +
                          " seconds without the agent taking it (a run of this tool left it, or something else put "
                          "it there)");
            }
        } else {
            look.Line("Waiting request: none");
        }
    }
    look.failing = look.report.status != ExitStatus::Compliant;
    look.Line("A run now: status " + std::to_string(static_cast<int>(look.report.status)) +
              (look.report.status == ExitStatus::Compliant ? " (ready)" : ""));
    return look.report;
}

void WriteReadinessDocument(const ReadinessReport& report, ReportSink& sink)
{
    JsonWriter w(sink);
    w.BeginObject();
    w.Key("schemaVersion").Number(1);
    w.Key("tool").BeginObject().Key("name").Text("Verimark").Key("version").Text(VERIMARK_VERSION).EndObject();
    w.Key("host").Text(HostName());
    w.Key("checked").Text(report.checked);
    w.Key("checks").BeginArray();
    for (std::size_t i = 0; i + 1 < report.lines.size(); ++i) {
        const std::string& line = report.lines[i];
        const std::size_t colon = line.find(": ");
        w.BeginObject();
        w.Key("name").Text(line.substr(0, colon));
        w.Key("passed").Boolean(report.passed[i]);
        w.Key("words").Text(colon == std::string::npos ? line : line.substr(colon + 2));
        w.EndObject();
    }
    w.EndArray();
    w.Key("status").Number(static_cast<int>(report.status));
    w.Key("ready").Boolean(report.status == ExitStatus::Compliant);
    w.EndObject();
}
