#include "ui/Text.h"

#include "settings/CodePage.h"

namespace deckshift::ui {

QString qs(std::string_view bytes) {
    if (settings::isUtf8WithMultibyte(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // Windows-1252; plain ASCII reads the same either way.
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const char32_t code = settings::cp1252ToUnicode(static_cast<unsigned char>(c));
        text.append(QChar(static_cast<char16_t>(code)));
    }
    return text;
}

} // namespace deckshift::ui
