#pragma once
// The files of the exchange, as the agent sees them: the request it takes, the answers it
// writes so that the core never reads one half written.
#include <optional>
#include <string>
#include <string_view>

// The whole file; nothing when it cannot be opened (missing, or still held by its writer).
std::optional<std::string> ReadWhole(const std::wstring& path);
bool WriteWhole(const std::wstring& path, std::string_view bytes);
// Writes the answer beside "response.xml" in the directory, then replaces it in one move.
bool Publish(const std::wstring& directory, std::string_view document);
// "response.xml" in the directory, written in place: seen half written if read now.
bool WriteInPlace(const std::wstring& directory, std::string_view document);
// What Publish leaves when it is cut off between writing and moving.
void RemoveUnpublished(const std::wstring& directory);
