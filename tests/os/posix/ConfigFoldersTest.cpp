// SPDX-License-Identifier: MIT
// The settings file's places on POSIX systems: the working directory, then
// XDG's folders.
#include "ConfigFileFixture.h"

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace {

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
