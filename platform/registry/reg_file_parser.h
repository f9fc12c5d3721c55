// Reads a hive file in the registry export format into memory. The file is
// the user's as much as the program's, so the reader keeps every key and value
// it understands, skips what it does not, and says where the first line it
// could not read is, so that nothing is thrown away without a word.
#pragma once

#include "platform/registry/hive_tree.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::registry {

// The lines of a file that could not be read.
struct HiveProblem {
    std::size_t firstLine = 0; // 1-based number of the first such line
    std::string firstText; // that line, shortened to at most 80 bytes
    std::size_t lineCount = 0; // how many lines were left out in all
};

struct ParsedHive {
    HiveTree tree;
    std::optional<HiveProblem> problem;
};

// The keys and values of the file for the named hive ("HKEY_LOCAL_MACHINE").
// Accepts UTF-8 (with or without a byte order mark) and UTF-16LE with its byte
// order mark, as the system's own editor writes it; CR LF or LF line ends;
// ";" comment lines, which stay attached to the key or value below them;
// blank lines and spaces around names, "=" and data; "\" continuation lines
// in hex data; "[-key]" and "name"=- as deletions of what came earlier.
// String values in hex(1): and hex(2): form are UTF-16LE, and the value is
// their text as UTF-8 without the terminating NUL (reg_text.h); such data of
// an odd length is no UTF-16 and is kept as its bytes.
// Sections of another hive and lines that match no form are problems.
ParsedHive parseHive(std::string_view bytes, std::string_view hiveName);

} // namespace kvn::registry
