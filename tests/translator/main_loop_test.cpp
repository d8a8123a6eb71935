#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

struct ConfigCase {
    std::string text;  // vocrig.cfg; "<missing>" for no file
    std::string port;
    int baud;
    std::string model;
    int address;
    std::string passThrough;
    int debug;
};

class Configuration : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(Configuration, LinesAreReadByPosition) {
    const ConfigCase& c = GetParam();
    Rig rig;
    if (c.text != "<missing>") rig.files.files["vocrig.cfg"] = c.text;
    rig.t.readConfiguration();
    EXPECT_EQ(rig.st().radioPortName, c.port);
    EXPECT_EQ(rig.st().radioBaud, c.baud);
    EXPECT_EQ(rig.st().radioModel, c.model);
    EXPECT_EQ(rig.st().radioAddress, c.address);
    EXPECT_EQ(rig.st().passThroughPort, c.passThrough);
    EXPECT_EQ(rig.st().debugLevel, c.debug);
}

const std::string panelLines = "p\r\ns\r\nt\r\nb\r\nr\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, Configuration,
    ::testing::Values(
        ConfigCase{"Com=7\r\nspeed=19200\r\nRadio=7300\r\n" + panelLines + "VRPort=0\r\ndebug=1\r\n", "\\\\.\\COM7",
                   19200, "7300", 0x94, "0", 1},
        ConfigCase{"Com=15\nspeed=9600\nRadio=705\n" + panelLines + "VRPort=12\ndebug=2\n", "\\\\.\\COM15", 9600,
                   "705", 0xA4, "12", 2},
        ConfigCase{"Com=15\r\nspeed=  4800x\r\nRadio=AUTO\r\n" + panelLines + "lock=1\r\nVRPort=3\r\ndebug=0\r\n",
                   "\\\\.\\COM15", 4800, "AUTO", 0, "3", 0},
        ConfigCase{"Com=5\r\nspeed=\r\nRadio=7300 \r\n" + panelLines + "VRPort=0\r\n", "\\\\.\\COM5", 0, "7300 ", 0,
                   "0", 0},
        ConfigCase{"Com=5\r\nspeed=1\r\nRadio=auto\r\n", "\\\\.\\COM5", 1, "auto", 0, "", 0},
        ConfigCase{"Com=5\r\nspeed=1\r\nRadio=Auto\r\n" + panelLines + "VRPort\r\ndebug=x\r\n", "\\\\.\\COM5", 1,
                   "Auto", 0, "", 0},
        ConfigCase{"<missing>", "\\\\.\\COM", 0, "", 0, "", 0}));

TEST(ModelTable, EveryModelHasItsAddress) {
    struct Row {
        const char* text;
        int address;
    } rows[] = {{"703", 0x68},    {"705", 0xA4},     {"706", 0x48},     {"706MK2", 0x4E}, {"706MK2G", 0x58},
                {"718", 0x5E},    {"728", 0x38},     {"729", 0x3A},     {"735", 0x04},    {"737", 0x3C},
                {"738", 0x44},    {"746", 0x57},     {"746PRO", 0x66},  {"751A", 0x1C},   {"756PRO", 0x5C},
                {"756PRO2", 0x64}, {"756PRO3", 0x6E}, {"765", 0x2C},    {"775", 0x46},    {"781", 0x26},
                {"821", 0x4C},    {"6100", 0x70},    {"7000", 0x40},    {"7100", 0x88},   {"7200", 0x76},
                {"7300", 0x94},   {"7400", 0x66},    {"7410", 0x80},    {"7600", 0x7A},   {"7610", 0x98},
                {"7700", 0x74},   {"7800", 0x6A},    {"7851", 0x8E},    {"9100", 0x7C},   {"9700", 0xA2},
                {"AUTO", 0},      {"auto", 0},       {"Auto", 0},       {"7300 ", 0},     {"", 0},
                {"746pro", 0}};
    for (const Row& row : rows) EXPECT_EQ(Translator::modelAddress(row.text), row.address) << row.text;
}

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
    EXPECT_EQ(toHex(rig.st().frameHeader), "FE FE 94 E0");
    EXPECT_EQ(rig.st().newModelGroup, 1);
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

TEST(StartUp, MissingConfigurationSearchesForTheRadio) {
    Rig rig;
    rig.t.startUp();
    EXPECT_FALSE(rig.radio.isOpen());  // "\\.\COM" is no port
    EXPECT_TRUE(rig.panel.isOpen());
    EXPECT_EQ(rig.st().radioAddress, 0);
    EXPECT_EQ(rig.process.started.size(), 1u);
    EXPECT_EQ(rig.console.output, "Vocrig Translator v3.4b  12-06-2026  19:05:07\nCom= COM  speed=  0   Radio= \n\n"
                                  "cannot open \\\\.\\COM: Invalid argument\n");
}

TEST(StartUp, BroadcastTwiceOnlyWhenTheModelIsNotKnown) {
    Rig rig, known;
    rig.files.files["vocrig.cfg"] = Config{.model = "AUTO"}.text();
    rig.t.startUp();
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 00 E0 19 00 FD FE FE 00 E0 19 00 FD");
    EXPECT_EQ(rig.st().newModelGroup, 0);
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
