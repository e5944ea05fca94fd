// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "ConfigFileEdit.h"
#include "ConfigFileFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

std::string spaces(int n) { return std::string(n, ' '); }

// A file as Notepad saves it in "Unicode": UTF-16 after its mark.
std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text)
        bytes += bigEndian ? std::string{char(unit >> 8), char(unit)} : std::string{char(unit), char(unit >> 8)};
    return bytes;
}

// ---------------------------------------------------------------- reading

TEST_F(ConfigFileTest, StoresEachKindOfLineAsExpected)
{
    struct Case {
        const char* what;
        std::string line;
        bool stored;
        std::string key, value;
        std::string missingKey;  // a lookup that must not find the pair
    };
    const Case cases[] = {
        {"plain", "xRes=800", true, "xRes", "800", ""},
        {"spaces around =", "xRes = 800", true, "xRes", "800", ""},
        {"trailing spaces", "xRes=800" + spaces(3), true, "xRes", "800", ""},
        {"leading spaces stay in the key", spaces(2) + "xRes=800", true, spaces(2) + "xRes", "800", "xRes"},
        {"comment", "#xRes=800", false, "", "", "#xRes"},
        {"# after a space is text", " #xRes=800", true, " #xRes", "800", "#xRes"},
        {"no trailing comments", "xRes=800 # window width", true, "xRes", "800 # window width", ""},
        {"first = splits", "a=b=c", true, "a", "b=c", "a=b"},
        {"empty key", "=5", true, "", "5", ""},
        {"key of spaces only", spaces(3) + "=5", true, "", "5", spaces(3)},
        {"empty value", "xRes=", true, "xRes", "", ""},
        {"value of spaces only", "xRes=" + spaces(3), true, "xRes", "", ""},
        {"no =", "showDrops", false, "", "", "showDrops"},
        {"empty line", "", false, "", "", ""},
        {"spaces only", spaces(4), false, "", "", ""},
        {"tabs are not trimmed", "xRes\t=\t800", true, "xRes\t", "\t800", "xRes"},
        {"carriage return first", "\rxRes=800", false, "", "", "\rxRes"},
        {"inner spaces kept", "window title = my  rain  ", true, "window title", "my  rain", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write("nimbrel.conf", c.line + "\n");
        ConfigFile config(path("nimbrel.conf"));

        EXPECT_EQ(storeOf(config), c.stored ? c.key + "=" + c.value + "\n" : "");
        std::string value = "untouched";
        if (c.stored) {
            EXPECT_TRUE(config.get(c.key, &value));
            EXPECT_EQ(value, c.value);
        }
        if (!c.missingKey.empty()) {
            value = "untouched";
            EXPECT_FALSE(config.get(c.missingKey, &value));
            EXPECT_EQ(value, "untouched");
        }
    }
}

TEST_F(ConfigFileTest, LastOfRepeatedKeysWins)
{
    write("nimbrel.conf", "xRes=800\nyRes=600\nxRes=1024\n");
    ConfigFile config(path("nimbrel.conf"));
    EXPECT_EQ(storeOf(config), "xRes=1024\nyRes=600\n");
}

TEST_F(ConfigFileTest, ReadsALastLineWithoutLineFeed)
{
    write("nimbrel.conf", "yRes=600\nxRes=800");
    ConfigFile config(path("nimbrel.conf"));
    EXPECT_EQ(storeOf(config), "xRes=800\nyRes=600\n");
}

TEST_F(ConfigFileTest, CarriageReturnLineEndsStayInTheValues)
{
    write("nimbrel.conf", "# window\r\n\r\nxRes=800\r\n\r\nshowDrops = 1 \r\n");
    ConfigFile config(path("nimbrel.conf"));

    // Only spaces are trimmed, so the carriage return ends each value and
    // keeps the space before it.
    EXPECT_EQ(storeOf(config), "showDrops=1 \r\nxRes=800\r\n");
    std::string text;
    EXPECT_TRUE(config.get("xRes", &text));
    EXPECT_EQ(text, "800\r");
}

TEST_F(ConfigFileTest, FilesWithoutSettingsGiveAnEmptyStore)
{
    struct Case {
        const char* what;
        bool exists;
        std::string contents;
    };
    const Case cases[] = {
        {"missing file", false, ""},
        {"empty file", true, ""},
        {"comments only", true, "# nimbrel settings\n#xRes=800\n#\n"},
        {"nothing but ignored lines", true, "\n   \nshowDrops\n\r\n#a=b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ignored;
        fs::remove(path("nimbrel.conf"), ignored);
        if (c.exists)
            write("nimbrel.conf", c.contents);

        ConfigFile config(path("nimbrel.conf"));
        EXPECT_EQ(storeOf(config), "");
        // Reading never writes, not even a missing file into existence.
        EXPECT_EQ(fs::exists(path("nimbrel.conf")), c.exists);
    }
}

// A directory opens for reading on Linux but fails every read without ever
// reaching end-of-file; a loop that waits for the end would spin forever.
// The child process ends itself after a while so that a spin fails the test
// instead of hanging the run.
TEST_F(ConfigFileTest, DirectoryAsSettingsFileGivesAnEmptyStore)
{
    ASSERT_TRUE(fs::create_directory(path("nimbrel.conf")));
    const std::string dirName = path("nimbrel.conf");
    const std::string out = path("store.out");
    EXPECT_EXIT(
        {
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::seconds(10));
                std::_Exit(4);
            }).detach();
            bool empty;
            {
                ConfigFile config(dirName);
                config.save(out);
                empty = fs::file_size(out) == 0;
            }
            std::_Exit(empty ? 0 : 3);
        },
        testing::ExitedWithCode(0), "");
}

// Only the first MiB is read, less the line that the bound cuts off, which
// would otherwise read as a shorter value.
TEST_F(ConfigFileTest, ReadsOnlyTheFirstMebibyte)
{
    const std::string upToTheBound = "a=1\n" + std::string((1 << 20) - 8, '#') + "\nz=9";
    const std::pair<std::string, std::string> cases[] = {  // (file, store)
        {upToTheBound, "a=1\nz=9\n"},
        {upToTheBound + "0", "a=1\n"},
        {"xRes=" + std::string(3 << 20, '8'), ""},
    };
    for (const auto& [contents, expected] : cases) {
        write("nimbrel.conf", contents);
        ConfigFile config(path("nimbrel.conf"));
        const std::string store = storeOf(config);
        EXPECT_TRUE(store == expected) << store.size() << " bytes stored";
    }
}

// Notepad's "UTF-8 with BOM" and "Unicode": the mark is no part of the first key.
TEST_F(ConfigFileTest, ReadsTheTextOfFilesWithAByteOrderMark)
{
    const std::pair<std::string, std::string> cases[] = {  // (file, store)
        {"\xEF\xBB\xBFxRes=800\r\nyRes=600\r\n", "xRes=800\r\nyRes=600\r\n"},
        {"\xEF\xBB\xBF#xRes=800\nyRes=600", "yRes=600\n"},
        {"yRes=600\n\xEF\xBB\xBFxRes=800\n", "yRes=600\n\xEF\xBB\xBFxRes=800\n"},  // only at the start
        {utf16(u"xRes=800\r\nuser=\u0414\u043C\u0438\u0442\u0440\u0438\u0439\r\n", false),
         "user=\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9\r\nxRes=800\r\n"},
        {utf16(u"xRes=800\nname=\u5F20\U0001F327\n", true), "name=\xE5\xBC\xA0\xF0\x9F\x8C\xA7\nxRes=800\n"},
        {utf16(u"a=\xDC00\xD800", false) + "\x01", "a=\xEF\xBF\xBD\xEF\xBF\xBD\n"},  // lone surrogates, odd byte
    };
    for (const auto& [contents, expected] : cases) {
        write("nimbrel.conf", contents);
        ConfigFile config(path("nimbrel.conf"));
        EXPECT_EQ(storeOf(config), expected);
    }
}

// The settings dialog's edit: only the lines of the keys it sets change.
TEST_F(ConfigFileTest, EditChangesOnlyTheLinesOfTheKeysItSets)
{
    const ConfigFileEdit::Changes changes = {{"dropRate", "77"}, {"showDrops", "1"}};
    const std::pair<std::string, std::string> cases[] = {  // (file, edited)
        {"# mine\r\nkeep=me\r\n\r\ndropRate = 33 \r\n", "# mine\r\nkeep=me\r\n\r\ndropRate=77\r\nshowDrops=1\r\n"},
        {"dropRate=1\n#dropRate=3\ndropRate=2\n  dropRate=4", "dropRate=1\n#dropRate=3\ndropRate=77\n  dropRate=4\nshowDrops=1\n"},
        {"showDrops=0\ndropRate=5", "showDrops=1\ndropRate=77"},
        {"", "dropRate=77\nshowDrops=1\n"},
        {"\xEF\xBB\xBF" "dropRate=5\n", "\xEF\xBB\xBF" "dropRate=77\nshowDrops=1\n"},
        {utf16(u"z=\u0414\r\n", true), utf16(u"z=\u0414\r\ndropRate=77\r\nshowDrops=1\r\n", true)},
    };
    for (const auto& [contents, edited] : cases) {
        write("nimbrel.conf", contents);
        EXPECT_TRUE(ConfigFileEdit::applyTo(path("nimbrel.conf"), changes));
        EXPECT_EQ(read("nimbrel.conf"), edited);
    }
}

// ---------------------------------------------------------------- saving

TEST_F(ConfigFileTest, SaveWritesOneLinePerPairInByteOrder)
{
    ConfigFile config(path("missing.conf"));
    config.set("xRes", "800");
    config.set("dropRate", "10");
    config.set("XRes", "1");
    config.save(path("out.conf"));
    EXPECT_EQ(read("out.conf"), "XRes=1\ndropRate=10\nxRes=800\n");
}

TEST_F(ConfigFileTest, SaveComparesKeyBytesAsUnsigned)
{
    ConfigFile config(path("missing.conf"));
    config.set("\xC3\xA9t\xC3\xA9", "high");  // bytes above 0x7F sort last
    config.set("ab", "longer");
    config.set("a", "prefix");                 // a prefix sorts first
    config.set("Z", "upper");
    config.set("", "empty key");
    config.set("a", "replaced");               // set replaces, never adds a second pair
    EXPECT_EQ(storeOf(config),
              "=empty key\nZ=upper\na=replaced\nab=longer\n\xC3\xA9t\xC3\xA9=high\n");
}

TEST_F(ConfigFileTest, SaveOfAnEmptyStoreLeavesAnEmptyFile)
{
    write("old.conf", "xRes=800\nyRes=600\n");
    ConfigFile config(path("missing.conf"));
    config.save(path("old.conf"));
    config.save(path("new.conf"));
    EXPECT_EQ(read("old.conf"), "");
    ASSERT_TRUE(fs::exists(path("new.conf")));
    EXPECT_EQ(read("new.conf"), "");
}

TEST_F(ConfigFileTest, SaveWithoutANameWritesTheFileItWasBuiltOn)
{
    write("nimbrel.conf", "# note\nxRes = 800\n\n");
    write("other.conf", "keep=me\n");
    ConfigFile config(path("nimbrel.conf"));

    config.set("yRes", "600");
    config.save("");
    EXPECT_EQ(read("nimbrel.conf"), "xRes=800\nyRes=600\n");
    EXPECT_EQ(read("other.conf"), "keep=me\n");

    config.set("xRes", "1024");
    config.save(path("third.conf"));
    EXPECT_EQ(read("third.conf"), "xRes=1024\nyRes=600\n");
    EXPECT_EQ(read("nimbrel.conf"), "xRes=800\nyRes=600\n");
    EXPECT_EQ(read("other.conf"), "keep=me\n");
}

TEST_F(ConfigFileTest, SaveToAPlaceThatCannotBeWrittenIsQuiet)
{
    ConfigFile config(path("missing.conf"));
    config.set("xRes", "800");
    config.save(path("no-such-dir/out.conf"));
    EXPECT_FALSE(fs::exists(path("no-such-dir")));
}

TEST_F(ConfigFileTest, SavedStoreReadsBackTheSame)
{
    ConfigFile config(path("missing.conf"));
    config.set("xRes", "800");
    config.set("", "");
    config.set("title", "two  inner\tspaces # and = signs");
    config.set("crlf", "800\r");
    config.set(" lead", "x");
    config.set("high\xFF", "\x01\x7F");
    config.save(path("saved.conf"));

    ConfigFile again(path("saved.conf"));
    EXPECT_EQ(storeOf(again), read("saved.conf"));
    std::string value;
    EXPECT_TRUE(again.get("title", &value));
    EXPECT_EQ(value, "two  inner\tspaces # and = signs");
}

TEST_F(ConfigFileTest, PairsTheLineFormatCannotHoldChangeOnTheWayBack)
{
    struct Case {
        const char* what;
        std::string key, value;
        std::string readBack;  // the store after save and read, as saved again
    };
    const Case cases[] = {
        {"key starting with #", "#x", "1", ""},
        {"key starting with CR", "\rx", "1", ""},
        {"key holding =", "a=b", "c", "a=b=c\n"},
        {"key ending in spaces", "x  ", "1", "x=1\n"},
        {"value with outer spaces", "x", "  1  ", "x=1\n"},
        {"value with a line feed", "x", "1\ny=2", "x=1\ny=2\n"},
        {"key with a line feed", "#a\nb", "1", "b=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigFile config(path("missing.conf"));
        config.set(c.key, c.value);
        config.save(path("saved.conf"));
        ConfigFile again(path("saved.conf"));
        EXPECT_EQ(storeOf(again), c.readBack);
    }
}

// ---------------------------------------------------------------- lookups

TEST_F(ConfigFileTest, TypedLookupsConvertLikeAStream)
{
    struct Case {
        std::string text;
        bool intOk;
        int intValue;
        bool boolOk;
        bool boolValue;
    };
    const Case cases[] = {
        {"1", true, 1, true, true},
        {"0", true, 0, true, false},
        {"640", true, 640, false, false},
        {"-3", true, -3, false, false},
        {"+1", true, 1, true, true},
        {"010", true, 10, false, false},
        {"0x20", true, 0, true, false},
        {"800x600", true, 800, false, false},
        {"1.5", true, 1, true, true},
        {"10 # wide", true, 10, false, false},
        {"\t42", true, 42, false, false},
        {"2147483647", true, 2147483647, false, false},
        {"2147483648", false, 0, false, false},
        {"true", false, 0, false, false},
        {"abc", false, 0, false, false},
        {"", false, 0, false, false},
        // beyond the table: the other end of the range and a lone sign
        {"-2147483648", true, INT_MIN, false, false},
        {"-2147483649", false, 0, false, false},
        {"-", false, 0, false, false},
        {"800\r", true, 800, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stored text \"" + c.text + "\"");
        ConfigFile config(path("missing.conf"));
        config.set("key", c.text);

        int number = -99;
        EXPECT_EQ(config.get("key", &number), c.intOk);
        EXPECT_EQ(number, c.intOk ? c.intValue : -99);

        // Both starting values, so a failed lookup that wrote either one shows.
        for (const bool before : {false, true}) {
            bool flag = before;
            EXPECT_EQ(config.get("key", &flag), c.boolOk);
            EXPECT_EQ(flag, c.boolOk ? c.boolValue : before);
        }
    }
}

TEST_F(ConfigFileTest, TypedLookupReadsValuesFromTheFile)
{
    write("nimbrel.conf", "xRes = 800\r\nshowDrops=true\r\nfullscreen=yes\r\ndropRate=1\r\n");
    ConfigFile config(path("nimbrel.conf"));

    int xRes = 640;
    EXPECT_TRUE(config.get("xRes", &xRes));
    EXPECT_EQ(xRes, 800);
    bool showDrops = false;
    EXPECT_FALSE(config.get("showDrops", &showDrops));
    EXPECT_FALSE(showDrops);
    int fullscreen = 0;
    EXPECT_FALSE(config.get("fullscreen", &fullscreen));
    EXPECT_EQ(fullscreen, 0);
    bool dropRate = false;
    EXPECT_TRUE(config.get("dropRate", &dropRate));
    EXPECT_TRUE(dropRate);
}

TEST_F(ConfigFileTest, FailedLookupKeepsTheTarget)
{
    ConfigFile config(path("missing.conf"));
    config.set("dropRate", "abc");

    int value = 7;
    EXPECT_FALSE(config.get("dropRate", &value));
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(config.get("yRes", &value));
    EXPECT_EQ(value, 7);
}

TEST_F(ConfigFileTest, KeysMatchExactly)
{
    ConfigFile config(path("missing.conf"));
    config.set("xRes", "800");

    for (const char* key : {"xres", "XRes", "xRes ", " xRes", "xRe", ""}) {
        SCOPED_TRACE(std::string("key \"") + key + "\"");
        std::string text = "old";
        int number = 1;
        char buffer[8] = "old";
        EXPECT_FALSE(config.get(key, &text));
        EXPECT_FALSE(config.get(key, &number));
        EXPECT_FALSE(config.get(key, buffer, sizeof buffer));
        EXPECT_EQ(text, "old");
        EXPECT_EQ(number, 1);
        EXPECT_STREQ(buffer, "old");
    }
}

TEST_F(ConfigFileTest, StringLookupGivesTheWholeValue)
{
    ConfigFile config(path("missing.conf"));
    config.set("title", "coloured rain  falls");
    config.set("empty", "");

    // The plain form, not a stream extraction that would stop at a space.
    std::string text = "old";
    EXPECT_TRUE(config.get("title", &text));
    EXPECT_EQ(text, "coloured rain  falls");

    text = "old";
    EXPECT_TRUE(config.get("empty", &text));
    EXPECT_EQ(text, "");

    text = "old";
    EXPECT_FALSE(config.get("missing", &text));
    EXPECT_EQ(text, "old");
}

// A character-buffer lookup must name its size: the two-argument call would
// otherwise compile into the template and read a single char.
template <typename C, typename = void>
struct TakesUnboundedBuffer : std::false_type {};
template <typename C>
struct TakesUnboundedBuffer<C, std::void_t<decltype(std::declval<C&>().get(
                                   std::declval<const std::string&>(), std::declval<char*>()))>>
    : std::true_type {};
static_assert(!TakesUnboundedBuffer<ConfigFile>::value,
              "get(key, char*) must not compile");

TEST_F(ConfigFileTest, BufferLookupCopiesOnlyWhatFits)
{
    struct Case {
        const char* what;
        std::string value;
        size_t size;
        bool ok;
        std::string written;  // bytes expected at the start of the buffer
    };
    const Case cases[] = {
        {"text and NUL", "800", 8, true, std::string("800\0", 4)},
        {"exactly large enough", "800", 4, true, std::string("800\0", 4)},
        {"one byte too small", "800", 3, false, ""},
        {"empty value", "", 1, true, std::string("\0", 1)},
        {"empty value, no room", "", 0, false, ""},
        {"no room at all", "800", 0, false, ""},
        {"stops at a NUL", std::string("ab\0cd", 5), 3, true, std::string("ab\0", 3)},
        {"NUL first", std::string("\0cd", 3), 1, true, std::string("\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigFile config(path("missing.conf"));
        config.set("key", c.value);

        char buffer[16];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(config.get("key", buffer, c.size), c.ok);
        // Nothing past the written bytes changes, on either answer.
        const std::string expected = c.written + std::string(sizeof buffer - c.written.size(), 'Z');
        EXPECT_EQ(std::string(buffer, sizeof buffer), expected);
    }
}

} // namespace
