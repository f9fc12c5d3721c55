#include "tools/kvnctl/printer.h"

#include "platform/core/utf8_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace kvn::kvnctl {
namespace {

void writeEscaped(std::ostream& out, std::string_view text)
{
    out << '"';
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80) {
            if (const Utf8Character character = decodeUtf8At(text, at); !character.isRawByte) {
                out << text.substr(at, character.length);
                at += character.length;
                continue;
            }
        }
        switch (byte) {
        case '"':
            out << "\\\"";
            break;
        case '\\':
            out << "\\\\";
            break;
        case '\n':
            out << "\\n";
            break;
        case '\r':
            out << "\\r";
            break;
        case '\t':
            out << "\\t";
            break;
        default:
            if (byte < 0x20 || byte >= 0x80) {
                std::array<char, 8> escape{};
                std::snprintf(escape.data(), escape.size(), "\\u%04x", byte);
                out << escape.data();
            } else {
                out << static_cast<char>(byte);
            }
        }
        ++at;
    }
    out << '"';
}

class JsonPrinter final : public Printer {
public:
    explicit JsonPrinter(std::ostream& out) : out_(out) { }

    void beginMap() override { open('{'); }
    void endMap() override { close('}'); }
    void beginList() override { open('['); }
    void endList() override { close(']'); }
    void beginTable(std::span<const Column>, RowsNoun) override { open('['); }
    void endTable() override { close(']'); }

    void key(std::string_view name) override
    {
        separate();
        writeEscaped(out_, name);
        out_ << ": ";
        afterKey_ = true;
    }

    void string(std::string_view text) override
    {
        value([&] { writeEscaped(out_, text); });
    }
    void integer(std::int64_t number) override
    {
        value([&] { out_ << number; });
    }
    void number(double number) override
    {
        value([&] {
            if (!std::isfinite(number)) {
                out_ << "null";
                return;
            }
            std::array<char, 64> text{};
            std::snprintf(text.data(), text.size(), "%.17g", number);
            out_ << text.data();
        });
    }
    void boolean(bool flag) override
    {
        value([&] { out_ << (flag ? "true" : "false"); });
    }
    void null() override
    {
        value([&] { out_ << "null"; });
    }
    void finish() override { out_ << '\n'; }

private:
    template <typename Write> void value(Write write)
    {
        if (!afterKey_)
            separate();
        afterKey_ = false;
        write();
    }

    void open(char bracket)
    {
        value([&] { out_ << bracket; });
        firstInLevel_.push_back(true);
    }

    void close(char bracket)
    {
        const bool empty = firstInLevel_.back();
        firstInLevel_.pop_back();
        if (!empty)
            newline();
        out_ << bracket;
    }

    // A comma before every element but the first of its level, and a new line.
    void separate()
    {
        if (firstInLevel_.empty())
            return;
        if (!firstInLevel_.back())
            out_ << ',';
        firstInLevel_.back() = false;
        newline();
    }

    void newline() { out_ << '\n' << std::string(firstInLevel_.size() * 2, ' '); }

    std::ostream& out_;
    std::vector<bool> firstInLevel_;
    bool afterKey_ = false;
};

} // namespace

std::unique_ptr<Printer> makeJsonPrinter(std::ostream& out) { return std::make_unique<JsonPrinter>(out); }

} // namespace kvn::kvnctl
