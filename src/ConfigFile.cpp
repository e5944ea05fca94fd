// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "ConfigFolders.h"
#include "RegularFile.h"
#include "TextEncoding.h"

#include <cstring>
#include <string_view>

namespace {

// No settings file comes near this; a pipe or a device that never ends stops
// here instead of filling the memory.
constexpr size_t MAX_FILE_BYTES = 1 << 20;

} // namespace

std::string ConfigFile::locate(const std::string& fileName)
{
    if (RegularFile::holdsAFile(fileName))
        return fileName;

    for (const std::string& folder : ConfigFolders::searched()) {
        const std::string path = folder + fileName;
        if (RegularFile::holdsAFile(path))
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
    // Bytes as they are, on every system (no text mode), and only from a
    // regular file.
    std::string text;
    bool truncated = false;
    if (!RegularFile::read(fileName, MAX_FILE_BYTES, &text, &truncated))
        return;
    text = TextEncoding::toUtf8(text);
    // A line that the bound cuts off is not read at all: its first part
    // could read as another value.
    if (truncated) {
        const size_t lastEnd = text.rfind('\n');
        text.erase(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }

    // A file that ends with a line feed has an empty last line, skipped
    // like any empty line.
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + begin, end - begin);
        begin = end + 1;
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

        settings[std::string(line.substr(0, keyEnd))] = line.substr(valueBegin, valueEnd - valueBegin);
    }
}

void ConfigFile::set(const std::string& key, const std::string& value)
{
    settings[key] = value;
}

void ConfigFile::save(const std::string& fileName)
{
    std::string text;
    for (const auto& pair : settings)
        text += pair.first + '=' + pair.second + '\n';
    RegularFile::write(fileName.empty() ? this->fileName : fileName, text);
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
