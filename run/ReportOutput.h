#pragma once
// A report file asked for (the tool's --output FORMAT:PATH): its format and where it goes.
#include <string>

struct ReportOutput {
    enum class Format { Json, Junit, Html, Csv, Prom } format;
    std::wstring path;
};
