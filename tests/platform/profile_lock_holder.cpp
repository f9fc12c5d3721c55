// A process that takes a profile lock for the lock tests, as another program
// would: "profile_lock_holder FOLDER PROGRAM" records PROGRAM as the holder,
// prints "held" (or the refusal) on a line, and holds the lock until its
// standard input ends.
#include "platform/core/profile_lock.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    auto lock = kvn::ProfileLock::acquire(argv[1], kvn::ProfileLock::Request{argv[2], {}});
    if (const std::string* why = std::get_if<std::string>(&lock)) {
        std::printf("%s\n", why->c_str());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) { }
    return 0;
}
