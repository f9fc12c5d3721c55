#include "tools/kvnctl/arguments.h"

#include <algorithm>

namespace kvn::kvnctl {

bool Arguments::takeFlag(const std::string& name)
{
    const auto found = std::find(words_.begin(), words_.end(), name);
    if (found == words_.end())
        return false;
    words_.erase(found);
    return true;
}

std::optional<std::string> Arguments::takeOption(const std::string& name)
{
    for (auto word = words_.begin(); word != words_.end(); ++word) {
        if (word->rfind(name + "=", 0) == 0) {
            std::string value = word->substr(name.size() + 1);
            words_.erase(word);
            return value;
        }
        if (*word != name)
            continue;
        if (word + 1 == words_.end())
            throw UsageError(name + " needs a value");
        std::string value = *(word + 1);
        words_.erase(word, word + 2);
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
    const auto found = std::find_if(words_.begin(), words_.end(), isWord);
    if (found == words_.end())
        return std::nullopt;
    std::string word = *found;
    words_.erase(found);
    return word;
}

void Arguments::expectNoMore() const
{
    if (words_.empty())
        return;
    if (words_.front().rfind("--", 0) == 0)
        throw UsageError("unknown option " + words_.front());
    throw UsageError("unexpected argument " + words_.front());
}

} // namespace kvn::kvnctl
