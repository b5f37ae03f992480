#pragma once
// Running a conversion engine off the GUI thread.
//
// runOffGuiThread() runs an engine on a worker thread of its own and returns once the engine has
// returned, as a plain call would. Meanwhile the GUI thread keeps its event loop going: the
// program's windows repaint and can be moved, but input to them is dropped (no click, key or wheel
// reaches a control), except for the widgets the caller names in RunOptions::takesInput (a Cancel
// button, say). Message boxes and questions shown during the run take their input as usual.
//
// Closing a window during the run does not stop the run: the user is told that the window closes
// once the run has ended, so that every file the run writes is written whole, and the window
// closes then, as its close control would.
//
// The engine reports on the worker thread. Whatever touches a widget or shows a message must run on
// the GUI thread: callOnGuiThread() runs a function there and waits for it (a blocking queued
// call), and GuiThreadMessages passes an engine's messages on that way.
//
//     ui::GuiThreadMessages messages(myMessageBoxSink);
//     ui::runOffGuiThread([&] { convert::SomeEngine(inputs, progress, messages); });
//
// where `progress` wraps every report that touches a widget in callOnGuiThread(), or keeps the
// values and hands them to the GUI thread at most about 60 times a second.

#include "convert/Messages.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace deckshift::ui {

/// What the user is told when closing a window while a run goes on.
inline constexpr std::string_view kMsgClosingAfterRun =
    "A conversion is still running. This window closes as soon as it has ended, so that no file "
    "is left half written.";

struct RunOptions {
    /// Widgets (and their children) that go on taking input during the run, such as Cancel.
    std::vector<QPointer<QWidget>> takesInput;
    /// Called on the GUI thread when the user closes `window` during the run, where a run that
    /// can stop early (between files) asks itself to stop; returns what the user is told then,
    /// or nothing for kMsgClosingAfterRun.
    std::function<std::string_view(QWidget* window)> whenClosed;
};

/// Runs `work` on a worker thread and returns when it has returned; whatever it throws is thrown
/// again here. Call it on the GUI thread. The GUI thread's events are handled meanwhile, with
/// input to the program's windows dropped as described above.
void runOffGuiThread(const std::function<void()>& work, const RunOptions& options = {});

/// Whether a run started by runOffGuiThread() is going on.
bool runInProgress();

/// Whether the calling thread is the GUI thread.
bool onGuiThread();

/// Calls `f` on the GUI thread and returns once it has returned; whatever it throws is thrown
/// again to the caller. On the GUI thread itself `f` is simply called.
void callOnGuiThread(const std::function<void()>& f);

/// callOnGuiThread() for a function that returns a value (the answer to a question, say).
template <class F> std::invoke_result_t<F&> valueOnGuiThread(F f) {
    using Result = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<Result>) {
        callOnGuiThread(f);
    } else {
        std::optional<Result> result;
        callOnGuiThread([&] { result.emplace(f()); });
        return std::move(*result);
    }
}

/// Passes an engine's messages to `target` on the GUI thread, waiting until each is taken note of.
class GuiThreadMessages final : public convert::MessageSink {
public:
    explicit GuiThreadMessages(convert::MessageSink& target) : m_target(target) {}
    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        callOnGuiThread([&] { m_target.message(kind, text, title); });
    }

private:
    convert::MessageSink& m_target;
};

} // namespace deckshift::ui
