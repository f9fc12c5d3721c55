// A small, forgiving HTML reader: enough to take the text out of a mail body,
// never more than one pass over the input.
#include "platform/outlook/html_text.h"

#include "platform/core/utf8_text.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <utility>

namespace kvn::outlook {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 18> namedEntities{{
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"apos", "'"},
    {"nbsp", " "},
    {"copy", "\xC2\xA9"},
    {"reg", "\xC2\xAE"},
    {"euro", "\xE2\x82\xAC"},
    {"ndash", "\xE2\x80\x93"},
    {"mdash", "\xE2\x80\x94"},
    {"hellip", "\xE2\x80\xA6"},
    {"laquo", "\xC2\xAB"},
    {"raquo", "\xC2\xBB"},
    {"auml", "\xC3\xA4"},
    {"ouml", "\xC3\xB6"},
    {"uuml", "\xC3\xBC"},
    {"szlig", "\xC3\x9F"},
}};

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

void appendCodePoint(std::string& out, std::uint32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    appendUtf8(out, static_cast<char32_t>(cp));
}

// Decodes the entity whose name (between & and ;) is given; false if unknown.
bool decodeEntity(std::string_view name, std::string& out)
{
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8)
            return false;
        std::uint32_t value = 0;
        for (char c : digits) {
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
                return false;
            const auto digit = static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                    ? c - '0'
                    : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
            value = value * (hex ? 16u : 10u) + digit;
        }
        appendCodePoint(out, value);
        return true;
    }
    for (const auto& [entity, text] : namedEntities) {
        if (entity == name) {
            out += text;
            return true;
        }
    }
    return false;
}

// Output that collapses white space the way a browser shows it.
class TextWriter {
public:
    void text(char c)
    {
        if (std::isspace(static_cast<unsigned char>(c))) {
            pendingSpace_ = !out_.empty() && out_.back() != '\n';
            return;
        }
        flushSpace();
        out_ += c;
    }
    void decoded(std::string_view text)
    {
        flushSpace();
        out_ += text;
    }
    // A <br> always ends a line; a block element only ensures it starts one.
    void lineBreak(bool always)
    {
        pendingSpace_ = false;
        if (out_.empty() || (!always && out_.back() == '\n'))
            return;
        out_ += '\n';
    }
    std::string finish()
    {
        while (!out_.empty() && (out_.back() == '\n' || out_.back() == ' '))
            out_.pop_back();
        return std::move(out_);
    }

private:
    void flushSpace()
    {
        if (pendingSpace_)
            out_ += ' ';
        pendingSpace_ = false;
    }
    std::string out_;
    bool pendingSpace_ = false;
};

// The tag name of "<name ...>" or "</name>", lower case.
std::string tagName(std::string_view tag)
{
    std::size_t start = tag.starts_with("/") ? 1 : 0;
    std::size_t end = start;
    while (end < tag.size() && std::isalnum(static_cast<unsigned char>(tag[end])))
        ++end;
    return lowerAscii(tag.substr(start, end - start));
}

bool startsLine(const std::string& name)
{
    return name == "p" || name == "div" || name == "tr" || name == "li"
        || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

bool hidesContent(const std::string& name)
{
    return name == "head" || name == "script" || name == "style" || name == "title";
}

// Position of `needle` (lower case) in text from `from` on, ignoring ASCII case.
std::size_t findIgnoringCase(std::string_view text, std::string_view needle, std::size_t from)
{
    for (std::size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (at + needle.size() > text.size())
            return std::string_view::npos;
        if (lowerAscii(text.substr(at, needle.size())) == needle)
            return at;
    }
    return std::string_view::npos;
}

// Skips from `at` (just after "<name ...>") past the matching "</name>".
std::size_t skipElement(std::string_view html, std::size_t at, const std::string& name)
{
    const std::size_t close = findIgnoringCase(html, "</" + name, at);
    if (close == std::string_view::npos)
        return html.size();
    const std::size_t end = html.find('>', close);
    return end == std::string_view::npos ? html.size() : end + 1;
}

} // namespace

std::string plainTextToHtml(std::string_view text)
{
    std::string html = "<html><body>";
    html.reserve(text.size() + text.size() / 8 + 32);
    const auto special = [](char c) { return c == '&' || c == '<' || c == '>' || c == '"' || c == '\r' || c == '\n'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        // The bytes that stand as they are go over in one piece.
        std::size_t run = i;
        while (run < text.size() && !special(text[run]))
            ++run;
        html.append(text.substr(i, run - i));
        if (run == text.size())
            break;
        i = run;
        switch (text[i]) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            html += "<br>\n";
            break;
        default: // '\n'
            html += "<br>\n";
            break;
        }
    }
    html += "</body></html>";
    return html;
}

std::string htmlToPlainText(std::string_view html)
{
    TextWriter writer;
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<' && html.substr(i).starts_with("<!--")) {
            const std::size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        if (c == '<') {
            const std::size_t end = html.find('>', i + 1);
            if (end == std::string_view::npos) {
                for (; i < html.size(); ++i)
                    writer.text(html[i]);
                break;
            }
            const std::string_view tag = html.substr(i + 1, end - i - 1);
            const std::string name = tagName(tag);
            const bool closing = tag.starts_with("/");
            i = end + 1;
            if (!closing && hidesContent(name) && !tag.ends_with("/"))
                i = skipElement(html, i, name);
            else if (name == "br" || startsLine(name))
                writer.lineBreak(name == "br");
            continue;
        }
        if (c == '&') {
            const std::size_t end = html.find(';', i + 1);
            if (end != std::string_view::npos && end - i <= 12) {
                std::string decoded;
                if (decodeEntity(html.substr(i + 1, end - i - 1), decoded)) {
                    writer.decoded(decoded);
                    i = end + 1;
                    continue;
                }
            }
        }
        writer.text(c);
        ++i;
    }
    return writer.finish();
}

} // namespace kvn::outlook
