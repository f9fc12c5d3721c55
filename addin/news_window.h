// The news window as the engine sees it: made once at start-up, hidden, for
// the profile and the installation folder; it shows itself when its news are
// newer than the profile's "NewsLastDate", and ShowNow shows it on request.
// Called on the thread that made the engine.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kvn {

class NewsWindow {
public:
    virtual ~NewsWindow() = default;
    virtual void ShowNow() = 0;
};

// Makes the news window for ProfileName and Install_Dir.
using NewsWindowFactory
    = std::function<std::unique_ptr<NewsWindow>(const std::string& profileName, const std::string& installDir)>;

// The news window of a program without a screen: there is nothing to show.
class NoNewsWindow final : public NewsWindow {
public:
    void ShowNow() override { }
};

} // namespace kvn
