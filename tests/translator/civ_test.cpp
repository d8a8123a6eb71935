#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

TEST(Encoding, FrequencyForm) {
    struct Row {
        const char* text;
        const char* bytes;
    } rows[] = {{"00014250000", "00 00 25 14 00"}, {"01296200000", "00 00 20 96 12"},
                {"10000000000", "00 00 00 00 00"}, {"00007100000", "00 00 10 07 00"},
                {"0001425000x", "00 00 25 14 00"}, {"", "00 00 00 00 00"}};
    for (const Row& row : rows) EXPECT_EQ(toHex(Translator::frequencyForm(row.text)), row.bytes) << row.text;
}

TEST(Encoding, DecimalValue) {
    struct Row {
        const char* text;
        long value;
    } rows[] = {{"19200", 19200}, {"  42x", 42}, {"\t\n7", 7}, {"", 0},      {"x1", 0},
                {"12.5", 12},     {"13.5", 14},  {"2.6", 3},  {"-4", -4}, {"99999999999999999999", 1000000000},
                {"-2.5", -2},     {"-3.5", -4},  {".6", 1},   {"7.", 7},  {".", 0},
                // Long fractions are rounded on their digits, never tipped by the arithmetic.
                {"2.5000000000000000001", 3}, {"0.50000000000000000001", 1}, {"1.4999999999999999999", 1},
                {"0.5000", 0}, {"9999999999.5", 1000000000}};
    for (const Row& row : rows) EXPECT_EQ(Translator::decimalValue(row.text), row.value) << row.text;
}

TEST(Ports, ReplyIsHeldBackUntilTheRadioIsHeard) {
    Rig rig;
    rig.start(Config(), /*heard=*/false);
    rig.st().panelReply = "SM0001";
    rig.t.sendToProgram();
    EXPECT_EQ(rig.replies(), "");
    rig.radio.inject(hex("00 FE FD"));  // does not begin with FE
    rig.t.readRadio();
    EXPECT_EQ(rig.st().radioHeard, 0);
    rig.st().radioBuffer.clear();
    rig.radio.inject(hex("FE"));
    rig.t.readRadio();
    EXPECT_EQ(rig.st().radioHeard, 1);
    rig.t.sendToProgram();
    EXPECT_EQ(rig.replies(), "SM0001;");
}

// A second CI-V program on the pass-through port.
TEST(PassThrough, SetModeFrameGoesToTheRadioAndTellsThePanelItsDigit) {
    Rig rig;
    rig.start({.passThrough = "7", .debug = 1});
    rig.passThrough.inject(hex("FE FE 94 E0 06 01 01 FD"));
    rig.t.turn();
    EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 06 01 01 FD");
    EXPECT_EQ(rig.replies(), "Z52;");
    EXPECT_NE(rig.log().find("***fromVR1= FE FE 94 E0 06 01 01 FD  \r\n"), std::string::npos);
    EXPECT_NE(rig.log().find("--- 1 \r\n"), std::string::npos);
    // A mode the panel has no digit for keeps the previous one.
    struct Row {
        const char* mode;
        const char* digit;
    } rows[] = {{"00", "1"}, {"03", "3"}, {"04", "3"}, {"02", "5"}, {"05", "4"}, {"17", "4"}};
    for (const Row& row : rows) {
        rig.passThrough.inject(hex(std::string("FE FE 94 E0 06 ") + row.mode + " FD"));
        rig.t.turn();
        EXPECT_EQ(rig.replies(), std::string("Z5") + row.digit + ";") << row.mode;
    }
}

// What the other program gets back while the service waits (5 waits of 10 ms):
// its echo and the answer to its own frame, whole; never an answer that the
// radio sent the panel in the same wait.
TEST(PassThrough, OnlyTheEchoAndTheAnswerAreHandedBack) {
    struct Piece {
        int atMs;  // after the frame went out
        const char* bytes;
    };
    struct Row {
        const char* name;
        const char* frame;
        std::vector<Piece> radio;
        const char* handedBack;
        int waitedMs;
    } rows[] = {
        {"answer", "FE FE 94 E0 14 01 FD", {{15, "FE FE E0 94 14 01 02 00 FD"}}, "FE FE E0 94 14 01 02 00 FD", 20},
        {"the panel's answer first", "FE FE 94 E0 04 FD",
         {{5, "FE FE E0 94 03 00 00 20 14 00 FD FE FE E0 94 04 01 02 FD"}}, "FE FE E0 94 04 01 02 FD", 10},
        {"echo, then the answer", "FE FE 94 E0 03 FD", {{5, "FE FE 94 E0 03 FD"}, {25, "FE FE E0 94 03 00 00 10 07 00 FD"}},
         "FE FE 94 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD", 30},
        {"answer in two reads", "FE FE 94 E0 03 FD", {{5, "FE FE E0 94 03 00"}, {15, " 00 10 07 00 FD"}},
         "FE FE E0 94 03 00 00 10 07 00 FD", 20},
        {"refused", "FE FE 94 E0 05 00 00 00 00 09 FD", {{5, "FE FE E0 94 FA FD"}}, "FE FE E0 94 FA FD", 10},
        {"an answer for the panel only", "FE FE 94 E0 04 FD", {{5, "FE FE E0 94 15 02 01 20 FD"}}, "", 50},
        {"no answer", "FE FE 94 E0 03 FD", {}, "", 50},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.start({.passThrough = "7", .debug = 1});
        size_t next = 0;
        int64_t sent = rig.clock.now;
        rig.clock.onAdvance = [&] {
            while (next < row.radio.size() && rig.clock.now - sent >= row.radio[next].atMs * 1000)
                rig.radio.inject(hex(row.radio[next++].bytes));
        };
        rig.passThrough.inject(hex(row.frame));
        rig.t.turn();
        EXPECT_EQ(toHex(rig.passThrough.takeWritten()), row.handedBack) << row.name;
        EXPECT_EQ(rig.clock.now - sent, row.waitedMs * 1000) << row.name;
        std::string logged;  // the "***toVR1= " lines, one write each
        const std::string log = rig.log(), mark = "***toVR1= ";
        for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
            logged += (logged.empty() ? "" : " ") + log.substr(at + mark.size(), log.find("  \r\n", at) - at - mark.size());
        EXPECT_EQ(logged, row.handedBack) << row.name;
        if (row.frame == rows[0].frame) {  // the main loop takes the same answer
            rig.t.turn();
            rig.t.turn();
            EXPECT_EQ(rig.replies(), "AG0200;");
        }
    }
}

TEST(PassThrough, ShortSetModeFrameReadsNoFurther) {
    Rig rig;
    rig.start({.passThrough = "7"});
    rig.passThrough.inject(hex("FE FE 94 E0 06"));
    rig.t.turn();
    rig.passThrough.inject(hex("FD"));
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "Z51;");  // the digit it had
}

}  // namespace
}  // namespace vocrig::test
