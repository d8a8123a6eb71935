// The three real programs as an operator runs them: vocsim as the radio,
// voctrans started by the test, and vocpanel started by voctrans in a window
// on a private X server (run under with_xvfb). The panel's trace tells what it
// did; the translator's log what reached the radio.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link_processes.h"

// Last: Xlib's names clash with the headers above.
#include "x_view.h"

using namespace std::chrono_literals;
using vocrig::e2e::LinkProcesses;

namespace {

const std::string binDir = VOCRIG_BIN_DIR;

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// Waits up to `limit` for `what` to appear in a file of the working folder.
bool waitFor(const LinkProcesses& p, const std::string& file, const std::string& what, std::chrono::seconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (p.file(file).find(what) != std::string::npos) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

TEST(PanelProcess, RadioGetsTheBandSetUpAndSteadyPolls) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    LinkProcesses p;
    p.realPanel = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The trace lands in the working folder, which start() creates.
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    ASSERT_TRUE(p.start(binDir)) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say connected\n", 60s)) << p.file("vocpanel.trace");
    // Steady polling: ten more frequency answers (however slowly a loaded machine gives them).
    const size_t before = count(p.file("vocpanel.trace"), " read FA");
    auto end = std::chrono::steady_clock::now() + 30s;
    while (count(p.file("vocpanel.trace"), " read FA") < before + 10 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    EXPECT_GE(count(p.file("vocpanel.trace"), " read FA"), before + 10);

    XView view;
    ASSERT_TRUE(view.ok());
    ::Window window = view.find("*** ICOM Vocrig Front Panel v3.4b ***");
    ASSERT_NE(window, 0u);
    view.requestClose(window);
    EXPECT_EQ(p.translator.waitExit(30000), 0) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " exit 0\n", 30s));

    // Every line as the trace promises it, the exit status last.
    const std::string trace = p.file("vocpanel.trace");
    std::istringstream lines(trace);
    const std::regex shape(R"(\d+ (key \d+|say \S+|send [ -~]*;|read [ -~]+|draw \d+ \d+ [ -~]*|exit \d+))");
    std::string line, last;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
        last = line;
    }
    EXPECT_NE(last.find(" exit 0"), std::string::npos);
    EXPECT_NE(trace.find(" draw 285 150     7.100000             \n"), std::string::npos);

    // The radio received the band set-up in order (the translator's log of
    // the panel's commands), then the polls: many frequency reads (03) and
    // S-meter reads (15 02).
    const std::string log = p.file("debug.dat");
    std::vector<std::string> setUp = {"MD1;", "SH07;", "EX1080;", "PA0;", "RA00;", "NB0;", "NT0;", "PC100;",
                                      "AC110;", "MG;", "AG0;", "RG255;", "VX;", "BI;", "NR;", "ML000;",
                                      "PR;", "RX0;", "PA0;"};
    size_t at = log.find("FromProg= FA;");
    ASSERT_NE(at, std::string::npos) << log;
    for (const auto& command : setUp) {
        at = log.find("FromProg= " + command, at);
        ASSERT_NE(at, std::string::npos) << command;
    }
    EXPECT_GE(count(log, "TORADIO= FE FE 94 E0 03 FD"), 10u);
    EXPECT_GE(count(log, "TORADIO= FE FE 94 E0 15 02 FD"), 10u);
    EXPECT_NE(log.find("FromProg= quit;"), std::string::npos);
}

}  // namespace
