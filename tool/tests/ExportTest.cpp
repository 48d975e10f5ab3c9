// The export of the agent's answer ("-x"): the bytes the results were read from, whatever
// has happened at the answer's name since; whatever the user had at the output path stays
// until a complete copy replaces it, and the agent's own answer is never the target.
#include "compliance/ComplianceApi.h"
#include "compliance/tests/MachineState.h"
#include "errors/ExceptionPL.h"
#include "files/DirectorySecurity.h"
#include "files/FileIOError.h"
#include "files/RandomName.h"
#include "files/tests/Links.h"
#include "text/Transcoding.h"
#include "run/ResponseExport.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>
#include <vector>

namespace {

class Export : public AgentEnvironment {
protected:
    // A session whose results are ready, read from `answer`.
    void Ready(const std::string& answer)
    {
        agent_.Then([this] {
            TakeRequest();
            Answer(ResponseDocument("Open"));
        });
        ASSERT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
        agent_.Then([this, answer] {
            TakeRequest();
            Answer(answer);
        });
        std::int32_t percent = 0, error = 0;
        ASSERT_EQ(COMPLIANCE_Progress(percent, error), 1);
    }
    void ExportTo(const std::wstring& path) { ExportResponseFile(_bstr_t(path.c_str())); }

    ScriptedAgent agent_;
    const std::string answer_ = ProgressResponse(1, "\t<ResponseItem><Designator>d</Designator></ResponseItem>\r\n");
};

// Nothing of ours goes into the agent's exchange folders, by whatever name they are reached:
// a file there could be taken for a request or an answer.
TEST_F(Export, NeverIntoAnExchangeFolder)
{
    Ready(answer_);
    const std::wstring requests = Wide(requestDir_), responses = Wide(responseDir_), inner = responses + L"\\sub";
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
    std::wstring upper = requests;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    const std::wstring name = requests.substr(requests.rfind(L'\\') + 1);
    for (const std::wstring& target : {requests + L"\\request.xml", responses + L"\\mine.xml", inner + L"\\deeper.xml",
                                       upper + L"\\x.xml", requests + L"\\..\\" + name + L"\\y.xml"}) {
        try {
            ExportTo(target);
            ADD_FAILURE() << "written: " << Narrow(target);
        } catch (const std::exception& e) {
            EXPECT_NE(FailureReason(e).find("it is in one of the agent's exchange folders"), std::string::npos)
                << Narrow(target) << ": " << FailureReason(e);
        }
        EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(target);
    }
    // Beside them, as before.
    ExportTo(Wide(scratch_ / "beside.xml"));
    EXPECT_EQ(ReadWholeFile(scratch_ / "beside.xml"), answer_);
}

// A target deeper than MAX_PATH, in the \\?\ form: exported whole.
TEST_F(Export, ALongPathInTheExtendedFormIsWritten)
{
    Ready(answer_);
    std::wstring folder = L"\\\\?\\" + Wide(scratch_.Root());
    for (int i = 0; i < 6; ++i) {
        folder += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    }
    const std::wstring target = folder + L"\\export.xml";
    ASSERT_GT(target.size(), 300u);
    try {
        ExportTo(target);
    } catch (const std::exception& e) {
        FAIL() << FailureReason(e);
    }
    const UniqueFile written(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(written) << GetLastError();
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(written.Get(), &size));
    EXPECT_EQ(static_cast<std::size_t>(size.QuadPart), answer_.size());
}

TEST_F(Export, TheOldFileStaysUntilACompleteCopyReplacesIt)
{
    Ready(answer_);
    const FileLocation target = scratch_ / "export.xml";
    WriteRaw(target, "the user's old file");
    ExportTo(Wide(target));
    EXPECT_EQ(ReadWholeFile(target), answer_);

    // Someone holds the old file open and shares it with nobody: it cannot be replaced
    // (the retries pause in virtual time), and it stays whole, with nothing left beside it.
    WriteRaw(target, "the user's old file");
    {
        const UniqueFile held(CreateFileW(Wide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_THROW(ExportTo(Wide(target)), FileIOError);
    }
    EXPECT_EQ(ReadWholeFile(target), "the user's old file");
    EXPECT_EQ(NamesIn(scratch_.Root()), (std::set<std::wstring>{L"export.xml", L"requests", L"responses"}));
}

// Once the results are read, nobody can change the answer they came from, and the export
// is those bytes.
TEST_F(Export, TheAnswerExportedIsTheOneParsed)
{
    Ready(answer_);
    const FileLocation swapped = scratch_ / "swapped.xml";
    WriteRaw(swapped, ProgressResponse(1, "<ResponseItem><Designator>planted</Designator></ResponseItem>"));
    EXPECT_FALSE(MoveFileExW(Wide(swapped).c_str(), Wide(responseFile_).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(DeleteFileW(Wide(responseFile_).c_str()));
    EXPECT_FALSE(UniqueFile(CreateFileW(Wide(responseFile_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr)));
    const FileLocation target = scratch_ / "export.xml";
    ExportTo(Wide(target));
    EXPECT_EQ(ReadWholeFile(target), answer_);
}

TEST_F(Export, RefusesAFolderAndTheAgentsOwnAnswerByAnyName)
{
    Ready(answer_);
    const FileLocation folder = scratch_ / "a folder";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ExportTo(c.path);
            ADD_FAILURE() << "exported";
        } catch (const ExceptionPL& e) {
            EXPECT_STREQ(e.what(), c.reason);
        }
        EXPECT_EQ(ReadWholeFile(responseFile_), answer_);
        EXPECT_EQ(NamesIn(responseDir_), std::set<std::wstring>{L"response.xml"});
    }
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_TRUE(NamesIn(folder).empty());
}

// What a killed export left goes with the next export to that folder; a temporary of a
// process that still runs, and anything not named as ours, stay.
TEST_F(Export, TemporariesOfExportsThatDiedGoWithTheNext)
{
    Ready(answer_);
    const std::wstring alive = L"old.xml." + std::to_wstring(GetCurrentProcessId()) + L"-0123456789abcdef.verimark-tmp";
    const std::set<std::wstring> stay{alive, L"notes.verimark-tmp", L"old.xml.12ab.verimark-tmp", L"a.xml.1.tmp",
                                      L"b.xml.4000003-0123.verimark-tmp", L"c.xml.4000004-0123456789abcdeg.verimark-tmp"};
    for (const std::wstring& name : stay)
        WriteRaw(scratch_ / Narrow(name), "stays");
    // Those of dead processes, as this version and earlier ones named them.
    for (const char* dead : {"old.xml.4000001.verimark-tmp", "export.xml.4000002.verimark-tmp",
                             "export.xml.4000005-fedcba9876543210.verimark-tmp"})
        WriteRaw(scratch_ / dead, std::string(1 << 20, 'x'));
    ExportTo(Wide(scratch_ / "export.xml"));
    std::set<std::wstring> expected = stay;
    expected.insert({L"export.xml", L"requests", L"responses"});
    EXPECT_EQ(NamesIn(scratch_.Root()), expected);
}

// Someone who takes the names of the export's temporaries in advance stops it, and the
// words say so rather than "the file exists"; what they made stays as it was.
TEST_F(Export, NamesTakenInAdvanceAreSaidToBeSo)
{
    Ready(answer_);
    const ScopedFixedNamePart fixed("0123456789abcdef");
    const std::string taken = "export.xml." + std::to_string(GetCurrentProcessId()) + "-0123456789abcdef.verimark-tmp";
    WriteRaw(scratch_ / taken.c_str(), "someone else's");
    try {
        ExportTo(Wide(scratch_ / "export.xml"));
        ADD_FAILURE() << "exported";
    } catch (const NamesTakenError& e) {
        EXPECT_EQ(FailureReason(e), "each of 16 names nobody could guess was already taken there: something in that "
                                    "folder makes files under the names this tool uses");
    }
    EXPECT_EQ(ReadWholeFile(scratch_ / taken.c_str()), "someone else's");
    EXPECT_EQ((scratch_ / "export.xml").Attributes(), INVALID_FILE_ATTRIBUTES);
}

// Names taken in advance, all but the last one tried: the export is written all the same,
// and what was planted stays as it was.
TEST_F(Export, NamesTakenInAdvanceAreTriedPast)
{
    Ready(answer_);
    std::vector<std::string> parts;
    for (int i = 0; i < 16; ++i)
        parts.push_back("000000000000000" + std::string(1, "0123456789abcdef"[i]));
    const ScopedFixedNamePart fixed(parts);
    const std::string pid = std::to_string(GetCurrentProcessId());
    for (int i = 0; i < 15; ++i)
        WriteRaw(scratch_ / ("export.xml." + pid + "-" + parts[i] + ".verimark-tmp").c_str(), "planted");
    ExportTo(Wide(scratch_ / "export.xml"));
    EXPECT_EQ(ReadWholeFile(scratch_ / "export.xml"), answer_);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(ReadWholeFile(scratch_ / ("export.xml." + pid + "-" + parts[i] + ".verimark-tmp").c_str()), "planted");
    EXPECT_EQ((scratch_ / ("export.xml." + pid + "-" + parts[15] + ".verimark-tmp").c_str()).Attributes(),
              INVALID_FILE_ATTRIBUTES);
}

// An elevated export follows no link on its way: not the folder itself, not one above it,
// not one whose target is gone. What the links lead to keeps its file of that name, and
// nothing is written anywhere; a plain folder still takes the export.
TEST_F(Export, AnElevatedExportFollowsNoLinkOnItsWay)
{
    if (!ProcessIsElevated())
        GTEST_SKIP() << "the process is not elevated";
    Ready(answer_);
    const FileLocation victim = scratch_ / "victim", inside = FileLocation::Child(victim, "sub");
    ASSERT_TRUE(CreateDirectoryW(Wide(victim).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(inside).c_str(), nullptr));
    for (const FileLocation& folder : {victim, inside})
        WriteRaw(FileLocation::Child(folder, "x.xml"), "the victim's file");
    const FileLocation gone = scratch_ / "gone";
    ASSERT_TRUE(CreateDirectoryW(Wide(gone).c_str(), nullptr));
    MakeSymbolicLink(scratch_ / "dl", victim);
    MakeSymbolicLink(scratch_ / "dangling", gone);
    ASSERT_TRUE(RemoveDirectoryW(Wide(gone).c_str()));
    const char* const linked = "its folder is a link or a mount point, or is reached through one, "
                               "and an elevated process follows none";
    const struct {
        const char* what;
        std::wstring path;
        const char* reason;  // null: any reason, as long as it is one
    } cases[] = {
        {"the folder is a link", Wide(scratch_ / "dl") + L"\\x.xml", linked},
        {"a link above the folder", Wide(scratch_ / "dl") + L"\\sub\\x.xml", linked},
        {"a link whose target is gone", Wide(scratch_ / "dangling") + L"\\x.xml", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ExportTo(c.path);
            ADD_FAILURE() << "exported";
        } catch (const std::exception& e) {
            if (c.reason)
                EXPECT_STREQ(e.what(), c.reason);
            else
                EXPECT_NE(std::string(e.what()), "");
        }
        EXPECT_EQ(NamesIn(victim), (std::set<std::wstring>{L"sub", L"x.xml"}));
        EXPECT_EQ(NamesIn(inside), std::set<std::wstring>{L"x.xml"});
        for (const FileLocation& folder : {victim, inside})
            EXPECT_EQ(ReadWholeFile(FileLocation::Child(folder, "x.xml")), "the victim's file");
    }
    RemoveSymbolicLink(scratch_ / "dl");
    RemoveSymbolicLink(scratch_ / "dangling");
    const FileLocation plain = scratch_ / "plain";
    ASSERT_TRUE(CreateDirectoryW(Wide(plain).c_str(), nullptr));
    ExportTo(Wide(plain) + L"\\x.xml");
    EXPECT_EQ(ReadWholeFile(FileLocation::Child(plain, "x.xml")), answer_);
    EXPECT_EQ(NamesIn(plain), std::set<std::wstring>{L"x.xml"});
}

}  // namespace
