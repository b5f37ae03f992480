#include "ui/Windows.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/ExportWindow.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Widgets.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>

namespace deckshift::ui {

namespace {

// Without this a top-level window is a plain client area to assistive technology (the "filler"
// role on Linux), and screen readers do not announce it as a window.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(Window::staticMetaObject.className()))
        return nullptr;
    auto* window = qobject_cast<Window*>(object);
    return window ? new QAccessibleWidget(window, window->accessibleRole()) : nullptr;
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace

Window::Window(const char* caption) : QWidget(nullptr, Qt::Window) {
    installAccessibleFactory();
    setWindowTitle(QString::fromLatin1(caption));
    setFont(baseFont());
}

void Window::setDefaultButton(QPushButton* button) {
    if (m_defaultButton)
        m_defaultButton->setDefault(false);
    m_defaultButton = button;
    if (button)
        button->setDefault(true);
}

void Window::setCancelButton(QPushButton* button) {
    m_cancelButton = button;
}

void Window::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        QPushButton* target = nullptr;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The key comes here when the control with the focus has no use for it.
            target = qobject_cast<QPushButton*>(focusWidget());
            if (!target)
                target = m_defaultButton;
            break;
        case Qt::Key_Escape:
            target = m_cancelButton;
            break;
        default:
            break;
        }
        if (target) {
            if (target->isEnabled() && target->isVisible())
                target->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Window::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (m_shownBefore)
        refreshLists();
    m_shownBefore = true;
}

void Window::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeControl();
}

void Window::setClientArea(int width, int height, bool sizable) {
    if (sizable) {
        resize(px(width), px(height));
        setMinimumSize(px(width), px(height));
    } else {
        setFixedSize(px(width), px(height));
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }
}

void raiseWindow(QWidget& window) {
    // The offscreen platform used for tests and screenshots has no stacking order.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    window.raise();
    window.activateWindow();
}

void unloadAll() {
    unload<Dialog>();
    unload<Dialog2>();
    unload<Form4>();
    unload<Form5>();
    unload<Form1>();
    unload<Form3>();
    unload<Form6>();
    unload<Form7>();
    unload<ExportWindow>();
    unload<Form2>();
}

void endProgram() {
    unloadAll();
    QCoreApplication::exit(0);
}

} // namespace deckshift::ui
