#include "platform/flash/text_browser_player.h"

#include "platform/flash/news_file.h"

namespace kvn {

TextBrowserPlayer::TextBrowserPlayer(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { followLink(link); });
}

void TextBrowserPlayer::SetVariable(const std::string& name, const std::string& value) { variables_[name] = value; }

std::string TextBrowserPlayer::variable(const std::string& name) const
{
    const auto found = variables_.find(name);
    return found == variables_.end() ? std::string() : found->second;
}

void TextBrowserPlayer::Play()
{
    const std::optional<NewsFile> news = movie_.empty() ? std::nullopt : readNewsFile(movie_);
    if (!news) {
        clear();
        return;
    }
    setHtml(QString::fromUtf8(news->html.data(), static_cast<qsizetype>(news->html.size())));
    if (isNewerThan(news->date, variable("last_date")))
        sendCommand("show_news", news->date);
}

QVariant TextBrowserPlayer::loadResource(int, const QUrl&)
{
    // The news is shown as it stands: nothing it names is fetched. An empty
    // answer rather than none, for with none the document would read a local
    // file itself.
    return QByteArray();
}

void TextBrowserPlayer::sendCommand(const std::string& command, const std::string& argument)
{
    if (handler_)
        handler_(command, argument);
}

void TextBrowserPlayer::followLink(const QUrl& link)
{
    if (link.scheme() != QLatin1String("fscommand"))
        return;
    sendCommand(link.path().toStdString(), link.query(QUrl::FullyDecoded).toStdString());
}

} // namespace kvn
