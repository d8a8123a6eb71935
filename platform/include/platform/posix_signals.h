#pragma once

// Orderly stop on SIGINT, SIGTERM and SIGHUP for a program that polls: the
// signals are blocked and then looked for between waits, so no handler and no
// global flag are needed, and a signal can never cut into a write.

#include <signal.h>

#include <cstring>
#include <ctime>
#include <string>

namespace vocrig::platform::posix {

class StopSignals {
public:
    StopSignals() {
        sigemptyset(&watched);
        sigaddset(&watched, SIGINT);
        sigaddset(&watched, SIGTERM);
        sigaddset(&watched, SIGHUP);
        sigprocmask(SIG_BLOCK, &watched, &previous);
    }
    ~StopSignals() {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // True once one of the signals has arrived. Never waits.
    bool requested() {
        timespec zero{};
        int got = sigtimedwait(&watched, nullptr, &zero);
        if (got > 0) signal = got;
        return signal != 0;
    }
    int received() const { return signal; }
    // What ended the run, for the last console line.
    std::string name() const { return signal ? ::strsignal(signal) : "nothing"; }

private:
    sigset_t watched{};
    sigset_t previous{};
    int signal = 0;
};

}  // namespace vocrig::platform::posix
