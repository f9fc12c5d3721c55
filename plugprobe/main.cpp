// plugprobe: started on its own, with no arguments. Ends silently when the
// news player is registered in a recent enough version; otherwise offers to
// open its download page.
#include "plugprobe/flash_check.h"
#include "plugprobe/probe_settings.h"
#include "ui/qt_ui.h"
#include "ui/ui_factory.h"

#include <QApplication>

int main(int argc, char** argv)
{
    kvn::registry::Registry& registry = kvn::registry::processRegistry();
    // Nothing to ask: no window system is needed, so the check also passes
    // in a session without a display.
    if (kvn::plugprobe::IsFlashInstalled(registry))
        return 0;
    const kvn::plugprobe::ProbeSettings texts{kvn::plugprobe::downloadAddress, kvn::plugprobe::title};
    // Without a display the question goes to the terminal, answered with its
    // default, instead of the toolkit ending the program.
    if (!kvn::displayAvailable()) {
        kvn::ConsoleUi ui;
        kvn::plugprobe::subMain(registry, ui, texts);
        return 0;
    }
    QApplication application(argc, argv);
    kvn::QtUi ui;
    kvn::plugprobe::subMain(registry, ui, texts);
    return 0;
}
