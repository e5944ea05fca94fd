// SPDX-License-Identifier: MIT
#ifndef NIMBREL_TEXTENCODING_H
#define NIMBREL_TEXTENCODING_H

#include <string>

// How Windows editors save a text file: Notepad's "UTF-8 with BOM" and
// "Unicode" begin with a byte-order mark, which is no part of the text. The
// program works on UTF-8 and writes a file back the way it found it.
class TextEncoding {
public:
    enum class Kind { Plain, Utf8WithMark, Utf16LittleEndian, Utf16BigEndian };

    static Kind of(const std::string& bytes);
    // The text without its mark, UTF-16 made UTF-8: a surrogate without its
    // partner becomes U+FFFD, an odd last byte is dropped.
    static std::string toUtf8(const std::string& bytes);
    // UTF-8 text as a file of that kind, mark included.
    static std::string fromUtf8(const std::string& text, Kind kind);
};

#endif
