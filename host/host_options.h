// The host's command line: korvane [--profile NAME] [--headless [--once]].
#pragma once

#include "host/host_session.h"

#include <optional>
#include <string>
#include <vector>

namespace kvn::host {

struct ParsedOptions {
    std::optional<HostOptions> options; // empty: print `message` and exit with `status`
    std::string message;
    int status = exitUsage;
};

ParsedOptions parseHostOptions(const std::vector<std::string>& words);

extern const char* const hostUsage;

} // namespace kvn::host
