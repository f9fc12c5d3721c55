// Maildir message file names: "unique:2,FLAGS" in cur/, a bare unique name in
// new/. The unique name is the message's EntryID; "S" (seen) is read status.
#pragma once

#include <string>
#include <string_view>

namespace kvn::outlook {

// The part before the first ":" (unique names never hold one).
std::string_view uniqueNameOf(std::string_view fileName);
// The flag letters after ":2,"; empty when the name has no such part.
std::string_view flagsOf(std::string_view fileName);
bool isSeen(std::string_view fileName);
// The cur/ name of the message with the seen flag set or cleared; the other
// flags are kept and all are written in ASCII order, as Maildir requires.
std::string nameWithSeen(std::string_view fileName, bool seen);
// The cur/ name of a message keeping its flags ("unique:2," for a new one).
std::string curNameOf(std::string_view fileName);

} // namespace kvn::outlook
