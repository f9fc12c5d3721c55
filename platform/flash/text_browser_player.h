// The news player on Qt: a read-only text browser that plays a news file
// (platform/flash/news_file.h). Playing shows the file's HTML, loads nothing
// (no images, style sheets or pages, local or remote; a text browser runs no
// scripts) and sends "show_news" with the file's date when that date is newer
// than the variable "last_date". A link "fscommand:COMMAND" or
// "fscommand:COMMAND?ARGUMENT" in the news sends that command when clicked;
// other links are not followed. GUI thread only.
#pragma once

#include "platform/flash/news_player.h"

#include <QTextBrowser>

#include <map>

namespace kvn {

class TextBrowserPlayer final : public QTextBrowser, public NewsPlayer {
public:
    explicit TextBrowserPlayer(QWidget* parent = nullptr);

    void setMovie(const std::string& path) override { movie_ = path; }
    std::string movie() const override { return movie_; }
    void SetVariable(const std::string& name, const std::string& value) override;
    void Play() override;
    void setCommandHandler(CommandHandler handler) override { handler_ = std::move(handler); }

    // The variable's value; empty when it was never set.
    std::string variable(const std::string& name) const;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void sendCommand(const std::string& command, const std::string& argument);
    void followLink(const QUrl& link);

    std::string movie_;
    std::map<std::string, std::string> variables_;
    CommandHandler handler_;
};

} // namespace kvn
