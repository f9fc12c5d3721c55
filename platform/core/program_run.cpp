// posix_spawn with pipes for the child's standard input and output. The
// input is written while the output is read (poll on both), so a program
// that writes a lot before it reads cannot deadlock against us. A program
// that stops reading its input ends our writing with EPIPE; SIGPIPE is held
// back on this thread meanwhile so that the host is not ended by it.
#include "platform/core/program_run.h"

#include "platform/core/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kvn {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() { return ::pipe2(&read, O_CLOEXEC) == 0; }
};

// SIGPIPE blocked on this thread while it lives; one raised meanwhile is
// taken back before the old mask returns, unless it was pending already.
class SigpipeHeld {
public:
    SigpipeHeld()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeHeld()
    {
        if (!wasPending_) {
            const timespec now{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) { }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

private:
    sigset_t pipe_;
    sigset_t old_;
    bool wasPending_ = false;
};

// The child starts with every signal at its default and none blocked: the
// host may ignore SIGPIPE or block the termination signals.
class SpawnAttributes {
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

class FileActions {
public:
    FileActions(int input, int output)
    {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_adddup2(&actions_, input, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, output, STDERR_FILENO);
        posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

void keepOutput(ProgramRun& run, const char* bytes, std::size_t size)
{
    const std::size_t room = outputLimit - run.output.size();
    run.output.append(bytes, std::min(room, size));
    run.outputCut = run.outputCut || size > room;
}

// Feeds the input and collects the output until both are done: the input
// all written (or refused: the program stopped reading) and the output
// closed by the program. The input's end is closed as soon as it is done, so
// that the program sees the end of its input.
void exchange(ProgramRun& run, FileDescriptor& input, const FileDescriptor& output, std::string_view bytes)
{
    const SigpipeHeld held;
    (void)::fcntl(input.get(), F_SETFL, O_NONBLOCK);
    bool writing = true;
    bool reading = true;
    const auto inputDone = [&](bool taken) {
        run.inputTaken = taken;
        writing = false;
        (void)input.close();
    };
    if (bytes.empty())
        inputDone(true);
    char buffer[16 * 1024];
    while (writing || reading) {
        pollfd ends[2] = {{reading ? output.get() : -1, POLLIN, 0}, {writing ? input.get() : -1, POLLOUT, 0}};
        if (::poll(ends, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (writing && (ends[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t written = ::write(input.get(), bytes.data(), bytes.size());
            if (written > 0)
                bytes.remove_prefix(static_cast<std::size_t>(written));
            if (bytes.empty())
                inputDone(true);
            else if (written < 0 && errno != EINTR && errno != EAGAIN)
                inputDone(false);
        }
        if (reading && (ends[0].revents & (POLLIN | POLLERR | POLLHUP))) {
            const ssize_t got = ::read(output.get(), buffer, sizeof buffer);
            if (got > 0)
                keepOutput(run, buffer, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                reading = false;
        }
    }
    if (writing)
        inputDone(false);
}

void waitFor(ProgramRun& run, pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return;
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
}

} // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments, std::string_view input)
{
    ProgramRun run;
    if (arguments.empty()) {
        run.startError = "no program given";
        return run;
    }
    Pipe in;
    Pipe out;
    if (!in.open() || !out.open()) {
        run.startError = std::strerror(errno);
        for (const int fd : {in.read, in.write, out.read, out.write})
            if (fd >= 0)
                ::close(fd);
        return run;
    }
    FileDescriptor inRead(in.read);
    FileDescriptor inWrite(in.write);
    FileDescriptor outRead(out.read);
    FileDescriptor outWrite(out.write);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const SpawnAttributes attributes;
    const FileActions actions(inRead.get(), outWrite.get());
    pid_t child = -1;
    const int failed = ::posix_spawnp(&child, argv[0], actions.get(), attributes.get(), argv.data(), environ);
    (void)inRead.close();
    (void)outWrite.close();
    if (failed != 0) {
        run.startError = std::strerror(failed);
        return run;
    }
    run.started = true;
    exchange(run, inWrite, outRead, input);
    waitFor(run, child);
    return run;
}

std::optional<std::vector<std::string>> splitCommandWords(std::string_view command)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t at = 0; at < command.size(); ++at) {
        const char c = command[at];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const std::size_t close = command.find('\'', at + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            word.append(command.substr(at + 1, close - at - 1));
            at = close;
        } else if (c == '"') {
            for (++at;; ++at) {
                if (at >= command.size())
                    return std::nullopt;
                if (command[at] == '"')
                    break;
                if (command[at] == '\\' && at + 1 < command.size()
                    && (command[at + 1] == '"' || command[at + 1] == '\\'))
                    ++at;
                word += command[at];
            }
        } else if (c == '\\') {
            if (++at >= command.size())
                return std::nullopt;
            word += command[at];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

} // namespace kvn
