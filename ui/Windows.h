#pragma once
// The windows of the program and how they come and go.
//
// Every window exists at most once. It is loaded (created, with its load handler run) the first
// time it is shown or its controls are needed; hiding keeps its controls as they are; unloading
// discards it, so that the next load starts from the window's initial state. Windows are shown
// modeless and without an owner.

#include <QAccessible>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace deckshift::ui {

/// A window of the program.
class Window : public QWidget {
    Q_OBJECT
public:
    explicit Window(const char* caption);
    /// Runs once after the window is loaded, before it is first shown.
    virtual void Form_Load() {}
    /// Unloads this window, as unload<W>() does for its class.
    void unloadSelf() {
        if (m_unload)
            m_unload();
    }

    /// The button Enter presses when the focus is on no push button; nullptr when there is none.
    QPushButton* defaultButton() const { return m_defaultButton; }
    /// The button Escape presses; nullptr when Escape does nothing.
    QPushButton* cancelButton() const { return m_cancelButton; }
    /// What the window is to assistive technology: an ordinary window, or a dialog for pickers.
    virtual QAccessible::Role accessibleRole() const { return QAccessible::Window; }

protected:
    /// What the title bar's close control does.
    virtual void closeControl() = 0;
    void closeEvent(QCloseEvent* event) override;
    /// Sets the client area (in twips) and whether the user may resize the window. A sizable
    /// window cannot be made smaller than its client area, so that every control stays in view.
    void setClientArea(int width, int height, bool sizable);

    /// Makes `button` the one Enter presses when no push button has the focus; it is drawn as
    /// the default button.
    void setDefaultButton(QPushButton* button);
    /// Makes `button` the one Escape presses.
    void setCancelButton(QPushButton* button);

    /// Re-reads from disk what the window lists; runs each time the hidden window is shown again,
    /// so that files added or removed meanwhile show.
    virtual void refreshLists() {}

    /// Enter presses the focused push button (as on Windows), else the default button; Escape
    /// presses the cancel button.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    template <class W> friend W& load();
    void (*m_unload)() = nullptr;
    QPointer<QPushButton> m_defaultButton;
    QPointer<QPushButton> m_cancelButton;
    bool m_shownBefore = false;
};

template <class W> void unload();

namespace detail {
template <class W> inline QPointer<W> g_instance;
} // namespace detail

/// The window when it is loaded, else nullptr.
template <class W> W* loaded() {
    return detail::g_instance<W>.data();
}

/// The window, loaded first (running its load handler) when it is not.
template <class W> W& load() {
    if (!detail::g_instance<W>) {
        auto* window = new W;
        detail::g_instance<W> = window;
        window->m_unload = &unload<W>;
        window->Form_Load();
    }
    return *detail::g_instance<W>;
}

/// Brings a shown window to the front where the platform can.
void raiseWindow(QWidget& window);

/// Loads the window if needed and makes it visible, modeless and without an owner.
template <class W> W& show() {
    W& window = load<W>();
    window.show();
    raiseWindow(window);
    return window;
}

/// Hides the window, keeping all it holds. Nothing happens when it is not loaded.
template <class W> void hide() {
    if (W* window = loaded<W>())
        window->hide();
}

/// Discards the window. Nothing happens when it is not loaded. The window object goes once the
/// handler that is running returns; from here on the window counts as not loaded.
template <class W> void unload() {
    if (W* window = loaded<W>()) {
        detail::g_instance<W> = nullptr;
        window->hide();
        window->deleteLater();
    }
}

/// Unloads every window without running any handler of theirs.
void unloadAll();

/// Ends the program: every window is discarded and the event loop told to stop.
void endProgram();

} // namespace deckshift::ui
