// vocsim: the simulated ICOM transceiver as a program on a serial port or a
// published pseudo-terminal.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/native.h"
#include "radio_sim.h"
#include "sim_options.h"

using vocrig::platform::native::Clock;
using vocrig::platform::native::Console;
using vocrig::platform::native::PortWaiter;
using vocrig::platform::native::SerialPort;
using vocrig::platform::native::StopSignals;

namespace {

constexpr int longestWaitMs = 100;  // also how late a stop signal may be noticed

bool openPort(SerialPort& port, const vocrig::radiosim::ProgramOptions& options) {
    bool ok;
    if (!options.publishPath.empty())
        ok = port.openVirtualPairAt(options.publishPath);
    else if (options.portName.find('/') == std::string::npos && vocrig::platform::portNumberFromName(options.portName) != 0)
        ok = port.open(options.portName);
    else
        ok = port.openPath(options.portName);
    return ok && port.configure(options.sim.baud, 1);
}

std::string whereText(const SerialPort& port, const vocrig::radiosim::ProgramOptions& options) {
    if (!options.publishPath.empty()) return options.publishPath + " (" + port.farEndPath() + ")";
    std::string path = options.portName;
    if (path.find('/') == std::string::npos && vocrig::platform::portNumberFromName(path) != 0)
        path = options.portName + " (" + vocrig::platform::native::devicePathFor(options.portName) + ")";
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vocrig::radiosim::ProgramOptions options;
    std::string error = vocrig::radiosim::parseOptions(args, options);
    if (!error.empty()) {
        std::fprintf(stderr, "vocsim: %s\nTry vocsim --help.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(vocrig::radiosim::helpText().c_str(), stdout);
        return 0;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // one log line at a time, also into a pipe

    StopSignals stop;
    SerialPort port;
    Clock clock;
    Console console;
    PortWaiter waiter;
    if (!openPort(port, options)) {
        std::string what = options.publishPath.empty() ? "open " + options.portName : "publish " + options.publishPath;
        std::fprintf(stderr, "vocsim: cannot %s: %s\n", what.c_str(), std::strerror(errno));
        return 1;
    }
    vocrig::radiosim::RadioSim sim(port, clock, console, options.sim);
    char banner[256];
    std::snprintf(banner, sizeof banner, "vocsim: IC-%s (CI-V address %02Xh) on %s, %d Bd, echo %s. Ctrl-C stops.\n",
                  sim.model().name, sim.model().address, whereText(port, options).c_str(), options.sim.baud,
                  options.sim.echo ? "on" : "off");
    console.print(banner);

    int64_t replugAt = -1;
    while (!stop.requested()) {
        sim.service();
        if (sim.unplugged()) {
            if (options.replugAfterSeconds <= 0) break;
            int64_t now = clock.monotonicMicros();
            if (replugAt < 0) replugAt = now + static_cast<int64_t>(options.replugAfterSeconds * 1e6);
            if (now >= replugAt) {
                if (openPort(port, options)) {
                    sim.replug();
                    console.print("vocsim: back on " + whereText(port, options) + "\n");
                    replugAt = -1;
                } else {
                    replugAt = now + 1'000'000;  // try again in a second
                }
            }
            clock.sleepMs(longestWaitMs);
            continue;
        }
        int64_t idle = sim.microsUntilNextEvent();
        int waitMs = static_cast<int>(std::min<int64_t>((idle + 999) / 1000, longestWaitMs));
        waiter.waitForInput({&port}, waitMs);
    }
    sim.summarise();
    port.close();
    if (stop.received() != 0)
        console.print("vocsim: stopped by " + stop.name() + "\n");
    else
        console.print("vocsim: ended after the unplug\n");
    return 0;
}
