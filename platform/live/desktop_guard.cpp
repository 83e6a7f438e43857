// desktop_guard.cpp: the desktop's display mode and cursor come back however the process
// ends: a return from main, exit(), a termination signal or a crash.
//
// An X server keeps a changed mode after its client has gone, so the process itself must
// put it back. A return or exit() goes through atexit. A termination signal is noted and
// acted upon by the program's thread the next time it takes messages, where SDL may be
// called safely; if the thread does not come by within a second (it may be loading), and
// for crashes, the desktop is restored from the signal handler itself. That is not
// async-signal-safe, so a watchdog alarm ends the process should the attempt hang.
// SIGKILL cannot be caught; nothing restores the mode then.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/live/live_local.h"

namespace {

const int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
const int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// Seconds the program's thread has to act on a termination signal, and then seconds the
// handler's own attempt may take.
constexpr unsigned kTerminationGraceSeconds = 1;
constexpr unsigned kWatchdogSeconds = 2;

std::atomic<int> pendingSignal{0};
std::atomic<bool> restoring{false};

void RestoreAndQuitVideo() {
    live::RestoreDesktop();
    // Closing the display connection flushes the requests that put the mode back.
    if (live::VideoStarted()) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

[[noreturn]] void DieBy(int signalNumber) {
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    _exit(128 + signalNumber);
}

void ForcedRestoreHandler(int signalNumber) {
    int cause =
        signalNumber == SIGALRM && pendingSignal.load() ? pendingSignal.load() : signalNumber;
    if (!restoring.exchange(true)) {
        signal(SIGALRM, SIG_DFL);
        alarm(kWatchdogSeconds);
        RestoreAndQuitVideo();
    }
    DieBy(cause);
}

void TerminationHandler(int signalNumber) {
    int expected = 0;
    if (pendingSignal.compare_exchange_strong(expected, signalNumber))
        alarm(kTerminationGraceSeconds);
}

void Install(int signalNumber, void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
}

void AtExit() {
    if (!restoring.exchange(true)) RestoreAndQuitVideo();
}

// Room to run the crash handler when the fault is a stack overflow.
void UseAlternateSignalStack() {
    static char stack[64 * 1024];
    stack_t alternate = {};
    alternate.ss_sp = stack;
    alternate.ss_size = sizeof stack;
    sigaltstack(&alternate, nullptr);
}

}  // namespace

namespace live {

void InstallDesktopGuard() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(AtExit);
    UseAlternateSignalStack();
    for (int signalNumber : kTerminationSignals)
        Install(signalNumber, TerminationHandler, SA_RESTART);
    for (int signalNumber : kCrashSignals)
        Install(signalNumber, ForcedRestoreHandler, SA_ONSTACK | SA_RESETHAND);
    Install(SIGALRM, ForcedRestoreHandler, SA_ONSTACK);
}

void HandlePendingTermination() {
    int signalNumber = pendingSignal.load();
    if (!signalNumber || restoring.exchange(true)) return;
    alarm(0);
    RestoreAndQuitVideo();
    DieBy(signalNumber);
}

}  // namespace live
