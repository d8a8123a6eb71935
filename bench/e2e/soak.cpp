// A long run of the real voctrans and vocsim as an operator's setup runs them:
// the panel's 50 polls a second, key commands that meet a poll in one write,
// commands split across writes, and a faulty CI-V line. Counts the commands
// that never reached the radio and the replies that carried a wrong value.
// Prints numbers; asserts nothing.
//
//   bench_soak [seconds]     the soak (default 600 s)
//   bench_soak unplug        the radio's cable pulled and put back, timed
//   bench_soak setpoll [n]   a set sent 0-20 ms after a poll: does the next poll tell it?
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "link_processes.h"

using vocrig::e2e::LinkProcesses;
using vocrig::e2e::nowMicros;
using vocrig::e2e::sleepMicros;

namespace {

const std::string binDir = VOCRIG_BIN_DIR;
constexpr int64_t tickMicros = 20000;  // the panel's poll period

bool allDigits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string frequencyText(long long hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%011lld", hz);
    return text;
}

struct Tally {
    long replies = 0, malformed = 0, frequencyNeverSet = 0;
    std::set<std::string> known{"00007100000"};

    void take(const std::string& reply) {
        ++replies;
        auto threeDigits = [&](size_t from) {
            std::string v = reply.substr(from);
            return v.size() == 3 && allDigits(v) && std::atoi(v.c_str()) <= 255;
        };
        std::string code = reply.substr(0, 3);
        if (reply.rfind("FA", 0) == 0 && reply.size() == 13 && allDigits(reply.substr(2))) {
            if (!known.count(reply.substr(2))) {
                ++frequencyNeverSet;
                if (frequencyNeverSet <= 5) std::printf("  a frequency never set: %s\n", reply.c_str());
            }
        } else if ((code == "SM0" || code == "RM1" || code == "AG0") && threeDigits(3)) {
        } else {
            ++malformed;
            if (malformed <= 5) std::printf("  malformed reply: %s\n", reply.c_str());
        }
    }
};

int soak(double seconds) {
    LinkProcesses p;
    // A faulty CI-V line: answers dropped, changed, cut short or behind noise, 1% each.
    if (!p.start(binDir, "7300", 1,
                 {"--echo", "--pace", "--drop", "1%", "--corrupt", "1%", "--truncate", "1%", "--garbage", "1%"})) {
        std::printf("the programs did not come up\n%s", p.file("voctrans.txt").c_str());
        return 1;
    }
    p.exchange("Z1;");
    Tally tally;
    std::string pending;
    long setsSent = 0, polls = 0, joinedWrites = 0, splitWrites = 0;
    std::string splitTail;
    long long next = 14000000;
    int64_t start = nowMicros(), end = start + static_cast<int64_t>(seconds * 1e6);
    for (long tick = 0; nowMicros() < end; ++tick) {
        int64_t due = start + tick * tickMicros;
        sleepMicros(due - nowMicros());
        std::string write = tick % 2 == 0 ? "FA;" : (tick % 4 == 1 ? "SM0;" : "RM1;");
        ++polls;
        if (!splitTail.empty()) {
            write = splitTail + write;  // the rest of a command split by the last write
            splitTail.clear();
        }
        if (tick % 10 == 5) {
            // A key command meeting a poll: both in one write.
            std::string digits = frequencyText(next += 10);
            tally.known.insert(digits);
            write += "FA" + digits + ";AG0" + std::to_string(100 + tick % 100) + ";";
            setsSent += 1;
            ++joinedWrites;
        } else if (tick % 100 == 7) {
            // A command split across two writes, 20 ms apart.
            std::string digits = frequencyText(next += 10);
            tally.known.insert(digits);
            std::string command = "FA" + digits + ";";
            write += command.substr(0, 6);
            splitTail = command.substr(6);
            setsSent += 1;
            ++splitWrites;
        }
        p.panel.write(write);
        int n = p.panel.bytesWaiting();
        if (n > 0) pending += p.panel.read(n);
        for (size_t semi = pending.find(';'); semi != std::string::npos; semi = pending.find(';')) {
            tally.take(pending.substr(0, semi));
            pending.erase(0, semi + 1);
        }
    }
    sleepMicros(200000);
    p.exchange("quit;", 0);
    p.translator.waitExit(5000);
    p.radio.stop();
    std::string radioLog = p.file("vocsim.txt");
    long setsReceived = static_cast<long>(count(radioLog, "set frequency"));
    double minutes = (nowMicros() - start) / 60e6;
    std::printf("soak %.1f min at 50 polls/s, faulty line (drop/corrupt/truncate/garbage 1%% each), echo, paced\n",
                minutes);
    std::printf("  polls %ld, writes with a key command behind a poll %ld, commands split across writes %ld\n", polls,
                joinedWrites, splitWrites);
    std::printf("  frequency sets sent %ld, received by the radio %ld, lost %ld\n", setsSent, setsReceived,
                setsSent - setsReceived);
    std::printf("  replies %ld, malformed (outside the dialect) %ld, FA with a frequency never set %ld\n",
                tally.replies, tally.malformed, tally.frequencyNeverSet);
    std::printf("  debug.dat %zu bytes, debug.old %zu bytes\n", p.file("debug.dat").size(),
                p.file("debug.old").size());
    return 0;
}

int unplug() {
    LinkProcesses p;
    if (!p.start(binDir, "7300", 1, {"--unplug-after", "3", "--replug-after", "3"})) return 1;
    p.exchange("Z1;");
    int64_t lastReply = 0, unplugged = 0, stopped = 0, replugged = 0, resumed = 0;
    int64_t start = nowMicros(), end = start + 15'000'000;
    for (long tick = 0; nowMicros() < end && resumed == 0; ++tick) {
        sleepMicros(start + tick * tickMicros - nowMicros());
        p.panel.write("FA;");
        sleepMicros(5000);
        int n = p.panel.bytesWaiting();
        std::string got = n > 0 ? p.panel.read(n) : std::string();
        int64_t now = nowMicros();
        std::string radioLog = p.file("vocsim.txt");
        if (unplugged == 0 && radioLog.find("unplugged") != std::string::npos) unplugged = now;
        if (replugged == 0 && radioLog.find("plugged in again") != std::string::npos) replugged = now;
        if (!got.empty()) {
            if (replugged != 0) resumed = now;
            lastReply = now;
        } else if (unplugged != 0 && stopped == 0) {
            stopped = now;
        }
    }
    std::printf("unplug (seen in vocsim's log, polled every 20 ms) to the first poll without a reply: %.0f ms\n",
                (stopped - unplugged) / 1e3);
    std::printf("  the panel says \"nc\" after 20 missed polls: about %.0f ms after the unplug\n",
                (stopped - unplugged) / 1e3 + 20 * tickMicros / 1e3);
    std::printf("replug to the first reply: %.0f ms\n", (resumed - replugged) / 1e3);
    (void)lastReply;
    return 0;
}

// One poll, a frequency set `gapMicros` later, the next poll 40 ms after the
// first: true when that poll reports the value set.
bool setThenPoll(LinkProcesses& p, const std::string& digits, int64_t gapMicros) {
    int64_t t0 = nowMicros();
    p.panel.write("FA;");
    sleepMicros(t0 + gapMicros - nowMicros());
    p.panel.write("FA" + digits + ";");
    sleepMicros(t0 + 39000 - nowMicros());
    if (int n = p.panel.bytesWaiting(); n > 0) p.panel.read(n);  // what came before the poll that counts
    sleepMicros(t0 + 40000 - nowMicros());
    std::string got = p.exchange("FA;", 15);
    return got.find("FA" + digits + ";") != std::string::npos;
}

int setPoll(int trials) {
    LinkProcesses p;
    if (!p.start(binDir, "7300", 0, {"--pace", "--delay", "3"})) return 1;
    p.exchange("Z1;");
    std::printf("set sent after a poll; does the next poll (40 ms after the first) tell the value set?\n");
    std::printf("vocsim --pace --delay 3 (19200 Bd)\n");
    long long hz = 14100000;
    for (int gapMs : {0, 2, 5, 8, 20}) {
        int told = 0;
        for (int i = 0; i < trials; ++i) {
            // Settle on a known frequency first: a few polls 40 ms apart.
            std::string before = frequencyText(hz += 1000);
            p.exchange("FA" + before + ";", 40);
            for (int k = 0; k < 3; ++k) p.exchange("FA;", 40);
            if (setThenPoll(p, frequencyText(hz += 1000), gapMs * 1000)) ++told;
        }
        std::printf("  set %2d ms after a poll: the next poll tells the value set %d of %d times\n", gapMs, told,
                    trials);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && std::string(argv[1]) == "unplug") return unplug();
    if (argc > 1 && std::string(argv[1]) == "setpoll") return setPoll(argc > 2 ? std::atoi(argv[2]) : 40);
    return soak(argc > 1 ? std::atof(argv[1]) : 600);
}
