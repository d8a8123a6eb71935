#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "fake_serial.h"
#include "manual_clock.h"
#include "radio_sim.h"
#include "recorders.h"

using namespace vocrig::radiosim;

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int x : list) out.push_back(static_cast<char>(x));
    return out;
}

// A frame from the controller E0 to the radio at `to`.
std::string frame(std::initializer_list<int> body, int to = 0x94, int from = 0xE0) {
    return buildFrame(static_cast<uint8_t>(to), static_cast<uint8_t>(from), bytes(body));
}

const std::string ack = "FE FE E0 94 FB FD";
const std::string nak = "FE FE E0 94 FA FD";

// The radio on end a of a fake cable; the test is the controller on end b.
class RadioSimTest : public ::testing::Test {
protected:
    void start(SimOptions options = {}) {
        line.a.opened = line.b.opened = true;
        sim = std::make_unique<RadioSim>(line.a, clock, console, options);
    }
    // Sends a frame, lets the radio take its turn, returns what came back (hex).
    std::string ask(const std::string& frameBytes) {
        line.b.write(frameBytes);
        sim->service();
        return received();
    }
    std::string received() { return hexBytes(line.b.read(1 << 20)); }
    void passMs(int ms) {
        clock.advance(static_cast<int64_t>(ms) * 1000);
        sim->service();
    }
    int meter(int sub) {
        std::string answer = line.b.read(1 << 20);  // drop anything earlier
        line.b.write(frame({0x15, sub}));
        sim->service();
        answer = line.b.read(1 << 20);
        int value = -1;
        EXPECT_EQ(answer.size(), 9u);
        if (answer.size() == 9) {
            EXPECT_TRUE(decodeLevel(answer.substr(6, 2), value));
        }
        return value;
    }

    vocrig::platform::fake::FakeSerialPair line;
    vocrig::platform::fake::ManualClock clock;
    vocrig::platform::fake::RecordingConsole console;
    std::unique_ptr<RadioSim> sim;
};

TEST_F(RadioSimTest, AnswersItsOwnAddressAndBroadcastOnly) {
    start();
    EXPECT_EQ(ask(frame({0x19, 0x00}, 0x94)), "FE FE E0 94 19 00 94 FD");
    EXPECT_EQ(ask(frame({0x03}, 0x00)), "FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(ask(frame({0x19, 0x00}, 0x66)), "");
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00}, 0x66)), "");
    EXPECT_EQ(sim->state().vfo[0].frequency, 7100000u);
    // The answer goes back to whoever asked.
    EXPECT_EQ(ask(frame({0x19, 0x00}, 0x94, 0xE1)), "FE FE E1 94 19 00 94 FD");
    const std::pair<const char*, const char*> models[] = {
        {"7300", "94"}, {"705", "A4"}, {"746", "57"}, {"7400", "66"}, {"9700", "A2"}, {"7000", "40"}};
    for (auto [name, address] : models) {
        start({.model = name});
        EXPECT_EQ(ask(frame({0x19, 0x00}, 0x00)), std::string("FE FE E0 ") + address + " 19 00 " + address + " FD")
            << name;
    }
}

TEST_F(RadioSimTest, RunsOnTheManualClockWithoutALog) {
    line.a.opened = line.b.opened = true;
    SimOptions options;
    options.answerDelayMs = 5;
    RadioSim quiet(line.a, clock, options);
    clock.onAdvance = [&] { quiet.service(); };
    line.b.write(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00}));
    clock.sleepMs(10);  // as a bench does while another part "waits"
    EXPECT_EQ(received(), ack);
    EXPECT_EQ(quiet.state().vfo[0].frequency, 14250000u);
}

TEST_F(RadioSimTest, EchoSendsEveryFrameBackBeforeTheAnswer) {
    start({.echo = true});
    EXPECT_EQ(ask(frame({0x03})), "FE FE 94 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(ask(frame({0x03}, 0x66)), "FE FE 66 E0 03 FD");  // the bus echoes frames for others too
}

TEST_F(RadioSimTest, FrequencyCommandsSetAndReadTheRightVfo) {
    start();
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00})), ack);
    EXPECT_EQ(ask(frame({0x03})), "FE FE E0 94 03 00 00 25 14 00 FD");
    EXPECT_EQ(ask(frame({0x25, 0x01, 0x00, 0x50, 0x02, 0x21, 0x00})), ack);  // unselected = B
    EXPECT_EQ(sim->state().vfo[1].frequency, 21025000u);
    EXPECT_EQ(ask(frame({0x25, 0x00})), "FE FE E0 94 25 00 00 00 25 14 00 FD");
    EXPECT_EQ(ask(frame({0x25, 0x01})), "FE FE E0 94 25 01 00 50 02 21 00 FD");
    // Swap, select, equalize.
    EXPECT_EQ(ask(frame({0x07, 0xB0})), ack);
    EXPECT_EQ(ask(frame({0x03})), "FE FE E0 94 03 00 50 02 21 00 FD");
    EXPECT_EQ(ask(frame({0x07, 0x01})), ack);
    EXPECT_EQ(ask(frame({0x03})), "FE FE E0 94 03 00 00 25 14 00 FD");
    EXPECT_EQ(ask(frame({0x25, 0x01})), "FE FE E0 94 25 01 00 50 02 21 00 FD");  // now A is unselected
    EXPECT_EQ(ask(frame({0x07, 0xA0})), ack);
    EXPECT_EQ(sim->state().vfo[0].frequency, 14250000u);
    EXPECT_EQ(ask(frame({0x07, 0x00})), ack);
    EXPECT_EQ(sim->state().selected, 0);
}

TEST_F(RadioSimTest, FrequenciesTheRadioCannotTakeAreRefusedAndKeepTheOldOne) {
    start();
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x20, 0x96, 0x12})), nak);  // 1296.2 MHz on a 7300
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x2A, 0x14, 0x00})), nak);  // not BCD
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x25, 0x14, 0x00})), nak);        // four bytes
    EXPECT_EQ(ask(frame({0x25, 0x02})), nak);
    EXPECT_EQ(sim->state().vfo[0].frequency, 7100000u);
    start({.model = "9700"});
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x20, 0x96, 0x12}, 0xA2)), "FE FE E0 A2 FB FD");
}

TEST_F(RadioSimTest, SplitModeAndFilter) {
    start();
    EXPECT_EQ(ask(frame({0x0F})), "FE FE E0 94 0F 00 FD");
    EXPECT_EQ(ask(frame({0x0F, 0x01})), ack);
    EXPECT_EQ(ask(frame({0x0F})), "FE FE E0 94 0F 01 FD");
    EXPECT_EQ(ask(frame({0x0F, 0x02})), nak);
    EXPECT_EQ(ask(frame({0x06, 0x05, 0x02})), ack);  // FM narrow
    EXPECT_EQ(ask(frame({0x04})), "FE FE E0 94 04 05 02 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x03})), nak);        // FM has a fixed width
    EXPECT_EQ(ask(frame({0x06, 0x01})), ack);        // USB, filter kept
    EXPECT_EQ(ask(frame({0x04})), "FE FE E0 94 04 01 02 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x03, 0x30})), ack);  // index 30: 2.6 kHz
    EXPECT_EQ(ask(frame({0x1A, 0x03})), "FE FE E0 94 1A 03 30 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x03, 0x41})), nak);  // beyond the SSB widths
    EXPECT_EQ(ask(frame({0x06})), nak);              // no mode byte
    EXPECT_EQ(ask(frame({0x06, 0x17})), nak);        // no D-STAR on a 7300
    EXPECT_EQ(ask(frame({0x06, 0x03, 0x04})), nak);  // no FIL4
    EXPECT_EQ(ask(frame({0x04})), "FE FE E0 94 04 01 02 FD");
    start({.model = "705"});
    EXPECT_EQ(ask(frame({0x06, 0x17}, 0xA4)), "FE FE E0 A4 FB FD");
}

// 26 00/01: mode, data mode and filter of the selected / unselected VFO, the
// same state 04 and 06 see.
TEST_F(RadioSimTest, VfoModeCommandSharesItsStateWithReadAndSetMode) {
    start();
    struct Row {
        std::initializer_list<int> body;
        const char* answer;  // bytes after FE FE E0 94
    };
    const Row rows[] = {
        {{0x26, 0x00}, "26 00 00 00 01"},               // LSB, data off, FIL1
        {{0x26, 0x00, 0x01, 0x01, 0x02}, "FB"},          // USB-D FIL2
        {{0x04}, "04 01 02"},                            // 04 shows the mode without the data flag
        {{0x26, 0x00}, "26 00 01 01 02"},
        {{0x06, 0x01}, "FB"},                            // 06 USB: plain USB, filter kept
        {{0x26, 0x00}, "26 00 01 00 02"},
        {{0x26, 0x00, 0x05, 0x01}, "FB"},                // FM-D, filter kept
        {{0x26, 0x00}, "26 00 05 01 02"},
        {{0x26, 0x00, 0x02}, "FB"},                      // mode alone: AM, data off
        {{0x26, 0x00}, "26 00 02 00 02"},
        {{0x26, 0x01, 0x03, 0x00, 0x03}, "FB"},          // the unselected VFO B: CW FIL3
        {{0x26, 0x01}, "26 01 03 00 03"},
        {{0x04}, "04 02 02"},                            // A untouched
        {{0x07, 0x01}, "FB"},
        {{0x04}, "04 03 03"},
        {{0x26, 0x01}, "26 01 02 00 02"},                // now A is the unselected one
        {{0x26, 0x00, 0x03, 0x01, 0x01}, "FA"},          // CW has no data mode
        {{0x26, 0x00, 0x01, 0x02, 0x01}, "FA"},          // the 7300 has no D2
        {{0x26, 0x00, 0x01, 0x00, 0x04}, "FA"},          // no FIL4
        {{0x26, 0x00, 0x01, 0x00, 0x00}, "FA"},
        {{0x26, 0x00, 0x17}, "FA"},                      // no DV on a 7300
        {{0x26, 0x00, 0x09}, "FA"},                      // no such mode
        {{0x26, 0x00, 0x01, 0x00, 0x01, 0x00}, "FA"},    // too long
        {{0x26, 0x02}, "FA"},
        {{0x26}, "FA"},
        {{0x26, 0x00}, "26 00 03 00 03"},                // the refusals changed nothing
    };
    for (const Row& row : rows)
        EXPECT_EQ(ask(frame(row.body)), "FE FE E0 94 " + std::string(row.answer) + " FD") << hexBytes(bytes(row.body));
    EXPECT_NE(console.output.find("VFO A mode LSB FIL1 -> USB-D FIL2"), std::string::npos) << console.output;

    // Which radios know the command, and how many data modes they offer.
    const std::tuple<const char*, int, const char*> models[] = {
        {"705", 0xA4, "FB"}, {"9700", 0xA2, "FB"}, {"7610", 0x98, "FB"}, {"7851", 0x8E, "FB"},
        {"7100", 0x88, "FA"}, {"746PRO", 0x66, "FA"}, {"7600", 0x7A, "FA"}};
    for (auto [name, address, known] : models) {
        start({.model = name});
        std::string from = hexBytes(bytes({address}));
        EXPECT_EQ(ask(frame({0x26, 0x00, 0x01, 0x01, 0x01}, address)), "FE FE E0 " + from + " " + known + " FD") << name;
        bool threeDataModes = std::string(name) == "7610" || std::string(name) == "7851";
        EXPECT_EQ(ask(frame({0x26, 0x00, 0x01, 0x03, 0x01}, address)),
                  "FE FE E0 " + from + (threeDataModes ? " FB" : " FA") + " FD")
            << name;
    }
}

TEST_F(RadioSimTest, EveryLevelIsSetAndReadBackInBcd) {
    start();
    for (const LevelRow& row : levelTable()) {
        std::string sub = hexBytes(bytes({row.sub}));
        EXPECT_EQ(ask(frame({0x14, row.sub, 0x01, 0x28})), ack) << row.name;
        EXPECT_EQ(ask(frame({0x14, row.sub})), "FE FE E0 94 14 " + sub + " 01 28 FD") << row.name;
        EXPECT_EQ(sim->state().level(row.sub), 128) << row.name;
        EXPECT_EQ(ask(frame({0x14, row.sub, 0x02, 0x61})), nak) << row.name;  // 261
        EXPECT_EQ(ask(frame({0x14, row.sub, 0x00, 0x07})), ack) << row.name;
        EXPECT_EQ(ask(frame({0x14, row.sub})), "FE FE E0 94 14 " + sub + " 00 07 FD") << row.name;
    }
    EXPECT_EQ(ask(frame({0x14, 0x55})), nak);
}

TEST_F(RadioSimTest, EveryFunctionIsSetAndReadBack) {
    start();
    for (const FunctionRow& row : functionTable()) {
        std::string sub = hexBytes(bytes({row.sub}));
        for (int v = 0; v <= row.highest; ++v) {
            EXPECT_EQ(ask(frame({0x16, row.sub, v})), ack) << row.name << " " << v;
            EXPECT_EQ(ask(frame({0x16, row.sub})), "FE FE E0 94 16 " + sub + " 0" + std::to_string(v) + " FD")
                << row.name;
        }
        EXPECT_EQ(ask(frame({0x16, row.sub, row.highest + 1})), nak) << row.name;
        EXPECT_EQ(sim->state().function(row.sub), row.highest) << row.name;
    }
}

TEST_F(RadioSimTest, AttenuatorTonesStepAndMenu) {
    start();
    EXPECT_EQ(ask(frame({0x11, 0x20})), ack);
    EXPECT_EQ(ask(frame({0x11})), "FE FE E0 94 11 20 FD");
    EXPECT_EQ(ask(frame({0x11, 0x07})), nak);
    EXPECT_EQ(ask(frame({0x1B, 0x00, 0x00, 0x10, 0x00})), ack);  // 100.0 Hz
    EXPECT_EQ(ask(frame({0x1B, 0x00})), "FE FE E0 94 1B 00 00 10 00 FD");
    EXPECT_EQ(ask(frame({0x1B, 0x00, 0x00, 0x25, 0x41})), ack);  // 254.1 Hz
    EXPECT_EQ(sim->state().repeaterTone, 2541);
    EXPECT_EQ(ask(frame({0x1B, 0x00, 0x00, 0x10, 0x05})), nak);  // 100.5 Hz is no CTCSS tone
    EXPECT_EQ(ask(frame({0x1B, 0x01, 0x00, 0x08, 0x85})), ack);
    EXPECT_EQ(ask(frame({0x1B, 0x01})), "FE FE E0 94 1B 01 00 08 85 FD");
    EXPECT_EQ(ask(frame({0x1B, 0x02, 0x11, 0x07, 0x54})), ack);  // DCS 754 reversed
    EXPECT_EQ(ask(frame({0x1B, 0x02})), "FE FE E0 94 1B 02 11 07 54 FD");
    EXPECT_EQ(ask(frame({0x1B, 0x02, 0x00, 0x00, 0x22})), nak);  // 022 is no DCS code
    EXPECT_EQ(ask(frame({0x1B, 0x02, 0x02, 0x00, 0x23})), nak);  // no such polarity
    EXPECT_EQ(ask(frame({0x10, 0x02})), ack);
    EXPECT_EQ(ask(frame({0x10})), "FE FE E0 94 10 02 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x05, 0x00, 0x75})), "FE FE E0 94 1A 05 00 75 00 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x05, 0x00, 0x75, 0x01})), ack);
    EXPECT_EQ(ask(frame({0x1A, 0x05, 0x00, 0x75})), "FE FE E0 94 1A 05 00 75 01 FD");
    EXPECT_EQ(ask(frame({0x1A, 0x05, 0x01, 0x32, 0x01, 0x28})), ack);
    EXPECT_EQ(ask(frame({0x42})), nak);  // a command the radio does not know
}

// What the translator sends for each panel command (those not tried elsewhere here),
// and what the radio must do with it.
TEST_F(RadioSimTest, UnderstandsTheTranslatorsFrames) {
    start();
    struct Row {
        std::initializer_list<int> body;
        const char* answerShape;  // the answer's bytes after FE FE E0 94, "FB" or "FA"
    };
    const Row rows[] = {
        {{0x1A, 0x05, 0x00, 0x78, 0x02}, "FB"} /* EX1081 */, {{0x16, 0x45, 0x01}, "FB"} /* ML0 on */,
        {{0x06, 0x05}, "FB"} /* MD4 */, {{0x0F, 0x00}, "FB"} /* RX0 */, {{0x14, 0x01}, "14 01 01 28"} /* AG0 */,
        {{0x14, 0x02, 0x02, 0x55}, "FB"} /* RG255 */, {{0x14, 0x0A, 0x01, 0x26}, "FB"} /* PC050 */,
        {{0x14, 0x0C, 0x01, 0x14}, "FB"} /* KS025 */, {{0x14, 0x0C, 0x02, 0x64}, "FA"} /* KS050: level 264 */,
        {{0x06, 0x01}, "FB"} /* USB for the width */, {{0x1A, 0x03, 0x09}, "FB"} /* FW0500 */,
        {{0x16, 0x02, 0x01}, "FB"} /* PA1 */,
        {{0x16, 0x22, 0x01}, "FB"} /* NB1 */, {{0x16, 0x47}, "16 47 00"} /* BI; */,
        {{0x16, 0x46, 0x02}, "FA"} /* VX2 */,
        {{0x16, 0x43, 0x00}, "FB"} /* CT1, first frame */, {{0x16, 0x42, 0x01}, "FB"} /* CT1, second frame */,
        {{0x1B, 0x02, 0x00, 0x00, 0x23}, "FB"} /* CNN023 */, {{0x1B, 0x00, 0x00, 0x08, 0x85}, "FB"} /* CN88.5 */,
        {{0x16, 0x40}, "16 40 00"} /* NR; */, {{0x16, 0x41, 0x01}, "FB"} /* NT1 */,
        {{0x14, 0x06, 0x00, 0x61}, "FB"} /* RL03 */, {{0x14, 0x12, 0x01, 0x00}, "FB"} /* NL005 */,
        {{0x14, 0x03, 0x01, 0x28}, "FB"} /* SQ0128 */, {{0x14, 0x0B}, "14 0B 01 28"} /* MG; */,
        {{0x1C, 0x01}, "1C 01 00"} /* AC; */, {{0x16, 0x44}, "16 44 00"} /* PR; */,
        {{0x16, 0x50, 0x01}, "FB"} /* LO1 */,
        {{0x1A, 0x05, 0x00, 0x75, 0x00}, "FB"} /* Z1 */, {{0x1A, 0x05, 0x00, 0x45, 0x01}, "FB"} /* Z2 */,
        {{0x16, 0x58, 0x01}, "FB"} /* Z7 */, {{0x10, 0x01}, "FB"} /* Z9 */,
        {{0x1A, 0x05, 0x01, 0x55}, "1A 05 01 55 00"} /* Pow: reads the item */,
    };
    for (const Row& row : rows)
        EXPECT_EQ(ask(frame(row.body)), "FE FE E0 94 " + std::string(row.answerShape) + " FD")
            << hexBytes(bytes(row.body));
}

TEST_F(RadioSimTest, TransmitOnlyInsideTheAmateurBands) {
    start();
    EXPECT_EQ(ask(frame({0x1C, 0x00})), "FE FE E0 94 1C 00 00 FD");
    EXPECT_EQ(ask(frame({0x1C, 0x00, 0x01})), ack);
    EXPECT_TRUE(sim->state().transmitting);
    EXPECT_EQ(ask(frame({0x1C, 0x00})), "FE FE E0 94 1C 00 01 FD");
    EXPECT_EQ(ask(frame({0x1C, 0x00, 0x00})), ack);
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x00, 0x05, 0x00})), ack);  // 5 MHz
    EXPECT_EQ(ask(frame({0x1C, 0x00, 0x01})), nak);
    EXPECT_FALSE(sim->state().transmitting);
    EXPECT_EQ(ask(frame({0x1C, 0x01, 0x02})), nak);  // no tune there either
    // With split, the transmit frequency is the other VFO's.
    EXPECT_EQ(ask(frame({0x25, 0x01, 0x00, 0x00, 0x10, 0x07, 0x00})), ack);
    EXPECT_EQ(ask(frame({0x0F, 0x01})), ack);
    EXPECT_EQ(ask(frame({0x1C, 0x00, 0x01})), ack);
}

TEST_F(RadioSimTest, MetersReadZeroWhereTheRadioShowsNothing) {
    start();
    EXPECT_EQ(meter(0x12), 0);  // SWR in receive
    EXPECT_EQ(meter(0x13), 0);  // ALC in receive
    EXPECT_EQ(meter(0x11), 0);  // power in receive
    EXPECT_GT(meter(0x02), 0);  // band noise on 40 m
    ask(frame({0x1C, 0x00, 0x01}));
    EXPECT_EQ(meter(0x02), 0);  // the receiver is muted while transmitting
    EXPECT_GT(meter(0x12), 0);
    EXPECT_EQ(meter(0x11), 213);  // full power reads 100 %
    ask(frame({0x06, 0x03}));     // CW: no speech, no ALC
    EXPECT_EQ(meter(0x13), 0);
    EXPECT_EQ(ask(frame({0x15, 0x02, 0x00, 0x10})), nak);  // meters cannot be set
    EXPECT_EQ(ask(frame({0x15, 0x05})), nak);
}

TEST_F(RadioSimTest, SMeterDriftsAndFadesButRepeatsForTheSameSeed) {
    // Forty readings half a second apart on one frequency, from a fresh radio.
    auto readings = [&](uint64_t seed, uint64_t hz) {
        clock.now = 0;
        start({.seed = seed});
        sim->state().vfo[0].frequency = hz;
        std::vector<int> values;
        for (int i = 0; i < 40; ++i) {
            passMs(500);
            values.push_back(meter(0x02));
        }
        return values;
    };
    std::vector<int> first = readings(1, 14000000);
    int widestSwing = 0;
    for (uint64_t khz = 14000; khz < 14020; ++khz) {
        std::vector<int> values = readings(1, khz * 1000);
        auto [low, high] = std::minmax_element(values.begin(), values.end());
        ASSERT_GE(*low, 0);
        ASSERT_LE(*high, 255);
        widestSwing = std::max(widestSwing, *high - *low);
    }
    EXPECT_GE(widestSwing, 20) << "no station fades by more than 20 steps";
    EXPECT_GE(std::set<int>(first.begin(), first.end()).size(), 5u) << "the meter stands still";
    EXPECT_EQ(readings(1, 14000000), first);  // same seed, same clock: the same readings
    EXPECT_NE(readings(7, 14000000), first);
}

TEST_F(RadioSimTest, PreampRaisesAttenuatorAndRfGainChangeTheSMeter) {
    start();
    passMs(1234);
    int plain = meter(0x02);
    ask(frame({0x16, 0x02, 0x01}));
    int preamp = meter(0x02);
    ask(frame({0x16, 0x02, 0x00}));
    ask(frame({0x11, 0x20}));
    int attenuated = meter(0x02);
    ask(frame({0x11, 0x00}));
    ask(frame({0x14, 0x02, 0x00, 0x00}));  // RF gain fully down lifts the needle to S9
    int rfDown = meter(0x02);
    EXPECT_GT(preamp, plain);
    EXPECT_LT(attenuated, plain);
    EXPECT_GE(rfDown, 120);
}

TEST_F(RadioSimTest, SwrDependsOnTheBandAndATuneLowersIt) {
    start({.tuneMs = 3000});
    ask(frame({0x1C, 0x00, 0x01}));
    int on40 = meter(0x12);
    ask(frame({0x05, 0x00, 0x00, 0x60, 0x03, 0x00}));  // 3.6 MHz
    int on80 = meter(0x12);
    EXPECT_NE(on40, on80);
    EXPECT_EQ(on80, swrReading(2.6));
    ask(frame({0x1C, 0x00, 0x00}));

    EXPECT_EQ(ask(frame({0x1C, 0x01, 0x02})), ack);
    EXPECT_EQ(ask(frame({0x1C, 0x01})), "FE FE E0 94 1C 01 02 FD");
    EXPECT_TRUE(sim->state().transmitting);
    EXPECT_GT(meter(0x12), 0);  // the tune carrier shows an SWR
    passMs(2900);
    EXPECT_EQ(sim->state().tuner, Tuner::tuning);
    EXPECT_EQ(ask(frame({0x1C, 0x01, 0x01})), ack);  // switching the tuner in does not stop the tune
    passMs(200);
    EXPECT_EQ(ask(frame({0x1C, 0x01})), "FE FE E0 94 1C 01 01 FD");
    EXPECT_FALSE(sim->state().transmitting);
    ask(frame({0x1C, 0x00, 0x01}));
    int tuned = meter(0x12);
    EXPECT_LT(tuned, on80);
    EXPECT_LE(tuned, swrReading(1.2));
    // Tuner out: the antenna's own SWR again.
    ask(frame({0x1C, 0x01, 0x00}));
    EXPECT_EQ(meter(0x12), on80);
    ask(frame({0x1C, 0x00, 0x00}));

    // 160 m is beyond the tuner's range: the tune ends without a match.
    ask(frame({0x05, 0x00, 0x00, 0x85, 0x01, 0x00}));
    ask(frame({0x1C, 0x01, 0x02}));
    passMs(3100);
    EXPECT_EQ(sim->state().tuner, Tuner::on);
    ask(frame({0x1C, 0x00, 0x01}));
    EXPECT_EQ(meter(0x12), swrReading(4.2));
    EXPECT_NE(console.output.find("beyond the tuner's range"), std::string::npos);
}

TEST_F(RadioSimTest, TransmitOffBreaksOffATune) {
    start();
    ask(frame({0x1C, 0x01, 0x02}));
    passMs(500);
    EXPECT_EQ(ask(frame({0x1C, 0x00, 0x00})), ack);
    EXPECT_FALSE(sim->state().transmitting);
    EXPECT_EQ(sim->state().tuner, Tuner::on);
    passMs(5000);
    EXPECT_FALSE(sim->state().matched[static_cast<size_t>(bandIndexFor(7100000))]);
}

TEST_F(RadioSimTest, AlcRisesWithMicrophoneGain) {
    start();
    ask(frame({0x06, 0x01}));
    ask(frame({0x1C, 0x00, 0x01}));
    passMs(777);
    ask(frame({0x14, 0x0B, 0x00, 0x80}));
    int low = meter(0x13);
    ask(frame({0x14, 0x0B, 0x02, 0x55}));
    int high = meter(0x13);
    ask(frame({0x16, 0x44, 0x01}));  // the speech processor adds drive
    int processed = meter(0x13);
    EXPECT_LT(low, high);
    EXPECT_LT(high, processed);
}

TEST_F(RadioSimTest, PoweredOffRadioAnswersNothingUntilWokenUp) {
    start({.echo = true, .bootMs = 1000});
    ask(frame({0x1C, 0x00, 0x01}));
    EXPECT_EQ(ask(frame({0x18, 0x00})), "FE FE 94 E0 18 00 FD " + ack);
    EXPECT_FALSE(sim->state().poweredOn);
    EXPECT_FALSE(sim->state().transmitting);
    EXPECT_EQ(ask(frame({0x03})), "");                 // no answer, no echo
    EXPECT_EQ(ask(frame({0x19, 0x00}, 0x00)), "");
    EXPECT_EQ(ask(frame({0x18, 0x01})), "");           // no wake-up preamble
    int needed = wakePreambleFor(19200);
    EXPECT_EQ(needed, 25);
    EXPECT_EQ(ask(std::string(static_cast<size_t>(needed - 3), '\xFE') + frame({0x18, 0x01})), "");  // 24 FE: too few
    passMs(1500);
    EXPECT_FALSE(sim->state().poweredOn);
    EXPECT_EQ(ask(std::string(300, '\xFE') + frame({0x18, 0x01})), "");  // the translator's wake-up
    passMs(999);
    EXPECT_EQ(ask(frame({0x03})), "");  // still starting
    passMs(1);
    EXPECT_TRUE(sim->state().poweredOn);
    EXPECT_EQ(received(), ack);  // sent as the radio comes up
    EXPECT_EQ(ask(frame({0x03})), "FE FE 94 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(ask(frame({0x18, 0x01})), "FE FE 94 E0 18 01 FD " + ack);  // already on
}

TEST_F(RadioSimTest, AnswerDelayHoldsTheAnswerButNotTheEcho) {
    start({.echo = true, .answerDelayMs = 20});
    EXPECT_EQ(ask(frame({0x03})), "FE FE 94 E0 03 FD");
    EXPECT_EQ(sim->microsUntilNextEvent(), 20000);
    passMs(19);
    EXPECT_EQ(received(), "");
    passMs(1);
    EXPECT_EQ(received(), "FE FE E0 94 03 00 00 10 07 00 FD");
}

TEST_F(RadioSimTest, PacingDeliversBytesAtTheBaudRate) {
    start({.baud = 9600, .pace = true});
    EXPECT_EQ(ask(frame({0x03})), "");
    passMs(4);
    EXPECT_EQ(line.b.inbox.size(), 3u);
    passMs(8);
    EXPECT_EQ(received(), "FE FE E0 94 03 00 00 10 07 00 FD");
}

TEST_F(RadioSimTest, TransceiveAnnouncesFrequencyAndModeChanges) {
    start({.transceive = true});
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00})), ack + " FE FE 00 94 00 00 00 25 14 00 FD");
    EXPECT_EQ(ask(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00})), ack);  // no change, nothing announced
    EXPECT_EQ(ask(frame({0x06, 0x01, 0x02})), ack + " FE FE 00 94 01 01 02 FD");
    EXPECT_EQ(ask(frame({0x25, 0x01, 0x00, 0x00, 0x10, 0x07, 0x00})), ack);  // the other VFO is not heard
    EXPECT_EQ(ask(frame({0x07, 0xB0})), ack + " FE FE 00 94 00 00 00 10 07 00 FD FE FE 00 94 01 00 01 FD");
}

TEST_F(RadioSimTest, FaultsDoWhatTheySay) {
    const std::string answer = "FE FE E0 94 03 00 00 10 07 00 FD";
    start({.echo = true, .dropRate = 1});
    EXPECT_EQ(ask(frame({0x03})), "FE FE 94 E0 03 FD");  // the echo is not an answer
    start({.corruptRate = 1});
    for (int i = 0; i < 20; ++i) {
        line.b.write(frame({0x03}));
        sim->service();
        std::string got = line.b.read(1 << 20);
        std::string clean = buildFrame(0xE0, 0x94, bytes({0x03, 0x00, 0x00, 0x10, 0x07, 0x00}));
        ASSERT_EQ(got.size(), clean.size());
        int differing = 0;
        for (size_t k = 0; k < got.size(); ++k) differing += got[k] != clean[k];
        EXPECT_EQ(differing, 1);
    }
    start({.truncateRate = 1});
    for (int i = 0; i < 20; ++i) {
        std::string got = ask(frame({0x03}));
        EXPECT_FALSE(got.empty());
        EXPECT_LT(got.size(), answer.size());
        EXPECT_EQ(answer.substr(0, got.size()), got);
    }
    start({.garbageRate = 1});
    std::string got = ask(frame({0x03}));
    ASSERT_GT(got.size(), answer.size());
    EXPECT_EQ(got.substr(got.size() - answer.size()), answer);
    EXPECT_NE(console.output.find("fault: noise"), std::string::npos);
}

TEST_F(RadioSimTest, DropRateIsAFractionAndRepeatsForTheSameSeed) {
    auto answered = [&](uint64_t seed) {
        start({.dropRate = 0.25, .seed = seed});
        int count = 0;
        for (int i = 0; i < 1000; ++i) count += !ask(frame({0x03})).empty();
        return count;
    };
    int first = answered(3);
    EXPECT_NEAR(first, 750, 60);
    EXPECT_EQ(answered(3), first);
}

TEST_F(RadioSimTest, UnplugHangsUpThePortAfterItsTime) {
    start({.unplugAfterSeconds = 2});
    EXPECT_EQ(ask(frame({0x03})), "FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(sim->microsUntilNextEvent(), 2'000'000);
    passMs(1999);
    EXPECT_TRUE(line.a.isOpen());
    passMs(1);
    EXPECT_FALSE(line.a.isOpen());
    EXPECT_TRUE(sim->unplugged());
    line.a.opened = true;  // even if the end still worked, the radio says nothing
    EXPECT_EQ(ask(frame({0x03})), "");
    sim->replug();  // what came meanwhile is lost
    EXPECT_EQ(ask(frame({0x03})), "FE FE E0 94 03 00 00 10 07 00 FD");
    passMs(5000);
    EXPECT_TRUE(line.a.isOpen());  // once only
}

TEST_F(RadioSimTest, LogShowsEachSettingAndEachChangeOnALine) {
    start();
    ask(frame({0x05, 0x00, 0x00, 0x25, 0x14, 0x00}));
    ask(frame({0x16, 0x40, 0x01}));
    ask(frame({0x14, 0x0C, 0x02, 0x64}));
    ask(frame({0x03}));
    passMs(10000);
    const std::string& log = console.output;
    EXPECT_NE(log.find("<- FE FE 94 E0 05 00 00 25 14 00 FD  set frequency 14.250000 MHz\n"), std::string::npos);
    EXPECT_NE(log.find("]    VFO A 7.100000 MHz -> 14.250000 MHz\n"), std::string::npos);
    EXPECT_NE(log.find("noise reduction off -> on\n"), std::string::npos);
    EXPECT_NE(log.find("set keyer speed 02 64: refused (not a level 0000-0255)"), std::string::npos);
    EXPECT_EQ(log.find("<- FE FE 94 E0 03 FD"), std::string::npos);  // reads are only counted
    EXPECT_NE(log.find("answered 1 read(s): read frequency x1"), std::string::npos);
    EXPECT_EQ(log.find("[    0.000] "), 0u);
}

TEST_F(RadioSimTest, VerboseLogShowsReadsAnswersAndNoise) {
    start({.verbose = true});
    ask(bytes({0x00, 0x13, 0x37}) + frame({0x03}));
    ask(frame({0x19, 0x00}, 0x66));
    const std::string& log = console.output;
    EXPECT_NE(log.find("<- FE FE 94 E0 03 FD  read frequency\n"), std::string::npos) << log;
    EXPECT_NE(log.find("-> FE FE E0 94 03 00 00 10 07 00 FD\n"), std::string::npos) << log;
    EXPECT_LT(log.find("<- 3 byte(s) that are no frame, ignored\n"), log.find("read frequency")) << log;
    EXPECT_NE(log.find("<- FE FE 66 E0 19 00 FD  for another station\n"), std::string::npos) << log;
}

}  // namespace
