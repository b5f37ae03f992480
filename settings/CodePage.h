#pragma once
// The 8-bit code page the DJ applications' files are written in, and conversions between it and
// Unicode. The code page is the ANSI code page on Windows and Windows-1252 elsewhere.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::settings {

/// The Unicode character of a Windows-1252 byte. The five bytes the code page leaves undefined
/// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, as
/// Windows converts them.
char32_t cp1252ToUnicode(unsigned char byte);

/// The Windows-1252 byte of a Unicode character; nullopt when the code page has none.
std::optional<char> unicodeToCp1252(char32_t code);

/// Decodes the next UTF-8 sequence of `text` at `pos` and moves `pos` past it; nullopt (and `pos`
/// unchanged) for a malformed, overlong or truncated sequence or a surrogate.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos);

/// Appends the UTF-8 form of `code`.
void appendUtf8(std::string& out, char32_t code);

/// True when `text` is valid UTF-8.
bool isValidUtf8(std::string_view text);

/// True when `text` is valid UTF-8 and holds at least one multi-byte sequence.
bool isUtf8WithMultibyte(std::string_view text);

/// Converts UTF-8 text into the 8-bit code page. nullopt when the text is not valid UTF-8 or
/// holds a character the code page cannot hold; `bad` then receives that character (U+FFFD for
/// bytes that are not UTF-8).
std::optional<std::string> utf8ToCodePage(std::string_view text, char32_t* bad = nullptr);

/// Converts text in the 8-bit code page into UTF-8. Every byte has a character, so this cannot
/// fail.
std::string codePageToUtf8(std::string_view text);

/// Converts UTF-16 code units to Windows-1252 bytes, "?" for each character that code page lacks
/// (one for a surrogate pair). The five bytes the code page leaves undefined come from the control
/// characters of the same number, as Windows converts them.
std::string toAnsi1252(std::u16string_view text);

/// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other character.
int hexDigit(char c);

/// True where text is shown in UTF-8 (a terminal, the names on disk); on Windows it is shown in the
/// ANSI code page. The engines' messages are in the 8-bit code page everywhere, as the names in
/// them are; a front end converts them for display.
#ifdef _WIN32
inline constexpr bool kShownInUtf8 = false;
#else
inline constexpr bool kShownInUtf8 = true;
#endif

/// "U+3042" for a character, as messages name it, followed by a blank and the character itself in
/// UTF-8 between quotes when `withCharacter` and it can be shown. The default leaves the character
/// out, as an engine's message in the code page must: a character a message names is one the
/// code page lacks.
std::string describeCharacter(char32_t code, bool withCharacter = false);

} // namespace deckshift::settings
