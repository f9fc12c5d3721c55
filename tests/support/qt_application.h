// The one QApplication of a test binary that shows windows, made on first
// use, on the offscreen platform unless QT_QPA_PLATFORM names another (a
// screenshot run under Xvfb names "xcb"). For test binaries that link Qt.
#pragma once

#include <QApplication>

#include <cstdlib>

namespace kvn::testing {

inline QApplication& qtApplication()
{
    static int argc = 1;
    static char name[] = "kvn_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *application;
}

} // namespace kvn::testing
