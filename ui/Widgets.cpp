#include "ui/Widgets.h"

#include "ui/Text.h"

#include <QPainter>
#include <QStringList>
#include <QTextOption>
#include <QWidget>

#include <limits>

namespace deckshift::ui {

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

QFont baseFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(8.0);
    return font;
}

QFont tahomaFont(bool bold, bool italic) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(8.25);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont displayFont(double pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Monotype Corsiva"), QStringLiteral("Brush Script MT"),
                      QStringLiteral("URW Chancery L"), QStringLiteral("Z003"),
                      QStringLiteral("DejaVu Serif Condensed"), QStringLiteral("Serif")});
    font.setPointSizeF(pointSize);
    font.setItalic(true);
    return font;
}

Label::Label(QWidget* parent, std::string_view caption) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCaption(caption);
}

void Label::setCaption(std::string_view caption) {
    if (caption == m_caption)
        return;
    m_caption = std::string(caption);
    setText(qs(m_caption));
}

void Label::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.drawText(QRectF(contentsRect()), text(), option);
}

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

int ProgressBar::scaled(std::uint64_t v) const {
    return static_cast<int>(v >> m_shift);
}

void ProgressBar::setMaximum64(std::uint64_t maximum) {
    m_maximum = maximum;
    m_shift = 0;
    constexpr auto kIntMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    while ((maximum >> m_shift) > kIntMax)
        ++m_shift;
    // A maximum of 0 would turn the bar into a busy indicator; an empty range of one shows empty.
    const int top = maximum == 0 ? 1 : scaled(maximum);
    setRange(0, top);
    setValue(maximum == 0 ? 0 : scaled(std::min(m_value, maximum)));
}

void ProgressBar::setValue64(std::uint64_t value) {
    m_value = value;
    setValue(m_maximum == 0 ? 0 : scaled(std::min(value, m_maximum)));
}

} // namespace deckshift::ui
