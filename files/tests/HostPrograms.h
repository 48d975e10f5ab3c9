#pragma once
// Programs of the machine Wine runs on, for tests that need a tool of its own (a link
// maker, a validator): Wine starts a Unix program given by its Unix path.
#include <functional>
#include <string>

// Where Wine keeps a Windows path on the Unix side, or nothing outside Wine.
std::string UnixPath(const std::wstring& path);

// Starts a Unix program and waits, at most 30 seconds, until `done` says it has done its
// work: the handle Wine gives back for it does not tell its end. Throws when it cannot start.
void RunHostProgram(const std::string& command, const std::function<bool()>& done);
