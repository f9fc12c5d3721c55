// Each drawing makes new actions and menus and lets the old ones go with
// deleteLater(): a click handler that asks for a redraw is still running
// inside the old action's signal.
#include "host/window/command_bar_toolbars.h"

#include <QAction>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace kvn::host {
namespace {

QString qText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Qt::ToolBarArea areaOf(int position)
{
    switch (position) {
    case outlook::msoBarLeft:
        return Qt::LeftToolBarArea;
    case outlook::msoBarRight:
        return Qt::RightToolBarArea;
    case outlook::msoBarBottom:
        return Qt::BottomToolBarArea;
    default: // top, and floating bars start at the top
        return Qt::TopToolBarArea;
    }
}

// The Office style as a tool button style. A style that asks for an icon
// the button has not got shows the caption, so that no button is blank.
Qt::ToolButtonStyle toolButtonStyle(int style, bool hasIcon)
{
    if (!hasIcon)
        return Qt::ToolButtonTextOnly;
    switch (style) {
    case outlook::msoButtonCaption:
        return Qt::ToolButtonTextOnly;
    case outlook::msoButtonIconAndCaption:
        return Qt::ToolButtonTextBesideIcon;
    default: // icon only, and automatic with a face
        return Qt::ToolButtonIconOnly;
    }
}

// What every kind of control shows in the same way.
void setCommonLook(QAction& action, outlook::CommandBarControl& control)
{
    action.setText(qText(control.caption()));
    action.setToolTip(qText(control.tooltipText()));
    action.setData(qText(control.tag()));
    action.setEnabled(control.enabled());
    action.setVisible(control.visible());
}

} // namespace

QIcon faceIcon(const std::string& bitmap)
{
    if (bitmap.empty())
        return {};
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bitmap.data()), static_cast<int>(bitmap.size()), "BMP"))
        return {};
    return QIcon(QPixmap::fromImage(image));
}

CommandBarToolbars::CommandBarToolbars(QMainWindow& window, outlook::CommandBarsPtr bars)
    : window_(window), bars_(std::move(bars))
{
    rebuild();
}

CommandBarToolbars::~CommandBarToolbars()
{
    *alive_ = false;
    for (auto& [name, drawn] : drawn_) {
        clear(drawn);
        delete drawn.toolbar.data();
    }
}

QToolBar* CommandBarToolbars::toolbar(std::string_view name) const
{
    const auto found = drawn_.find(std::string(name));
    return found == drawn_.end() ? nullptr : found->second.toolbar.data();
}

void CommandBarToolbars::rebuild()
{
    rebuildPending_ = false;
    std::map<std::string, Drawn> previous;
    previous.swap(drawn_);
    const std::size_t count = bars_ ? bars_->count() : 0;
    for (std::size_t index = 1; index <= count; ++index) {
        const outlook::CommandBarPtr bar = bars_->item(index);
        const std::string name = bar ? bar->name() : std::string();
        if (name.empty() || drawn_.count(name))
            continue;
        if (const auto kept = previous.find(name); kept != previous.end()) {
            drawn_[name] = std::move(kept->second);
            previous.erase(kept);
        }
        drawBar(*bar);
    }
    // Bars deleted since the last drawing.
    for (auto& [name, drawn] : previous) {
        clear(drawn);
        if (drawn.toolbar) {
            window_.removeToolBar(drawn.toolbar);
            drawn.toolbar->deleteLater();
        }
    }
}

void CommandBarToolbars::clear(Drawn& drawn)
{
    if (drawn.toolbar)
        for (const QPointer<QObject>& part : drawn.parts)
            if (auto* action = qobject_cast<QAction*>(part.data()))
                drawn.toolbar->removeAction(action);
    for (const QPointer<QObject>& part : drawn.parts)
        if (part)
            part->deleteLater();
    drawn.parts.clear();
}

void CommandBarToolbars::drawBar(outlook::CommandBar& bar)
{
    const std::string name = bar.name();
    Drawn& drawn = drawn_[name];
    clear(drawn);
    if (!drawn.toolbar) {
        drawn.toolbar = new QToolBar(qText(name), &window_);
        drawn.toolbar->setObjectName(qText(name));
        window_.addToolBar(areaOf(bar.position()), drawn.toolbar);
    }
    drawing_ = &drawn;
    if (const auto controls = bar.controls())
        drawControls(*drawn.toolbar, *controls);
    drawing_ = nullptr;
    drawn.toolbar->setVisible(bar.visible());
}

void CommandBarToolbars::drawControls(QToolBar& toolbar, outlook::CommandBarControls& controls)
{
    for (std::size_t index = 1; index <= controls.count(); ++index) {
        const outlook::CommandBarControlPtr control = controls.item(index);
        if (!control)
            continue;
        if (const auto button = control->asButton()) {
            QAction* action = buttonAction(button, &toolbar, false);
            toolbar.addAction(action);
            if (auto* tool = qobject_cast<QToolButton*>(toolbar.widgetForAction(action)))
                tool->setToolButtonStyle(toolButtonStyle(button->style(), !action->icon().isNull()));
        } else if (const auto popup = control->asPopup()) {
            auto* menu = new QMenu(&toolbar);
            drawing_->parts.emplace_back(menu);
            setCommonLook(*menu->menuAction(), *popup);
            if (const auto items = popup->controls())
                drawMenu(*menu, *items);
            toolbar.addAction(menu->menuAction());
            drawing_->parts.emplace_back(menu->menuAction());
            if (auto* tool = qobject_cast<QToolButton*>(toolbar.widgetForAction(menu->menuAction()))) {
                tool->setPopupMode(QToolButton::InstantPopup);
                tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
            }
        }
    }
}

void CommandBarToolbars::drawMenu(QMenu& menu, outlook::CommandBarControls& controls)
{
    for (std::size_t index = 1; index <= controls.count(); ++index) {
        const outlook::CommandBarControlPtr control = controls.item(index);
        if (!control)
            continue;
        if (const auto button = control->asButton()) {
            menu.addAction(buttonAction(button, &menu, true));
        } else if (const auto popup = control->asPopup()) {
            QMenu* sub = menu.addMenu(qText(popup->caption()));
            setCommonLook(*sub->menuAction(), *popup);
            if (const auto items = popup->controls())
                drawMenu(*sub, *items);
        }
    }
}

QAction* CommandBarToolbars::buttonAction(
    const std::shared_ptr<outlook::CommandBarButton>& button, QObject* parent, bool inMenu)
{
    auto* action = new QAction(parent);
    drawing_->parts.emplace_back(action);
    setCommonLook(*action, *button);
    // A menu item always shows its caption; the style only says whether the
    // face goes beside it.
    const int style = button->style();
    if (style != outlook::msoButtonCaption)
        action->setIcon(faceIcon(button->face()));
    if (inMenu && style == outlook::msoButtonIcon && action->text().isEmpty())
        action->setText(action->toolTip());
    QObject::connect(action, &QAction::triggered, action, [this, button, alive = alive_] {
        (void)button->execute();
        if (*alive)
            scheduleRebuild();
    });
    return action;
}

void CommandBarToolbars::scheduleRebuild()
{
    if (rebuildPending_)
        return;
    rebuildPending_ = true;
    QTimer::singleShot(0, &window_, [this, alive = alive_] {
        if (*alive && rebuildPending_)
            rebuild();
    });
}

} // namespace kvn::host
