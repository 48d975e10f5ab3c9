#pragma once
// What the compliance tests set up on the machine, restored afterwards: the agent's
// registry values, its mutex, and scratch exchange directories; and a scripted agent that
// acts in the pauses of an exchange, which run in virtual time.
#include "compliance/Registry.h"
#include "files/FileLocation.h"
#include "files/Sleeper.h"
#include "files/tests/ScratchDirectory.h"
#include "text/UniqueResource.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Sets registry values under HKEY_LOCAL_MACHINE, in one registry view, for the test's
// lifetime and puts back what was there before.
class RegistryValues {
public:
    explicit RegistryValues(RegistryView view = RegistryView::Own) : view_(view) {}
    RegistryValues(const RegistryValues&) = delete;
    RegistryValues& operator=(const RegistryValues&) = delete;
    ~RegistryValues();

    void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value);
    void SetDword(const wchar_t* key, const wchar_t* name, DWORD value);
    void Remove(const wchar_t* key, const wchar_t* name);

private:
    struct Saved {
        std::wstring key, name;
        std::optional<std::vector<BYTE>> data;
        DWORD type = 0;
    };
    void Save(const wchar_t* key, const wchar_t* name);
    RegistryView view_;
    std::vector<Saved> saved_;
};

void WriteRaw(const FileLocation& location, std::string_view bytes);

// A well-formed response document.
std::string ResponseDocument(std::string_view type, std::string_view body = {});
std::string ProgressResponse(int state, std::string_view more = {});

// The agent's side: registry values (in the process's own registry view; the other view
// holds none of them), the running mutex, the two directories.
class AgentEnvironment : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The request the agent would find, or nothing.
    std::optional<std::string> PendingRequest() const;
    // Takes the request as the agent does: reads and removes it.
    std::string TakeRequest();
    void Answer(std::string_view document);
    void StopAgent() { agentMutex_.Reset(); }

    ScratchDirectory scratch_;
    RegistryValues registry_;
    RegistryValues otherView_{RegistryView::Other};
    FileLocation requestDir_, responseDir_;
    FileLocation requestFile_, responseFile_;
    UniqueHandle agentMutex_;
};

// Pauses in virtual time; step k (1-based) of the script runs during the k-th pause. The
// clock is the sum of the pauses; a stop, when asked for, comes at `stopAt` on it.
class ScriptedAgent final : public Sleeper {
public:
    ScriptedAgent() : scope_(*this) {}
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t Now() override { return now_; }
    bool SleepUnlessStopped(std::uint32_t milliseconds) override;
    bool StopRequested() override { return stopAt && now_ >= *stopAt; }
    // One pause (one step of the script), as long as it lasted: cut short where `ended` said so.
    Watched SleepWatching(std::uint32_t milliseconds, bool stoppable, const std::function<bool()>& ended,
                          std::uint32_t every) override;

    // Actions for the coming pauses, in order (a pause beyond the script does nothing).
    ScriptedAgent& Then(std::function<void()> action)
    {
        script_.push_back(std::move(action));
        return *this;
    }
    // An action for the very next pause, whatever the script held before it.
    void Next(std::function<void()> action)
    {
        script_.resize(pauses.size());
        script_.push_back(std::move(action));
    }

    std::vector<std::uint32_t> pauses;
    std::optional<std::uint64_t> stopAt;
    // Runs in every pause, after the script's step for it: an agent that reacts to what it finds.
    std::function<void()> always;

private:
    std::uint64_t now_ = 0;
    std::vector<std::function<void()>> script_;
    ScopedSleeper scope_;
};
