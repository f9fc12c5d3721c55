// Every message of a program, from whichever layer, is led by its one name.
#include "platform/core/diagnostics.h"
#include "platform/core/ui.h"

#include "tests/support/temp_folder.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kvn {
namespace {

// What the calls wrote to standard error.
template <class Write> std::string standardErrorOf(Write write)
{
    testing::TempFolder folder;
    const std::string path = folder / "stderr";
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, 2);
    write();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    return testing::readWholeFile(path);
}

TEST(Diagnostics, MessagesCarryTheProgramsName)
{
    const std::string written = standardErrorOf([] {
        setProgramName("tool");
        reportToStandardError("the lists could not be read");
        ConsoleUi ui;
        ui.showMessage({"Please enter valid IP addresses", "Invalid IP", MessageIcon::Error});
        setProgramName("korvane");
    });
    EXPECT_EQ(written.rfind("tool: the lists could not be read\ntool: ", 0), 0u) << written;
    EXPECT_NE(written.find("Invalid IP: Please enter valid IP addresses"), std::string::npos) << written;
}

TEST(Diagnostics, TheConsoleChoosesNoFileAndWritesProgressAsPercent)
{
    ConsoleUi ui;
    EXPECT_FALSE(ui.chooseFileToOpen({"KVN List (*.lst)|*.lst||", "lists"}));
    const std::string written = standardErrorOf([&] { ui.showProgress("Building white list", 36); });
    EXPECT_NE(written.find(": Building white list: 36%\n"), std::string::npos) << written;
}

} // namespace
} // namespace kvn
