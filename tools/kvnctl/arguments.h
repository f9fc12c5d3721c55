// The words of a kvnctl command line after the global options, taken one by
// one by the command that reads them. A malformed command line throws
// UsageError, which main turns into a message and exit status 2. A word "--"
// ends the options: every word after it is a plain word, even one that
// starts with "-".
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvn::kvnctl {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Arguments {
public:
    explicit Arguments(std::vector<std::string> words);

    // Removes "--name" wherever it stands before "--"; true when it was there.
    bool takeFlag(const std::string& name);
    // Removes "--name VALUE" (or "--name=VALUE") wherever it stands before "--".
    std::optional<std::string> takeOption(const std::string& name);
    // The next word that is not an option; throws naming what was expected.
    std::string takeWord(const std::string& whatIsExpected);
    // The next word, if any is left.
    std::optional<std::string> takeOptionalWord();
    // Throws when any word was not taken (an unknown option, an extra word).
    void expectNoMore() const;

private:
    std::vector<std::string> words_;
    // words_[0, optionsEnd_) may hold options; the rest came after "--".
    std::size_t optionsEnd_;
};

} // namespace kvn::kvnctl
