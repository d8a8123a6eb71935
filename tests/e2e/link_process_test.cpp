// voctrans and vocsim as programs, over pseudo-terminals, with the test as the panel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "link_processes.h"

using vocrig::e2e::LinkProcesses;
using vocrig::e2e::nowMicros;

namespace {

const std::string binDir = vocrig::test::programDir(VOCRIG_BIN_DIR);

// The translator's round trip as a whole; also what voctrans.exe answers under Wine.
TEST(LinkProcess, IdentifiesSetsPollsAndQuits) {
    LinkProcesses p;
    ASSERT_TRUE(p.start(binDir)) << p.file("voctrans.txt") << p.file("vocsim.txt");

    EXPECT_EQ(p.exchange("Z1;"), std::string("Z1\x94;"));
    EXPECT_EQ(p.exchange("Z2;"), "");
    EXPECT_EQ(p.exchange("FA00014200000;"), "");
    // The first poll tells what the translator was told, the next what the radio read back.
    EXPECT_EQ(p.exchange("FA;"), "FA00014200000;");
    EXPECT_EQ(p.exchange("FA;"), "FA00014200000;");
    EXPECT_EQ(p.exchange("SM0;").substr(0, 3), "SM0");

    // A deferred reply: the AF gain comes back once the radio has answered.
    EXPECT_EQ(p.exchange("AG0200;"), "");
    EXPECT_EQ(p.exchange("AG0;"), "AG0200;");
    EXPECT_EQ(p.exchange("NR;"), "NR0;");

    EXPECT_EQ(p.exchange("quit;", 0), "");
    EXPECT_EQ(p.translator.waitExit(5000), 0) << p.file("voctrans.txt");
    EXPECT_FALSE(p.linkExists("ports/com21"));
    EXPECT_TRUE(p.linkExists("ports/com5"));  // the radio stays

    const std::string log = p.file("debug.dat");
    EXPECT_NE(log.find("TORADIO= FE FE 94 E0 05 00 00 20 14 00 FD"), std::string::npos) << log;
    EXPECT_NE(log.find("FROMRADIO= FE FE E0 94 03 00 00 20 14 00 FD"), std::string::npos) << log;
    EXPECT_NE(p.file("voctrans.txt").find("Quit"), std::string::npos);
}

// The radio's cable pulled and put back (vocsim hangs up its port and publishes
// a new one): replies to the panel stop, so the panel's silence rule says "nc";
// the translator finds the port again by its name and replies resume; sets
// reach the radio again.
TEST(LinkProcess, RadioUnpluggedAndPluggedInAgain) {
    LinkProcesses p;
    ASSERT_TRUE(p.start(binDir, "7300", 1, {"--unplug-after", "1.5", "--replug-after", "1.5"}))
        << p.file("voctrans.txt");
    EXPECT_EQ(p.await("Z1;", std::string("Z1\x94;")), std::string("Z1\x94;"));
    int64_t lastReply = 0, unplugged = 0, stopped = 0, replugged = 0, resumed = 0;
    int64_t end = nowMicros() + 12'000'000;
    while (nowMicros() < end && resumed == 0) {
        std::string got = p.exchange("FA;", 20);  // 50 polls a second
        int64_t now = nowMicros();
        std::string radioLog = p.file("vocsim.txt");
        if (unplugged == 0 && radioLog.find("unplugged") != std::string::npos) unplugged = now;
        if (replugged == 0 && radioLog.find("plugged in again") != std::string::npos) replugged = now;
        if (!got.empty()) {
            if (replugged != 0) resumed = now;
            lastReply = now;
        } else if (unplugged != 0 && stopped == 0) {
            stopped = lastReply;
        }
    }
    ASSERT_NE(unplugged, 0) << p.file("vocsim.txt");
    ASSERT_NE(resumed, 0) << p.file("voctrans.txt");
    EXPECT_LT(stopped, replugged);
    std::printf("unplug to last reply %.0f ms, replug to first reply %.0f ms\n", (stopped - unplugged) / 1e3,
                (resumed - replugged) / 1e3);
    std::string console = p.file("voctrans.txt");
    EXPECT_LT(console.find("Radio lost"), console.find("Radio found")) << console;

    // The radio takes sets again: a tens-of-gigahertz digit it cannot hold is read back as 0.
    p.exchange("FA10014250000;");
    EXPECT_EQ(p.await("FA;", "FA00014250000;"), "FA00014250000;") << p.file("debug.dat");
}

// Ports closed by one program open again for the next, for an ordinary user too
// (this binary also runs unprivileged): the panel's end, and the radio's port
// after the translator has ended and starts again.
TEST(LinkProcess, PortsOpenAgainAfterARestart) {
    LinkProcesses p;
    ASSERT_TRUE(p.start(binDir)) << p.file("voctrans.txt");
    EXPECT_EQ(p.await("Z1;", std::string("Z1\x94;")), std::string("Z1\x94;"));
    p.panel.close();
    ASSERT_TRUE(p.openPanel()) << "the panel's end stays locked";
    EXPECT_EQ(p.await("FA;", "FA00007100000;"), "FA00007100000;");

    EXPECT_EQ(p.exchange("quit;", 0), "");
    ASSERT_EQ(p.translator.waitExit(5000), 0);
    ASSERT_TRUE(p.startTranslator()) << p.file("voctrans.txt");
    EXPECT_EQ(p.await("Z1;", std::string("Z1\x94;")), std::string("Z1\x94;"));
    EXPECT_EQ(p.await("FA;", "FA00007100000;"), "FA00007100000;")
        << "the radio's port stays locked: " << p.file("voctrans.txt");
}

// A frequency set right after a poll, before the radio has answered that poll's
// query: the late answer must not undo the set, so the next poll (40 ms after
// the first, as the panel polls) tells the value set, every time.
TEST(LinkProcess, SetRightAfterAPollIsNotUndoneByTheLateAnswer) {
    LinkProcesses p;
    ASSERT_TRUE(p.start(binDir, "7300", 0, {"--pace", "--delay", "3"})) << p.file("voctrans.txt");
    EXPECT_EQ(p.await("Z1;", std::string("Z1\x94;")), std::string("Z1\x94;"));
    long long hz = 14100000;
    auto text = [](long long value) {
        std::string digits = std::to_string(value);
        return std::string(11 - digits.size(), '0') + digits;
    };
    for (int gapMs : {0, 2, 5, 8, 20}) {
        for (int trial = 0; trial < 3; ++trial) {
            std::string before = text(hz += 1000), set = text(hz += 1000);
            p.exchange("FA" + before + ";");
            ASSERT_EQ(p.await("FA;", "FA" + before + ";"), "FA" + before + ";");
            p.collect(50);
            int64_t t0 = nowMicros();
            p.panel.write("FA;");
            vocrig::e2e::sleepMicros(t0 + gapMs * 1000 - nowMicros());
            p.panel.write("FA" + set + ";");
            vocrig::e2e::sleepMicros(t0 + 40000 - nowMicros());
            p.panel.write("FA;");
            // Two replies: the first poll's, then the one that counts (a set has none).
            std::string got;
            int64_t end = nowMicros() + 5'000'000;
            while (std::count(got.begin(), got.end(), ';') < 2 && nowMicros() < end) got += p.collect(5);
            EXPECT_EQ(got.substr(got.find(';') + 1), "FA" + set + ";") << "set " << gapMs << " ms after a poll";
        }
    }
    // A set the radio refuses (outside its range) gives way to the radio's frequency within three polls.
    p.exchange("FA01296200000;");
    std::string polls = p.exchange("FA;") + p.exchange("FA;") + p.exchange("FA;") + p.collect(300);
    EXPECT_NE(polls.find("FA" + text(hz) + ";"), std::string::npos) << polls;
}

}  // namespace
