#include "formats/M3uEncoding.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace deckshift::formats {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

std::size_t readFully(ByteSource& source, char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = source.read(buffer + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

/// Streams UTF-8 validation over blocks: a sequence cut at a block's end is finished with the
/// next block.
class Utf8Scan {
public:
    void feed(std::string_view block) {
        if (!m_valid)
            return;
        // Only the few bytes of a sequence cut at the end of the last block are carried over.
        if (!m_carry.empty()) {
            const std::size_t take = std::min<std::size_t>(block.size(), 4);
            m_carry.append(block.substr(0, take));
            const std::size_t used = scan(m_carry);
            if (!m_valid)
                return;
            if (used < m_carry.size() - take) {
                // The carried sequence still lacks bytes: the block was shorter than it.
                m_carry.erase(0, used);
                return;
            }
            block.remove_prefix(used - (m_carry.size() - take));
            m_carry.clear();
        }
        const std::size_t used = scan(block);
        if (m_valid)
            m_carry.assign(block.substr(used));
    }
    bool finish() const { return m_valid && m_carry.empty() && m_multibyte; }

private:
    // Checks `text` up to a sequence cut at its end; returns how far it got.
    std::size_t scan(std::string_view text) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            // ASCII 32 and then eight bytes at a time: most of a playlist is ASCII.
            while (pos + 32 <= text.size()) {
                std::uint64_t words[4];
                std::memcpy(words, text.data() + pos, 32);
                if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull)
                    break;
                pos += 32;
            }
            while (pos + 8 <= text.size()) {
                std::uint64_t word;
                std::memcpy(&word, text.data() + pos, 8);
                if (word & 0x8080808080808080ull)
                    break;
                pos += 8;
            }
            if (pos == text.size())
                break;
            const auto lead = static_cast<unsigned char>(text[pos]);
            if (lead < 0x80) {
                ++pos;
                continue;
            }
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (pos + length > text.size() && incompleteButSound(text.substr(pos)))
                break; // wait for the rest
            if (!settings::decodeUtf8(text, pos)) {
                m_valid = false;
                return pos;
            }
            m_multibyte = true;
        }
        return pos;
    }

    static bool incompleteButSound(std::string_view tail) {
        const auto lead = static_cast<unsigned char>(tail[0]);
        if (lead < 0xC2 || lead > 0xF4)
            return false;
        for (std::size_t i = 1; i < tail.size(); ++i) {
            if ((static_cast<unsigned char>(tail[i]) & 0xC0u) != 0x80u)
                return false;
        }
        return true;
    }
    std::string m_carry;
    bool m_valid = true;
    bool m_multibyte = false;
};

} // namespace

bool isM3u8Name(std::string_view name) {
    constexpr std::string_view kExt = ".m3u8";
    return name.size() >= kExt.size() &&
           settings::equalsIgnoringCase(name.substr(name.size() - kExt.size()), kExt);
}

TextEncoding detectM3uEncoding(ByteSource& source, std::string_view name, EncodingChoice choice) {
    std::array<char, 3> head{};
    const std::size_t n = readFully(source, head.data(), head.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
    TextEncoding found = TextEncoding::EightBit;
    bool decided = true;
    if (n >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
        found = TextEncoding::Utf16Le;
    else if (n >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        found = TextEncoding::Utf16Be;
    else if (choice == EncodingChoice::Utf8)
        found = TextEncoding::Utf8;
    else if (choice == EncodingChoice::EightBit)
        found = TextEncoding::EightBit;
    else if ((n == 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) || isM3u8Name(name))
        found = TextEncoding::Utf8;
    else
        decided = false;
    if (!decided) {
        Utf8Scan scan;
        // (Copied out of the small array, which the compiler would otherwise see scanned by
        // words wider than itself, on a path it cannot tell is never taken.)
        scan.feed(std::string(head.data(), n));
        // Bytes held in memory are scanned where they lie.
        if (std::string_view held; source.takeHeld(held)) {
            scan.feed(held);
        } else {
            std::vector<char> block(kBlock);
            for (std::size_t got; (got = source.read(block.data(), block.size())) > 0;)
                scan.feed(std::string_view(block.data(), got));
        }
        found = scan.finish() ? TextEncoding::Utf8 : TextEncoding::EightBit;
    }
    source.rewind();
    return found;
}

bool mostlyNulBytes(ByteSource& source) {
    std::vector<char> block(kBlock);
    const std::size_t n = readFully(source, block.data(), block.size());
    source.rewind();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(block[i]); };
    if (n >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF)))
        return false;
    const auto nuls = static_cast<std::size_t>(std::count(block.data(), block.data() + n, '\0'));
    return n > 0 && nuls * 3 >= n;
}

DecodingSource::DecodingSource(ByteSource& inner, TextEncoding encoding)
    : m_inner(inner), m_encoding(encoding) {}

void DecodingSource::rewind() {
    m_inner.rewind();
    m_started = false;
    m_pending.clear();
    m_pendingPos = 0;
    m_raw.clear();
    m_highSurrogate = 0;
    m_innerDone = false;
}

bool DecodingSource::fillFromUtf16() {
    m_pending.clear();
    m_pendingPos = 0;
    while (m_pending.empty()) {
        if (m_innerDone)
            return false;
        std::vector<char> block(kBlock);
        const std::size_t got = m_inner.read(block.data(), block.size());
        if (got == 0) {
            m_innerDone = true;
            // A lone high surrogate or an odd byte at the very end stands for no character.
            if (m_highSurrogate != 0 || !m_raw.empty())
                settings::appendUtf8(m_pending, 0xFFFD);
            m_highSurrogate = 0;
            m_raw.clear();
            return !m_pending.empty();
        }
        m_raw.append(block.data(), got);
        const bool little = m_encoding == TextEncoding::Utf16Le;
        std::size_t i = 0;
        for (; i + 1 < m_raw.size(); i += 2) {
            const auto a = static_cast<unsigned char>(m_raw[i]);
            const auto b = static_cast<unsigned char>(m_raw[i + 1]);
            const auto unit = static_cast<char16_t>(little ? (b << 8) | a : (a << 8) | b);
            if (m_highSurrogate != 0) {
                if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    const char32_t code =
                        0x10000 + ((static_cast<char32_t>(m_highSurrogate) - 0xD800) << 10) +
                        (static_cast<char32_t>(unit) - 0xDC00);
                    settings::appendUtf8(m_pending, code);
                    m_highSurrogate = 0;
                    continue;
                }
                settings::appendUtf8(m_pending, 0xFFFD);
                m_highSurrogate = 0;
            }
            if (unit >= 0xD800 && unit <= 0xDBFF)
                m_highSurrogate = unit;
            else if (unit >= 0xDC00 && unit <= 0xDFFF)
                settings::appendUtf8(m_pending, 0xFFFD);
            else
                settings::appendUtf8(m_pending, unit);
        }
        m_raw.erase(0, i);
    }
    return true;
}

std::size_t DecodingSource::read(char* buffer, std::size_t size) {
    if (!m_started) {
        m_started = true;
        // The byte-order mark belongs to no line.
        const bool utf16 =
            m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be;
        std::array<char, 3> head{};
        const std::size_t want = utf16 ? 2 : 3;
        const std::size_t n = readFully(m_inner, head.data(), want);
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
        bool mark = false;
        if (utf16)
            mark = n == 2 &&
                   ((m_encoding == TextEncoding::Utf16Le && byte(0) == 0xFF && byte(1) == 0xFE) ||
                    (m_encoding == TextEncoding::Utf16Be && byte(0) == 0xFE && byte(1) == 0xFF));
        else
            mark = n == 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF;
        if (!mark) {
            if (utf16)
                m_raw.assign(head.data(), n);
            else
                m_pending.assign(head.data(), n);
        }
    }
    if (m_pendingPos < m_pending.size()) {
        const std::size_t n = std::min(size, m_pending.size() - m_pendingPos);
        std::memcpy(buffer, m_pending.data() + m_pendingPos, n);
        m_pendingPos += n;
        return n;
    }
    if (m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be) {
        if (!fillFromUtf16())
            return 0;
        return read(buffer, size);
    }
    return m_inner.read(buffer, size);
}

bool DecodingSource::takeHeld(std::string_view& rest) {
    if (m_started || m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be ||
        !m_inner.takeHeld(rest))
        return false;
    m_started = true;
    // The byte-order mark belongs to no line, as read() has it.
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    return true;
}

namespace {
constexpr std::string_view kFileScheme = "file://";
} // namespace

bool isFileUri(std::string_view line) {
    return line.size() >= kFileScheme.size() &&
           settings::equalsIgnoringCase(line.substr(0, kFileScheme.size()), kFileScheme);
}

std::optional<std::string> fileUriToPath(std::string_view line) {
    constexpr std::string_view kScheme = kFileScheme;
    if (!isFileUri(line))
        return std::nullopt;
    std::string_view rest = line.substr(kScheme.size());
    // The authority runs to the next "/"; "localhost" is this machine, as an empty one is.
    const auto slash = rest.find('/');
    std::string_view host = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    if (settings::equalsIgnoringCase(host, "localhost"))
        host = {};

    std::string decoded;
    decoded.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size()) {
            const int hi = settings::hexDigit(rest[i + 1]);
            const int lo = settings::hexDigit(rest[i + 2]);
            if (hi >= 0 && lo >= 0) {
                decoded += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        decoded += rest[i];
    }
    auto toBackslashes = [](std::string& s) {
        for (char& c : s) {
            if (c == '/')
                c = '\\';
        }
    };
    if (!host.empty()) {
        std::string unc = "\\\\" + std::string(host) + decoded;
        toBackslashes(unc);
        return unc;
    }
    // "/C:/x" (or "/C|/x", an old spelling) is a Windows path.
    if (decoded.size() >= 3 && decoded[0] == '/' && settings::isWindowsForm(decoded.substr(1))) {
        std::string windows = decoded.substr(1);
        toBackslashes(windows);
        return windows;
    }
    if (decoded.size() >= 3 && decoded[0] == '/' && decoded[2] == '|' &&
        settings::isWindowsForm(std::string(1, decoded[1]) + ":")) {
        std::string windows = decoded.substr(1);
        windows[1] = ':';
        toBackslashes(windows);
        return windows;
    }
    return decoded;
}

} // namespace deckshift::formats
