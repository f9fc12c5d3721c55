// A streaming scan of a message's header block. It is fed the file in pieces
// of any size and keeps only what the object model answers from: the raw
// values of the sender, recipient and subject fields, and a bounded copy of
// the block for the transport headers. Each is kept under its own cap, so a
// huge field cannot push the fields after it out of sight, and memory stays
// bounded however large the block is.
#pragma once

#include "platform/outlook/message_file.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// The caps of one scan. The defaults are the ones the mail store reads with;
// tests and fuzz targets may scale them down to reach them with small inputs.
struct HeaderScanLimits {
    // Subject: the unfolded value of its first occurrence.
    std::size_t subjectBytes = 64 * 1024;
    // From, Sender, Return-Path: each unfolded value (first occurrence).
    std::size_t addressFieldBytes = 1024 * 1024;
    // To, Cc and Bcc: the values of all their occurrences together. Enough
    // for 100,000 ordinary addresses.
    std::size_t recipientBytes = 4 * 1024 * 1024;
    // Transport headers: each field's share (its lines with their line ends).
    std::size_t transportFieldBytes = 16 * 1024;
    // Transport headers: all Received fields together, and all others.
    std::size_t transportReceivedBytes = 256 * 1024;
    std::size_t transportOtherBytes = 768 * 1024;
    // Content-Type and Content-Class: the unfolded value of the first
    // occurrence of each, which tells what kind of item the message is.
    std::size_t kindFieldBytes = 4 * 1024;
    // Content-Type, Content-Transfer-Encoding, Content-Disposition and
    // MIME-Version: all their lines together, for the body reader.
    std::size_t mimeBytes = 64 * 1024;
    // Header bytes looked at at most. A block that goes on past this (a
    // sparse file of zeros, say) ends here: what follows is not seen.
    std::size_t blockBytes = 64 * 1024 * 1024;
};

// The transport headers mark each place where bytes were cut or left out with
// one line of this field, whose value is the number of bytes left out there
// ("X-KVN-Omitted: 1153433 bytes"). It holds no dot, so the sender-IP scan
// cannot take it for an address.
inline constexpr std::string_view omittedMarkerName = "X-KVN-Omitted";

// What one scan kept. Raw values are unfolded (line ends removed, the blank
// that starts a continuation line kept), NUL bytes and bare CRs made spaces,
// and not yet decoded.
struct ScannedHeaders {
    std::optional<std::string> subject;
    std::optional<std::string> from;
    std::optional<std::string> sender;
    std::optional<std::string> returnPath;
    // Every To (and every Cc, every Bcc) occurrence, joined with ", ". When
    // cut, the address that the cut went through is dropped.
    std::string to;
    std::string cc;
    std::string bcc;
    // The top-level Content-Type and Content-Class values, cut to
    // limits.kindFieldBytes each.
    std::optional<std::string> contentType;
    std::optional<std::string> contentClass;
    // The block itself, line ends as in the file, NUL bytes made spaces, the
    // empty line that ends it left out. Every field is cut to
    // transportFieldBytes; fields are kept in file order while their class
    // (Received, or any other) has room, and each place where bytes were cut
    // or left out gets an omittedMarkerName line.
    std::string transportHeaders;
    // The lines of the MIME fields that say how the body is built, as in the
    // block (NUL bytes made spaces), cut to limits.mimeBytes together.
    std::string mimeHeaders;
    HeaderCuts cuts;
    // True when the empty line that ends the block was seen; then bodyOffset
    // is the offset of the body's first byte.
    bool complete = false;
    std::size_t bodyOffset = 0;
    // How many bytes the scan looked at (at most limits.blockBytes plus the
    // empty line).
    std::size_t scannedBytes = 0;
};

// Scans one message. Feed it the message from its first byte in pieces of any
// size, until feed answers false or the file ends, then call finish. The
// answer does not depend on how the message was cut into pieces.
class HeaderScanner {
public:
    explicit HeaderScanner(const HeaderScanLimits& limits = {});

    // Scans the next piece. False once the block is over (its empty line was
    // seen, or limits.blockBytes were scanned): the rest of this piece and any
    // later piece would be ignored.
    bool feed(std::string_view piece);

    // Ends the last field and hands over what was kept. Call once.
    ScannedHeaders finish();

private:
    enum class FieldKind {
        None,
        Subject,
        From,
        Sender,
        ReturnPath,
        To,
        Cc,
        Bcc,
        Received,
        ContentType,
        ContentClass,
        Mime,
        Other
    };
    enum class LineState { Start, CrAtStart, Name, Content };

    // A line whose first this-many bytes hold no colon is no header field.
    static constexpr std::size_t maxNameBytes = 256;

    // The whole block at once, when the first piece holds all of it and it
    // needs none of the byte-by-byte scan's care; false (and nothing
    // changed) otherwise.
    bool scanWholeBlock(std::string_view piece);
    static FieldKind kindOf(std::string_view name);
    static bool isRecipientField(FieldKind kind);
    void scanByteBeforeContent(char byte);
    void scanNameByte(char byte);
    std::size_t scanContent(std::string_view piece);
    void startField(FieldKind kind);
    void startContinuation();
    void endField();
    void endBlock();
    void toValue(std::string_view bytes);
    void appendValue(std::string_view bytes);
    void toTransport(std::string_view bytes);
    void toMime(std::string_view bytes);
    void lineEnd();
    void flushMarker();

    HeaderScanLimits limits_;
    ScannedHeaders result_;
    bool over_ = false;
    LineState line_ = LineState::Start;
    std::string pending_; // the start of the line while its name is read
    std::string newline_ = "\n"; // the block's line end, for marker lines
    bool seenLineEnd_ = false;
    bool lastWasCr_ = false; // the previous byte of the line was a CR

    FieldKind kind_ = FieldKind::None;
    std::string* value_ = nullptr; // where the field's value goes, if kept
    std::size_t valueRoom_ = 0;
    bool* valueCut_ = nullptr;
    bool valueCrPending_ = false; // a CR held back: dropped if a LF follows
    std::size_t recipientRoom_; // what To, Cc and Bcc may still add together
    bool kindFieldCut_ = false; // a Content-Type or Content-Class cut short
    std::size_t transportRoom_ = 0; // what this field may still add
    std::size_t fieldStart_ = 0; // where the field's transport text starts
    std::size_t fieldOmitted_ = 0;
    std::size_t mimeRoom_;
    std::size_t receivedRoom_;
    std::size_t otherRoom_;
    std::size_t markerOmitted_ = 0; // bytes left out since the last kept piece
};

// Scans a message held in memory.
ScannedHeaders scanHeaders(std::string_view message, const HeaderScanLimits& limits = {});

} // namespace kvn::outlook::detail
