#include "termination.h"

void hold_termination_requests() {
    struct sigaction current {};
    if (sigaction(SIGTERM, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
        // Blocked signals are never discarded, even ignored ones: blocking would undo the
        // parent's choice.
        return;
    }
    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    sigprocmask(SIG_BLOCK, &termination, nullptr);
}

bool termination_requested() {
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0) {
        return false;
    }
    return sigismember(&pending, SIGTERM) == 1;
}
