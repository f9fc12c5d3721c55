// The readers accept a strict subset of RFC 5322 on purpose: where a form
// leaves any room for interpretation (obsolete phrases with dots, blanks run
// together, internationalised domains that GMime may decode), GMime's reading
// is the answer and these give up.
#include "platform/outlook/plain_header_values.h"

namespace kvn::outlook::detail {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The atext of RFC 5322, less '=' and '?' (they start encoded words).
bool isAtomChar(char c)
{
    if (isAlnum(c))
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '/':
    case '^':
    case '_':
    case '`':
    case '{':
    case '|':
    case '}':
    case '~':
        return true;
    default:
        return false;
    }
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Dot-separated non-empty runs of characters that `allowed` accepts.
template <typename Allowed> bool isDotted(std::string_view text, Allowed allowed)
{
    if (text.empty() || text.front() == '.' || text.back() == '.')
        return false;
    char previous = '\0';
    for (const char c : text) {
        if (c == '.' ? previous == '.' : !allowed(c))
            return false;
        previous = c;
    }
    return true;
}

bool isDomainChar(char c) { return isAlnum(c) || c == '-'; }

// Whether "xn--", in any case, occurs in the text: looked for at each "--"
// (a hyphen has no case), which ordinary domains hold none of.
bool holdsPunycodePrefix(std::string_view text)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t dashes = text.find("--", 2); dashes != std::string_view::npos;
         dashes = text.find("--", dashes + 1))
        if (lower(text[dashes - 2]) == 'x' && lower(text[dashes - 1]) == 'n')
            return true;
    return false;
}

// local@domain, both dot-atoms; a domain in punycode is left to GMime.
bool isPlainAddress(std::string_view address)
{
    const std::size_t at = address.find('@');
    if (at == std::string_view::npos)
        return false;
    const std::string_view domain = address.substr(at + 1);
    return isDotted(address.substr(0, at), isAtomChar) && isDotted(domain, isDomainChar)
        && !holdsPunycodePrefix(domain);
}

// Words of atom characters, one space between each.
bool isPlainPhrase(std::string_view phrase)
{
    if (phrase.empty() || phrase.front() == ' ' || phrase.back() == ' ')
        return false;
    char previous = '\0';
    for (const char c : phrase) {
        if (c == ' ' ? previous == ' ' : !isAtomChar(c))
            return false;
        previous = c;
    }
    return true;
}

// The inside of a quoted display name: printable ASCII without quotes,
// backslashes or encoded words, and no blanks at its ends or run together.
bool isPlainQuoted(std::string_view inside)
{
    if (inside.find("=?") != std::string_view::npos)
        return false;
    for (const char c : inside) {
        if (c < ' ' || c > '~' || c == '"' || c == '\\')
            return false;
    }
    return !inside.empty() && inside.front() != ' ' && inside.back() != ' '
        && inside.find("  ") == std::string_view::npos;
}

} // namespace

bool sameIgnoringCase(std::string_view text, std::string_view wanted)
{
    if (text.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(wanted[i]))
            return false;
    }
    return true;
}

std::optional<MailAddress> plainMailbox(std::string_view value)
{
    value = trimBlanks(value);
    if (value.empty())
        return std::nullopt;
    if (value.back() != '>')
        return isPlainAddress(value) ? std::optional(MailAddress{{}, std::string(value)}) : std::nullopt;
    const std::size_t open = value.rfind('<');
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::string_view address = value.substr(open + 1, value.size() - open - 2);
    if (!isPlainAddress(address))
        return std::nullopt;
    std::string_view name = value.substr(0, open);
    if (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    if (name.empty())
        return open == 0 ? std::optional(MailAddress{{}, std::string(address)}) : std::nullopt;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        const std::string_view inside = name.substr(1, name.size() - 2);
        if (!isPlainQuoted(inside))
            return std::nullopt;
        return MailAddress{std::string(inside), std::string(address)};
    }
    if (!isPlainPhrase(name))
        return std::nullopt;
    return MailAddress{std::string(name), std::string(address)};
}

std::optional<std::string> plainText(std::string_view value)
{
    for (const char c : value) {
        if ((c < ' ' && c != '\t') || c > '~')
            return std::nullopt;
    }
    if (value.find("=?") != std::string_view::npos)
        return std::nullopt;
    return std::string(trimBlanks(value));
}

std::optional<MediaType> plainMediaType(std::string_view value)
{
    value = trimBlanks(value);
    const auto tokenEnd = [&](std::size_t from) {
        std::size_t end = from;
        while (end < value.size() && (isAtomChar(value[end]) || value[end] == '.') && value[end] != '/')
            ++end;
        return end;
    };
    const std::size_t slash = tokenEnd(0);
    if (slash == 0 || slash >= value.size() || value[slash] != '/')
        return std::nullopt;
    const std::size_t end = tokenEnd(slash + 1);
    if (end == slash + 1)
        return std::nullopt;
    if (end < value.size() && value[end] != ';' && !isBlank(value[end]))
        return std::nullopt;
    return MediaType{value.substr(0, slash), value.substr(slash + 1, end - slash - 1)};
}

} // namespace kvn::outlook::detail
