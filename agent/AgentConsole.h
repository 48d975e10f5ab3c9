#pragma once
// What the stand-in agent says: timestamped log lines on standard output, failures on
// standard error; and the words of its command line, read one after the other.
#include <string>
#include <vector>

void Log(const std::string& line);
// Writes "TVKClientSim: <message>" on standard error; returns the exit status 1.
int Fail(const std::string& message);

struct Arguments {
    std::vector<std::wstring> words;
    std::size_t at = 2;  // after the program and the command
    bool More() const { return at < words.size(); }
    const std::wstring& Next() { return words[at++]; }
};
