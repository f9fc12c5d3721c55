// A multipart is split at its delimiter lines as the MIME parser splits it:
// a line that starts with "--" and the boundary and then holds only blanks
// opens a part, one that has "--" after the boundary and then only blanks
// closes the multipart, and the line end before either belongs to the
// delimiter (CR LF, or LF alone, as the delimiter line itself ends). Lines
// that start with a boundary in any other way, boundaries of which one
// begins another, and delimiters outside their place (a close with no part
// before it, anything after the close) are where parsers part ways; the
// reader gives up on them, as on every header it is not sure of.
#include "platform/outlook/plain_multipart.h"

#include "platform/outlook/plain_body.h"
#include "platform/outlook/plain_part_header.h"

#include <vector>

namespace kvn::outlook::detail {

namespace {

// More parts than this in one message are left to GMime.
constexpr std::size_t maxPlainParts = 256;
// GMime reads a line longer than its buffer in pieces, and the start of a
// piece can pass for the start of a line: a line longer than this that holds
// a boundary is left to GMime.
constexpr std::size_t maxPlainLineBytes = 998;
// Delimiter lines with more than this after the boundary are left to GMime,
// which, reading them in pieces, may take the CR before them differently;
// real delimiter lines hold a blank or two at most.
constexpr std::size_t maxDelimiterPadding = 64;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool onlyBlanks(std::string_view text)
{
    for (const char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

enum class LineKind { Content, Delimiter, Close, Unclear };

LineKind kindOfLine(std::string_view line, std::string_view dashBoundary)
{
    if (!line.starts_with(dashBoundary))
        return LineKind::Content;
    std::string_view rest = line.substr(dashBoundary.size());
    if (rest.size() > maxDelimiterPadding)
        return LineKind::Unclear;
    if (!rest.empty() && rest.back() == '\r')
        rest.remove_suffix(1);
    if (onlyBlanks(rest))
        return LineKind::Delimiter;
    if (rest.starts_with("--") && onlyBlanks(rest.substr(2)))
        return LineKind::Close;
    return LineKind::Unclear;
}

// A stretch of a body: a whole body, or one part of a multipart without the
// line end that went with the delimiter after it.
struct Extent {
    std::string_view bytes;
    bool cutCr = false; // that line end was CR LF: the last line ended in a CR
};

// The parts between the delimiter lines of `body`; empty unless the body has
// at least one part, ends with a close delimiter, and holds no other line
// that starts with the boundary.
std::optional<std::vector<Extent>> partsOf(const Extent& extent, std::string_view boundary)
{
    const std::string_view body = extent.bytes;
    const std::string dashBoundary = "--" + std::string(boundary);
    std::vector<Extent> parts;
    constexpr std::size_t none = std::string_view::npos;
    std::size_t partStart = none;
    bool closed = false;
    std::size_t position = 0;
    while (position < body.size()) {
        const std::size_t lineEnd = body.find('\n', position);
        const std::size_t next = lineEnd == none ? body.size() : lineEnd + 1;
        const std::size_t lineStop = lineEnd == none ? body.size() : lineEnd;
        const std::string_view line = body.substr(position, lineStop - position);
        if (line.size() > maxPlainLineBytes && line.find(dashBoundary) != std::string_view::npos)
            return std::nullopt;
        const LineKind kind = kindOfLine(line, dashBoundary);
        if (kind == LineKind::Unclear || (kind != LineKind::Content && closed))
            return std::nullopt;
        if (kind != LineKind::Content) {
            if (partStart != none) {
                if (position == partStart || parts.size() == maxPlainParts)
                    return std::nullopt;
                // The line end before the delimiter goes with it. GMime
                // takes a CR there only when the delimiter line ends in one:
                // the reader gives up where the two line ends differ.
                std::size_t end = position - 1;
                const bool crBefore = end > partStart && body[end - 1] == '\r';
                const bool crAfter = lineStop > position && body[lineStop - 1] == '\r';
                if (crBefore != (crAfter || (lineEnd == none && extent.cutCr)))
                    return std::nullopt;
                if (crBefore)
                    --end;
                parts.push_back({body.substr(partStart, end - partStart), crBefore});
            } else if (kind == LineKind::Close) {
                return std::nullopt;
            }
            if (kind == LineKind::Close)
                closed = true;
            else if (lineEnd == none)
                return std::nullopt; // a delimiter that ends the body opens no part
            partStart = next;
        }
        position = next;
    }
    if (!closed)
        return std::nullopt;
    return parts;
}

// A part's header lines and its content, split at the first empty line;
// empty when there is none.
std::optional<std::pair<std::string_view, std::string_view>> splitPart(std::string_view part)
{
    std::size_t position = 0;
    while (position < part.size()) {
        const std::size_t lineEnd = part.find('\n', position);
        if (lineEnd == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = part.substr(position, lineEnd - position);
        if (line.empty() || line == "\r")
            return std::pair(part.substr(0, position), part.substr(lineEnd + 1));
        position = lineEnd + 1;
    }
    return std::nullopt;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Collects what the GMime walk collects, in the same order and by the same
// rules: a part with a file name is an attachment, an attachment without one
// is passed over, and the first text/html and text/plain parts are the
// bodies.
class PlainCollector {
public:
    bool walk(const PlainPartHeader& multipart, const Extent& body, std::vector<std::string>& boundaries)
    {
        if (static_cast<int>(boundaries.size()) >= maxPlainMultipartDepth)
            return false;
        for (const std::string& outer : boundaries)
            if (startsWith(outer, multipart.boundary) || startsWith(multipart.boundary, outer))
                return false;
        const std::optional<std::vector<Extent>> parts = partsOf(body, multipart.boundary);
        if (!parts)
            return false;
        boundaries.push_back(multipart.boundary);
        for (const Extent& part : *parts) {
            const auto split = splitPart(part.bytes);
            if (!split)
                return false;
            const std::optional<PlainPartHeader> entity = plainPartHeaderOf(split->first);
            if (!entity)
                return false;
            if (entity->multipart ? !walk(*entity, {split->second, part.cutCr}, boundaries)
                                  : !take(*entity, split->second))
                return false;
        }
        boundaries.pop_back();
        return true;
    }

    MessageContent finish() { return std::move(content_); }

private:
    bool take(const PlainPartHeader& part, std::string_view content)
    {
        if (!part.fileName.empty()) {
            if (content_.attachmentNames.size() == maxPlainParts)
                return false;
            content_.attachmentNames.push_back(part.fileName);
            return true;
        }
        if (part.attachment)
            return true;
        if (part.html && !haveHtml_) {
            haveHtml_ = true;
            return decode(part, content, content_.htmlBody);
        }
        if (part.plainText && !haveText_) {
            haveText_ = true;
            return decode(part, content, content_.textBody);
        }
        return true;
    }

    static bool decode(const PlainPartHeader& part, std::string_view content, std::string& to)
    {
        if (!part.charset.empty() && !isPlainCharset(part.charset))
            return false;
        std::optional<PlainBody> body = plainBody({part.encoding, part.html, part.charset}, content);
        if (!body)
            return false;
        to = std::move(body->text);
        return true;
    }

    MessageContent content_;
    bool haveHtml_ = false;
    bool haveText_ = false;
};

} // namespace

std::optional<PlainMultipart> plainMultipartOf(std::string_view mimeHeaders)
{
    const std::optional<PlainPartHeader> entity = plainPartHeaderOf(mimeHeaders);
    if (!entity || !entity->multipart)
        return std::nullopt;
    return PlainMultipart{entity->boundary};
}

std::optional<MessageContent> plainMultipartContent(const PlainMultipart& multipart, std::string_view body)
{
    if (body.size() > maxPlainBodyBytes || body.find('\0') != std::string_view::npos
        || !isPlainBoundary(multipart.boundary))
        return std::nullopt;
    PlainPartHeader top;
    top.multipart = true;
    top.boundary = multipart.boundary;
    std::vector<std::string> boundaries;
    PlainCollector collector;
    if (!collector.walk(top, {body, false}, boundaries))
        return std::nullopt;
    return collector.finish();
}

} // namespace kvn::outlook::detail
