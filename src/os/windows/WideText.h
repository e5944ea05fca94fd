// SPDX-License-Identifier: MIT
#ifndef NIMBREL_WIDETEXT_H
#define NIMBREL_WIDETEXT_H

#include <string>

// The core keeps text, paths included, in UTF-8; Windows' own text is
// UTF-16. Its narrow ("A") calls would go through the ANSI code page, which
// cannot name a folder of C:\users\Дмитрий on a Western system.
class WideText {
public:
    static std::wstring fromUtf8(const std::string& text);
    static std::string toUtf8(const std::wstring& text);
    // An environment variable's value in UTF-8; "" when it is not set.
    static std::string environment(const wchar_t* name);
};

#endif
