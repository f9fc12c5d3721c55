// The record encoding shared by the data files: a marker byte per record,
// 32-bit little-endian integers, 64-bit little-endian IEEE floats, and texts
// as a 32-bit byte count followed by the bytes. Files have no header, count or
// checksum; the end of a file is where a record's marker byte cannot be read.
//
// The reader trusts nothing it reads: every read checks what remains, and a
// text count is checked against the rest of the input before anything is
// allocated from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvn {

class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) { }

    bool atEnd() const { return at_ == bytes_.size(); }
    std::size_t offset() const { return at_; }

    // Each read either consumes its field and returns true, or returns false
    // and leaves the input where it was (the record is cut short).
    bool readByte(std::uint8_t& value);
    bool readInt32(std::int32_t& value);
    bool readFloat64(double& value);
    // False also for a negative count or one larger than what remains.
    bool readText(std::string& value);

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

class RecordWriter {
public:
    void writeMarker() { writeByte(1); }
    void writeByte(std::uint8_t value) { bytes_ += static_cast<char>(value); }
    void writeInt32(std::int32_t value);
    void writeFloat64(double value);
    // Texts longer than a 32-bit count can hold are a caller's bug.
    void writeText(std::string_view value);

    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// How reading a whole file ended: at the end of the input, or at a record
// that was cut short or whose counts did not fit (cutAt = its byte offset).
struct ReadEnd {
    bool complete = true;
    std::size_t cutAt = 0;

    bool operator==(const ReadEnd&) const = default;
};

// "end of file" or "record cut short at byte N".
std::string describeReadEnd(const ReadEnd& end);

// What one record reader made of the next record.
enum class RecordRead { Record, EndOfInput, CutShort };

} // namespace kvn
