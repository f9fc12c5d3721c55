// Bodies and attachment names of a message, parsed with GMime from the file
// itself: parts stay in the file (GMime keeps offsets, not copies), and only
// the chosen bodies are decoded, each up to a fixed size. GMime would hold a
// whole header block in memory however large it is, so it is not given the
// message's own header: the header scan reads that in bounded memory, and
// GMime parses the few MIME fields it kept followed by the body, of which at
// most maxBodyScanBytes are looked at.
#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"
#include "platform/outlook/gmime_support.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/html_text.h"
#include "platform/outlook/message_first_read.h"
#include "platform/outlook/message_parse.h"
#include "platform/outlook/plain_body.h"
#include "platform/outlook/plain_multipart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace kvn::outlook {

namespace detail {

namespace {

// Real mail nests a handful of levels; deeper structures are not looked into.
constexpr int maxMimeDepth = 32;
// A body longer than this is cut: nobody reads further, and memory stays bounded.
constexpr std::size_t maxBodyBytes = 8 * 1024 * 1024;
constexpr std::size_t maxAttachmentNames = 4096;
constexpr std::size_t readChunkBytes = 64 * 1024;
// Mail larger than this is not delivered by any provider; a file that goes on
// (a sparse file of a gigabyte) is parsed this far and no further.
constexpr std::size_t maxBodyScanBytes = 128 * 1024 * 1024;

bool needsDecodingFilter(GMimeContentEncoding encoding)
{
    return encoding == GMIME_CONTENT_ENCODING_BASE64 || encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE
        || encoding == GMIME_CONTENT_ENCODING_UUENCODE;
}

// The part's content with its transfer encoding undone, at most maxBodyBytes.
std::string decodedContent(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (content == nullptr)
        return {};
    GMimeStream* source = g_mime_data_wrapper_get_stream(content);
    if (source == nullptr || g_mime_stream_reset(source) < 0)
        return {};
    GRef<GMimeStream> filtered(g_mime_stream_filter_new(source));
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    if (needsDecodingFilter(encoding)) {
        GRef<GMimeFilter> decoder(g_mime_filter_basic_new(encoding, FALSE));
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), decoder.get());
    }
    // Read through an uninitialised chunk and appended: growing the string
    // by a whole chunk first would clear 64 KiB for every short body.
    const std::unique_ptr<char[]> chunk = std::make_unique_for_overwrite<char[]>(readChunkBytes);
    std::string bytes;
    while (bytes.size() < maxBodyBytes) {
        const std::size_t want = std::min(readChunkBytes, maxBodyBytes - bytes.size());
        const ssize_t got = g_mime_stream_read(filtered.get(), chunk.get(), want);
        if (got <= 0)
            break;
        bytes.append(chunk.get(), static_cast<std::size_t>(got));
    }
    return bytes;
}

std::string textOf(GMimePart* part)
{
    const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    return toUtf8(decodedContent(part), charset);
}

std::string parameterName(GMimeObject* object)
{
    const char* name = g_mime_object_get_content_disposition_parameter(object, "filename");
    if (name == nullptr || *name == '\0')
        name = g_mime_object_get_content_type_parameter(object, "name");
    return validUtf8(name != nullptr ? name : "");
}

// An attached message is named by its file name, else by its subject.
std::string attachedMessageName(GMimeMessagePart* part)
{
    std::string name = parameterName(GMIME_OBJECT(part));
    if (!name.empty())
        return name;
    GMimeMessage* message = g_mime_message_part_get_message(part);
    const char* subject = message != nullptr ? g_mime_message_get_subject(message) : nullptr;
    return validUtf8(subject != nullptr && *subject != '\0' ? subject : "message") + ".eml";
}

bool isAttachmentDisposition(GMimeObject* object)
{
    const char* disposition = g_mime_object_get_disposition(object);
    return disposition != nullptr && g_ascii_strcasecmp(disposition, "attachment") == 0;
}

} // namespace

MessageContent withBothBodies(MessageContent content, bool* textLeftOut)
{
    if (content.htmlBody.empty() && !content.textBody.empty())
        content.htmlBody = plainTextToHtml(content.textBody);
    if (content.textBody.empty() && !content.htmlBody.empty()) {
        if (textLeftOut != nullptr)
            *textLeftOut = true;
        else
            content.textBody = htmlToPlainText(content.htmlBody);
    }
    return content;
}

namespace {

// Which plain reader, if any, may read a body with these MIME header lines.
struct PlainShape {
    std::optional<PlainLayout> single;
    std::optional<PlainMultipart> multipart;

    explicit operator bool() const { return single || multipart; }
};

PlainShape plainShapeOf(std::string_view mimeHeaders)
{
    PlainShape shape{plainLayoutOf(mimeHeaders), std::nullopt};
    if (!shape.single)
        shape.multipart = plainMultipartOf(mimeHeaders);
    return shape;
}

// The content of a single text part or an ordinary multipart read without
// GMime, the bodies as found; empty when the plain readers give up on it.
std::optional<MessageContent> plainContent(const PlainShape& shape, std::string_view body)
{
    if (shape.multipart)
        return plainMultipartContent(*shape.multipart, body);
    if (!shape.single)
        return std::nullopt;
    std::optional<PlainBody> plain = plainBody(*shape.single, body);
    if (!plain)
        return std::nullopt;
    MessageContent content;
    (plain->html ? content.htmlBody : content.textBody) = std::move(plain->text);
    return content;
}

class ContentCollector {
public:
    void walk(GMimeObject* object, int depth)
    {
        if (object == nullptr || depth > maxMimeDepth)
            return;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i)
                walk(g_mime_multipart_get_part(multipart, i), depth + 1);
        } else if (GMIME_IS_MESSAGE_PART(object)) {
            addAttachment(attachedMessageName(GMIME_MESSAGE_PART(object)));
        } else if (GMIME_IS_PART(object)) {
            takePart(GMIME_PART(object));
        }
    }

    // The bodies as found: either may be empty.
    MessageContent finish() { return std::move(content_); }

private:
    void takePart(GMimePart* part)
    {
        GMimeObject* object = GMIME_OBJECT(part);
        const char* fileName = g_mime_part_get_filename(part);
        if (fileName != nullptr && *fileName != '\0') {
            addAttachment(validUtf8(fileName));
            return;
        }
        if (isAttachmentDisposition(object))
            return;
        GMimeContentType* type = g_mime_object_get_content_type(object);
        if (type == nullptr)
            return;
        if (!haveHtml_ && g_mime_content_type_is_type(type, "text", "html")) {
            content_.htmlBody = textOf(part);
            haveHtml_ = true;
        } else if (!haveText_ && g_mime_content_type_is_type(type, "text", "plain")) {
            content_.textBody = textOf(part);
            haveText_ = true;
        }
    }

    void addAttachment(std::string name)
    {
        if (content_.attachmentNames.size() < maxAttachmentNames)
            content_.attachmentNames.push_back(std::move(name));
    }

    MessageContent content_;
    bool haveHtml_ = false;
    bool haveText_ = false;
};

// How many bodies GMime has parsed; see gmimeBodyParseCount.
std::atomic<std::size_t> gmimeBodyParses{0};

MessageContent parseStream(GMimeStream* stream)
{
    gmimeBodyParses.fetch_add(1, std::memory_order_relaxed);
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    const GRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
    if (!message)
        return {};
    ContentCollector collector;
    collector.walk(g_mime_message_get_mime_part(message.get()), 0);
    return collector.finish();
}

BodyLayout layoutOf(const ScannedHeaders& scanned)
{
    return {scanned.mimeHeaders, scanned.complete, scanned.bodyOffset};
}

// The message GMime is given: the kept MIME fields, an empty line, the body.
// A block without its empty line has no body, and nothing to parse.
MessageContent parseScanned(const BodyLayout& scanned, GRef<GMimeStream> body)
{
    if (!scanned.complete || !body)
        return {};
    const std::string head = scanned.mimeHeaders + "\n";
    GRef<GMimeStream> message(g_mime_stream_cat_new());
    GRef<GMimeStream> headStream(g_mime_stream_mem_new_with_buffer(head.data(), head.size()));
    g_mime_stream_cat_add_source(GMIME_STREAM_CAT(message.get()), headStream.get());
    g_mime_stream_cat_add_source(GMIME_STREAM_CAT(message.get()), body.get());
    return parseStream(message.get());
}

} // namespace

std::size_t gmimeBodyParseCount() { return gmimeBodyParses.load(std::memory_order_relaxed); }

MessageContent parseMessageContent(std::string_view message, ParsePath path)
{
    ensureGMime();
    const ScannedHeaders scanned = scanHeaders(message);
    if (!scanned.complete)
        return {};
    const std::string_view body = message.substr(scanned.bodyOffset, maxBodyScanBytes);
    if (path == ParsePath::Fast) {
        if (std::optional<MessageContent> plain = plainContent(plainShapeOf(scanned.mimeHeaders), body))
            return withBothBodies(std::move(*plain));
    }
    return withBothBodies(parseScanned(
        layoutOf(scanned), GRef<GMimeStream>(g_mime_stream_mem_new_with_buffer(body.data(), body.size()))));
}

} // namespace detail

namespace {

// The bytes of a body of `size` bytes at `offset` (fewer if the file is
// shorter now); empty when a read fails.
std::optional<std::string> bodyBytes(int fd, std::size_t offset, std::size_t size)
{
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        return std::nullopt;
    return readAtMost(fd, size);
}

// The bodies of the open file `fd` (owned by the call) of `fileBytes` bytes,
// laid out as `layout` says: a single text part or ordinary multipart of a
// small file read at once, anything else parsed by GMime from the file.
std::optional<MessageContent> contentOfFile(int fd, off_t fileBytes, const std::optional<BodyLayout>& known)
{
    FileDescriptor owned(fd);
    std::optional<BodyLayout> layout = known;
    if (!layout) {
        const std::optional<detail::ScannedHeaders> scanned = detail::scanHeaderFile(fd);
        if (!scanned)
            return std::nullopt;
        layout = detail::layoutOf(*scanned);
    }
    if (!layout->complete)
        return MessageContent{};
    const auto fileSize = static_cast<std::size_t>(std::max<off_t>(fileBytes, 0));
    const std::size_t bodySize = fileSize > layout->bodyOffset ? fileSize - layout->bodyOffset : 0;
    if (bodySize <= detail::maxPlainBodyBytes) {
        if (const detail::PlainShape plain = detail::plainShapeOf(layout->mimeHeaders)) {
            const std::optional<std::string> body = bodyBytes(fd, layout->bodyOffset, bodySize);
            if (!body)
                return std::nullopt;
            if (std::optional<MessageContent> content = detail::plainContent(plain, *body))
                return content;
        }
    }
    // GMime's file stream starts where the descriptor stands: at the file's
    // start, so that the body's offsets hold. It owns the descriptor from
    // here on.
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return std::nullopt;
    makeBlocking(fd); // GMime reads it as a blocking descriptor
    detail::GRef<GMimeStream> file(g_mime_stream_fs_new(owned.release()));
    const auto start = static_cast<gint64>(layout->bodyOffset);
    const gint64 end = std::min<gint64>(fileBytes, start + static_cast<gint64>(detail::maxBodyScanBytes));
    detail::GRef<GMimeStream> body(g_mime_stream_substream(file.get(), start, std::max(start, end)));
    return detail::parseScanned(*layout, std::move(body));
}

// The bodies of the message file at `path`, as contentOfFile reads them;
// empty when it cannot be opened.
std::optional<MessageContent> contentOfPath(const std::string& path, const std::optional<BodyLayout>& known)
{
    detail::ensureGMime();
    struct stat status { };
    const int fd = detail::openMessageFile(path, &status);
    if (fd < 0)
        return std::nullopt;
    return contentOfFile(fd, status.st_size, known);
}

} // namespace

std::optional<MessageContent> readMessageContent(const std::string& path)
{
    std::optional<MessageContent> content = contentOfPath(path, std::nullopt);
    return content ? std::optional(detail::withBothBodies(std::move(*content))) : std::nullopt;
}

std::optional<MessageContent> readMessageContent(const std::string& path, const BodyLayout& layout)
{
    std::optional<MessageContent> content = contentOfPath(path, layout);
    return content ? std::optional(detail::withBothBodies(std::move(*content))) : std::nullopt;
}

namespace {

// The content with the body it lacks made, the text of an HTML-only one left
// out and said so in textLeftOut.
MessageContent completedLeavingText(MessageContent content, bool& textLeftOut)
{
    bool leftOut = false;
    MessageContent completed = detail::withBothBodies(std::move(content), &leftOut);
    textLeftOut = leftOut;
    return completed;
}

} // namespace

std::optional<MessageContent> readMessageContent(const std::string& path, const BodyLayout& layout, bool& textLeftOut)
{
    std::optional<MessageContent> content = contentOfPath(path, layout);
    if (!content)
        return std::nullopt;
    return completedLeavingText(std::move(*content), textLeftOut);
}

std::optional<MessageContent> readKeptBody(std::string_view body, const BodyLayout& layout, bool& textLeftOut)
{
    // As contentOfFile reads a body it has whole.
    detail::ensureGMime();
    if (!layout.complete)
        return completedLeavingText(MessageContent{}, textLeftOut);
    if (body.size() > detail::maxPlainBodyBytes)
        return std::nullopt;
    const detail::PlainShape plain = detail::plainShapeOf(layout.mimeHeaders);
    if (!plain)
        return std::nullopt;
    std::optional<MessageContent> content = detail::plainContent(plain, body);
    if (!content)
        return std::nullopt;
    return completedLeavingText(std::move(*content), textLeftOut);
}

} // namespace kvn::outlook
