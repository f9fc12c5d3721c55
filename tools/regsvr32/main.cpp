// regsvr32 [/u] [/s] MODULE
#include "tools/regsvr32/regsvr32.h"

int main(int argc, char** argv)
{
    kvn::ConsoleUi ui;
    return kvn::regsvr32::run(std::vector<std::string>(argv + 1, argv + argc), ui);
}
