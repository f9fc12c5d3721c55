// The coloured tab control: tabs that each own one page, the selected tab's
// caption drawn in a caption colour, an unselected tab under the mouse in a
// hot colour, the others in the button-text colour and disabled tabs in
// grey. Qt's tab widget positions the pages and shows only the selected one;
// this adds the colours. The lists view stands on it. GUI thread only.
#pragma once

#include <QColor>
#include <QTabBar>
#include <QTabWidget>

namespace kvn::ui {

// The tab row: follows the mouse through its move and leave events.
class ColouredTabBar final : public QTabBar {
    Q_OBJECT

public:
    explicit ColouredTabBar(QWidget* parent = nullptr);

    void setCaptionColour(const QColor& colour);
    void setHotColour(const QColor& colour);
    // The tab under the mouse; -1 when none.
    int hotTab() const { return hot_; }
    // Enables or disables a tab and gives it its colour (Qt's own
    // setTabEnabled would leave the colour of its old state).
    void enableTab(int tab, bool enabled);
    // Gives every tab its colour for the current selection and mouse.
    void recolour();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

private:
    void setHot(int tab);
    QColor colourOf(int tab) const;

    QColor caption_ = Qt::blue;
    QColor hotColour_ = QColor(127, 127, 255);
    int hot_ = -1;
};

class ColouredTabWidget final : public QTabWidget {
    Q_OBJECT

public:
    explicit ColouredTabWidget(QWidget* parent = nullptr);

    ColouredTabBar* colouredTabBar() const { return bar_; }
    void setCaptionColour(const QColor& colour) { bar_->setCaptionColour(colour); }
    void setHotColour(const QColor& colour) { bar_->setHotColour(colour); }
    void enableTab(int tab, bool enabled) { bar_->enableTab(tab, enabled); }

private:
    ColouredTabBar* bar_;
};

} // namespace kvn::ui
