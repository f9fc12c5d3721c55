// The preview never fetches what a message names: images, style sheets and
// scripts on a server (a real one on 127.0.0.1 that must see no connection),
// nor local files.
#include "host/window/main_window.h"
#include "host/window/message_list_model.h"
#include "host/window/preview_pane.h"
#include "tests/host/window/window_fixture.h"

#include <QItemSelectionModel>
#include <QTcpServer>
#include <QTreeView>

#include <gmock/gmock.h>

namespace kvn::host::testing {
namespace {

TEST_F(WindowFixture, PreviewLoadsNothingRemoteOrLocal)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.serverPort());
    kvn::testing::writeWholeFile(temp / "local.css", "p { color: red }");
    const std::string html = "<html><head><link rel=\"stylesheet\" href=\"" + base + "/style.css\">"
        + "<link rel=\"stylesheet\" href=\"file://" + temp.path() + "/local.css\">" + "<script src=\"" + base
        + "/script.js\"></script><script>document.write('ran')</script></head>" + "<body style=\"background: url("
        + base + "/back.png)\"><p>Offer inside</p><img src=\"" + base + "/track.png\"><img src=\"" + base
        + "/pixel.gif\" width=1 height=1></body></html>";
    deliver("", "1.remote", "Offers <offers@cheap.example>", "Remote things", false, html, "text/html");

    MainWindow window(*application.get(), *registry, stores, "Test");
    window.show();
    window.messageList()->selectionModel()->select(
        window.messages()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_THAT(window.preview()->body()->toPlainText().toStdString(), ::testing::HasSubstr("Offer inside"));
    // Drawing the document is when images are asked for.
    window.preview()->body()->grab();
    EXPECT_GE(window.preview()->body()->refusedCount(), 3);
    EXPECT_THAT(window.preview()->body()->toPlainText().toStdString(), ::testing::Not(::testing::HasSubstr("ran")));
    EXPECT_FALSE(server.waitForNewConnection(200)) << "the preview connected to the server";
    EXPECT_FALSE(window.messages()->data(window.messages()->index(0, 0), Qt::FontRole).isValid())
        << "previewed, so read";
}

} // namespace
} // namespace kvn::host::testing
