#pragma once
// The presenters that print while a run goes: the listing on standard output, byte for
// byte as it always was, and, with --json, the progress lines alone on standard error.
#include "run/RunReport.h"

#include <cstdio>
#include <string>
#include <string_view>

// An item's text as the listing shows it: C0 and C1 control characters other than TAB, and
// DEL, as visible escapes ("\r", "\n", "\x1b", "\x85"), so that no text can move the
// cursor, clear the screen or forge a line of the listing; everything else as it is.
std::wstring ListingText(std::wstring_view text);

// What a presenter shows once the session is closed: the agent's count, then each item.
class ItemPresenter {
public:
    virtual void Count(std::int32_t /*count*/) {}
    virtual void Item(const ListedItem& /*item*/) {}

protected:
    ~ItemPresenter() = default;
};

// The progress lines, the count, the six labelled lines per item, and the failures of
// Open and Progress, on standard output; every line end flushed. The items' texts go to a
// console as UTF-16, so that every character shows; redirected, in the ANSI code page as
// they always were. An item that could not be read is not listed (the run's line on
// standard error names it).
class ListingPresenter final : public RunObserver, public ItemPresenter {
public:
    // `quiet`: without the progress lines.
    explicit ListingPresenter(bool quiet = false) : quiet_(quiet) {}
    void OpenFailed(std::int32_t code) override;
    void Progress(std::int32_t percent) override;
    void Count(std::int32_t count) override;
    void Item(const ListedItem& item) override;
    void ProgressError(std::int32_t error) override;

private:
    bool quiet_;
};

// Only the progress lines, to `stream` (standard error when standard output carries a
// document).
class ProgressPresenter final : public RunObserver, public ItemPresenter {
public:
    explicit ProgressPresenter(FILE* stream) : stream_(stream) {}
    void Progress(std::int32_t percent) override;

private:
    FILE* stream_;
};
