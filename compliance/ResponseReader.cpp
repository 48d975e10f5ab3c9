#include "compliance/ResponseReader.h"

#include "compliance/ResponseInterpretation.h"
#include "text/Numerals.h"
#include "xml/SimpleXMLParserPL.h"

#include <array>
#include <optional>
#include <string_view>

namespace {

// The root's children that mean something, and what an item's children mean.
enum class Child : std::uint8_t { Other, Type, State, Error, Percent, Item };

constexpr std::array<std::string_view, ComplianceItems::FieldCount> fieldNames{
    "Designator", "Result", "ResultType", "EvaluationTime", "Description", "Comment"};

// The longest name that matters; longer ones are cut by the parser and match nothing.
constexpr std::size_t longestName = 23;  // "ResponseProgressPercent"

Child ChildOf(std::string_view name)
{
    if (name == "ResponseItem")
        return Child::Item;
    if (name == "ResponseType")
        return Child::Type;
    if (name == "ResponseProgressState")
        return Child::State;
    if (name == "ResponseProgressError")
        return Child::Error;
    if (name == "ResponseProgressPercent")
        return Child::Percent;
    return Child::Other;
}

int FieldOf(std::string_view name)
{
    for (std::size_t i = 0; i < fieldNames.size(); ++i)
        if (name == fieldNames[i])
            return static_cast<int>(i);
    return -1;
}

// What a document's last top-level element says, as far as it has come.
struct Reading {
    bool rootNamed = false;  // the root is "TVKVerimarkResponse"
    ComplianceResponse response;
    bool typeSeen = false;
    // The first progress value in document order that is no number: InterpretResponse
    // stops there.
    enum class Failure : std::uint8_t { None, NotANumeral, TooLarge } failure = Failure::None;
};

}  // namespace

class ResponseReader::Events final : public SimpleXMLParserPL {
public:
    Events()
    {
        IgnoreAttributes();
        LimitNames(longestName);
        IgnoreEndTagNames();
        DeliverTextAtPieceEnds();
        WantText(false);
    }

    void OnStartElement(U8String name, XMLAttributeSpan) override;
    void OnEndElement(U8String) override;
    void OnCharacters(U8String text) override;

    ComplianceResponse Finish();

private:
    void EndChild();
    void EndItem();
    void Want() { WantText((depth_ == 2 && child_ != Child::Other && child_ != Child::Item) || (depth_ == 3 && field_ >= 0)); }

    std::uint64_t depth_ = 0;  // elements open
    bool rooted_ = false;
    Reading reading_;
    Child child_ = Child::Other;  // the root's child now open, at depth 2 and below
    int field_ = -1;              // the item's child now open, at depth 3 and below
    // The text of a root's child that is read: the type, kept up to one byte more than
    // the longest type; a number, read as it comes.
    std::string typeText_;
    Int32Accumulator number_;
    // The open item's texts as they came, and where each field's text is in them: a field
    // that repeats starts again at the end.
    std::string record_;
    std::array<std::pair<std::size_t, std::size_t>, ComplianceItems::FieldCount> spans_{};
};

void ResponseReader::Events::OnStartElement(U8String name, XMLAttributeSpan)
{
    ++depth_;
    if (depth_ == 1) {
        // A second top-level element takes the first one's place, children and all.
        if (rooted_)
            reading_ = Reading();
        rooted_ = true;
        reading_.rootNamed = name.View() == "TVKVerimarkResponse";
    } else if (depth_ == 2) {
        child_ = ChildOf(name.View());
        typeText_.clear();
        number_ = Int32Accumulator();
        if (child_ == Child::Item) {
            record_.clear();
            spans_ = {};
        }
    } else if (depth_ == 3 && child_ == Child::Item) {
        field_ = FieldOf(name.View());
        // A repeated field replaces the earlier text.
        if (field_ >= 0)
            spans_[static_cast<std::size_t>(field_)] = {record_.size(), 0};
    }
    Want();
}

void ResponseReader::Events::OnEndElement(U8String)
{
    if (depth_ == 0)
        return;
    if (depth_ == 2)
        EndChild();
    if (depth_ == 3)
        field_ = -1;
    --depth_;
    Want();
}

void ResponseReader::Events::EndChild()
{
    Reading& r = reading_;
    switch (child_) {
    case Child::Type:
        for (ComplianceRequestType kind :
             {ComplianceRequestType::Open, ComplianceRequestType::Close, ComplianceRequestType::Progress})
            if (typeText_ == RequestTypeText(kind)) {
                r.response.kind = kind;
                r.typeSeen = true;
            }
        break;
    case Child::Item:
        EndItem();
        break;
    case Child::State:
    case Child::Error:
    case Child::Percent:
        try {
            const std::int32_t value = number_.Value();
            (child_ == Child::State ? r.response.progressState
             : child_ == Child::Error ? r.response.progressError
                                      : r.response.progressPercent) = value;
        } catch (const NotANumeral&) {
            if (r.failure == Reading::Failure::None)
                r.failure = Reading::Failure::NotANumeral;
        } catch (const NumeralTooLarge&) {
            if (r.failure == Reading::Failure::None)
                r.failure = Reading::Failure::TooLarge;
        }
        break;
    default:
        break;
    }
    child_ = Child::Other;
}

void ResponseReader::Events::EndItem()
{
    // A large item keeps the buffer its texts were gathered in: a copy would double it.
    if (record_.size() > (std::size_t{1} << 16)) {
        reading_.response.items.Adopt(std::move(record_), spans_);
        record_ = std::string();
        return;
    }
    ComplianceItems::Texts texts;
    for (std::size_t f = 0; f < texts.size(); ++f)
        texts[f] = U8String(record_.data() + spans_[f].first, record_.data() + spans_[f].first + spans_[f].second);
    reading_.response.items.Add(texts);
}

void ResponseReader::Events::OnCharacters(U8String text)
{
    if (depth_ == 3) {
        record_.append(text.first, text.Length());
        spans_[static_cast<std::size_t>(field_)].second += text.Length();
        return;
    }
    if (child_ == Child::Type) {
        const std::size_t room = 9 - std::min<std::size_t>(9, typeText_.size());
        typeText_.append(text.first, std::min(room, text.Length()));
    } else {
        number_.Add(text);
    }
}

ComplianceResponse ResponseReader::Events::Finish()
{
    if (!rooted_ || depth_ != 0)
        throw VerimarkResponseReadFailure();
    if (!reading_.rootNamed)
        throw VerimarkResponseBadDocumentType();
    switch (reading_.failure) {
    case Reading::Failure::NotANumeral:
        throw NotANumeral();
    case Reading::Failure::TooLarge:
        throw NumeralTooLarge();
    case Reading::Failure::None:
        break;
    }
    if (!reading_.typeSeen)
        throw VerimarkResponseTypeFailure();
    return std::move(reading_.response);
}

ResponseReader::ResponseReader() : events_(std::make_unique<Events>()) {}
ResponseReader::~ResponseReader() = default;

void ResponseReader::Feed(const char* first, const char* last)
{
    events_->Feed(first, last);
}

ComplianceResponse ResponseReader::Finish()
{
    return events_->Finish();
}
