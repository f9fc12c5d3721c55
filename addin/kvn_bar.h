// The add-in's bar "KVN" in the explorer's command-bar store and its 14
// controls: found by name (a permanent bar made by an earlier start) or
// added, then filled with temporary controls in table order, each with its
// caption, tooltip, tag, style and face, enabled and visible. The faces are
// set from the embedded bitmaps, so no clipboard is used (and it stays empty).
// The clicks are wired to their commands by the add-in object
// (addin/kvn_commands.h).
//
// Threads: the host's main thread.
#pragma once

#include "platform/outlook/outlook.h"
#include "platform/outlook/outlook_command_bars.h"
#include "platform/outlook/outlook_explorer.h"

#include <memory>
#include <string>

namespace kvn {

inline constexpr const char* kvnBarName = "KVN";

struct KvnBar {
    outlook::CommandBarPtr bar;
    std::shared_ptr<outlook::CommandBarButton> folder;
    std::shared_ptr<outlook::CommandBarPopup> mainPopup;
    std::shared_ptr<outlook::CommandBarButton> friendButton;
    std::shared_ptr<outlook::CommandBarPopup> friendPopup;
    std::shared_ptr<outlook::CommandBarButton> foe;
    std::shared_ptr<outlook::CommandBarPopup> foePopup;
    std::shared_ptr<outlook::CommandBarButton> recheck;
    std::shared_ptr<outlook::CommandBarButton> showLists;
    std::shared_ptr<outlook::CommandBarButton> showStatistics;
    std::shared_ptr<outlook::CommandBarButton> options;
    std::shared_ptr<outlook::CommandBarButton> help;
    std::shared_ptr<outlook::CommandBarButton> about;
    std::shared_ptr<outlook::CommandBarButton> trustDomain;
    std::shared_ptr<outlook::CommandBarButton> blockDomain;
};

// The re-check button's tooltip for CheckFromTime (an OLE date): the date
// and time after which e-mails are checked when it is greater than 0, else
// "Re-check older unread e-mails".
std::string recheckTooltip(double checkFromTime);

// Builds the bar into `bars`. An empty text when built; otherwise the
// caption of the failure: "Error 105" (no bar), "Error 106" (no controls),
// "Error 107" (a control could not be added), "Error 108" (a control is not
// the button or popup it was added as). `built` holds what was made.
std::string buildKvnBar(outlook::CommandBars& bars, double checkFromTime, KvnBar& built);

// Deletes the bar "KVN" from the active explorer's command bars (the add-in
// removed by the user, the clean-up add-in). Every missing link of the chain
// leaves nothing to delete.
inline void deleteKvnBar(const outlook::ApplicationPtr& model)
{
    const outlook::ExplorerPtr explorer = model ? model->activeExplorer() : nullptr;
    const outlook::CommandBarsPtr bars = explorer ? explorer->commandBars() : nullptr;
    if (const outlook::CommandBarPtr bar = bars ? bars->find(kvnBarName) : nullptr)
        (void)bar->remove();
}

} // namespace kvn
