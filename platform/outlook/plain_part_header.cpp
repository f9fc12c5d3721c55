// The fields are read strictly, as plain_body reads them, and more: header
// lines of printable ASCII only, field names of letters, digits and dashes,
// parameter values without encoded words or the blanks a fold leaves, and
// only the parameters ordinary mail writes. What GMime would make of
// anything else is GMime's to say.
#include "platform/outlook/plain_part_header.h"

#include "platform/outlook/plain_header_values.h"

#include <initializer_list>

namespace kvn::outlook::detail {

namespace {

// The longest boundary MIME allows.
constexpr std::size_t maxBoundaryBytes = 70;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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

} // namespace

bool isPlainBoundary(std::string_view text)
{
    if (text.empty() || text.size() > maxBoundaryBytes)
        return false;
    for (const char c : text)
        if (!isBoundaryChar(c))
            return false;
    return true;
}

namespace {

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

bool readMultipartType(const MediaType& media, std::string_view rest, PlainPartHeader& entity)
{
    if (!isOneOf(media.subtype, {"mixed", "alternative", "related"}))
        return false;
    const std::optional<std::vector<PlainParameter>> parameters
        = knownParameters(rest, {"boundary", "type", "start", "charset"});
    if (!parameters || !isPlainBoundary(parameter(*parameters, "boundary")))
        return false;
    entity.multipart = true;
    entity.boundary = std::string(parameter(*parameters, "boundary"));
    return true;
}

bool readContentType(std::string_view value, PlainPartHeader& entity)
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

bool readDisposition(std::string_view value, PlainPartHeader& entity)
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

} // namespace

std::optional<PlainPartHeader> plainPartHeaderOf(std::string_view lines)
{
    if (lines.size() > maxPlainHeaderBytes || !isPlainHeaderText(lines))
        return std::nullopt;
    const std::optional<std::vector<PlainField>> fields = plainFieldsOf(lines);
    if (!fields)
        return std::nullopt;
    PlainPartHeader entity;
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

} // namespace kvn::outlook::detail
