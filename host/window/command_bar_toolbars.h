// The command bars of the host's command-bar store drawn as toolbars of the
// explorer window: one QToolBar per bar, in the bar's position, with one
// entry per visible control. A button shows its face (the BMP bytes), its
// caption or both as its style says, its tooltip, and is greyed when disabled;
// a popup is a drop-down menu of its items. Clicking a button raises its
// Click event on every subscribed handler, as CommandBarButton::execute does.
//
// The drawing is a picture of the store at the last rebuild(): call it after
// add-ins connected or changed their controls. A click redraws by itself
// once the handlers returned, since commands change tooltips and captions.
//
// Threads: the GUI thread only.
#pragma once

#include "platform/outlook/outlook_command_bars.h"

#include <QIcon>
#include <QPointer>

#include <map>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace kvn::host {

class CommandBarToolbars {
public:
    // Draws the store's bars at once. The window must outlive this object;
    // a null store draws nothing.
    CommandBarToolbars(QMainWindow& window, outlook::CommandBarsPtr bars);
    ~CommandBarToolbars();
    CommandBarToolbars(const CommandBarToolbars&) = delete;
    CommandBarToolbars& operator=(const CommandBarToolbars&) = delete;

    // Redraws every bar from the store: a bar that is new gets its toolbar,
    // one that was deleted loses it, and the others are drawn again in place.
    void rebuild();

    // The toolbar that draws the bar of this name; nullptr when none.
    QToolBar* toolbar(std::string_view name) const;

private:
    void drawBar(outlook::CommandBar& bar);
    void drawControls(QToolBar& toolbar, outlook::CommandBarControls& controls);
    void drawMenu(QMenu& menu, outlook::CommandBarControls& controls);
    QAction* buttonAction(const std::shared_ptr<outlook::CommandBarButton>& button, QObject* parent, bool inMenu);
    void scheduleRebuild();

    QMainWindow& window_;
    outlook::CommandBarsPtr bars_;
    // What was drawn for one bar: its toolbar and the actions and menus made
    // for it, which the next drawing replaces.
    struct Drawn {
        QPointer<QToolBar> toolbar;
        std::vector<QPointer<QObject>> parts;
    };
    void clear(Drawn& drawn);

    std::map<std::string, Drawn> drawn_;
    Drawn* drawing_ = nullptr;
    bool rebuildPending_ = false;
    // Cleared on destruction, so that a redraw posted by a click never runs late.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The picture of a button face: the BMP bytes decoded; a null icon when the
// bytes are empty or not a bitmap.
QIcon faceIcon(const std::string& bitmap);

} // namespace kvn::host
