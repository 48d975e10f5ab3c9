#include "xml/XMLWriter.h"

#include "text/Format.h"
#include "text/Numerals.h"

InvalidXMLElementName::InvalidXMLElementName(U8String elementName)
    : ExceptionPL(Format("Unable to write XML element with invalid element name '{s}'", elementName))
{
}

InvalidXMLAttributeName::InvalidXMLAttributeName(U8String elementName, U8String attributeName)
    : ExceptionPL(Format("Unable to write XML element '{elementName}' with invalid attribute name '{attributeName}'",
                         elementName, attributeName))
{
}

bool IsValidXMLName(U8String name)
{
    if (name.Empty())
        return false;
    auto letter = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto first = static_cast<unsigned char>(*name.first);
    if (!letter(first) && first != '_' && first != ':')
        return false;
    for (const char* p = name.first + 1; p != name.last; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '-' && c != '_' && c != ':' && c != 0xB7)
            return false;
    }
    return true;
}

void XMLWriter::StartDocument(U8String rootName, XMLAttributeList* attributes, const U8String* encoding)
{
    sink_.Begin(0, 0);
    Write("<?xml version=\"1.0\"");
    if (encoding) {
        Write(" encoding=\"");
        Write(*encoding);
        Write("\"");
    }
    Write("?>");
    StartElement(rootName, attributes);
}

void XMLWriter::NewLine(std::size_t tabs)
{
    if (layout_ != 0 && layout_ != 1)
        return;
    sink_.EndLine(0, 0, 0, 0);
    if (layout_ == 0)
        for (std::size_t i = 0; i < tabs; ++i)
            Write("\t");
}

void XMLWriter::StartElement(U8String name, XMLAttributeList* attributes)
{
    if (!IsValidXMLName(name))
        throw InvalidXMLElementName(name);
    if (attributes) {
        attributes->Rewind();
        while (auto* attribute = attributes->Next())
            if (!IsValidXMLName(attribute->first))
                throw InvalidXMLAttributeName(name, attribute->first);
    }
    NewLine(open_.size());
    Write("<");
    Write(name);
    if (attributes) {
        attributes->Rewind();
        while (auto* attribute = attributes->Next()) {
            Write(" ");
            Write(attribute->first);
            Write("=\"");
            WriteEscaped(attribute->second, true);
            Write("\"");
        }
    }
    Write(">");
    open_.emplace_back(name);
    last_ = StartTag;
}

void XMLWriter::Text(U8String text)
{
    if (last_ == EndTag && (layout_ == 0 || layout_ == 1))
        sink_.EndLine(0, 0, 0, 0);
    WriteEscaped(text, false);
    last_ = CharacterData;
}

void XMLWriter::EndElement()
{
    if (open_.empty())
        throw XMLWriterNoOpenElement();
    if (last_ == EndTag)
        NewLine(open_.size() - 1);
    Write("</");
    Write(open_.back());
    Write(">");
    last_ = EndTag;
    open_.pop_back();
}

void XMLWriter::EndDocument()
{
    while (!open_.empty())
        EndElement();
    sink_.End(0, 0);
}

// Unchanged bytes go to the sink in runs, one call per run.
void XMLWriter::WriteEscaped(U8String text, bool attribute)
{
    const char* run = text.first;
    for (const char* p = text.first; p < text.last; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        const char* replacement = nullptr;
        switch (c) {
        case '&': replacement = "&amp;"; break;
        case '<': replacement = "&lt;"; break;
        case '>': replacement = "&gt;"; break;
        case '"':
            if (attribute)
                replacement = "&quot;";
            break;
        default: break;
        }
        if (!replacement && (attribute || c < 0x80))
            continue;
        if (run != p)
            Write({run, p});
        run = p + 1;
        if (replacement) {
            Write(replacement);
        } else {
            // Text leaves as ASCII: each byte of a multi-byte character becomes its own reference.
            char reference[8] = {'&', '#', 'x'};
            const ConstData<8> digits = FormatHex32(c, 2);
            reference[3] = digits.Text()[0];
            reference[4] = digits.Text()[1];
            reference[5] = ';';
            Write({reference, reference + 6});
        }
    }
    if (run < text.last)
        Write({run, text.last});
}
