// The news player as its window sees it: the contract of the control that
// plays the news. The window sets the movie (a news file), hands it variables
// and plays it; the movie answers with commands ("show_news" with a date,
// "hide_news") through the command handler. Called on the GUI thread only.
#pragma once

#include <functional>
#include <string>

namespace kvn {

class NewsPlayer {
public:
    // A command the movie sends, with its argument (may be empty).
    using CommandHandler = std::function<void(const std::string& command, const std::string& argument)>;

    virtual ~NewsPlayer() = default;

    // The news file to play; an empty text or a file that cannot be read
    // plays nothing.
    virtual void setMovie(const std::string& path) = 0;
    virtual std::string movie() const = 0;
    // A variable the movie reads; "last_date" ("%Y.%m.%d") is the one the
    // news file uses.
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    // Loads the movie and runs it: the commands it sends reach the handler
    // before Play returns.
    virtual void Play() = 0;
    // Replaces the handler; an empty one drops the commands.
    virtual void setCommandHandler(CommandHandler handler) = 0;
};

} // namespace kvn
