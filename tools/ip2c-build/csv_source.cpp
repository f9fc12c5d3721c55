// Reads IP-to-country CSV files line by line; see csv_source.h for the layouts.
#include "tools/ip2c-build/csv_source.h"

#include "tools/ip2c-build/country_naming.h"

#include <charconv>
#include <fstream>

namespace kvn::ip2c {
namespace {

constexpr std::size_t longestLine = 4096;
constexpr std::size_t classicFields = 5;
constexpr std::size_t rangesFields = 3;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool namesNoCountry(std::string_view code) { return code.empty() || code == "-" || code == "--" || code == "ZZ"; }

bool isCountryCode(std::string_view code) { return code.size() == 2 && isLetter(code[0]) && isLetter(code[1]); }

std::optional<std::uint32_t> parseNumber(std::string_view text, std::uint64_t largest)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > largest)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string layoutText(CsvLayout layout)
{
    return layout == CsvLayout::Classic ? "5 fields (ip_from,ip_to,code2,code3,country name)"
                                        : "3 fields (first address,last address,code)";
}

// Built by appending: gcc 12 at -O3 warns falsely about "..." + std::string.
std::string notAnIpv4Address(std::string_view text)
{
    return std::string("\"").append(text).append("\" is not an IPv4 address");
}

class CsvReader {
public:
    CsvReader(const std::string& name, CsvLayout layout, const Progress& progress) : name_(name), progress_(progress)
    {
        result_.layout = layout;
    }

    // False when the line is refused; the status says why.
    bool readLine(std::string_view line, std::size_t number)
    {
        line_ = number;
        if (line.size() > longestLine)
            return refuse("the line is longer than " + std::to_string(longestLine) + " bytes");
        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#')
            return true;
        const std::optional<std::vector<std::string>> fields = splitCsvLine(content);
        if (!fields)
            return refuse("a quoted field is not closed");
        if (isHeader(*fields))
            return true;
        if (!takeLayout(fields->size()))
            return false;
        sawData_ = true;
        return result_.layout == CsvLayout::Classic ? readClassic(*fields) : readRanges(*fields);
    }

    CsvRanges finish()
    {
        if (result_.status.ok() && result_.ranges.empty())
            result_.status = Status::failure(name_ + ": no IPv4 country ranges found");
        return std::move(result_);
    }

    void report(std::size_t lines) const
    {
        if (progress_)
            progress_("read " + std::to_string(lines) + " lines, " + std::to_string(result_.ranges.size()) + " ranges");
    }

private:
    // Only the first data line may be a header, and it starts with a letter.
    bool isHeader(const std::vector<std::string>& fields) const
    {
        const std::string_view first = trimmed(fields.front());
        return !sawData_ && !first.empty() && isLetter(first.front());
    }

    bool takeLayout(std::size_t fields)
    {
        if (result_.layout == CsvLayout::Detect) {
            if (fields == classicFields)
                result_.layout = CsvLayout::Classic;
            else if (fields == rangesFields)
                result_.layout = CsvLayout::Ranges;
            else
                return refuse("expected " + layoutText(CsvLayout::Classic) + " or " + layoutText(CsvLayout::Ranges)
                    + ", found " + std::to_string(fields));
        }
        const std::size_t expected = result_.layout == CsvLayout::Classic ? classicFields : rangesFields;
        if (fields != expected)
            return refuse("expected " + layoutText(result_.layout) + ", found " + std::to_string(fields));
        return true;
    }

    bool readClassic(const std::vector<std::string>& fields)
    {
        const std::string code = inCapitals(trimmed(fields[2]));
        const std::string_view fileName = trimmed(fields[4]);
        return addRange(fields[0], fields[1], code, trimmed(fields[3]), fileName);
    }

    bool readRanges(const std::vector<std::string>& fields)
    {
        const std::string code = inCapitals(trimmed(fields[2]));
        return addRange(fields[0], fields[1], code, {}, {});
    }

    bool addRange(std::string_view firstText, std::string_view lastText, const std::string& code,
        std::string_view code3, std::string_view fileName)
    {
        firstText = trimmed(firstText);
        lastText = trimmed(lastText);
        if (firstText.find(':') != std::string_view::npos || lastText.find(':') != std::string_view::npos)
            return skip(); // IPv6: the lookup only knows IPv4 addresses
        const std::optional<std::uint32_t> first = parseIpv4(firstText);
        if (!first)
            return refuse(notAnIpv4Address(firstText));
        const std::optional<std::uint32_t> last = parseIpv4(lastText);
        if (!last)
            return refuse(notAnIpv4Address(lastText));
        if (*first > *last)
            return refuse("the first address is greater than the last");
        if (namesNoCountry(code))
            return skip();
        if (!isCountryCode(code))
            return refuse("\"" + code + "\" is not a two-letter country code");

        std::string country = countryNameFor(code, fileName);
        if (country.empty())
            country = code;
        result_.ranges.push_back(IpRange{
            *first, *last, code, code3.empty() ? code3For(code) : std::string(code3), std::move(country), line_});
        return true;
    }

    bool skip()
    {
        ++result_.skippedRows;
        return true;
    }

    bool refuse(const std::string& why)
    {
        result_.status = Status::failure(name_ + ":" + std::to_string(line_) + ": " + why);
        return false;
    }

    const std::string& name_;
    const Progress& progress_;
    CsvRanges result_;
    std::size_t line_ = 0;
    bool sawData_ = false;
};

} // namespace

std::optional<CsvLayout> csvLayoutNamed(std::string_view name)
{
    if (name == "auto")
        return CsvLayout::Detect;
    if (name == "classic")
        return CsvLayout::Classic;
    if (name == "ranges")
        return CsvLayout::Ranges;
    return std::nullopt;
}

std::optional<std::vector<std::string>> splitCsvLine(std::string_view line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

std::optional<std::uint32_t> parseIpv4(std::string_view text)
{
    if (text.find('.') == std::string_view::npos)
        return parseNumber(text, 0xFFFFFFFFu);
    std::uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        const bool last = part == 3;
        if (last != (dot == std::string_view::npos))
            return std::nullopt;
        const std::optional<std::uint32_t> number = parseNumber(text.substr(0, dot), 255);
        if (!number)
            return std::nullopt;
        value = value * 256 + *number;
        if (!last)
            text.remove_prefix(dot + 1);
    }
    return value;
}

CsvRanges readCsvRanges(std::istream& input, const std::string& name, CsvLayout layout, const Progress& progress)
{
    CsvReader reader(name, layout, progress);
    std::string line;
    std::size_t number = 0;
    while (std::getline(input, line)) {
        ++number;
        if (!reader.readLine(line, number))
            return reader.finish();
        if (number % 100000 == 0)
            reader.report(number);
    }
    if (input.bad())
        return {Status::failure(name + ": read error"), layout, {}, 0};
    reader.report(number);
    return reader.finish();
}

CsvRanges readCsvFile(const std::string& path, CsvLayout layout, const Progress& progress)
{
    std::ifstream input(path, std::ios::binary);
    if (!input)
        return {Status::failure("Cannot open \"" + path + "\""), layout, {}, 0};
    return readCsvRanges(input, path, layout, progress);
}

} // namespace kvn::ip2c
