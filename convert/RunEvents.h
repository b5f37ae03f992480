#pragma once
// How a run goes, as an engine reports it. The engines say what happened; each front end decides
// what that looks like (the windows in their captions and enabled buttons, the command line in its
// progress line).

#include "convert/Messages.h"

namespace deckshift::convert {

/// The course of a run. Every report does nothing by default. A run that passes its checks reports
/// started() before it writes; every run ends with one of finished(), refused() or failed(),
/// reported after the message that says why.
class RunEvents {
public:
    virtual ~RunEvents() = default;
    /// The run passed its checks and begins to write.
    virtual void started() {}
    /// The run ended with its output written.
    virtual void finished() {}
    /// The run ended before writing anything: something it needs is missing or wrong.
    virtual void refused() {}
    /// The run ended because a file could not be opened, read or written.
    virtual void failed() {}
};

/// Reports the end of a run that did not finish: refused() or failed() as `status` says.
inline void reportStopped(RunEvents& events, RunStatus status) {
    if (status == RunStatus::Refused)
        events.refused();
    else
        events.failed();
}

} // namespace deckshift::convert
