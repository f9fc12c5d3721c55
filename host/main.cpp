// korvane: the host program. Loads the add-ins registered for it and runs them
// over the profile's mail stores, in its window or (--headless) without one.
#include "host/host_options.h"
#include "host/window/qt_host_view.h"
#include "platform/core/process_memory.h"
#include "ui/qt_ui.h"
#include "ui/ui_factory.h"

#include <QApplication>

#include <iostream>

namespace {

int runWithWindow(int argc, char** argv, const kvn::host::HostOptions& options)
{
    if (!kvn::displayAvailable()) {
        std::cerr << "korvane: there is no display to show the window on; without a window, run "
                     "\"korvane --headless\"\n";
        return kvn::host::exitUsage;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Korvane");
    kvn::QtUi ui;
    kvn::host::QtHostView view;
    return kvn::host::runHost(options, ui, &view);
}

} // namespace

int main(int argc, char** argv)
{
    kvn::keepLargeBlocksMapped();
    const kvn::host::ParsedOptions parsed
        = kvn::host::parseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        (parsed.status == kvn::host::exitSuccess ? std::cout : std::cerr) << parsed.message;
        return parsed.status;
    }
    if (!parsed.options->headless)
        return runWithWindow(argc, argv, *parsed.options);
    kvn::ConsoleUi ui;
    return kvn::host::runHost(*parsed.options, ui);
}
