#pragma once
// A data receiver that writes its stream into an open file from a start offset.
#include "files/FileReader.h"

#include <optional>

class FileDataSink : public DataReceiver {
public:
    FileDataSink() = default;
    FileDataSink(WindowsPlatform::FileReadingPath& file, std::uint64_t start) { Bind(file, start); }

    void Bind(WindowsPlatform::FileReadingPath& file, std::uint64_t start)
    {
        file_ = &file;
        start_ = start;
    }

    // Every Begin starts writing at the start offset again.
    void Begin() override { writer_.emplace(*file_, start_); }
    void Receive(const char* first, const char* last) override { writer_->Write(first, last); }
    // Flushes the file to disk.
    void End() override { file_->Flush(); }

private:
    WindowsPlatform::FileReadingPath* file_ = nullptr;
    std::uint64_t start_ = 0;
    std::optional<FileWriter> writer_;
};
