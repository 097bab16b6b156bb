#include "output/stopsignals.h"

#include "output/stagingsection.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#endif

namespace rastix {

namespace {

#ifdef _WIN32
// Runs on a thread of its own; returning FALSE leaves the event to the system's handler, which
// ends the process.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT)
        stopStaging();
    return FALSE;
}
#else
[[noreturn]] void endLikeTheSignal(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
    ::raise(signal);
    ::_exit(128 + signal); // not reached: the default action ends the process
}
#endif

} // namespace

void cleanUpWhenStopped() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    sigset_t taken;
    sigemptyset(&taken);
    bool any = false;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaddset(&taken, signal);
            any = true;
        }
    }
    if (!any)
        return;
    pthread_sigmask(SIG_BLOCK, &taken, nullptr);
    std::thread([taken] {
        int signal = 0;
        while (sigwait(&taken, &signal) != 0) {
        }
        stopStaging();
        endLikeTheSignal(signal);
    }).detach();
#endif
}

} // namespace rastix
