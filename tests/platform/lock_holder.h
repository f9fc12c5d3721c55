// Another process holding a profile lock, as kvnctl or the host would: the
// profile_lock_holder program, started with exec and told when to let go.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kvn::testing {

class LockHolder {
public:
    // Starts the holder on the folder, recorded as `program`, and waits for
    // its first line: "held" when it took the lock, else its refusal.
    LockHolder(const std::string& folder, const std::string& program)
    {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        const std::string holder = KVN_PROFILE_LOCK_HOLDER;
        char* const argv[] = {const_cast<char*>(holder.c_str()), const_cast<char*>(folder.c_str()),
            const_cast<char*>(program.c_str()), nullptr};
        if (::posix_spawn(&pid_, holder.c_str(), &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        toHolder_ = input[1];
        char c = 0;
        while (::read(output[0], &c, 1) == 1 && c != '\n')
            firstLine_ += c;
        ::close(output[0]);
    }
    ~LockHolder() { release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool holds() const { return firstLine_ == "held"; }
    const std::string& firstLine() const { return firstLine_; }
    int pid() const { return static_cast<int>(pid_); }

    // Lets go of the lock and waits for the holder to end.
    void release()
    {
        if (toHolder_ >= 0)
            ::close(toHolder_);
        toHolder_ = -1;
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int toHolder_ = -1;
    std::string firstLine_;
};

} // namespace kvn::testing
