#include <gtest/gtest.h>

#include <string>

#include "civ_codec.h"

using namespace vocrig::radiosim;

namespace {

std::string b(std::initializer_list<int> list) {
    std::string out;
    for (int x : list) out.push_back(static_cast<char>(x));
    return out;
}

TEST(RadioSimCodec, FrequencyIsFiveBcdBytesLeastSignificantFirst) {
    struct Row {
        uint64_t hz;
        std::string bytes;
    };
    const Row rows[] = {
        {14250000, b({0x00, 0x00, 0x25, 0x14, 0x00})},
        {1296200000, b({0x00, 0x00, 0x20, 0x96, 0x12})},
        {7100000, b({0x00, 0x00, 0x10, 0x07, 0x00})},
        {0, b({0x00, 0x00, 0x00, 0x00, 0x00})},
        {9999999999, b({0x99, 0x99, 0x99, 0x99, 0x99})},
        {1234567890, b({0x90, 0x78, 0x56, 0x34, 0x12})},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hexBytes(encodeFrequency(row.hz)), hexBytes(row.bytes)) << row.hz;
        uint64_t back = 1;
        ASSERT_TRUE(decodeFrequency(row.bytes, back)) << row.hz;
        EXPECT_EQ(back, row.hz);
    }
}

TEST(RadioSimCodec, FrequencyDecodingRefusesWhatIsNotBcd) {
    uint64_t hz = 42;
    EXPECT_FALSE(decodeFrequency(b({0x00, 0x00, 0x1A, 0x14, 0x00}), hz));
    EXPECT_FALSE(decodeFrequency(b({0x00, 0xA0, 0x25, 0x14, 0x00}), hz));
    EXPECT_FALSE(decodeFrequency(b({0x00, 0x00, 0x25, 0x14}), hz));
    EXPECT_FALSE(decodeFrequency(b({0x00, 0x00, 0x25, 0x14, 0x00, 0x00}), hz));
    EXPECT_EQ(hz, 42u);
}

TEST(RadioSimCodec, LevelIsHundredsThenTensAndUnits) {
    struct Row {
        int value;
        std::string bytes;
    };
    const Row rows[] = {{0, b({0x00, 0x00})},   {7, b({0x00, 0x07})},   {50, b({0x00, 0x50})},
                        {128, b({0x01, 0x28})}, {255, b({0x02, 0x55})}, {100, b({0x01, 0x00})}};
    for (const Row& row : rows) {
        EXPECT_EQ(hexBytes(encodeLevel(row.value)), hexBytes(row.bytes)) << row.value;
        int back = -1;
        ASSERT_TRUE(decodeLevel(row.bytes, back)) << row.value;
        EXPECT_EQ(back, row.value);
    }
    int v = -1;
    EXPECT_FALSE(decodeLevel(b({0x02, 0x56}), v));  // 256
    EXPECT_FALSE(decodeLevel(b({0x02, 0x64}), v));  // 264: what an over-range keyer speed becomes
    EXPECT_FALSE(decodeLevel(b({0x00, 0x5A}), v));
    EXPECT_FALSE(decodeLevel(b({0x01}), v));
    EXPECT_EQ(v, -1);
}

struct Taken {
    std::vector<std::string> frames;  // hex of each frame body with its addresses
    size_t discarded = 0;
};

Taken feedAll(FrameReader& reader, std::initializer_list<std::string> chunks) {
    Taken taken;
    CivFrame frame;
    for (const std::string& chunk : chunks) {
        reader.feed(chunk);
        while (reader.next(frame))
            taken.frames.push_back(hexBytes(b({frame.to, frame.from}) + frame.body));
    }
    taken.discarded = reader.takeDiscarded();
    return taken;
}

TEST(RadioSimCodec, ReaderCutsFramesOutOfTheStream) {
    struct Case {
        const char* name;
        std::initializer_list<std::string> chunks;
        std::vector<std::string> frames;
        size_t discarded;
    };
    const std::string query = b({0xFE, 0xFE, 0x94, 0xE0, 0x03, 0xFD});
    const std::string setAf = b({0xFE, 0xFE, 0x94, 0xE0, 0x14, 0x01, 0x01, 0x28, 0xFD});
    const Case cases[] = {
        {"one frame", {query}, {"94 E0 03"}, 0},
        {"two frames in one read", {query + setAf}, {"94 E0 03", "94 E0 14 01 01 28"}, 0},
        {"split across reads", {setAf.substr(0, 3), setAf.substr(3, 4), setAf.substr(7)}, {"94 E0 14 01 01 28"}, 0},
        {"noise in front", {b({0x12, 0x00, 0xFD}) + query}, {"94 E0 03"}, 3},
        {"lone FE is noise", {b({0xFE, 0x33}) + query}, {"94 E0 03"}, 2},
        {"broken off by a new preamble", {b({0xFE, 0xFE, 0x94, 0xE0, 0x05, 0x00}) + query}, {"94 E0 03"}, 6},
        {"jammed frame dropped", {b({0xFE, 0xFE, 0x94, 0xE0, 0xFC, 0xFD}) + query}, {"94 E0 03"}, 6},
        {"too short to carry a command", {b({0xFE, 0xFE, 0x94, 0xE0, 0xFD}) + query}, {"94 E0 03"}, 5},
        {"incomplete frame waits", {b({0xFE, 0xFE, 0x94, 0xE0, 0x03})}, {}, 0},
    };
    for (const Case& c : cases) {
        FrameReader reader;
        Taken taken = feedAll(reader, c.chunks);
        EXPECT_EQ(taken.frames, c.frames) << c.name;
        EXPECT_EQ(taken.discarded, c.discarded) << c.name;
    }
}

TEST(RadioSimCodec, ReaderCountsALongWakeUpPreambleAcrossReads) {
    FrameReader reader;
    CivFrame frame;
    for (int i = 0; i < 3; ++i) {
        reader.feed(std::string(700, '\xFE'));
        EXPECT_FALSE(reader.next(frame));
    }
    reader.feed(b({0xFE, 0xFE, 0x94, 0xE0, 0x18, 0x01, 0xFD}));
    ASSERT_TRUE(reader.next(frame));
    EXPECT_EQ(frame.preamble, 2102u);
    EXPECT_EQ(frame.raw.size(), 2107u);
    EXPECT_EQ(hexBytes(frame.body), "18 01");
    EXPECT_EQ(reader.takeDiscarded(), 0u);
}

TEST(RadioSimCodec, ReaderDropsEndlessNoiseWithoutAnEnd) {
    FrameReader reader;
    CivFrame frame;
    reader.feed(b({0xFE, 0xFE, 0x94, 0xE0}) + std::string(600, '\x11'));
    EXPECT_FALSE(reader.next(frame));
    EXPECT_EQ(reader.takeDiscarded(), 604u);
    reader.feed(b({0xFE, 0xFE, 0x94, 0xE0, 0x03, 0xFD}));
    EXPECT_TRUE(reader.next(frame));
}

}  // namespace
