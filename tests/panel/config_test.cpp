#include <gtest/gtest.h>

#include "panel_rig.h"

namespace {

// Reads the given lines as vocrig.cfg.
vocrig::panel::PanelState readConfig(const std::vector<std::string>& lines) {
    PanelRig rig;
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    rig.files.files["vocrig.cfg"] = text;
    EXPECT_TRUE(rig.panel.readConfiguration());
    return rig.state;
}

const std::vector<std::string> firstThree = {"radio port 5", "baud 19200", "model 7300"};

std::vector<std::string> withLines(std::vector<std::string> more) {
    std::vector<std::string> lines = firstThree;
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

TEST(Configuration, PowerFollowsTheLengthOfLineFour) {
    struct Case {
        std::string line;
        int power;
    } cases[] = {
        {"power 100", 100},  // 9 characters: last three
        {"power 050", 50},
        {"power 250", 100},  // above 100 is cut to 100
        {"powr 50", 5},      // 7 characters: last one plus 1, and never below the power keys' 5
        {"pow  50", 5},
        {"power 5", 6},
        {"power50", 5},
        {"power 050 \t", 50},  // blanks at the end are not part of the line
        {"pwr: 50!", 100},   // 8 characters but no number: default
        {"power 80", 80},    // 8 characters: last two
        {"power 7", 8},
        {"power 9", 10},
        {"power", 100},      // any other length
        {"transmit power 50", 100},
        {"", 100},
        {"power abc", 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readConfig(withLines({c.line})).config.powerPercent, c.power) << '"' << c.line << '"';
    }
}

TEST(Configuration, SwrTunerPlanAndPowerSwitchComeFromFixedCharacters) {
    auto s = readConfig(withLines({"power 100", "swr 1", "tun 2", "bandplan6", "powersw1"}));
    EXPECT_EQ(s.config.swrAlert, 1);
    EXPECT_EQ(s.config.tunerMode, 2);
    EXPECT_EQ(s.config.bandPlan, "6");
    EXPECT_EQ(s.config.radioPowerSwitch, 1);
    EXPECT_EQ(s.link.radioId, -1);

    // Letters where a digit belongs read as 0 / empty.
    s = readConfig(withLines({"power 100", "swr x", "tun", "bandplanX", "powerswy"}));
    EXPECT_EQ(s.config.swrAlert, 0);
    EXPECT_EQ(s.config.tunerMode, 0);
    EXPECT_EQ(s.config.bandPlan, "");
    EXPECT_EQ(s.config.radioPowerSwitch, 0);
}

TEST(Configuration, BandPlanTwoEndingInThreeMeansSeventy) {
    for (const auto& [line, plan] : std::vector<std::pair<std::string, std::string>>{
             {"bandplan2 with 70cm 3", "7"}, {"bandplan2 with 70cm 3 ", "7"}, {"bandplan2 with 70cm 4", "2"},
             {"bandplan2", "2"}, {"bandplan1 3", "1"}, {"bands", ""}}) {
        EXPECT_EQ(readConfig(withLines({"p", "s", "t", line})).config.bandPlan, plan) << line;
    }
}

// A value the panel cannot use takes the nearest one it can (of two as near, the lower).
TEST(Configuration, ValuesOutOfRangeTakeTheNearestAllowed) {
    auto s = readConfig(withLines({"power 000", "swr 7", "tun 5", "bandplan3", "powersw4", "pass 0", "tdiag 0",
                                   "diagl 9"}));
    EXPECT_EQ(s.config.powerPercent, 5);
    EXPECT_EQ(s.config.swrAlert, 2);
    EXPECT_EQ(s.config.tunerMode, 2);
    EXPECT_EQ(s.config.bandPlan, "2");
    EXPECT_EQ(s.config.radioPowerSwitch, 1);
    EXPECT_EQ(s.config.diagLevel, 2);
    for (const auto& [digit, plan] : std::vector<std::pair<char, std::string>>{
             {'0', "1"}, {'4', "2"}, {'5', "6"}, {'8', "7"}, {'9', "7"}}) {
        EXPECT_EQ(readConfig(withLines({"p", "s", "t", std::string("bandplan") + digit})).config.bandPlan, plan)
            << digit;
    }
}

TEST(Configuration, LockLineShiftsTheDiagnosticLine) {
    struct Case {
        std::string lockLine;
        std::string lockState;
    } cases[] = {{"lock 1", "1"}, {"lock 0", "0"}, {"lock 7", "0"}, {"lock x", "0"}, {"lock", "0"}};
    for (const auto& c : cases) {
        auto s = readConfig(withLines({"p", "s", "t", "b", "powersw0", c.lockLine, "pass 0", "tdiag 2", "diagl 1"}));
        EXPECT_EQ(s.config.lockState, c.lockState) << c.lockLine;
        EXPECT_EQ(s.config.diagLevel, 1) << c.lockLine;
    }
    // Without the lock line, line 9 is skipped unread and line 11 holds the level.
    auto s = readConfig(withLines({"p", "s", "t", "b", "powersw0", "pass 1", "tdiag 2", "diagl 1", "diagl 3"}));
    EXPECT_EQ(s.config.lockState, "0");
    EXPECT_EQ(s.config.diagLevel, 1);
    // "lock" in upper case is not the lock line.
    s = readConfig(withLines({"p", "s", "t", "b", "powersw0", "LOCK 1", "tdiag 2", "diagl 1"}));
    EXPECT_EQ(s.config.lockState, "0");
    EXPECT_EQ(s.config.diagLevel, 1);
}

TEST(Configuration, ShortAndEmptyFilesKeepTheDefaults) {
    for (size_t n = 0; n <= 10; ++n) {
        std::vector<std::string> lines = withLines({"power 050", "swr 1", "tun 1", "bandplan6", "powersw1",
                                                    "pass 0", "tdiag 2", "diagl 1"});
        lines.resize(n);
        auto s = readConfig(lines);
        EXPECT_EQ(s.config.powerPercent, n >= 4 ? 50 : 100) << n;
        EXPECT_EQ(s.config.swrAlert, n >= 5 ? 1 : 0) << n;
        EXPECT_EQ(s.config.tunerMode, n >= 6 ? 1 : 0) << n;
        EXPECT_EQ(s.config.bandPlan, n >= 7 ? "6" : "") << n;
        EXPECT_EQ(s.config.radioPowerSwitch, n >= 8 ? 1 : 0) << n;
        EXPECT_EQ(s.config.lockState, "0") << n;
        EXPECT_EQ(s.config.diagLevel, 0) << n;
    }
}

}  // namespace
