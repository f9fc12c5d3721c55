// A multipart is split at its delimiter lines as the MIME parser splits it:
// a line that starts with "--" and the boundary and then holds only blanks
// opens a part, one that has "--" after the boundary and then only blanks
// closes the multipart, and the line end before either belongs to the
// delimiter (CR LF, or LF alone, as the delimiter line itself ends). Lines that start with a boundary in any other way,
// boundaries of which one begins another, and delimiters outside their place (a close with no part before it, anything
// after the close) are where parsers part ways; the reader gives up on them, as on every header it is not sure of.
#include "platform/outlook/plain_multipart.h"

#include "platform/outlook/plain_body.h"
#include "platform/outlook/plain_header_values.h"

#include <vector>

namespace kvn::outlook::detail {

namespace {

// More parts than this in one message are left to GMime.
constexpr std::size_t maxPlainParts = 256;
// The longest boundary MIME allows.
constexpr std::size_t maxBoundaryBytes = 70;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool onlyBlanks(std::string_view text)
{
    for (const char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

bool isBoundaryChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'' || c == '('
        || c == ')' || c == '+' || c == '_' || c == ',' || c == '-' || c == '.' || c == '/' || c == ':' || c == '='
        || c == '?';
}

bool isBoundary(std::string_view text)
{
    if (text.empty() || text.size() > maxBoundaryBytes)
        return false;
    for (const char c : text)
        if (!isBoundaryChar(c))
            return false;
    return true;
}

// Header lines of printable ASCII, tabs and line ends only.
bool isPlainHeaderText(std::string_view lines)
{
    for (const char c : lines) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte > 0x7e)
            return false;
    }
    return true;
}

// A parameter value the MIME parser hands on as written: no encoded word,
// no blank at either end, no tab or double blank a fold could have left.
bool isPlainValue(std::string_view value)
{
    return value.find("=?") == std::string_view::npos && !isBlank(value.front()) && !isBlank(value.back())
        && value.find('\t') == std::string_view::npos && value.find("  ") == std::string_view::npos;
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (const std::string_view known : names)
        if (sameIgnoringCase(name, known))
            return true;
    return false;
}

// The parameters after a media type or disposition, each a known one written
// once with a plain value; empty otherwise.
std::optional<std::vector<PlainParameter>> knownParameters(
    std::string_view rest, std::initializer_list<std::string_view> known)
{
    std::optional<std::vector<PlainParameter>> parameters = plainParametersOf(rest);
    if (!parameters)
        return std::nullopt;
    for (std::size_t i = 0; i < parameters->size(); ++i) {
        const PlainParameter& parameter = (*parameters)[i];
        if (!isOneOf(parameter.name, known) || !isPlainValue(parameter.value))
            return std::nullopt;
        for (std::size_t j = 0; j < i; ++j)
            if (sameIgnoringCase((*parameters)[j].name, parameter.name))
                return std::nullopt;
    }
    return parameters;
}

std::string_view parameter(const std::vector<PlainParameter>& parameters, std::string_view name)
{
    for (const PlainParameter& candidate : parameters)
        if (sameIgnoringCase(candidate.name, name))
            return candidate.value;
    return {};
}

std::string_view afterMediaType(std::string_view value, const MediaType& media)
{
    const char* const rest = media.subtype.data() + media.subtype.size();
    return std::string_view(rest, static_cast<std::size_t>(value.data() + value.size() - rest));
}

// What the MIME header of one entity (the message or one part) says.
struct Entity {
    bool multipart = false;
    std::string boundary;
    bool html = false; // a text/html leaf
    bool plainText = false; // a text/plain leaf
    std::string charset;
    PlainLayout::Encoding encoding = PlainLayout::Encoding::Identity;
    std::string fileName;
    bool attachment = false; // Content-Disposition: attachment
};

bool readMultipartType(const MediaType& media, std::string_view rest, Entity& entity)
{
    if (!isOneOf(media.subtype, {"mixed", "alternative", "related"}))
        return false;
    const std::optional<std::vector<PlainParameter>> parameters
        = knownParameters(rest, {"boundary", "type", "start", "charset"});
    if (!parameters || !isBoundary(parameter(*parameters, "boundary")))
        return false;
    entity.multipart = true;
    entity.boundary = std::string(parameter(*parameters, "boundary"));
    return true;
}

bool readContentType(std::string_view value, Entity& entity)
{
    const std::optional<MediaType> media = plainMediaType(value);
    if (!media)
        return false;
    const std::string_view rest = afterMediaType(value, *media);
    if (sameIgnoringCase(media->type, "multipart"))
        return readMultipartType(*media, rest, entity);
    if (sameIgnoringCase(media->type, "message"))
        return false;
    const std::optional<std::vector<PlainParameter>> parameters
        = knownParameters(rest, {"charset", "name", "format", "delsp", "reply-type", "method"});
    if (!parameters)
        return false;
    const bool text = sameIgnoringCase(media->type, "text");
    entity.html = text && sameIgnoringCase(media->subtype, "html");
    entity.plainText = text && sameIgnoringCase(media->subtype, "plain");
    entity.charset = std::string(parameter(*parameters, "charset"));
    // A file name given here counts only when the disposition names none.
    if (entity.fileName.empty())
        entity.fileName = std::string(parameter(*parameters, "name"));
    return true;
}

bool readDisposition(std::string_view value, Entity& entity)
{
    std::size_t end = 0;
    while (end < value.size() && isBlank(value[end]))
        ++end;
    const std::size_t start = end;
    while (end < value.size() && isNameChar(value[end]))
        ++end;
    const std::string_view disposition = value.substr(start, end - start);
    if (!isOneOf(disposition, {"inline", "attachment"}))
        return false;
    const std::optional<std::vector<PlainParameter>> parameters
        = knownParameters(value.substr(end), {"filename", "size", "creation-date", "modification-date", "read-date"});
    if (!parameters)
        return false;
    entity.attachment = sameIgnoringCase(disposition, "attachment");
    if (const std::string_view name = parameter(*parameters, "filename"); !name.empty())
        entity.fileName = std::string(name);
    return true;
}

// The entity the header lines describe; a leaf without Content-Type is
// text/plain. Empty when a field is not read plainly, or one of the fields
// read here comes twice.
std::optional<Entity> entityOf(std::string_view lines)
{
    if (lines.size() > maxPlainHeaderBytes || !isPlainHeaderText(lines))
        return std::nullopt;
    const std::optional<std::vector<PlainField>> fields = plainFieldsOf(lines);
    if (!fields)
        return std::nullopt;
    Entity entity;
    const PlainField* type = nullptr;
    const PlainField* disposition = nullptr;
    const PlainField* encoding = nullptr;
    for (const PlainField& field : *fields) {
        for (const char c : field.name)
            if (!isNameChar(c))
                return std::nullopt;
        const PlainField** slot = sameIgnoringCase(field.name, "Content-Type") ? &type
            : sameIgnoringCase(field.name, "Content-Disposition")              ? &disposition
            : sameIgnoringCase(field.name, "Content-Transfer-Encoding")        ? &encoding
                                                                               : nullptr;
        if (slot == nullptr)
            continue;
        if (*slot != nullptr)
            return std::nullopt;
        *slot = &field;
    }
    // The disposition first: its file name goes before the type's.
    if (disposition != nullptr && !readDisposition(disposition->value, entity))
        return std::nullopt;
    if (type != nullptr && !readContentType(type->value, entity))
        return std::nullopt;
    if (type == nullptr)
        entity.plainText = true;
    if (encoding != nullptr) {
        const std::optional<PlainLayout::Encoding> known = plainEncodingOf(encoding->value);
        if (!known)
            return std::nullopt;
        entity.encoding = *known;
    }
    if (entity.multipart && (disposition != nullptr || entity.encoding != PlainLayout::Encoding::Identity))
        return std::nullopt;
    return entity;
}

enum class LineKind { Content, Delimiter, Close, Unclear };

LineKind kindOfLine(std::string_view line, std::string_view dashBoundary)
{
    if (!line.starts_with(dashBoundary))
        return LineKind::Content;
    std::string_view rest = line.substr(dashBoundary.size());
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
        const LineKind kind = kindOfLine(body.substr(position, lineStop - position), dashBoundary);
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
    bool walk(const Entity& multipart, const Extent& body, std::vector<std::string>& boundaries)
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
            const std::optional<Entity> entity = entityOf(split->first);
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
    bool take(const Entity& part, std::string_view content)
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

    static bool decode(const Entity& part, std::string_view content, std::string& to)
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
    const std::optional<Entity> entity = entityOf(mimeHeaders);
    if (!entity || !entity->multipart)
        return std::nullopt;
    return PlainMultipart{entity->boundary};
}

std::optional<MessageContent> plainMultipartContent(const PlainMultipart& multipart, std::string_view body)
{
    if (body.size() > maxPlainBodyBytes || body.find('\0') != std::string_view::npos || !isBoundary(multipart.boundary))
        return std::nullopt;
    Entity top;
    top.multipart = true;
    top.boundary = multipart.boundary;
    std::vector<std::string> boundaries;
    PlainCollector collector;
    if (!collector.walk(top, {body, false}, boundaries))
        return std::nullopt;
    return collector.finish();
}

} // namespace kvn::outlook::detail
