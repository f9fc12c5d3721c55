// Runs a piece of a test as an ordinary user, so that the kernel refuses what
// it refuses a user (a mode 000 file, an unreadable folder) even when the
// suite runs as root, as it does in CI.
#pragma once

#include <functional>
#include <string>

namespace kvn::testing {

struct UnprivilegedRun {
    bool ran = false; // the body ran to its end as the ordinary user
    std::string output; // what the body returned
    std::string failure; // why it did not run, when ran is false
};

// Forks; the child drops to the user "nobody" (uid and gid 65534) when it is
// root, and to no one else, then returns body() to the parent through a pipe
// and exits. GoogleTest assertions in the body do not reach the parent:
// return what the test must check and assert on it in the parent. Files the
// body must reach have to be reachable by that user (see handOver).
UnprivilegedRun runUnprivileged(const std::function<std::string()>& body);

// Gives the folder and everything under it to the user runUnprivileged runs
// as (nothing happens when the suite does not run as root), so that a body can
// create, read and change files there as their owner.
void handOver(const std::string& path);

// True when the suite runs as root, so that runUnprivileged changes user.
bool runningAsRoot();

} // namespace kvn::testing
