// One writer per profile: a lock file in the data folder, held for as long as
// its owner may save the profile's data. The lock belongs to the open file, so
// a crashed holder releases it, and a second holder in the same process is
// refused just like one in another process.
#pragma once

#include <memory>
#include <string>
#include <variant>

namespace kvn {

class ProfileLock {
public:
    ~ProfileLock();
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    // The lock of the folder, or why it cannot be had: a sentence naming the
    // process that holds it, or the file error.
    static std::variant<std::unique_ptr<ProfileLock>, std::string> acquire(const std::string& dataFolder);

    // The name of the lock file inside the data folder.
    static constexpr const char* fileName = "kvn.lock";

private:
    explicit ProfileLock(int fd) : fd_(fd) { }
    int fd_;
};

} // namespace kvn
