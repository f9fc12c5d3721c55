// One writer per profile: a lock file in the data folder, held for as long as
// its owner may save the profile's data.
//
// What holds:
// - The lock belongs to the open file of the process that took it (an
//   open-file-description lock): a second holder in the same process is
//   refused just like one in another process, and a crashed holder releases
//   it, since the kernel closes its files.
// - It is never inherited: a child started with exec does not get the file
//   (close-on-exec), and in a child forked without exec the lock file is
//   closed at the fork, so the child neither holds the lock nor keeps it held
//   after its parent let go.
// - The lock file records the holder's pid and program name. The record is
//   written before anyone else can read it and is read only once it is
//   whole, so a refusal always names the process that held the lock at that
//   moment, never an earlier holder.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <variant>

namespace kvn {

class ProfileLock {
public:
    ~ProfileLock();
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    struct Request {
        // Recorded as the holder's program; empty is this process's name.
        std::string program;
        // How long to wait while another instance of the same program holds
        // the lock (a command that ends soon); a holder of another program
        // (the host, which holds it for as long as it runs) is refused at once.
        std::chrono::milliseconds patience{0};
    };

    using Result = std::variant<std::unique_ptr<ProfileLock>, std::string>;

    // The lock of the folder, or why it cannot be had: a sentence naming the
    // holder ("kvnctl (process 1234)"), or the file error. Call from any
    // thread; the waiting call sleeps in steps of a few milliseconds.
    static Result acquire(const std::string& dataFolder, const Request& request);
    // The same with this process's name and no waiting.
    static Result acquire(const std::string& dataFolder);

    // The name of the lock file inside the data folder.
    static constexpr const char* fileName = "kvn.lock";

private:
    explicit ProfileLock(int fd);
    int fd_;
    int owner_; // pid of the process that took it; a forked child's copy is not the lock
};

} // namespace kvn
