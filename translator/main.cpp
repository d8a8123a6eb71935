// voctrans: wires this system's services into the translator and runs it.
#include "platform/native.h"
#include "translator.h"

int main() {
    using namespace vocrig::platform::native;
    // Ctrl-C, a closed terminal or console, or a kill end the run like "quit"
    // does, so published port links are removed. They are looked at between turns.
    StopSignals stop;
    SerialPort radio, panel, passThrough;
    SerialDevices devices;
    PortWaiter waiter;
    Console console;
    Process process;
    Clock clock;
    Files files;
    vocrig::translator::Translator translator(radio, panel, passThrough, devices, waiter, console, process, clock, files);
    // A vocrig.cfg that cannot be right is refused before any port is opened.
    if (!translator.startUp()) return translator.exitStatus();
    if (!panel.isOpen()) console.print(panelPortMissing);
    translator.run([&stop] { return stop.requested(); });
    return translator.exitStatus();
}
