#pragma once
// A run's items kept in a file while the run goes, for the report files that need them
// after the run's counts are known: a JUnit suite's counts come before its cases, and an
// HTML page shows the failed items first. The file is in the user's temporary folder,
// opened by this process alone and removed by the system when it is closed, however the
// process ends. Whatever the number of items, it holds two buffers of 64 KB.
#include "files/FileReader.h"
#include "run/RunReport.h"

#include <exception>
#include <optional>
#include <string>

class ItemSpool final : public ItemFeed, public ItemSource {
public:
    ItemSpool();
    // A file that cannot be made or written does not stop the run: its failure is kept,
    // and ForEach throws it.
    void Item(const ListedItem& item) override;
    void ForEach(const std::function<void(const ListedItem&)>& each) const override;

private:
    void Flush() const;

    mutable WindowsPlatform::FileWritingPath file_;
    mutable std::optional<FileWriter> writer_;  // appends, at its own position
    mutable std::string pending_;               // written items not yet in the file
    mutable std::exception_ptr failed_;         // the first failure
};
