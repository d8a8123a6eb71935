// The three real programs as an operator runs them: vocsim as the radio,
// voctrans started by the test, and vocpanel started by voctrans in a window
// on a private X server (run under with_xvfb). The panel's trace tells what it
// did; the translator's log what reached the radio.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

    // Closing the window ends the panel and the translator, saves the band
    // table afresh and removes the panel's link; the radio stays.
    XView view;
    ASSERT_TRUE(view.ok());
    ::Window window = view.find("*** ICOM Vocrig Front Panel v3.4b ***");
    ASSERT_NE(window, 0u);
    std::filesystem::remove(p.dir + "/savmem.dat");
    view.requestClose(window);
    EXPECT_EQ(p.translator.waitExit(30000), 0) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " exit 0\n", 30s));
    EXPECT_NE(p.file("savmem.dat").find("A00007100000B00007100000"), std::string::npos) << p.file("savmem.dat");
    EXPECT_FALSE(p.linkExists("ports/com21"));
    EXPECT_EQ(p.radio.waitExit(0), -1);

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

// Types keys into the panel's window (focus first: there is no window manager).
bool typeKeys(XView& view, const std::string& keys) {
    ::Window window = view.find("*** ICOM Vocrig Front Panel v3.4b ***");
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(window) + " key --delay 120 " + keys + " >/dev/null 2>&1";
    return window != 0 && std::system(command.c_str()) == 0;
}

// The three programs with the real panel, its trace on and no sound card,
// until the panel has said "connected".
::testing::AssertionResult startConnected(LinkProcesses& p) {
    p.realPanel = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    if (!p.start(binDir)) return ::testing::AssertionFailure() << p.file("voctrans.txt");
    if (!waitFor(p, "vocpanel.trace", " say connected\n", 30s))
        return ::testing::AssertionFailure() << p.file("vocpanel.trace");
    return ::testing::AssertionSuccess();
}

// An operator types a frequency, stores it in channel 3, types another, and
// recalls the channel: the radio ends where the channel was.
TEST(PanelProcess, TypedFrequencyStoredAndRecalled) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    LinkProcesses p;
    ASSERT_TRUE(startConnected(p));
    XView view;
    ASSERT_TRUE(view.ok());

    ASSERT_TRUE(typeKeys(view, "e 1 4 period 0 7 Return"));
    ASSERT_TRUE(waitFor(p, "vocsim.txt", "set frequency 14.070", 10s)) << p.file("vocsim.txt");
    ASSERT_TRUE(typeKeys(view, "c 3"));
    ASSERT_TRUE(waitFor(p, "memory.txt", "Slot 3 A=14.07  B=14.07  USB", 10s)) << p.file("vocpanel.trace");
    ASSERT_TRUE(typeKeys(view, "e 7 Return"));
    ASSERT_TRUE(waitFor(p, "vocsim.txt", "set frequency 7.000", 10s)) << p.file("vocsim.txt");
    ASSERT_TRUE(typeKeys(view, "g 3"));
    auto recalled = [&p] { return count(p.file("vocsim.txt"), "set frequency 14.070") >= 2; };
    for (auto end = std::chrono::steady_clock::now() + 10s; !recalled() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(recalled()) << p.file("vocsim.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say preamp\n", 10s));

    // The radio's log: the typed frequency, the other one, then the channel's again.
    const std::string radio = p.file("vocsim.txt");
    const size_t typed = radio.find("set frequency 14.070");
    const size_t other = radio.find("set frequency 7.000", typed);
    EXPECT_NE(other, std::string::npos) << radio;
    EXPECT_NE(radio.find("set frequency 14.070", other), std::string::npos) << radio;

    // The trace: each key as it came, each step heard.
    const std::string trace = p.file("vocpanel.trace");
    const std::vector<std::string> steps = {
        " key 69\n",  " say EF\n",    " key 49\n", " say 1\n",  " key 52\n",  " say 4\n",
        " key 190\n", " say point\n", " key 48\n", " key 55\n", " key 13\n",  " send FA00014070000;\n",
        " say ok\n",  " key 67\n",    " say sch\n", " key 51\n", " say 3\n",  " say ok\n",
        " key 71\n",  " say gch\n",   " key 51\n", " send FA00014070000;\n"};
    size_t at = 0;
    for (const auto& step : steps) {
        at = trace.find(step, at);
        ASSERT_NE(at, std::string::npos) << step << trace;
    }
    EXPECT_NE(p.file("savmem.dat").find("\r\n0206A00014070000B000140700009991\r\n"), std::string::npos);

    // Q ends the panel and the translator; the file is saved again at the end.
    std::filesystem::remove(p.dir + "/savmem.dat");
    ASSERT_TRUE(typeKeys(view, "q"));
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " exit 0\n", 10s));
    EXPECT_NE(p.file("savmem.dat").find("\r\n0206A00014070000B000140700009991\r\n"), std::string::npos);
    EXPECT_NE(p.file("debug.dat").find("FromProg= quit;"), std::string::npos);
    EXPECT_FALSE(p.linkExists("ports/com21"));
}

// The operator changes band, mode and preamp, transmits and tunes by keys:
// the radio follows each, and the trace shows each key heard.
TEST(PanelProcess, BandModePreampTransmitAndTuneByKeys) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    LinkProcesses p;
    ASSERT_TRUE(startConnected(p));
    XView view;
    ASSERT_TRUE(view.ok());

    const struct {
        const char* keys;
        const char* file;  // where the step shows
        const char* shows;
    } steps[] = {
        {"b 2", "vocsim.txt", "set frequency 3.600"},
        {"m", "vocsim.txt", "mode LSB FIL1 -> USB"},
        {"F1", "vocsim.txt", "preamp 0 -> 1"},
        // A command that the next poll follows within one read can be lost by the
        // translator, so transmit is checked where it arrives, in the translator's log.
        {"space", "debug.dat", "Z5;"},
        {"space", "debug.dat", "Z6;"},
        {"t", "vocsim.txt", "tuner on -> tuning"},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(typeKeys(view, step.keys)) << step.keys;
        ASSERT_TRUE(waitFor(p, step.file, step.shows, 15s)) << step.keys << "\n" << p.file(step.file);
    }
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say off.wav\n", 15s));

    const std::string trace = p.file("vocpanel.trace");
    const std::vector<std::string> heard = {
        " key 66\n",  " say band\n",  " key 50\n",      " send FA00003600000;\n", " say 80\n", " say lsb.wav\n",
        " key 77\n",  " send MD2;\n", " say usb.wav\n", " key 112\n", " say preamp\n", " send PA1;\n",
        " key 32\n",  " say tx\n",    " send Z5;\n",    " key 32\n",  " send Z6;\n",  " send RX;\n",
        " say off\n", " key 84\n",    " say tune.wav\n", " send AC111;\n", " send AC110;\n", " say off.wav\n"};
    size_t at = 0;
    for (const auto& step : heard) {
        at = trace.find(step, at);
        ASSERT_NE(at, std::string::npos) << step << trace;
    }

    view.requestClose(view.find("*** ICOM Vocrig Front Panel v3.4b ***"));
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
}

// The radio's cable is pulled mid-session and plugged in again: keys answer
// "nc" while it is gone, and the panel says "connected" when it answers again.
TEST(PanelProcess, RadioUnpluggedAndBack) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    LinkProcesses p;
    p.realPanel = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    ASSERT_TRUE(p.start(binDir, "7300", 1, {"--unplug-after", "10", "--replug-after", "8"}))
        << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say connected\n", 30s)) << p.file("vocpanel.trace");
    const size_t first = p.file("vocpanel.trace").find(" say connected\n");
    ASSERT_TRUE(waitFor(p, "voctrans.txt", "Radio lost", 20s)) << p.file("voctrans.txt");
    XView view;
    ASSERT_TRUE(view.ok());

    // The S key while the radio is away (the panel gives up after 20 missed polls).
    auto lost = [&] { return p.file("vocpanel.trace").find(" say nc\n", first) != std::string::npos; };
    for (auto end = std::chrono::steady_clock::now() + 8s; !lost() && std::chrono::steady_clock::now() < end;) {
        ASSERT_TRUE(typeKeys(view, "s"));
        std::this_thread::sleep_for(500ms);
    }
    ASSERT_TRUE(lost()) << p.file("vocpanel.trace");
    EXPECT_EQ(p.file("vocsim.txt").find("plugged in again"), std::string::npos) << "unplugged too briefly";

    const size_t nc = p.file("vocpanel.trace").find(" say nc\n", first);
    auto back = [&] { return p.file("vocpanel.trace").find(" say connected\n", nc) != std::string::npos; };
    for (auto end = std::chrono::steady_clock::now() + 30s; !back() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(back()) << p.file("vocpanel.trace");
    EXPECT_NE(p.file("voctrans.txt").find("Radio found"), std::string::npos) << p.file("voctrans.txt");

    view.requestClose(view.find("*** ICOM Vocrig Front Panel v3.4b ***"));
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
}

// A second CI-V program, Hamlib's rigctl as an IC-7300, reads the frequency
// and mode through the translator's pass-through port while the panel polls.
TEST(PanelProcess, HamlibReadsThroughThePassThroughPort) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v rigctl >/dev/null") != 0) GTEST_SKIP() << "rigctl (libhamlib-utils) is not installed";
    LinkProcesses p;
    p.realPanel = true;
    p.passThroughPort = 7;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    ASSERT_TRUE(p.start(binDir)) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say connected\n", 30s)) << p.file("vocpanel.trace");
    ASSERT_TRUE(p.linkExists("ports/com8"));
    std::this_thread::sleep_for(1500ms);  // into the steady poll

    const size_t polls = count(p.file("vocpanel.trace"), " read FA");
    const std::string out = p.dir + "/rigctl.txt";
    const std::string command =
        "timeout 60 rigctl -m 3073 -r " + p.dir + "/ports/com8 -s 19200 f m >" + out + " 2>&1";
    // Only the echo and the answer to its own question reach it, never an
    // answer meant for the panel's polls.
    EXPECT_EQ(std::system(command.c_str()), 0) << p.file("rigctl.txt");
    EXPECT_EQ(p.file("rigctl.txt"), "7100000\nLSB\n2400\n") << p.file("debug.dat");
    // The panel went on polling and never lost the link.
    auto polled = [&] { return count(p.file("vocpanel.trace"), " read FA") > polls + 5; };
    for (auto end = std::chrono::steady_clock::now() + 10s; !polled() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(polled());
    const std::string trace = p.file("vocpanel.trace");
    EXPECT_EQ(trace.find(" say nc\n", trace.find(" say connected\n")), std::string::npos);
    EXPECT_NE(p.file("debug.dat").find("***fromVR1= FE FE 94 E0 03 FD"), std::string::npos);

    XView view;
    ASSERT_TRUE(view.ok());
    view.requestClose(view.find("*** ICOM Vocrig Front Panel v3.4b ***"));
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
    EXPECT_FALSE(p.linkExists("ports/com8"));
}

}  // namespace
