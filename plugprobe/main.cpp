// plugprobe: started on its own, with no arguments. Ends silently when the
// news player is registered in a recent enough version; otherwise offers to
// open its download page.
#include "plugprobe/flash_check.h"
#include "plugprobe/message_box_ui.h"
#include "plugprobe/probe_settings.h"

#include <QApplication>

int main(int argc, char** argv)
{
    kvn::registry::Registry& registry = kvn::registry::processRegistry();
    // Nothing to ask: no window system is needed, so the check also passes
    // in a session without a display.
    if (kvn::plugprobe::IsFlashInstalled(registry))
        return 0;
    QApplication application(argc, argv);
    const std::unique_ptr<kvn::Ui> ui = kvn::plugprobe::makeMessageBoxUi();
    kvn::plugprobe::subMain(registry, *ui, {kvn::plugprobe::downloadAddress, kvn::plugprobe::title});
    return 0;
}
