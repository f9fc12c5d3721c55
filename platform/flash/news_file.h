// The news file the news player plays: a text file whose first line gives its
// date and whose rest is the HTML to show,
//
//     date: 2026.12.09
//     <h3>What is new</h3> ...
//
// The date is written "%Y.%m.%d" so that it compares byte-wise with the
// profile's "NewsLastDate". The news is newer than a last date when its date
// is a well-formed date and sorts after it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kvn {

struct NewsFile {
    std::string date; // "YYYY.MM.DD"; empty when the first line gives none
    std::string html; // everything after the first line, as its bytes
};

// The news files the player reads are never bigger than this.
inline constexpr std::size_t largestNewsFile = 256 * 1024;

// Splits a news file's bytes into its date and its HTML. A first line that is
// not "date: YYYY.MM.DD" (blanks around the date and a CR before the line's
// end allowed) gives no date, and the whole text is the HTML.
NewsFile parseNewsFile(const std::string& bytes);

// Reads and splits the news file at path: a regular file of at most
// largestNewsFile bytes, opened without blocking (a FIFO or a folder is no
// news file). None when it cannot be read.
std::optional<NewsFile> readNewsFile(const std::string& path);

// True when date is a well-formed "YYYY.MM.DD" that sorts after lastDate.
bool isNewerThan(const std::string& date, const std::string& lastDate);

// The news file's name in the installation folder.
inline constexpr const char* newsFileName = "news.html";

} // namespace kvn
