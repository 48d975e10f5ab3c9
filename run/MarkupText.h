#pragma once
// Texts in the XML and HTML reports: the markup's five special characters as entities, and
// what XML 1.0 cannot hold as a visible escape, so that every report parses: the control
// characters but TAB, LF and CR as the listing shows them ("\x1b"), U+FFFE and U+FFFF as
// "\uFFFE" and "\uFFFF", and a byte that is not part of well-formed UTF-8 (an unpaired
// surrogate's, say) as "\xNN". Everything else, in UTF-8, as it is.
#include "run/ReportSink.h"

#include <string>
#include <string_view>

std::string MarkupText(std::string_view utf8);
// The same into a sink, escaped in pieces: however long the text, no more than a piece's
// escape is held.
void WriteMarkup(ReportSink& sink, std::string_view utf8);
