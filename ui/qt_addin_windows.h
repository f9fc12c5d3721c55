// The add-in's windows on Qt: the banner (dialog 221), the news window
// (274), the re-check dialog (255) and the About box (252).
#pragma once

#include "addin/addin_windows.h"

namespace kvn {

class QtAddinWindows final : public AddinWindows {
public:
    // `ui` opens the About box's links; it outlives this object.
    explicit QtAddinWindows(Ui& ui) : ui_(ui) { }
    std::unique_ptr<Banner> makeBanner() override;
    NewsWindowFactory newsWindowFactory() override;
    std::optional<double> askRecheckDate(double checkFromTime) override;
    bool showAbout() override;

private:
    Ui& ui_;
};

// The add-in's windows: Qt's when the process has a QApplication, the
// console's otherwise. `ui` outlives them.
std::unique_ptr<AddinWindows> makeAddinWindows(Ui& ui);

} // namespace kvn
