#pragma once
// The character encodings of M3U and M3U8 playlists: detection, decoding into UTF-8 as the lines
// are read, and file URIs.

#include "formats/TextIO.h"

#include <optional>
#include <string>
#include <string_view>

namespace deckshift::formats {

enum class TextEncoding {
    EightBit, ///< the 8-bit code page, passed through unchanged
    Utf8,
    Utf16Le,
    Utf16Be,
};

/// What the user asked for: detect, or take the source as UTF-8 or as 8-bit.
enum class EncodingChoice { Auto, Utf8, EightBit };

/// True when `name` ends in ".m3u8", in any letter case.
bool isM3u8Name(std::string_view name);

/// The encoding of an M3U source named `name`, read from `source`, which is rewound afterwards.
/// A UTF-16 byte-order mark makes it UTF-16 whatever `choice` says, since such a file can be read
/// no other way. Otherwise a choice other than Auto decides. Auto: a UTF-8 byte-order mark or a
/// name ending in ".m3u8" gives UTF-8; otherwise the whole source is read once, and it is UTF-8
/// when its bytes are valid UTF-8 and hold at least one multi-byte sequence, 8-bit when not.
TextEncoding detectM3uEncoding(ByteSource& source, std::string_view name, EncodingChoice choice);

/// True when a third or more of the first 64 KiB of `source` are NUL bytes, which a text
/// playlist never holds unless it is UTF-16 (a byte-order mark at the start makes `source` UTF-16,
/// and then this is false). `source` is rewound afterwards.
bool mostlyNulBytes(ByteSource& source);

/// The bytes of `inner` as the line reader should see them: without a byte-order mark at the very
/// start (UTF-8 or, for UTF-16, UTF-16 of that order), and UTF-16 converted into UTF-8 as it is
/// read. A lone surrogate becomes U+FFFD. Memory does not grow with the source.
class DecodingSource final : public ByteSource {
public:
    DecodingSource(ByteSource& inner, TextEncoding encoding);
    std::size_t read(char* buffer, std::size_t size) override;
    void rewind() override;
    /// 8-bit and UTF-8 bytes held by the source underneath are handed on where they lie, less
    /// a byte-order mark, when nothing has been read yet.
    bool takeHeld(std::string_view& rest) override;

private:
    bool fillFromUtf16();

    ByteSource& m_inner;
    TextEncoding m_encoding;
    bool m_started = false;
    std::string m_pending; ///< decoded bytes not yet handed out
    std::size_t m_pendingPos = 0;
    std::string m_raw; ///< UTF-16 bytes read but not yet decoded (an odd byte)
    char16_t m_highSurrogate = 0;
    bool m_innerDone = false;
};

/// For a track line that is a file URI ("file://", any case): the path it names, percent-decoded.
/// "file:///C:/x/y" gives "C:\x\y", "file:///home/x" gives "/home/x", "file://server/share/x"
/// gives "\\server\share\x" (a host "localhost" is dropped). nullopt for any other line.
std::optional<std::string> fileUriToPath(std::string_view line);

/// True for a track line that fileUriToPath() takes as a file URI.
bool isFileUri(std::string_view line);

} // namespace deckshift::formats
