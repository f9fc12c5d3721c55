// kvnctl: the command-line face of a Korvane profile, for people who run the
// filter without a window, for scripts, and for looking inside a profile.
#include "platform/core/diagnostics.h"
#include "tools/kvnctl/dispatch.h"

#include <iostream>

int main(int argc, char** argv)
{
    kvn::setProgramName("kvnctl");
    return kvn::kvnctl::dispatchCommandLine({argv + 1, argv + argc}, std::cout, std::cerr);
}
