// Runs one of the real programs (korvane, regsvr32, kvnctl) as a child
// process with this process's environment, its standard error kept in a file,
// for the end-to-end tests of the host and its tools.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kvn::testing {

class ChildProcess {
public:
    // Starts `program` with the arguments; its stderr goes to errorFile.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments, std::string errorFile);
    // A child still running is killed and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void signal(int number);
    // The exit status, or 128 + the signal that ended it.
    int wait();
    std::string errorOutput() const;
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    std::string errorFile_;
};

struct Finished {
    int status = -1;
    std::string error; // what the program wrote to stderr
};

// Runs the program to its end.
Finished runToEnd(const std::string& program, const std::vector<std::string>& arguments, const std::string& errorFile);

// Waits until the file holds the line (a whole line), for at most `limit`; the
// wait ends as soon as it is there. True when it came.
bool waitForLine(
    const std::string& file, const std::string& line, std::chrono::milliseconds limit = std::chrono::seconds(20));

// The file's lines.
std::vector<std::string> linesOf(const std::string& file);

} // namespace kvn::testing
