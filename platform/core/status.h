// The outcome of an operation that input or the environment can make fail:
// success, or failure with a sentence saying why, for the user or the log.
#pragma once

#include <string>
#include <utility>

namespace kvn {

class [[nodiscard]] Status {
public:
    static Status success() { return Status(true, {}); }
    static Status failure(std::string why) { return Status(false, std::move(why)); }

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

private:
    Status(bool ok, std::string error) : ok_(ok), error_(std::move(error)) { }
    bool ok_;
    std::string error_;
};

} // namespace kvn
