// Latency through the real voctrans over pseudo-terminals, and its CPU use
// while idle. Prints numbers; asserts nothing.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "process_harness.h"

using namespace vocrig::test;

namespace {

// Waits until `port` has delivered a byte equal to `last`; false after a second.
bool receiveThrough(vocrig::platform::posix::PosixSerialPort& port, char last) {
    vocrig::platform::posix::PollPortWaiter waiter;
    std::string got;
    int64_t end = nowMicros() + 1000000;
    while (nowMicros() < end) {
        if (drain(port, got) && got.find(last) != std::string::npos) return true;
        waiter.waitForInput({&port}, 100);
    }
    return false;
}

void report(const char* what, std::vector<double>& micros) {
    if (micros.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(micros.begin(), micros.end());
    double median = micros[micros.size() / 2];
    double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf("%-44s median %7.1f us   p99 %7.1f us   (n=%zu)\n", what, median, p99, micros.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    VoctransProcess proc;
    if (!proc.start(VOCTRANS_PATH, "7300", 0)) {
        std::fprintf(stderr, "voctrans did not start\n");
        return 1;
    }
    std::printf("voctrans: %s\n", VOCTRANS_PATH);

    // The echo of a frame makes the radio heard, so replies reach the panel.
    proc.radio.write(std::string("\xFE\xFE\x94\xE0\x03\xFD", 6));
    usleep(200000);

    std::vector<double> toRadio, toPanel;
    std::string scratch;
    for (int i = 0; i < rounds; ++i) {
        int64_t t0 = nowMicros();
        proc.panel.write("FA00014250000;");
        if (!receiveThrough(proc.radio, '\xFD')) break;
        toRadio.push_back(static_cast<double>(nowMicros() - t0));
    }
    usleep(50000);
    drain(proc.radio, scratch);
    for (int i = 0; i < rounds; ++i) {
        int64_t t0 = nowMicros();
        proc.radio.write(std::string("\xFE\xFE\xE0\x94\x14\x01\x01\x28\xFD", 9));  // AF gain answer
        if (!receiveThrough(proc.panel, ';')) break;
        toPanel.push_back(static_cast<double>(nowMicros() - t0));
    }
    report("panel command ';' -> CI-V frame on radio:", toRadio);
    report("radio answer FD -> reply on panel:", toPanel);

    usleep(200000);
    double before = proc.cpuSeconds();
    int64_t t0 = nowMicros();
    sleep(static_cast<unsigned>(idleSeconds));
    double seconds = static_cast<double>(nowMicros() - t0) / 1e6;
    double used = proc.cpuSeconds() - before;
    std::printf("%-44s %.3f %% of a core over %.1f s\n", "idle CPU:", 100.0 * used / seconds, seconds);

    proc.panel.write("quit;");
    int status = proc.waitExit(5000);
    std::printf("quit: exit status %d\n", status);
    return 0;
}
