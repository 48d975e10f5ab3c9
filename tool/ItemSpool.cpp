#include "tool/ItemSpool.h"

#include "files/FileIOError.h"
#include "text/Win32.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t pieceSize = 65536;

// The code of a failure that has just happened, never 0.
std::uint32_t LastCode()
{
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? code : ERROR_WRITE_FAULT;
}

// "<temporary folder>\verimark-<process>-<count>.items", made new: never a file or link
// that was there.
UniqueFile NewSpoolFile(std::optional<std::uint32_t>& failed)
{
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1) {
        failed = length == 0 ? LastCode() : ERROR_BUFFER_OVERFLOW;
        return UniqueFile();
    }
    static long made = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring path = std::wstring(folder) + L"verimark-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(InterlockedIncrement(&made)) + L".items";
        UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN,
                                    nullptr));
        if (file)
            return file;
        const std::uint32_t code = LastCode();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            failed = code;
            return UniqueFile();
        }
    }
    failed = ERROR_FILE_EXISTS;
    return UniqueFile();
}

void AppendField(std::string& out, const std::string& text)
{
    const std::uint32_t size = static_cast<std::uint32_t>(text.size());
    char length[4];
    std::memcpy(length, &size, 4);
    out.append(length, 4);
    out += text;
}

// Reads the file from its start, piece by piece.
class SpoolReader {
public:
    explicit SpoolReader(HANDLE file) : file_(file), buffer_(pieceSize, '\0') {}

    // Whether another item follows; throws when the file cannot be read or ends mid-item.
    bool Next(ListedItem& item)
    {
        std::uint32_t size = 0;
        if (!Take(reinterpret_cast<char*>(&size), 4, true))
            return false;
        std::string* const fields[6] = {&item.designator, &item.result, &item.resultType,
                                        &item.evaluationTime, &item.description, &item.comment};
        for (int i = 0; i < 6; ++i) {
            if (i > 0)
                Take(reinterpret_cast<char*>(&size), 4, false);
            fields[i]->resize(size);
            Take(fields[i]->data(), size, false);
        }
        return true;
    }

private:
    // n bytes into `out`; false at the file's end before the first byte, when allowed.
    bool Take(char* out, std::size_t n, bool mayEnd)
    {
        bool first = true;
        while (n > 0) {
            if (at_ == filled_) {
                DWORD read = 0;
                if (!ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &read, nullptr))
                    throw FileIOError(LastCode());
                if (read == 0) {
                    if (first && mayEnd)
                        return false;
                    throw FileIOError(ERROR_HANDLE_EOF);
                }
                at_ = 0;
                filled_ = read;
            }
            const std::size_t piece = std::min(n, filled_ - at_);
            std::memcpy(out, buffer_.data() + at_, piece);
            at_ += piece;
            out += piece;
            n -= piece;
            first = false;
        }
        return true;
    }

    HANDLE file_;
    std::string buffer_;
    std::size_t at_ = 0, filled_ = 0;
};

}  // namespace

ItemSpool::ItemSpool() : file_(NewSpoolFile(failed_))
{
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
    std::string_view rest = pending_;
    while (!failed_ && !rest.empty()) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 20));
        if (!WriteFile(file_.Get(), rest.data(), piece, &written, nullptr) || written == 0)
            failed_ = LastCode();
        rest.remove_prefix(written);
    }
    pending_.clear();
}

void ItemSpool::ForEach(const std::function<void(const ListedItem&)>& each) const
{
    Flush();
    if (failed_)
        throw FileIOError(*failed_);
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN))
        throw FileIOError(LastCode());
    SpoolReader reader(file_.Get());
    ListedItem item;
    while (reader.Next(item))
        each(item);
    // Back at the end, where the next item goes.
    if (!SetFilePointerEx(file_.Get(), start, nullptr, FILE_END))
        throw FileIOError(LastCode());
}
