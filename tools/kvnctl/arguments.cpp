#include "tools/kvnctl/arguments.h"

#include <algorithm>

namespace kvn::kvnctl {

Arguments::Arguments(std::vector<std::string> words) : words_(std::move(words))
{
    const auto end = std::find(words_.begin(), words_.end(), "--");
    optionsEnd_ = static_cast<std::size_t>(end - words_.begin());
    if (end != words_.end())
        words_.erase(end);
}

bool Arguments::takeFlag(const std::string& name)
{
    const auto optionsEnd = words_.begin() + static_cast<std::ptrdiff_t>(optionsEnd_);
    const auto found = std::find(words_.begin(), optionsEnd, name);
    if (found == optionsEnd)
        return false;
    words_.erase(found);
    --optionsEnd_;
    return true;
}

std::optional<std::string> Arguments::takeOption(const std::string& name)
{
    for (std::size_t at = 0; at < optionsEnd_; ++at) {
        const std::string& word = words_[at];
        if (word.rfind(name + "=", 0) == 0) {
            std::string value = word.substr(name.size() + 1);
            words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(at));
            --optionsEnd_;
            return value;
        }
        if (word != name)
            continue;
        // The value may stand after "--" ("--name -- -x").
        if (at + 1 == words_.size())
            throw UsageError(name + " needs a value");
        std::string value = words_[at + 1];
        const bool valueAfterEnd = at + 1 == optionsEnd_;
        const auto first = words_.begin() + static_cast<std::ptrdiff_t>(at);
        words_.erase(first, first + 2);
        optionsEnd_ -= valueAfterEnd ? 1 : 2;
        return value;
    }
    return std::nullopt;
}

std::string Arguments::takeWord(const std::string& whatIsExpected)
{
    std::optional<std::string> word = takeOptionalWord();
    if (!word)
        throw UsageError("missing " + whatIsExpected);
    return *word;
}

std::optional<std::string> Arguments::takeOptionalWord()
{
    // "-" alone (standard input) and negative numbers are words, not options.
    const auto isWord = [](const std::string& word) {
        return word.size() < 2 || word[0] != '-' || (word[1] >= '0' && word[1] <= '9') || word[1] == '.';
    };
    const auto optionsEnd = words_.begin() + static_cast<std::ptrdiff_t>(optionsEnd_);
    auto found = std::find_if(words_.begin(), optionsEnd, isWord);
    if (found == optionsEnd && found == words_.end())
        return std::nullopt;
    if (found != optionsEnd)
        --optionsEnd_;
    std::string word = *found;
    words_.erase(found);
    return word;
}

void Arguments::expectNoMore() const
{
    if (words_.empty())
        return;
    if (optionsEnd_ > 0 && words_.front().rfind("--", 0) == 0)
        throw UsageError("unknown option " + words_.front());
    throw UsageError("unexpected argument " + words_.front());
}

} // namespace kvn::kvnctl
