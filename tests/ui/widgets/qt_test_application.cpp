// One QApplication for the whole test binary, on the offscreen platform
// unless the caller chose one (the screenshot test runs on Xvfb).
#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The offscreen platform says so each time a window asks for a mask, an
// opacity or the mouse; the widgets ask on purpose, the tests need not hear it.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QApplication>(argc_, argv_);
        if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
            qInstallMessageHandler(quietOffscreenNotes);
    }
    void TearDown() override
    {
        application_.reset();
        qInstallMessageHandler(nullptr);
    }

private:
    int argc_ = 1;
    char name_[16] = "kvn_ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const environment
    = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
