// regsvr32 [/u] [/s] MODULE: loads an add-in module and calls its
// DllRegisterServer (or, with /u, DllUnregisterServer), telling the user the
// outcome in a message box unless /s is given.
#pragma once

#include "platform/core/ui.h"

#include <string>
#include <vector>

namespace kvn::regsvr32 {

// Exit statuses, as scripts that call regsvr32 test them.
constexpr int exitSuccess = 0;
constexpr int exitUsage = 1; // bad command line; nothing loaded
constexpr int exitLoadFailed = 3; // the module is missing or cannot be loaded
constexpr int exitNoEntryPoint = 4; // loaded, but it does not export the function
constexpr int exitCallFailed = 5; // the function returned a failure code

// Runs one command line (the words after the program name); the boxes go to `ui`.
int run(const std::vector<std::string>& words, Ui& ui);

} // namespace kvn::regsvr32
