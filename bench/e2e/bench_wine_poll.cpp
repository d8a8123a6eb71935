// The Windows programs polling under Wine: vocsim (Linux) as the radio on
// COM5, voctrans.exe starting vocpanel.exe, the panel polling 50 times a
// second. Prints the CPU each program (and the wine server) uses meanwhile.
// Asserts nothing. Run with a display (tests/support/with_xvfb) and a Wine
// prefix made by `tools/wine-run PREFIX setup PORTS`:
//
//   export VOCRIG_WINE_RUN=tools/wine-run VOCRIG_WINE_PREFIX=PREFIX VOCRIG_WINE_PORTS=PORTS
//   bench_wine_poll voctrans.exe vocpanel.exe pipe|pair [seconds]
//
// "pipe": no COM20, the panel's link is the translator's named pipe.
// "pair": COM20 and COM21 are two pseudo-terminals joined here, as com0com
//         joins them on Windows (the only link older builds knew).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "link_processes.h"
#include "process_tools.h"

using namespace vocrig::e2e;

namespace {

double cpuOf(const std::vector<pid_t>& pids) {
    double total = 0;
    for (pid_t pid : pids) total += vocrig::test::cpuSecondsOf(pid);
    return total;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::getenv("VOCRIG_WINE_RUN") == nullptr || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage (with a display and VOCRIG_WINE_RUN/_PREFIX/_PORTS set): "
                             "bench_wine_poll voctrans.exe vocpanel.exe pipe|pair [seconds]\n");
        return 2;
    }
    const std::string mode = argv[3];
    const int seconds = argc > 4 ? std::atoi(argv[4]) : 10;
    const std::string wineRun = std::getenv("VOCRIG_WINE_RUN"), prefix = std::getenv("VOCRIG_WINE_PREFIX"),
                      ports = std::getenv("VOCRIG_WINE_PORTS");

    char tmpl[] = "/tmp/vocrig-wine-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    std::filesystem::create_directories(dir + "/bin");
    std::filesystem::create_directories(dir + "/ports");
    std::filesystem::copy_file(argv[1], dir + "/bin/voctrans.exe");
    std::filesystem::copy_file(argv[2], dir + "/bin/vocpanel.exe");
    vocrig::test::TestConfig().write(dir + "/vocrig.cfg");

    Child radio, translator;
    if (!radio.start(VOCRIG_BIN_DIR "/vocsim", {"--publish", "ports/com5", "--model", "7300", "--seed", "1"}, dir,
                     dir + "/vocsim.txt", "/usr/bin:/bin"))
        return 1;
    for (int i = 0; i < 500 && !std::filesystem::is_symlink(dir + "/ports/com5"); ++i) sleepMicros(10000);
    for (const char* name : {"/com5", "/com20", "/com21"}) std::filesystem::remove(ports + name);
    std::filesystem::create_symlink(dir + "/ports/com5", ports + "/com5");

    // The pair: Wine's COM20 and COM21 on two pseudo-terminals, every byte copied across.
    vocrig::platform::posix::PosixSerialPort a, b;
    if (mode == "pair") {
        if (!a.openVirtualPairAt(dir + "/ports/com20") || !b.openVirtualPairAt(dir + "/ports/com21")) return 1;
        std::filesystem::create_symlink(dir + "/ports/com20", ports + "/com20");
        std::filesystem::create_symlink(dir + "/ports/com21", ports + "/com21");
    }
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    if (!translator.start(wineRun, {prefix, "run", dir + "/bin/voctrans.exe"}, dir, dir + "/voctrans.txt",
                          "/usr/bin:/bin"))
        return 1;

    vocrig::platform::posix::PollPortWaiter waiter;
    auto pump = [&](int64_t micros) {
        const int64_t end = nowMicros() + micros;
        while (nowMicros() < end) {
            if (mode != "pair") {
                sleepMicros(std::min<int64_t>(50000, end - nowMicros()));
                continue;
            }
            waiter.waitForInput({&a, &b}, 10);
            for (auto [from, to] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
                const int n = from->bytesWaiting();
                if (n > 0) to->write(from->read(n));
            }
        }
    };
    const std::string trace = dir + "/vocpanel.trace";
    for (int i = 0; i < 120 && count(vocrig::test::slurp(trace), " say connected\n") == 0; ++i) pump(500000);
    if (count(vocrig::test::slurp(trace), " say connected\n") == 0) {
        std::fprintf(stderr, "bench_wine_poll: the panel did not connect\n%s", vocrig::test::slurp(dir + "/voctrans.txt").c_str());
        return 1;
    }
    pump(2000000);  // into the steady poll

    // Wine shows the panel by the command line voctrans gave it ("vocpanel").
    const auto trans = vocrig::test::processesIn(dir, "voctrans.exe"), panel = vocrig::test::processesIn(dir, "vocpanel");
    const auto server = vocrig::test::processesIn("", "wineserver");
    const double t0 = cpuOf(trans), p0 = cpuOf(panel), s0 = cpuOf(server), r0 = radio.cpuSeconds();
    const size_t polls0 = count(vocrig::test::slurp(trace), " read FA");
    const int64_t start = nowMicros();
    pump(static_cast<int64_t>(seconds) * 1000000);
    const double elapsed = static_cast<double>(nowMicros() - start) / 1e6;
    const double transCpu = cpuOf(trans) - t0, panelCpu = cpuOf(panel) - p0, serverCpu = cpuOf(server) - s0,
                 radioCpu = radio.cpuSeconds() - r0;
    const size_t polls = count(vocrig::test::slurp(trace), " read FA") - polls0;
    std::printf("link %s, %.1f s, %.1f frequency answers a second read by the panel\n", mode.c_str(), elapsed,
                static_cast<double>(polls) / elapsed);
    std::printf("CPU while polling, %% of one core   voctrans.exe %5.1f   vocpanel.exe %5.1f   wineserver %5.1f"
                "   vocsim %5.1f\n",
                100 * transCpu / elapsed, 100 * panelCpu / elapsed, 100 * serverCpu / elapsed,
                100 * radioCpu / elapsed);

    // Q through the panel's window would need keys; ending the programs is enough here.
    for (pid_t pid : panel) kill(pid, SIGTERM);
    translator.stop();
    radio.stop();
    for (const char* name : {"/com5", "/com20", "/com21"}) std::filesystem::remove(ports + name);
    std::filesystem::remove_all(dir);
    return 0;
}
