// Hands a whole message to the mail transfer agent through its sendmail
// command: the command's words (split without a shell) are the program and
// its arguments, the message its standard input. A program named without a
// "/" that is not on PATH is also looked for in /usr/sbin and /usr/lib,
// where mail transfer agents put sendmail (a user's PATH often lacks them).
#pragma once

#include <string>
#include <string_view>

namespace kvn::host {

struct SendmailResult {
    bool sent = false;
    // Why not, for the user: the command, and what the program said.
    std::string problem;
};

// Sent: the program took the whole message and exited with status 0.
// Waits until the program has ended. Any thread.
SendmailResult sendWithSendmail(std::string_view command, std::string_view message);

// The message with LF line ends, as a local program reads its input.
std::string withUnixLineEnds(std::string_view message);

} // namespace kvn::host
