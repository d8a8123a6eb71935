// The three real programs as an operator runs them: vocsim as the radio,
// voctrans started by the test, and vocpanel started by voctrans in a window
// on a private X server (run under with_xvfb). The panel's trace tells what it
// did; the translator's log what reached the radio.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

const std::string binDir = vocrig::test::programDir(VOCRIG_BIN_DIR);

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// Waits up to `limit` for `done()`, however slowly a loaded machine gets there.
template <class Done>
bool waitUntil(Done done, std::chrono::seconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

// Waits up to `limit` for `what` to appear (`times` times) in a file of the working folder.
bool waitFor(const LinkProcesses& p, const std::string& file, const std::string& what, std::chrono::seconds limit,
             size_t times = 1) {
    return waitUntil([&] { return count(p.file(file), what) >= times; }, limit);
}

// Each of `steps` found in `text`, in order.
::testing::AssertionResult inOrder(const std::string& text, const std::vector<std::string>& steps) {
    size_t at = 0;
    for (const auto& step : steps)
        if ((at = text.find(step, at)) == std::string::npos) return ::testing::AssertionFailure() << step << text;
    return ::testing::AssertionSuccess();
}

const char* const panelTitle = "*** ICOM Vocrig Front Panel v3.4b ***";

// Types keys into the panel's window (focus first: there is no window manager).
bool typeKeys(XView& view, const std::string& keys) {
    ::Window window = view.find(panelTitle);
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(window) + " key --delay 120 " + keys + " >/dev/null 2>&1";
    return window != 0 && std::system(command.c_str()) == 0;
}

// The three programs with the real panel, its trace on and no sound card,
// until the panel has said "connected".
::testing::AssertionResult startConnected(LinkProcesses& p) {
    p.realPanel = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);  // in the working folder, which start() creates
    if (!p.start(binDir)) return ::testing::AssertionFailure() << p.file("voctrans.txt");
    if (!waitFor(p, "vocpanel.trace", " say connected\n", 60s))
        return ::testing::AssertionFailure() << p.file("vocpanel.trace");
    return ::testing::AssertionSuccess();
}

// Without vocrig.cfg the panel ends with status 1 and writes nothing.
TEST(PanelProcess, WithoutConfigurationEndsAndWritesNothing) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("VOCPANEL_TRACE");
    char tmpl[] = "/tmp/vocrig-no-cfg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    vocrig::e2e::Child panel;
    ASSERT_TRUE(panel.start(binDir + "/vocpanel", {}, dir, dir + ".txt", "/usr/bin:/bin"));
    EXPECT_EQ(panel.waitExit(15000), 1) << vocrig::test::slurp(dir + ".txt");
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    std::filesystem::remove_all(dir);
    std::filesystem::remove(dir + ".txt");
}

// An operator's session by keys: the panel sets the radio up for its band and
// polls steadily; a typed frequency is stored in channel 3 and recalled after
// another; band, mode, preamp, transmit and tune follow. Each key reaches the
// radio and is heard in the trace; Q ends the panel and the translator, the
// file is saved afresh with the channel, and the panel's link is removed.
TEST(PanelProcess, OperatorSessionByKeys) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    LinkProcesses p;
    ASSERT_TRUE(startConnected(p));
    const size_t polls = count(p.file("vocpanel.trace"), " read FA");
    EXPECT_TRUE(waitFor(p, "vocpanel.trace", " read FA", 30s, polls + 10));

    XView view;
    ASSERT_TRUE(view.ok());
    ::Window window = view.find(panelTitle);
    ASSERT_NE(window, 0u);
    int width = 0, height = 0;
    ASSERT_TRUE(view.size(window, width, height));
    EXPECT_EQ(width, 950);
    EXPECT_EQ(height, 500);
    EXPECT_GT(view.darkPixels(window, 0, 0, 950, 500), 0);  // the banner and help lines

    const struct {
        const char* keys;
        const char* file;  // where the step shows, once more than before it
        const char* shows;
    } steps[] = {
        {"e 1 4 period 0 7 Return", "vocsim.txt", "set frequency 14.070"},
        {"c 3", "memory.txt", "Slot 3 A=14.07  B=14.07  USB"},
        {"e 7 Return", "vocsim.txt", "set frequency 7.000"},
        {"g 3", "vocsim.txt", "set frequency 14.070"},
        {"b 2", "vocsim.txt", "set frequency 3.600"},
        {"m", "vocsim.txt", "mode LSB FIL1 -> USB"},
        {"F1", "vocsim.txt", "preamp 0 -> 1"},
        // A command that the next poll follows within one read can be lost by the
        // translator, so transmit is checked where it arrives, in the translator's log.
        {"space", "debug.dat", "FromProg= Z5;"},
        {"space", "debug.dat", "FromProg= Z6;"},
        {"t", "vocsim.txt", "tuner on -> tuning"},
    };
    for (const auto& step : steps) {
        const size_t before = count(p.file(step.file), step.shows);
        ASSERT_TRUE(typeKeys(view, step.keys)) << step.keys;
        ASSERT_TRUE(waitFor(p, step.file, step.shows, 15s, before + 1)) << step.keys << "\n" << p.file(step.file);
    }
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say off.wav\n", 15s));
    EXPECT_TRUE(inOrder(p.file("vocpanel.trace"),
                        {" key 69\n",  " say EF\n",    " key 49\n",  " say 1\n",   " key 52\n",  " say 4\n",
                         " key 190\n", " say point\n", " key 48\n",  " key 55\n",  " key 13\n",
                         " send FA00014070000;\n",      " say ok\n",   " key 67\n",  " say sch\n", " key 51\n",
                         " say 3\n",   " say ok\n",    " key 71\n",  " say gch\n", " key 51\n",
                         " send FA00014070000;\n",      " key 66\n",  " say band\n", " key 50\n",
                         " send FA00003600000;\n",      " say 80\n",  " say lsb.wav\n", " key 77\n",
                         " send MD2;\n", " say usb.wav\n", " key 112\n", " say preamp\n", " send PA1;\n",
                         " key 32\n",  " say tx\n",    " send Z5;\n", " key 32\n",  " send Z6;\n", " send RX;\n",
                         " say off\n", " key 84\n",    " say tune.wav\n", " send AC111;\n", " send AC110;\n",
                         " say off.wav\n"}));
    const std::string channel = "\r\n0206A00014070000B000140700009991\r\n";
    EXPECT_NE(p.file("savmem.dat").find(channel), std::string::npos);

    std::filesystem::remove(p.dir + "/savmem.dat");
    ASSERT_TRUE(typeKeys(view, "q"));
    EXPECT_EQ(p.translator.waitExit(30000), 0) << p.file("voctrans.txt");
    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " exit 0\n", 30s));
    const std::string saved = p.file("savmem.dat");
    EXPECT_NE(saved.find(channel), std::string::npos) << saved;
    EXPECT_EQ(saved.rfind("VOCRIG v3.2a   3.4b 20", 0), 0u) << saved;  // ended on 80 m
    EXPECT_FALSE(p.linkExists("ports/com21"));
    EXPECT_EQ(p.radio.waitExit(0), -1);  // the radio stays

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
    std::vector<std::string> setUp = {"FA;", "MD1;", "SH07;", "EX1080;", "PA0;", "RA00;", "NB0;", "NT0;", "PC100;",
                                      "AC110;", "MG;", "AG0;", "RG255;", "VX;", "BI;", "NR;", "ML000;",
                                      "PR;", "RX0;", "PA0;"};
    for (auto& command : setUp) command = "FromProg= " + command;
    EXPECT_TRUE(inOrder(log, setUp));
    EXPECT_GE(count(log, "TORADIO= FE FE 94 E0 03 FD"), 10u);
    EXPECT_GE(count(log, "TORADIO= FE FE 94 E0 15 02 FD"), 10u);
    EXPECT_NE(log.find("FromProg= quit;"), std::string::npos);
}

// The program called `name` that `parent` started; 0 when there is none.
pid_t childNamed(pid_t parent, const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = vocrig::test::slurp(entry.path().string() + "/stat");
        size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 2 > stat.size()) continue;
        std::istringstream rest(stat.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && stat.substr(open + 1, close - open - 1) == name)
            return static_cast<pid_t>(std::stol(stat));
    }
    return 0;
}

// The panel killed while transmitting: the translator takes the radio out of
// transmit and starts a panel again, which opens the link (as the ordinary
// user this runs as) and gets answers.
TEST(PanelProcess, PanelKilledWhileTransmittingIsStartedAgain) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    LinkProcesses p;
    ASSERT_TRUE(startConnected(p));
    XView view;
    ASSERT_TRUE(view.ok());
    ASSERT_TRUE(typeKeys(view, "space"));
    ASSERT_TRUE(waitFor(p, "vocsim.txt", "transmit on", 15s)) << p.file("vocsim.txt");

    const pid_t panel = childNamed(p.translator.pid, "vocpanel");
    ASSERT_NE(panel, 0);
    const size_t offs = count(p.file("vocsim.txt"), "transmit off");
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(panel, SIGKILL), 0);
    EXPECT_TRUE(waitFor(p, "vocsim.txt", "transmit off", 2s, offs + 1)) << p.file("vocsim.txt");
    std::printf("transmit off reached the radio %.0f ms after the panel was killed\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - killed).count());
    EXPECT_TRUE(waitFor(p, "voctrans.txt", "The panel ended without quit (killed by signal 9 (Killed)): transmit "
                                           "off sent to the radio; the panel is started again\n",
                        5s))
        << p.file("voctrans.txt");

    ASSERT_TRUE(waitFor(p, "vocpanel.trace", " say connected\n", 60s, 2)) << p.file("vocpanel.trace");
    const size_t polls = count(p.file("vocpanel.trace"), " read FA");
    EXPECT_TRUE(waitFor(p, "vocpanel.trace", " read FA", 30s, polls + 5));
    ASSERT_TRUE(typeKeys(view, "q"));
    EXPECT_EQ(p.translator.waitExit(30000), 0) << p.file("voctrans.txt");
}

// A second CI-V program, Hamlib's rigctl as an IC-7300, reads the frequency
// and mode through the translator's pass-through port while the panel polls.
TEST(PanelProcess, HamlibReadsThroughThePassThroughPort) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v rigctl >/dev/null") != 0) GTEST_SKIP() << "rigctl (libhamlib-utils) is not installed";
    LinkProcesses p;
    p.passThroughPort = 7;
    ASSERT_TRUE(startConnected(p));
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
    EXPECT_TRUE(waitFor(p, "vocpanel.trace", " read FA", 10s, polls + 6));
    const std::string trace = p.file("vocpanel.trace");
    EXPECT_EQ(trace.find(" say nc\n", trace.find(" say connected\n")), std::string::npos);
    EXPECT_NE(p.file("debug.dat").find("***fromVR1= FE FE 94 E0 03 FD"), std::string::npos);

    XView view;
    ASSERT_TRUE(view.ok());
    view.requestClose(view.find(panelTitle));  // the window closed, not Q
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
    EXPECT_FALSE(p.linkExists("ports/com8"));
}

// Where a program is installed, or "" (ser2net lives in /usr/sbin, which an
// ordinary user's PATH may lack).
std::string installed(const std::string& name) {
    for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"})
        if (access((std::string(dir) + name).c_str(), X_OK) == 0) return dir + name;
    return "";
}

// A free TCP port on the loopback address, as the system hands one out.
int freeTcpPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

// A radio at another site, as the README sets it up: vocsim's port offered on
// TCP by ser2net, and at the operator's end socat, restarted in a loop, making
// a pseudo-terminal linked as ports/com5. ser2net stopped: the link is lost
// (the translator says "Radio lost", keys answer "nc"); started again: "Radio
// found" and "connected" by themselves. Prints how long each took.
TEST(PanelProcess, RemoteRadioThroughSer2netAndSocat) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is not installed";
    const std::string ser2net = installed("ser2net"), socat = installed("socat");
    ASSERT_FALSE(ser2net.empty() || socat.empty()) << "ser2net and socat are needed (tools/bootstrap installs them)";
    const int port = freeTcpPort();
    ASSERT_GT(port, 0);

    LinkProcesses p;
    vocrig::e2e::Child station, operatorEnd;
    auto startStation = [&] {
        return station.start(ser2net, {"-n", "-u", "-P", p.dir + "/ser2net.pid", "-c", p.dir + "/ser2net.yaml"},
                             p.dir, p.dir + "/ser2net.txt", "/usr/bin:/bin");
    };
    p.radioLink = "ports/radio-site";  // the radio's own port, at the other site
    p.betweenRadioAndTranslator = [&] {
        std::ofstream(p.dir + "/ser2net.yaml") << "connection: &radio\n  accepter: tcp,127.0.0.1," << port
                                               << "\n  connector: serialdev," << p.dir
                                               << "/ports/radio-site,19200n81,local\n";
        // The operator's loop: socat ends with the connection and starts again.
        const std::string loop = "trap 'kill $pid 2>/dev/null; exit 0' TERM; while :; do " + socat +
                                 " pty,link=ports/com5,rawer tcp:127.0.0.1:" + std::to_string(port) +
                                 " & pid=$!; wait $pid; sleep 0.2; done";
        return startStation() && operatorEnd.start("/bin/bash", {"-c", loop}, p.dir, p.dir + "/socat.txt",
                                                   "/usr/bin:/bin") &&
               waitUntil([&] { return std::filesystem::is_symlink(p.dir + "/ports/com5"); }, 20s);
    };
    ASSERT_TRUE(startConnected(p)) << p.file("ser2net.txt") << p.file("socat.txt");
    EXPECT_TRUE(waitFor(p, "vocpanel.trace", " read FA", 30s, count(p.file("vocpanel.trace"), " read FA") + 10));

    XView view;
    ASSERT_TRUE(view.ok());
    // S asks for the S meter while connected and answers "nc" once the link is lost.
    auto pressS = [&] { return typeKeys(view, "s"); };

    const auto stopped = std::chrono::steady_clock::now();
    station.stop();
    const bool lost = waitUntil(
        [&] {
            pressS();
            return count(p.file("vocpanel.trace"), " say nc\n") >= 1;
        },
        30s);
    const double toNc = std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count();
    ASSERT_TRUE(lost) << p.file("vocpanel.trace");
    EXPECT_TRUE(waitFor(p, "voctrans.txt", "Radio lost", 10s)) << p.file("voctrans.txt");

    const size_t connectedBefore = count(p.file("vocpanel.trace"), " say connected\n");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(startStation());
    EXPECT_TRUE(waitFor(p, "vocpanel.trace", " say connected\n", 60s, connectedBefore + 1))
        << p.file("voctrans.txt") << p.file("socat.txt");
    const double toConnected = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_TRUE(inOrder(p.file("voctrans.txt"), {"Radio lost", "Radio found"}));
    std::printf("remote radio: ser2net stopped -> \"nc\" after %.2f s; started again -> \"connected\" after %.2f s\n",
                toNc, toConnected);

    // The session goes on through the network: a key reaches the radio.
    ASSERT_TRUE(typeKeys(view, "e 1 4 period 0 7 4 Return"));
    EXPECT_TRUE(waitFor(p, "vocsim.txt", "set frequency 14.074", 20s)) << p.file("vocsim.txt");
    ASSERT_TRUE(typeKeys(view, "q"));
    EXPECT_EQ(p.translator.waitExit(15000), 0) << p.file("voctrans.txt");
    operatorEnd.stop();
    station.stop();
}

}  // namespace
