#include <gtest/gtest.h>

#include <climits>

#include "panel_rig.h"

namespace {

// A 40 m row with the given VFO A and VFO B digits.
std::string rowWith(const std::string& vfoA, const std::string& vfoB) {
    return "01A" + vfoA + "B" + vfoB + "9990";
}

TEST(Speech, WordsArePlayedFromTheWaveFolder) {
    PanelRig rig;
    rig.panel.sayWord("voc");
    rig.panel.sayWordAsync("help.wav");
    EXPECT_EQ(rig.speaker.files, (std::vector<std::string>{"wave\\voc", "wave\\help.wav"}));
    EXPECT_EQ(rig.speaker.asyncWords, (std::vector<std::string>{"help"}));
    rig.panel.sayCharacters("88.5");
    EXPECT_EQ(rig.words(), "voc / help / 8 / 8 / point / 5");
}

TEST(Speech, FrequencyOfTheBandRow) {
    struct Case {
        std::string digits;
        int splitOn, swapped;
        std::string words;
    } cases[] = {
        {"00014200000", 0, 0, "1 / 4 / point / 2 / mhz"},
        {"00007000000", 0, 0, "7 / mhz"},
        {"00144390000", 0, 0, "1 / 4 / 4 / point / 3 / 9 / mhz"},
        {"00014012500", 0, 0, "1 / 4 / point / 0 / 1 / 2 / 5 / mhz"},
        {"00000500000", 0, 0, "point / 5 / mhz"},
        {"01296000000", 0, 0, "1 / 2 / 9 / 6 / mhz"},
        {"00000000001", 0, 0, "point / 0 / 0 / 0 / 0 / 0 / 1 / mhz"},
        {"00000000000", 0, 0, "mhz"},
        {"99999999999", 0, 0, "9 / 9 / 9 / 9 / 9 / point / 9 / 9 / 9 / 9 / 9 / 9 / mhz"},
        // Split (1 or 2) tells VFO B; swapped VFOs name the one told.
        {"00007100000", 1, 0, "vfob / 3 / point / 5 / mhz"},
        {"00007100000", 2, 0, "vfob / 3 / point / 5 / mhz"},
        {"00007100000", 0, 1, "vfob / 7 / point / 1 / mhz"},
        {"00007100000", 1, 1, "vfoa / 3 / point / 5 / mhz"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.bandIndex = 4;
        rig.state.memory.bandTable[4] = rowWith(c.digits, "00003500000");
        rig.state.dial.splitOn = static_cast<vocrig::panel::Split>(c.splitOn);
        rig.state.dial.vfoSwapped = c.swapped;
        rig.panel.sayFrequency();
        EXPECT_EQ(rig.words(), c.words) << c.digits << c.splitOn << c.swapped;
    }
}

TEST(Speech, FrequencyOfAShortOrMissingRowStaysInside) {
    PanelRig rig;
    rig.state.dial.bandIndex = 4;
    rig.state.memory.bandTable[4] = "01A1425";
    rig.panel.sayFrequency();
    EXPECT_EQ(rig.words(), "point / 0 / 0 / 1 / 4 / 2 / 5 / mhz");  // 1425 Hz
    rig.state.memory.bandTable[4] = "";
    rig.state.dial.splitOn = vocrig::panel::Split::on;
    rig.panel.sayFrequency();
    EXPECT_EQ(rig.words(), "vfob / mhz");
    rig.state.dial.bandIndex = vocrig::panel::noBand;
    rig.panel.sayFrequency();
    EXPECT_EQ(rig.words(), "");
}

TEST(Speech, Modes) {
    const char* expected[] = {"", "lsb", "usb", "cw", "am", "fm / nar", "fm", "dstar"};
    for (int mode = 1; mode <= 7; ++mode) {
        PanelRig rig;
        rig.state.dial.mode = mode;
        rig.panel.sayMode();
        EXPECT_EQ(rig.words(), expected[mode]);
        EXPECT_EQ(rig.sent(), "");
    }
}

TEST(Speech, UnknownModeFallsBackToAmOnGeneralCoverage) {
    PanelRig rig;
    rig.state.dial.mode = 0;
    rig.state.dial.bandIndex = 4;
    rig.panel.sayMode();
    EXPECT_EQ(rig.state.dial.mode, 4);
    EXPECT_EQ(rig.state.dial.bandIndex, 14);
    EXPECT_EQ(rig.sent(), "MD5;SH08;");
    EXPECT_EQ(rig.words(), "shdelay / shdelay / am");
    EXPECT_EQ(rig.state.memory.bandTable[14].substr(0, 2), "04");
}

TEST(Speech, Bands) {
    const char* names[] = {"", "160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70"};
    for (int row = 1; row <= 13; ++row) {
        PanelRig rig;
        rig.state.dial.bandIndex = row;
        rig.state.dial.mode = 2;
        rig.panel.sayBand();
        EXPECT_EQ(rig.words(), std::string(names[row]) + " / metres / shdelay");
        EXPECT_EQ(rig.sent(), "FT0;");
    }
    PanelRig rig;
    rig.state.dial.bandIndex = 14;
    rig.state.dial.mode = 5;  // FM narrow: no "FT0"
    rig.panel.sayBand();
    EXPECT_EQ(rig.words(), "un");
    EXPECT_EQ(rig.sent(), "");
}

TEST(Speech, FilterWidths) {
    struct Case {
        int mode, width;
        std::string words;
    } cases[] = {
        {1, 0, "bw / 1 / point / 0 / khz"},  {2, 1, "bw / 1 / point / 2 / khz"},
        {2, 4, "bw / 1 / point / 8 / khz"},  {2, 5, "bw / 2 / point / 0 / khz"},
        {1, 9, "bw / 2 / point / 8 / khz"},  {2, 12, "bw / 3 / point / 4 / khz"},
        {2, 40, "bw / 3 / point / 4 / khz"}, {2, -3, "bw / 1 / point / 0 / khz"},
        {3, 600, "bw / 6 / 0 / 0 / hz"},     {3, 50, "bw / 5 / 0 / hz"},
        {3, 1200, "bw / 1 / point / 2 / khz"}, {3, 1000, "bw / 1 / point / 0 / khz"},
        {3, 2500, "bw / 2 / point / 5 / khz"}, {3, -100, "bw / 0 / hz"},
        {4, 8, "bw"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.mode = c.mode;
        (c.mode == 3 ? rig.state.levels.cwWidth : rig.state.levels.ssbWidth) = c.width;
        rig.panel.sayFilterWidth();
        EXPECT_EQ(rig.words(), c.words) << c.mode << " " << c.width;
    }
}

TEST(Speech, SUnitsOfMeterReadings) {
    struct Case {
        int reading;
        const char* digit;
    } cases[] = {{-4, "0"}, {0, "0"},   {12, "0"},  {13, "1"},  {25, "1"},  {26, "2"},  {51, "3"},
                 {52, "4"}, {64, "4"},  {65, "5"},  {79, "5"},  {80, "6"},  {93, "7"},  {105, "7"},
                 {106, "8"}, {118, "8"}, {119, "9"}, {140, "9"}, {141, "+"}, {255, "+"}, {9999, "+"}};
    for (const auto& c : cases) EXPECT_EQ(vocrig::panel::sDigitFor(c.reading), c.digit) << c.reading;
}

TEST(Speech, SMeterAsksForAFreshReadingAfterADigit) {
    PanelRig rig;
    rig.state.poll.sDigit = "7";
    rig.state.link.replyText = "SM0100;";
    rig.state.poll.awaitingReply = 1;
    rig.panel.saySMeter();
    EXPECT_EQ(rig.words(), "s / 7");
    EXPECT_EQ(rig.state.link.replyText, "");
    EXPECT_EQ(rig.state.poll.awaitingReply, 0);

    rig.state.poll.sDigit = "+";
    rig.state.link.replyText = "SM0200;";
    rig.state.poll.awaitingReply = 1;
    rig.panel.saySMeter();
    EXPECT_EQ(rig.words(), "s / 9 / plus");
    EXPECT_EQ(rig.state.link.replyText, "SM0200;");
    EXPECT_EQ(rig.state.poll.awaitingReply, 1);
}

TEST(Speech, SwrReadings) {
    struct Case {
        int value, tunerEngaged, txState;
        std::string words;
    } cases[] = {
        {0, 2, 1, "ls1 / point / 2 / 21"},
        {-7, 2, 1, "ls1 / point / 2 / 21"},
        {48, 2, 1, "1 / point / 4 / 21"},
        {48, 2, 0, "1 / point / 4"},
        {1, 2, 0, "1 / point / 2"},
        {7, 2, 0, "1 / point / 2"},
        {8, 2, 0, "1 / point / 3"},
        {19, 2, 0, "1 / point / 3"},
        {20, 2, 0, "1 / point / 4"},
        {45, 2, 0, "1 / point / 4"},
        {46, 2, 0, "1 / point / 4"},
        {51, 2, 0, "1 / point / 5"},
        {76, 2, 0, "1 / point / 9"},
        {77, 2, 0, "2 / point / 0"},
        {113, 2, 0, "2 / point / 9"},
        {114, 2, 0, "3 / point / 0"},
        {140, 2, 0, "3 / point / 9"},
        {141, 2, 0, "gt4 / 21"},
        {299, 2, 0, "gt4 / 21"},
        {300, 0, 1, ""},
        {0, 0, 0, "swr / ls1 / point / 2 / 21"},
        {100, 1, 0, "swr / 2 / point / 6 / 21"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.transmit.peakSwr = c.value;
        rig.state.switches.tunerEngaged = c.tunerEngaged;
        rig.state.transmit.txState = c.txState;
        rig.panel.saySwr();
        EXPECT_EQ(rig.words(), c.words) << c.value;
        // "swr" introduces only the first reading after the tuner went in.
        EXPECT_EQ(rig.state.switches.tunerEngaged, c.value > 299 ? c.tunerEngaged : 2) << c.value;
    }
}

TEST(Speech, AlcPowerKeyerAndLevel) {
    PanelRig rig;
    rig.state.levels.micGainWatch = 1;
    rig.state.levels.peakAlc = 120;
    rig.state.poll.tickCount = 15;
    rig.panel.sayAlc();
    rig.panel.sayAlc();
    EXPECT_EQ(rig.words(), "alc / 1 / 2 / 0 / 1 / 2 / 0");
    EXPECT_EQ(rig.state.levels.micGainWatch, 2);
    EXPECT_EQ(rig.state.poll.tickCount, 0);
    rig.state.levels.peakAlc = -1;  // the start value; the sign has no word
    rig.panel.sayAlc();
    EXPECT_EQ(rig.words(), "1");

    // Power and keyer speed tell the value's digits; the level tells it as a percentage of 255.
    struct Case {
        int value;
        std::string digits, level;
    } cases[] = {
        {100, "1 / 0 / 0", "3 / 9"},
        {5, "5", "1"},
        {6, "6", "2"},
        {25, "2 / 5", "9"},
        {128, "1 / 2 / 8", "5 / 0"},
        {255, "2 / 5 / 5", "1 / 0 / 0"},
        {0, "0", "0"},
        {-30, "3 / 0", "1 / 1"},
        {INT_MAX, "2 / 1 / 4 / 7 / 4 / 8 / 3 / 6 / 4 / 7", "8 / 4 / 2 / 1 / 5 / 0 / 4 / 4 / 9"},
        {INT_MIN, "2 / 1 / 4 / 7 / 4 / 8 / 3 / 6 / 4 / 8", "8 / 4 / 2 / 1 / 5 / 0 / 4 / 5 / 0"},
    };
    for (const auto& c : cases) {
        rig.state.config.powerPercent = c.value;
        rig.state.levels.keyerSpeed = c.value;
        rig.state.levels.micGain = c.value;
        rig.panel.sayPowerPercent();
        EXPECT_EQ(rig.words(), c.digits + " / perc") << c.value;
        rig.panel.sayKeyerSpeed();
        EXPECT_EQ(rig.words(), c.digits + " / wpm") << c.value;
        rig.panel.sayLevelPercent();
        EXPECT_EQ(rig.words(), "micgain / lev / " + c.level + " / perc") << c.value;
    }
}

TEST(Speech, Tones) {
    struct Case {
        std::string tone, words;
    } cases[] = {
        {"88.5", "ctcss / 8 / 8 / point / 5"},
        {"100", "ctcss / 1 / 0 / 0"},
        {"N023", "dcs / n / 0 / 2 / 3"},
        {"R754", "dcs / r / 7 / 5 / 4"},
        {"", "ctcss"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.tone.toneText = c.tone;
        rig.panel.sayTone();
        EXPECT_EQ(rig.words(), c.words) << c.tone;
    }
}

}  // namespace
