// The header scan reads line by line, but a line may be split across pieces
// and may be of any length, so nothing waits for a whole line: the start of
// each line is held only until its field name is known (at most
// maxNameBytes), and from then on its bytes flow straight to where the field
// keeps them: the field's value, if it is one the object model answers from,
// and the transport headers, each up to what is left of its cap. A CR is held
// back one byte in values, so that a CRLF line end is dropped whole even when
// the pieces split it.
#include "platform/outlook/header_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kvn::outlook::detail {

namespace {

// What the transport headers reserve before the first piece is scanned.
constexpr std::size_t initialTransportBytes = 4096;

// A field name against a known one written in lower case, of letters and
// dashes only: a letter matches either case (setting the 0x20 bit maps only
// its capital onto it), a dash only itself.
// Eight bytes are compared at once: a letter of the known name has the 0x40
// bit set and a dash has not, which gives the 0x20 bits to set.
bool isNamed(std::string_view text, std::string_view lowerName)
{
    if (text.size() != lowerName.size())
        return false;
    for (std::size_t at = 0; at < text.size(); at += 8) {
        const std::size_t length = std::min<std::size_t>(8, text.size() - at);
        std::uint64_t got = 0;
        std::uint64_t wanted = 0;
        std::memcpy(&got, text.data() + at, length);
        std::memcpy(&wanted, lowerName.data() + at, length);
        const std::uint64_t letterBits = (wanted & 0x4040404040404040) >> 1;
        if ((got | letterBits) != wanted)
            return false;
    }
    return true;
}

// Each `c` in text[from..] becomes a space (found with memchr: the values
// and the transport headers of a huge block pass through here).
void replaceWithSpace(std::string& text, std::size_t from, char c)
{
    for (std::size_t at = text.find(c, from); at != std::string::npos; at = text.find(c, at + 1))
        text[at] = ' ';
}

// How many of the first bytes (at most `most`) are bytes that a field name
// just takes in: none of ':', blanks, NUL and line feeds.
std::size_t ordinaryNameRun(std::string_view bytes, std::size_t most)
{
    const std::size_t end = std::min(bytes.size(), most);
    std::size_t run = 0;
    while (run < end) {
        const char c = bytes[run];
        if (c == ':' || c == ' ' || c == '\t' || c == '\0' || c == '\n')
            break;
        ++run;
    }
    return run;
}

std::string markerLine(std::size_t omitted, const std::string& newline)
{
    return std::string(omittedMarkerName) + ": " + std::to_string(omitted) + " bytes" + newline;
}

// A cut subject ends at its last blank near the cut, so that no encoded word
// is left half there.
void trimCutSubject(std::string& subject)
{
    const std::size_t blank = subject.find_last_of(" \t");
    if (blank != std::string::npos && subject.size() - blank <= 256)
        subject.resize(blank);
}

// A cut address list loses the address the cut went through.
void trimCutList(std::string& list)
{
    const std::size_t comma = list.rfind(',');
    list.resize(comma == std::string::npos ? 0 : comma);
}

} // namespace

HeaderScanner::HeaderScanner(const HeaderScanLimits& limits)
    : limits_(limits),
      recipientRoom_(limits.recipientBytes),
      mimeRoom_(limits.mimeBytes),
      receivedRoom_(limits.transportReceivedBytes),
      otherRoom_(limits.transportOtherBytes)
{
}

bool HeaderScanner::feed(std::string_view piece)
{
    if (result_.scannedBytes == 0) {
        // A plain block that came whole is taken at once.
        if (!over_ && line_ == LineState::Start && kind_ == FieldKind::None && scanWholeBlock(piece))
            return false;
        // Most blocks are a few kilobytes: room for them at once spares the
        // transport headers their growing step by step.
        result_.transportHeaders.reserve(std::min(piece.size(), initialTransportBytes));
    }
    std::size_t at = 0;
    while (!over_ && at < piece.size()) {
        if (result_.scannedBytes >= limits_.blockBytes) {
            result_.cuts.block = true;
            over_ = true;
            break;
        }
        const std::size_t room = limits_.blockBytes - result_.scannedBytes;
        if (line_ == LineState::Content) {
            const std::size_t used = scanContent(piece.substr(at, std::min(room, piece.size() - at)));
            at += used;
            result_.scannedBytes += used;
            continue;
        }
        if (line_ == LineState::Name) {
            // The ordinary bytes of a field name go to the pending start of
            // the line at once; the byte that ends the name (or makes it too
            // long) is looked at below.
            const std::size_t run = ordinaryNameRun(piece.substr(at, std::min(room, piece.size() - at)),
                maxNameBytes - std::min(maxNameBytes, pending_.size()));
            if (run > 0) {
                pending_.append(piece.substr(at, run));
                at += run;
                result_.scannedBytes += run;
                lastWasCr_ = pending_.back() == '\r';
                continue;
            }
        }
        const char byte = piece[at];
        if (line_ == LineState::Start && (byte == ' ' || byte == '\t')) {
            startContinuation();
            line_ = LineState::Content;
            continue; // the blank is part of the continued value
        }
        ++at;
        ++result_.scannedBytes;
        scanByteBeforeContent(byte);
        lastWasCr_ = byte == '\r';
    }
    return !over_;
}

void HeaderScanner::scanByteBeforeContent(char byte)
{
    switch (line_) {
    case LineState::Start:
        if (byte == '\n')
            return endBlock();
        endField();
        pending_.clear();
        if (byte == '\r') {
            line_ = LineState::CrAtStart;
            return;
        }
        line_ = LineState::Name;
        return scanNameByte(byte);
    case LineState::CrAtStart:
        if (byte == '\n')
            return endBlock();
        pending_ += '\r'; // cleared when the line started
        line_ = LineState::Name;
        return scanNameByte(byte);
    case LineState::Name:
        return scanNameByte(byte);
    case LineState::Content:
        return;
    }
}

void HeaderScanner::scanNameByte(char byte)
{
    if (byte == ':' && !pending_.empty()) {
        startField(kindOf(pending_));
        pending_ += ':';
        toTransport(pending_);
        line_ = LineState::Content;
        return;
    }
    pending_ += byte;
    const bool blank = byte == ' ' || byte == '\t' || byte == '\0' || byte == ':';
    if (blank || byte == '\n' || pending_.size() > maxNameBytes) {
        // Not a header field (an mbox "From " line, garbage): the transport
        // headers keep it, no value is taken from it.
        startField(FieldKind::Other);
        toTransport(pending_);
        if (byte == '\n') {
            lineEnd();
            return;
        }
        line_ = LineState::Content;
    }
}

bool HeaderScanner::isRecipientField(FieldKind kind)
{
    return kind == FieldKind::To || kind == FieldKind::Cc || kind == FieldKind::Bcc;
}

HeaderScanner::FieldKind HeaderScanner::kindOf(std::string_view name)
{
    struct Known {
        std::string_view name;
        FieldKind kind;
    };
    // By length, so that a name is compared with at most two of them.
    static constexpr Known byLength[][2] = {
        {},
        {},
        {{"to", FieldKind::To}, {"cc", FieldKind::Cc}},
        {{"bcc", FieldKind::Bcc}},
        {{"from", FieldKind::From}},
        {},
        {{"sender", FieldKind::Sender}},
        {{"subject", FieldKind::Subject}},
        {{"received", FieldKind::Received}},
        {},
        {},
        {{"return-path", FieldKind::ReturnPath}},
        {{"content-type", FieldKind::ContentType}, {"mime-version", FieldKind::Mime}},
        {{"content-class", FieldKind::ContentClass}},
        {},
        {},
        {},
        {},
        {},
        {{"content-disposition", FieldKind::Mime}},
        {},
        {},
        {},
        {},
        {},
        {{"content-transfer-encoding", FieldKind::Mime}},
    };
    if (name.size() >= std::size(byLength))
        return FieldKind::Other;
    for (const Known& known : byLength[name.size()]) {
        if (!known.name.empty() && isNamed(name, known.name))
            return known.kind;
    }
    return FieldKind::Other;
}

std::size_t HeaderScanner::scanContent(std::string_view piece)
{
    const std::size_t newline = piece.find('\n');
    const std::string_view text = piece.substr(0, newline);
    toValue(text);
    if (!text.empty())
        lastWasCr_ = text.back() == '\r';
    if (newline == std::string_view::npos) {
        toTransport(text);
        return piece.size();
    }
    toTransport(piece.substr(0, newline + 1));
    lineEnd();
    return newline + 1;
}

void HeaderScanner::lineEnd()
{
    if (!seenLineEnd_) {
        seenLineEnd_ = true;
        newline_ = lastWasCr_ ? "\r\n" : "\n";
    }
    valueCrPending_ = false; // the CR of a CRLF line end
    lastWasCr_ = false;
    line_ = LineState::Start;
}

void HeaderScanner::startField(FieldKind kind)
{
    endField();
    kind_ = kind;
    const auto keepOnce = [&](std::optional<std::string>& value, std::size_t room, bool& cut) {
        if (value)
            return;
        value.emplace();
        value_ = &*value;
        valueRoom_ = room;
        valueCut_ = &cut;
    };
    const auto keepJoined = [&](std::string& list) {
        value_ = &list;
        valueCut_ = &result_.cuts.recipients;
        valueRoom_ = recipientRoom_;
        if (!list.empty())
            appendValue(", ");
    };
    switch (kind) {
    case FieldKind::Subject:
        keepOnce(result_.subject, limits_.subjectBytes, result_.cuts.subject);
        break;
    case FieldKind::From:
        keepOnce(result_.from, limits_.addressFieldBytes, result_.cuts.sender);
        break;
    case FieldKind::Sender:
        keepOnce(result_.sender, limits_.addressFieldBytes, result_.cuts.sender);
        break;
    case FieldKind::ReturnPath:
        keepOnce(result_.returnPath, limits_.addressFieldBytes, result_.cuts.sender);
        break;
    case FieldKind::To:
        keepJoined(result_.to);
        break;
    case FieldKind::Cc:
        keepJoined(result_.cc);
        break;
    case FieldKind::Bcc:
        keepJoined(result_.bcc);
        break;
    case FieldKind::ContentType:
        keepOnce(result_.contentType, limits_.kindFieldBytes, kindFieldCut_);
        break;
    case FieldKind::ContentClass:
        keepOnce(result_.contentClass, limits_.kindFieldBytes, kindFieldCut_);
        break;
    case FieldKind::Received:
    case FieldKind::Mime:
    case FieldKind::Other:
    case FieldKind::None:
        break;
    }
    // The field's room in the transport headers keeps space for the marker
    // line it may have to write first and for a line end after a cut.
    const std::size_t classRoom = kind == FieldKind::Received ? receivedRoom_ : otherRoom_;
    const std::size_t reserve
        = (markerOmitted_ > 0 ? markerLine(markerOmitted_, newline_).size() : 0) + newline_.size();
    transportRoom_ = classRoom > reserve ? std::min(limits_.transportFieldBytes, classRoom - reserve) : 0;
    fieldStart_ = result_.transportHeaders.size();
    fieldOmitted_ = 0;
}

void HeaderScanner::startContinuation()
{
    // A continuation line without a field before it is kept as it is.
    if (kind_ == FieldKind::None)
        startField(FieldKind::Other);
}

void HeaderScanner::endField()
{
    if (kind_ == FieldKind::None)
        return;
    if (isRecipientField(kind_))
        recipientRoom_ = valueRoom_;
    std::string& transport = result_.transportHeaders;
    if (fieldOmitted_ > 0) {
        if (transport.size() > fieldStart_ && !transport.ends_with('\n'))
            transport += newline_;
        markerOmitted_ += fieldOmitted_;
        result_.cuts.transportHeaders = true;
    }
    std::size_t& classRoom = kind_ == FieldKind::Received ? receivedRoom_ : otherRoom_;
    classRoom -= std::min(classRoom, transport.size() - fieldStart_);
    kind_ = FieldKind::None;
    value_ = nullptr;
    valueCrPending_ = false;
}

void HeaderScanner::endBlock()
{
    endField();
    result_.complete = true;
    result_.bodyOffset = result_.scannedBytes;
    over_ = true;
    line_ = LineState::Start;
}

void HeaderScanner::toValue(std::string_view bytes)
{
    if (value_ == nullptr || bytes.empty())
        return;
    if (valueCrPending_) {
        appendValue(" "); // a bare CR inside the line
        valueCrPending_ = false;
    }
    if (bytes.back() == '\r') {
        valueCrPending_ = true;
        bytes.remove_suffix(1);
    }
    appendValue(bytes);
}

void HeaderScanner::appendValue(std::string_view bytes)
{
    if (value_ == nullptr || bytes.empty())
        return;
    const std::size_t kept = std::min(bytes.size(), valueRoom_);
    const std::size_t from = value_->size();
    value_->append(bytes.substr(0, kept));
    replaceWithSpace(*value_, from, '\0');
    replaceWithSpace(*value_, from, '\r');
    valueRoom_ -= kept;
    if (kept == bytes.size())
        return;
    *valueCut_ = true;
    if (kind_ == FieldKind::Subject)
        trimCutSubject(*value_);
    else if (isRecipientField(kind_))
        trimCutList(*value_);
    value_ = nullptr;
}

void HeaderScanner::toTransport(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (kind_ == FieldKind::Mime || kind_ == FieldKind::ContentType)
        toMime(bytes);
    const std::size_t kept = std::min(bytes.size(), transportRoom_);
    fieldOmitted_ += bytes.size() - kept;
    if (kept == 0)
        return;
    flushMarker();
    std::string& transport = result_.transportHeaders;
    const std::size_t from = transport.size();
    transport.append(bytes.substr(0, kept));
    replaceWithSpace(transport, from, '\0');
    transportRoom_ -= kept;
}

void HeaderScanner::toMime(std::string_view bytes)
{
    std::string& mime = result_.mimeHeaders;
    // Room for the line end that ends a cut field.
    const std::size_t kept = std::min(bytes.size(), mimeRoom_ > 2 ? mimeRoom_ - 2 : 0);
    const std::size_t from = mime.size();
    mime.append(bytes.substr(0, kept));
    replaceWithSpace(mime, from, '\0');
    mimeRoom_ -= kept;
    if (kept < bytes.size() && !mime.empty() && !mime.ends_with('\n')) {
        mime += '\n';
        mimeRoom_ = 0;
    }
}

void HeaderScanner::flushMarker()
{
    if (markerOmitted_ == 0)
        return;
    std::string& transport = result_.transportHeaders;
    if (!transport.empty() && !transport.ends_with('\n'))
        transport += newline_;
    transport += markerLine(markerOmitted_, newline_);
    markerOmitted_ = 0;
}

ScannedHeaders HeaderScanner::finish()
{
    // A file that ends inside a line's name: the line is no field.
    if (line_ == LineState::CrAtStart || line_ == LineState::Name) {
        const std::string start = line_ == LineState::CrAtStart ? std::string("\r") : pending_;
        startField(FieldKind::Other);
        toTransport(start);
    }
    endField();
    flushMarker();
    return std::move(result_);
}

ScannedHeaders scanHeaders(std::string_view message, const HeaderScanLimits& limits)
{
    HeaderScanner scanner(limits);
    scanner.feed(message);
    return scanner.finish();
}

} // namespace kvn::outlook::detail
