#pragma once
// What every sub-command shares: its streams, the message sink and the progress line.

#include "convert/Messages.h"

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace deckshift::cli {

struct Context {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    bool quiet = false;
    /// Whether a progress line is drawn on stderr.
    bool showProgress() const { return errIsTerminal && !quiet; }
};

/// Prints the engines' messages on stderr, each as one line: errors as the system's own text,
/// warnings after "warning: ".
class StderrMessages final : public convert::MessageSink {
public:
    explicit StderrMessages(Context& context) : m_context(context) {}
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;
    bool anyError() const { return m_anyError; }

private:
    Context& m_context;
    bool m_anyError = false;
};

/// A one-line progress display on a terminal, redrawn at most ten times a second.
class ProgressLine {
public:
    explicit ProgressLine(Context& context) : m_context(context) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    /// Redraws with `text` when enough time has passed since the last redraw, or when `force`.
    void show(const std::function<std::string()>& text, bool force = false);
    /// Removes the line.
    void clear();

private:
    Context& m_context;
    std::chrono::steady_clock::time_point m_last{};
    bool m_drawn = false;
};

/// A sub-command: registers its options on `app` and returns the action run after parsing, which
/// gives the exit status.
using Action = std::function<int()>;
Action addIni2Vrm(CLI::App& app, Context& context);

} // namespace deckshift::cli
