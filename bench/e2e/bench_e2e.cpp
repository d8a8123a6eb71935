// The whole link with the real programs: vocsim as the radio, voctrans, and
// this program as the panel on ports/com21. Prints numbers; asserts nothing.
//
//   bench_e2e [rounds] [seconds] [vocsim options...]    e.g. bench_e2e 500 10 --echo --pace
//
// 1. Set to read-back: the time from writing a frequency set "FA...;" until a
//    "FA;" poll's reply carries the frequency as the radio read it back. The
//    set is written with the tens-of-gigahertz digit 1, which the radio cannot
//    hold (it takes the other ten digits), so the translator's stored copy
//    ("FA1...") and the radio's read-back ("FA0...") can be told apart.
// 2. Polling at 50 Hz, alternating "FA;" and "SM0;" as the panel does, with
//    the CPU time voctrans and vocsim use meanwhile (from /proc/<pid>/stat).
// 3. The fastest back-to-back poll rate, each poll waiting for its reply.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link_processes.h"

using namespace vocrig::e2e;

namespace {

// Reads until a reply ends in ";" or `timeoutMicros` passes; "" on time-out.
std::string awaitReply(vocrig::platform::posix::PosixSerialPort& port, int64_t timeoutMicros) {
    vocrig::platform::posix::PollPortWaiter waiter;
    std::string got;
    int64_t end = nowMicros() + timeoutMicros;
    while (nowMicros() < end) {
        int n = port.bytesWaiting();
        if (n > 0) {
            got += port.read(n);
            if (!got.empty() && got.back() == ';') return got;
            continue;
        }
        waiter.waitForInput({&port}, 2);
    }
    return {};
}

std::string elevenDigits(long long hz) {
    std::string s = std::to_string(hz);
    return std::string(11 - s.size(), '0') + s;
}

void report(const char* what, std::vector<double> micros) {
    if (micros.empty()) {
        std::printf("%-46s no samples\n", what);
        return;
    }
    std::sort(micros.begin(), micros.end());
    double median = micros[micros.size() / 2];
    double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf("%-46s median %8.2f ms   p99 %8.2f ms   max %8.2f ms   (n=%zu)\n", what, median / 1000, p99 / 1000,
                micros.back() / 1000, micros.size());
}

// Gap between two commands: the translator takes one command per read.
constexpr int64_t commandGapMicros = 2000;
constexpr int64_t replyTimeoutMicros = 200000;

// Rounds of: a frequency set, then "FA;" polls `pollGapMicros` apart until one
// carries the radio's read-back. `offset` keeps each series on fresh frequencies.
void setToReadBack(LinkProcesses& p, int rounds, int64_t pollGapMicros, int offset) {
    std::vector<double> toStored, toRadio;
    int lostPolls = 0, pollsSent = 0, unconfirmed = 0;
    for (int i = 0; i < rounds; ++i) {
        const std::string digits = elevenDigits(14000000 + 100LL * (offset + i + 1));
        const std::string stored = "FA1" + digits.substr(1) + ";";
        const std::string readBack = "FA" + digits + ";";
        const int64_t t0 = nowMicros();
        p.panel.write(stored);
        bool storedSeen = false, confirmed = false;
        int64_t nextPoll = t0 + pollGapMicros;
        while (nowMicros() - t0 < 1000000) {
            sleepMicros(nextPoll - nowMicros());
            nextPoll += pollGapMicros;
            p.panel.write("FA;");
            ++pollsSent;
            std::string reply = awaitReply(p.panel, replyTimeoutMicros);
            const int64_t t = nowMicros();
            if (reply.empty()) {
                ++lostPolls;
                continue;
            }
            if (!storedSeen && reply.find(stored) != std::string::npos) {
                storedSeen = true;
                toStored.push_back(static_cast<double>(t - t0));
            }
            if (reply.find(readBack) != std::string::npos) {
                toRadio.push_back(static_cast<double>(t - t0));
                confirmed = true;
                break;
            }
        }
        if (!confirmed) ++unconfirmed;
        sleepMicros(std::max<int64_t>(commandGapMicros, nextPoll - nowMicros()));
    }
    std::printf("\n1. frequency set, then a poll every %.0f ms: %d rounds, %d polls, %d unanswered, "
                "%d rounds without a read-back within 1 s\n",
                static_cast<double>(pollGapMicros) / 1000, rounds, pollsSent, lostPolls, unconfirmed);
    report("set -> reply with the translator's copy", toStored);
    report("set -> reply with the radio's read-back", toRadio);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 500;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const std::vector<std::string> radioOptions(argv + std::min(argc, 3), argv + argc);

#ifndef NDEBUG
    std::printf("note: a debug build (the programs beside this one likely carry the sanitizers); "
                "build with -DCMAKE_BUILD_TYPE=Release for representative numbers\n");
#endif
    LinkProcesses p;
    if (!p.start(VOCRIG_BIN_DIR, "7300", 0, radioOptions)) {
        std::fprintf(stderr, "bench_e2e: the programs did not come up\n%s%s", p.file("voctrans.txt").c_str(),
                     p.file("vocsim.txt").c_str());
        return 1;
    }
    p.collect(300);
    std::string id = p.exchange("Z1;");
    p.exchange("Z2;");
    std::printf("vocsim pid %d, voctrans pid %d, identity reply %zu bytes\n", p.radio.pid, p.translator.pid,
                id.size());

    // 1. Set to read-back, polling as fast as the link allows and at the panel's 20 ms tick.
    setToReadBack(p, rounds, commandGapMicros, 0);
    setToReadBack(p, rounds, 20000, rounds);

    // 2. Polling at 50 Hz.
    const int64_t period = 20000;
    const int polls = seconds * 50;
    std::vector<double> faLatency, smLatency;
    int faMissing = 0, smMissing = 0;
    const double transStart = p.translator.cpuSeconds(), simStart = p.radio.cpuSeconds();
    const int64_t start = nowMicros();
    for (int i = 0; i < polls; ++i) {
        sleepMicros(start + i * period - nowMicros());
        const bool fa = i % 2 == 0;
        const int64_t t0 = nowMicros();
        p.panel.write(fa ? "FA;" : "SM0;");
        std::string reply = awaitReply(p.panel, period - 3000);
        const int64_t t = nowMicros();
        bool ok = reply.compare(0, fa ? 2 : 3, fa ? "FA" : "SM0") == 0;
        if (fa) {
            if (ok) faLatency.push_back(static_cast<double>(t - t0));
            else ++faMissing;
        } else {
            if (ok) smLatency.push_back(static_cast<double>(t - t0));
            else ++smMissing;
        }
    }
    const double elapsed = static_cast<double>(nowMicros() - start) / 1e6;
    const double transCpu = p.translator.cpuSeconds() - transStart, simCpu = p.radio.cpuSeconds() - simStart;
    std::printf("\n2. polling at 50 Hz for %.2f s: %d polls sent (%.1f per second), %d FA and %d SM0 replies missing\n",
                elapsed, polls, polls / elapsed, faMissing, smMissing);
    report("FA; -> reply", faLatency);
    report("SM0; -> reply", smLatency);
    std::printf("CPU: voctrans %.3f s (%.1f %%), vocsim %.3f s (%.1f %%)\n", transCpu, 100 * transCpu / elapsed,
                simCpu, 100 * simCpu / elapsed);

    // 3. Back-to-back polls.
    int answered = 0, missed = 0;
    const int64_t burstStart = nowMicros();
    while (nowMicros() - burstStart < 3000000) {
        p.panel.write(answered % 2 == 0 ? "FA;" : "SM0;");
        if (awaitReply(p.panel, replyTimeoutMicros).empty()) ++missed;
        else ++answered;
        sleepMicros(commandGapMicros);
    }
    const double burst = static_cast<double>(nowMicros() - burstStart) / 1e6;
    std::printf("\n3. back-to-back polls (%.0f ms gap): %.0f answered per second, %d unanswered\n",
                commandGapMicros / 1000.0, answered / burst, missed);

    p.exchange("quit;", 0);
    std::printf("\nvoctrans ended with status %d after quit\n", p.translator.waitExit(5000));
    return 0;
}
