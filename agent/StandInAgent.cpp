#include "agent/StandInAgent.h"

#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "xml/XMLTreeParserPL.h"

#include <fstream>
#include <sstream>

namespace {

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// An element with text; an empty one in the short form, as ordinary writers do.
std::string Element(std::string_view name, std::string_view text, std::string_view indent = "\t")
{
    std::string out(indent);
    out += "<";
    out += name;
    if (text.empty())
        return out + "/>\r\n";
    out += ">" + Escaped(text) + "</";
    out += name;
    return out + ">\r\n";
}

std::string SiteOf(const std::string& url)
{
    std::string trimmed = url;
    while (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.find_last_of('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// A name that stays inside its folder.
bool SafeName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

std::optional<std::string> ReadFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

std::optional<ParsedRequest> ParseRequest(std::string_view xml)
{
    XMLTreeParserPL parser;
    parser.Feed(xml.data(), xml.data() + xml.size());
    XMLElementPL* root = parser.Root();
    if (!root || parser.OpenElementCount() != 0 || root->Name().View() != "TVKVerimarkRequest")
        return std::nullopt;
    ParsedRequest request;
    for (XMLElementPL& child : root->TrimChildren()) {
        const std::string_view name = child.Name().View();
        const std::string text(child.Text().View());
        if (name == "RequestType")
            request.type = text;
        else if (name == "RequestURL")
            request.url = text;
        else if (name == "RequestDOC")
            request.document = text;
        else if (name == "RequestFlags" && !text.empty() && text.size() <= 10 &&
                 text.find_first_not_of("0123456789") == std::string::npos)
            request.flags = static_cast<std::uint32_t>(std::stoull(text));
    }
    return request;
}

std::string ItemElement(const CheckResult& item)
{
    std::string out = "\t<ResponseItem>\r\n";
    out += Element("Designator", item.designator, "\t\t");
    out += Element("Result", item.result, "\t\t");
    out += Element("ResultType", item.resultType, "\t\t");
    out += Element("EvaluationTime", std::to_string(item.microseconds), "\t\t");
    out += Element("Description", item.description, "\t\t");
    out += Element("Comment", item.comment, "\t\t");
    return out + "\t</ResponseItem>\r\n";
}

std::string ResponseDocument(std::string_view type, std::string_view body, const FaultPlan& faults, std::uint32_t n)
{
    const std::string root = faults.For(FaultKind::WrongRoot, n) ? "TVKVerimarkAnswer" : "TVKVerimarkResponse";
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + root + " Version=\"1.0\" Encoding=\"UTF-8\">\r\n";
    if (!faults.For(FaultKind::NoType, n))
        out += Element("ResponseType", type);
    out += body;
    return out + "</" + root + ">\r\n";
}

void StandInAgent::Open(const ParsedRequest& request, std::uint64_t now)
{
    evaluation_.emplace();
    evaluation_->nextCheckAt = now + interval_;
    const std::string site = SiteOf(request.url);
    if (!SafeName(site) || !SafeName(request.document)) {
        evaluation_->error = AgentError::BadName;
        event_ = "refused site \"" + site + "\" / document \"" + request.document + "\"";
        return;
    }
    const std::wstring folder = Wide(data_ + "\\__TVKData\\" + site + "\\__Compliance\\");
    std::optional<std::string> text;
    if (request.flags & 8) {
        // Action hint: the name is a document's Id.
        WIN32_FIND_DATAW found;
        const UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
        if (find) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                const auto candidate = ReadFile(folder + found.cFileName);
                if (!candidate)
                    continue;
                try {
                    if (ParseComplianceDocument(*candidate).id == request.document) {
                        text = candidate;
                        break;
                    }
                } catch (const std::exception&) {
                }
            } while (FindNextFileW(find.Get(), &found));
        }
    } else {
        text = ReadFile(folder + Wide(request.document));
        if (!text)
            text = ReadFile(folder + Wide(request.document + ".xml"));
    }
    if (!text) {
        evaluation_->error = AgentError::DocumentNotFound;
        event_ = "no document \"" + request.document + "\" in site \"" + site + "\"";
        return;
    }
    try {
        evaluation_->document = ParseComplianceDocument(*text);
        event_ = "evaluating \"" + request.document + "\" of site \"" + site + "\": " +
                 std::to_string(evaluation_->document.checks.size()) + " checks";
    } catch (const std::exception& e) {
        evaluation_->error = AgentError::DocumentInvalid;
        event_ = std::string("invalid document: ") + e.what();
    }
}

void StandInAgent::Advance(std::uint64_t now)
{
    if (!evaluation_ || evaluation_->error || now < evaluation_->nextCheckAt)
        return;
    Evaluation& e = *evaluation_;
    if (e.results.size() < e.document.checks.size()) {
        e.results.push_back(Evaluate(e.document.checks[e.results.size()]));
        e.nextCheckAt = now + interval_;
    }
}

std::string StandInAgent::ProgressBody(std::uint32_t n, const FaultPlan& faults) const
{
    auto state = [&](int value) {
        if (faults.For(FaultKind::UnknownState, n))
            value = 4;
        return Element("ResponseProgressState", faults.For(FaultKind::BadNumber, n) ? std::to_string(value) + "x"
                                                                                    : std::to_string(value));
    };
    if (faults.For(FaultKind::Error22, n))
        return state(2) + Element("ResponseProgressError", std::to_string(AgentError::ReportsNotAvailable));
    if (!evaluation_)
        return state(2) + Element("ResponseProgressError", std::to_string(AgentError::NoEvaluation));
    const Evaluation& e = *evaluation_;
    if (e.error)
        return state(2) + Element("ResponseProgressError", std::to_string(e.error));
    const std::size_t total = e.document.checks.size();
    if (e.results.size() < total)
        return state(3) + Element("ResponseProgressPercent", std::to_string(e.results.size() * 100 / total));
    std::string body = state(1) + Element("ResponseProgressPercent", "100");
    if (const Fault* many = faults.For(FaultKind::ManyItems, n)) {
        for (std::uint32_t i = 0; i < many->argument; ++i)
            body += ItemElement({"generated-" + std::to_string(i), i % 3 ? "True" : "False", "boolean", 5 + i % 40,
                                 "Generated check " + std::to_string(i), "value " + std::to_string(i * 7)});
        return body;
    }
    for (std::size_t i = 0; i < e.results.size(); ++i) {
        CheckResult item = e.results[i];
        if (i == 1 && faults.For(FaultKind::InvalidUtf8, n))
            item.result += "\xC0\x80";
        body += ItemElement(item);
    }
    return body;
}

std::string StandInAgent::Answer(const ParsedRequest& request, std::uint32_t n, std::uint64_t now,
                                 const FaultPlan& faults, std::string* stale)
{
    event_.clear();
    std::string body;
    if (request.type == "Open") {
        Open(request, now);
        body = Element("ResponseProgressState", faults.For(FaultKind::BadNumber, n) ? "3x" : "3") +
               Element("ResponseProgressPercent", "0");
    } else if (request.type == "Progress") {
        body = ProgressBody(n, faults);
    } else if (request.type == "Close") {
        evaluation_.reset();
        event_ = "evaluation ended";
    }
    if (stale)
        *stale = ResponseDocument(request.type == "Open" ? "Close" : "Open", "", faults, n);
    return ResponseDocument(request.type, body, faults, n);
}
