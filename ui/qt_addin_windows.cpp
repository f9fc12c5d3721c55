#include "ui/qt_addin_windows.h"

#include "ui/about_box.h"
#include "ui/banner_window.h"
#include "ui/news_window_dialog.h"
#include "ui/recheck_dialog.h"
#include "ui/ui_factory.h"

namespace kvn {

std::unique_ptr<Banner> QtAddinWindows::makeBanner() { return makeQtBanner(); }

NewsWindowFactory QtAddinWindows::newsWindowFactory() { return qtNewsWindowFactory(); }

std::optional<double> QtAddinWindows::askRecheckDate(double checkFromTime) { return runRecheckDialog(checkFromTime); }

bool QtAddinWindows::showAbout()
{
    AboutBox(ui_);
    return true;
}

std::unique_ptr<AddinWindows> makeAddinWindows(Ui& ui)
{
    if (processHasWindows())
        return std::make_unique<QtAddinWindows>(ui);
    return std::make_unique<ConsoleAddinWindows>(ui);
}

} // namespace kvn
