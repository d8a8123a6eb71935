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

// Every command of a read is translated, in order, as if it had come alone.
INSTANTIATE_TEST_SUITE_P(
    Table, Recognise,
    ::testing::Values(
        Case{"FA;MD;", {"03", "06"}, "FA00007100000;"},
        Case{"MD;FA00007100000;", {"06", "05 00 00 10 07 00"}},
        Case{"RX;MD2;", {"1C 00 00", "06 01"}},
        Case{"BI1;VX1;", {"16 47 01", "16 46 01"}},
        Case{"RX;TX2;", {"1C 00 00", "1C 00 01"}},
        Case{"Q;Z72;", {"16 58 02"}},       // positions count from the command's own start
        Case{"Q;MG128;", {"14 0B 01 28"}},
        Case{"CT1;Z8;", {"16 43 00", "16 42 01", "07 B0"}},
        Case{"ML;", {}},
        Case{"MLxFA;", {}},  // "ML" stops even when it does nothing
        Case{"Poweron;", {"1A 05 01 55"}}, Case{"XY;", {}}, Case{"FT0;", {}}, Case{"CA01;", {}},
        Case{"RX$;", {"1C 00 00"}},
        Case{"xFA;", {"03"}, "FA00007100000;"},  // junk in front: still "FA"
        Case{"xFA00014207000;", {"05 00 70 20 14 00"}},
        Case{"xKS;", {"14 0C"}}, Case{"xNR;", {"16 40"}},  // a query is judged from the keyword on
        Case{"xqu;quitx;", {}},                  // only "quit" itself ends the run
        Case{";", {}}));

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
    rig.command("FA;*A;");  // the echo is judged on its own: the poll beside it is answered
    EXPECT_EQ(rig.replies(), "FA00007100000;");
    rig.frames();
    rig.command("*quit;");
    EXPECT_FALSE(rig.t.ended());
    EXPECT_EQ(rig.console.output.find("Quit"), std::string::npos);
    EXPECT_NE(rig.log().find("*quit\r\n"), std::string::npos);
    EXPECT_EQ(rig.log().find("FromProg= *"), std::string::npos);
    EXPECT_TRUE(rig.frames().empty());
}

}  // namespace
}  // namespace vocrig::test
