#pragma once

#include <csignal>

#include <pthread.h>

// Blocks the signals for this thread (and the threads it starts afterwards) and restores the caller's signal
// mask when the command ends, however it ends. Commands that stop on SIGINT/SIGTERM take them with sigwait(),
// so nothing runs inside a signal handler.
class SignalMaskGuard {
public:
    explicit SignalMaskGuard(const sigset_t& block) { pthread_sigmask(SIG_BLOCK, &block, &m_previous); }
    ~SignalMaskGuard() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalMaskGuard(const SignalMaskGuard&) = delete;
    SignalMaskGuard& operator=(const SignalMaskGuard&) = delete;

private:
    sigset_t m_previous{};
};

// The stop signals of a command that runs until interrupted: SIGINT, SIGTERM and SIGHUP.
inline sigset_t CliStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}
