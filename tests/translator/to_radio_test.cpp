#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

struct Case {
    std::string command;  // exactly what one panel read holds
    Frames frames;        // bodies after FE FE xx E0, without FD
    std::string reply{};  // what the panel receives at once
    std::string model = "7300";
};

class ToRadio : public ::testing::TestWithParam<Case> {};

TEST_P(ToRadio, CommandBecomesFramesAndReplies) {
    const Case& c = GetParam();
    Rig rig;
    rig.start({.model = c.model});
    rig.command(c.command);
    EXPECT_EQ(rig.frames(), c.frames) << c.command;
    EXPECT_EQ(rig.replies(), c.reply) << c.command;
}

// Forms the recogniser's tables (one command behind another) and the encoding tests do not send.
INSTANTIATE_TEST_SUITE_P(
    Table, ToRadio,
    ::testing::Values(
        Case{"FA00014250000;", {"05 00 00 25 14 00"}}, Case{"FA0;", {}},
        Case{"FB01296200000;", {"25 01 00 00 20 96 12"}}, Case{"AG0;", {"14 01"}}, Case{"AG0x;", {"14 01 00 00"}},
        Case{"PC100;", {"14 0A 02 55"}}, Case{"PC005;", {"14 0A 00 14"}}, Case{"PC040;", {"14 0A 01 01"}},
        Case{"PC099;", {"14 0A 02 48"}}, Case{"PC;", {"14 0A 00 01"}}, Case{"KS;", {"14 0C"}},
        Case{"KS050;", {"14 0C 02 64"}}, Case{"RL13;", {"14 06 02 61"}}, Case{"RL;", {"14 06"}},
        Case{"NL;", {"14 12"}}, Case{"SQ0;", {"14 03"}}, Case{"SH00;", {"1A 03 14"}}, Case{"FW2400;", {"1A 03 19"}},
        Case{"MD1;", {"06 00"}}, Case{"MD3;", {"06 03"}}, Case{"MD4;", {"06 05"}}, Case{"MD5;", {"06 02"}},
        Case{"MD6;", {"06 05"}}, Case{"MD7;", {"06"}}, Case{"MD7;", {"06 17"}, "", "9700"}, Case{"MD9;", {"06"}},
        Case{"PA0;", {"16 02 00"}}, Case{"RA00;", {"11 00"}}, Case{"NB0;", {"16 22 00"}}, Case{"BI;", {"16 47"}},
        Case{"BI0;", {"16 47 00"}}, Case{"BI7;", {"16 47"}}, Case{"VX;", {"16 46"}}, Case{"VX2;", {"16 46 02"}},
        Case{"CT0;", {"16 43 00", "16 42 00"}}, Case{"CNN023;", {"1B 02 00 00 23"}},
        Case{"CNR754;", {"1B 02 11 07 54"}}, Case{"CN100;", {"1B 00 00 10 00"}}, Case{"CN254.1;", {"1B 00 00 25 41"}},
        Case{"NR;", {"16 40"}}, Case{"NT00;", {"16 41 00"}}, Case{"MG;", {"14 0B"}}, Case{"RM3;", {"15 13"}},
        Case{"AC;", {"1C 01"}}, Case{"AC000;", {"1C 01 00"}}, Case{"AC110;", {"1C 01 01"}}, Case{"PR;", {"16 44"}},
        Case{"LO0;", {"16 50 00"}}, Case{"ML007;", {"16 45 01"}}, Case{"Z90;", {"10 01"}}, Case{"Z91;", {"10 02"}},
        // The model table's columns, looked up by address: a model with a value and one without.
        Case{"Z1;", {"1A 05 01 32 01 28"}, std::string("Z1\x88;"), "7100"},
        Case{"Z1;", {}, std::string("Z1\x57;"), "746"},
        Case{"Z2;", {"1A 05 00 63 01", "07 00"}, "", "705"}, Case{"Z2;", {"07 00"}, "", "AUTO"},
        Case{"EX1081;", {"1A 05 01 20 02"}, "", "9700"}, Case{"EX1080;", {"1A 05 00 78 00"}},
        Case{"EX108;", {"1A 05 00 78"}},
        // Values past the end of the command count as 0; nothing is read beyond it.
        Case{"PS;", {"18 00"}}, Case{"ML0;", {"16 45 01"}}, Case{"MD;", {"06"}}, Case{"RG;", {"14 02 00 00"}},
        Case{"SH;", {"1A 03 14"}}, Case{"FW;", {"1A 03 00"}}, Case{"PA;", {"16 02 00"}}, Case{"RA;", {"11 00"}},
        Case{"CT;", {"16 43 00", "16 42 00"}}, Case{"CN;", {"1B 00 00 00 00"}}, Case{"CN.;", {}},
        Case{"CNR7;", {"1B 02 11 07 00"}}, Case{"SQ;", {"14 03 00 00"}}, Case{"LO;", {"16 50 00"}},
        Case{"Z7;", {"16 58 00"}}, Case{"Z9;", {"10 02"}}, Case{"EX0300;", {}}));

TEST(ToRadioState, FrequencySetThenQueryRepliesBeforeTheFrame) {
    Rig rig;
    rig.start();
    rig.command("FA00014250000;");
    rig.frames();
    rig.command("FA;");
    EXPECT_EQ(rig.replies(), "FA00014250000;");
    EXPECT_EQ(rig.frames(), Frames{"03"});
}

TEST(ToRadioState, SplitOnCopiesVfoAIntoB) {
    Rig rig;
    rig.start();
    rig.command("FA00014250000;");
    rig.command("FT1;");
    rig.command("FB;");
    EXPECT_EQ(rig.replies(), "FB00014250000;");
}

TEST(ToRadioState, RfGainIsKept) {
    Rig rig;
    rig.start();
    rig.command("RG128;");
    rig.frames();
    rig.command("RG0;");  // three characters: a query answered from the stored value
    EXPECT_EQ(rig.frames(), Frames{});
    EXPECT_EQ(rig.replies(), "RG128;");
}

TEST(ToRadioState, PowerOnWakesTheRadioWithPreambleInOneWrite) {
    Rig rig;
    rig.start();
    int before = rig.radio.writeCount;
    rig.command("PS1;");
    std::string written = rig.radio.takeWritten();
    EXPECT_EQ(rig.radio.writeCount, before + 1);
    ASSERT_EQ(written.size(), 307u);
    EXPECT_EQ(written.substr(0, 300), std::string(300, '\xFE'));
    EXPECT_EQ(toHex(written.substr(300)), "FE FE 94 E0 18 01 FD");
}

TEST(ToRadioState, CwWidthTakesTheFirstBoundAboveTheWidth) {
    struct Row {
        int below;
        const char* widthByte;
    } rows[] = {{100, "00"},  {200, "01"},  {300, "03"},  {400, "05"},  {500, "07"},  {600, "09"},
                {700, "10"},  {800, "11"},  {900, "12"},  {1000, "13"}, {1100, "14"}, {1200, "15"},
                {1300, "16"}, {1400, "17"}, {1500, "18"}, {1600, "19"}};
    Rig rig;
    rig.start();
    int lowest = 0;
    for (const Row& row : rows) {
        for (int width : {lowest, row.below - 1}) {
            char command[16];
            std::snprintf(command, sizeof command, "FW%04d;", width);
            rig.command(command);
            EXPECT_EQ(rig.frames(), Frames{std::string("1A 03 ") + row.widthByte}) << command;
        }
        lowest = row.below;
    }
}

TEST(ToRadioState, QueriesAreDroppedBeforeTheRadioIsHeardExceptIdentity) {
    Rig rig;
    rig.start(Config(), /*heard=*/false);
    rig.command("FA;");
    EXPECT_EQ(rig.frames(), Frames{"03"});
    EXPECT_EQ(rig.replies(), "");
    rig.command("Z1;");
    EXPECT_EQ(rig.replies(), std::string("Z1\x94;"));
    EXPECT_EQ(rig.st().radioHeard, 0);
}

TEST(ToRadioState, IdentityBeforeTheAddressIsKnownIsZero) {
    Rig rig;
    rig.start({.model = "AUTO"}, /*heard=*/false);
    rig.command("Z1;");
    EXPECT_EQ(rig.replies(), std::string("Z1\0;", 4));
    EXPECT_EQ(rig.frames(), Frames{});
}

}  // namespace
}  // namespace vocrig::test
