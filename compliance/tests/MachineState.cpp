#include "compliance/tests/MachineState.h"

#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceSession.h"
#include "compliance/Registry.h"
#include "text/Transcoding.h"

#include <algorithm>
#include <stdexcept>

namespace {

UniqueRegistryKey CreateKey(RegistryView view, const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | RegistryViewFlag(view), nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a registry key");
    return UniqueRegistryKey(key);
}

// Deletes the value, and creates no key to do so.
void DeleteValue(RegistryView view, const wchar_t* path, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE | RegistryViewFlag(view), &key) != ERROR_SUCCESS)
        return;
    const UniqueRegistryKey owner(key);
    RegDeleteValueW(key, name);
}

}  // namespace

RegistryValues::~RegistryValues()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->data) {
            const UniqueRegistryKey key = CreateKey(view_, it->key.c_str());
            RegSetValueExW(key.Get(), it->name.c_str(), 0, it->type, it->data->data(),
                           static_cast<DWORD>(it->data->size()));
        } else {
            DeleteValue(view_, it->key.c_str(), it->name.c_str());
        }
    }
}

void RegistryValues::Save(const wchar_t* key, const wchar_t* name)
{
    Saved saved{key, name, std::nullopt, 0};
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | RegistryViewFlag(view_), &opened) == ERROR_SUCCESS) {
        const UniqueRegistryKey owner(opened);
        DWORD size = 0;
        if (RegQueryValueExW(opened, name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExW(opened, name, nullptr, &saved.type, data.data(), &size) == ERROR_SUCCESS)
                saved.data = std::move(data);
        }
    }
    saved_.push_back(std::move(saved));
}

void RegistryValues::SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value)
{
    Save(key, name);
    const UniqueRegistryKey opened = CreateKey(view_, key);
    RegSetValueExW(opened.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryValues::SetDword(const wchar_t* key, const wchar_t* name, DWORD value)
{
    Save(key, name);
    const UniqueRegistryKey opened = CreateKey(view_, key);
    RegSetValueExW(opened.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void RegistryValues::Remove(const wchar_t* key, const wchar_t* name)
{
    Save(key, name);
    DeleteValue(view_, key, name);
}

void WriteRaw(const FileLocation& location, std::string_view bytes)
{
    WriteWholeFile(location, bytes);
}

std::string ResponseDocument(std::string_view type, std::string_view body)
{
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TVKVerimarkResponse Version=\"1.0\">\r\n"
                      "\t<ResponseType>";
    doc += type;
    doc += "</ResponseType>\r\n";
    doc += body;
    doc += "</TVKVerimarkResponse>";
    return doc;
}

std::string ProgressResponse(int state, std::string_view more)
{
    std::string body = "\t<ResponseProgressState>" + std::to_string(state) + "</ResponseProgressState>\r\n";
    body += more;
    return ResponseDocument("Progress", body);
}

void AgentEnvironment::SetUp()
{
    requestDir_ = scratch_ / "requests";
    responseDir_ = scratch_ / "responses";
    requestFile_ = FileLocation::Child(requestDir_, "request.xml");
    responseFile_ = FileLocation::Child(responseDir_, "response.xml");
    registry_.SetString(ClientKeyPath, L"Version", L"4.1.8");
    registry_.SetString(ApiKeyPath, L"RequestDir", Wide(requestDir_));
    registry_.SetString(ApiKeyPath, L"ResponseDir", Wide(responseDir_));
    for (const auto& [key, name] : {std::pair{ClientKeyPath, L"Version"}, std::pair{ApiKeyPath, L"RequestDir"},
                                    std::pair{ApiKeyPath, L"ResponseDir"}})
        otherView_.Remove(key, name);
    ASSERT_TRUE(CreateDirectoryW(Wide(requestDir_).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(responseDir_).c_str(), nullptr));
    agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
    ASSERT_TRUE(agentMutex_);
    ASSERT_FALSE(ComplianceSession::Process().HoldsLock());
}

void AgentEnvironment::TearDown()
{
    // A test that fails half-way must not leave the next one a session or the lock. The
    // agent will not answer: wait in virtual time.
    ScriptedAgent silent;
    COMPLIANCE_Close();
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
}

std::optional<std::string> AgentEnvironment::PendingRequest() const
{
    if (requestFile_.Attributes() == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return ReadWholeFile(requestFile_);
}

std::string AgentEnvironment::TakeRequest()
{
    std::string request = ReadWholeFile(requestFile_);
    if (!DeleteFileW(Wide(requestFile_).c_str()))
        throw std::runtime_error("cannot take the request");
    return request;
}

void AgentEnvironment::Answer(std::string_view document)
{
    WriteRaw(responseFile_, document);
}

bool ScriptedAgent::SleepUnlessStopped(std::uint32_t milliseconds)
{
    if (StopRequested())
        return true;
    if (stopAt && now_ + milliseconds > *stopAt)
        milliseconds = static_cast<std::uint32_t>(*stopAt - now_);
    Sleep(milliseconds);
    return StopRequested();
}

Sleeper::Watched ScriptedAgent::SleepWatching(std::uint32_t milliseconds, bool stoppable,
                                              const std::function<bool()>& ended, std::uint32_t every)
{
    if (stoppable && StopRequested())
        return {0, true};
    if (stoppable && stopAt && now_ + milliseconds > *stopAt)
        milliseconds = static_cast<std::uint32_t>(*stopAt - now_);
    std::uint32_t waited = 0;
    while (waited < milliseconds) {
        waited += std::min(every == 0 ? milliseconds : every, milliseconds - waited);
        if (waited < milliseconds && ended())
            break;
    }
    Sleep(waited);
    return {waited, stoppable && StopRequested()};
}

void ScriptedAgent::Sleep(std::uint32_t milliseconds)
{
    now_ += milliseconds;
    pauses.push_back(milliseconds);
    if (pauses.size() <= script_.size() && script_[pauses.size() - 1])
        script_[pauses.size() - 1]();
    if (always)
        always();
}
