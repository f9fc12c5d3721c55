#include "tools/kvnctl/printer.h"
#include "tools/kvnctl/text_table.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace kvn::kvnctl {
namespace {

// Maps print one "key: value" line per field; a map or list inside starts
// on the next line, indented. Items of a list print as "- value", and a map
// in a list as a block whose first line carries the "- ". A table is
// collected whole and written aligned when it ends.
class TextPrinter final : public Printer {
public:
    explicit TextPrinter(std::ostream& out) : out_(out) { }

    void beginMap() override { table_ ? table_->beginMap() : openContainer(Kind::Map); }
    void endMap() override { table_ ? table_->endMap() : closeContainer(); }
    void beginList() override { table_ ? table_->beginList() : openContainer(Kind::List); }
    void endList() override { table_ ? table_->endList() : closeContainer(); }

    void beginTable(std::span<const Column> columns, RowsNoun rowsNoun) override
    {
        if (table_) {
            // A table inside a table's row is left to --json, as lists are.
            table_->beginList();
            return;
        }
        tableIndent_ = 0;
        if (!levels_.empty()) {
            tableIndent_ = levels_.back().indent + 2;
            out_ << prefix() << '\n';
        }
        table_.emplace(columns, rowsNoun);
    }
    void endTable() override
    {
        if (!table_->atTop()) {
            table_->endList();
            return;
        }
        table_->write(out_, tableIndent_);
        table_.reset();
    }

    void key(std::string_view name) override
    {
        if (table_)
            table_->key(name);
        else
            pendingKey_ = std::string(name);
    }

    void string(std::string_view text) override { scalar(printableText(text)); }
    void integer(std::int64_t number) override { scalar(std::to_string(number)); }
    void number(double number) override
    {
        std::array<char, 64> text{};
        std::snprintf(text.data(), text.size(), "%.10g", number);
        scalar(text.data());
    }
    void boolean(bool flag) override { scalar(flag ? "yes" : "no"); }
    void null() override { scalar("-"); }
    void finish() override { out_.flush(); }

private:
    enum class Kind { Map, List };
    struct Level {
        Kind kind;
        bool first = true;
        std::size_t indent = 0;
    };

    // The text that begins the line of the next element: its indentation,
    // and its key or the list's dash.
    std::string prefix()
    {
        if (levels_.empty())
            return {};
        Level& level = levels_.back();
        // The first line of a block in a list follows the list's "- ".
        std::string text = dashPending_ ? std::string() : std::string(level.indent, ' ');
        dashPending_ = false;
        if (level.kind == Kind::List)
            text += "- ";
        else if (!pendingKey_.empty())
            text += pendingKey_ + ":";
        level.first = false;
        pendingKey_.clear();
        return text;
    }

    void scalar(const std::string& text)
    {
        if (table_) {
            table_->scalar(text);
            return;
        }
        std::string line = prefix();
        if (!line.empty() && line.back() == ':')
            line += ' ';
        out_ << line << text << '\n';
    }

    void openContainer(Kind kind)
    {
        std::size_t indent = 0;
        if (!levels_.empty()) {
            const Level& parent = levels_.back();
            const Kind parentKind = parent.kind;
            const std::size_t parentIndent = parent.indent;
            const std::string line = prefix();
            if (parentKind == Kind::Map) {
                out_ << line << '\n';
                indent = parentIndent + 2;
            } else {
                // A block inside a list: its first line shares the list's dash.
                out_ << line;
                indent = parentIndent + 2;
                levels_.push_back({kind, true, indent});
                dashPending_ = true;
                return;
            }
        }
        levels_.push_back({kind, true, indent});
    }

    void closeContainer()
    {
        if (!levels_.empty() && levels_.back().first && dashPending_)
            out_ << '\n';
        dashPending_ = false;
        levels_.pop_back();
    }

    std::ostream& out_;
    std::vector<Level> levels_;
    std::string pendingKey_;
    bool dashPending_ = false;
    std::optional<TextTable> table_;
    std::size_t tableIndent_ = 0;
};

} // namespace

std::unique_ptr<Printer> makeTextPrinter(std::ostream& out) { return std::make_unique<TextPrinter>(out); }

} // namespace kvn::kvnctl
