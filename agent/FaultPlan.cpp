#include "agent/FaultPlan.h"

#include <string_view>

namespace {

struct Name {
    std::string_view text;
    FaultKind kind;
    bool needsArgument;
};

constexpr Name names[] = {
    {"never-take", FaultKind::NeverTake, false}, {"no-answer", FaultKind::NoAnswer, false},
    {"late", FaultKind::Late, true},             {"partial", FaultKind::Partial, false},
    {"stale-first", FaultKind::StaleFirst, false}, {"wrong-root", FaultKind::WrongRoot, false},
    {"no-type", FaultKind::NoType, false},       {"bad-number", FaultKind::BadNumber, false},
    {"error-22", FaultKind::Error22, false},     {"invalid-utf8", FaultKind::InvalidUtf8, false},
    {"many-items", FaultKind::ManyItems, true},  {"old-version", FaultKind::OldVersion, false},
    {"no-mutex", FaultKind::NoMutex, false},     {"unknown-state", FaultKind::UnknownState, false},
};

std::optional<std::uint32_t> Number(std::string_view text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(std::string(text)));
}

}  // namespace

std::optional<std::string> FaultPlan::Add(const std::string& text)
{
    std::string_view rest = text;
    Fault fault{};
    if (const auto at = rest.find('@'); at != std::string_view::npos) {
        const auto n = Number(rest.substr(at + 1));
        if (!n || *n == 0)
            return "bad request number in fault \"" + text + "\"";
        fault.fromRequest = *n;
        rest = rest.substr(0, at);
    }
    std::string_view argument;
    bool hasArgument = false;
    if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
        argument = rest.substr(colon + 1);
        hasArgument = true;
        rest = rest.substr(0, colon);
    }
    for (const Name& name : names) {
        if (name.text != rest)
            continue;
        if (name.needsArgument != hasArgument)
            return "fault \"" + std::string(name.text) + "\" " + (name.needsArgument ? "needs" : "takes no") +
                   " argument";
        if (hasArgument) {
            const auto n = Number(argument);
            if (!n)
                return "bad argument in fault \"" + text + "\"";
            fault.argument = *n;
        }
        fault.kind = name.kind;
        faults_.push_back(fault);
        return std::nullopt;
    }
    return "unknown fault \"" + std::string(rest) + "\"; known: " + Names();
}

const Fault* FaultPlan::For(FaultKind kind, std::uint32_t request) const
{
    for (const Fault& fault : faults_)
        if (fault.kind == kind && (fault.fromRequest == 0 || request >= fault.fromRequest))
            return &fault;
    return nullptr;
}

std::string FaultPlan::Names()
{
    std::string list;
    for (const Name& name : names) {
        list += list.empty() ? "" : ", ";
        list += name.text;
        if (name.needsArgument)
            list += ":N";
    }
    return list;
}
