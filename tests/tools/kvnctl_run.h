// Runs one kvnctl command line in-process for the profile "Test" of an
// installation folder, and keeps what it printed and the exit status.
#pragma once

#include "tools/kvnctl/command.h"
#include "tools/kvnctl/dispatch.h"

#include <sstream>
#include <string>
#include <vector>

namespace kvn::testing {

struct KvnctlResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline KvnctlResult runKvnctl(
    const std::string& installDir, std::vector<std::string> words, const std::string& profile = "Test")
{
    std::vector<std::string> line = {"--install-dir", installDir, "--profile", profile};
    line.insert(line.end(), words.begin(), words.end());
    std::ostringstream out;
    std::ostringstream err;
    kvnctl::GlobalOptions defaults;
    defaults.lockWait = std::chrono::milliseconds(300);
    KvnctlResult result;
    result.status = kvnctl::dispatchCommandLine(line, out, err, defaults);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace kvn::testing
