// SPDX-License-Identifier: MIT
#include "ConfigFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Every test gets a fresh directory of its own and loses it afterwards.
class ConfigFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = testing::TempDir() + "nimbrel-config-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
        dir = pattern;
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good()) << name;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        EXPECT_TRUE(in.is_open()) << name;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The whole store as save() writes it, so a test can see every pair at
    // once, including ones it did not think of looking up.
    std::string storeOf(ConfigFile& config) const
    {
        config.save(path("store.out"));
        return read("store.out");
    }

    fs::path dir;
};

std::string spaces(int n) { return std::string(n, ' '); }

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
// The child process gets an alarm so that a spin fails the test instead of
// hanging the run.
TEST_F(ConfigFileTest, DirectoryAsSettingsFileGivesAnEmptyStore)
{
    ASSERT_TRUE(fs::create_directory(path("nimbrel.conf")));
    const std::string dirName = path("nimbrel.conf");
    const std::string out = path("store.out");
    EXPECT_EXIT(
        {
            alarm(10);
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

// ---------------------------------------------------------------- locating

// Lays out a working directory, a home, an XDG_CONFIG_HOME and two system
// folders under the test's directory, points the environment at them and
// puts everything back afterwards.
class ConfigLocationTest : public ConfigFileTest {
protected:
    void SetUp() override
    {
        ConfigFileTest::SetUp();
        for (const char* name : VARIABLES) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value == nullptr ? std::optional<std::string>()
                                                      : std::optional<std::string>(value));
        }
        oldWorkingDir = fs::current_path();
        for (const char* folder : {"work", "home", "xdg", "sys1", "sys2"})
            fs::create_directory(dir / folder);
        fs::current_path(dir / "work");
    }

    void TearDown() override
    {
        fs::current_path(oldWorkingDir);
        for (const auto& [name, value] : saved) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
        ConfigFileTest::TearDown();
    }

    // A value of nullptr unsets the variable.
    static void setVariable(const char* name, const std::string* value)
    {
        if (value == nullptr)
            unsetenv(name);
        else
            setenv(name, value->c_str(), 1);
    }

    // Writes `bytes` to the settings file of `folder`, a folder under the
    // test's directory, or "." for the working directory itself.
    void putSettings(const std::string& folder, const std::string& bytes) const
    {
        const fs::path file = folder == "." ? dir / "work" / "nimbrel.conf"
                                            : dir / folder / "nimbrel" / "nimbrel.conf";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << bytes;
    }

    static constexpr const char* VARIABLES[] = {"HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    fs::path oldWorkingDir;
};

TEST_F(ConfigLocationTest, TakesTheFirstPlaceThatHoldsASettingsFile)
{
    const std::string home = (dir / "home").string();
    const std::string xdg = (dir / "xdg").string();
    const std::string systemDirs = (dir / "sys1").string() + ":" + (dir / "sys2").string();
    const std::string empty;
    const std::string relative = "xdg";
    const std::string withGaps = "::" + (dir / "sys2").string() + ":";
    const std::string relativeFirst = "sys1:" + (dir / "sys2").string();
    struct Case {
        const char* what;
        std::vector<std::string> filesIn;  // "." = the working directory, else a folder
        const std::string* xdgConfigHome;  // nullptr = unset
        const std::string* xdgConfigDirs;
        const std::string* homeVariable;
        std::string expected;              // as filesIn; "" = none found
        std::vector<std::string> directoriesIn = {};  // a directory named nimbrel.conf
    };
    const Case cases[] = {
        {"everything there: the working directory wins",
         {".", "xdg", "home/.config", "sys1", "sys2"}, &xdg, &systemDirs, &home, "."},
        {"no file in the working directory: XDG_CONFIG_HOME",
         {"xdg", "home/.config", "sys1", "sys2"}, &xdg, &systemDirs, &home, "xdg"},
        {"none in XDG_CONFIG_HOME either: the first XDG_CONFIG_DIRS folder",
         {"home/.config", "sys1", "sys2"}, &xdg, &systemDirs, &home, "sys1"},
        {"none in the first system folder: the second",
         {"home/.config", "sys2"}, &xdg, &systemDirs, &home, "sys2"},
        {"no file anywhere: the bare name, read as missing",
         {"home/.config"}, &xdg, &systemDirs, &home, ""},
        {"XDG_CONFIG_HOME unset: ~/.config",
         {"xdg", "home/.config", "sys1"}, nullptr, &systemDirs, &home, "home/.config"},
        {"XDG_CONFIG_HOME empty counts as unset",
         {"xdg", "home/.config", "sys1"}, &empty, &systemDirs, &home, "home/.config"},
        {"XDG_CONFIG_HOME relative counts as unset",
         {"work/xdg", "home/.config", "sys1"}, &relative, &systemDirs, &home, "home/.config"},
        {"neither XDG_CONFIG_HOME nor HOME: the system folders",
         {"xdg", "sys1"}, nullptr, &systemDirs, nullptr, "sys1"},
        {"empty entries of XDG_CONFIG_DIRS are skipped",
         {"sys2"}, &xdg, &withGaps, &home, "sys2"},
        {"relative entries of XDG_CONFIG_DIRS are skipped",
         {"work/sys1", "sys2"}, &xdg, &relativeFirst, &home, "sys2"},
        {"directories named like the file are passed over",
         {"sys1"}, &xdg, &systemDirs, &home, "sys1", {".", "xdg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* folder : {"work", "home", "xdg", "sys1", "sys2"}) {
            fs::remove_all(dir / folder);
            fs::create_directory(dir / folder);
        }
        fs::current_path(dir / "work");  // the old one is gone
        for (const std::string& folder : c.filesIn)
            putSettings(folder, "from=" + folder + "\n");
        for (const std::string& folder : c.directoriesIn)
            fs::create_directories(folder == "." ? dir / "work" / "nimbrel.conf"
                                                 : dir / folder / "nimbrel" / "nimbrel.conf");
        setVariable("XDG_CONFIG_HOME", c.xdgConfigHome);
        setVariable("XDG_CONFIG_DIRS", c.xdgConfigDirs);
        setVariable("HOME", c.homeVariable);

        const std::string found = ConfigFile::locate("nimbrel.conf");
        if (c.expected.empty() || c.expected == ".")
            EXPECT_EQ(found, "nimbrel.conf");
        else
            EXPECT_EQ(found, (dir / c.expected / "nimbrel" / "nimbrel.conf").string());
        // The store holds that one file and nothing of the others.
        ConfigFile config(found);
        EXPECT_EQ(storeOf(config), c.expected.empty() ? "" : "from=" + c.expected + "\n");
    }
}

TEST_F(ConfigLocationTest, WithoutXdgConfigDirsLooksInEtcXdg)
{
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    for (const std::string& unsetOrEmpty : {std::string("unset"), std::string("empty")}) {
        SCOPED_TRACE(unsetOrEmpty);
        if (unsetOrEmpty == "unset")
            unsetenv("XDG_CONFIG_DIRS");
        else
            setenv("XDG_CONFIG_DIRS", "", 1);
        // The machine's own file may or may not be there; this test does not
        // write into /etc.
        const std::string system = "/etc/xdg/nimbrel/nimbrel.conf";
        EXPECT_EQ(ConfigFile::locate("nimbrel.conf"), fs::exists(system) ? system : "nimbrel.conf");
    }
}

} // namespace
