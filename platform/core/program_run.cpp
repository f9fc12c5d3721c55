#include "platform/core/program_run.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kvn {
namespace {

// The attributes that give the child a clean signal state: the host catches
// SIGINT and SIGTERM and may block others; the child must not inherit that.
class CleanSignals {
public:
    CleanSignals()
    {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~CleanSignals() { posix_spawnattr_destroy(&attributes_); }
    CleanSignals(const CleanSignals&) = delete;
    CleanSignals& operator=(const CleanSignals&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

std::optional<int> waitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return std::nullopt;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return std::nullopt;
}

} // namespace

std::optional<int> runProgramAndWait(const std::string& program, const std::vector<std::string>& arguments)
{
    if (program.empty())
        return std::nullopt;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const CleanSignals signals;
    pid_t child = 0;
    const bool searched = program.find('/') == std::string::npos;
    const int failed = searched ? posix_spawnp(&child, program.c_str(), nullptr, signals.get(), argv.data(), environ)
                                : posix_spawn(&child, program.c_str(), nullptr, signals.get(), argv.data(), environ);
    if (failed != 0)
        return std::nullopt;
    return waitFor(child);
}

} // namespace kvn
