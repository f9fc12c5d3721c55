#include "host/window/main_window.h"

#include "host/window/folder_places.h"
#include "host/window/folder_tree.h"
#include "host/window/folder_watch.h"
#include "host/window/inspector_window.h"
#include "host/window/message_list_model.h"
#include "host/window/outlook_bar_view.h"
#include "host/window/preview_pane.h"
#include "host/window/window_settings.h"
#include "platform/outlook/folder_path.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDataStream>
#include <QHeaderView>
#include <QIODevice>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>

namespace kvn::host {
namespace {

QByteArray bytesOf(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::string stringOf(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

MainWindow::MainWindow(HostApplication& application, registry::Registry& registry,
    std::vector<outlook::StoreConfig> stores, std::string profile)
    : application_(application),
      explorer_(*application.explorer()),
      registry_(registry),
      stores_(std::move(stores)),
      profile_(std::move(profile)),
      mapi_(application.objectModel()->getNamespace("MAPI"))
{
    setObjectName("mainWindow");
    setWindowTitle(tr("Korvane - %1").arg(QString::fromStdString(profile_)));
    resize(1100, 700);
    buildPanes();
    buildMenus();
    tree_->load(mapi_);
    watchFolders();
    explorer_.onViewChanged([this] { syncFromExplorer(); });
    restoreSettings();
    syncFromExplorer();
    statusBar()->showMessage(tr("Ready"));
}

MainWindow::~MainWindow() { explorer_.onViewChanged({}); }

void MainWindow::buildMenus()
{
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    fileMenu_->setObjectName("fileMenu");
    quit_ = fileMenu_->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    quit_->setObjectName("quitAction");
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName("viewMenu");
    previewToggle_ = view->addAction(tr("&Preview Pane"));
    previewToggle_->setObjectName("previewAction");
    previewToggle_->setCheckable(true);
    connect(previewToggle_, &QAction::triggered, this,
        [this](bool shown) { (void)explorer_.showPane(outlook::olPreview, shown); });
}

void MainWindow::buildPanes()
{
    bar_ = new OutlookBarView;
    tree_ = new FolderTree;
    messages_ = new MessageListModel(this);
    list_ = new QTreeView;
    list_->setObjectName("messageList");
    list_->setModel(messages_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSortingEnabled(true);
    list_->sortByColumn(MessageListModel::ReceivedColumn, Qt::DescendingOrder);
    list_->header()->resizeSection(MessageListModel::FromColumn, 220);
    list_->header()->resizeSection(MessageListModel::SubjectColumn, 380);
    preview_ = new PreviewPane;

    left_ = new QSplitter(Qt::Vertical);
    left_->setObjectName("leftSplitter");
    left_->addWidget(bar_);
    left_->addWidget(tree_);
    right_ = new QSplitter(Qt::Vertical);
    right_->setObjectName("rightSplitter");
    right_->addWidget(list_);
    right_->addWidget(preview_);
    outer_ = new QSplitter(Qt::Horizontal);
    outer_->setObjectName("outerSplitter");
    outer_->addWidget(left_);
    outer_->addWidget(right_);
    left_->setSizes({220, 480});
    right_->setSizes({300, 400});
    outer_->setStretchFactor(1, 1);
    outer_->setSizes({260, 840});
    setCentralWidget(outer_);

    const auto choose = [this](const outlook::FolderPtr& folder) { (void)explorer_.setCurrentFolder(folder); };
    connect(tree_, &FolderTree::folderClicked, this, choose);
    connect(bar_, &OutlookBarView::folderClicked, this, choose);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { onSelectionChanged(); });
    connect(list_, &QAbstractItemView::activated, this, [this](const QModelIndex& at) { openInspector(at.row()); });
}

void MainWindow::watchFolders()
{
    watch_ = new FolderWatch(this);
    for (const outlook::FolderPtr& folder : tree_->folders())
        if (const std::string directory = folderDirectory(stores_, folder); !directory.empty())
            watch_->watch(folder->entryId(), directory);
    connect(watch_, &FolderWatch::foldersChanged, this,
        [this](const std::set<std::string>& entryIds) { onFoldersChanged(entryIds); });
}

void MainWindow::syncFromExplorer()
{
    const outlook::FolderPtr current = explorer_.currentFolder();
    const outlook::FolderPtr& shown = messages_->folder();
    const bool moved
        = (current == nullptr) != (shown == nullptr) || (current && shown && current->entryId() != shown->entryId());
    if (moved) {
        messages_->showFolder(current);
        previewed_.clear();
        preview_->showMail(nullptr);
        tree_->showCurrent(current);
    }
    bar_->load(explorer_);
    bar_->setVisible(explorer_.isPaneVisible(outlook::olOutlookBar));
    tree_->setVisible(explorer_.isPaneVisible(outlook::olFolderList));
    const bool previewShown = explorer_.isPaneVisible(outlook::olPreview);
    preview_->setVisible(previewShown);
    previewToggle_->setChecked(previewShown);
}

void MainWindow::onFoldersChanged(const std::set<std::string>& entryIds)
{
    for (const std::string& entryId : entryIds)
        tree_->refreshCount(entryId);
    const outlook::FolderPtr& shown = messages_->folder();
    if (shown && entryIds.contains(shown->entryId()))
        reloadKeepingSelection();
}

void MainWindow::reloadKeepingSelection()
{
    std::vector<std::string> selected;
    for (const QModelIndex& row : list_->selectionModel()->selectedRows())
        selected.push_back(messages_->entryIdAt(row.row()));
    const std::string current = messages_->entryIdAt(list_->currentIndex().row());
    messages_->reload();
    QItemSelection again;
    for (const std::string& entryId : selected)
        if (const int row = messages_->rowOf(entryId); row >= 0)
            again.select(messages_->index(row, 0), messages_->index(row, MessageListModel::ColumnCount - 1));
    if (const int row = messages_->rowOf(current); row >= 0)
        list_->selectionModel()->setCurrentIndex(messages_->index(row, 0), QItemSelectionModel::NoUpdate);
    list_->selectionModel()->select(again, QItemSelectionModel::ClearAndSelect);
    emit listReloaded();
}

void MainWindow::onSelectionChanged()
{
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<outlook::ItemPtr> items;
    for (const QModelIndex& row : rows)
        if (outlook::MailItemPtr mail = messages_->mailAt(row.row()))
            items.push_back(std::move(mail));
    explorer_.select(std::move(items));
    if (rows.size() != 1 || !explorer_.isPaneVisible(outlook::olPreview))
        return;
    // One e-mail chosen: it is read in the pane, and so counts as read.
    const int row = rows.front().row();
    const std::string entryId = messages_->entryIdAt(row);
    if (entryId == previewed_)
        return;
    previewed_ = entryId;
    preview_->showMail(messages_->mailAt(row));
    if (messages_->markRead(row) && messages_->folder())
        tree_->refreshCount(messages_->folder()->entryId());
}

void MainWindow::openInspector(int row)
{
    const outlook::MailItemPtr mail = messages_->mailAt(row);
    if (!mail)
        return;
    auto* window = new InspectorWindow(mail, this);
    window->show();
    if (messages_->markRead(row) && messages_->folder())
        tree_->refreshCount(messages_->folder()->entryId());
    (void)application_.inspectors()->open(mail);
}

void MainWindow::restoreSettings()
{
    const WindowSettings settings = loadWindowSettings(registry_, profile_);
    if (!settings.geometry.empty())
        (void)restoreGeometry(bytesOf(settings.geometry));
    if (!settings.splitters.empty()) {
        QByteArray outer;
        QByteArray left;
        QByteArray right;
        QDataStream in(bytesOf(settings.splitters));
        in >> outer >> left >> right;
        if (in.status() == QDataStream::Ok) {
            (void)outer_->restoreState(outer);
            (void)left_->restoreState(left);
            (void)right_->restoreState(right);
        }
    }
    if (const outlook::FolderPtr last = outlook::folderAtPath(mapi_, settings.lastFolder))
        (void)explorer_.setCurrentFolder(last);
}

bool MainWindow::saveSettings()
{
    WindowSettings settings;
    settings.geometry = stringOf(saveGeometry());
    QByteArray splitters;
    QDataStream out(&splitters, QIODevice::WriteOnly);
    out << outer_->saveState() << left_->saveState() << right_->saveState();
    settings.splitters = stringOf(splitters);
    settings.lastFolder = outlook::folderPath(explorer_.currentFolder());
    return saveWindowSettings(registry_, profile_, settings);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    QApplication::quit();
}

} // namespace kvn::host
