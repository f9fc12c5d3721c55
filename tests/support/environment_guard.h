// Sets an environment variable for the life of the object and puts back what
// was there before (set or not), also when a failed assertion ends the test.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kvn::testing {

class EnvironmentGuard {
public:
    // value empty: the variable is unset for the guard's life.
    EnvironmentGuard(std::string name, const std::optional<std::string>& value) : name_(std::move(name))
    {
        if (const char* before = std::getenv(name_.c_str()))
            previous_ = before;
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ~EnvironmentGuard()
    {
        if (previous_)
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace kvn::testing
