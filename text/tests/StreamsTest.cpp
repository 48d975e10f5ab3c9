#include "text/DataFilter.h"
#include "text/DataReader.h"
#include "text/DataWriter.h"
#include "text/LineReceiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingReceiver final : public DataReceiver {
public:
    void Begin() override { events.push_back("Begin"); }
    void Receive(const char* first, const char* last) override { events.emplace_back(first, last); }
    void End() override { events.push_back("End"); }
    std::vector<std::string> events;
};

TEST(EmptyDataReader, HasNothingToGive)
{
    EmptyDataReader reader;
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.HasMore());
    char byte = 0;
    EXPECT_NO_THROW(reader.ReadExactly(&byte, &byte));
    EXPECT_THROW(reader.ReadExactly(&byte, &byte + 1), NoMoreData);
}

// Gives its bytes a few at a time, as a slow source would.
class TrickleReader final : public DataReader {
public:
    explicit TrickleReader(std::string bytes) : bytes_(std::move(bytes)) {}
    void Rewind() override { position_ = 0; }
    bool AtEnd() override { return position_ >= bytes_.size(); }
    void ReadSome(ByteRange& range) override
    {
        while (!range.Empty() && position_ < bytes_.size() && range.first - start_ < 3)
            *range.first++ = bytes_[position_++];
        start_ = range.first;
    }

private:
    std::string bytes_;
    std::size_t position_ = 0;
    char* start_ = nullptr;
};

TEST(DataReader, DefaultReadExactlyGathersPiecesAndKeepsWhatArrived)
{
    TrickleReader reader("abcdefgh");
    char buffer[10] = {};
    reader.ReadExactly(buffer, buffer + 7);
    EXPECT_EQ(std::string(buffer, 7), "abcdefg");
    EXPECT_THROW(reader.ReadExactly(buffer, buffer + 2), NoMoreData);
    EXPECT_EQ(buffer[0], 'h');
}

TEST(IgnoreDataReceiver, AcceptsAnythingAndWriteReturnsItself)
{
    IgnoreDataReceiver receiver;
    receiver.Begin();
    const std::string data(1000, 'x');
    EXPECT_EQ(&receiver.Write(data.data(), data.data() + data.size()), &receiver);
    receiver.End();
}

TEST(LineFlattener, SeparatorAfterEachLine)
{
    RecordingReceiver target;
    const std::string_view crlf = "\r\n";
    LineFlattener flattener(crlf.data(), crlf.data() + 2, target);
    auto text = [&](std::string_view t) { flattener.Text(t.data(), t.data() + t.size()); };
    flattener.Begin(0, 0);
    text("ab");
    text("c");
    flattener.EndLine(0, 0, 0, 0);
    text("d");
    flattener.EndLine(0, 0, 0, 0);
    flattener.End(0, 0);
    EXPECT_EQ(target.events, (std::vector<std::string>{"Begin", "ab", "c", "\r\n", "d", "\r\n", "End"}));
}

std::string Filtered(DataFilter& filter, std::string_view input)
{
    std::string output(input.size(), '\0');
    ConstByteRange in{input.data(), input.data() + input.size()};
    ByteRange out{output.data(), output.data() + output.size()};
    filter.Filter(in, out);
    EXPECT_TRUE(in.Empty());
    return output;
}

TEST(DataFilter, IdentityStopsAtTheSmallerRange)
{
    DataFilter identity;
    const std::string_view input = "12345";
    char output[3];
    ConstByteRange in{input.data(), input.data() + 5};
    ByteRange out{output, output + 3};
    identity.Filter(in, out);
    EXPECT_EQ(in.Length(), 2u);
    EXPECT_TRUE(out.Empty());
    EXPECT_EQ(std::string(output, 3), "123");
    EXPECT_TRUE(identity.Drained());
}

TEST(DataFilter, AsciiCaseFiltersLeaveOtherBytesAlone)
{
    Ascii::CaseLoweringFilter lower;
    Ascii::CaseRaisingFilter raise;
    EXPECT_EQ(Filtered(lower, "Hello, World!\xC3\x84@[`{"), "hello, world!\xC3\x84@[`{");
    EXPECT_EQ(Filtered(raise, "abc_z\xC3\xA4"), "ABC_Z\xC3\xA4");
    const std::string_view input = "abc";
    ConstByteRange in{input.data(), input.data() + 3};
    ByteRange none{nullptr, nullptr};
    EXPECT_NO_THROW(raise.Filter(in, none));
    EXPECT_EQ(in.Length(), 3u);
}

}  // namespace
