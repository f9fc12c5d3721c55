// Starting another program as a new process, without a shell, and waiting
// for it: the one place that knows posix_spawn and waitpid for that.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvn {

// Starts `program` with `arguments` (each one word of its argv, passed as it
// is: spaces and quotes are no separators, as no shell reads them), with this
// process's environment and standard streams and every signal at its default,
// and waits for it without a time limit. A `program` without a "/" is looked
// for along PATH. The program's exit status; 128 + the signal when a signal
// ended it; empty when it could not be started (missing, not executable).
// Any thread may call; the calling thread blocks until the program ends.
std::optional<int> runProgramAndWait(const std::string& program, const std::vector<std::string>& arguments);

} // namespace kvn
