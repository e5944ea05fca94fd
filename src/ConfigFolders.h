// SPDX-License-Identifier: MIT
#ifndef NIMBREL_CONFIGFOLDERS_H
#define NIMBREL_CONFIGFOLDERS_H

#include <string>
#include <vector>

// Where a user's and the machine's settings live, which each operating system
// says in its own way: XDG's folders on POSIX systems, %APPDATA% on Windows.
// One implementation for each, in os/posix/ and os/windows/.
class ConfigFolders {
public:
    // nimbrel's own folder in each, most personal first, each ending in the
    // system's separator so that a file name can follow.
    static std::vector<std::string> searched();
};

#endif
