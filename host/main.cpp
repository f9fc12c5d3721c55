// korvane: the host program. Loads the add-ins registered for it and runs them
// over the profile's mail stores.
#include "host/host_options.h"

#include <iostream>

int main(int argc, char** argv)
{
    const kvn::host::ParsedOptions parsed
        = kvn::host::parseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        (parsed.status == kvn::host::exitSuccess ? std::cout : std::cerr) << parsed.message;
        return parsed.status;
    }
    kvn::ConsoleUi ui;
    return kvn::host::runHost(*parsed.options, ui);
}
