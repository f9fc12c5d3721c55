#include "lists/record_format.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <limits>

namespace kvn {
namespace {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559, "files store IEEE 754 doubles");

std::uint32_t loadLittleEndian32(const char* bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::uint64_t loadLittleEndian64(const char* bytes)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

void storeLittleEndian(std::string& out, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i, value >>= 8)
        out += static_cast<char>(value & 0xFF);
}

} // namespace

bool RecordReader::readByte(std::uint8_t& value)
{
    if (bytes_.size() - at_ < 1)
        return false;
    value = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
}

bool RecordReader::readInt32(std::int32_t& value)
{
    if (bytes_.size() - at_ < 4)
        return false;
    value = static_cast<std::int32_t>(loadLittleEndian32(bytes_.data() + at_));
    at_ += 4;
    return true;
}

bool RecordReader::readFloat64(double& value)
{
    if (bytes_.size() - at_ < 8)
        return false;
    value = std::bit_cast<double>(loadLittleEndian64(bytes_.data() + at_));
    at_ += 8;
    return true;
}

bool RecordReader::readText(std::string& value)
{
    const std::size_t start = at_;
    std::int32_t count = 0;
    if (!readInt32(count))
        return false;
    if (count < 0 || static_cast<std::size_t>(count) > bytes_.size() - at_) {
        at_ = start;
        return false;
    }
    value.assign(bytes_.substr(at_, static_cast<std::size_t>(count)));
    at_ += static_cast<std::size_t>(count);
    return true;
}

void RecordWriter::writeInt32(std::int32_t value) { storeLittleEndian(bytes_, static_cast<std::uint32_t>(value), 4); }

void RecordWriter::writeFloat64(double value) { storeLittleEndian(bytes_, std::bit_cast<std::uint64_t>(value), 8); }

void RecordWriter::writeText(std::string_view value)
{
    assert(value.size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) && "text too long");
    writeInt32(static_cast<std::int32_t>(value.size()));
    bytes_.append(value);
}

std::string describeReadEnd(const ReadEnd& end)
{
    if (end.complete)
        return "end of file";
    return "record cut short at byte " + std::to_string(end.cutAt);
}

} // namespace kvn
