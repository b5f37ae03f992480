#pragma once
// Text inside the DJ applications' XML files (VRM playlists, the group list), which is in the 8-bit
// code page: escaping it for an attribute value and decoding the references it holds.

#include <string>
#include <string_view>

namespace deckshift::formats {

/// Appends `text` as it stands in a double-quoted attribute value: "&", "<", ">" and the double
/// quote become "&amp;", "&lt;", "&gt;" and "&quot;"; every other byte is copied as it is.
void appendXmlEscaped(std::string& out, std::string_view text);

/// Replaces `out` with `text`, its references decoded in one pass from left to right: the five
/// entities "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;", and the character references
/// "&#NNN;" and "&#xHHH;", each into its byte of the 8-bit code page. An "&" that starts no such
/// reference stays as it is, and so does a character reference to a character the code page
/// cannot hold: the first such character is stored in `unheld` when given (which is left as it
/// was when there is none).
void decodeXmlText(std::string_view text, std::string& out, char32_t* unheld = nullptr);

} // namespace deckshift::formats
