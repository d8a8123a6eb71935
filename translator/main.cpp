// voctrans: wires the POSIX services into the translator and runs it.
#include <csignal>

#include "platform/posix.h"
#include "translator.h"

namespace {

// Ctrl-C, a closed terminal or a kill end the run like "quit" does, so the
// published port links are removed. The signals are held from the start (the
// panel program is started without them held) and looked at between turns.
void holdEndSignals() {
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&endSignals, sig);
    sigprocmask(SIG_BLOCK, &endSignals, nullptr);
}

bool endSignalPending() {
    sigset_t pending;
    if (sigpending(&pending) != 0) return false;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        if (sigismember(&pending, sig) == 1) return true;
    return false;
}

}  // namespace

int main() {
    holdEndSignals();
    using namespace platform::posix;
    PosixSerialPort radio, panel, passThrough;
    PosixSerialDevices devices;
    PollPortWaiter waiter;
    StdConsole console;
    PosixProcess process;
    SystemClock clock;
    DiskFiles files;
    vocrig::Translator translator(radio, panel, passThrough, devices, waiter, console, process, clock, files);
    translator.startUp();
    translator.run(endSignalPending);
    return 0;
}
