#include "ui/widgets/coloured_tab_widget.h"

#include <QMouseEvent>

namespace kvn::ui {

ColouredTabBar::ColouredTabBar(QWidget* parent) : QTabBar(parent)
{
    setMouseTracking(true);
    connect(this, &QTabBar::currentChanged, this, [this] { recolour(); });
}

void ColouredTabBar::setCaptionColour(const QColor& colour)
{
    caption_ = colour;
    recolour();
}

void ColouredTabBar::setHotColour(const QColor& colour)
{
    hotColour_ = colour;
    recolour();
}

QColor ColouredTabBar::colourOf(int tab) const
{
    if (!isTabEnabled(tab))
        return palette().color(QPalette::Disabled, QPalette::ButtonText);
    if (tab == currentIndex())
        return caption_;
    if (tab == hot_)
        return hotColour_;
    return palette().color(QPalette::Active, QPalette::ButtonText);
}

void ColouredTabBar::recolour()
{
    for (int tab = 0; tab < count(); ++tab)
        setTabTextColor(tab, colourOf(tab));
}

void ColouredTabBar::enableTab(int tab, bool enabled)
{
    setTabEnabled(tab, enabled);
    recolour();
}

void ColouredTabBar::changeEvent(QEvent* event)
{
    QTabBar::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange)
        recolour();
}

void ColouredTabBar::setHot(int tab)
{
    if (tab == hot_)
        return;
    hot_ = tab;
    recolour();
}

void ColouredTabBar::mouseMoveEvent(QMouseEvent* event)
{
    setHot(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void ColouredTabBar::leaveEvent(QEvent* event)
{
    setHot(-1);
    QTabBar::leaveEvent(event);
}

void ColouredTabBar::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    hot_ = -1;
    recolour();
}

void ColouredTabBar::tabRemoved(int index)
{
    QTabBar::tabRemoved(index);
    hot_ = -1;
    recolour();
}

ColouredTabWidget::ColouredTabWidget(QWidget* parent) : QTabWidget(parent), bar_(new ColouredTabBar(this))
{
    setTabBar(bar_);
}

} // namespace kvn::ui
