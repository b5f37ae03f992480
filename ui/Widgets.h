#pragma once
// Small pieces every window uses: placing controls in twips, the fonts, and the label and
// progress bar as the windows need them.

#include "Version.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace deckshift::ui {

/// The version label of the menu and the INI windows.
inline constexpr char kVersionCaption[] = "Version: " DECKSHIFT_VERSION;

/// Twips to pixels at 96 dots per inch (15 twips a pixel); Qt scales for denser screens.
constexpr int px(int twips) {
    return (twips + 7) / 15;
}

/// Places `widget` at left, top with width and height, all in twips, inside its parent.
void place(QWidget* widget, int left, int top, int width, int height);

/// The windows' ordinary font: a small sans-serif of about 8 points.
QFont baseFont();
/// Tahoma 8.25 pt, or the closest sans-serif the system has.
QFont tahomaFont(bool bold = false, bool italic = false);
/// The decorative display font of the "by" and "Korvantel" labels.
QFont displayFont(double pointSize);

/// A label whose caption is the program's own bytes. It shows the caption from its top left corner
/// and wraps it within its width, breaking long paths anywhere when no blank fits. As many lines
/// are shown as fit its height; when the caption needs more, the last line shown ends in "…" and
/// the whole caption is the label's tooltip.
class Label : public QLabel {
public:
    explicit Label(QWidget* parent, std::string_view caption = {});
    void setCaption(std::string_view caption);
    const std::string& caption() const { return m_caption; }

    /// The lines as drawn, top to bottom.
    QStringList shownLines() const;
    /// Whether the caption is shown shortened.
    bool isCut() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
    std::string m_caption;
};

/// A frame (group box) drawn as on Windows whatever the style: its caption interrupts the top
/// border line, which runs through the middle of the caption's height, so that the controls the
/// design places a little below the frame's top edge lie inside the border, clear of the caption.
class Frame : public QGroupBox {
public:
    Frame(const QString& caption, QWidget* parent);
    /// The rectangle the border is drawn around.
    QRect boxRect() const;
    /// Where the caption is drawn (empty without a caption).
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A progress bar without a percentage text whose range and value may exceed an int; both are
/// scaled down together when they do. A value above the maximum shows as the maximum.
class ProgressBar : public QProgressBar {
public:
    explicit ProgressBar(QWidget* parent);
    void setMaximum64(std::uint64_t maximum);
    void setValue64(std::uint64_t value);
    std::uint64_t maximum64() const { return m_maximum; }
    std::uint64_t value64() const { return m_value; }

private:
    int scaled(std::uint64_t v) const;
    std::uint64_t m_maximum = 100;
    std::uint64_t m_value = 0;
    int m_shift = 0;
};

} // namespace deckshift::ui
