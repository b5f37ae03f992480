#include "ui/Widgets.h"

#include "ui/Text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QTextLayout>
#include <QTextOption>
#include <QWidget>

#include <algorithm>

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
    updateToolTip();
}

QStringList Label::shownLines() const {
    const QString all = text();
    const QRect area = contentsRect();
    const QFontMetrics metrics(font());
    const int lineSpacing = std::max(1, metrics.lineSpacing());
    const int fitting = std::max(1, area.height() / lineSpacing);

    QTextLayout layout(all, font());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        if (lines.size() == fitting - 1) {
            // The last line there is room for takes the rest, cut short with "…" where it does
            // not fit, rather than a further line cut through by the label's bottom edge.
            lines << metrics.elidedText(all.mid(line.textStart()), Qt::ElideRight, area.width());
            break;
        }
        lines << all.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

bool Label::isCut() const {
    return shownLines().join(QString()) != text();
}

void Label::updateToolTip() {
    setToolTip(isCut() ? text() : QString());
}

void Label::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

void Label::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect area = contentsRect();
    const QFontMetrics metrics(font());
    int baseline = area.top() + metrics.ascent();
    for (const QString& line : shownLines()) {
        painter.drawText(QPoint(area.left(), baseline), line);
        baseline += metrics.lineSpacing();
    }
}

namespace {
// The caption starts this far in from the frame's left edge, with this much room either side.
constexpr int kCaptionIndent = 6;
constexpr int kCaptionPad = 2;
} // namespace

Frame::Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = boxRect();
    const QRect caption = captionRect();
    // An etched border, a dark line with a light one inside it, as Windows draws a frame; the
    // caption interrupts it.
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(caption)));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(box.adjusted(0, 0, -2, -2));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(box.adjusted(1, 1, -1, -1));
    painter.restore();
    if (!caption.isEmpty())
        style()->drawItemText(&painter, caption.adjusted(kCaptionPad, 0, -kCaptionPad, 0),
                              Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), title(),
                              QPalette::WindowText);
}

QRect Frame::boxRect() const {
    return rect().adjusted(0, QFontMetrics(font()).height() / 2, 0, 0);
}

QRect Frame::captionRect() const {
    const QString caption = title();
    if (caption.isEmpty())
        return {};
    const QFontMetrics metrics(font());
    return {kCaptionIndent, 0, metrics.horizontalAdvance(caption) + 2 * kCaptionPad,
            metrics.height()};
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
