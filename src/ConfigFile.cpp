// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "ConfigFolders.h"

#include <cstring>
#include <fstream>

#include <sys/stat.h>

namespace {

bool holdsAFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace

std::string ConfigFile::locate(const std::string& fileName)
{
    if (holdsAFile(fileName))
        return fileName;

    for (const std::string& folder : ConfigFolders::searched()) {
        const std::string path = folder + fileName;
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
    // Bytes as they are, on every system: Windows' text mode would take the
    // carriage returns out of the values, and put them into what save writes.
    std::ifstream file(fileName, std::ios::binary);
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
    std::ofstream file(fileName.empty() ? this->fileName : fileName, std::ios::binary);
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
