#include "ui/OffThreadRun.h"

#include "ui/MessageBox.h"
#include "ui/Windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <exception>
#include <memory>

namespace deckshift::ui {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

/// Held on the GUI thread for the length of a run: drops input to the program's windows, except
/// to the widgets that take it, and holds back closing a window until the run has ended.
class RunGuard final : public QObject {
public:
    explicit RunGuard(const RunOptions& options) : m_options(options) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~RunGuard() override { QCoreApplication::instance()->removeEventFilter(this); }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    /// Closes, as their close control does, the windows the user closed during the run. The
    /// closing is queued, so that it happens once the handler that started the run has returned.
    void closeHeldWindows() {
        for (const QPointer<Window>& window : m_toClose) {
            if (window)
                QMetaObject::invokeMethod(
                    window,
                    [w = window] {
                        if (w)
                            w->close();
                    },
                    Qt::QueuedConnection);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        auto* window = qobject_cast<Window*>(widget->window());
        if (!window)
            return false; // a message box or question: it takes its input as usual
        if (event->type() == QEvent::Close && widget == window) {
            // A close event counts as accepted unless ignored: ignoring it keeps the window.
            event->ignore();
            holdClose(window);
            return true;
        }
        if (!isInput(event->type()))
            return false;
        for (const QPointer<QWidget>& open : m_options.takesInput) {
            if (open && (open == widget || open->isAncestorOf(widget)))
                return false;
        }
        return true;
    }

private:
    void holdClose(Window* window) {
        for (const QPointer<Window>& held : m_toClose) {
            if (held == window)
                return; // told already
        }
        m_toClose.emplace_back(window);
        std::string_view message;
        if (m_options.whenClosed)
            message = m_options.whenClosed(window);
        showMessage(message.empty() ? kMsgClosingAfterRun : message, convert::kTitleDeckshift);
    }

    RunOptions m_options;
    std::vector<QPointer<Window>> m_toClose;
};

int g_runs = 0;

} // namespace

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool runInProgress() {
    return g_runs > 0;
}

void callOnGuiThread(const std::function<void()>& f) {
    if (onGuiThread()) {
        f();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                f();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void runOffGuiThread(const std::function<void()>& work, const RunOptions& options) {
    Q_ASSERT(onGuiThread());
    RunGuard guard(options);
    ++g_runs;
    std::exception_ptr error;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    loop.exec();
    // The loop also ends when the program is told to quit. The run still goes on to its end, and
    // its calls to this thread are answered meanwhile.
    while (!worker->wait(QDeadlineTimer(10)))
        QCoreApplication::processEvents();
    --g_runs;
    guard.closeHeldWindows();
    if (error)
        std::rethrow_exception(error);
}

} // namespace deckshift::ui
