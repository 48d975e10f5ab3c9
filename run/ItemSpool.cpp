#include "run/ItemSpool.h"

#include "files/FileIOError.h"
#include "files/FileReadingLoop.h"
#include "files/RandomName.h"
#include "run/ResponseExport.h"
#include "text/DataFilter.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

#include <algorithm>
#include <cstring>
#include <array>
#include <limits>
#include <memory>
#include <new>

namespace {

constexpr std::size_t pieceSize = 65536;

// "<temporary folder>\verimark-<random>.items", made new: never a file or link that was
// there, under a name nobody can make in advance. A name that is taken is tried again with
// another, a bounded number of times.
void OpenSpoolFile(WindowsPlatform::FileWritingPath& file)
{
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1) {
        const DWORD code = GetLastError();
        throw FileIOError(length == 0 && code != ERROR_SUCCESS ? code : ERROR_BUFFER_OVERFLOW);
    }
    for (int attempt = 1;; ++attempt) {
        const std::string random = RandomNamePart();
        const std::wstring path = std::wstring(folder) + L"verimark-" + std::wstring(random.begin(), random.end()) + L".items";
        UniqueFile handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN,
                                      nullptr));
        const DWORD code = GetLastError();
        const FileLocation location(TranscodeU16ToU8(U16String(std::wstring_view(path))));
        if (handle) {
            file.Adopt(std::move(handle), location);
            return;
        }
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            throw FileIOError(location, code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
        if (attempt == randomNameAttempts)
            throw NamesTakenError(location, code);
    }
}

// Each record: the six texts and the problem, each after its length (4 bytes).
constexpr std::size_t recordFields = ListedItem::fieldCount + 1;

// The spool's records, read from a run of windows (the file's, then memory's); a record
// may span windows.
class RecordReader {
public:
    // `next` gives the following window, or false at the end.
    explicit RecordReader(std::function<bool(ConstByteRange&)> next) : next_(std::move(next)) {}

    bool Next(ListedItem& item)
    {
        if (!More())
            return false;
        item.problem.clear();
        std::array<std::string*, recordFields> fields{};
        const auto texts = item.Fields();
        std::copy(texts.begin(), texts.end(), fields.begin());
        fields.back() = &item.problem;
        std::string problem;
        for (std::string* field : fields) {
            std::uint32_t size = 0;
            Take(reinterpret_cast<char*>(&size), 4);
            try {
                field->resize(size);
                Take(field->data(), size);
            } catch (const std::bad_alloc&) {
                field->clear();
                field->shrink_to_fit();
                Skip(size);
                problem = "there was not enough memory to hold its texts (" + std::to_string(size) + " bytes)";
            }
        }
        if (!problem.empty()) {
            for (std::string* field : fields)
                field->clear();
            item.problem = problem;
        }
        return true;
    }

private:
    bool More()
    {
        while (at_ == window_.Length())
            if (!Advance())
                return false;
        return true;
    }
    bool Advance()
    {
        at_ = 0;
        if (!next_(window_)) {
            window_ = ConstByteRange{nullptr, nullptr};
            return false;
        }
        return true;
    }
    template <class Use>
    void Walk(std::size_t n, Use use)
    {
        while (n > 0) {
            if (!More())
                throw FileReadingLoopEndOfFileError();  // a record cut short
            const std::size_t piece = std::min(n, window_.Length() - at_);
            use(window_.first + at_, piece);
            at_ += piece;
            n -= piece;
        }
    }
    void Take(char* out, std::size_t n)
    {
        Walk(n, [&](const char* from, std::size_t piece) {
            std::memcpy(out, from, piece);
            out += piece;
        });
    }
    void Skip(std::size_t n)
    {
        Walk(n, [](const char*, std::size_t) {});
    }

    std::function<bool(ConstByteRange&)> next_;
    ConstByteRange window_{nullptr, nullptr};
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

void ItemSpool::Append(std::string_view text) const
{
    const std::uint32_t size = static_cast<std::uint32_t>(text.size());
    char length[4];
    std::memcpy(length, &size, 4);
    pending_.append(length, 4);
    if (text.size() < pieceSize || failed_) {
        pending_ += text;
        return;
    }
    // A large text goes to the file as it is, after what waits.
    Flush();
    if (!failed_) {
        try {
            writer_->Write(text.data(), text.data() + text.size());
            written_ += text.size();
            return;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            failed_ = std::current_exception();
        }
    }
    pending_ += text;
}

void ItemSpool::Item(const ListedItem& item)
{
    if (item.designator.size() + item.result.size() + item.resultType.size() + item.evaluationTime.size() +
            item.description.size() + item.comment.size() + item.problem.size() >
        std::numeric_limits<std::uint32_t>::max() / 2)
        throw std::bad_alloc();  // no text of an answer is that long: the size limit keeps them shorter
    for (const std::string* field : item.Fields())
        Append(*field);
    Append(item.problem);
    if (pending_.size() >= pieceSize)
        Flush();
}

// Sends what waits to the file; after a failure, keeps it (and all that follows) in memory.
void ItemSpool::Flush() const
{
    if (failed_ || pending_.empty())
        return;
    try {
        writer_->Write(pending_.data(), pending_.data() + pending_.size());
        written_ += pending_.size();
        pending_.clear();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        failed_ = std::current_exception();
    }
}

void ItemSpool::ForEach(const std::function<void(const ListedItem&)>& each) const
{
    Flush();
    const std::unique_ptr<char[]> buffer = std::make_unique<char[]>(pieceSize);
    std::optional<FileReadingLoop> loop;
    if (writer_)
        loop.emplace(buffer.get(), buffer.get() + pieceSize, file_, 0);
    bool fileDone = !loop, memoryDone = pending_.empty();
    bool first = true;
    std::uint64_t left = written_;  // a write that failed may have left part of its bytes
    RecordReader reader([&](ConstByteRange& window) {
        if (!fileDone) {
            if (!first)
                loop->Next();
            first = false;
            if (loop->Remaining() != 0 && left != 0) {
                window = loop->Window();
                if (window.Length() > left)
                    window.last = window.first + left;
                left -= window.Length();
                return true;
            }
            fileDone = true;
        }
        if (!memoryDone) {
            memoryDone = true;
            window = ConstByteRange{pending_.data(), pending_.data() + pending_.size()};
            return true;
        }
        return false;
    });
    ListedItem item;
    while (reader.Next(item))
        each(item);
}

std::optional<std::string> ItemSpool::FileFailureWords() const
{
    if (!failed_)
        return std::nullopt;
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    const std::string where =
        length == 0 || length > MAX_PATH + 1
            ? std::string("the temporary folder")
            : "the temporary folder \"" + NarrowReplacing(std::wstring_view(folder, length)) + "\"";
    std::string why;
    try {
        std::rethrow_exception(failed_);
    } catch (const FileIOError& e) {
        if (e.Code() == ERROR_DISK_FULL || e.Code() == ERROR_HANDLE_DISK_FULL)
            return where + " is full, so the run's items were kept in memory instead of there";
        why = FailureReason(e);
    } catch (const std::exception& e) {
        why = FailureReason(e);
    } catch (...) {
        why = "an unknown failure";
    }
    return "the run's items could not be kept in " + where + " (" + why + "), so they were kept in memory instead";
}
