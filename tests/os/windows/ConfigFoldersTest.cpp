// SPDX-License-Identifier: MIT
// The settings file's places on Windows: the working directory, then
// %APPDATA%\nimbrel\.
#include "ConfigFileFixture.h"

#include <cstdlib>

namespace {

TEST_F(ConfigFileTest, LooksInTheWorkingDirectoryThenInAppData)
{
    const fs::path oldWorkingDir = fs::current_path();
    const char* oldAppData = std::getenv("APPDATA");
    const std::string savedAppData = oldAppData ? oldAppData : "";
    fs::create_directories(dir / "work");
    fs::create_directories(dir / "roaming" / "nimbrel");
    fs::current_path(dir / "work");
    _putenv_s("APPDATA", (dir / "roaming").string().c_str());
    const std::string inAppData = (dir / "roaming").string() + "\\nimbrel\\nimbrel.conf";

    EXPECT_EQ(ConfigFile::locate("nimbrel.conf"), "nimbrel.conf"); // none anywhere
    std::ofstream(inAppData) << "from=appdata\n";
    EXPECT_EQ(ConfigFile::locate("nimbrel.conf"), inAppData);
    std::ofstream("nimbrel.conf") << "from=work\n";
    EXPECT_EQ(ConfigFile::locate("nimbrel.conf"), "nimbrel.conf");
    fs::remove("nimbrel.conf");
    _putenv_s("APPDATA", ""); // unset
    EXPECT_EQ(ConfigFile::locate("nimbrel.conf"), "nimbrel.conf");

    _putenv_s("APPDATA", savedAppData.c_str());
    fs::current_path(oldWorkingDir);
}

} // namespace
