#pragma once

// A translator wired to fakes, with helpers to write and read CI-V bytes as hex text.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fake_serial.h"
#include "hex.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "recorders.h"
#include "test_config.h"
#include "translator.h"

namespace vocrig::test {

using namespace vocrig::translator;

using Config = TestConfig;

struct Rig {
    platform::fake::FakeSerialEnd radio, panel, passThrough;
    platform::fake::FakeSerialDevices devices;
    platform::fake::FakePortWaiter waiter;
    platform::fake::RecordingConsole console;
    platform::fake::RecordingProcess process;
    platform::fake::ManualClock clock;
    platform::fake::MemoryFiles files;
    Translator t{radio, panel, passThrough, devices, waiter, console, process, clock, files};

    TranslatorState& st() { return t.state(); }

    // Starts with the given configuration and, unless told otherwise, with the
    // radio already heard so replies reach the panel.
    void start(const Config& config = Config(), bool heard = true) {
        files.files["vocrig.cfg"] = config.text();
        t.startUp();
        radio.takeWritten();
        if (heard) st().radioHeard = 1;
    }

    // The panel writes a command; one turn takes it.
    void command(const std::string& text) {
        panel.inject(text);
        t.turn();
    }

    // The radio sends these bytes (hex text); one turn takes them.
    void hear(const std::string& hexText) {
        radio.inject(hex(hexText));
        t.turn();
    }

    // Frames written to the radio since the last call, each without the header
    // FE FE xx E0 and the FD, as hex text.
    std::vector<std::string> frames() {
        std::string all = radio.takeWritten();
        std::vector<std::string> out;
        size_t start = 0;
        while (start < all.size()) {
            size_t fd = all.find('\xFD', start);
            if (fd == std::string::npos) fd = all.size();
            std::string frame = all.substr(start, fd - start);
            out.push_back(toHex(frame.size() >= 4 ? frame.substr(4) : frame));
            start = fd + 1;
        }
        return out;
    }

    std::string replies() { return panel.takeWritten(); }
    std::string log() { return files.files.count("debug.dat") ? files.files["debug.dat"] : std::string("<none>"); }
};

}  // namespace vocrig::test
