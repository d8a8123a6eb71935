#include <gtest/gtest.h>

#include <map>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

// vocrig.cfg as operators write it: each row is taken (the console then ends
// with the settings line and any note) or refused with its line number before
// any port is opened (exit status 2, the log says the same when logging).
struct ConfigRow {
    std::map<config::Value, std::string> lines;  // lines typed in place of the tidy ones
    std::string expected;                        // the console's end when taken; a refusal's line
    bool lockLine = false;
    std::string text = "";                       // the whole file instead; "<missing>" for none
};

using V = config::Value;
const std::string settings = "Com= COM5  speed=  19200   Radio= 7300\n\n";
const std::string refused = "Not started: vocrig.cfg needs correcting (README: vocrig.cfg errors)\n";

class Configuration : public ::testing::TestWithParam<ConfigRow> {};

TEST_P(Configuration, EachLineIsTakenOrRefusedWithItsNumber) {
    const ConfigRow& row = GetParam();
    Rig rig;
    Config config{.debug = 1, .lockLine = row.lockLine, .lines = row.lines};
    if (row.text != "<missing>") rig.files.files["vocrig.cfg"] = row.text.empty() ? config.text() : row.text;
    bool taken = rig.t.startUp();
    const std::string& console = rig.console.output;
    if (row.expected.rfind("vocrig.cfg", 0) != 0) {
        ASSERT_TRUE(taken) << console;
        EXPECT_EQ(console.substr(console.find('\n') + 1), row.expected);
        return;
    }
    EXPECT_FALSE(taken);
    EXPECT_EQ(rig.t.exitStatus(), 2);
    EXPECT_NE(console.find("\n" + row.expected), std::string::npos) << console;
    EXPECT_EQ(console.substr(console.size() - refused.size()), refused) << console;
    EXPECT_EQ(rig.radio.openAttempts + rig.panel.openAttempts, 0);
    EXPECT_EQ(rig.panel.publishedName, "");
    EXPECT_TRUE(rig.process.started.empty());
    if (!row.lines.count(V::debugLevel) && row.text.empty()) {  // logging was read as on
        EXPECT_NE(rig.log().find(row.expected), std::string::npos) << rig.log();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Configuration,
    ::testing::Values(
        ConfigRow{{}, settings},
        ConfigRow{{{V::radioPort, "Com=12 \t"}}, "Com= COM12  speed=  19200   Radio= 7300\n\n"},
        ConfigRow{{{V::radioPort, "ComPort=7"}}, "Com= COM7  speed=  19200   Radio= 7300\n\n"},
        ConfigRow{{{V::speed, "speed=115200 "}}, "Com= COM5  speed=  115200   Radio= 7300\n\n"},
        ConfigRow{{{V::model, "Radio=7300  "}}, settings},
        ConfigRow{{{V::model, "Radio=7301"}},
                  "Com= COM5  speed=  19200   Radio= 7301\n\nvocrig.cfg line 3: model \"7301\" is not in the model "
                  "table; the radio is found by a broadcast, as with Radio=AUTO\n"},
        ConfigRow{{{V::model, "Radio=Auto"}}, "Com= COM5  speed=  19200   Radio= Auto\n\n"},
        ConfigRow{{{V::passThrough, "VRPort=12"}, {V::debugLevel, "Debug=2\t"}}, settings},
        ConfigRow{{{V::radioPort, "Com=0"}},
                  "vocrig.cfg line 1: \"Com=0\" reads as radio port \"0\"; expected a port number 1 to 255 in the "
                  "last characters of the line, as in Com=5 or Com=12"},
        ConfigRow{{{V::radioPort, "Com=256"}}, "vocrig.cfg line 1: \"Com=256\" reads as radio port \"6\";"},
        ConfigRow{{{V::radioPort, "Com=x"}}, "vocrig.cfg line 1: \"Com=x\" reads as radio port \"x\";"},
        ConfigRow{{{V::radioPort, ""}}, "vocrig.cfg line 1: \"\" reads as radio port \"\";"},
        ConfigRow{{{V::speed, "baud=19200"}},
                  "vocrig.cfg line 2: \"baud=19200\" reads as speed 9200; expected 300, 1200, 2400, 4800, 9600, "
                  "19200, 38400, 57600 or 115200 from character 7, as in speed=19200"},
        ConfigRow{{{V::speed, "speed=600"}}, "vocrig.cfg line 2: \"speed=600\" reads as speed 600;"},
        ConfigRow{{{V::passThrough, "VRPort=x"}},
                  "vocrig.cfg line 9: \"VRPort=x\" reads as pass-through port \"x\"; expected a port number from "
                  "character 8, 0 for none, as in VRPort=0"},
        ConfigRow{{{V::passThrough, "VRPort=123"}}, "vocrig.cfg line 9: \"VRPort=123\" reads as pass-through "},
        ConfigRow{{{V::passThrough, "VRPort=21"}},
                  "vocrig.cfg line 9: \"VRPort=21\" reads as pass-through port 21; expected 0 for none or another "
                  "port number: COM20 and COM21 are the panel's link"},
        ConfigRow{{{V::debugLevel, "Debug=3"}},
                  "vocrig.cfg line 10: \"Debug=3\" reads as debug level \"3\"; expected 0, 1 or 2 at character 7, "
                  "as in Debug=1"},
        ConfigRow{{{V::debugLevel, "Debug=10"}}, "vocrig.cfg line 11: \"Debug=10\" reads as debug level \"1\";",
                  true},
        ConfigRow{{}, "vocrig.cfg line 10: nothing, the file ends at line 3; expected 0, 1 or 2", false,
                  "Com=5\r\nspeed=19200\r\nRadio=7300\r\n"},
        ConfigRow{{}, "vocrig.cfg is missing: expected it in the working folder, beside savmem.dat", false,
                  "<missing>"}));

TEST(StartUp, OpensPortsAndStartsThePanel) {
    Rig rig;
    rig.start();
    EXPECT_EQ(rig.radio.openedName, "\\\\.\\COM5");
    EXPECT_EQ(rig.radio.baud, 19200);
    EXPECT_EQ(rig.radio.stopBits, 1);
    // No COM20 on this machine: the translator makes the pair and publishes the panel's end.
    EXPECT_EQ(rig.panel.publishedName, "\\\\.\\COM21");
    EXPECT_EQ(rig.panel.baud, 38400);
    EXPECT_FALSE(rig.passThrough.isOpen());
    EXPECT_EQ(rig.process.started, std::vector<std::string>{"vocpanel"});
    rig.command("Z2;");  // the 7300 is of the group with the link-start menu item
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 1A 05 00 45 01 FD FE FE 94 E0 07 00 FD");
}

// A port that is there is opened; one that is not is made as a pair.
TEST(StartUp, PanelAndPassThroughPortsAreOpenedOrMade) {
    Rig present, made, reserved;
    present.devices.present = {7, 20};
    present.start({.passThrough = "7"});
    EXPECT_EQ(present.passThrough.openedName, "\\\\.\\COM7");
    EXPECT_EQ(present.passThrough.baud, 38400);
    EXPECT_EQ(present.panel.openedName, "\\\\.\\COM20");
    EXPECT_EQ(present.panel.publishedName, "");
    made.start({.passThrough = "7"});
    EXPECT_EQ(made.passThrough.publishedName, "\\\\.\\COM8");
    reserved.start({.passThrough = "20"});  // the panel pair's names are never taken
    EXPECT_FALSE(reserved.passThrough.isOpen());
}

TEST(StartUp, BroadcastTwiceOnlyWhenTheModelIsNotKnown) {
    Rig rig, known;
    rig.files.files["vocrig.cfg"] = Config{.model = "AUTO"}.text();
    rig.t.startUp();
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 00 E0 19 00 FD FE FE 00 E0 19 00 FD");
    rig.panel.inject("Z2;");
    rig.t.turn();
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 00 E0 07 00 FD");
    known.files.files["vocrig.cfg"] = Config().text();
    known.t.startUp();
    EXPECT_EQ(known.radio.takeWritten(), "");
}

TEST(StartUp, APanelThatCannotStartOrARadioPortThatCannotOpenIsNoReasonToStop) {
    Rig noPanel, noRadio;
    noPanel.process.succeed = false;
    noPanel.start();
    noPanel.command("FA;");
    EXPECT_EQ(noPanel.replies(), "FA00007100000;");
    noRadio.radio.failOpen = true;
    noRadio.start();
    noRadio.command("FA;");
    EXPECT_FALSE(noRadio.radio.isOpen());
    EXPECT_EQ(noRadio.radio.takeWritten(), "");
    // The console says which port and why (the platform's reason).
    EXPECT_NE(noRadio.console.output.find("cannot open \\\\.\\COM5: Device or resource busy\n"), std::string::npos);
    // Looked for again every second; when the radio answers on it, the console says so.
    noRadio.radio.failOpen = false;
    noRadio.clock.now += Translator::reopenMicros;
    noRadio.t.turn();
    EXPECT_TRUE(noRadio.radio.isOpen());
    noRadio.hear("FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(noRadio.console.output.substr(noRadio.console.output.size() - 12), "Radio found\n");
    EXPECT_EQ(noRadio.console.output.find("Radio lost"), std::string::npos);
}

TEST(MainLoop, EchoAloneSkipsThePanelForOneTurn) {
    Rig rig;
    rig.start();
    rig.radio.inject(hex("FE FE 94 E0 03 FD"));
    rig.panel.inject("FA;");
    EXPECT_TRUE(rig.t.turn());
    EXPECT_EQ(rig.replies(), "");
    EXPECT_TRUE(rig.st().radioBuffer.empty());
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "FA00007100000;");
}

TEST(MainLoop, AnswerSplitRightAfterTheEchoIsKept) {
    // A read that ends a byte or two into the answer behind our echo: the
    // echo goes, the answer's first bytes wait for the rest.
    for (const char* head : {"FE", "FE FE", "FE FE E0"}) {
        Rig rig;
        rig.start();
        std::string first = hex(std::string("FE FE 94 E0 03 FD ") + head);
        std::string rest = hex("FE FE E0 94 03 00 00 25 14 00 FD").substr(first.size() - 6);
        rig.radio.inject(first);
        rig.t.turn();
        EXPECT_EQ(rig.st().radioBuffer, first.substr(6)) << head;
        rig.radio.inject(rest);
        rig.command("FA;");
        EXPECT_EQ(rig.replies(), "FA00014250000;") << head;
    }
}

TEST(MainLoop, EveryAnswerOfAReadIsTakenInOrderAndAPartOneWaits) {
    Rig rig;
    rig.start();
    // Two AF gain answers and the start of a squelch answer in one read.
    rig.hear("FE FE E0 94 14 01 01 28 FD FE FE E0 94 14 01 02 37 FD FE FE E0 94 14");
    rig.hear("03 00 16 FD");
    EXPECT_EQ(rig.replies(), "AG0237;");
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "SQ0016;");
}

TEST(MainLoop, RunStopsWhenAskedAndClosesThePorts) {
    Rig rig;
    rig.start();
    int asked = 0;
    rig.t.run([&] { return ++asked == 5; });
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(rig.waiter.waits, 4);  // idle: it waits on the ports, never spins
    EXPECT_FALSE(rig.t.ended());
    EXPECT_FALSE(rig.radio.isOpen());
    EXPECT_FALSE(rig.panel.isOpen());
}

TEST(MainLoop, NoTurnStartsInsideAnother) {
    // A clock listener (an in-process bench) may ask for turns while the tone switch waits.
    Rig rig;
    rig.start();
    int refused = 0;
    rig.clock.onAdvance = [&] {
        if (!rig.t.turn()) ++refused;
    };
    int64_t before = rig.clock.now;
    rig.command("CT1;");
    EXPECT_EQ(rig.clock.now - before, 100000);  // the pause between the tone switch's frames
    EXPECT_EQ(refused, 100);
    EXPECT_EQ(rig.frames(), (Frames{"16 43 00", "16 42 01"}));
}

// Bytes that never end must not grow a buffer without limit, nor stop later commands.
TEST(Robustness, GarbageWithoutTerminatorIsBoundedOnEveryPort) {
    Rig rig;
    rig.start({.passThrough = "7"});
    std::string garbage;
    for (int i = 0; i < (1 << 20); ++i) garbage += static_cast<char>('A' + i % 23);  // no ";" and no FD
    for (int i = 0; i < 16; ++i) {
        rig.panel.inject(garbage.substr(i * 65536, 65536));
        rig.radio.inject(garbage.substr(i * 65536, 65536));
        rig.passThrough.inject(garbage.substr(i * 65536, 65536));
        rig.t.turn();
        EXPECT_LE(rig.st().programBuffer.size(), Translator::bufferLimit);
        EXPECT_LE(rig.st().radioBuffer.size(), Translator::bufferLimit);
        EXPECT_LE(rig.st().passThroughBuffer.size(), Translator::bufferLimit);
    }
    rig.frames();
    rig.radio.inject(hex("FE FE E0 94 14 01 01 28 FD"));
    rig.command(";AG0070;");  // the terminator ends the garbage; the command after it is taken
    EXPECT_EQ(rig.frames(), Frames{"14 01 00 70"});
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "AG0070;");  // the radio's answer came through; the set since then is what is told
    EXPECT_FALSE(rig.t.ended());
}

}  // namespace
}  // namespace vocrig::test
