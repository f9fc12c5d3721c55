// The rows of one table of the text printer, collected as they are described
// and written at the end, each column as wide as its widest cell.
#pragma once

#include "tools/kvnctl/printer.h"

#include <map>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace kvn::kvnctl {

// A text with its control characters written as "\n", "\t", "\x1b" or (C1
// controls) "\u009b", so that no value can break a line or reach the
// terminal as a command.
std::string printableText(std::string_view text);

class TextTable {
public:
    TextTable(std::span<const Column> columns, RowsNoun rowsNoun);

    // Events inside the table, as the printer receives them.
    void beginMap();
    void endMap();
    void beginList();
    void endList();
    void key(std::string_view name) { pendingKey_ = std::string(name); }
    void scalar(std::string text);
    // True once every map and list opened inside the table is closed again.
    bool atTop() const { return depth_ == 0 && skipped_ == 0; }

    // The heading line, one line per row, and the count, each indented.
    void write(std::ostream& out, std::size_t indent) const;

private:
    std::span<const Column> columns_;
    RowsNoun rowsNoun_;
    std::vector<std::vector<std::string>> rows_;
    std::map<std::string, std::string> row_; // cells of the row being described, by key
    std::vector<std::string> path_; // keys of the maps open inside the row
    std::string pendingKey_;
    std::size_t depth_ = 0; // maps open: 1 inside a row
    std::size_t skipped_ = 0; // lists (and what they hold) inside a row, not shown
};

} // namespace kvn::kvnctl
