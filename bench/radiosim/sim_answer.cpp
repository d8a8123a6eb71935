// How much the simulated radio costs per frame, and how long an answer takes
// to come back over a real pseudo-terminal. Prints numbers; asserts nothing.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_serial.h"
#include "manual_clock.h"
#include "platform/posix.h"
#include "radio_sim.h"
#include "recorders.h"

using namespace vocrig::radiosim;

namespace {

std::string frame(std::initializer_list<int> body) {
    std::string b;
    for (int x : body) b.push_back(static_cast<char>(x));
    return buildFrame(0x94, 0xE0, b);
}

void inProcess() {
    vocrig::platform::fake::FakeSerialPair line;
    vocrig::platform::fake::ManualClock clock;
    vocrig::platform::fake::RecordingConsole console;
    line.a.opened = line.b.opened = true;
    SimOptions options;
    options.echo = true;
    RadioSim sim(line.a, clock, console, options);
    // What the panel's poll and a key press or two look like.
    const std::vector<std::string> mix{frame({0x03}), frame({0x15, 0x02}), frame({0x25, 0x01}),
                                       frame({0x14, 0x01, 0x01, 0x28}), frame({0x15, 0x12}),
                                       frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00})};
    const int rounds = 200000;
    auto start = std::chrono::steady_clock::now();
    size_t answered = 0;
    for (int i = 0; i < rounds; ++i) {
        line.b.write(mix[static_cast<size_t>(i) % mix.size()]);
        sim.service();
        answered += line.b.read(1 << 16).size();
        clock.now += 20000;  // a poll every 20 ms
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("in-process: %d frames in %.3f s = %.2f us per frame (%zu bytes back, log %zu bytes)\n", rounds,
                seconds, seconds * 1e6 / rounds, answered, console.output.size());
}

void overPseudoTerminal() {
    char tmpl[] = "/tmp/vocsim-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return;
    std::string link = std::string(tmpl) + "/com5";
    vocrig::platform::posix::PosixSerialPort radioEnd, controller;
    vocrig::platform::posix::SystemClock clock;
    vocrig::platform::posix::PollPortWaiter waiter;
    vocrig::platform::fake::RecordingConsole console;
    if (!radioEnd.openVirtualPairAt(link) || !controller.openPath(link)) {
        std::printf("pseudo-terminal: could not open a pair\n");
        return;
    }
    RadioSim sim(radioEnd, clock, console, SimOptions{});
    std::vector<double> micros;
    const std::string query = frame({0x03});
    for (int i = 0; i < 2000; ++i) {
        int64_t t0 = clock.monotonicMicros();
        controller.write(query);
        std::string got;
        while (got.size() < 11 && clock.monotonicMicros() - t0 < 1'000'000) {
            waiter.waitForInput({&radioEnd}, 5);
            sim.service();
            waiter.waitForInput({&controller}, 5);
            got += controller.read(controller.bytesWaiting());
        }
        micros.push_back(static_cast<double>(clock.monotonicMicros() - t0));
    }
    std::sort(micros.begin(), micros.end());
    std::printf("pseudo-terminal round trip of 03 (2000 times): median %.0f us, 99th percentile %.0f us, worst %.0f us\n",
                micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back());
    radioEnd.close();
    controller.close();
    std::filesystem::remove_all(tmpl);
}

}  // namespace

int main() {
    inProcess();
    overPseudoTerminal();
    return 0;
}
