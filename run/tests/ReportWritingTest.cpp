// The pieces the reports are written with as a run goes: JSON laid out and escaped as its
// readers expect, and the spool that gives the report files their items back after the run.
#include "text/Win32.h"
#include "run/ItemSpool.h"
#include "run/JsonWriter.h"
#include "run/MarkupText.h"
#include "files/RandomName.h"
#include "text/UniqueResource.h"
#include "text/Transcoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace {

TEST(JsonWriter, LaysOutDocumentsAsAPrettyPrinterDoes)
{
    StringSink sink;
    JsonWriter w(sink);
    w.BeginObject();
    w.Key("empty object").BeginObject().EndObject();
    w.Key("empty array").BeginArray().EndArray();
    w.Key("list").BeginArray().Number(-1).Boolean(true).Null();
    w.BeginObject().Key("a").Text("b").Key("c").BeginArray().Boolean(false).EndArray().EndObject().EndArray();
    w.Key("seconds").BeginArray().Seconds(0).Seconds(2500).Seconds(3000).Seconds(1234).Seconds(60010).EndArray();
    w.EndObject();
    EXPECT_EQ(sink.Text(), "{\n"
                           "  \"empty object\": {},\n"
                           "  \"empty array\": [],\n"
                           "  \"list\": [\n"
                           "    -1,\n"
                           "    true,\n"
                           "    null,\n"
                           "    {\n"
                           "      \"a\": \"b\",\n"
                           "      \"c\": [\n"
                           "        false\n"
                           "      ]\n"
                           "    }\n"
                           "  ],\n"
                           "  \"seconds\": [\n"
                           "    0.0,\n"
                           "    2.5,\n"
                           "    3.0,\n"
                           "    1.234,\n"
                           "    60.01\n"
                           "  ]\n"
                           "}");
}

TEST(JsonWriter, EscapesWhatJsonMustAndKeepsEverythingElse)
{
    const struct {
        std::string text, written;
    } cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {"\x01\x1b[2J\x1f\x7f", "\"\\u0001\\u001b[2J\\u001f\x7f\""},
        {std::string("a\0b", 3), "\"a\\u0000b\""},
        {"\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "\"\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\""},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonString(out, c.text);
        EXPECT_EQ(out, c.written) << c.text;
        StringSink sink;
        JsonWriter(sink).BeginObject().Key(c.text).Text(c.text).EndObject();
        EXPECT_EQ(sink.Text(), "{\n  " + c.written + ": " + c.written + "\n}");
    }
}

// What XML 1.0 cannot carry never reaches a report as it is: the reports always parse.
// The same whether escaped whole or in pieces, whatever piece a character falls across.
TEST(MarkupText, LeavesNothingXmlCannotCarry)
{
    const struct {
        std::string text, escaped;
    } cases[] = {
        {"plain \xE4\xB8\xAD \xF0\x9F\x98\x80", "plain \xE4\xB8\xAD \xF0\x9F\x98\x80"},
        {"<b a='1'>&\"]]>", "&lt;b a=&#39;1&#39;&gt;&amp;&quot;]]&gt;"},
        {"\t\n\r", "&#9;&#10;&#13;"},
        {std::string("\x01\x1b\0", 3), "\\x01\\x1b\\x00"},
        {"a\xEF\xBF\xBE b\xEF\xBF\xBF c\xEF\xBF\xBD", "a\\uFFFE b\\uFFFF c\xEF\xBF\xBD"},
        {"lone \xED\xA0\x80 surrogate", "lone \\xed\\xa0\\x80 surrogate"},
        {"cut \xE4\xB8", "cut \\xe4\\xb8"},
        {"bad \xC0\x80 \xFF", "bad \\xc0\\x80 \\xff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MarkupText(c.text), c.escaped) << c.text;
        StringSink sink;
        WriteMarkup(sink, c.text);
        EXPECT_EQ(sink.Text(), c.escaped) << c.text;
    }
    for (const std::size_t before : {65534u, 65535u, 65536u}) {
        const std::string text = std::string(before, 'a') + "\xE4\xB8\xAD\xEF\xBF\xBE" + std::string(70000, '<');
        StringSink sink;
        WriteMarkup(sink, text);
        EXPECT_EQ(sink.Text(), MarkupText(text)) << before;
    }
}

auto Fields(const ListedItem& i)
{
    return std::tie(i.designator, i.result, i.resultType, i.evaluationTime, i.description, i.comment, i.problem);
}

std::vector<ListedItem> Read(const ItemSource& source)
{
    std::vector<ListedItem> items;
    source.ForEach([&](const ListedItem& item) { items.push_back(item); });
    return items;
}

void ExpectSame(const std::vector<ListedItem>& got, const std::vector<ListedItem>& expected, std::size_t count)
{
    ASSERT_EQ(got.size(), count);
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_TRUE(Fields(got[i]) == Fields(expected[i])) << "item " << i;
}

// Every item comes back as it went in, as often as asked and with more added between the
// readings: empty texts, a NUL, a comment longer than the spool's pieces, many small items.
// The file is gone with the spool.
TEST(ItemSpool, GivesBackEveryItemAsWrittenAsOftenAsAsked)
{
    std::vector<ListedItem> items;
    items.push_back({"", "", "", "", "", "", ""});
    items.push_back({"long", "Error: x", "error", "12", std::string("with\0nul", 8), std::string(200000, 'c'), ""});
    items.push_back({"", "", "", "", "", "", "there was not enough memory to hold its texts"});
    for (int i = 0; i < 30000; ++i)
        items.push_back({"item-" + std::to_string(i), i % 3 ? "True" : "False", "boolean", std::to_string(i), "d",
                         "\xD0\x9A\xD0\xB8\xD1\x80", ""});
    std::wstring path;
    {
        ItemSpool spool;
        // A name nobody can make in advance: "verimark-" and 16 random hexadecimal digits.
        ASSERT_TRUE(spool.Where());
        path = Wide(spool.Where()->Text().View());
        EXPECT_TRUE(std::regex_search(path, std::wregex(L"\\\\verimark-[0-9a-f]{16}\\.items$"))) << Narrow(path);
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        ExpectSame(Read(spool), items, 0);
        for (std::size_t i = 0; i < 1000; ++i)
            spool.Item(items[i]);
        ExpectSame(Read(spool), items, 1000);
        for (std::size_t i = 1000; i < items.size(); ++i)
            spool.Item(items[i]);
        ExpectSame(Read(spool), items, items.size());
        ExpectSame(Read(spool), items, items.size());
    }
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);  // gone with the spool
}

// A spool whose file cannot be had keeps the items in memory and says why, naming the
// temporary folder: its names taken in advance, or a folder that is not there.
TEST(ItemSpool, KeepsItemsInMemoryWhenItsFileCannotBeHadAndSaysWhy)
{
    const std::vector<ListedItem> items(3, ListedItem{"d", "True", "boolean", "1", "desc", "comment", ""});
    wchar_t temp[MAX_PATH + 2];
    ASSERT_NE(GetTempPathW(MAX_PATH + 2, temp), 0u);
    const ScopedFixedNamePart fixed("0123456789abcdef");
    const std::wstring taken = std::wstring(temp) + L"verimark-0123456789abcdef.items";
    {
        const UniqueFile planted(CreateFileW(taken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(planted);
    }
    const struct {
        const char* what;
        const wchar_t* tmp;  // null: as it is
        std::string words;
    } cases[] = {
        {"names taken", nullptr,
         "the run's items could not be kept in the temporary folder \"" + Narrow(temp) +
             "\" (each of 16 names nobody could guess was already taken there: something in that folder makes files "
             "under the names this tool uses), so they were kept in memory instead"},
        {"no such folder", L"C:\\no such folder\\",
         "the run's items could not be kept in the temporary folder \"C:\\no such folder\\\" ("},
    };
    wchar_t saved[32768];
    const DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, 32768);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.tmp)
            SetEnvironmentVariableW(L"TMP", c.tmp);
        ItemSpool spool;
        for (const ListedItem& item : items)
            spool.Item(item);
        EXPECT_FALSE(spool.Where());
        ExpectSame(Read(spool), items, items.size());
        const std::optional<std::string> words = spool.FileFailureWords();
        ASSERT_TRUE(words);
        EXPECT_TRUE(words->starts_with(c.words)) << *words;
        SetEnvironmentVariableW(L"TMP", savedLength ? saved : nullptr);
    }
    DeleteFileW(taken.c_str());
    EXPECT_FALSE(ItemSpool().FileFailureWords());
}

}  // namespace
