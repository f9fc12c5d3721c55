#include "addin/banner.h"

#include "lists/settings.h"
#include "lists/settings_table.h"

namespace kvn {

bool bannerAllowed(const std::string& profileSubKey) { return readDword(profileSubKey, setting::ShowPopup, 1) != 0; }

void Banner::setOptionKey(std::string profileSubKey)
{
    std::lock_guard<std::mutex> hold(lock_);
    optionKey_ = std::move(profileSubKey);
}

void Banner::SetText(const std::string& text)
{
    std::lock_guard<std::mutex> hold(lock_);
    setWindowText(text);
}

void Banner::Show()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!bannerAllowed(optionKey_))
        return;
    visible_ = true;
    showWindow();
}

void Banner::Hide()
{
    std::lock_guard<std::mutex> hold(lock_);
    visible_ = false;
    hideWindow();
}

bool Banner::visible() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return visible_;
}

} // namespace kvn
