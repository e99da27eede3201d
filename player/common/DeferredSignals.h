#pragma once

#include <signal.h>

namespace orvane {

// Holds back the signals that ask a program to end (SIGTERM, SIGINT, SIGHUP) while
// work runs that must not stop half-way, such as appending to a file: while an object
// of this class lives, such a signal is only noted, and the work asks Pending() at
// points where it can stop cleanly, undoes what it has done, and then ends the program
// with EndBySignal(), so the parent still sees the signal as the cause.
//
// A signal that the program was started to ignore (as nohup does with SIGHUP) stays
// ignored. One object at a time. The handler only stores the signal's number, which is
// safe in a signal handler. The handlers in place before are restored on destruction; a
// signal noted and not acted on is then raised again, so it is never lost.
class DeferredSignals {
public:
    DeferredSignals();
    ~DeferredSignals();
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

    // The number of the first signal that arrived, or 0.
    int Pending() const noexcept;

    // Ends the process by `signal` with the signal's default action (exit status 128 +
    // signal in a shell: 143 for SIGTERM, 130 for SIGINT, 129 for SIGHUP).
    [[noreturn]] static void EndBySignal(int signal) noexcept;

private:
    struct sigaction previous_[3];
};

}  // namespace orvane
