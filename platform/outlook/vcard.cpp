// A vCard reader for what the mail store needs of a contact: FN and EMAIL.
// It unfolds lines, splits off group prefixes and parameters, and decodes the
// value escapes of vCard 3.0 and 4.0; every other property is passed over.
#include "platform/outlook/vcard.h"

#include "platform/core/utf8_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace kvn::outlook {

namespace {

// A contacts file larger than this is not a vCard file anyone keeps.
constexpr std::uintmax_t maxVCardFileBytes = 64 * 1024 * 1024;

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Logical lines: a line that starts with a space or tab continues the one
// before it, without that first blank and without the line end.
std::vector<std::string> unfoldedLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (continuation && !lines.empty())
            lines.back().append(line.substr(1));
        else
            lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

struct Property {
    std::string_view name; // without group prefix and parameters
    std::string_view value; // still escaped
};

// Splits "item1.EMAIL;TYPE=work:value". A colon inside a quoted parameter
// value does not end the name part.
std::optional<Property> splitProperty(std::string_view line)
{
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view name = line.substr(0, std::min(colon, line.find(';')));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    return Property{name, line.substr(colon + 1)};
}

std::string unescaped(std::string_view value)
{
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char next = value[++i];
        text += (next == 'n' || next == 'N') ? '\n' : next;
    }
    return text;
}

std::string trimmed(std::string text)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

// vCard text is UTF-8; a byte that is not (an old writer's Latin-1) becomes
// U+FFFD and a NUL a space, so that names and addresses are always clean text.
std::string cleanUtf8(std::string text)
{
    if (isValidUtf8(text) && text.find('\0') == std::string::npos)
        return text;
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Character character = decodeUtf8At(text, at);
        if (character.isRawByte)
            clean += "\xEF\xBF\xBD";
        else if (text[at] == '\0')
            clean += ' ';
        else
            clean.append(text, at, character.length);
        at += character.length;
    }
    return clean;
}

// A property value unescaped, trimmed and made clean UTF-8.
std::string propertyText(std::string_view value) { return cleanUtf8(trimmed(unescaped(value))); }

// An e-mail value, minus a "mailto:" that some 4.0 writers put in front.
std::string emailValue(std::string_view value)
{
    std::string email = propertyText(value);
    if (email.size() >= 7 && equalsAsciiIgnoringCase(std::string_view(email).substr(0, 7), "mailto:"))
        email.erase(0, 7);
    return email;
}

} // namespace

std::vector<ContactCard> parseVCards(std::string_view text)
{
    std::vector<ContactCard> cards;
    std::optional<ContactCard> card;
    for (const std::string& line : unfoldedLines(text)) {
        const std::optional<Property> property = splitProperty(line);
        if (!property)
            continue;
        const std::string value = trimmed(std::string(property->value));
        if (equalsAsciiIgnoringCase(property->name, "BEGIN") && equalsAsciiIgnoringCase(value, "VCARD")) {
            if (card)
                cards.push_back(std::move(*card));
            card.emplace();
        } else if (!card) {
            continue;
        } else if (equalsAsciiIgnoringCase(property->name, "END") && equalsAsciiIgnoringCase(value, "VCARD")) {
            cards.push_back(std::move(*card));
            card.reset();
        } else if (equalsAsciiIgnoringCase(property->name, "FN") && card->displayName.empty()) {
            card->displayName = propertyText(property->value);
        } else if (equalsAsciiIgnoringCase(property->name, "EMAIL")) {
            std::string email = emailValue(property->value);
            if (!email.empty())
                card->emails.push_back(std::move(email));
        }
    }
    if (card)
        cards.push_back(std::move(*card));
    return cards;
}

std::vector<ContactCard> readContactsFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::string extension = path.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
            [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::error_code fileError;
        if (extension == ".vcf" && it->is_regular_file(fileError) && it->file_size(fileError) <= maxVCardFileBytes)
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    std::vector<ContactCard> cards;
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            continue;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<ContactCard> fileCards = parseVCards(text);
        std::move(fileCards.begin(), fileCards.end(), std::back_inserter(cards));
    }
    return cards;
}

} // namespace kvn::outlook
