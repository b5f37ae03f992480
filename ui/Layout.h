#pragma once
// Creating the controls of a window at their places (in twips).

#include "ui/Widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace deckshift::ui {

inline QPushButton* makeButton(QWidget* parent, const char* caption, int left, int top, int width,
                               int height, bool enabled = true) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    place(b, left, top, width, height);
    b->setEnabled(enabled);
    b->setAutoDefault(false);
    return b;
}

inline QCheckBox* makeCheck(QWidget* parent, const char* caption, int left, int top, int width,
                            int height) {
    auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
    place(c, left, top, width, height);
    return c;
}

inline QGroupBox* makeFrame(QWidget* parent, const char* caption, int left, int top, int width,
                            int height) {
    auto* f = new Frame(QString::fromLatin1(caption), parent);
    place(f, left, top, width, height);
    return f;
}

inline Label* makeLabel(QWidget* parent, const char* caption, int left, int top, int width,
                        int height) {
    auto* l = new Label(parent, caption);
    place(l, left, top, width, height);
    return l;
}

} // namespace deckshift::ui
