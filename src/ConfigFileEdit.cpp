// SPDX-License-Identifier: MIT
#include "ConfigFileEdit.h"
#include "RegularFile.h"
#include "TextEncoding.h"

namespace {

// As large a file as ConfigFile reads; a larger one is not cut short here.
constexpr size_t MAX_FILE_BYTES = 1 << 20;

// The key a line sets, as ConfigFile reads it; false for a line that sets none.
bool keyOf(const std::string& line, std::string* key)
{
    if (line.empty() || line[0] == '#' || line[0] == '\r')
        return false;
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    size_t end = equals;
    while (end > 0 && line[end - 1] == ' ')
        --end;
    *key = line.substr(0, end);
    return true;
}

} // namespace

std::string ConfigFileEdit::apply(const std::string& bytes, const Changes& changes)
{
    const TextEncoding::Kind kind = TextEncoding::of(bytes);
    const std::string text = TextEncoding::toUtf8(bytes);

    std::vector<std::string> lines;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    const bool endsWithLineFeed = !text.empty() && text.back() == '\n';
    const bool crlf = !lines.empty() && text.size() > lines[0].size() && !lines[0].empty() && lines[0].back() == '\r';

    bool added = false;
    for (const auto& [key, value] : changes) {
        size_t found = lines.size();
        std::string lineKey;
        for (size_t i = 0; i < lines.size(); ++i)
            if (keyOf(lines[i], &lineKey) && lineKey == key)
                found = i;
        if (found < lines.size()) {
            const bool carriageReturn = !lines[found].empty() && lines[found].back() == '\r';
            lines[found] = key + "=" + value + (carriageReturn ? "\r" : "");
        } else {
            lines.push_back(key + "=" + value + (crlf ? "\r" : ""));
            added = true;
        }
    }

    std::string edited;
    for (size_t i = 0; i < lines.size(); ++i)
        edited += (i == 0 ? "" : "\n") + lines[i];
    if (endsWithLineFeed || added)
        edited += '\n';
    return TextEncoding::fromUtf8(edited, kind);
}

bool ConfigFileEdit::applyTo(const std::string& path, const Changes& changes)
{
    std::string bytes;
    bool truncated = false;
    if (!RegularFile::read(path, MAX_FILE_BYTES, &bytes, &truncated)) {
        if (RegularFile::holdsAFile(path))
            return false;
        bytes.clear();
    }
    return !truncated && RegularFile::write(path, apply(bytes, changes));
}
