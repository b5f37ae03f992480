#pragma once
// Conversions between the program's 8-bit strings and the text Qt shows.

#include <QString>

#include <string>
#include <string_view>

namespace deckshift::ui {

/// The text of `bytes` for display: UTF-8 where the bytes are valid UTF-8 (file names on most
/// systems), else Windows-1252 as the DJ applications write their files.
QString qs(std::string_view bytes);

} // namespace deckshift::ui
