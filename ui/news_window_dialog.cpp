#include "ui/news_window_dialog.h"

#include "ui_274-news.h"

#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/core/ole_date.h"
#include "platform/flash/news_file.h"
#include "platform/flash/text_browser_player.h"
#include "ui/dialog_units.h"

#include <QVBoxLayout>

namespace kvn {
namespace {

constexpr std::string_view defaultNewsLastDate = "2000.01.02";

} // namespace

QtNewsWindow::QtNewsWindow(const std::string& profileName, const std::string& installDir, const Clock& today)
    : optionKey_(profileSubKey(profileName)),
      today_(today),
      window_(std::make_unique<QDialog>()),
      form_(std::make_unique<::Ui::NewsWindowForm>())
{
    form_->setupUi(window_.get());
    window_->setFixedSize(dialogUnitsToPixels(97, 233));
    auto* layout = new QVBoxLayout(form_->control_344);
    layout->setContentsMargins(0, 0, 0, 0);
    form_->control_344->setGeometry(window_->rect());
    player_ = new TextBrowserPlayer(form_->control_344);
    layout->addWidget(player_);
    window_->hide();

    player_->setCommandHandler(
        [this](const std::string& command, const std::string& argument) { FSCommand(command, argument); });
    player_->setMovie(installDir + "/" + newsFileName);
    player_->SetVariable("last_date", readString(optionKey_, setting::NewsLastDate, defaultNewsLastDate));
    player_->Play();
}

QtNewsWindow::~QtNewsWindow() = default;

void QtNewsWindow::ShowNow() { window_->show(); }

void QtNewsWindow::FSCommand(const std::string& command, const std::string& argument)
{
    if (command == "show_news") {
        const std::string shown = argument.empty() ? formatDottedDate(today_.nowLocal()) : argument;
        // A date that cannot be stored leaves the last one: the news come again.
        static_cast<void>(writeString(optionKey_, setting::NewsLastDate, shown));
        window_->show();
        return;
    }
    if (command == "hide_news")
        window_->hide();
}

NewsWindowFactory qtNewsWindowFactory()
{
    return [](const std::string& profileName, const std::string& installDir) -> std::unique_ptr<NewsWindow> {
        return std::make_unique<QtNewsWindow>(profileName, installDir, systemClock());
    };
}

} // namespace kvn
