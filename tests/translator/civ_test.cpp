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

TEST(PassThrough, RadioAnswerIsForwardedAndAlsoDecoded) {
    Rig rig;
    rig.start({.passThrough = "7", .debug = 1});
    // The radio answers while the service waits.
    int ticks = 0;
    rig.clock.onAdvance = [&] {
        if (++ticks == 15) rig.radio.inject(hex("FE FE E0 94 14 01 02 00 FD"));
    };
    rig.passThrough.inject(hex("FE FE 94 E0 14 01 FD"));
    rig.t.turn();
    EXPECT_EQ(toHex(rig.passThrough.takeWritten()), "FE FE E0 94 14 01 02 00 FD");
    EXPECT_NE(rig.log().find("***toVR1= FE FE E0 94 14 01 02 00 FD  \r\n"), std::string::npos);
    rig.t.turn();  // the main loop takes the same answer
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "AG0200;");
}

TEST(PassThrough, NoAnswerWithinFiveWaits) {
    Rig rig;
    rig.start({.passThrough = "7"});
    int64_t before = rig.clock.now;
    rig.passThrough.inject(hex("FE FE 94 E0 03 FD"));
    rig.t.turn();
    EXPECT_EQ(rig.clock.now - before, 50000);
    EXPECT_EQ(rig.passThrough.takeWritten(), "");
}

TEST(PassThrough, ShortSetModeFrameReadsNoFurther) {
    Rig rig;
    rig.start({.passThrough = "7"});
    rig.passThrough.inject(hex("FE FE 94 E0 06"));
    rig.t.turn();
    rig.passThrough.inject(hex("FD"));
    rig.t.turn();
    EXPECT_EQ(rig.replies(), "Z5" + rig.st().modeDigit + ";");
}

}  // namespace
}  // namespace vocrig::test
