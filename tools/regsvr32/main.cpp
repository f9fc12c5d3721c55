// regsvr32 [/u] [/s] MODULE
#include "platform/core/diagnostics.h"
#include "tools/regsvr32/regsvr32.h"

int main(int argc, char** argv)
{
    kvn::setProgramName("regsvr32");
    kvn::ConsoleUi ui;
    return kvn::regsvr32::run(std::vector<std::string>(argv + 1, argv + argc), ui);
}
