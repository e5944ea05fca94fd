// SPDX-License-Identifier: MIT
#include "TextEncoding.h"

namespace {

const char UTF8_MARK[] = "\xEF\xBB\xBF";
constexpr char32_t REPLACEMENT = 0xFFFD;

void appendUtf8(std::string* text, char32_t c)
{
    if (c < 0x80) {
        *text += static_cast<char>(c);
    } else if (c < 0x800) {
        *text += static_cast<char>(0xC0 | c >> 6);
        *text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *text += static_cast<char>(0xE0 | c >> 12);
        *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *text += static_cast<char>(0xF0 | c >> 18);
        *text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string fromUtf16(const std::string& bytes, bool bigEndian)
{
    const auto unit = [&](size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = REPLACEMENT;
        }
        appendUtf8(&text, c);
    }
    return text;
}

// The code point that starts at text[*i], moving *i past it; a byte that
// starts no well-formed sequence is U+FFFD on its own.
char32_t nextCodePoint(const std::string& text, size_t* i)
{
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(*i);
    const size_t length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (size_t k = 1; k < length; ++k) {
        if (*i + k >= text.size() || byte(*i + k) >> 6 != 2)
            return ++*i, REPLACEMENT;
        c = c << 6 | (byte(*i + k) & 0x3F);
    }
    if (length == 0 || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
        return ++*i, REPLACEMENT;
    *i += length;
    return c;
}

} // namespace

TextEncoding::Kind TextEncoding::of(const std::string& bytes)
{
    if (bytes.compare(0, 3, UTF8_MARK) == 0)
        return Kind::Utf8WithMark;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return Kind::Utf16LittleEndian;
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return Kind::Utf16BigEndian;
    return Kind::Plain;
}

std::string TextEncoding::toUtf8(const std::string& bytes)
{
    switch (of(bytes)) {
    case Kind::Utf8WithMark:
        return bytes.substr(3);
    case Kind::Utf16LittleEndian:
        return fromUtf16(bytes, false);
    case Kind::Utf16BigEndian:
        return fromUtf16(bytes, true);
    case Kind::Plain:
        break;
    }
    return bytes;
}

std::string TextEncoding::fromUtf8(const std::string& text, Kind kind)
{
    if (kind == Kind::Plain)
        return text;
    if (kind == Kind::Utf8WithMark)
        return UTF8_MARK + text;
    const bool bigEndian = kind == Kind::Utf16BigEndian;
    std::string bytes;
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    put(0xFEFF);
    for (size_t i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, &i);
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return bytes;
}
