// SPDX-License-Identifier: MIT
// On Windows a name in a folder is a file or a folder: pipes and devices
// have names of their own, so the type is known before the open. Names go
// to Windows as UTF-16, whatever the ANSI code page.
#include "RegularFile.h"
#include "WideText.h"

#include <cstdio>

#include <windows.h>

bool RegularFile::read(const std::string& path, size_t limit, std::string* text, bool* truncated)
{
    const std::wstring name = WideText::fromUtf8(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    std::FILE* file = _wfopen(name.c_str(), L"rb");
    if (file == nullptr)
        return false;
    // One byte past the limit tells a file that holds more from one that
    // ends there.
    text->assign(limit + 1, '\0');
    text->resize(std::fread(&(*text)[0], 1, limit + 1, file));
    std::fclose(file);
    *truncated = text->size() > limit;
    if (*truncated)
        text->resize(limit);
    return true;
}

bool RegularFile::holdsAFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WideText::fromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RegularFile::write(const std::string& path, const std::string& bytes)
{
    std::FILE* file = _wfopen(WideText::fromUtf8(path).c_str(), L"wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
