// kvnctl explain handed what is not an ordinary message file: each one gets
// a reason of its own, the messages among them are still explained, and the
// exit status says that something failed.
#include "tests/support/unprivileged.h"
#include "tests/tools/explain_fixture.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvn::testing {
namespace {

std::string brokenData(const std::string& name) { return std::string(KVN_TEST_DATA_DIR) + "/broken/" + name; }

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class ExplainHostileFiles : public ExplainCommand {
protected:
    std::string copyOf(const std::string& source, const std::string& name)
    {
        writeWholeFile(mailbox / name, readWholeFile(source));
        return mailbox / name;
    }
};

TEST_F(ExplainHostileFiles, EachFileThatIsNoMessageIsNamedAndTheOthersAreExplained)
{
    listAdd("--white", "address", "carol@friends.example");
    const std::string fifo = mailbox / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = mailbox / "huge";
    writeWholeFile(huge, readWholeFile(classifyData("ham-friend.eml")));
    ASSERT_EQ(::truncate(huge.c_str(), 300LL << 20), 0); // sparse: costs no disk
    writeWholeFile(mailbox / "empty", "");
    writeWholeFile(mailbox / "text", "Dear diary,\nnothing happened today.\n");
    const std::vector<std::string> refused = {mailbox / "missing", mailbox / "cur", fifo, huge, mailbox / "empty",
        mailbox / "text", brokenData("garbage-headers.eml"), brokenData("no-headers.eml")};
    const std::vector<std::string> explained = {copyOf(classifyData("ham-friend.eml"), "caf\xe9.eml"),
        brokenData("truncated-in-field.eml"), brokenData("eight-bit-headers.eml"), brokenData("mbox-from-line.eml"),
        brokenData("lines-without-colon.eml")};

    std::vector<std::string> words = {"explain", "--json"};
    words.insert(words.end(), refused.begin(), refused.end());
    words.insert(words.end(), explained.begin(), explained.end());
    const KvnctlResult result = run(words);

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(countOf(result.err, "kvnctl: "), refused.size()) << result.err;
    EXPECT_EQ(countOf(result.out, "\"error\": "), refused.size()) << result.out;
    EXPECT_EQ(countOf(result.out, "\"summary\": "), explained.size()) << result.out;
    for (const char* reason : {"No such file", "it is a folder", "FIFO", "314572800 bytes, more than the 256 MiB",
             "it is empty", "it is not an e-mail"})
        EXPECT_TRUE(holds(result.err, reason)) << reason << " in\n" << result.err;
    EXPECT_TRUE(holds(result.out, "caf\\u00e9.eml\",\n    \"summary\": \"trusted: ends in Personal Folders/Inbox"))
        << "the name that is no UTF-8 is written escaped, and its mail explained\n"
        << result.out;
    EXPECT_TRUE(holds(result.out, "\"warning\": \"the file ends inside its header block, in the middle of a line"))
        << result.out;
    EXPECT_TRUE(fs::is_empty(temporary.path())) << "a temporary folder was left behind";
}

TEST_F(ExplainHostileFiles, AnUnreadableFileIsNamedAndTheNextOneExplained)
{
    const std::string unreadable = copyOf(classifyData("ham-friend.eml"), "unreadable");
    const std::string readable = copyOf(classifyData("blocked-domain.eml"), "readable");
    listAdd("--black", "domain", "junk.example");
    for (const std::string& folder : {install.path(), registryFolder().path(), mailbox.path(), temporary.path()})
        handOver(folder);
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);

    const UnprivilegedRun child = runUnprivileged([&] {
        const KvnctlResult result = run({"explain", unreadable, readable});
        return std::to_string(result.status) + "\n" + result.err + result.out;
    });
    ASSERT_TRUE(child.ran) << child.failure;
    EXPECT_EQ(child.output.substr(0, 2), "1\n") << child.output;
    EXPECT_TRUE(holds(child.output, "kvnctl: Cannot open " + unreadable + ": Permission denied")) << child.output;
    EXPECT_TRUE(holds(child.output, "summary: blocked: ends in Personal Folders/Trash")) << child.output;
}

// A message piped in (from a mail client, say), through the program itself.
TEST_F(ExplainHostileFiles, AMessageOnStandardInputIsExplained)
{
    listAdd("--black", "domain", "junk.example");
    const std::string output = mailbox / "output";
    const std::string command = std::string(KVNCTL_PROGRAM) + " --install-dir '" + install.path() + "' --profile '"
        + profile + "' explain - < '" + classifyData("blocked-domain.eml") + "' > '" + output + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << readWholeFile(output);
    EXPECT_TRUE(holds(readWholeFile(output), "file: -\n  summary: blocked: ends in Personal Folders/Trash, read;"))
        << readWholeFile(output);
    EXPECT_TRUE(fs::is_empty(temporary.path())) << "a temporary folder was left behind";
}

} // namespace
} // namespace kvn::testing
