// The panel polling the radio: vocsim, voctrans and the real vocpanel (started
// by voctrans, with the word set in wave/), the panel's trace read afterwards.
// Needs an X display (run it under tests/support/with_xvfb or xvfb-run); SDL's
// dummy sound driver keeps the words' timing real without a sound card.
// Prints numbers; asserts nothing.
//
//   bench_panel_poll <word-set folder> [seconds of steady polling]
//
// - start to "connected": the trace's time of "say connected" (ms since the panel started);
// - frequency polls a second while polling steadily ("send FA;" lines in the trace);
// - CPU of each program meanwhile, and the panel's resident memory.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "link_processes.h"

using namespace vocrig::e2e;

namespace {

// Times (ms) of the trace lines that end in `what`, from `fromMs` on.
std::vector<long> timesOf(const std::string& trace, const std::string& what, long fromMs = 0) {
    std::vector<long> out;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < what.size() || line.compare(line.size() - what.size(), what.size(), what) != 0) continue;
        long ms = std::atol(line.c_str());
        if (ms >= fromMs) out.push_back(ms);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage (with an X display): bench_panel_poll <word-set folder> [seconds]\n");
        return 2;
    }
    const std::string words = std::filesystem::absolute(argv[1]).string();
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);

    LinkProcesses p;
    p.realPanel = true;
    p.wordSet = words;
    if (!p.start(VOCRIG_BIN_DIR)) {
        std::fprintf(stderr, "the programs did not start\n%s", p.file("voctrans.txt").c_str());
        return 1;
    }

    auto waitFor = [&](const std::string& what, int ms) {
        for (int waited = 0; waited < ms; waited += 20) {
            if (p.file("vocpanel.trace").find(what) != std::string::npos) return true;
            usleep(20000);
        }
        return false;
    };
    if (!waitFor(" say connected\n", 60000)) {
        std::fprintf(stderr, "the panel never said \"connected\"\n");
        return 1;
    }
    const pid_t panel = vocrig::test::pidOfProgram(p.dir + "/bin/vocpanel");
    usleep(1'000'000);  // past the last words of the set-up

    const std::vector<long> connected = timesOf(p.file("vocpanel.trace"), " say connected");
    const long fromMs = timesOf(p.file("vocpanel.trace"), " send FA;").back();
    const double panelStart = vocrig::test::cpuSecondsOf(panel), transStart = p.translator.cpuSeconds(),
                 simStart = p.radio.cpuSeconds();
    const int64_t t0 = nowMicros();
    usleep(static_cast<useconds_t>(seconds) * 1'000'000);
    const double wall = static_cast<double>(nowMicros() - t0) / 1e6;
    const double panelCpu = vocrig::test::cpuSecondsOf(panel) - panelStart,
                 transCpu = p.translator.cpuSeconds() - transStart, simCpu = p.radio.cpuSeconds() - simStart;
    const long rss = vocrig::test::residentKb(panel);
    const std::vector<long> polls = timesOf(p.file("vocpanel.trace"), " send FA;", fromMs);
    const double span = polls.size() > 1 ? static_cast<double>(polls.back() - polls.front()) / 1000 : 0;

    std::printf("panel start to \"connected\"                    %8ld ms\n", connected.front());
    std::printf("frequency polls a second, steady               %8.1f   (%zu in %.1f s)\n",
                span > 0 ? static_cast<double>(polls.size() - 1) / span : 0.0, polls.size(), span);
    std::printf("CPU while polling, %% of one core               vocpanel %5.1f   voctrans %5.1f   vocsim %5.1f\n",
                100 * panelCpu / wall, 100 * transCpu / wall, 100 * simCpu / wall);
    std::printf("vocpanel resident memory                       %8ld kB\n", rss);
    return 0;
}
