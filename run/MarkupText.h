#pragma once
// Texts in the XML and HTML reports: the markup's five special characters as entities, and
// the control characters that XML 1.0 cannot hold (C0 but TAB, LF and CR) as the listing
// shows them ("\x1b"); everything else, in UTF-8, as it is.
#include <string>
#include <string_view>

std::string MarkupText(std::string_view utf8);
