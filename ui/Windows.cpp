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

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>

namespace deckshift::ui {

Window::Window(const char* caption) : QWidget(nullptr, Qt::Window) {
    setWindowTitle(QString::fromLatin1(caption));
    setFont(baseFont());
}

void Window::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeControl();
}

void Window::setClientArea(int width, int height, bool sizable) {
    if (sizable) {
        resize(px(width), px(height));
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
