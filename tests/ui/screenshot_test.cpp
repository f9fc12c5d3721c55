// Pictures of the banner and the About box as they are drawn, saved as PNG in
// the build folder (tests/ui/screenshots) to be looked at; run under Xvfb with
// QT_QPA_PLATFORM=xcb for the real window system. Each must show something:
// a picture of one or two colours is a window that drew nothing.
#include "ui/about_box.h"
#include "ui/banner_window.h"

#include "lists/registry_root.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/manual_timers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSet>

namespace kvn {
namespace {

int colourCount(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

QImage saveScreenshot(QWidget& window, const char* name)
{
    QCoreApplication::processEvents();
    const QImage image = window.grab().toImage();
    QDir().mkpath(QStringLiteral(KVN_SCREENSHOT_FOLDER));
    EXPECT_TRUE(image.save(QStringLiteral(KVN_SCREENSHOT_FOLDER "/%1.png").arg(QString::fromLatin1(name))));
    return image;
}

TEST(ScreenshotTest, TheBannerShowsItsIconAndText)
{
    testing::qtApplication();
    testing::TempFolder folder;
    const auto registry = registry::openFileRegistry(folder.path());
    setRegistryRoot(productRegistryRoot(registry.get()));
    testing::ManualTimers time;
    QtBanner banner(time.factory());
    banner.SetText("Korvane is analizing your new e-mails.      Please wait.      ");
    banner.Show();
    const QImage image = saveScreenshot(banner.window(), "banner");
    setRegistryRoot(productRegistryRoot());
    EXPECT_EQ(image.size(), QSize(375, 55) * banner.window().devicePixelRatio());
    EXPECT_GT(colourCount(image), 20);
    // The icon's corner holds blue; the text's half holds dark letters.
    EXPECT_GT(colourCount(image.copy(10, 11, 32, 32)), 10);
    EXPECT_GT(colourCount(image.copy(52, 8, 300, 39)), 2);
}

TEST(ScreenshotTest, TheAboutBoxShowsItsTexts)
{
    testing::qtApplication();
    testing::ScriptedUi ui;
    AboutBoxDialog box(ui);
    box.show();
    const QImage image = saveScreenshot(box, "about");
    box.hide();
    EXPECT_GT(colourCount(image), 20);
    EXPECT_GT(colourCount(image.copy(58, 12, 240, 18)), 2); // the version line
}

} // namespace
} // namespace kvn
