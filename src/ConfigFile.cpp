// SPDX-License-Identifier: MIT
#include "ConfigFile.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <sys/stat.h>

namespace {

// The folder of nimbrel's own under each XDG configuration folder.
const char* const CONFIG_FOLDER = "/nimbrel/";

bool holdsAFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

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

std::string ConfigFile::locate(const std::string& fileName)
{
    if (holdsAFile(fileName))
        return fileName;

    std::vector<std::string> folders;
    std::string userFolder = environment("XDG_CONFIG_HOME");
    if (!usableFolder(userFolder)) {
        const std::string home = environment("HOME");
        userFolder = home.empty() ? std::string() : home + "/.config";
    }
    if (!userFolder.empty())
        folders.push_back(userFolder);

    std::string systemFolders = environment("XDG_CONFIG_DIRS");
    if (systemFolders.empty())
        systemFolders = "/etc/xdg";
    size_t begin = 0;
    for (;;) {
        const size_t end = systemFolders.find(':', begin);
        const std::string folder = systemFolders.substr(begin, end == std::string::npos ? end : end - begin);
        if (usableFolder(folder))
            folders.push_back(folder);
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }

    for (const std::string& folder : folders) {
        const std::string path = folder + CONFIG_FOLDER + fileName;
        if (holdsAFile(path))
            return path;
    }
    return fileName;
}

ConfigFile::ConfigFile(const std::string& fileName)
    : fileName(fileName)
{
    readSettings();
}

void ConfigFile::readSettings()
{
    std::ifstream file(fileName);
    if (!file)
        return;

    // Loop on the read itself, not on eof(): a read error (a directory opens
    // fine on Linux and then fails every read) never reaches end-of-file.
    // At a trailing line feed getline fails instead of producing an empty
    // last line, which would have been skipped anyway.
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#' || line[0] == '\r')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;

        // Only the space character is trimmed, and only next to the "=" and
        // at the end of the line; leading spaces belong to the key.
        size_t keyEnd = equals;
        while (keyEnd > 0 && line[keyEnd - 1] == ' ')
            --keyEnd;
        size_t valueBegin = equals + 1;
        while (valueBegin < line.size() && line[valueBegin] == ' ')
            ++valueBegin;
        size_t valueEnd = line.size();
        while (valueEnd > valueBegin && line[valueEnd - 1] == ' ')
            --valueEnd;

        settings[line.substr(0, keyEnd)] = line.substr(valueBegin, valueEnd - valueBegin);
    }
}

void ConfigFile::set(const std::string& key, const std::string& value)
{
    settings[key] = value;
}

void ConfigFile::save(const std::string& fileName)
{
    std::ofstream file(fileName.empty() ? this->fileName : fileName);
    if (!file)
        return;
    for (const auto& pair : settings)
        file << pair.first << '=' << pair.second << '\n';
}

bool ConfigFile::get(const std::string& key, std::string* value)
{
    const auto found = settings.find(key);
    if (found == settings.end())
        return false;
    *value = found->second;
    return true;
}

bool ConfigFile::get(const std::string& key, char* buffer, size_t size)
{
    const auto found = settings.find(key);
    if (found == settings.end())
        return false;
    const std::string& text = found->second;
    size_t length = text.find('\0');
    if (length == std::string::npos)
        length = text.size();
    if (length >= size)  // no room for the text and its NUL
        return false;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return true;
}
