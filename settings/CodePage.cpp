#include "settings/CodePage.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace deckshift::settings {

namespace {

/// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

#ifdef _WIN32
std::wstring utf8ToWide(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}
#endif

} // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char16_t mapped = kCp1252High[byte - 0x80];
    return mapped != 0 ? mapped : byte;
}

std::optional<char> unicodeToCp1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (unsigned k = 0; k < 32; ++k) {
        const char32_t unicode = kCp1252High[k] != 0 ? kCp1252High[k] : 0x80 + k;
        if (unicode == code)
            return static_cast<char>(0x80 + k);
    }
    return std::nullopt;
}

std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos) {
    if (pos >= text.size())
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0u) == 0xC0u) {
        length = 2;
        code = lead & 0x1Fu;
    } else if ((lead & 0xF0u) == 0xE0u) {
        length = 3;
        code = lead & 0x0Fu;
    } else if ((lead & 0xF8u) == 0xF0u) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (pos + length > text.size())
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0u) != 0x80u)
            return std::nullopt;
        code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    pos += length;
    return code;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (!decodeUtf8(text, pos))
            return false;
    }
    return true;
}

bool isUtf8WithMultibyte(std::string_view text) {
    bool multibyte = false;
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (!decodeUtf8(text, pos))
            return false;
        multibyte = true;
    }
    return multibyte;
}

std::optional<std::string> utf8ToCodePage(std::string_view text, char32_t* bad) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++pos;
            continue;
        }
        const auto code = decodeUtf8(text, pos);
        if (!code) {
            if (bad)
                *bad = 0xFFFD;
            return std::nullopt;
        }
#ifdef _WIN32
        // The ANSI code page of the system, without best-fit replacements: a character it lacks
        // is refused, never turned into a look-alike.
        std::string one;
        appendUtf8(one, *code);
        const std::wstring wide = utf8ToWide(one);
        char buffer[8] = {};
        BOOL usedDefault = FALSE;
        const bool utf8Ansi = GetACP() == CP_UTF8;
        const int n = WideCharToMultiByte(CP_ACP, utf8Ansi ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(),
                                          static_cast<int>(wide.size()), buffer, sizeof buffer,
                                          nullptr, utf8Ansi ? nullptr : &usedDefault);
        if (n <= 0 || usedDefault) {
            if (bad)
                *bad = *code;
            return std::nullopt;
        }
        out.append(buffer, static_cast<std::size_t>(n));
#else
        const auto mapped = unicodeToCp1252(*code);
        if (!mapped) {
            if (bad)
                *bad = *code;
            return std::nullopt;
        }
        out += *mapped;
#endif
    }
    return out;
}

std::string codePageToUtf8(std::string_view text) {
#ifdef _WIN32
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
#else
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            appendUtf8(out, cp1252ToUnicode(byte));
    }
    return out;
#endif
}

std::string toAnsi1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            // One character outside the code page, in two code units.
            ++i;
            out += '?';
            continue;
        }
        // The five bytes the code page leaves undefined map to the same control characters and
        // back, as Windows converts them.
        const auto mapped = unicodeToCp1252(c);
        out += mapped ? *mapped : '?';
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string describeCharacter(char32_t code, bool withCharacter) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
    std::string text = buffer;
    if (withCharacter && code >= 0x20 && code != 0xFFFD && code != 0x7F) {
        text += " \"";
        appendUtf8(text, code);
        text += "\"";
    }
    return text;
}

} // namespace deckshift::settings
