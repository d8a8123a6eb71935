#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

struct Case {
    std::string read;    // one panel read
    Frames frames;       // what goes to the radio (model 7300)
    std::string reply{};
};

class Recognise : public ::testing::TestWithParam<Case> {};

TEST_P(Recognise, TableOrderDecidesWhatIsTranslated) {
    const Case& c = GetParam();
    Rig rig;
    rig.start();
    rig.command(c.read);
    EXPECT_EQ(rig.frames(), c.frames) << c.read;
    EXPECT_EQ(rig.replies(), c.reply) << c.read;
    EXPECT_TRUE(rig.st().programBuffer.empty()) << c.read;
    EXPECT_FALSE(rig.t.ended()) << c.read;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Recognise,
    ::testing::Values(
        Case{"FA;MD;", {"03"}, "FA00007100000;"},  // one command per read
        Case{"MD;FA00007100000;", {}},  // "FA" found after the first ";"
        Case{"MD2;RX;", {"06 01"}},
        Case{"RX;MD2;", {}},  // "MD" stops the search first
        Case{"BI1;TX2;", {"16 47 01", "1C 00 01"}},  // "BI" goes on
        Case{"BI1;VX1;", {"16 47 01"}},  // "VX" is guarded
        Case{"ML;", {}},
        Case{"MLxFA;", {}},  // "ML" stops even when it does nothing
        Case{"Poweron;", {"1A 05 01 55"}}, Case{"XY;", {}}, Case{"FT0;", {}}, Case{"CA01;", {}},
        Case{"RX$;", {"1C 00 00"}},
        Case{"xFA;", {"03"}, "FA00007100000;"},  // junk in front: still "FA"
        Case{"RX;TX2;", {"1C 00 01"}},  // "TX2" comes first in the table
        Case{";", {}}));

// Every row's guard: a command behind another (here the unknown "Q;") is taken only
// when its keyword row has no guard; a guarded keyword found there stops the search.
// Rows matched only at the start ("CT", "CN", "Z2", "Poweron") never see it. Parameters
// read by absolute position ("ML", "MG", "Z7", "Z9") are read where they stand in the buffer.
INSTANTIATE_TEST_SUITE_P(
    GuardColumn, Recognise,
    ::testing::Values(
        Case{"Q;PS1;", {}}, Case{"Q;FA;", {}}, Case{"Q;FB;", {}}, Case{"Q;SM0;", {}}, Case{"Q;MD2;", {}},
        Case{"Q;FT1;", {}}, Case{"Q;RX0;", {}}, Case{"Q;AG0128;", {}}, Case{"Q;RG255;", {}}, Case{"Q;PC050;", {}},
        Case{"Q;KS025;", {}}, Case{"Q;SH08;", {}}, Case{"Q;FW0500;", {}}, Case{"Q;PA1;", {}}, Case{"Q;RA01;", {}},
        Case{"Q;NB1;", {}}, Case{"Q;VX1;", {}}, Case{"Q;NR1;", {}}, Case{"Q;NT10;", {}}, Case{"Q;RL03;", {}},
        Case{"Q;NL005;", {}}, Case{"Q;SQ0128;", {}}, Case{"Q;EX1081;", {"1A 05 00 78 02"}},
        Case{"Q;ML000;", {"16 45 01"}},  // characters 3-5 are "ML0"
        Case{"Q;RM1;", {"15 12"}}, Case{"Q;BI1;", {"16 47 01"}}, Case{"Q;TX2;", {"1C 00 01"}},
        Case{"Q;RX;", {"1C 00 00"}},
        Case{"Q;MG128;", {"14 0B 00 01"}},  // characters 3-5 are "MG1"
        Case{"Q;RM3;", {}},  // only the exact read "RM3;" asks
        Case{"Q;AC111;", {"1C 01 02"}}, Case{"Q;PR1;", {"16 44 01"}}, Case{"Q;LO1;", {"16 50 01"}},
        Case{"Q;Z1;", {"1A 05 00 75 00"}, std::string("Z1\x94;")}, Case{"Q;Z3;", {"06 05 02"}},
        Case{"Q;Z4;", {"06 05 01"}}, Case{"Q;Z5;", {"1C 00 01"}}, Case{"Q;Z6;", {"1C 00 00"}},
        Case{"Q;Z72;", {"16 58 00"}},  // character 3 is "Z"
        Case{"Q;Z8;", {"07 B0"}},
        Case{"Q;Z90;", {"10 02"}},  // character 3 is "Z"
        Case{"Q;CT1;", {}}, Case{"Q;CN88.5;", {}}, Case{"Q;Z2;", {}}, Case{"Q;Poweron;", {}}));

// Every row but "BI" and "RX" ends the search: "Z8" (a later row without a guard)
// behind the command is never translated.
INSTANTIATE_TEST_SUITE_P(
    ThenColumn, Recognise,
    ::testing::Values(
        Case{"PS9;Z8;", {"18 00"}}, Case{"EX1081;Z8;", {"1A 05 00 78 02"}}, Case{"ML000;Z8;", {"16 45 00"}},
        Case{"MLx;Z8;", {}}, Case{"FA;Z8;", {"03"}, "FA00007100000;"}, Case{"FB;Z8;", {"25 01"}, "FB00007100000;"},
        Case{"SM0;Z8;", {"15 02"}, "SM0000;"}, Case{"RM1;Z8;", {"15 12"}}, Case{"MD2;Z8;", {"06 01"}},
        Case{"FT1;Z8;", {"0F 01"}}, Case{"RX0;Z8;", {"0F 00"}}, Case{"AG0128;Z8;", {"14 01 01 28"}},
        Case{"RG255;Z8;", {"14 02 02 55"}}, Case{"PC050;Z8;", {"14 0A 01 26"}}, Case{"KS025;Z8;", {"14 0C 01 14"}},
        Case{"SH08;Z8;", {"1A 03 30"}}, Case{"FW0500;Z8;", {"1A 03 09"}}, Case{"PA1;Z8;", {"16 02 01"}},
        Case{"RA01;Z8;", {"11 20"}}, Case{"NB1;Z8;", {"16 22 01"}}, Case{"BI1;Z8;", {"16 47 01", "07 B0"}},
        Case{"VX1;Z8;", {"16 46 01"}}, Case{"CT1;Z8;", {"16 43 00", "16 42 01"}},
        Case{"CN88.5;Z8;", {"1B 00 00 08 85"}}, Case{"NR1;Z8;", {"16 40 01"}}, Case{"NT10;Z8;", {"16 41 01"}},
        Case{"RL03;Z8;", {"14 06 00 61"}}, Case{"NL005;Z8;", {"14 12 01 00"}}, Case{"SQ0128;Z8;", {"14 03 01 28"}},
        Case{"TX2;Z8;", {"1C 00 01"}}, Case{"RX;Z8;", {"1C 00 00", "07 B0"}}, Case{"MG128;Z8;", {"14 0B 01 28"}},
        Case{"RM3;Z8;", {}}, Case{"AC111;Z8;", {"1C 01 02"}}, Case{"PR1;Z8;", {"16 44 01"}},
        Case{"LO1;Z8;", {"16 50 01"}}, Case{"Z1;Z8;", {"1A 05 00 75 00"}, std::string("Z1\x94;")},
        Case{"Z3;Z8;", {"06 05 02"}}, Case{"Z4;Z8;", {"06 05 01"}}, Case{"Z5;Z8;", {"1C 00 01"}},
        Case{"Z6;Z8;", {"1C 00 00"}}, Case{"Z72;Z8;", {"16 58 02"}}));

TEST(RecogniseText, MatchedCommandRunsFromTheKeywordToTheFirstTerminator) {
    Rig rig;
    rig.start();
    rig.command("xFA00014200000;FB;");
    EXPECT_EQ(rig.st().freqA, "00014200000");
    rig.command("FA;");
    EXPECT_EQ(rig.st().matchedCommand, "FA");
    rig.command("KS030;");
    EXPECT_EQ(toHex(rig.st().matchedCommand), "14 0C");
}

TEST(RecogniseText, QuitRunsTheQuitSequenceAndEnds) {
    Rig rig;
    rig.start();
    int64_t before = rig.clock.now;
    rig.command("quit;");
    EXPECT_TRUE(rig.t.ended());
    EXPECT_EQ(rig.clock.now - before, 1000000);
    EXPECT_FALSE(rig.radio.isOpen());
    EXPECT_FALSE(rig.panel.isOpen());
    EXPECT_NE(rig.console.output.find("\nQuit\n"), std::string::npos);
}

TEST(RecogniseText, EchoedKeyIsOnlyLoggedEvenWhenItSaysQuit) {
    Rig rig;
    rig.start({.debug = 1});
    rig.command("FA;*A;");  // a "*" anywhere in the read
    EXPECT_EQ(rig.replies(), "");
    rig.command("*quit;");
    EXPECT_TRUE(rig.t.ended());
    EXPECT_EQ(rig.console.output.find("Quit"), std::string::npos);
    EXPECT_NE(rig.log().find("*quit\r\n"), std::string::npos);
    EXPECT_EQ(rig.log().find("FromProg="), std::string::npos);
    EXPECT_TRUE(rig.frames().empty());
}

TEST(RecogniseText, CommandInTwoReadsWaitsForItsTerminator) {
    Rig rig;
    rig.start();
    rig.command("FA0001");
    EXPECT_TRUE(rig.frames().empty());
    rig.command("4250000;");
    EXPECT_EQ(rig.frames(), Frames{"05 00 00 25 14 00"});
}

}  // namespace
}  // namespace vocrig::test
