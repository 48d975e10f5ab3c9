// The export of the agent's answer ("-x"): whatever the user had at the output path stays
// until a complete copy replaces it, and the agent's own answer is never the target.
#include "errors/ExceptionPL.h"
#include "files/FileIOError.h"
#include "compliance/tests/MachineState.h"
#include "tool/RunAndList.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>

namespace {

std::set<std::wstring> Names(const FileLocation& directory)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW((Wide(directory) + L"\\*").c_str(), &data));
    if (!find)
        return names;
    do {
        if (data.cFileName != std::wstring(L".") && data.cFileName != std::wstring(L".."))
            names.insert(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

class Export : public AgentEnvironment {
protected:
    void ExportTo(const std::wstring& path) { ExportResponseFile(_bstr_t(path.c_str())); }
};

TEST_F(Export, TheOldFileStaysUntilACompleteCopyReplacesIt)
{
    const FileLocation target = scratch_ / "export.xml";
    Answer("<answer/>");
    WriteRaw(target, "the user's old file");
    ExportTo(Wide(target));
    EXPECT_EQ(ReadWholeFile(target), "<answer/>");

    // The agent holds its answer open and shares it with nobody: every copy fails (the
    // retries pause in virtual time), and the old file is whole.
    WriteRaw(target, "the user's old file");
    {
        const UniqueFile held(CreateFileW(Wide(responseFile_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ScriptedAgent clock;
        EXPECT_THROW(ExportTo(Wide(target)), FileIOError);
    }
    EXPECT_EQ(ReadWholeFile(target), "the user's old file");
    EXPECT_EQ(Names(scratch_.Root()), (std::set<std::wstring>{L"export.xml", L"requests", L"responses"}));
}

TEST_F(Export, RefusesAFolderAndTheAgentsOwnAnswerByAnyName)
{
    Answer("<answer/>");
    const FileLocation folder = scratch_ / "a folder";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
    const FileLocation link = scratch_ / "linked.xml";
    ASSERT_TRUE(CreateHardLinkW(Wide(link).c_str(), Wide(responseFile_).c_str(), nullptr));
    std::wstring upper = Wide(responseFile_);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(Wide(responseFile_).c_str(), shortName, MAX_PATH), 0u);

    const struct {
        const char* what;
        std::wstring path;
        const char* reason;
    } cases[] = {
        {"an empty folder", Wide(folder), "it is a directory"},
        {"the answer", Wide(responseFile_), "it is the agent's response document itself"},
        {"in upper case", upper, "it is the agent's response document itself"},
        {"by its 8.3 name", shortName, "it is the agent's response document itself"},
        {"in the \\\\?\\ form", L"\\\\?\\" + Wide(responseFile_), "it is the agent's response document itself"},
        {"through ..", Wide(responseDir_) + L"\\..\\responses\\response.xml", "it is the agent's response document itself"},
        {"through a hard link", Wide(link), "it is the agent's response document itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ExportTo(c.path);
            ADD_FAILURE() << "exported";
        } catch (const ExceptionPL& e) {
            EXPECT_STREQ(e.what(), c.reason);
        }
        EXPECT_EQ(ReadWholeFile(responseFile_), "<answer/>");
        EXPECT_EQ(Names(responseDir_), std::set<std::wstring>{L"response.xml"});
    }
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_TRUE(Names(folder).empty());
}

}  // namespace
