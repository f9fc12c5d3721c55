#include "platform/outlook/maildir_deliver.h"

#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/outlook/maildir_flags.h"
#include "platform/outlook/maildir_move.h"
#include "platform/outlook/maildir_move_steps.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvn::outlook {
namespace {

// The host part of a unique name: "/" and ":" cannot stand in it (Maildir's
// own escapes for them).
std::string hostPart()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    std::string escaped;
    for (const char* c = name; *c; ++c) {
        if (*c == '/')
            escaped += "\\057";
        else if (*c == ':')
            escaped += "\\072";
        else
            escaped += *c;
    }
    return escaped;
}

} // namespace

std::string newUniqueName()
{
    static std::atomic<unsigned long> counter{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now - seconds);
    return std::to_string(seconds.count()) + ".M" + std::to_string(micros.count()) + "P" + std::to_string(::getpid())
        + "Q" + std::to_string(++counter) + "." + hostPart();
}

std::optional<MessageFile> deliverMessage(const std::string& folderDir, std::string_view bytes, bool read)
{
    const std::string unique = newUniqueName();
    const std::string temporary = folderDir + "/tmp/" + unique;
    MessageFile file{Subdir::Cur, nameWithSeen(unique, read), 0};
    const std::string target = folderDir + "/cur/" + file.fileName;
    {
        FileDescriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (out.get() < 0)
            return std::nullopt;
        if (!writeAll(out.get(), bytes) || ::fsync(out.get()) != 0 || !out.close()) {
            ::unlink(temporary.c_str());
            return std::nullopt;
        }
    }
    if (renameNoReplace(temporary, target) != RenameOutcome::Done) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    if (!move_steps::syncFolder(folderDir + "/cur")) {
        // Not durable: a message the caller takes for filed must survive a crash.
        ::unlink(target.c_str());
        return std::nullopt;
    }
    if (lookAtFile(folderDir, file) != FileState::Message)
        return std::nullopt;
    return file;
}

} // namespace kvn::outlook
