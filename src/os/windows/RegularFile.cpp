// SPDX-License-Identifier: MIT
// On Windows a name in a folder is a file or a folder: pipes and devices
// have names of their own, so the type is known before the open.
#include "RegularFile.h"

#include <filesystem>
#include <fstream>

bool RegularFile::read(const std::string& path, size_t limit, std::string* text, bool* truncated)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    // One byte past the limit tells a file that holds more from one that
    // ends there.
    text->assign(limit + 1, '\0');
    file.read(&(*text)[0], static_cast<std::streamsize>(limit + 1));
    text->resize(static_cast<size_t>(file.gcount()));
    *truncated = text->size() > limit;
    if (*truncated)
        text->resize(limit);
    return true;
}
