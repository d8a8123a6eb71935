// voctrans: wires the POSIX services into the translator and runs it.
#include "platform/posix.h"
#include "translator.h"

int main() {
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
    translator.run();
    return 0;
}
