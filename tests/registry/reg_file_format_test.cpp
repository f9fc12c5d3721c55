// The hive file format: what the reader keeps of hand-edited files and that
// the writer's output reads back to the same keys, values and comments.
#include "platform/registry/reg_file_parser.h"
#include "platform/registry/reg_file_writer.h"

#include <gtest/gtest.h>

namespace kvn::registry {
namespace {

constexpr std::string_view hklm = "HKEY_LOCAL_MACHINE";

std::optional<Value> valueIn(const HiveTree& tree, std::string_view path, std::string_view name)
{
    const HiveKey* key = tree.find(path);
    if (key == nullptr)
        return std::nullopt;
    const StoredValue* stored = key->findValue(foldName(name));
    return stored != nullptr ? std::optional(stored->value) : std::nullopt;
}

TEST(RegFileFormat, ReadsAHandEditedFileAsFarAsItIsWellFormed)
{
    const std::string file = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; options of my profile\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN\\Default]\r\n"
                             "   \"StartUp\"  =   dword:00000001\r\n"
                             "\t\"Run\"=\"01.02.2004\"   \r\n"
                             "\"AutoClean\"=dword:1e\r\n"
                             "this line is broken\r\n"
                             "\"Path\"=\"c:\\\\Program Files\\\\\\\"KVN\\\"\"\r\n"
                             "\"Bad\"=dword:123456789\r\n"
                             "\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                             "@=\"default text\"\n";
    const ParsedHive parsed = parseHive(file, hklm);

    EXPECT_EQ(valueIn(parsed.tree, "Software\\Brindlecraft\\KVN\\Default", "StartUp")->bytes, dwordValue(1).bytes);
    EXPECT_EQ(valueIn(parsed.tree, "software\\brindlecraft\\kvn\\default", "run")->bytes, "01.02.2004");
    EXPECT_EQ(valueIn(parsed.tree, "Software\\Brindlecraft\\KVN\\Default", "AutoClean")->bytes, dwordValue(30).bytes);
    EXPECT_EQ(
        valueIn(parsed.tree, "Software\\Brindlecraft\\KVN\\Default", "Path")->bytes, "c:\\Program Files\\\"KVN\"");
    EXPECT_FALSE(valueIn(parsed.tree, "Software\\Brindlecraft\\KVN\\Default", "Bad"));
    EXPECT_EQ(valueIn(parsed.tree, "Software\\Other", "")->bytes, "default text");

    ASSERT_TRUE(parsed.problem);
    EXPECT_EQ(parsed.problem->firstLine, 8u);
    EXPECT_EQ(parsed.problem->firstText, "this line is broken");
    EXPECT_EQ(parsed.problem->lineCount, 2u);
}

TEST(RegFileFormat, ProblemsAreLinesThatBelongNowhere)
{
    const ParsedHive parsed = parseHive("Windows Registry Editor Version 5.00\n"
                                        "\"Orphan\"=dword:00000001\n"
                                        "[HKEY_CURRENT_USER\\Software]\n"
                                        "\"Elsewhere\"=\"x\"\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\Good]\n"
                                        "\"Unterminated=\"x\"\n"
                                        "\"Escape\"=\"a\\nb\"\n",
        hklm);
    ASSERT_TRUE(parsed.problem);
    EXPECT_EQ(parsed.problem->firstLine, 2u);
    EXPECT_EQ(parsed.problem->lineCount, 6u);
    EXPECT_TRUE(parsed.tree.find("Software\\Good"));
    EXPECT_TRUE(parsed.tree.root().values.empty());
}

TEST(RegFileFormat, ReadsHexDataOverContinuationLinesAndDeletions)
{
    const ParsedHive parsed = parseHive("REGEDIT4\n"
                                        "[HKEY_LOCAL_MACHINE\\A]\n"
                                        "\"Multi\"=hex(7):61,00,62,\\\n"
                                        "  00,00\n"
                                        "\"Blob\"=hex:\n"
                                        "\"Gone\"=\"x\"\n"
                                        "\"Gone\"=-\n"
                                        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n"
                                        "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
                                        "\"IgnoredUnderDeletion\"=\"x\"\n",
        hklm);
    EXPECT_FALSE(parsed.problem);
    const std::optional<Value> multi = valueIn(parsed.tree, "A", "Multi");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->type, 7u);
    EXPECT_EQ(multi->bytes, std::string("a\0b\0\0", 5));
    EXPECT_EQ(valueIn(parsed.tree, "A", "Blob")->bytes, "");
    EXPECT_FALSE(valueIn(parsed.tree, "A", "Gone"));
    EXPECT_FALSE(parsed.tree.find("A\\B"));
    EXPECT_TRUE(parsed.tree.find("A"));
}

TEST(RegFileFormat, ReadsUtf16FilesAsTheSystemEditorExportsThem)
{
    const std::string text
        = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"N\"=\"\xC3\xA9t\xC3\xA9\"\r\n";
    // UTF-16LE of the text: every character here is below U+0100.
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == 0xC3) {
            c = static_cast<unsigned char>(0xC0 | (static_cast<unsigned char>(text[++i]) & 0x3F));
        }
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    const ParsedHive parsed = parseHive(utf16, hklm);
    EXPECT_FALSE(parsed.problem);
    EXPECT_EQ(valueIn(parsed.tree, "K", "N")->bytes, "\xC3\xA9t\xC3\xA9");
}

TEST(RegFileFormat, HexStringsAreUtf16AsTheSystemEditorExportsThem)
{
    // "C:\é" with its NUL; "%P%\📬" as an expandable string; one with an
    // embedded NUL; one without its terminating NUL; odd data kept as it is.
    const std::string text = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n"
                             "\"Sz\"=hex(1):43,00,3a,00,5c,00,e9,00,00,00\n"
                             "\"Expand\"=hex(2):25,00,50,00,25,00,5c,00,3d,d8,ec,dc,00,00\n"
                             "\"Nul\"=hex(1):61,00,00,00,62,00,00,00\n"
                             "\"Unended\"=hex(1):61,00,62,00\n"
                             "\"Lone\"=hex(1):00,d8,61,00,00,00\n"
                             "\"Odd\"=hex(1):61,62,63\n";
    const ParsedHive parsed = parseHive(text, hklm);
    EXPECT_FALSE(parsed.problem);
    EXPECT_EQ(valueIn(parsed.tree, "K", "Sz")->bytes, "C:\\\xC3\xA9");
    EXPECT_EQ(valueIn(parsed.tree, "K", "Sz")->type, 1u);
    EXPECT_EQ(valueIn(parsed.tree, "K", "Expand")->bytes, "%P%\\\xF0\x9F\x93\xAC");
    EXPECT_EQ(valueIn(parsed.tree, "K", "Expand")->type, 2u);
    EXPECT_EQ(valueIn(parsed.tree, "K", "Nul")->bytes, std::string("a\0b", 3));
    EXPECT_EQ(valueIn(parsed.tree, "K", "Unended")->bytes, "ab");
    EXPECT_EQ(valueIn(parsed.tree, "K", "Lone")->bytes,
        "\xEF\xBF\xBD"
        "a");
    EXPECT_EQ(valueIn(parsed.tree, "K", "Odd")->bytes, "abc");

    const std::string written = writeHive(parsed.tree, hklm);
    EXPECT_NE(written.find("\"Sz\"=\"C:\\\\\xC3\xA9\"\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\"Expand\"=hex(2):25,00,50,00,25,00,5c,00,3d,d8,ec,dc,00,00\n"), std::string::npos)
        << written;
    EXPECT_NE(written.find("\"Nul\"=hex(1):61,00,00,00,62,00,00,00\n"), std::string::npos) << written;
}

TEST(RegFileFormat, WrittenHivesReadBackWithEveryTypeByteAndComment)
{
    HiveTree tree;
    HiveKey& key = tree.create("Software\\Brindlecraft\\KVN\\Default");
    key.comments.push_back("; my profile");
    HiveTree::setValue(key, "StartUp", dwordValue(0xDEADBEEF));
    HiveTree::setValue(key, "Run", stringValue("a \"quoted\" c:\\path \xC3\xA9"));
    HiveTree::setValue(key, "WithNul", stringValue(std::string("ab\0", 3)));
    HiveTree::setValue(key, "Line", stringValue("two\nlines"));
    HiveTree::setValue(key, "Latin1", stringValue("\xE9t\xE9"));
    HiveTree::setValue(key, "Expand", Value{2, "%HOME%/\xF0\x9F\x93\xAC"});
    HiveTree::setValue(key, "EmptyExpand", Value{2, ""});
    HiveTree::setValue(key, "ShortDword", Value{4, "\x01\x02"});
    HiveTree::setValue(key, "Odd\"Name\\", Value{0x1234, std::string(100, '\x7F')});
    HiveTree::setValue(key, "", Value{3, "\x00\xFF"});
    key.values.back().comments.push_back(";default value");
    tree.create("Software\\Empty");
    tree.trailingComments.push_back("; the end");

    const std::string text = writeHive(tree, hklm);
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n\n"));
    EXPECT_NE(text.find("\"StartUp\"=dword:deadbeef\n"), std::string::npos);
    EXPECT_NE(text.find("\"Run\"=\"a \\\"quoted\\\" c:\\\\path \xC3\xA9\"\n"), std::string::npos);
    // Strings that cannot be quoted are UTF-16LE with a terminating NUL, each
    // byte that is no UTF-8 as its lone surrogate U+DC80 + byte.
    EXPECT_NE(text.find("\"WithNul\"=hex(1):61,00,62,00,00,00,00,00\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Latin1\"=hex(1):e9,dc,74,00,e9,dc,00,00\n"), std::string::npos) << text;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << "line starting at " << start;

    const ParsedHive parsed = parseHive(text, hklm);
    EXPECT_FALSE(parsed.problem);
    const HiveKey* read = parsed.tree.find("Software\\Brindlecraft\\KVN\\Default");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->values.size(), key.values.size());
    for (std::size_t i = 0; i < key.values.size(); ++i) {
        EXPECT_EQ(read->values[i].name, key.values[i].name);
        EXPECT_EQ(read->values[i].value.type, key.values[i].value.type) << key.values[i].name;
        EXPECT_EQ(read->values[i].value.bytes, key.values[i].value.bytes) << key.values[i].name;
        EXPECT_EQ(read->values[i].comments, key.values[i].comments);
    }
    EXPECT_EQ(read->comments, key.comments);
    EXPECT_TRUE(parsed.tree.find("Software\\Empty"));
    EXPECT_EQ(parsed.tree.trailingComments, tree.trailingComments);
    EXPECT_EQ(writeHive(parsed.tree, hklm), text);
}

} // namespace
} // namespace kvn::registry
