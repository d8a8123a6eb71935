// An operator's hour: vocsim with its line faults, voctrans and the real
// vocpanel (started by voctrans, on an X display, SDL's dummy sound), the
// panel polling 50 times a second, a tuning key typed every second, the radio
// unplugged and plugged in again every 10 minutes (vocsim stopped and started
// again on the same ports/com5), and the panel killed once half-way through.
// Prints numbers; asserts nothing.
//
//   bench_soak_panel <word-set folder> [seconds (3600)] [unplug period s (600)]
//
// - commands lost: frequency sets the panel sent while the radio was plugged
//   in, against the sets vocsim logged;
// - wrong values passed on: frequency answers the panel read that name a
//   frequency neither the panel nor the radio's start ever set;
// - resident memory of voctrans and vocpanel at the start and at the end.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "link_processes.h"

using namespace vocrig::e2e;

namespace {

const std::string binDir = VOCRIG_BIN_DIR;
const std::vector<std::string> radioOptions{"--echo",     "--pace",    "--drop",    "1%", "--corrupt",
                                            "1%",         "--truncate", "1%",       "--garbage", "1%"};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Frequency sets the panel sent so far ("send FA" + 11 digits), all of them.
std::vector<std::string> setsSent(const std::string& trace) {
    static const std::regex set(" send F[AB]([0-9]{11});");
    std::vector<std::string> out;
    for (std::sregex_iterator it(trace.begin(), trace.end(), set), end; it != end; ++it) out.push_back((*it)[1]);
    return out;
}

// Frequencies in the answers the panel read.
std::vector<std::string> answersRead(const std::string& trace) {
    std::vector<std::string> out;
    std::istringstream lines(trace);
    std::string line;
    static const std::regex answer("F[AB]([0-9]{11});");
    while (std::getline(lines, line)) {
        if (line.find(" read ") == std::string::npos) continue;
        for (std::sregex_iterator it(line.begin(), line.end(), answer), end; it != end; ++it)
            out.push_back((*it)[1]);
    }
    return out;
}

bool typeKey(const std::string& key) {
    const std::string command = "xdotool search --name 'Vocrig Front Panel' windowfocus --sync key " + key +
                                " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage (with an X display): bench_soak_panel <word-set folder> [seconds] [unplug period]\n");
        return 2;
    }
    const std::string words = std::filesystem::absolute(argv[1]).string();
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3600;
    const double unplugPeriod = argc > 3 ? std::atof(argv[3]) : 600;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);

    LinkProcesses p;
    p.realPanel = true;
    p.wordSet = words;
    if (!p.start(binDir, "7300", 1, radioOptions)) {
        std::fprintf(stderr, "the programs did not start\n%s", p.file("voctrans.txt").c_str());
        return 1;
    }
    auto connectedCount = [&] { return count(p.file("vocpanel.trace"), " say connected\n"); };
    auto waitConnected = [&](size_t times, int ms) {
        for (int waited = 0; waited < ms; waited += 100) {
            if (connectedCount() >= times) return true;
            usleep(100000);
        }
        return false;
    };
    if (!waitConnected(1, 60000)) {
        std::fprintf(stderr, "the panel never said \"connected\"\n");
        return 1;
    }
    const std::string panelExe = p.dir + "/bin/vocpanel";
    pid_t panel = vocrig::test::pidOfProgram(panelExe);
    usleep(2'000'000);
    const long transRssStart = vocrig::test::residentKb(p.translator.pid), panelRssStart = vocrig::test::residentKb(panel);

    // The radio's own start frequency is a value it may tell; everything else must have been set.
    std::set<std::string> known{"00007100000"};
    long radioSets = 0, sentWhileDown = 0, keys = 0, unplugs = 0, panelKills = 0;
    long long panelBack = -1;
    const std::vector<std::string> tour{"Up", "Up", "Down", "Prior", "Next", "Right", "Left", "Down"};
    const int64_t start = nowMicros(), end = start + static_cast<int64_t>(seconds * 1e6);
    int64_t nextUnplug = start + static_cast<int64_t>(unplugPeriod * 1e6);
    bool killed = false;
    std::printf("soak: %.0f s, a key a second, radio unplugged every %.0f s, panel killed at half time\n", seconds,
                unplugPeriod);
    for (long second = 1; nowMicros() < end; ++second) {
        sleepMicros(start + second * 1'000'000 - nowMicros());
        const int64_t now = nowMicros();
        if (now >= nextUnplug && now + 30'000'000 < end) {
            // Unplug: what vocsim heard so far counts, then the radio is gone for 20 s.
            usleep(1'500'000);
            p.radio.stop();
            radioSets += static_cast<long>(count(p.file("vocsim.txt"), "set frequency"));
            const size_t before = setsSent(p.file("vocpanel.trace")).size();
            ++unplugs;
            usleep(20'000'000);
            const size_t connectedBefore = connectedCount();
            std::vector<std::string> args{"--publish", "ports/com5", "--model", "7300", "--seed",
                                          std::to_string(unplugs + 1)};
            args.insert(args.end(), radioOptions.begin(), radioOptions.end());
            std::filesystem::remove(p.dir + "/vocsim.txt");
            p.radio.start(binDir + "/vocsim", args, p.dir, p.dir + "/vocsim.txt", "/usr/bin:/bin");
            const int64_t replugged = nowMicros();
            const bool back = waitConnected(connectedBefore + 1, 30000);
            sentWhileDown += static_cast<long>(setsSent(p.file("vocpanel.trace")).size() - before);
            std::printf("  unplug %ld: %s %.1f s after the replug\n", unplugs,
                        back ? "\"connected\" again" : "NOT connected", (nowMicros() - replugged) / 1e6);
            nextUnplug = nowMicros() + static_cast<int64_t>(unplugPeriod * 1e6);
            continue;
        }
        if (!killed && now >= start + static_cast<int64_t>(seconds * 5e5)) {
            killed = true;
            const size_t connectedBefore = connectedCount();
            const int64_t at = nowMicros();
            if (panel > 0 && kill(panel, SIGKILL) == 0) ++panelKills;
            const bool back = waitConnected(connectedBefore + 1, 60000);
            panelBack = back ? (nowMicros() - at) / 1000 : -1;
            panel = vocrig::test::pidOfProgram(panelExe);
            std::printf("  panel killed: %s\n", back ? "a new panel said \"connected\"" : "NO new panel connected");
            continue;
        }
        if (typeKey(tour[static_cast<size_t>(second) % tour.size()])) ++keys;
    }
    usleep(1'500'000);
    const long transRssEnd = vocrig::test::residentKb(p.translator.pid), panelRssEnd = vocrig::test::residentKb(panel);
    typeKey("q");
    p.translator.waitExit(20000);
    p.radio.stop();
    radioSets += static_cast<long>(count(p.file("vocsim.txt"), "set frequency"));

    const std::string trace = p.file("vocpanel.trace");
    const std::vector<std::string> sent = setsSent(trace);
    known.insert(sent.begin(), sent.end());
    long wrong = 0;
    const std::vector<std::string> answers = answersRead(trace);
    for (const std::string& a : answers)
        if (!known.count(a) && ++wrong <= 5) std::printf("  an answer never set: %s\n", a.c_str());
    const long sentUp = static_cast<long>(sent.size()) - sentWhileDown;
    std::printf("  %.1f min, %ld keys typed, %ld unplugs, %ld panel kill(s)", (nowMicros() - start) / 60e6, keys,
                unplugs, panelKills);
    if (panelKills) std::printf(" (a new panel connected %lld ms after the kill)", panelBack);
    std::printf("\n  frequency sets sent with the radio plugged in %ld, logged by the radio %ld, lost %ld"
                " (sent while unplugged: %ld)\n",
                sentUp, radioSets, sentUp - radioSets, sentWhileDown);
    std::printf("  frequency answers read %zu, naming a frequency never set %ld\n", answers.size(), wrong);
    std::printf("  resident memory kB: voctrans %ld -> %ld, vocpanel %ld -> %ld\n", transRssStart, transRssEnd,
                panelRssStart, panelRssEnd);
    return 0;
}
