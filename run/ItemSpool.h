#pragma once
// A run's items kept in a file between the session and the presenters: the session is
// closed before anything is printed, and a JUnit suite's counts come before its cases, an
// HTML page shows the failed items first. The file is in the user's temporary folder,
// opened by this process alone and removed by the system when it is closed, however the
// process ends. Whatever the number of items, it holds two buffers of 64 KB; a text larger
// than that goes to the file without a copy.
#include "files/FileReader.h"
#include "run/RunReport.h"

#include <exception>
#include <optional>
#include <string>

class ItemSpool final : public ItemStore {
public:
    ItemSpool();
    // A file that cannot be made or written loses nothing: the items from there on are
    // kept in memory instead, and ForEach hands out both.
    void Item(const ListedItem& item) override;
    // An item whose texts cannot be held when read back comes out as one with a problem.
    void ForEach(const std::function<void(const ListedItem&)>& each) const override;
    // Where the file is, while it is used.
    std::optional<FileLocation> Where() const
    {
        return writer_ ? std::optional<FileLocation>(file_.Location()) : std::nullopt;
    }
    // Why the file could not be used, when it could not.
    std::exception_ptr FileFailure() const { return failed_; }
    // The same for a person: the temporary folder named, and what stopped it (full, its
    // names taken, or the system's reason); nothing when the file served.
    std::optional<std::string> FileFailureWords() const;

private:
    void Flush() const;
    void Append(std::string_view text) const;

    mutable WindowsPlatform::FileWritingPath file_;
    mutable std::optional<FileWriter> writer_;  // appends, at its own position
    mutable std::string pending_;               // items not yet in the file (all of them after a failure)
    mutable std::uint64_t written_ = 0;         // the bytes the file holds whole
    mutable std::exception_ptr failed_;         // the file's first failure
};
