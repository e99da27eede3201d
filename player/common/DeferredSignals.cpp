#include "common/DeferredSignals.h"

#include <unistd.h>

#include <csignal>

namespace orvane {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile std::sig_atomic_t pendingSignal = 0;

extern "C" void NoteSignal(int signal) {
    if (pendingSignal == 0) pendingSignal = signal;
}

}  // namespace

DeferredSignals::DeferredSignals() {
    pendingSignal = 0;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the work notices the signal at its next check.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], nullptr, &previous_[i]);
        // A signal the program was started to ignore (nohup, a background job) stays
        // ignored.
        if (previous_[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &action, nullptr);
    }
}

DeferredSignals::~DeferredSignals() {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
    const int signal = pendingSignal;
    pendingSignal = 0;
    if (signal != 0) ::raise(signal);
}

int DeferredSignals::Pending() const noexcept {
    return pendingSignal;
}

void DeferredSignals::EndBySignal(int signal) noexcept {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    // Only reached when the signal's default action does not end the process.
    ::_exit(128 + signal);
}

}  // namespace orvane
