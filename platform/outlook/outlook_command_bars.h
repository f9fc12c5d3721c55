// The command bars of the explorer window, as an add-in builds its own bar:
// bars found by name, controls (buttons and popups) with caption, tooltip,
// tag, style and face, and each button's Click event. The host keeps them
// per profile (command_bar_store.h) and draws what is there. Like the rest of
// the object model, a call that fails answers empty (nullptr, 0, false); a
// handle to a bar or control that was deleted answers empty too.
#pragma once

#include "platform/com/connection_point.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kvn::outlook {

// Control types (Controls.Add's Type).
constexpr int msoControlButton = 1;
constexpr int msoControlPopup = 10;
// Bar positions.
constexpr int msoBarLeft = 0;
constexpr int msoBarTop = 1;
constexpr int msoBarRight = 2;
constexpr int msoBarBottom = 3;
constexpr int msoBarFloating = 4;
// Button styles.
constexpr int msoButtonAutomatic = 0;
constexpr int msoButtonIcon = 1;
constexpr int msoButtonCaption = 2;
constexpr int msoButtonIconAndCaption = 3;

// A button's events: Click(button, cancel), DISPID 1. The first argument is
// the button's event source (its COM identity), the second a bool* Cancel.
inline constexpr com::Guid commandBarButtonEventsIid = com::guidOf("{000C0351-0000-0000-C000-000000000046}");
inline constexpr com::DISPID dispidClick = 1;

class CommandBarButton;
class CommandBarPopup;
class CommandBarControls;

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual int type() = 0; // msoControlButton or msoControlPopup; 0 once deleted
    virtual bool temporary() = 0;
    virtual std::string caption() = 0;
    virtual bool setCaption(std::string_view caption) = 0;
    virtual std::string tooltipText() = 0;
    virtual bool setTooltipText(std::string_view text) = 0;
    virtual std::string tag() = 0;
    virtual bool setTag(std::string_view tag) = 0;
    virtual bool enabled() = 0;
    virtual bool setEnabled(bool enabled) = 0;
    virtual bool visible() = 0;
    virtual bool setVisible(bool visible) = 0;
    // The control as a button or a popup; nullptr when it is the other kind.
    virtual std::shared_ptr<CommandBarButton> asButton() = 0;
    virtual std::shared_ptr<CommandBarPopup> asPopup() = 0;
    // Deletes the control (with a popup's items); false when already deleted.
    virtual bool remove() = 0;
};
using CommandBarControlPtr = std::shared_ptr<CommandBarControl>;

class CommandBarButton : public CommandBarControl {
public:
    virtual int style() = 0;
    virtual bool setStyle(int style) = 0;
    // The face: the bytes of a bitmap file (BMP), empty when the button has none.
    virtual std::string face() = 0;
    virtual bool setFace(std::string bitmap) = 0;
    // The source of the Click event (commandBarButtonEventsIid); borrowed,
    // valid while the button is held. nullptr once deleted.
    virtual com::IUnknown* eventSource() = 0;
    // What a click does: raises Click on every sink unless the button is
    // disabled or deleted. The number of sinks called.
    virtual int execute() = 0;
};

class CommandBarPopup : public CommandBarControl {
public:
    // The popup's items.
    virtual std::shared_ptr<CommandBarControls> controls() = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual CommandBarControlPtr item(std::size_t index) = 0;
    // Appends a new, enabled and visible control of the type; nullptr for
    // another type, or once the owner was deleted. A temporary control is
    // gone when the host exits; one added to a temporary bar is temporary.
    virtual CommandBarControlPtr add(int type, bool temporary) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual std::string name() = 0;
    virtual int position() = 0;
    virtual bool temporary() = 0;
    virtual bool visible() = 0;
    virtual bool setVisible(bool visible) = 0;
    virtual std::shared_ptr<CommandBarControls> controls() = 0;
    // Deletes the bar and its controls; false when already deleted.
    virtual bool remove() = 0;
};
using CommandBarPtr = std::shared_ptr<CommandBar>;

class CommandBars {
public:
    virtual ~CommandBars() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual CommandBarPtr item(std::size_t index) = 0;
    // The bar of that name (letter case counts); nullptr when none.
    virtual CommandBarPtr find(std::string_view name) = 0;
    // A new, hidden bar; nullptr when the name is empty or taken, or a
    // permanent bar cannot be stored.
    virtual CommandBarPtr add(std::string_view name, int position, bool temporary) = 0;
};
using CommandBarsPtr = std::shared_ptr<CommandBars>;

} // namespace kvn::outlook
