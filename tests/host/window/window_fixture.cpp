#include "tests/host/window/window_fixture.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdlib>
#include <filesystem>

namespace kvn::host::testing {

QApplication& qtApplication()
{
    static int argc = 1;
    static char name[] = "kvn_window_tests";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication application(argc, argv);
    return application;
}

WindowFixture::WindowFixture() : root(temp / "mail"), registry(registry::openFileRegistry(temp / "registry"))
{
    (void)qtApplication();
    for (const char* folder : {"cur", "new", "tmp", ".Lists/cur", ".Lists/new", ".Lists/tmp"})
        std::filesystem::create_directories(root + "/" + folder);
    outlook::StoreConfig store;
    store.root = root;
    stores = {store};
    openApplication();
}

void WindowFixture::openApplication()
{
    application = {};
    model = outlook::openMaildirApplication(stores, "Test", *registry);
    mapi = model->getNamespace("MAPI");
    application = openHostApplication(model, *registry, "Test");
}

std::string WindowFixture::deliver(const std::string& folder, const std::string& unique, const std::string& from,
    const std::string& subject, bool read, const std::string& body, const std::string& contentType)
{
    const std::string base = root + "/" + folder;
    const std::string tmp = base + "/tmp/" + unique;
    kvn::testing::writeWholeFile(tmp,
        "From: " + from + "\r\nTo: me@home.example\r\nSubject: " + subject + "\r\nMessage-ID: <" + unique
            + "@test.example>\r\nMIME-Version: 1.0\r\nContent-Type: " + contentType + "; charset=utf-8\r\n\r\n" + body
            + "\r\n");
    const std::string target = read ? base + "/cur/" + unique + ":2,S" : base + "/new/" + unique;
    std::filesystem::rename(tmp, target);
    return target;
}

outlook::FolderPtr WindowFixture::inbox() const { return mapi->getDefaultFolder(outlook::olFolderInbox); }

outlook::FolderPtr WindowFixture::folderNamed(const std::string& name) const
{
    return mapi->folders()->getFirst()->folders()->item(name);
}

bool processUntil(const std::function<bool()>& condition, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace kvn::host::testing
