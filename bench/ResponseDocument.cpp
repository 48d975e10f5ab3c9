#include "bench/ResponseDocument.h"

namespace {

const char* const descriptions[] = {
    "Operating system patch level is current",
    "Disk encryption is enabled on the system volume",
    "Firewall profile &quot;Domain&quot; is turned on",
    "Antivirus definitions are younger than 7 days",
    "Pol\xC3\xAD" "tica de contrase\xC3\xB1" "as: longitud m\xC3\xAD" "nima 12",
    "Screen saver locks after 10 minutes &amp; requires a password",
};

const char* const results[] = {"True", "False", "True", "True", "Error: value &lt;missing&gt;", "True"};

}  // namespace

std::string MakeResponseDocument(std::uint32_t items)
{
    std::string doc;
    doc.reserve(static_cast<std::size_t>(items) * 360 + 256);
    doc += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TVKVerimarkResponse Version=\"1.0\" Encoding=\"UTF-8\">\r\n"
           "\t<ResponseType>Progress</ResponseType>\r\n\t<ResponseProgressState>1</ResponseProgressState>\r\n"
           "\t<ResponseProgressError>0</ResponseProgressError>\r\n"
           "\t<ResponseProgressPercent>100</ResponseProgressPercent>\r\n";
    for (std::uint32_t i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        doc += "\t<ResponseItem>\r\n\t\t<Designator>check-";
        doc += n;
        doc += "</Designator>\r\n\t\t<Result>";
        doc += results[i % 6];
        doc += "</Result>\r\n\t\t<ResultType>boolean</ResultType>\r\n\t\t<EvaluationTime>";
        doc += std::to_string(100 + (i * 37) % 9000);
        doc += "</EvaluationTime>\r\n\t\t<Description>";
        doc += descriptions[i % 6];
        doc += "</Description>\r\n\t\t<Comment>Value found at HKLM\\Software\\Example\\Key";
        doc += n;
        doc += " (\xE2\x9C\x93 checked)</Comment>\r\n\t</ResponseItem>\r\n";
    }
    doc += "</TVKVerimarkResponse>";
    return doc;
}

std::string MakeWorstDocument(std::string_view shape)
{
    constexpr std::size_t target = 50'000'000;
    std::string doc = "<TVKVerimarkResponse><ResponseType>Progress</ResponseType>"
                      "<ResponseProgressState>1</ResponseProgressState>";
    if (shape == "attributes") {
        // Items whose tags carry a thousand attributes each, and one tag with a million.
        doc += "<Packed";
        for (int i = 0; i < 1000000; ++i)
            doc += " a" + std::to_string(i) + "='v'";
        doc += "/>";
        while (doc.size() < target) {
            doc += "<ResponseItem";
            for (int i = 0; i < 1000; ++i)
                doc += " attribute" + std::to_string(i) + "=\"some value\"";
            doc += "><Designator x='1'>d</Designator></ResponseItem>";
        }
    } else if (shape == "nesting") {
        const std::size_t depth = target / 8;
        for (std::size_t i = 0; i < depth; ++i)
            doc += "<a>";
        for (std::size_t i = 0; i < depth; ++i)
            doc += "</a>";
    } else if (shape == "huge-text") {
        doc += "<ResponseItem><Designator>big</Designator><Comment>";
        doc.append(target, 'x');
        doc += "</Comment></ResponseItem>";
    } else if (shape == "empty-items") {
        while (doc.size() < target)
            doc += "<ResponseItem/>";
    } else if (shape == "ignored-text") {
        doc += "<Notes>";
        doc.append(target, 'n');
        doc += "</Notes>";
    }
    doc += "</TVKVerimarkResponse>";
    return doc;
}
