// The whole of kvnctl's command line: the global options, the command group,
// the help, and the check that the output was written, apart from main() so
// that tests run exactly what a person runs.
#pragma once

#include "tools/kvnctl/command.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace kvn::kvnctl {

// Runs the command line (the words after the program's name) and gives the
// exit status. "-h" or "--help" anywhere before "--" prints the help of the
// command group (or of kvnctl) to out. Once the command has run, out is
// flushed; when it could not be written whole the status is exitFileError.
// The global options start from defaults (tests shorten the lock's wait).
int dispatchCommandLine(
    const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const GlobalOptions& defaults = {});

} // namespace kvn::kvnctl
