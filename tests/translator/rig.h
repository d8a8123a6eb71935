#pragma once

// A translator wired to fakes, with helpers to write and read CI-V bytes as hex text.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fake_serial.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "recorders.h"
#include "translator.h"

namespace vocrig::test {

// "FE FE 94 E0" -> bytes.
inline std::string hex(const std::string& text) {
    std::string out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) out += static_cast<char>(std::stoi(word, nullptr, 16));
    return out;
}

// bytes -> "FE FE 94 E0".
inline std::string toHex(const std::string& bytes) {
    std::string out;
    char group[4];
    for (unsigned char b : bytes) {
        std::snprintf(group, sizeof group, "%s%02X", out.empty() ? "" : " ", b);
        out += group;
    }
    return out;
}

struct Config {
    std::string com = "Com=5";
    std::string speed = "speed=19200";
    std::string model = "7300";
    std::string passThrough = "0";
    int debug = 0;
    bool lockLine = false;

    std::string text() const {
        std::string s = com + "\r\n" + speed + "\r\nRadio=" + model + "\r\n";
        s += "power=100\r\nswr=0\r\ntune=0\r\nbandplan=2\r\npowersw=0\r\n";
        if (lockLine) s += "lock=0\r\n";
        std::string pass = "VRPort=" + passThrough;  // 8 characters for one digit
        s += pass + "\r\ndebug=" + std::to_string(debug) + "\r\ndiag=0\r\n";
        return s;
    }
};

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
