// The path rules: Parent walks up to a root in at most as many steps as the text has
// bytes, each parent's text is a prefix of its child's (or "\" itself), only roots and
// texts without a separator refuse, and Child joins with one backslash.
#include "files/FileIOError.h"
#include "files/FileLocation.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\0');
    const std::string path = text.substr(0, cut), name = cut == std::string::npos ? "" : text.substr(cut + 1);
    FileLocation location{U8String(std::string_view(path))};
    if (location.Empty()) {
        if (!path.empty())
            std::abort();
        return 0;
    }
    // At most one trailing separator is dropped.
    const std::string stored(location.Text().View());
    if (stored != path && !(path.size() >= 2 && stored == path.substr(0, path.size() - 1) && IsSeparator(path.back())))
        std::abort();

    const FileLocation child = FileLocation::Child(location, std::string_view(name));
    const std::string joined(child.Text().View());
    if (joined.compare(0, stored.size(), stored) != 0)
        std::abort();

    for (std::size_t steps = 0;; ++steps) {
        if (steps > path.size() + 1)
            std::abort();  // Parent must get shorter every time
        const bool root = location.IsRoot();
        try {
            const FileLocation parent = location.Parent();
            if (root)
                std::abort();
            const std::string up(parent.Text().View()), here(location.Text().View());
            if (up != "\\" && (up.size() >= here.size() || here.compare(0, up.size(), up) != 0))
                std::abort();
            location = parent;
        } catch (const RootHasNoParent&) {
            if (!root)
                std::abort();
            return 0;
        } catch (const InvalidFileLocation&) {
            if (location.Text().View().find_first_of("\\/") != std::string_view::npos)
                std::abort();
            return 0;
        }
    }
}
