#include "tests/support/unprivileged.h"

#include <filesystem>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvn::testing {
namespace {

constexpr uid_t nobodyUid = 65534;
constexpr gid_t nobodyGid = 65534;

bool dropPrivileges()
{
    if (geteuid() != 0)
        return true;
    return setgroups(0, nullptr) == 0 && setgid(nobodyGid) == 0 && setuid(nobodyUid) == 0;
}

void writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

std::string readAll(int fd)
{
    std::string bytes;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(got));
    return bytes;
}

} // namespace

bool runningAsRoot() { return geteuid() == 0; }

UnprivilegedRun runUnprivileged(const std::function<std::string()>& body)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {false, {}, "cannot make a pipe"};
    const pid_t child = fork();
    if (child < 0)
        return {false, {}, "cannot fork"};
    if (child == 0) {
        close(pipeEnds[0]);
        if (!dropPrivileges())
            _exit(3);
        writeAll(pipeEnds[1], body());
        close(pipeEnds[1]);
        _exit(0);
    }
    close(pipeEnds[1]);
    UnprivilegedRun run;
    run.output = readAll(pipeEnds[0]);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ran)
        run.failure = WIFEXITED(status) && WEXITSTATUS(status) == 3 ? "cannot become the user nobody"
                                                                    : "the body did not end normally";
    return run;
}

void handOver(const std::string& path)
{
    if (!runningAsRoot())
        return;
    std::error_code ignored;
    if (lchown(path.c_str(), nobodyUid, nobodyGid) != 0)
        return;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored)))
        return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored))
        (void)lchown(entry.path().c_str(), nobodyUid, nobodyGid);
}

} // namespace kvn::testing
