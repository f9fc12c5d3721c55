// The add-in's own windows besides message boxes, as the add-in sees them:
// the progress banner and the news window the engine shows, the re-check
// dialog and the About box the bar's commands open. A program without a
// screen has the console's: no banner or news window, the date asked
// through the Ui service, no About box.
//
// Threads: made and used on the host's main thread; the banner it makes may
// be shown and hidden from any thread.
#pragma once

#include "addin/banner.h"
#include "addin/news_window.h"
#include "platform/core/ui.h"

#include <memory>
#include <optional>

namespace kvn {

class AddinWindows {
public:
    virtual ~AddinWindows() = default;
    // The engine's banner; nullptr for a HeadlessBanner.
    virtual std::unique_ptr<Banner> makeBanner() = 0;
    // The engine's news window; empty for none.
    virtual NewsWindowFactory newsWindowFactory() = 0;
    // The re-check dialog, proposing `checkFromTime` (an OLE date): the date
    // chosen (0 = every unread e-mail), or none when it was cancelled.
    virtual std::optional<double> askRecheckDate(double checkFromTime) = 0;
    // The About box, modal; false when there is no screen to show it on.
    virtual bool showAbout() = 0;
};

// Without a screen: asks the date through `ui` (caption "Re-check unread
// e-mails"), shows no banner, news or About box.
class ConsoleAddinWindows final : public AddinWindows {
public:
    explicit ConsoleAddinWindows(Ui& ui) : ui_(ui) { }
    std::unique_ptr<Banner> makeBanner() override { return nullptr; }
    NewsWindowFactory newsWindowFactory() override { return {}; }
    std::optional<double> askRecheckDate(double checkFromTime) override
    {
        return ui_.chooseDateTime(
            "Re-check unread e-mails", "Re-check all unread e-mails received after:", checkFromTime);
    }
    bool showAbout() override { return false; }

private:
    Ui& ui_;
};

} // namespace kvn
