// SPDX-License-Identifier: MIT
#include "WideText.h"

#include <cstdlib>

#include <windows.h>

std::wstring WideText::fromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::string WideText::toUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

std::string WideText::environment(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value == nullptr ? std::string() : toUtf8(value);
}
