#include "host/window/outlook_bar_view.h"

#include <QListWidget>

namespace kvn::host {
namespace {

constexpr int shortcutIndexRole = Qt::UserRole;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::shared_ptr<outlook::OutlookBarGroups> groupsOf(outlook::Explorer& explorer)
{
    const auto panes = explorer.panes();
    const auto pane = panes ? panes->item(outlook::outlookBarPaneName) : nullptr;
    const auto bar = pane ? pane->asOutlookBarPane() : nullptr;
    const auto contents = bar ? bar->contents() : nullptr;
    return contents ? contents->groups() : nullptr;
}

} // namespace

OutlookBarView::OutlookBarView(QWidget* parent) : QToolBox(parent) { setObjectName("outlookBar"); }

void OutlookBarView::load(outlook::Explorer& explorer)
{
    const int shownPage = currentIndex();
    while (count() > 0) {
        QWidget* page = widget(0);
        removeItem(0);
        delete page;
    }
    shortcuts_.clear();
    const auto groups = groupsOf(explorer);
    for (std::size_t g = 1; groups && g <= groups->count(); ++g) {
        const auto group = groups->item(g);
        const auto shortcuts = group ? group->shortcuts() : nullptr;
        if (!shortcuts)
            continue;
        auto* list = new QListWidget;
        list->setObjectName("outlookBarGroup");
        for (std::size_t s = 1; s <= shortcuts->count(); ++s)
            if (const auto shortcut = shortcuts->item(s)) {
                auto* row = new QListWidgetItem(fromUtf8(shortcut->name()), list);
                row->setData(shortcutIndexRole, static_cast<int>(shortcuts_.size()));
                shortcuts_.push_back(shortcut);
            }
        connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* row) {
            const auto index = static_cast<std::size_t>(row->data(shortcutIndexRole).toInt());
            if (const outlook::FolderPtr target = index < shortcuts_.size() ? shortcuts_[index]->target() : nullptr)
                emit folderClicked(target);
        });
        addItem(list, fromUtf8(group->name()));
    }
    if (shownPage >= 0 && shownPage < count())
        setCurrentIndex(shownPage);
}

QStringList OutlookBarView::shortcutNames() const
{
    QStringList names;
    for (const auto& shortcut : shortcuts_)
        names.push_back(fromUtf8(shortcut->name()));
    return names;
}

} // namespace kvn::host
