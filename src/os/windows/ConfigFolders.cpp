// SPDX-License-Identifier: MIT
// %APPDATA%\nimbrel\, the user's roaming settings.
#include "ConfigFolders.h"
#include "WideText.h"

std::vector<std::string> ConfigFolders::searched()
{
    const std::string appData = WideText::environment(L"APPDATA");
    if (appData.empty())
        return {};
    return {appData + "\\nimbrel\\"};
}
