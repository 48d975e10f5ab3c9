#pragma once
// The presenters that print while a run goes: the listing on standard output, byte for
// byte as it always was, and, with --json, the progress lines alone on standard error.
#include "tool/RunReport.h"

#include <cstdio>

// The progress lines, the count, the six labelled lines per item, and the failures of
// Open and Progress, on standard output; every line end flushed.
class ListingPresenter final : public RunObserver {
public:
    // `quiet`: without the progress lines.
    explicit ListingPresenter(bool quiet = false) : quiet_(quiet) {}
    void OpenFailed(std::int32_t code) override;
    void Progress(std::int32_t percent) override;
    void Count(std::int32_t count) override;
    void Item(const _bstr_t (&texts)[6]) override;
    void ProgressError(std::int32_t error) override;

private:
    bool quiet_;
};

// Only the progress lines, to `stream` (standard error when standard output carries a
// document).
class ProgressPresenter final : public RunObserver {
public:
    explicit ProgressPresenter(FILE* stream) : stream_(stream) {}
    void Progress(std::int32_t percent) override;

private:
    FILE* stream_;
};
