// The hive file reader: one pass over the lines, keeping what is well formed.
#include "platform/registry/reg_file_parser.h"

#include "platform/core/hex_digit.h"
#include "platform/registry/reg_text.h"

#include <cstdint>
#include <variant>

namespace kvn::registry {
namespace {

constexpr std::string_view headerLine = "Windows Registry Editor Version 5.00";
constexpr std::string_view oldHeaderLine = "REGEDIT4";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string decodeText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return fromUtf16le(bytes.substr(2), LoneSurrogates::AsReplacement);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return std::string(bytes);
}

// A quoted text with the "\\" and "\"" escapes, from the opening quote on;
// the rest of the line is left in `text`.
std::optional<std::string> takeQuoted(std::string_view& text)
{
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return std::nullopt;
            ++i;
        }
        out += text[i];
    }
    return std::nullopt;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t number = 0;
    for (const char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    return number;
}

std::optional<std::string> parseHexBytes(std::string_view list)
{
    std::string bytes;
    list = trim(list);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = trim(list.substr(0, comma));
        if (item.size() > 2)
            return std::nullopt;
        const std::optional<std::uint32_t> byte = parseHexNumber(item);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
        if (comma == std::string_view::npos)
            break;
        list = trim(list.substr(comma + 1));
    }
    return bytes;
}

// The data of a string value in hex form is UTF-16LE with its terminating
// NUL; data of an odd length cannot be that and is kept as its bytes.
std::string stringFromHex(std::string bytes)
{
    if (bytes.size() % 2 != 0)
        return bytes;
    if (bytes.ends_with(std::string_view("\0\0", 2)))
        bytes.resize(bytes.size() - 2);
    return fromUtf16le(bytes, LoneSurrogates::AsRawBytes);
}

bool isStringType(std::uint32_t type)
{
    return type == static_cast<std::uint32_t>(ValueType::String)
        || type == static_cast<std::uint32_t>(ValueType::ExpandString);
}

struct DeleteMark { };
using ValueData = std::variant<Value, DeleteMark>;

std::optional<ValueData> parseData(std::string_view data)
{
    if (data == "-")
        return DeleteMark{};
    if (data.starts_with('"')) {
        std::optional<std::string> text = takeQuoted(data);
        if (!text || !trim(data).empty())
            return std::nullopt;
        return Value{static_cast<std::uint32_t>(ValueType::String), std::move(*text)};
    }
    if (data.starts_with("dword:")) {
        const std::optional<std::uint32_t> number = parseHexNumber(trim(data.substr(6)));
        if (!number)
            return std::nullopt;
        return dwordValue(*number);
    }
    std::uint32_t type = static_cast<std::uint32_t>(ValueType::Binary);
    if (data.starts_with("hex(")) {
        const std::size_t close = data.find("):");
        const std::optional<std::uint32_t> number
            = close == std::string_view::npos ? std::nullopt : parseHexNumber(data.substr(4, close - 4));
        if (!number)
            return std::nullopt;
        type = *number;
        data.remove_prefix(close + 2);
    } else if (data.starts_with("hex:")) {
        data.remove_prefix(4);
    } else {
        return std::nullopt;
    }
    std::optional<std::string> bytes = parseHexBytes(data);
    if (!bytes)
        return std::nullopt;
    if (isStringType(type))
        return Value{type, stringFromHex(std::move(*bytes))};
    return Value{type, std::move(*bytes)};
}

class Parser {
public:
    explicit Parser(std::string_view hiveName) : foldedHive_(foldName(hiveName)) { }

    ParsedHive run(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            lines_.push_back(text.substr(0, end));
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
        for (next_ = 0; next_ < lines_.size();) {
            const std::size_t number = next_ + 1;
            const std::string_view line = trim(lines_[next_++]);
            if (!readLine(line))
                noteProblem(number, line);
        }
        result_.tree.trailingComments = std::move(comments_);
        return std::move(result_);
    }

private:
    bool readLine(std::string_view line)
    {
        if (line.empty() || line == headerLine || line == oldHeaderLine)
            return true;
        if (line.front() == ';') {
            comments_.emplace_back(line);
            return true;
        }
        if (line.front() == '[')
            return readSection(line);
        if (skippingDeleted_)
            return true;
        return key_ != nullptr && readValue(line);
    }

    bool readSection(std::string_view line)
    {
        key_ = nullptr;
        skippingDeleted_ = false;
        if (line.back() != ']')
            return false;
        std::string_view path = line.substr(1, line.size() - 2);
        const bool deletion = path.starts_with('-');
        if (deletion)
            path.remove_prefix(1);
        const std::size_t slash = path.find('\\');
        if (foldName(trim(path.substr(0, slash))) != foldedHive_)
            return false;
        const std::string_view below = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (deletion) {
            result_.tree.remove(below);
            skippingDeleted_ = true;
            comments_.clear();
            return true;
        }
        key_ = &result_.tree.create(below);
        moveComments(key_->comments);
        return true;
    }

    bool readValue(std::string_view line)
    {
        std::string_view rest = line;
        std::optional<std::string> name;
        if (rest.starts_with('@')) {
            name = std::string();
            rest.remove_prefix(1);
        } else {
            name = takeQuoted(rest);
        }
        rest = trim(rest);
        if (!name || !rest.starts_with('='))
            return false;
        std::string data(trim(rest.substr(1)));
        if (data.starts_with("hex"))
            joinContinuations(data);
        const std::optional<ValueData> parsed = parseData(data);
        if (!parsed)
            return false;
        if (std::holds_alternative<DeleteMark>(*parsed)) {
            HiveTree::removeValue(*key_, *name);
            comments_.clear();
            return true;
        }
        HiveTree::setValue(*key_, *name, std::get<Value>(*parsed));
        moveComments(key_->findValue(foldName(*name))->comments);
        return true;
    }

    // Long hex data goes on over lines that end in "\".
    void joinContinuations(std::string& data)
    {
        while (data.ends_with('\\')) {
            data.pop_back();
            if (next_ == lines_.size())
                return;
            data += trim(lines_[next_++]);
        }
    }

    void moveComments(std::vector<std::string>& into)
    {
        into.insert(into.end(), comments_.begin(), comments_.end());
        comments_.clear();
    }

    void noteProblem(std::size_t number, std::string_view line)
    {
        if (!result_.problem)
            result_.problem = HiveProblem{number, std::string(line.substr(0, 80)), 0};
        ++result_.problem->lineCount;
    }

    std::string foldedHive_;
    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
    std::vector<std::string> comments_;
    HiveKey* key_ = nullptr;
    bool skippingDeleted_ = false;
    ParsedHive result_;
};

} // namespace

ParsedHive parseHive(std::string_view bytes, std::string_view hiveName)
{
    const std::string text = decodeText(bytes);
    return Parser(hiveName).run(text);
}

} // namespace kvn::registry
