// Runs another program and waits for it: started directly (no shell sees
// the arguments), fed its standard input, its standard output and error
// caught. For the host's helpers such as the mail transfer agent's sendmail.
// Any thread may call; the caller waits until the program has ended.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

struct ProgramRun {
    // False when the program could not be started (not found, not
    // executable); startError then says why and nothing below holds.
    bool started = false;
    std::string startError;
    // How it ended: its exit status, or the signal that ended it (status -1).
    int exitStatus = -1;
    int signal = 0;
    // False when the program ended before it read all of its input.
    bool inputTaken = false;
    // What it wrote to its standard output and error, together, cut to
    // outputLimit bytes (the rest is read and dropped, so the program never
    // blocks on a full pipe).
    std::string output;
    bool outputCut = false;

    bool succeeded() const { return started && exitStatus == 0 && inputTaken; }
};

inline constexpr std::size_t outputLimit = 64 * 1024;

// Runs arguments[0] (looked up in PATH when it has no "/") with the
// arguments, the default signal handling and an empty signal mask, and no
// descriptors of this process but the three it is given. An empty list
// starts nothing.
ProgramRun runProgram(const std::vector<std::string>& arguments, std::string_view input);

// The words of a command line, split the way a shell splits them but with
// nothing expanded: blanks separate words, '...' keeps everything literally,
// "..." keeps everything but \" and \\, and a backslash outside quotes keeps
// the next character. Empty when a quote is not closed or the line ends in a
// backslash; an empty list for a line of blanks.
std::optional<std::vector<std::string>> splitCommandWords(std::string_view command);

} // namespace kvn
