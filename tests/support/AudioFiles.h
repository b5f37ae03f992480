#pragma once
// Small audio files written by the tests themselves, for the reading of track details.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace deckshift::test {

/// A RIFF chunk: its four-letter id, its size (little-endian) and its bytes, padded to even.
inline std::string riffChunk(std::string_view id, std::string_view bytes) {
    std::string out(id);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    out += bytes;
    if (bytes.size() % 2 != 0)
        out += '\0';
    return out;
}

/// An ID3v2.3 tag holding the given text frames ("TIT2" title, "TPE1" artist, "TALB" album,
/// "TCON" genre), each in ISO-8859-1.
inline std::string id3v2Tag(const std::vector<std::pair<std::string, std::string>>& frames) {
    const auto be32 = [](std::size_t v, unsigned bitsPerByte) {
        std::string out;
        for (int i = 3; i >= 0; --i)
            out += static_cast<char>((v >> (bitsPerByte * static_cast<unsigned>(i))) &
                                     ((1u << bitsPerByte) - 1));
        return out;
    };
    std::string body;
    for (const auto& [id, text] : frames)
        body += id + be32(text.size() + 1, 8) + std::string(2, '\0') + '\0' + text;
    // The tag's size is "synchsafe": seven bits a byte.
    return std::string("ID3\x03\x00\x00", 6) + be32(body.size(), 7) + body;
}

/// A WAV file of `seconds` of silence, 8000 samples a second, 8 bits, mono (64 kbit/s), with an
/// "id3 " chunk holding an ID3v2 tag of the given frames (id3v2Tag()) when there are any.
inline std::string wavFile(unsigned seconds,
                           const std::vector<std::pair<std::string, std::string>>& frames) {
    const auto le16 = [](std::uint16_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    const auto le32 = [](std::uint32_t v) {
        std::string out;
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    };
    const std::string format = le16(1) + le16(1) + le32(8000) + le32(8000) + le16(1) + le16(8);
    std::string body = "WAVE" + riffChunk("fmt ", format) +
                       riffChunk("data", std::string(8000u * seconds, '\x80'));
    if (!frames.empty())
        body += riffChunk("id3 ", id3v2Tag(frames));
    return riffChunk("RIFF", body);
}

} // namespace deckshift::test
