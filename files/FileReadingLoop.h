#pragma once
// Walks a whole file through a caller's buffer, one window at a time:
//   for (FileReadingLoop loop(...); loop.Remaining() != 0; loop.Next()) use(loop.Window());
#include "errors/DebuggableException.h"
#include "files/FileReader.h"
#include "text/DataFilter.h"

#include <cstdint>

// The file ended before the size it had when the loop started (it shrank meanwhile).
VERIMARK_PLAIN_EXCEPTION(FileReadingLoopEndOfFileError, DebuggableException);

class FileReadingLoop {
public:
    FileReadingLoop(char* bufferFirst, char* bufferLast, WindowsPlatform::FileReadingPath& file,
                    std::uint64_t start);

    std::uint64_t Remaining() const { return remaining_; }
    ConstByteRange Window() const { return window_; }
    void Next();

private:
    void Fill();

    char* bufferFirst_;
    char* bufferLast_;
    FileReader reader_;
    ConstByteRange window_{nullptr, nullptr};
    std::uint64_t remaining_;
};
