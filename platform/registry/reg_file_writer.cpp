// The hive file writer.
#include "platform/registry/reg_file_writer.h"

#include "platform/registry/reg_text.h"

#include <cstdint>
#include <cstdio>

namespace kvn::registry {
namespace {

// Hex data is wrapped before this column, as the system's own editor does.
constexpr std::size_t wrapColumn = 77;

bool isPlainText(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x20 || lead == 0x7F)
            return false;
        std::size_t length = 1;
        if (lead >= 0x80) {
            if (lead >= 0xC2 && lead <= 0xDF)
                length = 2;
            else if (lead >= 0xE0 && lead <= 0xEF)
                length = 3;
            else if (lead >= 0xF0 && lead <= 0xF4)
                length = 4;
            else
                return false;
            if (i + length > bytes.size())
                return false;
            for (std::size_t k = 1; k < length; ++k) {
                if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                    return false;
            }
            // Overlong forms and surrogates are not text either.
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90)
                || (lead == 0xF4 && second >= 0x90))
                return false;
        }
        i += length;
    }
    return true;
}

void appendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void appendHexData(std::string& out, std::size_t lineStart, std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
        if (i + 1 == bytes.size())
            break;
        out += ',';
        if (out.size() - lineStart >= wrapColumn - 3) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

std::uint32_t dwordOf(std::string_view bytes)
{
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return number;
}

void appendValue(std::string& out, const StoredValue& stored)
{
    for (const std::string& comment : stored.comments)
        out += comment + '\n';
    const std::size_t lineStart = out.size();
    if (stored.name.empty())
        out += '@';
    else
        appendQuoted(out, stored.name);
    out += '=';
    const Value& value = stored.value;
    if (value.type == static_cast<std::uint32_t>(ValueType::String) && isPlainText(value.bytes)) {
        appendQuoted(out, value.bytes);
    } else if (value.type == static_cast<std::uint32_t>(ValueType::Dword) && value.bytes.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x", dwordOf(value.bytes));
        out += number;
    } else if (value.type == static_cast<std::uint32_t>(ValueType::String)
        || value.type == static_cast<std::uint32_t>(ValueType::ExpandString)) {
        // The export form of a string that cannot be quoted: its UTF-16LE
        // code units and the terminating NUL.
        out += value.type == static_cast<std::uint32_t>(ValueType::String) ? "hex(1):" : "hex(2):";
        appendHexData(out, lineStart, toUtf16le(value.bytes) + std::string(2, '\0'));
    } else {
        if (value.type == static_cast<std::uint32_t>(ValueType::Binary)) {
            out += "hex:";
        } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
            out += prefix;
        }
        appendHexData(out, lineStart, value.bytes);
    }
    out += '\n';
}

void appendKey(std::string& out, const HiveKey& key, const std::string& path, bool isRoot)
{
    if (!isRoot || !key.values.empty() || !key.comments.empty()) {
        for (const std::string& comment : key.comments)
            out += comment + '\n';
        out += '[' + path + "]\n";
        for (const StoredValue& value : key.values)
            appendValue(out, value);
        out += '\n';
    }
    for (const auto& child : key.children)
        appendKey(out, *child, path + '\\' + child->name, false);
}

} // namespace

std::string writeHive(const HiveTree& tree, std::string_view hiveName)
{
    std::string out = "Windows Registry Editor Version 5.00\n\n";
    appendKey(out, tree.root(), std::string(hiveName), true);
    for (const std::string& comment : tree.trailingComments)
        out += comment + '\n';
    return out;
}

} // namespace kvn::registry
