// SPDX-License-Identifier: MIT
// %APPDATA%\nimbrel\, the user's roaming settings.
#include "ConfigFolders.h"

#include <cstdlib>

std::vector<std::string> ConfigFolders::searched()
{
    const char* appData = std::getenv("APPDATA");
    if (appData == nullptr || *appData == '\0')
        return {};
    return {std::string(appData) + "\\nimbrel\\"};
}
