// voctrans: wires the POSIX services into the translator and runs it.
#include "platform/posix.h"
#include "platform/posix_signals.h"
#include "translator.h"

int main() {
    using namespace platform::posix;
    // Ctrl-C, a closed terminal or a kill end the run like "quit" does, so the
    // published port links are removed. The signals are held from the start
    // (the panel program is started without them held) and looked at between turns.
    StopSignals stop;
    PosixSerialPort radio, panel, passThrough;
    PosixSerialDevices devices;
    PollPortWaiter waiter;
    StdConsole console;
    PosixProcess process;
    SystemClock clock;
    DiskFiles files;
    vocrig::Translator translator(radio, panel, passThrough, devices, waiter, console, process, clock, files);
    translator.startUp();
    translator.run([&stop] { return stop.requested(); });
    return 0;
}
