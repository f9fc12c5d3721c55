// What the mail fuzz targets demand of every input, shared with the normal
// test that replays the kept inputs (the seed corpora and every input that
// once failed). Each check answers an empty text when the input passes, else
// what went wrong.
#pragma once

#include "platform/core/utf8_text.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_first_read.h"
#include "platform/outlook/message_parse.h"
#include "platform/outlook/vcard.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::fuzz {

using outlook::detail::HeaderScanLimits;
using outlook::detail::ScannedHeaders;

inline bool cleanText(std::string_view text) { return isValidUtf8(text) && text.find('\0') == std::string::npos; }

// Text that reaches people or the lists: valid UTF-8, no NUL.
inline std::string checkTexts(const std::vector<std::string_view>& texts, const char* what)
{
    for (std::string_view text : texts) {
        if (!cleanText(text))
            return std::string(what) + " is not clean UTF-8";
    }
    return {};
}

// The header scan's answer for `message` cut into pieces whose sizes come
// from `seed`; the same as an answer in one piece.
inline ScannedHeaders scanInPieces(std::string_view message, std::uint32_t seed, const HeaderScanLimits& limits)
{
    outlook::detail::HeaderScanner scanner(limits);
    // A first piece of one byte: a block in one piece takes the scan's short
    // way, and this reading must not, so that the two are compared.
    if (message.empty() || !scanner.feed(message.substr(0, 1)))
        return scanner.finish();
    std::size_t at = 1;
    while (at < message.size()) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t size = 1 + (seed >> 8) % (seed % 7 == 0 ? 70000 : 300);
        if (!scanner.feed(message.substr(at, size)))
            break;
        at += size;
    }
    return scanner.finish();
}

inline bool sameScan(const ScannedHeaders& a, const ScannedHeaders& b)
{
    return a.subject == b.subject && a.from == b.from && a.sender == b.sender && a.returnPath == b.returnPath
        && a.to == b.to && a.cc == b.cc && a.bcc == b.bcc && a.contentType == b.contentType
        && a.contentClass == b.contentClass && a.transportHeaders == b.transportHeaders
        && a.mimeHeaders == b.mimeHeaders && a.complete == b.complete && a.bodyOffset == b.bodyOffset
        && a.scannedBytes == b.scannedBytes && a.cuts.subject == b.cuts.subject && a.cuts.sender == b.cuts.sender
        && a.cuts.recipients == b.cuts.recipients && a.cuts.transportHeaders == b.cuts.transportHeaders
        && a.cuts.block == b.cuts.block;
}

// Every kept value within its cap, the transport headers within theirs and
// free of NUL, the body offset just past an empty line.
inline std::string checkScanCaps(
    std::string_view message, const ScannedHeaders& scanned, const HeaderScanLimits& limits)
{
    const auto within
        = [](const std::optional<std::string>& value, std::size_t cap) { return !value || value->size() <= cap; };
    if (!within(scanned.subject, limits.subjectBytes))
        return "subject over its cap";
    if (!within(scanned.from, limits.addressFieldBytes) || !within(scanned.sender, limits.addressFieldBytes)
        || !within(scanned.returnPath, limits.addressFieldBytes))
        return "an address field over its cap";
    if (scanned.to.size() + scanned.cc.size() + scanned.bcc.size() > limits.recipientBytes)
        return "recipients over their cap";
    if (!within(scanned.contentType, limits.kindFieldBytes) || !within(scanned.contentClass, limits.kindFieldBytes))
        return "a field of the item's kind over its cap";
    // Fields, plus one marker line at the end (the others are charged to the fields).
    if (scanned.transportHeaders.size() > limits.transportReceivedBytes + limits.transportOtherBytes + 64)
        return "transport headers over their cap";
    if (scanned.transportHeaders.find('\0') != std::string::npos)
        return "NUL in the transport headers";
    if (scanned.mimeHeaders.size() > limits.mimeBytes || scanned.mimeHeaders.find('\0') != std::string::npos)
        return "MIME fields over their cap, or with NUL";
    if (scanned.scannedBytes > limits.blockBytes + 2 || scanned.scannedBytes > message.size())
        return "scanned past the block's cap or the message";
    if (scanned.complete && (scanned.bodyOffset == 0 || message[scanned.bodyOffset - 1] != '\n'))
        return "body offset not just past an empty line";
    if (!scanned.complete && scanned.scannedBytes < message.size() && !scanned.cuts.block)
        return "stopped early without a reason";
    for (const std::string* value : {&scanned.to, &scanned.cc, &scanned.bcc}) {
        if (value->find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
            return "NUL or line end in a value";
    }
    return {};
}

// The message in a file in memory, for the file readers; its descriptor,
// or -1 when no such file can be made here or the message was not written
// whole. Its path is "/proc/self/fd/" and the descriptor.
inline int memoryFileOf(std::string_view message)
{
    const int fd = ::memfd_create("message", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    std::size_t written = 0;
    while (written < message.size()) {
        const ssize_t got = ::write(fd, message.data() + written, message.size() - written);
        if (got <= 0)
            break;
        written += static_cast<std::size_t>(got);
    }
    if (written == message.size())
        return fd;
    ::close(fd);
    return -1;
}

// The header scan in one piece, in pieces, and through the file reader, with
// the given limits: the same answer, within the caps.
inline std::string checkHeaderScan(std::string_view message, std::uint32_t seed, const HeaderScanLimits& limits)
{
    const ScannedHeaders whole = outlook::detail::scanHeaders(message, limits);
    if (std::string problem = checkScanCaps(message, whole, limits); !problem.empty())
        return problem;
    if (!sameScan(whole, scanInPieces(message, seed, limits)))
        return "the answer depends on the pieces";
    const int fd = memoryFileOf(message);
    if (fd < 0)
        return {}; // no memory file here: the file reader is not tried
    const auto fromFile = outlook::detail::readHeaderBlock("/proc/self/fd/" + std::to_string(fd), limits);
    ::close(fd);
    if (!fromFile || !sameScan(whole, *fromFile))
        return "the file reader answers differently";
    // Decoding a crowd of recipients costs a fuzz run too much; the tests
    // decode the hundred thousand.
    if (whole.to.size() + whole.cc.size() + whole.bcc.size() > 4 * 1024)
        return {};
    const outlook::MessageHeaders headers = outlook::detail::parseHeaderBlock(whole);
    std::vector<std::string_view> texts{headers.subject, headers.sender.name, headers.sender.address};
    for (const auto& recipient : headers.recipients) {
        texts.push_back(recipient.name);
        texts.push_back(recipient.address);
    }
    return checkTexts(texts, "a header answer");
}

// The caps, scaled down so that small inputs reach every one of them.
inline HeaderScanLimits smallLimits()
{
    return {.subjectBytes = 40,
        .addressFieldBytes = 60,
        .recipientBytes = 200,
        .transportFieldBytes = 50,
        .transportReceivedBytes = 300,
        .transportOtherBytes = 500,
        .kindFieldBytes = 30,
        .mimeBytes = 80,
        .blockBytes = 4000};
}

inline std::string checkHeaderScan(std::string_view message, std::uint32_t seed)
{
    std::string problem = checkHeaderScan(message, seed, HeaderScanLimits{});
    return problem.empty() ? checkHeaderScan(message, seed, smallLimits()) : problem;
}

inline bool sameMailboxes(const std::vector<outlook::MailAddress>& a, const std::vector<outlook::MailAddress>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](const auto& x, const auto& y) { return x.name == y.name && x.address == y.address; });
}

// The plain readers give GMime's answers or give up: both readings agree.
inline std::string checkPlainReading(std::string_view message, const outlook::MessageHeaders& headers,
    const outlook::MessageContent& content, const HeaderScanLimits& limits)
{
    using outlook::detail::ParsePath;
    const outlook::MessageHeaders slow
        = outlook::detail::parseHeaderBlock(outlook::detail::scanHeaders(message, limits), ParsePath::GMimeOnly);
    if (headers.subject != slow.subject || headers.sender.name != slow.sender.name
        || headers.sender.address != slow.sender.address || headers.kind != slow.kind || headers.toCount != slow.toCount
        || headers.ccCount != slow.ccCount || !sameMailboxes(headers.recipients, slow.recipients))
        return "the plain header readers answer differently from GMime";
    const outlook::MessageContent slowContent = outlook::detail::parseMessageContent(message, ParsePath::GMimeOnly);
    if (content.htmlBody != slowContent.htmlBody || content.textBody != slowContent.textBody
        || content.attachmentNames != slowContent.attachmentNames)
        return "the plain body reader answers differently from GMime";
    return {};
}

// The mail store's first read of the message as a file: the body it keeps
// reads as the file does, when the plain readers take it.
inline std::string checkFirstRead(std::string_view message)
{
    const int fd = memoryFileOf(message);
    if (fd < 0)
        return {};
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    std::string problem;
    const std::optional<outlook::FirstRead> read = outlook::readMessageFirst(path);
    bool keptTextLeftOut = false;
    const std::optional<outlook::MessageContent> kept
        = read && read->body ? outlook::readKeptBody(*read->body, read->layout, keptTextLeftOut) : std::nullopt;
    if (!read) {
        problem = "the first read failed";
    } else if (kept) {
        bool textLeftOut = false;
        const std::optional<outlook::MessageContent> fromFile
            = outlook::readMessageContent(path, read->layout, textLeftOut);
        if (!fromFile || fromFile->htmlBody != kept->htmlBody || fromFile->textBody != kept->textBody
            || fromFile->attachmentNames != kept->attachmentNames || textLeftOut != keptTextLeftOut)
            problem = "the kept body reads differently from the file";
    }
    ::close(fd);
    return problem;
}

// A whole message: headers and content answer in clean UTF-8 within the
// documented caps, and the same with GMime alone.
inline std::string checkMessage(std::string_view message)
{
    if (std::string problem = checkFirstRead(message); !problem.empty())
        return problem;
    const HeaderScanLimits limits;
    const outlook::MessageHeaders headers
        = outlook::detail::parseHeaderBlock(outlook::detail::scanHeaders(message, limits));
    const outlook::MessageContent content = outlook::detail::parseMessageContent(message);
    if (std::string problem = checkPlainReading(message, headers, content, limits); !problem.empty())
        return problem;
    std::vector<std::string_view> texts{
        headers.subject, headers.sender.name, headers.sender.address, content.htmlBody, content.textBody};
    for (const auto& recipient : headers.recipients) {
        texts.push_back(recipient.name);
        texts.push_back(recipient.address);
    }
    for (const std::string& name : content.attachmentNames)
        texts.push_back(name);
    if (std::string problem = checkTexts(texts, "a message answer"); !problem.empty())
        return problem;
    // A decoded subject byte comes from at most one raw byte, which may
    // widen to three in UTF-8 (a windows-1252 byte, a replacement mark).
    if (headers.subject.size() > 3 * limits.subjectBytes)
        return "subject over its cap";
    if (headers.transportHeaders.size() > limits.transportReceivedBytes + limits.transportOtherBytes + 64)
        return "transport headers over their cap";
    constexpr std::size_t maxBodyBytes = 8 * 1024 * 1024;
    // A body is cut at 8 MiB before it is made UTF-8 (at most three bytes
    // for one) and, for the HTML made of plain text, escaped (at most six
    // bytes for one, "&quot;").
    if (content.textBody.size() > 3 * maxBodyBytes || content.htmlBody.size() > 18 * maxBodyBytes)
        return "a body over its cap";
    if (content.attachmentNames.size() > 4096)
        return "too many attachment names";
    return {};
}

// Cards read from any text: clean UTF-8, and never more text out than a
// replacement mark for every byte in.
inline std::string checkVCards(std::string_view text)
{
    const std::vector<outlook::ContactCard> cards = outlook::parseVCards(text);
    std::size_t out = 0;
    for (const outlook::ContactCard& card : cards) {
        if (!cleanText(card.displayName))
            return "a display name is not clean UTF-8";
        out += card.displayName.size();
        for (const std::string& email : card.emails) {
            if (!cleanText(email))
                return "an address is not clean UTF-8";
            out += email.size();
        }
    }
    if (out > 3 * text.size())
        return "more text out than in";
    return {};
}

// Fuzz inputs that start with this byte are grown before they are checked:
// after the tag and a byte k come three parts split by 0x01 bytes, a prefix,
// a unit and the rest; the unit is repeated 2^(k % 22) times, up to
// maxGrownBytes, so that mutations of small inputs reach the caps (a huge
// field, a long fold, a crowd of recipients). The fuzz targets take
// maxGrownBytes from KVN_FUZZ_GROW_BYTES: CI's short run keeps inputs small,
// a long campaign grows them past the production caps.
inline constexpr char growTag = '\xFE';
inline constexpr std::size_t defaultGrownBytes = 3 * 1024 * 1024;

inline std::string grownInput(std::string_view data, std::size_t maxGrownBytes = defaultGrownBytes)
{
    if (data.size() < 2 || data[0] != growTag)
        return std::string(data);
    const unsigned k = static_cast<unsigned char>(data[1]) % 22;
    std::string_view parts[3];
    std::string_view rest = data.substr(2);
    for (int i = 0; i < 2; ++i) {
        const std::size_t split = rest.find('\x01');
        parts[i] = rest.substr(0, split);
        rest = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);
    }
    parts[2] = rest;
    const std::string_view unit = parts[1];
    const std::size_t repeats
        = unit.empty() ? 0 : std::min<std::size_t>(std::size_t{1} << k, maxGrownBytes / unit.size());
    std::string grown(parts[0]);
    grown.reserve(parts[0].size() + unit.size() * repeats + parts[2].size());
    for (std::size_t i = 0; i < repeats; ++i)
        grown += unit;
    grown += parts[2];
    return grown;
}

} // namespace kvn::fuzz
