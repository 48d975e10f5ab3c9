#include "agent/ExchangeLoop.h"

#include "agent/AnswerFiles.h"
#include "text/Transcoding.h"

#include <chrono>

namespace {

std::uint64_t Now()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::optional<int> ParseRunOptions(Arguments& args, RunOptions& options)
{
    while (args.More()) {
        const std::wstring option = args.Next();
        if (!args.More())
            return Fail("option " + Narrow(option) + " needs a value");
        const std::string value = Narrow(args.Next());
        if (option == L"--data") {
            options.data = value;
        } else if (option == L"--check-interval") {
            if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos)
                return Fail("--check-interval takes milliseconds");
            options.interval = static_cast<std::uint32_t>(std::stoul(value));
        } else if (option == L"--keep-answers") {
            options.keep = Wide(value);
        } else if (option == L"--fault") {
            if (auto error = options.faults.Add(value))
                return Fail(*error);
        } else {
            return Fail("unknown option " + Narrow(option));
        }
    }
    return std::nullopt;
}

ExchangeLoop::ExchangeLoop(std::wstring requests, std::wstring responses, RunOptions options)
    : requests_(std::move(requests)), responses_(std::move(responses)), requestFile_(requests_ + L"\\request.xml"),
      options_(std::move(options)), agent_(options_.data, options_.interval)
{
}

void ExchangeLoop::Run(HANDLE stop)
{
    while (WaitForSingleObject(stop, 50) == WAIT_TIMEOUT) {
        const std::uint64_t now = Now();
        agent_.Advance(now);
        PublishDue(now);
        TakeRequest(now);
    }
    RemoveUnpublished(responses_);
}

void ExchangeLoop::PublishDue(std::uint64_t now)
{
    for (auto it = scheduled_.begin(); it != scheduled_.end();) {
        if (it->at > now) {
            ++it;
            continue;
        }
        Publish(responses_, it->document);
        Log("answered (delayed)");
        it = scheduled_.erase(it);
    }
}

void ExchangeLoop::TakeRequest(std::uint64_t now)
{
    if (GetFileAttributesW(requestFile_.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    const std::uint32_t n = taken_ + 1;
    if (options_.faults.For(FaultKind::NeverTake, n))
        return;
    const std::optional<std::string> text = ReadWhole(requestFile_);
    if (!text || !DeleteFileW(requestFile_.c_str()))
        return;  // still being put in place: next round
    taken_ = n;
    const std::optional<ParsedRequest> request = ParseRequest(*text);
    if (!request) {
        Log("took request #" + std::to_string(n) + ": not a request document, no answer");
        return;
    }
    Log("took " + request->type + " request #" + std::to_string(n) +
        (request->type == "Open" ? " (" + request->url + ", \"" + request->document + "\", flags " +
                                       std::to_string(request->flags) + ")"
                                 : ""));
    Respond(*request, n, now);
}

void ExchangeLoop::Respond(const ParsedRequest& request, std::uint32_t n, std::uint64_t now)
{
    const FaultPlan& faults = options_.faults;
    std::string stale;
    const std::string answer = agent_.Answer(request, n, now, faults, &stale);
    if (!options_.keep.empty())
        WriteWhole(options_.keep + L"\\answer-" + std::to_wstring(n) + L".xml", answer);
    if (!agent_.LastEvent().empty())
        Log(agent_.LastEvent());
    if (faults.For(FaultKind::NoAnswer, n)) {
        Log("not answering (fault no-answer)");
    } else if (const Fault* late = faults.For(FaultKind::Late, n)) {
        scheduled_.push_back({now + late->argument, answer});
    } else if (faults.For(FaultKind::Partial, n)) {
        WriteInPlace(responses_, std::string_view(answer).substr(0, answer.size() / 2));
        scheduled_.push_back({now + 1500, answer});
        Log("wrote half an answer");
    } else if (faults.For(FaultKind::StaleFirst, n)) {
        Publish(responses_, stale);
        scheduled_.push_back({now + 1500, answer});
        Log("wrote a stale answer of another type");
    } else {
        Publish(responses_, answer);
        Log("answered " + request.type);
    }
}
