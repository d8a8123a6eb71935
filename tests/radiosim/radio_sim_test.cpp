// The simulated radio in-process: what the translator, the benches, the
// link tests and the demo rely on it for.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "fake_serial.h"
#include "hex.h"
#include "manual_clock.h"
#include "radio_sim.h"
#include "recorders.h"

using namespace vocrig::radiosim;
using vocrig::test::hex;

namespace {

// A frame from the controller E0 to the radio at `to`; `body` in hex text.
std::string frame(const std::string& body, int to = 0x94, int from = 0xE0) {
    return buildFrame(static_cast<uint8_t>(to), static_cast<uint8_t>(from), hex(body));
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
    // The answer to a frame to the 7300, without FE FE E0 94 and FD.
    std::string answer(const std::string& body) {
        std::string got = ask(frame(body));
        return got.size() > 15 ? got.substr(12, got.size() - 15) : got;
    }
    std::string received() { return hexBytes(line.b.read(1 << 20)); }
    void passMs(int ms) {
        clock.advance(static_cast<int64_t>(ms) * 1000);
        sim->service();
    }
    int meter(const std::string& sub) {
        line.b.read(1 << 20);  // drop anything earlier
        std::string got = hex(answer("15 " + sub));
        int value = -1;
        EXPECT_EQ(got.size(), 4u) << sub;
        if (got.size() == 4) {
            EXPECT_TRUE(decodeLevel(got.substr(2), value));
        }
        return value;
    }
    // Each row: a frame body to the 7300 and its answer after FE FE E0 94.
    void expectAnswers(std::initializer_list<std::pair<const char*, const char*>> rows) {
        for (auto [body, expected] : rows) EXPECT_EQ(answer(body), expected) << body;
    }

    vocrig::platform::fake::FakeSerialPair line;
    vocrig::platform::fake::ManualClock clock;
    vocrig::platform::fake::RecordingConsole console;
    std::unique_ptr<RadioSim> sim;
};

TEST_F(RadioSimTest, AnswersItsOwnAddressAndBroadcastOnly) {
    start({.echo = true});
    EXPECT_EQ(ask(frame("19 00")), "FE FE 94 E0 19 00 FD FE FE E0 94 19 00 94 FD");
    EXPECT_EQ(ask(frame("03", 0x00)), "FE FE 00 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD");
    EXPECT_EQ(ask(frame("05 00 00 25 14 00", 0x66)), "FE FE 66 E0 05 00 00 25 14 00 FD");  // the bus echoes it
    EXPECT_EQ(sim->state().vfo[0].frequency, 7100000u);
    // The answer goes back to whoever asked.
    EXPECT_EQ(ask(frame("19 00", 0x94, 0xE1)), "FE FE 94 E1 19 00 FD FE FE E1 94 19 00 94 FD");
    const std::pair<const char*, const char*> models[] = {{"705", "A4"}, {"746", "57"}, {"9700", "A2"}};
    for (auto [name, address] : models) {
        start({.model = name});
        EXPECT_EQ(ask(frame("19 00", 0x00)), std::string("FE FE E0 ") + address + " 19 00 " + address + " FD")
            << name;
    }
}

TEST_F(RadioSimTest, FrequencyCommandsSetAndReadTheRightVfo) {
    start();
    expectAnswers({
        {"05 00 00 25 14 00", "FB"}, {"03", "03 00 00 25 14 00"},
        {"25 01 00 50 02 21 00", "FB"},  // the unselected VFO: B
        {"25 00", "25 00 00 00 25 14 00"}, {"25 01", "25 01 00 50 02 21 00"},
        {"07 B0", "FB"}, {"03", "03 00 50 02 21 00"},  // swap
        {"07 01", "FB"}, {"03", "03 00 00 25 14 00"}, {"25 01", "25 01 00 50 02 21 00"},  // select B
        {"07 A0", "FB"}, {"07 00", "FB"},  // equalize, select A
        // Frequencies the radio cannot take are refused and change nothing.
        {"05 00 00 20 96 12", "FA"},  // 1296.2 MHz on a 7300
        {"05 00 00 2A 14 00", "FA"}, {"05 00 25 14 00", "FA"}, {"25 02", "FA"},
    });
    EXPECT_EQ(sim->state().vfo[0].frequency, 14250000u);
    EXPECT_EQ(sim->state().selected, 0);
    start({.model = "9700"});
    EXPECT_EQ(ask(frame("05 00 00 20 96 12", 0xA2)), "FE FE E0 A2 FB FD");
}

// 04/06 and 26 00/01 (mode, data mode and filter of the selected / unselected
// VFO) share their state; split and the filter width.
TEST_F(RadioSimTest, ModeFilterAndSplit) {
    start();
    expectAnswers({
        {"0F", "0F 00"}, {"0F 01", "FB"}, {"0F", "0F 01"}, {"0F 02", "FA"},
        {"06 05 02", "FB"}, {"04", "04 05 02"},  // FM narrow
        {"1A 03", "FA"},                         // FM has a fixed width
        {"06 01", "FB"}, {"04", "04 01 02"},     // USB, filter kept
        {"1A 03 30", "FB"}, {"1A 03", "1A 03 30"}, {"1A 03 41", "FA"},
        {"06", "FA"}, {"06 17", "FA"}, {"06 03 04", "FA"},  // no mode, no D-STAR on a 7300, no FIL4
        {"26 00 01 01 02", "FB"}, {"04", "04 01 02"}, {"26 00", "26 00 01 01 02"},  // USB-D: 04 shows USB
        {"06 01", "FB"}, {"26 00", "26 00 01 00 02"},  // 06 clears the data flag
        {"26 01 03 00 03", "FB"}, {"26 01", "26 01 03 00 03"}, {"04", "04 01 02"},  // B only
        {"26 00 03 01 01", "FA"}, {"26 00 01 02 01", "FA"},  // CW has no data mode; the 7300 has no D2
        {"26 00 09", "FA"}, {"26 00 01 00 01 00", "FA"}, {"26 02", "FA"}, {"26", "FA"},
        {"26 00", "26 00 01 00 02"},
    });
    EXPECT_NE(console.output.find("VFO A mode USB FIL2 -> USB-D FIL2"), std::string::npos) << console.output;
    // Which radios know 26, and how many data modes they offer.
    const std::tuple<const char*, int, const char*, const char*> models[] = {
        {"705", 0xA4, "FB", "FA"}, {"7610", 0x98, "FB", "FB"}, {"7100", 0x88, "FA", "FA"}};
    for (auto [name, address, d1, d3] : models) {
        start({.model = name});
        std::string from = "FE FE E0 " + hexBytes(std::string(1, static_cast<char>(address))) + " ";
        EXPECT_EQ(ask(frame("26 00 01 01 01", address)), from + d1 + " FD") << name;
        EXPECT_EQ(ask(frame("26 00 01 03 01", address)), from + d3 + " FD") << name;
    }
    start({.model = "705"});
    EXPECT_EQ(ask(frame("06 17", 0xA4)), "FE FE E0 A4 FB FD");
}

TEST_F(RadioSimTest, EveryLevelAndFunctionIsSetAndReadBack) {
    start();
    for (const LevelRow& row : levelTable()) {
        std::string sub = hexBytes(std::string(1, static_cast<char>(row.sub)));
        expectAnswers({{("14 " + sub + " 01 28").c_str(), "FB"}, {("14 " + sub + " 02 61").c_str(), "FA"}});
        EXPECT_EQ(answer("14 " + sub), "14 " + sub + " 01 28") << row.name;
        EXPECT_EQ(sim->state().level(row.sub), 128) << row.name;
    }
    EXPECT_EQ(answer("14 55"), "FA");
    for (const FunctionRow& row : functionTable()) {
        std::string sub = hexBytes(std::string(1, static_cast<char>(row.sub)));
        for (int v = 0; v <= row.highest + 1; ++v) {
            std::string value = "0" + std::to_string(v);
            EXPECT_EQ(answer("16 " + sub + " " + value), v <= row.highest ? "FB" : "FA") << row.name << " " << v;
        }
        EXPECT_EQ(answer("16 " + sub), "16 " + sub + " 0" + std::to_string(row.highest)) << row.name;
    }
}

TEST_F(RadioSimTest, AttenuatorTonesStepAndMenu) {
    start();
    expectAnswers({
        {"11 20", "FB"}, {"11", "11 20"}, {"11 07", "FA"},
        {"1B 00 00 25 41", "FB"}, {"1B 00", "1B 00 00 25 41"},  // 254.1 Hz
        {"1B 00 00 10 05", "FA"},                               // 100.5 Hz is no CTCSS tone
        {"1B 01 00 08 85", "FB"}, {"1B 01", "1B 01 00 08 85"},
        {"1B 02 11 07 54", "FB"}, {"1B 02", "1B 02 11 07 54"},  // DCS 754 reversed
        {"1B 02 00 00 22", "FA"}, {"1B 02 02 00 23", "FA"},    // no DCS 022, no such polarity
        {"10 02", "FB"}, {"10", "10 02"},
        {"1A 05 00 75", "1A 05 00 75 00"}, {"1A 05 00 75 01", "FB"}, {"1A 05 00 75", "1A 05 00 75 01"},
        {"42", "FA"},  // a command the radio does not know
    });
    EXPECT_EQ(sim->state().repeaterTone, 2541);
}

// What the translator sends for each panel command (those not tried elsewhere here).
TEST_F(RadioSimTest, UnderstandsTheTranslatorsFrames) {
    start();
    expectAnswers({
        {"1A 05 00 78 02", "FB"} /* EX1081 */, {"16 45 01", "FB"} /* ML0 on */, {"06 05", "FB"} /* MD4 */,
        {"0F 00", "FB"} /* RX0 */, {"14 01", "14 01 01 28"} /* AG0 */, {"14 02 02 55", "FB"} /* RG255 */,
        {"14 0A 01 26", "FB"} /* PC050 */, {"14 0C 01 14", "FB"} /* KS025 */,
        {"14 0C 02 64", "FA"} /* KS050: level 264 */, {"06 01", "FB"}, {"1A 03 09", "FB"} /* FW0500 */,
        {"16 02 01", "FB"} /* PA1 */, {"16 22 01", "FB"} /* NB1 */, {"16 47", "16 47 00"} /* BI; */,
        {"16 46 02", "FA"} /* VX2 */, {"16 43 00", "FB"}, {"16 42 01", "FB"} /* CT1 */,
        {"1B 02 00 00 23", "FB"} /* CNN023 */, {"1B 00 00 08 85", "FB"} /* CN88.5 */,
        {"16 40", "16 40 00"} /* NR; */, {"16 41 01", "FB"} /* NT1 */, {"14 06 00 61", "FB"} /* RL03 */,
        {"14 12 01 00", "FB"} /* NL005 */, {"14 03 01 28", "FB"} /* SQ0128 */, {"14 0B", "14 0B 01 28"} /* MG; */,
        {"1C 01", "1C 01 00"} /* AC; */, {"16 44", "16 44 00"} /* PR; */, {"16 50 01", "FB"} /* LO1 */,
        {"1A 05 00 75 00", "FB"} /* Z1 */, {"1A 05 00 45 01", "FB"} /* Z2 */, {"16 58 01", "FB"} /* Z7 */,
        {"10 01", "FB"} /* Z9 */, {"1A 05 01 55", "1A 05 01 55 00"} /* Pow: reads the item */,
    });
}

TEST_F(RadioSimTest, TransmitOnlyInsideTheAmateurBands) {
    start();
    expectAnswers({
        {"1C 00", "1C 00 00"}, {"1C 00 01", "FB"}, {"1C 00", "1C 00 01"}, {"1C 00 00", "FB"},
        {"05 00 00 00 05 00", "FB"}, {"1C 00 01", "FA"}, {"1C 01 02", "FA"},  // 5 MHz: no transmit, no tune
        // With split, the transmit frequency is the other VFO's.
        {"25 01 00 00 10 07 00", "FB"}, {"0F 01", "FB"}, {"1C 00 01", "FB"},
    });
    EXPECT_TRUE(sim->state().transmitting);
}

// The meters follow what the radio does: the panel speaks them.
TEST_F(RadioSimTest, MetersFollowTheRadio) {
    start();
    passMs(1234);
    EXPECT_EQ(meter("12"), 0);  // SWR, ALC and power read nothing in receive
    EXPECT_EQ(meter("13"), 0);
    EXPECT_EQ(meter("11"), 0);
    int plain = meter("02");
    EXPECT_GT(plain, 0);  // band noise on 40 m
    answer("16 02 01");
    EXPECT_GT(meter("02"), plain);  // preamp
    answer("16 02 00");
    answer("11 20");
    EXPECT_LT(meter("02"), plain);  // attenuator
    answer("11 00");
    answer("14 02 00 00");
    EXPECT_GE(meter("02"), 120);  // RF gain fully down lifts the needle to S9

    answer("06 01");
    answer("1C 00 01");
    EXPECT_EQ(meter("02"), 0);  // the receiver is muted while transmitting
    EXPECT_EQ(meter("11"), 213);  // full power reads 100 %
    answer("14 0B 00 80");
    int low = meter("13");
    answer("14 0B 02 55");
    int high = meter("13");
    answer("16 44 01");  // the speech processor adds drive
    EXPECT_LT(low, high);
    EXPECT_LT(high, meter("13"));
    answer("06 03");  // CW: no speech, no ALC
    EXPECT_EQ(meter("13"), 0);
    EXPECT_EQ(answer("15 02 00 10"), "FA");  // meters cannot be set
    EXPECT_EQ(answer("15 05"), "FA");
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
            values.push_back(meter("02"));
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

TEST_F(RadioSimTest, SwrDependsOnTheBandAndATuneLowersIt) {
    start({.tuneMs = 3000});
    answer("1C 00 01");
    int on40 = meter("12");
    answer("05 00 00 60 03 00");  // 3.6 MHz
    int on80 = meter("12");
    EXPECT_NE(on40, on80);
    EXPECT_EQ(on80, swrReading(2.6));
    answer("1C 00 00");

    expectAnswers({{"1C 01 02", "FB"}, {"1C 01", "1C 01 02"}});
    EXPECT_GT(meter("12"), 0);  // the tune carrier shows an SWR
    passMs(2900);
    EXPECT_EQ(sim->state().tuner, Tuner::tuning);
    EXPECT_EQ(answer("1C 01 01"), "FB");  // switching the tuner in does not stop the tune
    passMs(200);
    EXPECT_EQ(answer("1C 01"), "1C 01 01");
    EXPECT_FALSE(sim->state().transmitting);
    answer("1C 00 01");
    EXPECT_LE(meter("12"), swrReading(1.2));
    answer("1C 01 00");  // tuner out: the antenna's own SWR again
    EXPECT_EQ(meter("12"), on80);
    answer("1C 00 00");

    // 160 m is beyond the tuner's range: the tune ends without a match.
    answer("05 00 00 85 01 00");
    answer("1C 01 02");
    passMs(3100);
    EXPECT_EQ(sim->state().tuner, Tuner::on);
    EXPECT_NE(console.output.find("beyond the tuner's range"), std::string::npos);
    // Transmit off breaks off a tune.
    answer("05 00 00 00 07 00");
    answer("1C 01 02");
    passMs(500);
    EXPECT_EQ(answer("1C 00 00"), "FB");
    EXPECT_EQ(sim->state().tuner, Tuner::on);
    passMs(5000);
    EXPECT_FALSE(sim->state().matched[static_cast<size_t>(bandIndexFor(7000000))]);
}

TEST_F(RadioSimTest, PoweredOffRadioAnswersNothingUntilWokenUp) {
    start({.echo = true, .bootMs = 1000});
    ask(frame("1C 00 01"));
    EXPECT_EQ(ask(frame("18 00")), "FE FE 94 E0 18 00 FD " + ack);
    EXPECT_FALSE(sim->state().poweredOn);
    EXPECT_FALSE(sim->state().transmitting);
    EXPECT_EQ(ask(frame("03")), "");  // no answer, no echo
    EXPECT_EQ(ask(frame("18 01")), "");  // no wake-up preamble
    EXPECT_EQ(wakePreambleFor(19200), 25);
    EXPECT_EQ(ask(std::string(22, '\xFE') + frame("18 01")), "");  // 24 FE: too few
    EXPECT_EQ(ask(std::string(300, '\xFE') + frame("18 01")), "");  // the translator's wake-up
    passMs(999);
    EXPECT_EQ(ask(frame("03")), "");  // still starting
    passMs(1);
    EXPECT_TRUE(sim->state().poweredOn);
    EXPECT_EQ(received(), ack);  // sent as the radio comes up
    EXPECT_EQ(ask(frame("03")), "FE FE 94 E0 03 FD FE FE E0 94 03 00 00 10 07 00 FD");
}

// Time on the line: an answer delay holds the answer but not the echo; pacing
// delivers bytes at the baud rate; an unplugged radio hangs up after its time.
TEST_F(RadioSimTest, AnswerDelayPacingAndUnplug) {
    const std::string answer = "FE FE E0 94 03 00 00 10 07 00 FD";
    start({.echo = true, .answerDelayMs = 20});
    EXPECT_EQ(ask(frame("03")), "FE FE 94 E0 03 FD");
    EXPECT_EQ(sim->microsUntilNextEvent(), 20000);
    passMs(19);
    EXPECT_EQ(received(), "");
    passMs(1);
    EXPECT_EQ(received(), answer);

    start({.baud = 9600, .pace = true});
    EXPECT_EQ(ask(frame("03")), "");
    passMs(4);
    EXPECT_EQ(line.b.inbox.size(), 3u);
    passMs(8);
    EXPECT_EQ(received(), answer);

    start({.unplugAfterSeconds = 2});
    EXPECT_EQ(sim->microsUntilNextEvent(), 2'000'000);
    passMs(1999);
    EXPECT_TRUE(line.a.isOpen());
    passMs(1);
    EXPECT_FALSE(line.a.isOpen());
    EXPECT_TRUE(sim->unplugged());
    line.a.opened = true;  // even if the end still worked, the radio says nothing
    EXPECT_EQ(ask(frame("03")), "");
    sim->replug();  // what came meanwhile is lost
    EXPECT_EQ(ask(frame("03")), answer);
    passMs(5000);
    EXPECT_TRUE(line.a.isOpen());  // once only
}

TEST_F(RadioSimTest, FaultsDoWhatTheySay) {
    const std::string answer = "FE FE E0 94 03 00 00 10 07 00 FD";
    start({.echo = true, .dropRate = 1});
    EXPECT_EQ(ask(frame("03")), "FE FE 94 E0 03 FD");  // the echo is not an answer
    start({.corruptRate = 1});
    for (int i = 0; i < 20; ++i) {
        std::string got = hex(ask(frame("03"))), clean = hex(answer);
        ASSERT_EQ(got.size(), clean.size());
        int differing = 0;
        for (size_t k = 0; k < got.size(); ++k) differing += got[k] != clean[k];
        EXPECT_EQ(differing, 1);
    }
    start({.truncateRate = 1});
    for (int i = 0; i < 20; ++i) {
        std::string got = ask(frame("03"));
        EXPECT_FALSE(got.empty());
        EXPECT_LT(got.size(), answer.size());
        EXPECT_EQ(answer.substr(0, got.size()), got);
    }
    start({.garbageRate = 1});
    std::string got = ask(frame("03"));
    ASSERT_GT(got.size(), answer.size());
    EXPECT_EQ(got.substr(got.size() - answer.size()), answer);
    EXPECT_NE(console.output.find("fault: noise"), std::string::npos);
    // A fraction, repeated for the same seed.
    auto answered = [&](uint64_t seed) {
        start({.dropRate = 0.25, .seed = seed});
        int count = 0;
        for (int i = 0; i < 1000; ++i) count += !ask(frame("03")).empty();
        return count;
    };
    int first = answered(3);
    EXPECT_NEAR(first, 750, 60);
    EXPECT_EQ(answered(3), first);
}

// The demo's transcript is cut from these lines.
TEST_F(RadioSimTest, LogShowsEachSettingAndEachChangeOnALine) {
    start();
    ask(frame("05 00 00 25 14 00"));
    ask(frame("16 40 01"));
    ask(frame("14 0C 02 64"));
    ask(frame("03"));
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

}  // namespace
