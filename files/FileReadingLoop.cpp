#include "files/FileReadingLoop.h"

FileReadingLoop::FileReadingLoop(char* bufferFirst, char* bufferLast, WindowsPlatform::FileReadingPath& file,
                                 std::uint64_t start)
    : bufferFirst_(bufferFirst), bufferLast_(bufferLast), reader_(file, start)
{
    remaining_ = reader_.Size() > start ? reader_.Size() - start : 0;
    if (remaining_ != 0)
        Fill();
}

void FileReadingLoop::Next()
{
    remaining_ -= window_.Length();
    window_ = {bufferFirst_, bufferFirst_};
    if (remaining_ != 0)
        Fill();
}

void FileReadingLoop::Fill()
{
    if (reader_.AtEnd())
        throw FileReadingLoopEndOfFileError();
    const auto capacity = static_cast<std::uint64_t>(bufferLast_ - bufferFirst_);
    const std::uint64_t n = remaining_ < capacity ? remaining_ : capacity;
    ByteRange range{bufferFirst_, bufferFirst_ + n};
    reader_.ReadSome(range);
    window_ = {bufferFirst_, range.first};
    if (window_.Empty())
        throw FileReadingLoopEndOfFileError();
}
