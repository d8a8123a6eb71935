#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

struct Case {
    std::string answer;  // the bytes after FE FE E0 94, without FD
    std::string reply;   // the deferred reply, one turn later
};

class DeferredReply : public ::testing::TestWithParam<Case> {};

TEST_P(DeferredReply, AnswerIsRepliedAtTheStartOfTheNextTurn) {
    const Case& c = GetParam();
    Rig rig;
    rig.start();
    rig.radio.inject(hex("FE FE E0 94 " + c.answer + " FD"));
    EXPECT_TRUE(rig.t.turn());  // decoded; a reply is now pending
    EXPECT_EQ(rig.replies(), "") << c.answer;
    rig.t.turn();
    EXPECT_EQ(rig.replies(), c.reply) << c.answer;
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "") << "each answer gives exactly one reply";
}

INSTANTIATE_TEST_SUITE_P(Table, DeferredReply,
                         ::testing::Values(Case{"15 13 01 50", "RM3120;"} /* lowered to 120 */,
                                           Case{"15 13 00 45", "RM3045;"}, Case{"14 01 00 07", "AG0007;"},
                                           Case{"14 01 02 55", "AG0255;"}, Case{"14 03 01 28", "SQ0128;"},
                                           Case{"14 03 02 55", "SQ0255;"}, Case{"14 06 01 00", "RL05;"},
                                           Case{"14 12 02 55", "NL010;"}, Case{"14 12 00 60", "NL003;"},
                                           Case{"14 0B 01 28", "MG128;"}, Case{"14 0B 02 55", "MG255;"},
                                           Case{"14 0C 01 14", "KS025;"},
                                           Case{"14 0C 02 55", "KS048;"} /* 48.5 goes to the even 48 */,
                                           Case{"16 40 01", "NR1;"}, Case{"16 40 02", "NR0;"}, Case{"16 44 01", "PR1;"},
                                           Case{"16 46 00", "VX0;"}, Case{"16 47 02", "BI2;"},
                                           Case{"1C 01 02", "AC0;"}, Case{"1C 01 01", "AC1;"},
                                           Case{"1C 00 01", "AC1;"}));

struct Silent {
    std::string frame;  // whole radio read
    std::string query;  // the panel's query that tells the reading
    std::string reply;
};

class StoredReading : public ::testing::TestWithParam<Silent> {};

TEST_P(StoredReading, AnswerUpdatesTheReadingWithoutAReply) {
    const Silent& c = GetParam();
    Rig rig;
    rig.start();
    rig.radio.inject(hex(c.frame));
    rig.t.turn();
    EXPECT_FALSE(rig.t.turn());  // nothing pending
    EXPECT_EQ(rig.replies(), "");
    rig.command(c.query);
    EXPECT_EQ(rig.replies(), c.reply) << c.frame;
}

INSTANTIATE_TEST_SUITE_P(Table, StoredReading,
                         ::testing::Values(Silent{"FE FE E0 94 15 02 01 28 FD", "SM0;", "SM0128;"},
                                           Silent{"FE FE E0 94 15 12 00 40 FD", "RM1;", "RM1040;"},
                                           Silent{"FE FE E0 94 15 12 01 00 FD", "RM1;", "RM1100;"},
                                           Silent{"FE FE E0 94 FB FD", "SM0;", "SM0000;"},
                                           Silent{"FE FE E0 94 FA FD", "SM0;", "SM0000;"},
                                           Silent{"FE FE E0 94 14 FD", "SM0;", "SM0000;"}));

TEST(FromRadio, FrequencyAnswersRewriteTheStoredFrequencies) {
    Rig rig;
    rig.start();
    auto told = [&] {
        rig.command("FA;FB;");
        return rig.replies();
    };
    rig.hear("FE FE E0 94 03 00 00 25 14 00 FD");
    rig.hear("FE FE E0 94 25 01 00 00 20 96 12 FD");
    EXPECT_EQ(told(), "FA00014250000;FB01296200000;");
    // Behind the echo of our own request: the echo is removed first, so the answer stands at the start.
    rig.hear("FE FE 94 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(told(), "FA00007100000;FB01296200000;");
    // Not at the start of the buffer (junk before it): ignored.
    rig.hear("00 FE FE E0 94 03 00 00 10 14 00 FD");
    rig.hear("00 FE FE E0 94 25 01 00 00 10 14 00 FD");
    EXPECT_EQ(told(), "FA00007100000;FB01296200000;");
}

// The radio answers in order; an answer to a query sent before a set must not undo it.
TEST(FromRadio, AnswersToQueriesSentBeforeASetAreNotTaken) {
    Rig rig;
    rig.start();
    const std::string old = "FE FE E0 94 03 00 00 10 07 00 FD", moved = "FE FE E0 94 03 00 00 25 14 00 FD";
    rig.command("FA;");
    rig.command("FA00014200000;");
    rig.hear(old);  // the poll's answer, late
    EXPECT_EQ(rig.st().readings.freqA, "00014200000");
    rig.command("FA;");
    rig.hear(moved);  // a query after the set: the radio's word
    EXPECT_EQ(rig.st().readings.freqA, "00014250000");
    rig.hear(old);  // unasked (the dial turned): taken
    EXPECT_EQ(rig.st().readings.freqA, "00007100000");
    // An answer lost on the line holds nothing up for long.
    rig.command("FB;");
    rig.command("FB00014200000;");
    rig.clock.now += Translator::queryAnswerMicros + 1;
    rig.command("FB;");
    rig.hear("FE FE E0 94 25 01 00 00 25 14 00 FD");
    EXPECT_EQ(rig.st().readings.freqB, "00014250000");
}

TEST(FromRadio, ShortFramesAreDecodedFromWhatIsThere) {
    // Frames cut short before their data: no byte outside the buffer is read.
    const char* frames[] = {"FE FE E0 94 FD",    "FE FE E0 94 03 FD", "FE FE E0 94 25 FD", "FE FE E0 94 19 FD",
                            "FE FE E0 94 15 FD", "FE FE E0 94 16 FD", "FE FE E0 94 1C FD", "FE FE E0 FD",
                            "FE FE E0 94 14 01 FD"};
    for (const char* frame : frames) {
        Rig rig;
        rig.start({.model = "AUTO", .debug = 1});
        rig.radio.inject(hex(frame));
        rig.t.turn();
        rig.t.turn();
        EXPECT_TRUE(rig.st().radioBuffer.empty()) << frame;
    }
    Rig rig;
    rig.start();
    rig.hear("FE FE E0 94 14 01 FD");
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "");  // the FD is no level: nothing is replied
}

TEST(FromRadio, IdentityAnswerSetsTheAddressOnlyOnce) {
    Rig rig;
    rig.start({.model = "AUTO", .debug = 1});
    rig.command("FA;");
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 00 E0 03 FD");
    rig.hear("FE FE E0 94 19 00 94 FD");
    rig.command("Z2;");  // to the radio found; its group was decided at start-up, without it
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 07 00 FD");
    std::string line = "+++" + std::string(11, ' ') + " 148 " + std::string(9, ' ') + "  " + std::string(12, ' ') +
                       " 148 \r\n";  // items in print zones of 14 columns
    EXPECT_NE(rig.log().find(line), std::string::npos) << rig.log();
    rig.hear("FE FE E0 88 19 00 88 FD");
    rig.command("Z8;");
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 07 B0 FD");
}

TEST(FromRadio, RepliesAreDroppedButResetWhileTheRadioIsUnheard) {
    Rig rig;
    rig.start();
    rig.st().radioHeard = 0;
    rig.st().pending.set(static_cast<size_t>(TranslatorState::Pending::afGain));
    rig.t.turn();
    rig.st().radioHeard = 1;
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "");
}

TEST(FromRadio, DeferredRepliesKeepTheirOrder) {
    Rig rig;
    rig.start();
    rig.st().pending.set();
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "NR0;PR0;MG000;RM3000;SQ0050;AG0050;RL00;NL000;KS006;BI0;VX0;AC0;");
}

}  // namespace
}  // namespace vocrig::test
