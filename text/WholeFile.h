#pragma once
// A whole file's bytes, read straight from the system: for the stand-in agent and the
// tests, which must not read through the code they check.
#include <optional>
#include <string>

// Nothing when the file cannot be opened with that sharing (missing, or held by a writer
// the sharing excludes).
std::optional<std::string> ReadAllOf(const std::wstring& path, unsigned long share);
