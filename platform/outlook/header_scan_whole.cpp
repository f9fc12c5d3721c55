// The header scan's short way for the common case: the first piece holds the
// whole block, and the block is plain (no NUL byte, no CR but those of CRLF
// line ends, every line a "Name: value" field or its continuation) and within
// every cap. Then the transport headers are the block itself, copied at once,
// and only the fields the object model answers from are looked at. Anything
// else is left to the byte-by-byte scan, which gives the same answer for
// these blocks (the scan's tests and fuzz target compare a block fed whole
// with the same block fed in small pieces).
#include "platform/outlook/header_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kvn::outlook::detail {

namespace {

// The bytes of `word` that equal `c` have their 0x80 bit set in the answer;
// the lowest set bit is always exact (borrows only mark bytes above it).
std::uint64_t bytesEqualTo(std::uint64_t word, char c)
{
    constexpr std::uint64_t ones = 0x0101010101010101;
    const std::uint64_t differences = word ^ (ones * static_cast<unsigned char>(c));
    return (differences - ones) & ~differences & (ones << 7);
}

// Where the colon after the field name that starts the line is, for a name
// as the byte-by-byte scan takes it: not empty, no blank, no longer than it
// looks for a colon. npos when the line starts with no such name. Eight
// bytes are looked at at once for the first colon or blank.
std::size_t plainNameEnd(std::string_view line, std::size_t maxNameBytes)
{
    const std::size_t limit = std::min(line.size(), maxNameBytes + 1);
    std::size_t at = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at + 8 <= line.size() && at < limit; at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, line.data() + at, sizeof word);
            const std::uint64_t stops = bytesEqualTo(word, ':') | bytesEqualTo(word, ' ') | bytesEqualTo(word, '\t');
            if (stops != 0) {
                at += static_cast<std::size_t>(std::countr_zero(stops)) / 8;
                break;
            }
        }
    }
    for (; at < limit; ++at) {
        const char c = line[at];
        if (c == ':')
            return at == 0 ? std::string_view::npos : at;
        if (c == ' ' || c == '\t')
            return std::string_view::npos;
    }
    return std::string_view::npos;
}

} // namespace

bool HeaderScanner::scanWholeBlock(std::string_view piece)
{
    // What each field's value goes to, and the room it has there.
    struct Target {
        std::string* value = nullptr;
        std::size_t room = 0;
    };
    ScannedHeaders out;
    std::size_t received = 0; // transport bytes of the Received fields
    std::size_t other = 0; // and of all others
    FieldKind kind = FieldKind::None;
    Target target;
    std::size_t fieldStart = 0;

    // Ends the field before `at`; false when it does not fit its caps.
    const auto endField = [&](std::size_t at) {
        if (kind == FieldKind::None)
            return true;
        const std::size_t size = at - fieldStart;
        std::size_t& classBytes = kind == FieldKind::Received ? received : other;
        const std::size_t classCap
            = kind == FieldKind::Received ? limits_.transportReceivedBytes : limits_.transportOtherBytes;
        // Room for the line end the scan reserves in front of a field.
        if (size > limits_.transportFieldBytes || classBytes + size + 2 > classCap)
            return false;
        classBytes += size;
        if (kind == FieldKind::ContentType || kind == FieldKind::Mime)
            out.mimeHeaders.append(piece.substr(fieldStart, size));
        return true;
    };
    const auto keep = [&](std::string_view text) {
        if (target.value == nullptr)
            return true;
        if (text.size() > target.room)
            return false;
        target.value->append(text);
        target.room -= text.size();
        return true;
    };
    const auto startField = [&](FieldKind next) {
        kind = next;
        target = {};
        const auto once = [&](std::optional<std::string>& value, std::size_t cap) {
            if (!value)
                target = {&value.emplace(), cap};
        };
        // To, Cc and Bcc share one cap.
        const auto joined = [&](std::string& list) {
            const std::size_t used = out.to.size() + out.cc.size() + out.bcc.size();
            target = {&list, limits_.recipientBytes - std::min(limits_.recipientBytes, used)};
            return list.empty() || keep(", ");
        };
        switch (next) {
        case FieldKind::Subject:
            once(out.subject, limits_.subjectBytes);
            return true;
        case FieldKind::From:
            once(out.from, limits_.addressFieldBytes);
            return true;
        case FieldKind::Sender:
            once(out.sender, limits_.addressFieldBytes);
            return true;
        case FieldKind::ReturnPath:
            once(out.returnPath, limits_.addressFieldBytes);
            return true;
        case FieldKind::To:
            return joined(out.to);
        case FieldKind::Cc:
            return joined(out.cc);
        case FieldKind::Bcc:
            return joined(out.bcc);
        case FieldKind::ContentType:
            once(out.contentType, limits_.kindFieldBytes);
            return true;
        case FieldKind::ContentClass:
            once(out.contentClass, limits_.kindFieldBytes);
            return true;
        default:
            return true;
        }
    };

    std::size_t at = 0;
    for (;;) {
        if (at >= piece.size() || at >= limits_.blockBytes)
            return false;
        // The empty line that ends the block.
        std::size_t blockEnd = 0;
        if (piece[at] == '\n')
            blockEnd = at + 1;
        else if (piece[at] == '\r' && at + 1 < piece.size() && piece[at + 1] == '\n')
            blockEnd = at + 2;
        if (blockEnd != 0) {
            // No NUL byte: looked for in the whole block at once.
            if (blockEnd >= limits_.blockBytes || !endField(at)
                || piece.substr(0, at).find('\0') != std::string_view::npos)
                return false;
            out.transportHeaders.assign(piece.substr(0, at));
            out.complete = true;
            out.bodyOffset = blockEnd;
            out.scannedBytes = blockEnd;
            break;
        }
        const std::size_t newline = piece.find('\n', at);
        if (newline == std::string_view::npos)
            return false;
        std::string_view content = piece.substr(at, newline - at);
        if (content.ends_with('\r'))
            content.remove_suffix(1);
        if (content.find('\r') != std::string_view::npos)
            return false; // a CR that ends no line
        if (content.front() == ' ' || content.front() == '\t') {
            // A continuation line: its value goes on, blank and all.
            if (kind == FieldKind::None || !keep(content))
                return false;
        } else {
            const std::size_t colon = plainNameEnd(content, maxNameBytes);
            if (colon == std::string_view::npos || !endField(at))
                return false;
            fieldStart = at;
            if (!startField(kindOf(content.substr(0, colon))) || !keep(content.substr(colon + 1)))
                return false;
        }
        at = newline + 1;
    }
    // The MIME lines, with the two bytes the byte-by-byte scan keeps in hand.
    if (out.mimeHeaders.size() + 2 > limits_.mimeBytes)
        return false;
    result_ = std::move(out);
    over_ = true;
    line_ = LineState::Start;
    return true;
}

} // namespace kvn::outlook::detail
