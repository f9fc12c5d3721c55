// Messages for the person at the terminal, each line led by the name of the
// program that writes it ("kvnctl: ..."), whichever layer the message comes
// from: one prefix per program.
#pragma once

#include <string_view>

namespace kvn {

// The name that leads every message; "korvane" until a program sets its own.
// Set once at the start of main, before any thread starts.
void setProgramName(std::string_view name);
std::string_view programName();

// Writes "<program>: <message>" and a line break to standard error.
void reportToStandardError(std::string_view message);

} // namespace kvn
