#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

struct Case {
    std::string read;    // one panel read
    Frames frames;       // what goes to the radio (model 7300)
    std::string reply;
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
    ::testing::Values(Case{"FA;MD;", {"03"}, "FA00007100000;"},           // one command per read
                      Case{"MD;FA00007100000;", {}, ""},                  // "FA" found after the first ";"
                      Case{"MD2;RX;", {"06 01"}, ""},
                      Case{"RX;MD2;", {}, ""},                            // "MD" stops the search first
                      Case{"BI1;TX2;", {"16 47 01", "1C 00 01"}, ""},     // "BI" goes on
                      Case{"BI1;VX1;", {"16 47 01"}, ""},                 // "VX" is guarded
                      Case{"BI1;", {"16 47 01"}, ""},
                      Case{"CT1;", {"16 43 00", "16 42 01"}, ""},
                      Case{"xCT1;", {}, ""},                              // "CT" only at the start
                      Case{"xCN88.5;", {}, ""},
                      Case{"xZ2;", {}, ""},
                      Case{"xPoweron;", {}, ""},
                      Case{"ML000;", {"16 45 00"}, ""},
                      Case{"ML;", {}, ""},
                      Case{"MLxFA;", {}, ""},                             // "ML" stops even when it does nothing
                      Case{"Poweron;", {"1A 05 01 55"}, ""},
                      Case{"XY;", {}, ""},
                      Case{"FT0;", {}, ""},
                      Case{"CA01;", {}, ""},
                      Case{"RX$;", {"1C 00 00"}, ""},
                      Case{"RX0;", {"0F 00"}, ""},                        // split off, never receive
                      Case{"xFA;", {"03"}, "FA00007100000;"},             // junk in front: still "FA"
                      Case{"RX;TX2;", {"1C 00 01"}, ""},                  // "TX2" comes first in the table
                      Case{";", {}, ""}));

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
    Config config;
    config.debug = 1;
    rig.start(config);
    rig.command("*quit;");
    EXPECT_TRUE(rig.t.ended());
    EXPECT_EQ(rig.console.output.find("Quit"), std::string::npos);
    EXPECT_NE(rig.log().find("*quit\r\n"), std::string::npos);
    EXPECT_EQ(rig.log().find("FromProg="), std::string::npos);
    EXPECT_TRUE(rig.frames().empty());
}

TEST(RecogniseText, EchoedKeyIsNotTranslated) {
    Rig rig;
    rig.start();
    rig.command("*A;");
    rig.command("*C/R;");
    EXPECT_TRUE(rig.frames().empty());
    EXPECT_FALSE(rig.t.ended());
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
