#include "run/ItemSpool.h"

#include "files/FileIOError.h"
#include "files/FileReadingLoop.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t pieceSize = 65536;

// "<temporary folder>\verimark-<process>-<count>.items", made new: never a file or link
// that was there.
void OpenSpoolFile(WindowsPlatform::FileWritingPath& file)
{
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1) {
        const DWORD code = GetLastError();
        throw FileIOError(length == 0 && code != ERROR_SUCCESS ? code : ERROR_BUFFER_OVERFLOW);
    }
    static long made = 0;
    for (int attempt = 0;; ++attempt) {
        const std::wstring path = std::wstring(folder) + L"verimark-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(InterlockedIncrement(&made)) + L".items";
        UniqueFile handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN,
                                      nullptr));
        const DWORD code = GetLastError();
        const FileLocation location(TranscodeU16ToU8(U16String(std::wstring_view(path))));
        if (handle) {
            file.Adopt(std::move(handle), location);
            return;
        }
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 15)
            throw FileIOError(location, code != ERROR_SUCCESS ? code : ERROR_FILE_EXISTS);
    }
}

void AppendField(std::string& out, const std::string& text)
{
    const std::uint32_t size = static_cast<std::uint32_t>(text.size());
    char length[4];
    std::memcpy(length, &size, 4);
    out.append(length, 4);
    out += text;
}

// The spool's records, read through the file's windows; a record may span windows.
class SpoolReader {
public:
    explicit SpoolReader(WindowsPlatform::FileReadingPath& file)
        : buffer_(std::make_unique<char[]>(pieceSize)), loop_(buffer_.get(), buffer_.get() + pieceSize, file, 0)
    {
    }

    bool Next(ListedItem& item)
    {
        if (loop_.Remaining() != 0 && at_ == loop_.Window().Length())
            Advance();
        if (loop_.Remaining() == 0)
            return false;
        std::string* const fields[6] = {&item.designator, &item.result, &item.resultType,
                                        &item.evaluationTime, &item.description, &item.comment};
        for (std::string* field : fields) {
            std::uint32_t size = 0;
            Take(reinterpret_cast<char*>(&size), 4);
            field->resize(size);
            Take(field->data(), size);
        }
        return true;
    }

private:
    void Take(char* out, std::size_t n)
    {
        while (n > 0) {
            if (at_ == loop_.Window().Length()) {
                Advance();
                if (loop_.Remaining() == 0)
                    throw FileReadingLoopEndOfFileError();  // a record cut short
            }
            const std::size_t piece = std::min(n, loop_.Window().Length() - at_);
            std::memcpy(out, loop_.Window().first + at_, piece);
            at_ += piece;
            out += piece;
            n -= piece;
        }
    }

    void Advance()
    {
        loop_.Next();
        at_ = 0;
    }

    std::unique_ptr<char[]> buffer_;
    FileReadingLoop loop_;
    std::size_t at_ = 0;  // in the current window
};

}  // namespace

ItemSpool::ItemSpool()
{
    try {
        OpenSpoolFile(file_);
        writer_.emplace(file_, 0);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        failed_ = std::current_exception();
    }
    pending_.reserve(pieceSize);
}

void ItemSpool::Item(const ListedItem& item)
{
    if (failed_)
        return;
    for (const std::string* field : {&item.designator, &item.result, &item.resultType, &item.evaluationTime,
                                     &item.description, &item.comment})
        AppendField(pending_, *field);
    if (pending_.size() >= pieceSize)
        Flush();
}

void ItemSpool::Flush() const
{
    if (!failed_ && !pending_.empty()) {
        try {
            writer_->Write(pending_.data(), pending_.data() + pending_.size());
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            failed_ = std::current_exception();
        }
    }
    pending_.clear();
}

void ItemSpool::ForEach(const std::function<void(const ListedItem&)>& each) const
{
    Flush();
    if (failed_)
        std::rethrow_exception(failed_);
    SpoolReader reader(file_);
    ListedItem item;
    while (reader.Next(item))
        each(item);
}
