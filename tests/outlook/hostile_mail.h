// Hostile messages too large to check in, made on the spot: a header block
// that buries its sender behind a huge field, a huge subject, a crowd of
// recipients, a fold that never ends. The tests, the fuzz regression test and
// the header benchmark share them.
#pragma once

#include <cstddef>
#include <string>

namespace kvn::testing {

// The fields every hostile message ends with: the sender-IP hop, a sender of
// a black-listed domain, a recipient and a subject, then a small body.
inline std::string hostileTail(const std::string& newline = "\r\n")
{
    return "Received: from spam.example (spam.example [203.0.113.66]) by mx.home.example" + newline
        + "From: Bulk Sender <offer@blacklisted.example>" + newline + "To: Anna <anna@home.example>" + newline
        + "Subject: walked past the lists" + newline + newline + "Buy now." + newline;
}

// A first header field of `junkBytes` on one line, then the tail.
inline std::string junkFirstHeaderMessage(std::size_t junkBytes = 1100 * 1000)
{
    return "X-Junk: " + std::string(junkBytes, 'j') + "\r\n" + hostileTail();
}

// The same junk as a field folded over lines that go on and on.
inline std::string endlessFoldMessage(std::size_t junkBytes)
{
    std::string message = "X-Fold: start\r\n";
    const std::string line = "\t" + std::string(77, 'f') + "\r\n";
    while (message.size() < junkBytes)
        message += line;
    return message + hostileTail();
}

// A Subject of `subjectBytes` in words of ten letters, before the tail's
// sender (the tail's own Subject comes second and is not taken).
inline std::string hugeSubjectMessage(std::size_t subjectBytes = 2 * 1000 * 1000)
{
    std::string message = "Subject: ";
    while (message.size() < subjectBytes)
        message += "enormously ";
    return message + "\r\n" + hostileTail();
}

// The address of recipient i of manyRecipientsMessage.
inline std::string crowdAddress(std::size_t i) { return "r" + std::to_string(i) + "@crowd.example"; }

// One To field with `count` recipients folded 4 to a line, then the tail
// (whose own To adds anna@home.example last).
inline std::string manyRecipientsMessage(std::size_t count = 100000)
{
    std::string message = "To: ";
    for (std::size_t i = 0; i < count; ++i) {
        message += crowdAddress(i);
        if (i + 1 < count)
            message += i % 4 == 3 ? ",\r\n\t" : ", ";
    }
    return message + "\r\n" + hostileTail();
}

} // namespace kvn::testing
