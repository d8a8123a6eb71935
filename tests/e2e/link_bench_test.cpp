// The panel, the translator and the simulated radio together, in one process
// on one manual clock.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "key_codes.h"
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

    EXPECT_EQ(b.panel.state.link.radioId, 148);
    EXPECT_EQ(b.panel.state.link.lockAvailable, 1);
    EXPECT_EQ(b.radioFrames(), (Frames{setUpFrame, modelFrame, vfoAFrame, unlockFrame, fortyMetresFrame}));
    EXPECT_EQ(b.words(), "7 / point / 1 / mhz");

    // The radio took every frame: it is on VFO A at 7.1 MHz, unlocked, with the two menu items set.
    const vocrig::radiosim::RadioState& radio = b.radio->state();
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
    EXPECT_EQ(b.panel.state.config.lockState, "1");
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
    vocrig::radiosim::SimOptions options;
    options.echo = GetParam().echo;
    options.pace = GetParam().pace;
    LinkBench b(options);
    ASSERT_TRUE(b.link());
    b.radioFrames();

    b.panelSends("FA");
    EXPECT_EQ(b.panel.state.link.commandText, "FA;");
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
    EXPECT_EQ(b.panel.state.link.lastFreqCommand, "FA00014200000;");
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
    EXPECT_EQ(b.panel.state.link.replyText, "");
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
    EXPECT_EQ(b.panel.run(), vocrig::panel::exitNormal);
    // The translator ends a second after "quit".
    ASSERT_GE(quitWritten, 0);
    ASSERT_GE(ended, 0);
    EXPECT_GE(ended - quitWritten, 1000000);
    EXPECT_LT(ended - quitWritten, 1100000);

    // The link start, then the first poll's answer sets the radio up for the band.
    EXPECT_EQ(b.words(), "voc / 3 / point / 4 / 7 / point / 1 / mhz / lsb / preamp / off / connected");
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
    EXPECT_EQ(b.panel.state.link.radioId, 148);
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
        vocrig::panel::PanelState& s = first.panel.state;
        s.dial.bandIndex = 6;
        s.memory.bandTable[6] = "12A00014074000B000140740009991";  // split flag set: saved without it
        first.panel.shutDown();
        EXPECT_TRUE(first.translator.ended());
        saved = first.file("savmem.dat");
    }
    LinkBench second;
    second.files.files["savmem.dat"] = saved;
    ASSERT_TRUE(second.link());
    EXPECT_EQ(second.panel.state.dial.bandIndex, 6);
    EXPECT_EQ(second.panel.state.dial.bandSplitFlag, 0);
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
    EXPECT_EQ(b.panel.state.link.radioId, 148);
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
        EXPECT_EQ(b.panel.state.link.radioId, id) << model;
        EXPECT_EQ(b.translator.state().radioHeard, 0) << model;
        EXPECT_EQ(b.radioLine.b.written, "") << model;
        b.panelSends("FA");
        EXPECT_EQ(b.panelReads(), "") << model;
        b.panelSends("SM");
        EXPECT_EQ(b.panelReads(), "") << model;
    }
}

}  // namespace


// The operator's session from the first poll on.

namespace {

using vocrig::panel::PanelState;

// savmem.dat with the session saved on `band`, whose row is `row`.
std::string savedOn(int band, const std::string& row) {
    LinkBench defaults;
    std::string file = std::string("VOCRIG v3.2a   3.4b ") + static_cast<char>('0' + band) + "0\r\n";
    for (int r = 1; r <= 14; ++r) file += (r == band ? row : defaults.panel.state.memory.bandTable[r]) + "\r\n";
    for (int i = 0; i < 100; ++i) file += "9\r\n";
    return file;
}

std::string repeated(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

struct BandSetUp {
    const char* name;
    int band;
    std::string row;  // "" the default row
    char lock;
    std::string sent;   // from the first poll to the first meter request
    std::string words;  // pacing left out
};
void PrintTo(const BandSetUp& s, std::ostream* out) { *out << s.name; }

class FirstAnswer : public ::testing::TestWithParam<BandSetUp> {};

TEST_P(FirstAnswer, SetsTheRadioUpForTheBandAndSaysConnected) {
    const BandSetUp& c = GetParam();
    LinkBench b;
    if (!c.row.empty()) b.files.files["savmem.dat"] = savedOn(c.band, c.row);
    LinkConfig config;
    config.lockLine = true;
    config.lock = c.lock;
    ASSERT_TRUE(b.link(config));
    b.sent();
    b.words();
    b.ticks(2);  // the request, then its answer
    EXPECT_EQ(b.panel.state.poll.connected, 1);
    EXPECT_EQ(b.sent(), c.sent);
    EXPECT_EQ(b.words(), c.words);
    // The radio's levels were read back; the answer itself is not shown yet, the next one is.
    EXPECT_EQ(b.panel.state.levels.micGain, 128);
    EXPECT_EQ(b.panel.state.levels.afGain, 128);
    EXPECT_EQ(b.window.textAt(285, 150), "");
    b.ticks(2);
    EXPECT_NE(b.window.textAt(285, 150), "");
}

INSTANTIATE_TEST_SUITE_P(
    LinkBench, FirstAnswer,
    ::testing::Values(
        BandSetUp{"fortyMetresLsb", 4, "", '0',
              "FA;MD1;SH07;EX1080;PA0;RA00;NB0;NT0;PC100;AC110;MG;AG0;RG255;VX;BI;NR;ML000;PR;RX0;PA0;SM0;",
              "lsb / preamp / off / connected"},
        // A repeater on 2 m: FM narrow with its squelch, the DCS code as stored, split to the
        // input frequency; the lock is spoken, the preamp switched on.
        BandSetUp{"twoMetreRepeaterLocked", 12, "15A00145000000B00145600000N0231", '1',
              "FA;MD4;Z3;SQ0;EX1080;PA0;RA00;NB0;NT0;PC100;AC110;MG;AG0;RG255;VX;BI;NR;ML000;PR;"
              "CNN023;CT1;FT1;FB00145600000;PA1;SM0;",
              "fm / nar / lock / on / dcs / on / split / preamp / on / connected"},
        // A tone stored half-typed is no tone, as at a band change.
        BandSetUp{"twoMetreHalfTypedTone", 12, "05A00145000000B00145600000N0", '0',
              "FA;MD4;Z3;SQ0;EX1080;PA0;RA00;NB0;NT0;PC100;AC110;MG;AG0;RG255;VX;BI;NR;ML000;PR;"
              "CT0;RX0;PA0;SM0;",
              "fm / nar / preamp / off / connected"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Shown {
    const char* name;
    std::string reply;
    int splitOn, swapped;
    std::string mark, text;  // "" when nothing is drawn
    int frequency;
    std::string words;
};
void PrintTo(const Shown& s, std::ostream* out) { *out << s.name; }

class FrequencyAnswer : public ::testing::TestWithParam<Shown> {};

TEST_P(FrequencyAnswer, IsShownWithTheVfoMarkOrIgnored) {
    const Shown& c = GetParam();
    LinkBench b;
    ASSERT_TRUE(b.connect());
    b.panel.state.dial.splitOn = static_cast<vocrig::panel::Split>(c.splitOn);
    b.panel.state.dial.vfoSwapped = c.swapped;
    const int sMeter = b.panel.state.poll.sMeter;
    b.answerPoll(c.reply);
    EXPECT_EQ(b.window.textAt(80, 150), c.mark);
    EXPECT_EQ(b.window.textAt(285, 150), c.text.empty() ? "" : c.text + std::string(13, ' '));
    EXPECT_EQ(b.panel.state.dial.frequency, c.frequency);
    EXPECT_EQ(b.words(), c.words);
    EXPECT_EQ(b.panel.state.poll.sMeter, sMeter);  // a meter answer behind a frequency is dropped
}

INSTANTIATE_TEST_SUITE_P(
    LinkBench, FrequencyAnswer,
    ::testing::Values(Shown{"vfoA", "FA00014200000;", 0, 0, "    ", "   14.200000", 14200000, ""},
                      Shown{"belowOneMegahertz", "FA00000500000;", 0, 0, "    ", "     0.500000", 500000, ""},
                      Shown{"splitJustSet", "FB00014200000;", 1, 0, "B   ", "   14.200000", 14200000, "split"},
                      Shown{"splitSwapped", "FB00014200000;", 2, 1, "A  ", "   14.200000", 14200000, ""},
                      Shown{"meterBehind", "FA00014200000;SM0120;", 0, 0, "    ", "   14.200000", 14200000, ""},
                      Shown{"tenDigits", "FA0001420000;", 0, 0, "", "", 7100000, ""},
                      Shown{"notDigits", "FA0001420000x;", 0, 0, "", "", 7100000, ""},
                      Shown{"noEnd", "FA00014200000", 0, 0, "", "", 7100000, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// What one poll read does besides the frequency.
struct Reply {
    const char* name;
    std::function<void(PanelState&)> before;
    std::string reply;
    int mode, peakSwr, peakAlc, running;
    std::string sent;  // up to the next request
    std::string words;
};
void PrintTo(const Reply& r, std::ostream* out) { *out << r.name; }

class PollReply : public ::testing::TestWithParam<Reply> {};

TEST_P(PollReply, IsTakenByItsCode) {
    const Reply& c = GetParam();
    LinkBench b;
    ASSERT_TRUE(b.connect());
    PanelState& s = b.panel.state;
    s.program.running = 1;
    s.poll.pollPhase = 1;
    if (c.before) c.before(s);
    b.answerPoll(c.reply);
    EXPECT_EQ(s.dial.mode, c.mode);
    EXPECT_EQ(s.keys.modeReported, c.mode != 1 || c.reply.find("Z51") != std::string::npos ? 1 : 0);
    EXPECT_EQ(s.transmit.peakSwr, c.peakSwr);
    EXPECT_EQ(s.levels.peakAlc, c.peakAlc);
    EXPECT_EQ(s.program.running, c.running);
    EXPECT_EQ(b.sent(), c.sent);
    EXPECT_EQ(b.words(), c.words);
}

const auto transmitting = [](PanelState& s) { s.transmit.txState = 1; };
INSTANTIATE_TEST_SUITE_P(
    LinkBench, PollReply,
    ::testing::Values(
        // A mode set by a second program: the digit counts as the "MD" commands count.
        Reply{"reportFm", nullptr, "Z54;", 5, 0, -1, 1, "MD4;Z3;SQ0;SM0;", ""},
        Reply{"reportAm", nullptr, "Z55;", 4, 0, -1, 1, "MD5;SH08;SM0;", ""},
        Reply{"reportUsb", nullptr, "Z52;", 2, 0, -1, 1, "MD2;SH07;SM0;", ""},
        Reply{"reportDstar", nullptr, "Z57;", 7, 0, -1, 1, "MD7;SM0;", ""},
        Reply{"reportBehindAMeter", nullptr, "SM0000;Z53;", 3, 0, -1, 1, "MD3;FW0600;SM0;", ""},
        Reply{"reportNoMode", nullptr, "Z56;", 1, 0, -1, 1, "SM0;", ""},
        Reply{"reportCutShort", nullptr, "Z5", 1, 0, -1, 1, "SM0;", ""},
        // Meters found by search; the SWR is spoken when the configuration asks for it.
        Reply{"swrBehindTheSMeter", transmitting, "SM0010;RM1005;", 1, 5, -1, 1, "RM1;", ""},
        Reply{"swrSpoken", [](PanelState& s) { s.transmit.txState = 1, s.config.swrAlert = 1; }, "RM1005;", 1, 5, -1, 1,
              "RM1;", "swr / 1 / point / 2 / 21"},
        Reply{"swrBehindAFrequency", transmitting, "FA00007100000;RM1005;", 1, 0, -1, 1, "RM1;", ""},
        Reply{"alcWhileWatching", [](PanelState& s) { s.levels.micGainWatch = 1, s.poll.tickCount = 20; },
              "SM0000;RM3045;", 1, 0, 45, 1, "RM3;", "alc / 4 / 5"},
        Reply{"alcNotWatched", nullptr, "RM3045;", 1, 0, -1, 1, "SM0;", ""},
        // "NC;" anywhere ends the panel (the poll reads like every other read).
        Reply{"ncBehindAnswers", nullptr, "FA00007100000;SM0120;NC;", 1, 0, -1, 0, "SM0;", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkBench, FallingSMeterIsHeldRisingShownAtOnce) {
    LinkBench b;
    ASSERT_TRUE(b.connect());
    auto shown = [&] { return b.window.textAt(790, 45) + b.window.textAt(820, 45); };
    b.answerPoll("RM1005;SM0120;");  // only a read that begins with it
    EXPECT_EQ(shown(), "");
    b.answerPoll("SM0120;");
    EXPECT_EQ(shown(), "9   ");
    b.sent();
    for (int i = 0; i < 40; ++i) b.answerPoll("SM0040;");
    EXPECT_EQ(shown(), "9   ");
    EXPECT_EQ(b.sent(), "");  // a held reading asks nothing on its tick
    b.answerPoll("SM0040;");
    EXPECT_EQ(shown(), "3   ");
    b.answerPoll("SM0118;");
    EXPECT_EQ(shown(), "8   ");
    b.answerPoll("SM0141;");
    EXPECT_EQ(shown(), "9+");
    EXPECT_EQ(b.window.textAt(750, 45), "S");
}

TEST(LinkBench, PollsFiftyTimesASecondLosesTheLinkAndComesBack) {
    LinkBench b;
    ASSERT_TRUE(b.connect());
    // A quiet channel with the RF gain right down: the needle stands still, so
    // no falling reading holds a request back.
    b.radio->state().vfo[0].frequency = 7000000;
    b.panelSends("RG000");
    b.ticks(2);
    b.sent();
    b.ticks(50);
    EXPECT_EQ(b.sent(), repeated("FA;SM0;", 25));
    EXPECT_EQ(b.panel.state.poll.sMeter, 120);

    // The translator falls silent: a request every second tick, the twentieth miss loses the link.
    // The loss is said once, unasked.
    b.clock.onAdvance = nullptr;
    b.words();
    b.ticks(38);
    EXPECT_EQ(b.sent(), repeated("FA;SM0;", 9) + "FA;");
    EXPECT_EQ(b.words(), "");
    b.ticks(1);
    EXPECT_EQ(b.words(), "nc");
    b.ticks(20);
    EXPECT_EQ(b.words(), "");

    // It answers again: the next frequency answer sets the radio up once more.
    b.clock.onAdvance = [&] { b.step(); };
    b.sent();
    b.ticks(6);
    EXPECT_EQ(b.panel.state.poll.connected, 1);
    EXPECT_NE(b.sent().find("MD1;SH07;EX1080;"), std::string::npos);
    EXPECT_EQ(b.words(), "lsb / preamp / off / connected");
}

// Keys as the operator types them: characters for their keys, "\n" for Enter.
void press(LinkBench& b, const std::string& text) {
    for (char c : text) {
        int code = static_cast<unsigned char>(c);
        if (c == '.') code = vocrig::panel::keyPoint;
        if (c == '\n') code = vocrig::panel::keyEnter;
        b.panel.handleEvent({vocrig::platform::EventType::KeyDown, code});
        b.panel.handleEvent({vocrig::platform::EventType::KeyUp, code});
    }
}
const std::string keyT = "T", keyS = "S", keyF12 = "\x7B";

// The SWR as the operator heard it after S: "2.4", or "" when none was spoken.
std::string heardSwr(LinkBench& b) {
    std::string number;
    std::istringstream words(b.words());
    for (std::string w; words >> w;) {
        if (w == "point") number += ".";
        else if (w == "gt4") number += "4.1";
        else if (w.size() == 1 && std::isdigit(static_cast<unsigned char>(w[0]))) number += w;
    }
    return number;
}

// A frequency typed while a poll is out: the poll's answer, older than the
// setting, must not take the panel back to the old frequency (a channel
// stored next would hold it).
TEST(LinkBench, TypedFrequencyIsNotUndoneByThePollAnsweredBeforeIt) {
    LinkBench b;
    ASSERT_TRUE(b.connect());
    for (int i = 0; i < 4 && !(b.panel.state.poll.awaitingReply == 1 && b.panel.state.poll.pollPhase == 1); ++i)
        b.ticks(1);
    ASSERT_EQ(b.panel.state.poll.pollPhase, 1);  // a frequency poll is out
    press(b, "E14.07\n");
    b.ticks(2);
    EXPECT_EQ(b.panel.state.poll.vfoAText, "A00014070000");
    b.ticks(6);
    EXPECT_EQ(b.panel.state.poll.vfoAText, "A00014070000");
}

TEST(LinkBench, TuneAndHearTheSwrFall) {
    vocrig::radiosim::SimOptions quickTuner;
    quickTuner.tuneMs = 1000;  // done within the panel's wait
    LinkBench b(quickTuner);
    // The pacing words as long as the word set makes them.
    b.speaker.lengthMs = {{"delay", 120}, {"shdel", 80}, {"shdelay", 130}};
    ASSERT_TRUE(b.connect());
    // On 80 m, whose antenna is poorly matched (2.6:1 without the tuner).
    press(b, "E3.6\n");
    b.ticks(10);
    // A tune with the carrier alone (tuner mode 1), then with the tuner first (mode 2).
    std::string heard[2];
    for (const std::string& tunerKey : {keyF12, keyF12}) {
        press(b, tunerKey);
        b.ticks(4);
        b.sent();
        press(b, keyT);
        EXPECT_NE(b.sent().find("PC040;MD5;Z5;"), std::string::npos);
        b.passMs(50);
        EXPECT_TRUE(b.radio->state().transmitting);
        b.ticks(60);  // past the tuner's hunt
        b.words();
        press(b, keyS);
        heard[b.panel.state.config.tunerMode - 1] = heardSwr(b);
        b.sent();
        press(b, keyT);
        EXPECT_EQ(b.sent().substr(0, 6), "Z6;RX;");
        b.passMs(50);
        EXPECT_FALSE(b.radio->state().transmitting);
        EXPECT_EQ(b.panel.state.transmit.tuning, 0);
    }
    ASSERT_FALSE(heard[0].empty() || heard[1].empty()) << "[" << heard[0] << "] [" << heard[1] << "]";
    EXPECT_GT(std::stod(heard[0]), std::stod(heard[1]) + 0.5) << heard[0] << " " << heard[1];
}

TEST(LinkBench, TraceTellsWhatHappenedWhen) {
    LinkBench b;
    ASSERT_TRUE(b.link());
    b.panel.handleEvent({vocrig::platform::EventType::KeyDown, 74});
    b.panelLine.a.write(std::string("\x01Z\xFE;"));
    b.panel.readReply();
    const std::string trace = b.file("vocpanel.trace");
    EXPECT_EQ(trace.substr(0, trace.find("300 send Z1;\n") + 13),
              "0 draw 300 10 *** Vocrig V 3.4b ***\n"
              "0 draw 190 355 b=Band  f=Freq  e=Entry m=Mode  s=Meter/SWR  Z=Zero frequency  w=Filter width\n"
              "0 draw 155 380          v=VFO B/Split/Repeater  c=channel save  g=goto channel  a=af gain  "
              "r=rfgain p=Power\n"
              "0 draw 155 405         F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch  h=help  "
              "q=quit\n"
              "0 say shdelay\n"
              "300 send Z1;\n");
    EXPECT_NE(trace.find("\n600 read Z1\\x94;\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\n2400 say mhz\n2700 key 74\n2700 say nc\n3000 read \\x01Z\\xFE;\n"), std::string::npos) << trace;
}

TEST(LinkBench, NothingIsTracedWithoutATrace) {
    LinkBench b;
    vocrig::panel::Panel quiet{b.window, b.speaker, b.panelLine.b, b.files, b.clock};
    b.startTranslator();
    quiet.readConfiguration();
    quiet.openLink();
    EXPECT_EQ(b.file("vocpanel.trace"), "");
}

// The vocrig.cfg the operator's guide gives to copy (doc/vocrig-cfg.md) means
// what the guide says of each line: the radio on COM5 at 19200 Bd as an
// IC-7300, the translator's log on, no pass-through port; full power, the SWR
// said after transmitting, the radio's tuner, 6 m but no 2 m, no power switch,
// the dial unlocked, no key echo.
TEST(LinkBench, TheGuidesVocrigCfgMeansWhatTheGuideSays) {
    std::ifstream guide(std::string(VOCRIG_DOC_DIR) + "/vocrig-cfg.md");
    std::string line, example;
    while (std::getline(guide, line))
        if (line.rfind("    ", 0) == 0) example += line.substr(4) + "\n";
    ASSERT_NE(example.find("Com=5\n"), std::string::npos) << example;

    LinkBench b;
    b.files.files["vocrig.cfg"] = example;
    b.translator.startUp();
    ASSERT_TRUE(b.openPanel());
    for (int i = 0; i < 10 && b.panel.state.poll.connected == 0; ++i) b.ticks(1);
    ASSERT_EQ(b.panel.state.poll.connected, 1);
    EXPECT_EQ(b.radioLine.a.openedName, "\\\\.\\COM5");
    EXPECT_EQ(b.radioLine.a.baud, 19200);
    const auto frames = b.radioFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().substr(0, 11), "FE FE 94 E0");
    EXPECT_NE(b.file("debug.dat"), "<none>");
    EXPECT_FALSE(b.passThrough.opened);
    EXPECT_EQ(b.sent().find("*"), std::string::npos);  // no key echo
    b.words();

    const struct {
        std::string keys, heard;
    } lines[] = {
        {"P", "power / 1 / 0 / 0 / perc"},               // Power=100
        {"O", "options / tuner / is / on"},              // Tun=0, lock=0
        {"BX", "band / 40 / metres / 6 / metres"},       // BandPln=6: 6 m ...
        {"BT", "band / 6 / metres / band / na"},         // ... but no 2 m
    };
    // Word files are found without regard to case: "Power" is power.wav.
    auto heardNow = [&b] {
        std::string words = b.words();
        for (char& c : words) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return words;
    };
    for (const auto& [keys, heard] : lines) {
        press(b, keys);
        b.ticks(3);
        EXPECT_EQ(heardNow().substr(0, heard.size()), heard) << keys;
    }
    press(b, " ");  // Swr=1: the SWR follows the end of a transmission
    b.ticks(30);
    press(b, " ");
    b.ticks(30);
    EXPECT_NE(heardNow().find("tx / off / swr"), std::string::npos);
}

}  // namespace
