#include <gtest/gtest.h>

#include <string>

#include "civ_codec.h"
#include "hex.h"

using namespace vocrig::radiosim;
using vocrig::test::hex;

namespace {

TEST(RadioSimCodec, FrequencyIsFiveBcdBytesLeastSignificantFirst) {
    const std::pair<uint64_t, const char*> rows[] = {
        {14250000, "00 00 25 14 00"}, {1296200000, "00 00 20 96 12"}, {0, "00 00 00 00 00"},
        {9999999999, "99 99 99 99 99"}, {1234567890, "90 78 56 34 12"}};
    for (auto [hz, bytes] : rows) {
        EXPECT_EQ(hexBytes(encodeFrequency(hz)), bytes) << hz;
        uint64_t back = 1;
        ASSERT_TRUE(decodeFrequency(hex(bytes), back)) << hz;
        EXPECT_EQ(back, hz);
    }
    uint64_t hz = 42;
    for (const char* notBcd : {"00 00 1A 14 00", "00 A0 25 14 00", "00 00 25 14", "00 00 25 14 00 00"})
        EXPECT_FALSE(decodeFrequency(hex(notBcd), hz)) << notBcd;
    EXPECT_EQ(hz, 42u);
}

TEST(RadioSimCodec, LevelIsHundredsThenTensAndUnits) {
    const std::pair<int, const char*> rows[] = {{0, "00 00"}, {7, "00 07"}, {128, "01 28"}, {255, "02 55"}};
    for (auto [value, bytes] : rows) {
        EXPECT_EQ(hexBytes(encodeLevel(value)), bytes) << value;
        int back = -1;
        ASSERT_TRUE(decodeLevel(hex(bytes), back)) << value;
        EXPECT_EQ(back, value);
    }
    int v = -1;
    // 256, 264 (what an over-range keyer speed becomes), no BCD, too short
    for (const char* refused : {"02 56", "02 64", "00 5A", "01"}) EXPECT_FALSE(decodeLevel(hex(refused), v)) << refused;
    EXPECT_EQ(v, -1);
}

TEST(RadioSimCodec, ReaderCutsFramesOutOfTheStream) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;  // hex text, one a read
        std::vector<std::string> frames;
        size_t discarded;
    };
    const std::string query = "FE FE 94 E0 03 FD ";
    const Case cases[] = {
        {"two frames in one read", {query + "FE FE 94 E0 14 01 01 28 FD"}, {"94 E0 03", "94 E0 14 01 01 28"}, 0},
        {"split across reads", {"FE FE 94", "E0 14 01 01", "28 FD"}, {"94 E0 14 01 01 28"}, 0},
        {"noise in front", {"12 00 FD " + query}, {"94 E0 03"}, 3},
        {"lone FE is noise", {"FE 33 " + query}, {"94 E0 03"}, 2},
        {"broken off by a new preamble", {"FE FE 94 E0 05 00 " + query}, {"94 E0 03"}, 6},
        {"jammed frame dropped", {"FE FE 94 E0 FC FD " + query}, {"94 E0 03"}, 6},
        {"too short to carry a command", {"FE FE 94 E0 FD " + query}, {"94 E0 03"}, 5},
        {"incomplete frame waits", {"FE FE 94 E0 03"}, {}, 0},
    };
    for (const Case& c : cases) {
        FrameReader reader;
        CivFrame frame;
        std::vector<std::string> frames;
        for (const std::string& chunk : c.chunks) {
            reader.feed(hex(chunk));
            while (reader.next(frame))
                frames.push_back(hexBytes(std::string{char(frame.to), char(frame.from)} + frame.body));
        }
        EXPECT_EQ(frames, c.frames) << c.name;
        EXPECT_EQ(reader.takeDiscarded(), c.discarded) << c.name;
    }
}

TEST(RadioSimCodec, ReaderCountsALongWakeUpPreambleAndDropsEndlessNoise) {
    FrameReader reader;
    CivFrame frame;
    for (int i = 0; i < 3; ++i) {
        reader.feed(std::string(700, '\xFE'));
        EXPECT_FALSE(reader.next(frame));
    }
    reader.feed(hex("FE FE 94 E0 18 01 FD"));
    ASSERT_TRUE(reader.next(frame));
    EXPECT_EQ(frame.preamble, 2102u);
    EXPECT_EQ(frame.raw.size(), 2107u);
    EXPECT_EQ(hexBytes(frame.body), "18 01");
    EXPECT_EQ(reader.takeDiscarded(), 0u);

    reader.feed(hex("FE FE 94 E0") + std::string(600, '\x11'));
    EXPECT_FALSE(reader.next(frame));
    EXPECT_EQ(reader.takeDiscarded(), 604u);
    reader.feed(hex("FE FE 94 E0 03 FD"));
    EXPECT_TRUE(reader.next(frame));
}

}  // namespace
