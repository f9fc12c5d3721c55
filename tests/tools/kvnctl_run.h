// Runs one kvnctl command in-process, as its command line would, and keeps
// what it printed and the exit status.
#pragma once

#include "tools/kvnctl/command.h"

#include <sstream>
#include <string>
#include <vector>

namespace kvn::testing {

struct KvnctlResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline KvnctlResult runKvnctl(const std::string& installDir, std::vector<std::string> words)
{
    using namespace kvn::kvnctl;
    KvnctlResult result;
    std::ostringstream out;
    std::ostringstream err;
    GlobalOptions options;
    options.installDir = installDir;
    options.profile = "Test";
    options.lockWait = std::chrono::milliseconds(300);
    const std::string name = words.front();
    words.erase(words.begin());
    for (const CommandGroup& group : commandGroups()) {
        if (name != group.name)
            continue;
        CommandContext context(options, Arguments(words), out, err);
        try {
            result.status = group.run(context);
        } catch (const UsageError& error) {
            err << error.what();
            result.status = exitUsageError;
        } catch (const CommandFailure& failure) {
            result.status = context.fail(failure.what());
        }
    }
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace kvn::testing
