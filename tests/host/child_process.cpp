#include "tests/host/child_process.h"

#include "tests/support/temp_folder.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvn::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments, std::string errorFile)
    : errorFile_(std::move(errorFile))
{
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int error = ::open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (error >= 0)
            ::dup2(error, 2);
        // What the programs print for the user is not the test's output.
        const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (quiet >= 0)
            ::dup2(quiet, 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::signal(int number)
{
    if (pid_ > 0)
        ::kill(pid_, number);
}

int ChildProcess::wait()
{
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_)
        return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ChildProcess::errorOutput() const { return readWholeFile(errorFile_); }

Finished runToEnd(const std::string& program, const std::vector<std::string>& arguments, const std::string& errorFile)
{
    ChildProcess child(program, arguments, errorFile);
    const int status = child.wait();
    return {status, child.errorOutput()};
}

std::vector<std::string> linesOf(const std::string& file)
{
    std::vector<std::string> lines;
    std::istringstream text(readWholeFile(file));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

bool waitForLine(const std::string& file, const std::string& line, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<std::string> lines = linesOf(file);
        if (std::find(lines.begin(), lines.end(), line) != lines.end())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

} // namespace kvn::testing
