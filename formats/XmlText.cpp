#include "formats/XmlText.h"

#include "settings/CodePage.h"

#include <optional>
#include <utility>

namespace deckshift::formats {

namespace {

std::string_view escapeOf(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return {};
    }
}

/// The character of a reference "&#NNN;" or "&#xHHH;" at the start of `text`, and its length;
/// nullopt when `text` starts with no such reference to a Unicode character.
std::optional<char32_t> characterReference(std::string_view text, std::size_t& length) {
    if (!text.starts_with("&#"))
        return std::nullopt;
    std::size_t pos = 2;
    const bool hex = pos < text.size() && (text[pos] == 'x');
    if (hex)
        ++pos;
    const std::size_t digits = pos;
    char32_t code = 0;
    for (; pos < text.size() && text[pos] != ';'; ++pos) {
        const int digit = hex ? settings::hexDigit(text[pos])
                              : (text[pos] >= '0' && text[pos] <= '9' ? text[pos] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        code = code * (hex ? 16u : 10u) + static_cast<char32_t>(digit);
        if (code > 0x10FFFF)
            return std::nullopt;
    }
    if (pos == digits || pos == text.size() || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    length = pos + 1;
    return code;
}

} // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
    // Most paths hold nothing to escape: looked for over the whole text first, which the compiler
    // does many bytes at a time, and then appended in one piece.
    unsigned found = 0;
    for (char c : text)
        found |= static_cast<unsigned>((c == '&') | (c == '<') | (c == '>') | (c == '"'));
    if (found == 0) {
        out.append(text);
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view escape = escapeOf(text[i]);
        if (escape.empty())
            continue;
        out.append(text.data() + start, i - start);
        out.append(escape);
        start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
}

void decodeXmlText(std::string_view text, std::string& out, char32_t* unheld) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
    };
    out.clear();
    std::size_t start = 0;
    for (auto amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', start)) {
        out.append(text.data() + start, amp - start);
        const std::string_view at = text.substr(amp);
        start = amp + 1;
        bool decoded = false;
        for (const auto& [entity, c] : kEntities) {
            if (at.starts_with(entity)) {
                out += c;
                start = amp + entity.size();
                decoded = true;
                break;
            }
        }
        if (decoded)
            continue;
        std::size_t length = 0;
        if (const auto code = characterReference(at, length)) {
            std::string utf8;
            settings::appendUtf8(utf8, *code);
            if (const auto byte = settings::utf8ToCodePage(utf8)) {
                out += *byte;
                start = amp + length;
                continue;
            }
            if (unheld && *unheld == 0)
                *unheld = *code;
        }
        out += '&';
    }
    out.append(text.data() + start, text.size() - start);
}

} // namespace deckshift::formats
