// The panel, the translator and the simulated radio together, in one process
// on one manual clock.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "link_bench.h"

using vocrig::e2e::LinkBench;
using vocrig::e2e::LinkConfig;
using Frames = std::vector<std::string>;

namespace {

const std::string setUpFrame = "FE FE 94 E0 1A 05 00 75 00 FD";  // after "Z1", for the 7300
const std::string modelFrame = "FE FE 94 E0 1A 05 00 45 01 FD";  // "Z2" for the newer models
const std::string vfoAFrame = "FE FE 94 E0 07 00 FD";
const std::string unlockFrame = "FE FE 94 E0 16 50 00 FD";
const std::string fortyMetresFrame = "FE FE 94 E0 05 00 00 10 07 00 FD";
const std::string broadcastFrame = "FE FE 00 E0 19 00 FD";

TEST(LinkBench, OpenLinkIdentifiesThe7300AndSetsItUp) {
    LinkBench b;
    ASSERT_TRUE(b.link());

    EXPECT_EQ(b.panel.state.radioId, 148);
    EXPECT_EQ(b.panel.state.lockAvailable, 1);
    EXPECT_EQ(b.radioFrames(), (Frames{setUpFrame, modelFrame, vfoAFrame, unlockFrame, fortyMetresFrame}));
    EXPECT_EQ(b.words(), "7 / point / 1 / mhz");

    // The radio took every frame: it is on VFO A at 7.1 MHz, unlocked, with the two menu items set.
    const radiosim::RadioState& radio = b.radio->state();
    EXPECT_EQ(radio.selected, 0);
    EXPECT_EQ(radio.vfo[0].frequency, 7100000u);
    EXPECT_EQ(radio.function(0x50), 0);
    EXPECT_EQ(radio.menu.count(std::string("\x00\x75", 2)), 1u);
    EXPECT_EQ(radio.menu.count(std::string("\x00\x45", 2)), 1u);
    EXPECT_EQ(b.translator.state().radioHeard, 1);
    // The translator was asked to start the panel program and nothing else.
    EXPECT_EQ(b.process.started, (std::vector<std::string>{"vocpanel"}));
}

TEST(LinkBench, LockedStartSendsTheLockToTheRadio) {
    LinkConfig config;
    config.lockLine = true;
    config.lock = '1';
    LinkBench b;
    ASSERT_TRUE(b.link(config));
    EXPECT_EQ(b.panel.state.lockState, "1");
    EXPECT_EQ(b.radio->state().function(0x50), 1);
    // The debug line still follows the lock line for the translator.
    EXPECT_EQ(b.translator.state().debugLevel, 1);
    EXPECT_EQ(b.translator.state().passThroughPort, "0");
}

// The frequency poll with the radio's echo on and off, and with bytes that
// trickle in at the line's speed. On a CI-V bus (echo and paced) the radio's
// answer follows the echo of the request at once, and a read often ends a byte
// or two into it ("FE FE 94 E0 03 FD FE"): only the bytes up to the echo's FD
// may go, or the answer is lost and every poll tells the old frequency.
struct RadioLine {
    const char* name;
    bool echo;
    bool pace;
};
void PrintTo(const RadioLine& line, std::ostream* out) { *out << line.name; }

class FrequencyPoll : public ::testing::TestWithParam<RadioLine> {};

TEST_P(FrequencyPoll, RoundTripsThroughTheRadio) {
    radiosim::SimOptions options;
    options.echo = GetParam().echo;
    options.pace = GetParam().pace;
    LinkBench b(options);
    ASSERT_TRUE(b.link());
    b.radioFrames();

    b.panelSends("FA");
    EXPECT_EQ(b.panel.state.commandText, "FA;");
    EXPECT_EQ(b.panelReads(), "FA00007100000;");
    EXPECT_EQ(b.radioFrames(), (Frames{"FE FE 94 E0 03 FD"}));

    // The operator turns the dial: the reply to a poll carries what was known
    // before it, so the next poll tells the new frequency.
    b.radio->state().vfo[0].frequency = 14074000;
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00007100000;");
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00014074000;");

    // A frequency set goes to the radio and is what the next poll tells.
    b.panelSends("FA00014200000");
    EXPECT_EQ(b.panel.state.lastFreqCommand, "FA00014200000;");
    b.passMs(50);
    EXPECT_EQ(b.radio->state().vfo[0].frequency, 14200000u);
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00014200000;");
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00014200000;");
}

INSTANTIATE_TEST_SUITE_P(LinkBench, FrequencyPoll,
                         ::testing::Values(RadioLine{"plain", false, false}, RadioLine{"echo", true, false},
                                           RadioLine{"paced", false, true}, RadioLine{"bus", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinkBench, LinkWorksWithoutThePacingWords) {
    // Without the silence files the panel still waits its shortest pauses, and
    // the translator and the radio keep up.
    LinkBench b;
    b.speaker.missing = {"delay", "shdelay"};
    ASSERT_TRUE(b.link());
    EXPECT_EQ(b.panel.state.radioId, 148);
    const int64_t before = b.clock.now;
    b.panelSends("NR");
    EXPECT_EQ(b.panelReads(), "NR0;");
    EXPECT_EQ(b.clock.now - before, 250000);  // 130 ms before the write, 120 ms for the answer
    b.radio->state().vfo[0].frequency = 3650000;
    b.panelSends("FA");
    b.panelReads();
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00003650000;");
}

TEST(LinkBench, SplitPollReadsVfoB) {
    LinkBench b;
    ASSERT_TRUE(b.link());
    b.panelSends("FT1");
    b.panelSends("FB00014250000");
    b.passMs(50);
    EXPECT_TRUE(b.radio->state().split);
    EXPECT_EQ(b.radio->state().vfo[1].frequency, 14250000u);
    b.panelSends("FB");
    EXPECT_EQ(b.panelReads(), "FB00014250000;");
    b.panelSends("FB");
    EXPECT_EQ(b.panelReads(), "FB00014250000;");
}

// Queries whose answer comes only when the radio's frame has arrived.
struct Deferred {
    const char* name;
    std::string set;
    std::string query;
    std::string before;  // the reply before the set
    std::string after;
};
void PrintTo(const Deferred& d, std::ostream* out) { *out << d.query; }

class DeferredReply : public ::testing::TestWithParam<Deferred> {};

TEST_P(DeferredReply, ComesAfterTheRadioAnswers) {
    LinkBench b;
    ASSERT_TRUE(b.link());
    const Deferred& d = GetParam();
    b.panelLine.a.takeWritten();

    b.panelSends(d.query);
    // Nothing is answered at once: the reply waits for the radio's frame.
    EXPECT_EQ(b.panelLine.a.takeWritten(), "");
    EXPECT_EQ(b.panelReads(), d.before);

    b.panelSends(d.set);
    b.panelSends(d.query);
    EXPECT_EQ(b.panelReads(), d.after);
    // Exactly one reply per answer: nothing more arrives later.
    b.passMs(500);
    b.panel.readReply();
    EXPECT_EQ(b.panel.state.replyText, "");
}

INSTANTIATE_TEST_SUITE_P(
    LinkBench, DeferredReply,
    ::testing::Values(Deferred{"noiseReduction", "NR1", "NR", "NR0;", "NR1;"},
                      Deferred{"afGain", "AG0200", "AG0", "AG0128;", "AG0200;"},
                      Deferred{"squelch", "SQ0077", "SQ0", "SQ0000;", "SQ0077;"},
                      Deferred{"processor", "PR1", "PR", "PR0;", "PR1;"},
                      Deferred{"breakIn", "BI1", "BI", "BI0;", "BI1;"},
                      Deferred{"vox", "VX1", "VX", "VX0;", "VX1;"},
                      Deferred{"tuner", "AC110", "AC", "AC0;", "AC1;"},
                      Deferred{"keyerSpeed", "KS030", "KS", "KS020;", "KS030;"},
                      Deferred{"micGain", "MG050", "MG", "MG128;", "MG050;"},
                      Deferred{"nrLevel", "RL07", "RL", "RL04;", "RL07;"},
                      Deferred{"nbLevel", "NL003", "NL", "NL006;", "NL003;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkBench, ShutdownEndsTheTranslatorAndSavesTheTables) {
    LinkBench b;
    b.startTranslator();
    b.window.idleTicks = 5;  // a moment of the loop, then the window closes
    int64_t quitWritten = -1, ended = -1;
    b.clock.onAdvance = [&] {
        const std::string& sent = b.panelLine.b.written;
        if (quitWritten < 0 && sent.size() >= 5 && sent.compare(sent.size() - 5, 5, "quit;") == 0)
            quitWritten = b.clock.now;
        b.step();
        if (ended < 0 && b.translator.ended()) ended = b.clock.now;
    };
    EXPECT_EQ(b.panel.run(), panel::exitNormal);
    // The translator ends a second after "quit".
    ASSERT_GE(quitWritten, 0);
    ASSERT_GE(ended, 0);
    EXPECT_GE(ended - quitWritten, 1000000);
    EXPECT_LT(ended - quitWritten, 1100000);

    EXPECT_EQ(b.words(), "voc / 3 / point / 4 / 7 / point / 1 / mhz");
    // After the link start: split off, tone off (two frames), the lock released; then "quit".
    Frames frames = b.radioFrames();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(Frames(frames.end() - 4, frames.end()),
              (Frames{"FE FE 94 E0 0F 00 FD", "FE FE 94 E0 16 43 00 FD", "FE FE 94 E0 16 42 00 FD", unlockFrame}));
    EXPECT_NE(b.console.output.find("Quit\n"), std::string::npos);
    EXPECT_FALSE(b.radioLine.a.isOpen());
    EXPECT_FALSE(b.panelLine.a.isOpen());
    EXPECT_FALSE(b.panelLine.b.isOpen());

    const std::string log = b.file("debug.dat");
    EXPECT_NE(log.find("FromProg= quit;"), std::string::npos) << log;

    const std::string saved = b.file("savmem.dat");
    EXPECT_NE(saved, "<none>");
    EXPECT_NE(saved.find("01A00007100000B00007100000"), std::string::npos) << saved;
    EXPECT_NE(b.file("memory.txt"), "<none>");
}

TEST(LinkBench, PowerSwitchWakesTheRadioAndSwitchesItOffAtShutdown) {
    LinkConfig config;
    config.powerSwitch = 1;
    LinkBench b;
    b.radio->state().poweredOn = false;
    ASSERT_TRUE(b.link(config));  // switched on before the panel asks who it is
    EXPECT_TRUE(b.radio->state().poweredOn);
    EXPECT_EQ(b.panel.state.radioId, 148);
    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00007100000;");
    b.panel.shutDown();
    EXPECT_TRUE(b.translator.ended());
    EXPECT_FALSE(b.radio->state().poweredOn);
    EXPECT_NE(b.file("debug.dat").find("TORADIO= FE FE 94 E0 18 00 FD"), std::string::npos) << b.file("debug.dat");
}

TEST(LinkBench, NextSessionStartsOnTheSavedBand) {
    std::string saved;
    {
        LinkBench first;
        ASSERT_TRUE(first.link());
        panel::PanelState& s = first.panel.state;
        s.bandIndex = 6;
        s.bandTable[6] = "12A00014074000B000140740009991";  // split flag set: saved without it
        first.panel.shutDown();
        EXPECT_TRUE(first.translator.ended());
        saved = first.file("savmem.dat");
    }
    LinkBench second;
    second.files.files["savmem.dat"] = saved;
    ASSERT_TRUE(second.link());
    EXPECT_EQ(second.panel.state.bandIndex, 6);
    EXPECT_EQ(second.panel.state.bandSplitFlag, 0);
    EXPECT_EQ(second.radioFrames().back(), "FE FE 94 E0 05 00 40 07 14 00 FD");
    EXPECT_EQ(second.words(), "1 / 4 / point / 0 / 7 / 4 / mhz");
    EXPECT_EQ(second.radio->state().vfo[0].frequency, 14074000u);
    second.panelSends("FA");
    EXPECT_EQ(second.panelReads(), "FA00014074000;");
}

TEST(LinkBench, AutoModelFindsTheRadioByBroadcast) {
    LinkBench b;
    ASSERT_TRUE(b.link(LinkConfig{"AUTO"}));

    EXPECT_EQ(b.translator.state().radioAddress, 0x94);
    EXPECT_EQ(b.translator.state().newModelGroup, 0);  // decided at start, before the radio was found
    EXPECT_EQ(b.panel.state.radioId, 148);
    // Two broadcasts, then the link start addressed to the radio found; without
    // the newer-model set-up that only a configured 7300 gets.
    EXPECT_EQ(b.radioFrames(),
              (Frames{broadcastFrame, broadcastFrame, setUpFrame, vfoAFrame, unlockFrame, fortyMetresFrame}));
    EXPECT_NE(b.file("debug.dat").find("--- Found in Address Field --- "), std::string::npos);

    b.panelSends("FA");
    EXPECT_EQ(b.panelReads(), "FA00007100000;");
}

// With the radio off, AUTO finds nobody; a configured model is still reported
// (the identity answer carries its address), but every other reply waits for the radio.
TEST(LinkBench, RadioSwitchedOffAnswersNothing) {
    for (const auto& [model, id] : {std::pair<std::string, int>{"AUTO", 0}, {"7300", 148}}) {
        LinkBench b;
        b.radio->state().poweredOn = false;
        ASSERT_TRUE(b.link(LinkConfig{model})) << model;
        EXPECT_EQ(b.panel.state.radioId, id) << model;
        EXPECT_EQ(b.translator.state().radioHeard, 0) << model;
        EXPECT_EQ(b.radioLine.b.written, "") << model;
        b.panelSends("FA");
        EXPECT_EQ(b.panelReads(), "") << model;
        b.panelSends("SM");
        EXPECT_EQ(b.panelReads(), "") << model;
    }
}

}  // namespace
