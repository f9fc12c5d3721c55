// The progress banner the engine shows while it starts and while a pass
// runs, as the engine sees it: a text, Show and Hide. Show shows the window
// only while the profile's option "ShowPopup" is not 0, read afresh each
// time, whatever the caller asks; Hide always hides it.
//
// A window implements showWindow, hideWindow and setWindowText; this class
// calls them under its own lock, so Show, Hide and SetText may be called from
// any thread. HeadlessBanner is the banner of a program without a screen.
#pragma once

#include <mutex>
#include <string>

namespace kvn {

class Banner {
public:
    virtual ~Banner() = default;

    // The profile whose "ShowPopup" is read; set before the first Show.
    void setOptionKey(std::string profileSubKey);
    void SetText(const std::string& text);
    void Show();
    void Hide();

    bool visible() const;

protected:
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void setWindowText(const std::string& text) = 0;

private:
    mutable std::mutex lock_;
    std::string optionKey_ = "Default";
    bool visible_ = false;
};

// Shows nothing; keeps only whether it would be shown.
class HeadlessBanner final : public Banner {
protected:
    void showWindow() override { }
    void hideWindow() override { }
    void setWindowText(const std::string&) override { }
};

// Whether the profile's option lets the banner appear.
bool bannerAllowed(const std::string& profileSubKey);

} // namespace kvn
