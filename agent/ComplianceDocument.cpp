#include "agent/ComplianceDocument.h"

#include "compliance/DottedVersion.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "xml/XMLTreeParserPL.h"

#include <chrono>
#include <stdexcept>

namespace {

struct Outcome {
    bool value;
    std::string seen;
};

std::string Attribute(const XMLElementPL& element, std::string_view name, bool required = true)
{
    for (const XMLAttributePL& attribute : element.AttributeList())
        if (attribute.name.StringView() == name)
            return std::string(attribute.value.StringView());
    if (required)
        throw std::runtime_error("<" + std::string(element.Name().View()) + "> needs the attribute " + std::string(name));
    return {};
}

std::uint64_t ParseNumber(const std::string& text, const char* what)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        throw std::runtime_error(std::string(what) + " is not a whole number: " + text);
    return std::stoull(text);
}

}  // namespace

class Condition {
public:
    virtual ~Condition() = default;
    virtual Outcome Test() const = 0;
};

namespace {

std::shared_ptr<const Condition> ParseCondition(const XMLElementPL& element);

std::vector<std::shared_ptr<const Condition>> ParseChildren(const XMLElementPL& element)
{
    std::vector<std::shared_ptr<const Condition>> parts;
    for (const XMLElementPL& child : element.ChildList())
        parts.push_back(ParseCondition(child));
    if (parts.empty())
        throw std::runtime_error("<" + std::string(element.Name().View()) + "> needs at least one condition");
    return parts;
}

class PathCondition : public Condition {
public:
    explicit PathCondition(const XMLElementPL& e) : path_(Attribute(e, "Path")) {}

protected:
    // The attributes of the path, or nothing when it is not there.
    bool Find(WIN32_FILE_ATTRIBUTE_DATA& data) const
    {
        return GetFileAttributesExW(Wide(path_).c_str(), GetFileExInfoStandard, &data) != FALSE;
    }
    std::string path_;
};

// FileExists and DirectoryExists: the path is there, and is of the wanted kind.
class PathExists final : public PathCondition {
public:
    PathExists(const XMLElementPL& e, bool directory) : PathCondition(e), directory_(directory) {}
    Outcome Test() const override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!Find(data))
            return {false, path_ + " is missing"};
        const bool isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isDirectory != directory_)
            return {false, path_ + (isDirectory ? " is a directory" : " is a file")};
        return {true, path_ + " exists"};
    }

private:
    bool directory_;
};

class FileSize final : public PathCondition {
public:
    explicit FileSize(const XMLElementPL& e)
        : PathCondition(e), min_(ParseNumber(Attribute(e, "Min", false).empty() ? "0" : Attribute(e, "Min"), "Min")),
          max_(Attribute(e, "Max", false).empty() ? UINT64_MAX : ParseNumber(Attribute(e, "Max"), "Max"))
    {
    }
    Outcome Test() const override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!Find(data))
            throw std::runtime_error(path_ + " is missing");
        const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        return {size >= min_ && size <= max_, path_ + " has " + std::to_string(size) + " bytes"};
    }

private:
    std::uint64_t min_, max_;
};

class FileAge final : public PathCondition {
public:
    explicit FileAge(const XMLElementPL& e)
        : PathCondition(e),
          minDays_(Attribute(e, "MinDays", false).empty() ? 0 : ParseNumber(Attribute(e, "MinDays"), "MinDays")),
          maxDays_(Attribute(e, "MaxDays", false).empty() ? UINT64_MAX : ParseNumber(Attribute(e, "MaxDays"), "MaxDays"))
    {
    }
    Outcome Test() const override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!Find(data))
            throw std::runtime_error(path_ + " is missing");
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        auto ticks = [](FILETIME t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        const std::uint64_t written = ticks(data.ftLastWriteTime), current = ticks(now);
        const std::uint64_t days = current > written ? (current - written) / 864000000000ULL : 0;
        return {days >= minDays_ && days <= maxDays_, path_ + " was last written " + std::to_string(days) + " days ago"};
    }

private:
    std::uint64_t minDays_, maxDays_;
};

// A registry value as text (strings as they are, DWORD and QWORD in decimal), or nothing.
class RegistryCondition : public Condition {
public:
    explicit RegistryCondition(const XMLElementPL& e) : key_(Attribute(e, "Key")), name_(Attribute(e, "Name"))
    {
        if (key_.rfind("HKLM\\", 0) == 0)
            root_ = HKEY_LOCAL_MACHINE;
        else if (key_.rfind("HKCU\\", 0) == 0)
            root_ = HKEY_CURRENT_USER;
        else
            throw std::runtime_error("registry key must begin with HKLM\\ or HKCU\\: " + key_);
    }

    // A missing value fails every registry condition; a present one is judged by Accepts.
    Outcome Test() const override
    {
        std::string text;
        if (!Read(text))
            return {false, Where() + " is missing"};
        return {Accepts(text), Where() + " is " + text};
    }

protected:
    virtual bool Accepts(const std::string& text) const = 0;

    bool Read(std::string& text) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, Wide(key_.substr(5)).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        const UniqueRegistryKey owner(key);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key, Wide(name_).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        std::vector<BYTE> data(size + sizeof(wchar_t) * 2, 0);
        if (RegQueryValueExW(key, Wide(name_).c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            return false;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            text = Narrow(reinterpret_cast<const wchar_t*>(data.data()));
        else if (type == REG_DWORD)
            text = std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
        else if (type == REG_QWORD)
            text = std::to_string(*reinterpret_cast<const std::uint64_t*>(data.data()));
        else
            text = "(" + std::to_string(size) + " bytes of type " + std::to_string(type) + ")";
        return true;
    }
    std::string Where() const { return key_ + "\\" + name_; }

    HKEY root_ = nullptr;
    std::string key_, name_;
};

class RegistryValueExists final : public RegistryCondition {
public:
    using RegistryCondition::RegistryCondition;

private:
    bool Accepts(const std::string&) const override { return true; }
};

class RegistryValueEquals final : public RegistryCondition {
public:
    explicit RegistryValueEquals(const XMLElementPL& e) : RegistryCondition(e), expected_(Attribute(e, "Value")) {}

private:
    bool Accepts(const std::string& text) const override { return text == expected_; }
    std::string expected_;
};

class RegistryVersionAtLeast final : public RegistryCondition {
public:
    explicit RegistryVersionAtLeast(const XMLElementPL& e) : RegistryCondition(e), minimum_(Attribute(e, "Version")) {}

private:
    bool Accepts(const std::string& text) const override
    {
        return VersionAtLeast(ParseDottedVersion(minimum_), ParseDottedVersion(text));
    }
    std::string minimum_;
};

class EnvironmentEquals final : public Condition {
public:
    explicit EnvironmentEquals(const XMLElementPL& e) : name_(Attribute(e, "Name")), expected_(Attribute(e, "Value")) {}
    Outcome Test() const override
    {
        const std::wstring name = Wide(name_);
        const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (size == 0)
            return {false, name_ + " is not set"};
        std::wstring value(size, L'\0');
        value.resize(GetEnvironmentVariableW(name.c_str(), value.data(), size));
        const std::string text = Narrow(value);
        return {text == expected_, name_ + " is " + text};
    }

private:
    std::string name_, expected_;
};

class Combination final : public Condition {
public:
    enum Kind { All, Any, None };
    Combination(Kind kind, const XMLElementPL& e) : kind_(kind), parts_(ParseChildren(e))
    {
        if (kind == None && parts_.size() != 1)
            throw std::runtime_error("<Not> takes exactly one condition");
    }
    Outcome Test() const override
    {
        // Parts are tried in order until one decides, as people read "all of" and "any of":
        // a missing file need not be sized after it was found missing.
        std::string seen;
        for (const auto& part : parts_) {
            const Outcome outcome = part->Test();
            seen += (seen.empty() ? "" : "; ") + outcome.seen;
            if (kind_ == All && !outcome.value)
                return {false, seen};
            if (kind_ == Any && outcome.value)
                return {true, seen};
            if (kind_ == None)
                return {!outcome.value, seen};
        }
        return {kind_ == All, seen};
    }

private:
    Kind kind_;
    std::vector<std::shared_ptr<const Condition>> parts_;
};

std::shared_ptr<const Condition> ParseCondition(const XMLElementPL& e)
{
    const std::string_view name = e.Name().View();
    if (name == "FileExists") return std::make_shared<PathExists>(e, false);
    if (name == "DirectoryExists") return std::make_shared<PathExists>(e, true);
    if (name == "FileSize") return std::make_shared<FileSize>(e);
    if (name == "FileAge") return std::make_shared<FileAge>(e);
    if (name == "RegistryValueExists") return std::make_shared<RegistryValueExists>(e);
    if (name == "RegistryValueEquals") return std::make_shared<RegistryValueEquals>(e);
    if (name == "RegistryVersionAtLeast") return std::make_shared<RegistryVersionAtLeast>(e);
    if (name == "EnvironmentEquals") return std::make_shared<EnvironmentEquals>(e);
    if (name == "AllOf") return std::make_shared<Combination>(Combination::All, e);
    if (name == "AnyOf") return std::make_shared<Combination>(Combination::Any, e);
    if (name == "Not") return std::make_shared<Combination>(Combination::None, e);
    throw std::runtime_error("unknown condition <" + std::string(name) + ">");
}

}  // namespace

ComplianceDocument ParseComplianceDocument(std::string_view xml)
{
    XMLTreeParserPL parser;
    parser.Feed(xml.data(), xml.data() + xml.size());
    XMLElementPL* root = parser.Root();
    if (!root || parser.OpenElementCount() != 0 || root->Name().View() != "ComplianceDocument")
        throw std::runtime_error("not a complete <ComplianceDocument>");
    ComplianceDocument document;
    document.id = Attribute(*root, "Id", false);
    document.name = Attribute(*root, "Name", false);
    for (const XMLElementPL& check : root->TrimChildren()) {
        if (check.Name().View() != "Check")
            throw std::runtime_error("unexpected <" + std::string(check.Name().View()) + "> in the document");
        const XMLElementPL::ConstChildren conditions = check.ChildList();
        if (conditions.size() != 1)
            throw std::runtime_error("a <Check> holds exactly one condition");
        document.checks.push_back(
            {Attribute(check, "Designator"), Attribute(check, "Description", false), ParseCondition(conditions.front())});
    }
    return document;
}

CheckResult Evaluate(const Check& check)
{
    CheckResult result;
    result.designator = check.designator;
    result.description = check.description;
    const auto start = std::chrono::steady_clock::now();
    try {
        const Outcome outcome = check.condition->Test();
        result.result = outcome.value ? "True" : "False";
        result.resultType = "boolean";
        result.comment = outcome.seen;
    } catch (const std::exception& e) {
        result.result = std::string("Error: ") + e.what();
        result.resultType = "error";
    }
    result.microseconds = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    return result;
}
