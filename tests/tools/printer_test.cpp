#include "tools/kvnctl/arguments.h"
#include "tools/kvnctl/printer.h"
#include "tools/kvnctl/text_table.h"

#include <gtest/gtest.h>
#include <sstream>

namespace kvn::kvnctl {
namespace {

// One document, written to both printers by the same calls.
void describeEntries(Printer& printer)
{
    printer.beginMap();
    printer.field("count", 2);
    printer.key("entries");
    printer.beginList();
    printer.beginMap();
    printer.field("value", "Jörg \"J\"");
    printer.field("isWhite", true);
    printer.endMap();
    printer.beginMap();
    printer.field("value", std::string_view("\xff\n", 2));
    printer.field("when", 0.5);
    printer.endMap();
    printer.endList();
    printer.key("empty");
    printer.beginList();
    printer.endList();
    printer.endMap();
    printer.finish();
}

TEST(JsonPrinter, WritesOneValidDocument)
{
    std::ostringstream out;
    describeEntries(*makeJsonPrinter(out));
    EXPECT_EQ(out.str(),
        "{\n"
        "  \"count\": 2,\n"
        "  \"entries\": [\n"
        "    {\n"
        "      \"value\": \"Jörg \\\"J\\\"\",\n"
        "      \"isWhite\": true\n"
        "    },\n"
        "    {\n"
        "      \"value\": \"\\u00ff\\n\",\n"
        "      \"when\": 0.5\n"
        "    }\n"
        "  ],\n"
        "  \"empty\": []\n"
        "}\n");
}

TEST(TextPrinter, WritesIndentedKeyValueLines)
{
    std::ostringstream out;
    describeEntries(*makeTextPrinter(out));
    EXPECT_EQ(out.str(),
        "count: 2\n"
        "entries:\n"
        "  - value: Jörg \"J\"\n"
        "    isWhite: yes\n"
        "  - value: \xff\\n\n"
        "    when: 0.5\n"
        "empty:\n");
}

// Two rows of a table with a nested map and a list, which text leaves out.
void describeTable(Printer& printer)
{
    static constexpr Column columns[] = {{"name", "Name"}, {"kind.code", "Code"}, {"note", "Note"}};
    printer.beginMap();
    printer.key("rows");
    printer.beginTable(columns, {"row", "rows"});
    for (const char* name : {"Jörg", "a much longer name"}) {
        printer.beginMap();
        printer.field("name", name);
        printer.key("kind");
        printer.beginMap();
        printer.field("code", 7);
        printer.endMap();
        printer.key("tags");
        printer.beginList();
        printer.string("hidden");
        printer.endList();
        printer.field("note", std::string_view("a\x1b[2Jb\n", 7));
        printer.endMap();
    }
    printer.endTable();
    printer.field("after", true);
    printer.endMap();
    printer.finish();
}

TEST(TextPrinter, WritesATableAsAlignedLinesWithACount)
{
    std::ostringstream out;
    describeTable(*makeTextPrinter(out));
    EXPECT_EQ(out.str(),
        "rows:\n"
        "  Name                Code  Note\n"
        "  Jörg                7     a\\x1b[2Jb\\n\n"
        "  a much longer name  7     a\\x1b[2Jb\\n\n"
        "  2 rows\n"
        "after: yes\n");
}

TEST(TextPrinter, EscapesWhatATerminalWouldTakeAsACommand)
{
    EXPECT_EQ(printableText("plain Grüße"), "plain Grüße");
    EXPECT_EQ(printableText("\x1b]0;title\x07\r\t\x7f"), "\\x1b]0;title\\x07\\r\\t\\x7f");
    EXPECT_EQ(printableText("a\xc2\x9b"
                            "2J\xc2\xa0"),
        "a\\u009b2J\xc2\xa0")
        << "C1 CSI escaped, NBSP kept";
}

TEST(JsonPrinter, WritesATableAsAListWithEveryField)
{
    std::ostringstream out;
    describeTable(*makeJsonPrinter(out));
    EXPECT_NE(out.str().find("\"tags\": [\n        \"hidden\"\n      ]"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"note\": \"a\\u001b[2Jb\\n\""), std::string::npos) << out.str();
}

TEST(Arguments, DoubleDashEndsTheOptions)
{
    Arguments arguments({"--white", "--", "-x", "--black", "--name"});
    EXPECT_TRUE(arguments.takeFlag("--white"));
    EXPECT_FALSE(arguments.takeFlag("--black"));
    EXPECT_EQ(arguments.takeOption("--name"), std::nullopt);
    EXPECT_EQ(arguments.takeWord("VALUE"), "-x");
    EXPECT_EQ(arguments.takeWord("VALUE"), "--black");
    EXPECT_EQ(arguments.takeWord("VALUE"), "--name");
    EXPECT_NO_THROW(arguments.expectNoMore());
    Arguments optionValue({"--to", "--", "-1"});
    EXPECT_EQ(optionValue.takeOption("--to"), "-1") << "a value that starts with \"-\" may follow \"--\"";
}

TEST(Arguments, TakesOptionsWhereverTheyStand)
{
    Arguments arguments({"add", "--white", "address", "a@b.c", "--name=A B", "--to", "1.2.3.4"});
    EXPECT_TRUE(arguments.takeFlag("--white"));
    EXPECT_FALSE(arguments.takeFlag("--black"));
    EXPECT_EQ(arguments.takeOption("--name"), "A B");
    EXPECT_EQ(arguments.takeOption("--to"), "1.2.3.4");
    EXPECT_EQ(arguments.takeWord("a command"), "add");
    EXPECT_EQ(arguments.takeWord("KIND"), "address");
    EXPECT_EQ(arguments.takeWord("VALUE"), "a@b.c");
    EXPECT_NO_THROW(arguments.expectNoMore());
    EXPECT_THROW(arguments.takeWord("VALUE"), UsageError);
}

TEST(Arguments, RefusesWhatNoCommandTook)
{
    Arguments unknown({"--colour", "x"});
    EXPECT_THROW(unknown.expectNoMore(), UsageError);
    Arguments missingValue({"--to"});
    EXPECT_THROW(missingValue.takeOption("--to"), UsageError);
    Arguments standardInput({"-", "-1.5"});
    EXPECT_EQ(standardInput.takeWord("FILE"), "-");
    EXPECT_EQ(standardInput.takeWord("NUMBER"), "-1.5");
}

} // namespace
} // namespace kvn::kvnctl
