// GMime's address parser follows a group inside a group by recursion: a
// hostile "To: g:g:g:..." of a few megabytes runs it out of stack, and a
// million empty groups take it seconds. Splitting the list here, in one pass
// that keeps no stack, leaves GMime single addresses to parse.
#include "platform/outlook/address_split.h"

namespace kvn::outlook::detail {

namespace {

class AddressSplitter {
public:
    std::vector<std::string> split(std::string_view list)
    {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const char c = list[i];
            if ((quoted_ || commentDepth_ > 0) && c == '\\' && i + 1 < list.size()) {
                current_ += c;
                current_ += list[++i];
            } else if (quoted_) {
                quoted_ = c != '"';
                current_ += c;
            } else if (commentDepth_ > 0) {
                if (c == '(')
                    ++commentDepth_;
                else if (c == ')')
                    --commentDepth_;
                current_ += c;
            } else {
                outside(c);
            }
        }
        endAddress();
        return std::move(addresses_);
    }

private:
    // A character outside quoted strings and comments.
    void outside(char c)
    {
        if (c == '"')
            quoted_ = true;
        else if (c == '(')
            ++commentDepth_;
        else if (c == '<')
            inAngle_ = true;
        else if (c == '>')
            inAngle_ = false;
        if (inAngle_ || c == '"' || c == '(') {
            current_ += c;
            return;
        }
        if (c == '>') {
            // "Name <address>" is whole: what follows is no part of it.
            current_ += c;
            endAddress();
        } else if (c == ',') {
            endAddress();
        } else if (c == ':') {
            // What came before is a group's name; a group inside a group
            // is read as one level.
            current_.clear();
            inGroup_ = true;
        } else if (c == ';' && inGroup_) {
            endAddress();
            inGroup_ = false;
        } else {
            current_ += c == ';' ? ' ' : c;
        }
    }

    void endAddress()
    {
        if (quoted_)
            current_ += '"';
        current_.append(commentDepth_, ')');
        if (inAngle_)
            current_ += '>';
        quoted_ = false;
        commentDepth_ = 0;
        inAngle_ = false;
        if (current_.find_first_not_of(" \t") != std::string::npos)
            addresses_.push_back(std::move(current_));
        current_.clear();
    }

    std::vector<std::string> addresses_;
    std::string current_;
    bool quoted_ = false;
    std::size_t commentDepth_ = 0;
    bool inAngle_ = false;
    bool inGroup_ = false;
};

} // namespace

std::vector<std::string> splitAddressList(std::string_view list) { return AddressSplitter().split(list); }

} // namespace kvn::outlook::detail
