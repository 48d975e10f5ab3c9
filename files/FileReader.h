#pragma once
// Data readers and writers over an open file. Each keeps its own position and has the
// handle put there before every call, so several can share one file. None owns the file.
#include "files/FileReadingPath.h"
#include "text/DataReader.h"
#include "text/DataWriter.h"

#include <cstdint>

class FileReader : public DataReader {
public:
    // Binds to the file at `start`; the size is taken now, once.
    FileReader(WindowsPlatform::FileReadingPath& file, std::uint64_t start);

    void Rewind() override { position_ = 0; }
    bool AtEnd() override { return position_ >= size_; }
    // Reads the whole range or throws NoMoreData, after taking what was there.
    DataReader& ReadExactly(char* first, char* last) override;
    void ReadSome(ByteRange& range) override;

    std::uint64_t Position() const { return position_; }
    std::uint64_t Size() const { return size_; }

private:
    std::uint32_t ReadAt(char* destination, std::uint32_t count);

    WindowsPlatform::FileReadingPath* file_;
    std::uint64_t position_;
    std::uint64_t size_;
};

class FileWriter : public DataWriter {
public:
    FileWriter(WindowsPlatform::FileReadingPath& file, std::uint64_t start) : file_(&file), position_(start) {}

    // An empty run touches neither the file nor its pointer.
    DataWriter& Write(const char* first, const char* last) override;

    std::uint64_t Position() const { return position_; }

private:
    WindowsPlatform::FileReadingPath* file_;
    std::uint64_t position_;
};
