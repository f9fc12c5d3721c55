#include "platform/core/diagnostics.h"

#include <cstdio>
#include <string>

namespace kvn {
namespace {

std::string& storedProgramName()
{
    static std::string name = "korvane";
    return name;
}

} // namespace

void setProgramName(std::string_view name) { storedProgramName() = std::string(name); }

std::string_view programName() { return storedProgramName(); }

void reportToStandardError(std::string_view message)
{
    const std::string line = storedProgramName() + ": " + std::string(message) + "\n";
    std::fputs(line.c_str(), stderr);
}

} // namespace kvn
