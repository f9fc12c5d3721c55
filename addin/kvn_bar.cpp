#include "addin/kvn_bar.h"

#include "addin/bar_faces.h"
#include "platform/core/ole_date.h"

namespace kvn {
namespace {

// What one control shows. Style 0 means none is set (popups); face 0 none.
struct ControlLook {
    const char* caption; // nullptr: none
    const char* tooltip;
    const char* tag; // nullptr: the tooltip
    int style;
    int face;
};

void setLook(outlook::CommandBarControl& control, outlook::CommandBarButton* button, const ControlLook& look,
    const std::string& tooltip)
{
    if (button && look.face != 0) {
        (void)button->setStyle(look.style);
        (void)button->setFace(barFace(look.face));
    } else if (button && look.style != 0) {
        (void)button->setStyle(look.style);
    }
    if (look.caption)
        (void)control.setCaption(look.caption);
    (void)control.setEnabled(true);
    (void)control.setTooltipText(tooltip);
    (void)control.setTag(look.tag ? look.tag : tooltip.c_str());
    (void)control.setVisible(true);
}

// Adds a control of the type; nullptr when it could not be added.
outlook::CommandBarControlPtr addControl(outlook::CommandBarControls& controls, int type)
{
    return controls.add(type, true);
}

// Adds a button with its look into the controls; the caption of the failure
// or an empty text.
std::string addButton(outlook::CommandBarControls& controls, const ControlLook& look,
    std::shared_ptr<outlook::CommandBarButton>& button, const std::string& tooltip = {})
{
    const outlook::CommandBarControlPtr control = addControl(controls, outlook::msoControlButton);
    if (!control)
        return "Error 107";
    button = control->asButton();
    if (!button)
        return "Error 108";
    setLook(*button, button.get(), look, tooltip.empty() ? look.tooltip : tooltip);
    return {};
}

} // namespace

std::string recheckTooltip(double checkFromTime)
{
    if (checkFromTime > 0)
        if (const auto local = localFromOleDate(checkFromTime))
            return formatLocalTime(*local, "KVN currently checks e-mails received after %d %b %Y  %X");
    return "Re-check older unread e-mails";
}

std::string buildKvnBar(outlook::CommandBars& bars, double checkFromTime, KvnBar& built)
{
    built.bar = bars.find(kvnBarName);
    if (!built.bar)
        built.bar = bars.add(kvnBarName, outlook::msoBarTop, false);
    if (!built.bar)
        return "Error 105";
    const auto controls = built.bar->controls();
    if (!controls)
        return "Error 106";

    // The seven bar-level controls, added before any is set.
    outlook::CommandBarControlPtr added[7];
    const int types[7] = {outlook::msoControlButton, outlook::msoControlPopup, outlook::msoControlButton,
        outlook::msoControlPopup, outlook::msoControlButton, outlook::msoControlPopup, outlook::msoControlButton};
    for (int i = 0; i < 7; ++i)
        if (!(added[i] = addControl(*controls, types[i])))
            return "Error 107";
    built.folder = added[0]->asButton();
    built.mainPopup = added[1]->asPopup();
    built.friendButton = added[2]->asButton();
    built.friendPopup = added[3]->asPopup();
    built.foe = added[4]->asButton();
    built.foePopup = added[5]->asPopup();
    built.recheck = added[6]->asButton();
    if (!built.folder || !built.mainPopup || !built.friendButton || !built.friendPopup || !built.foe || !built.foePopup
        || !built.recheck)
        return "Error 108";

    setLook(*built.folder, built.folder.get(), {nullptr, "Go to KVN folder", "KVN folder", 1, 201}, "Go to KVN folder");
    setLook(*built.mainPopup, nullptr, {"KVN", "Main KVN options", "KVN options", 0, 0}, "Main KVN options");
    setLook(*built.friendButton, built.friendButton.get(),
        {"Friend", "This is a friendly e-mail - trust address", "Friendly e-mail", 3, 202},
        "This is a friendly e-mail - trust address");
    const char* friendText = "Advanced 'Friend' options";
    setLook(*built.friendPopup, nullptr, {" ", friendText, friendText, 0, 0}, friendText);
    const auto friendItems = built.friendPopup->controls();
    if (!friendItems)
        return "Error 107";
    const char* trustText = "Accept e-mails from any address @ this domain";
    if (std::string failed
        = addButton(*friendItems, {"Trust whole domain", trustText, nullptr, 2, 0}, built.trustDomain);
        !failed.empty())
        return failed;

    setLook(*built.foe, built.foe.get(), {"Foe", "This is spam - block address", "Spam e-mail", 3, 203},
        "This is spam - block address");
    const char* foeText = "Advanced 'Foe' options";
    setLook(*built.foePopup, nullptr, {" ", foeText, foeText, 0, 0}, foeText);
    const auto foeItems = built.foePopup->controls();
    if (!foeItems)
        return "Error 107";
    const char* blockText = "Block e-mails from any address @ this domain";
    if (std::string failed = addButton(*foeItems, {"Block whole domain", blockText, nullptr, 2, 0}, built.blockDomain);
        !failed.empty())
        return failed;

    setLook(*built.recheck, built.recheck.get(), {"Re-check E-Mails", "", "Re-check older unread e-mails", 3, 254},
        recheckTooltip(checkFromTime));
    // The main popup's items come last, in table order.
    const auto mainItems = built.mainPopup->controls();
    if (!mainItems)
        return "Error 107";
    const char* listsText = "Show the approved and blocked e-mail addresses and domains";
    const char* statisticsText = "Show statistics about KVN's activity";
    for (const auto& [look, button] : {
             std::pair{ControlLook{"Show lists", listsText, nullptr, 3, 205}, &built.showLists},
             std::pair{ControlLook{"Show statistics", statisticsText, nullptr, 3, 211}, &built.showStatistics},
             std::pair{ControlLook{"Options", "Configure KVN options", nullptr, 3, 215}, &built.options},
             std::pair{ControlLook{"Help", "Read the KVN help", nullptr, 3, 207}, &built.help},
             std::pair{ControlLook{"About", "About KVN", nullptr, 2, 0}, &built.about},
         })
        if (std::string failed = addButton(*mainItems, look, *button); !failed.empty())
            return failed;

    (void)built.bar->setVisible(true);
    return {};
}

} // namespace kvn
