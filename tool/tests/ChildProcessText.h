// What a test passes to a child process and reads back from it: an argument quoted for its
// command line, and the whole of a file it wrote its output to.
#pragma once

#include <string>

// Quoted as the runtime's argument parser reads it back: unchanged when it needs no quotes.
std::wstring QuoteArgument(const std::wstring& argument);

// The file's bytes, or nothing when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
