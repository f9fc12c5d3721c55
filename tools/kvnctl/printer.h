// What a kvnctl command shows, written once and printed as text or as JSON.
// Commands describe their result as nested maps and lists of plain values;
// the printer decides the layout, so no command formats text itself.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string_view>

namespace kvn::kvnctl {

// A column of a table: the key of the value it shows in each row's map
// ("outer.inner" for a key of a map inside the row) and its heading.
struct Column {
    std::string_view key;
    std::string_view heading;
};

// What the rows of a table are, for the count under it: "1 entry", "3 entries".
struct RowsNoun {
    std::string_view one;
    std::string_view many;
};

class Printer {
public:
    virtual ~Printer() = default;

    virtual void beginMap() = 0;
    virtual void endMap() = 0;
    virtual void beginList() = 0;
    virtual void endList() = 0;
    // A list of records of one form. The text printer shows each record (a
    // map) as one aligned line of the columns under a heading line, and a
    // last line counting them ("1 entry", "3 entries"); keys
    // that are no column are left out of the text. The JSON printer writes a
    // list with every field. The columns must outlive endTable().
    virtual void beginTable(std::span<const Column> columns, RowsNoun rowsNoun) = 0;
    virtual void endTable() = 0;
    // Inside a map, the name of the next value.
    virtual void key(std::string_view name) = 0;

    virtual void string(std::string_view text) = 0;
    virtual void integer(std::int64_t number) = 0;
    virtual void number(double number) = 0;
    virtual void boolean(bool value) = 0;
    virtual void null() = 0;

    // Ends the document (a final newline).
    virtual void finish() = 0;

    // Shorthands for a key with its value.
    void field(std::string_view name, std::string_view text) { key(name), string(text); }
    void field(std::string_view name, const char* text) { key(name), string(text); }
    void field(std::string_view name, std::int64_t value) { key(name), integer(value); }
    void field(std::string_view name, int value) { key(name), integer(value); }
    void field(std::string_view name, double value) { key(name), number(value); }
    void field(std::string_view name, bool value) { key(name), boolean(value); }
};

// "key: value" lines, nested maps and lists indented, tables aligned; for
// people. Control characters in texts are written escaped ("\n", "\x1b").
std::unique_ptr<Printer> makeTextPrinter(std::ostream& out);
// One JSON document; bytes that are not UTF-8 are written as \u00XX.
std::unique_ptr<Printer> makeJsonPrinter(std::ostream& out);

} // namespace kvn::kvnctl
