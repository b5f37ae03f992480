#pragma once
// How an engine tells its front end what went wrong. Each front end puts the message before the
// user in its own way and waits until the user has taken note of it.

#include <string>
#include <string_view>

namespace deckshift::convert {

inline constexpr std::string_view kTitleDeckshift = "Deckshift";
inline constexpr std::string_view kTitleTools = "Korvantel Tools (Converter)";

enum class MessageKind {
    Error,   ///< the run was refused or failed
    Warning, ///< the run went on; something was skipped
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    /// Shows one message and returns once the user has taken note of it.
    virtual void message(MessageKind kind, std::string_view text, std::string_view title) = 0;
};

/// How a run ended.
enum class RunStatus {
    Done,    ///< finished (warnings allowed)
    Refused, ///< refused before anything was written
    Failed,  ///< a file could not be opened, read or written
};

} // namespace deckshift::convert
