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
