// SPDX-License-Identifier: MIT
// ${XDG_CONFIG_HOME:-$HOME/.config}, then each of ${XDG_CONFIG_DIRS:-/etc/xdg}.
#include "ConfigFolders.h"

#include <cstdlib>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// XDG takes an empty or relative folder for one that is not set.
bool usableFolder(const std::string& folder)
{
    return !folder.empty() && folder[0] == '/';
}

} // namespace

std::vector<std::string> ConfigFolders::searched()
{
    std::vector<std::string> folders;
    std::string userFolder = environment("XDG_CONFIG_HOME");
    if (!usableFolder(userFolder)) {
        const std::string home = environment("HOME");
        userFolder = home.empty() ? std::string() : home + "/.config";
    }
    if (!userFolder.empty())
        folders.push_back(userFolder + "/nimbrel/");

    std::string systemFolders = environment("XDG_CONFIG_DIRS");
    if (systemFolders.empty())
        systemFolders = "/etc/xdg";
    size_t begin = 0;
    for (;;) {
        const size_t end = systemFolders.find(':', begin);
        const std::string folder = systemFolders.substr(begin, end == std::string::npos ? end : end - begin);
        if (usableFolder(folder))
            folders.push_back(folder + "/nimbrel/");
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return folders;
}
