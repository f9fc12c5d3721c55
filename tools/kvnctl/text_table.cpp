#include "tools/kvnctl/text_table.h"

#include <array>
#include <cstdio>

namespace kvn::kvnctl {
namespace {

// Characters, not bytes: UTF-8 continuation bytes take no room.
std::size_t widthOf(std::string_view text)
{
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

void writeLine(std::ostream& out, std::size_t indent, const std::vector<std::string>& cells,
    const std::vector<std::size_t>& widths)
{
    std::string line(indent, ' ');
    for (std::size_t i = 0; i < cells.size(); ++i) {
        line += cells[i];
        if (i + 1 < cells.size())
            line += std::string(widths[i] - widthOf(cells[i]) + 2, ' ');
    }
    out << line << '\n';
}

} // namespace

std::string printableText(std::string_view text)
{
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        // C1 controls (U+0080..U+009F) are commands to a terminal as well.
        const bool c1Control
            = byte == 0xC2 && at + 1 < text.size() && (static_cast<unsigned char>(text[at + 1]) & 0xE0) == 0x80;
        if (c1Control) {
            std::array<char, 8> escape{};
            std::snprintf(escape.data(), escape.size(), "\\u%04x", static_cast<unsigned char>(text[++at]));
            printable += escape.data();
        } else if (byte >= 0x20 && byte != 0x7f) {
            printable += c;
        } else if (c == '\n') {
            printable += "\\n";
        } else if (c == '\t') {
            printable += "\\t";
        } else if (c == '\r') {
            printable += "\\r";
        } else {
            std::array<char, 8> escape{};
            std::snprintf(escape.data(), escape.size(), "\\x%02x", byte);
            printable += escape.data();
        }
    }
    return printable;
}

TextTable::TextTable(std::span<const Column> columns, RowsNoun rowsNoun) : columns_(columns), rowsNoun_(rowsNoun) { }

void TextTable::beginMap()
{
    if (skipped_ > 0) {
        ++skipped_;
        return;
    }
    if (depth_ > 0)
        path_.push_back(pendingKey_);
    ++depth_;
}

void TextTable::endMap()
{
    if (skipped_ > 0) {
        --skipped_;
        return;
    }
    --depth_;
    if (depth_ > 0) {
        path_.pop_back();
        return;
    }
    std::vector<std::string> cells;
    for (const Column& column : columns_) {
        const auto found = row_.find(std::string(column.key));
        cells.push_back(found == row_.end() || found->second.empty() ? "-" : found->second);
    }
    rows_.push_back(std::move(cells));
    row_.clear();
}

// Lists inside a row (recipients, attachments) are left to --json.
void TextTable::beginList() { ++skipped_; }
void TextTable::endList() { --skipped_; }

void TextTable::scalar(std::string text)
{
    if (skipped_ > 0 || depth_ == 0)
        return;
    std::string key;
    for (const std::string& part : path_)
        key += part + ".";
    row_[key + pendingKey_] = std::move(text);
}

void TextTable::write(std::ostream& out, std::size_t indent) const
{
    std::vector<std::string> headings;
    std::vector<std::size_t> widths;
    for (const Column& column : columns_) {
        headings.emplace_back(column.heading);
        widths.push_back(widthOf(column.heading));
    }
    for (const auto& row : rows_) {
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], widthOf(row[i]));
    }
    if (!rows_.empty()) {
        writeLine(out, indent, headings, widths);
        for (const auto& row : rows_)
            writeLine(out, indent, row, widths);
    }
    out << std::string(indent, ' ') << rows_.size() << ' ' << (rows_.size() == 1 ? rowsNoun_.one : rowsNoun_.many)
        << '\n';
}

} // namespace kvn::kvnctl
