#include "host/wakeups.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kvn::host {
namespace {

volatile std::sig_atomic_t terminationCaught = 0;
volatile int signalWriteEnd = -1;

extern "C" void onTerminationSignal(int)
{
    const int saved = errno;
    terminationCaught = 1;
    if (signalWriteEnd >= 0) {
        const char byte = Wakeups::terminateByte;
        (void)!::write(signalWriteEnd, &byte, 1);
    }
    errno = saved;
}

} // namespace

Wakeups::Wakeups()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        readEnd_ = ends[0];
        writeEnd_ = ends[1];
    }
}

Wakeups::~Wakeups()
{
    if (catching_) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        signalWriteEnd = -1;
    }
    if (readEnd_ >= 0)
        ::close(readEnd_);
    if (writeEnd_ >= 0)
        ::close(writeEnd_);
}

void Wakeups::post(char what) noexcept
{
    if (writeEnd_ >= 0)
        (void)!::write(writeEnd_, &what, 1);
}

std::string Wakeups::wait(int timeoutMs)
{
    std::string posted;
    pollfd ready{readEnd_, POLLIN, 0};
    const int result = ::poll(&ready, 1, timeoutMs);
    if (result > 0) {
        char bytes[256];
        ssize_t count = 0;
        while ((count = ::read(readEnd_, bytes, sizeof bytes)) > 0)
            posted.append(bytes, static_cast<std::size_t>(count));
    }
    if (terminationCaught && posted.find(terminateByte) == std::string::npos)
        posted += terminateByte;
    return posted;
}

void Wakeups::catchTerminationSignals()
{
    signalWriteEnd = writeEnd_;
    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    catching_ = true;
}

} // namespace kvn::host
