// Round-trip latency of a 14-byte message over a pseudo-terminal pair through
// the port layer, and the CPU used by an idle wait. Prints numbers; asserts nothing.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix.h"

using namespace vocrig::platform::posix;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Waits for and reads exactly n bytes.
std::string receive(PosixSerialPort& port, PollPortWaiter& waiter, size_t n) {
    std::string got;
    while (got.size() < n) {
        int waiting = port.bytesWaiting();
        if (waiting > 0) {
            got += port.read(waiting);
        } else {
            waiter.waitForInput({&port}, 100);
        }
    }
    return got;
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/vocrig-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    std::filesystem::current_path(tmpl);

    PosixSerialPort near, far;
    if (!near.openVirtualPair("COM21") || !far.open("COM21")) {
        std::fprintf(stderr, "cannot create the pseudo-terminal pair\n");
        return 1;
    }
    near.configure(38400, 1);
    far.configure(38400, 2);
    PollPortWaiter waiter;
    SystemClock clock;
    const std::string message = "FA00014200000;";  // 14 bytes

    const int rounds = 10000;
    std::vector<double> micros;
    micros.reserve(rounds);
    for (int i = 0; i < rounds; ++i) {
        int64_t t0 = clock.monotonicMicros();
        far.write(message);
        receive(near, waiter, message.size());
        near.write(message);
        receive(far, waiter, message.size());
        micros.push_back(static_cast<double>(clock.monotonicMicros() - t0));
    }
    std::sort(micros.begin(), micros.end());
    std::printf("round trip of a 14-byte message over a pseudo-terminal pair (%d rounds)\n", rounds);
    std::printf("  median %.1f us   p99 %.1f us   max %.1f us\n", micros[rounds / 2], micros[rounds * 99 / 100],
                micros.back());

    double cpu0 = cpuSeconds();
    int64_t t0 = clock.monotonicMicros();
    while (clock.monotonicMicros() - t0 < 2000000) waiter.waitForInput({&near, &far}, 50);
    double wall = (clock.monotonicMicros() - t0) / 1e6;
    double cpu = cpuSeconds() - cpu0;
    std::printf("idle wait of %.2f s on two ports: CPU %.4f s = %.3f%% of one core\n", wall, cpu, 100.0 * cpu / wall);

    near.close();
    far.close();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(tmpl);
    return 0;
}
