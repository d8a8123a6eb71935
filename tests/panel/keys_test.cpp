#include <gtest/gtest.h>

#include <functional>

#include "key_codes.h"
#include "panel_rig.h"

namespace {

using vocrig::platform::Event;
using vocrig::platform::EventType;
using namespace vocrig::panel;  // the key codes and the coded states

const int keyJ = 'J';  // a key the panel gives no meaning

// Each key pressed and released; characters stand for their keys ("E14.005" then Enter is keyEnter).
std::vector<Event> keys(std::initializer_list<int> codes) {
    std::vector<Event> events;
    for (int code : codes) {
        events.push_back({EventType::KeyDown, code});
        events.push_back({EventType::KeyUp, code});
    }
    return events;
}
std::vector<Event> typed(const std::string& text) {
    std::vector<Event> events;
    for (char c : text) {
        const int code = c == '.' ? int{keyPoint} : c == '\n' ? int{keyEnter} : int{c};
        events.push_back({EventType::KeyDown, code});
        events.push_back({EventType::KeyUp, code});
    }
    return events;
}

// Words without the pacing silences.
std::string spoken(PanelRig& rig) {
    std::string out;
    for (const auto& w : rig.speaker.words) {
        if (w == "delay" || w == "shdelay") continue;
        out += (out.empty() ? "" : " / ") + w;
    }
    rig.speaker.words.clear();
    return out;
}

struct Case {
    const char* name;
    std::function<void(vocrig::panel::PanelState&)> setUp;
    std::vector<Event> events;
    std::string sent, words;
    std::function<void(const vocrig::panel::PanelState&)> check = nullptr;
};

// A connected panel in USB on 20 m at 14.2 MHz.
void runCase(const Case& c) {
    PanelRig rig;
    vocrig::panel::PanelState& s = rig.state;
    s.poll.connected = 1;
    s.program.running = 1;
    s.dial.mode = 2;
    s.dial.bandIndex = 6;
    s.dial.frequency = 14200000;
    if (c.setUp) c.setUp(s);
    for (const Event& e : c.events) rig.panel.handleEvent(e);
    EXPECT_EQ(rig.sent(), c.sent) << c.name;
    EXPECT_EQ(spoken(rig), c.words) << c.name;
    if (c.check) c.check(s);
}

TEST(Keys, Guards) {
    const Case cases[] = {
        {"a held key's repeats are ignored", {},
         {{EventType::KeyDown, keyE}, {EventType::KeyDown, keyE, true}, {EventType::KeyDown, keyE},
          {EventType::KeyUp, keyE}}, "", "ef"},
        {"a second key pressed while the first is down is taken", {},
         {{EventType::KeyDown, keyE}, {EventType::KeyDown, '1'}, {EventType::KeyUp, keyE}, {EventType::KeyDown, '4'}},
         "", "ef / 1 / 4"},
        {"tuning answers every key but T and S", [](auto& s) { s.transmit.tuning = 1; }, keys({keyJ, keyQ, '5'}), "",
         "ton / ton / ton", [](auto& s) { EXPECT_EQ(s.program.running, 1); }},
        {"link down: nc", [](auto& s) { s.poll.connected = 0; }, keys({keyJ, keyE}), "", "nc / nc"},
        {"link down: digits still type",
         [](auto& s) { s.poll.connected = 0, s.entry.freqEntry = 1, s.entry.entryMHz = 0; }, keys({'7'}),
         "", "7"},
        {"link down: a band digit after B never says connected",
         [](auto& s) { s.keys.keyPrefix = Prefix::band, s.poll.connected = 0; },
         keys({'4'}), "FA00007100000;FT0;MD1;SH07;PA0;", "40 / metres / 7 / point / 1 / mhz / lsb / preamp / off",
         [](auto& s) { EXPECT_EQ(s.poll.connected, 0); }},
        {"link down: Q still quits", [](auto& s) { s.poll.connected = 0; }, keys({keyQ}), "Z6;RX$;", "quit",
         [](auto& s) { EXPECT_EQ(s.program.running, 0); }},
        {"Q while transmitting: receive", [](auto& s) { s.transmit.txState = 11; }, keys({keyQ}), "Z6;RX$;", "quit",
         [](auto& s) { EXPECT_EQ(s.transmit.txState, 0); }},
        {"modifiers do nothing, even without the link", [](auto& s) { s.poll.connected = 0; },
         keys({keyShift, 17, 45, 91}),
         "", ""},
        {"keypad digits and point are the main keys", {}, keys({keyE, keyPad5, keyPadPoint, keyPad5}), "",
         "ef / 5 / point / 5"},
        {"the first key alone is echoed, and still handled", [](auto& s) { s.config.diagLevel = 1; },
         keys({keyPad5, keyJ}),
         "*e (5);FA00014200000;", "", [](auto& s) { EXPECT_EQ(s.config.diagLevel, 2); }},
        {"Enter echoed", [](auto& s) { s.config.diagLevel = 1; }, keys({keyEnter}), "*C/R;FA00014200000;", ""},
        {"a key without a character echoed by its code", [](auto& s) { s.config.diagLevel = 1; }, keys({keyPlus}),
         "*<187>;FA00015200000;", ""},
        {"a tone entry with nothing typed ends at another key",
         [](auto& s) { s.tone.toneEntry = ToneEntry::typing; }, keys({keyJ}), "FA00014200000;", "",
         [](auto& s) { EXPECT_EQ(s.tone.toneEntry, ToneEntry::none); }},
        {"a tone entry keeps its digits", [](auto& s) { s.tone.toneEntry = ToneEntry::typing; }, typed("88.5"), "",
         "8 / 8 / point / 5",
         [](auto& s) { EXPECT_EQ(s.tone.toneText, "88.5"); }},
        {"a digit with nothing pending is ignored", {}, keys({'5'}), "", ""},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, ChainEntries) {
    const Case cases[] = {
        {"7: the bandwidth latch swallows keys",
         [](auto& s) { s.keys.keyPrefix = Prefix::extended, s.switches.txbwLatch = 1; },
         keys({keyJ, keyE}), "", ""},
        {"14: U with no recalled channel does nothing", {}, keys({keyU}), "", ""},
        {"15: another key forgets the recalled channel", [](auto& s) { s.channels.channelBank = 0; }, keys({keyJ}),
         "FA00014200000;", "", [](auto& s) { EXPECT_EQ(s.channels.channelBank, 99); }},
        {"21: B keeps a channel operation pending and asks for the bank",
         [](auto& s) { s.channels.channelOp = ChannelOp::store; }, keys({keyB}), "", "bank",
         [](auto& s) { EXPECT_EQ(s.channels.channelOp, ChannelOp::store); }},
        {"21: any other key cancels it silently",
         [](auto& s) { s.channels.channelOp = ChannelOp::recall, s.channels.channelBankChoice = 3; }, keys({keyJ}), "",
         "",
         [](auto& s) { EXPECT_EQ(s.channels.channelOp, ChannelOp::none); EXPECT_EQ(s.channels.channelBankChoice, 0); }},
        {"24: A", {}, keys({keyA, keyJ}), "", "ag", [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::afGain); }},
        {"25, 26: C and G", {}, keys({keyC, keyJ, keyG}), "", "sch / gch",
         [](auto& s) { EXPECT_EQ(s.channels.channelOp, ChannelOp::recall); }},
        {"29: Enter before any E resends the dial frequency", {}, keys({keyEnter}), "FA00014200000;", ""},
        {"29: Enter after an entry was taken does nothing", [](auto& s) { s.entry.entryMHz = 7; }, keys({keyEnter}),
         "", ""},
        {"32: F1", {}, keys({keyF1}), "PA1;", "preamp / on", [](auto& s) { EXPECT_EQ(s.switches.preampOn, 1); }},
        {"37: F6", {}, keys({keyF6}), "", ""},
        {"46: S", [](auto& s) { s.poll.sDigit = "7"; }, keys({keyS}), "", "s / 7"},
        {"50: X on and off", [](auto& s) { s.switches.txbwLatch = 1; }, keys({keyX, keyX}), "",
         "extcm / on / extcm / off",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); EXPECT_EQ(s.switches.txbwLatch, 0); }},
        {"53: Up", {}, keys({keyUp}), "FA00014201000;", ""},
        {"54: Down in CW", [](auto& s) { s.dial.mode = 3; }, keys({keyDown}), "FA00014199500;", ""},
        {"end: an unassigned key resends the frequency", {}, keys({keyJ}), "FA00014200000;", ""},
        {"end: H also plays the help", {}, keys({keyH}), "FA00014200000;", "help"},
        {"end: nothing with a prefix other than 0 or 2", [](auto& s) { s.keys.keyPrefix = Prefix::afGain; },
         keys({keyH}),
         "", ""},
        {"end: + and -", {}, keys({keyPlus, keyMinus, keyMinus}), "FA00015200000;FA00014200000;FA00013200000;", ""},
        {"end: Page Up in FM on 2 m",
         [](auto& s) { s.dial.mode = 5, s.dial.bandIndex = 12, s.dial.frequency = 145000000; },
         keys({keyPageUp}), "FA00145012500;", ""},
        {"end: Page Up in FM on 6 m",
         [](auto& s) { s.dial.mode = 5, s.dial.bandIndex = 11, s.dial.frequency = 50150000; },
         keys({keyPageUp}), "FA00050160000;", ""},
        {"end: Page Down in USB", {}, keys({keyPageDown}), "FA00014190000;", ""},
        {"end: Right and Left", {}, keys({keyRight, keyLeft, keyLeft}), "FA00014200100;FA00014200000;FA00014199900;",
         ""},
        {"end: Right in CW", [](auto& s) { s.dial.mode = 3; }, keys({keyRight}), "FA00014200010;", ""},
        {"end: squelch in FM", [](auto& s) { s.dial.mode = 6, s.dial.squelch = 60; },
         keys({keyRight, keyLeft, keyLeft}),
         "SQ0065;SQ0060;SQ0055;", ""},
        {"end: squelch at its ends", [](auto& s) { s.dial.mode = 5, s.dial.squelch = 253; }, keys({keyRight}),
         "SQ0255;", "max"},
        {"end: squelch to 0", [](auto& s) { s.dial.mode = 5, s.dial.squelch = 4; }, keys({keyLeft}), "SQ0000;", "0"},
        {"end: no frequency above 11 digits", [](auto& s) { s.dial.frequency = 99999500000; }, keys({keyPlus}),
         "FA99999999999;", "max"},
        {"end: no negative frequency", [](auto& s) { s.dial.frequency = 500; }, keys({keyDown}), "FA00000000000;",
         "min"},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, ZeroAndFrequencyEntry) {
    auto in = [](int mode, long long hz) {
        return [mode, hz](PanelState& s) { s.dial.mode = mode, s.dial.frequency = hz, s.dial.bandIndex = 4; };
    };
    const Case cases[] = {
        {"Z in LSB on a whole kHz", in(1, 7100000), keys({keyZ}), "FA00007099000;", "0 / ok"},
        {"Z in LSB off it", in(1, 7100400), keys({keyZ}), "FA00007100000;", "0 / ok"},
        {"Z in USB on a whole kHz", in(2, 7100000), keys({keyZ}), "FA00007101000;", "0 / ok"},
        {"Z in USB off it", in(2, 7100400), keys({keyZ}), "FA00007101000;", "0 / ok"},
        {"Z in CW", in(3, 7100400), keys({keyZ}), "CA01;", "0 / ok"},
        {"14.005 MHz", {}, typed("E14.005\n"), "MD2;SH07;FA00014005000;PA1;",
         "ef / 1 / 4 / point / 0 / 0 / 5 / preamp / on / ok", [](auto& s) { EXPECT_EQ(s.dial.frequency, 14005000); }},
        {"14.10 MHz", {}, typed("E14.10\n"), "MD2;SH07;FA00014100000;PA1;",
         "ef / 1 / 4 / point / 1 / 0 / preamp / on / ok"},
        {"7 MHz on an FM row becomes AM", [](auto& s) { s.memory.bandTable[4] = "05A00007100000B000071000009990"; },
         typed("E7.1\n"), "MD5;SH08;FA00007100000;PA0;", "ef / 7 / point / 1 / preamp / off / ok",
         [](auto& s) { EXPECT_EQ(s.dial.mode, 4); }},
        {"144.8 MHz on an FM row stays FM", {}, typed("E144.8\n"), "MD4;Z3;SQ0;FA00144800000;PA0;",
         "ef / 1 / 4 / 4 / point / 8 / preamp / off / ok",
         [](auto& s) { EXPECT_EQ(s.dial.mode, 5);
             EXPECT_EQ(s.dial.bandIndex, 12); }},
        {"a typed 441.25 MHz is general coverage (AM), 439.25 MHz 70 cm (FMN)", {}, typed("E441.25\nE439.25\n"),
         "MD5;SH08;FA00441250000;PA0;MD4;Z3;SQ0;FA00439250000;PA0;",
         "ef / 4 / 4 / 1 / point / 2 / 5 / preamp / off / ok / ef / 4 / 3 / 9 / point / 2 / 5 / preamp / off / ok"},
        {"split on goes to VFO B; off on general coverage", [](auto& s) { s.dial.splitOn = Split::announced; },
         typed("E9.6\n"),
         "MD5;SH08;FA00009600000;PA0;", "ef / 9 / point / 6 / preamp / off / ok",
         [](auto& s) { EXPECT_EQ(s.dial.splitOn, Split::off); }},
        {"no sixth megahertz digit", {}, typed("E123456\n"), "MD5;SH08;FA12345000000;PA0;",
         "ef / 1 / 2 / 3 / 4 / 5 / max / preamp / off / ok"},
        {"no seventh decimal", {}, typed("E1.0000001\n"), "MD1;SH07;FA00001000000;PA0;",
         "ef / 1 / point / 0 / 0 / 0 / 0 / 0 / 0 / max / preamp / off / ok"},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, ModeToneSplitAndVfo) {
    auto on2m = [](int mode) {
        return [mode](PanelState& s) { s.dial.mode = mode, s.dial.bandIndex = 12, s.dial.frequency = 145000000; };
    };
    const auto splitRow = [](vocrig::panel::PanelState& s) {
        s.dial.splitOn = Split::announced, s.memory.bandTable[6] = "12A00014200000B000142500009991";
    };
    const Case cases[] = {
        {"52: M from FM to LSB", on2m(6), keys({keyM}), "MD1;SH07;", "lsb"},
        {"52: M from AM on 15 m to LSB", [](auto& s) { s.dial.mode = 4, s.dial.bandIndex = 8; }, keys({keyM}),
         "MD1;SH07;",
         "lsb"},
        {"52: M from AM on 10 m to FM narrow, written to the row",
         [](auto& s) { s.dial.mode = 4, s.dial.bandIndex = 10; },
         keys({keyM}), "MD4;Z3;SQ0;", "fm / nar",
         [](auto& s) { EXPECT_EQ(s.memory.bandTable[10].substr(0, 2), "05"); }},
        {"51: X, M: FM narrow to wide", on2m(5), keys({keyX, keyM}), "MD4;Z4;SQ0;", "extcm / on / fm",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); EXPECT_EQ(s.dial.fmWide, 1); }},
        {"41: D into DSTAR goes on; D back to the FM width", [&](auto& s) { on2m(6)(s), s.dial.fmWide = 1; },
         keys({keyD, keyD}), "MD7;FA00145000000;MD4;Z4;SQ0;", "dstar / fm"},
        {"41: D in USB does nothing", {}, keys({keyD}), "", ""},
        {"19, 20: CTCSS 88.5", on2m(6), typed("I88.5\n"), "CN88.5;CT1;", "ec / 8 / 8 / point / 5 / ctcss / on",
         [](auto& s) { EXPECT_EQ(s.tone.toneEntry, ToneEntry::sent); EXPECT_EQ(s.tone.toneOn, 1); }},
        {"CTCSS 254.9 is the top", on2m(5), typed("I254.9\n"), "CN254.9;CT1;",
         "ec / 2 / 5 / 4 / point / 9 / ctcss / on"},
        {"CTCSS 2549 invalid", on2m(5), typed("I2549\n"), "", "ec / 2 / 5 / 4 / 9 / invalid"},
        {"CTCSS 66 invalid", on2m(5), typed("I66\n"), "", "ec / 6 / 6 / invalid"},
        {"22: N23 goes out as N023", on2m(5), typed("IN23\n"), "CNN023;CT1;", "ec / n / 2 / 3 / dcs / on",
         [](auto& s) { EXPECT_EQ(s.tone.toneText, "N023"); }},
        {"N22 invalid", on2m(5), typed("IN22\n"), "", "ec / n / 2 / 2 / invalid",
         [](auto& s) { EXPECT_EQ(s.tone.toneText, "999"); EXPECT_EQ(s.tone.toneEntry, ToneEntry::none); }},
        {"N754 is the top DCS code, N755 invalid", on2m(5), typed("IN754\nIIN755\n"), "CNN754;CT1;CT0;",
         "ec / n / 7 / 5 / 4 / dcs / on / dcs / off / ec / n / 7 / 5 / 5 / invalid"},
        {"45: R7 refused", on2m(5), typed("IR7\n"), "", "ec / r / 7 / invalid"},
        {"a letter alone is invalid", on2m(5), typed("IR\n"), "", "ec / r / invalid"},
        {"no eighth tone character", on2m(5), typed("I12345678"), "", "ec / 1 / 2 / 3 / 4 / 5 / 6 / 7 / max"},
        {"I, then M: the entry ends silently and M changes the mode", on2m(6), keys({keyI, keyM}), "MD1;SH07;",
         "ec / lsb", [](auto& s) { EXPECT_EQ(s.tone.toneEntry, ToneEntry::none); }},
        {"I with a tone set switches it off",
         [&](auto& s) { on2m(5)(s), s.tone.toneText = "88.5", s.tone.toneEntry = ToneEntry::typing; },
         keys({keyI}), "CT0;", "ctcss / off", [](auto& s) { EXPECT_EQ(s.tone.toneText, "999"); }},
        {"I with split on: no tone", [&](auto& s) { on2m(5)(s), s.dial.splitOn = Split::announced; }, keys({keyI}), "",
         "warnctcss"},
        {"30: V on: VFO B takes the dial", {}, keys({keyV}), "FT1;FB00014200000;", "",
         [](auto& s) { EXPECT_EQ(s.dial.splitOn, Split::on); }},
        {"30: V off: back to VFO A; the row keeps its split flag, tone and preamp follow", splitRow, keys({keyV}),
         "RX0;FA00014200000;", "split / off",
         [](auto& s) { EXPECT_EQ(s.memory.bandTable[6], "12A00014200000B000142500009990"); }},
        {"30: no split on general coverage below 27 MHz",
         [](auto& s) { s.dial.bandIndex = 14, s.dial.frequency = 9600000; },
         keys({keyV}), "", "split / invalid", [](auto& s) { EXPECT_EQ(s.dial.splitOn, Split::off); }},
        {"10: X, S swaps", {}, keys({keyX, keyS}), "Z8;", "extcm / on / swop",
         [](auto& s) { EXPECT_EQ(s.dial.vfoSwapped, 1); EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"10: a radio that fixes the swap", [](auto& s) { s.link.swapFixed = 1; }, keys({keyX, keyS}), "Z8;",
         "extcm / on / swop", [](auto& s) { EXPECT_EQ(s.dial.vfoSwapped, 0); }},
        {"8: X, T: 100 Hz, then 1 kHz", {}, keys({keyX, keyT, keyX, keyT}), "Z90;Z91;",
         "extcm / on / 1 / 0 / 0 / hz / extcm / on / 1 / khz"},
        {"42: F in split says VFO B and the tone; with X the other VFO",
         [&](auto& s) { splitRow(s), s.tone.toneEntry = ToneEntry::typing, s.tone.toneText = "N023"; },
         keys({keyF, keyX, keyF}),
         "",
         "vfob / 1 / 4 / point / 2 / 5 / mhz / usb / dcs / n / 0 / 2 / 3 / extcm / on / 1 / 4 / point / 2 / mhz / "
         "usb / dcs / n / 0 / 2 / 3"},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, BandKeys) {
    const Case cases[] = {
        {"48: B says the band and stores the row",
         [](auto& s) { s.poll.lastFreqReply = "FA00014250000", s.switches.preampOn = 1; },
         keys({keyB}), "FT0;", "band / 20 / metres", [](auto& s) {
             EXPECT_EQ(s.memory.bandTable[6], "02A00014250000B000142000009991");
             EXPECT_EQ(s.keys.keyPrefix, Prefix::band);
         }},
        {"B, 4: 40 m with its mode and preamp", {}, typed("B4"), "FT0;FA00007100000;FT0;MD1;SH07;PA0;",
         "band / 20 / metres / 40 / metres / 7 / point / 1 / mhz / lsb / preamp / off",
         [](auto& s) {
             EXPECT_EQ(s.dial.bandIndex, 4); EXPECT_EQ(s.keys.keyPrefix, Prefix::none);
             EXPECT_EQ(s.dial.frequency, 7100000);
         }},
        {"B, T: a 2 m row in FM with split and a tone sends them all",
         [](auto& s) { s.config.bandPlan = "2", s.memory.bandTable[12] = "15A00145500000B0014490000088.50"; },
         typed("BT"),
         "FT0;FA00145500000;MD4;Z3;SQ0;FT1;FB00144900000;CN88.5;CT1;PA0;",
         "band / 20 / metres / 2 / metres / 1 / 4 / 5 / point / 5 / mhz / fm / nar / split / "
         "ctcss / 8 / 8 / point / 5 / preamp / off",
         [](auto& s) {
             EXPECT_EQ(s.dial.splitOn, Split::announced); EXPECT_EQ(s.tone.toneEntry, ToneEntry::typing);
             EXPECT_EQ(s.memory.bandTable[12], "25A00145500000B0014490000088.50");  // VFO B kept
         }},
        {"B, X refused without 6 m", [](auto& s) { s.config.bandPlan = "1"; }, typed("BX"), "FT0;",
         "band / 20 / metres / band / na",
         [](auto& s) { EXPECT_EQ(s.dial.bandIndex, 6); EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"B, S refused without 70 cm", [](auto& s) { s.config.bandPlan = "2"; }, typed("BS"), "FT0;",
         "band / 20 / metres / band / na"},
        {"a band change ends split and a tone the new row lacks",
         [](auto& s) { s.dial.splitOn = Split::announced, s.tone.toneOn = 1, s.tone.toneText = "88.5"; }, typed("B0"),
         "FT0;RX0;FA00028500000;FT0;MD2;SH07;CT0;PA1;",
         "band / 20 / metres / split / off / 10 / metres / 2 / 8 / point / 5 / mhz / usb / preamp / on",
         [](auto& s) { EXPECT_EQ(s.tone.toneText, "999"); }},
    };
    for (const Case& c : cases) runCase(c);

    // Up and Down after B, with each band plan; the row the radio is on counts.
    const struct {
        const char* plan;
        int from;
        int key;
        int to;
        const char* reply = "";
    } steps[] = {
        {"6", 10, keyUp, 11}, {"6", 11, keyUp, 14}, {"6", 14, keyUp, 1}, {"6", 14, keyDown, 11}, {"6", 1, keyDown, 14},
        {"1", 10, keyUp, 14}, {"1", 14, keyDown, 10}, {"2", 11, keyUp, 12}, {"2", 12, keyUp, 14},
        {"2", 14, keyDown, 12},
        {"7", 12, keyUp, 13}, {"7", 13, keyUp, 14}, {"7", 14, keyDown, 13}, {"7", 6, keyUp, 5, "FA00007100000;"},
    };
    for (const auto& step : steps) {
        PanelRig rig;
        vocrig::panel::PanelState& s = rig.state;
        s.poll.connected = 1, s.config.bandPlan = step.plan, s.dial.bandIndex = step.from,
        s.keys.keyPrefix = Prefix::band;
        s.dial.mode = vocrig::panel::BandRecord(s.memory.bandTable[static_cast<size_t>(step.from)]).mode();
        s.poll.lastFreqReply = std::string(step.reply).substr(0, 13);
        for (const Event& e : keys({step.key})) rig.panel.handleEvent(e);
        EXPECT_EQ(s.dial.bandIndex, step.to) << step.plan << " " << step.from << " " << step.key;
        EXPECT_EQ(s.keys.keyPrefix, Prefix::band);
    }
}

TEST(Keys, OptionsReport) {
    const Case cases[] = {
        {"nothing on", [](auto& s) { s.config.tunerMode = 1; }, keys({keyO}), "", "options / tuner / is / off"},
        {"everything that shows in USB",
         [](auto& s) {
             auto& on = s.switches;
             on.preampOn = on.attOn = on.nbOn = on.nrOn = on.notchOn = on.processorOn = on.vox = on.breakIn = 1;
             s.levels.monitorLevel = 7, s.tone.toneText = "88.5", s.config.lockState = "1", s.link.lockAvailable = 1,
             s.config.tunerMode = 2;
         }, keys({keyO}), "",
         "options / preamp / on / at / on / nb / on / nr / on / notch / on / spc / on / vox / on / mon / on / "
         "ctcss / 8 / 8 / point / 5 / lock / on / tuner / is / both"},
        {"in CW break-in instead of VOX and processor",
         [](auto& s) { s.dial.mode = 3, s.switches.vox = s.switches.breakIn = 1; },
         keys({keyO}), "", "options / bkin / on / tuner / is / on"},
    };
    for (const Case& c : cases) runCase(c);
}

// Up and Down under each prefix, at and near its limits.
TEST(Keys, Levels) {
    auto with = [](Prefix prefix, std::function<void(vocrig::panel::PanelState&)> more) {
        return [prefix, more](vocrig::panel::PanelState& s) { s.keys.keyPrefix = prefix, more(s); };
    };
    const Case cases[] = {
        {"P speaks the power", [](auto& s) { s.config.powerPercent = 50; }, keys({keyP}), "", "power / 5 / 0 / perc",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::power); }},
        {"power 25 up", with(Prefix::power, [](auto& s) { s.config.powerPercent = 25; }), keys({keyUp}), "PC030;",
         "3 / 0 / perc"},
        {"power 30 up", with(Prefix::power, [](auto& s) { s.config.powerPercent = 30; }), keys({keyUp}), "PC040;",
         "4 / 0 / perc"},
        {"power 28 up to a multiple of 5", with(Prefix::power, [](auto& s) { s.config.powerPercent = 28; }),
         keys({keyUp}),
         "PC030;",
         "3 / 0 / perc"},
        {"power 95 up", with(Prefix::power, [](auto& s) { s.config.powerPercent = 95; }), keys({keyUp, keyUp}),
         "PC100;PC100;",
         "1 / 0 / 0 / perc / max / 1 / 0 / 0 / perc / max"},
        {"power 30 down", with(Prefix::power, [](auto& s) { s.config.powerPercent = 30; }), keys({keyDown}), "PC025;",
         "2 / 5 / perc"},
        {"power 40 down", with(Prefix::power, [](auto& s) { s.config.powerPercent = 40; }), keys({keyDown}), "PC030;",
         "3 / 0 / perc"},
        {"power 5 down", with(Prefix::power, [](auto& s) { s.config.powerPercent = 5; }), keys({keyDown}), "PC005;",
         "5 / perc / min"},
        {"a configured 150 down", with(Prefix::power, [](auto& s) { s.config.powerPercent = 150; }), keys({keyDown}),
         "PC100;",
         "1 / 0 / 0 / perc"},
        {"W in USB speaks the width", {}, keys({keyW}), "", "bw / 2 / point / 4 / khz",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::width); }},
        {"W in FM does nothing", [](auto& s) { s.dial.mode = 5; }, keys({keyW}), "", "",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"SSB width at 12 up", with(Prefix::width, [](auto& s) { s.levels.filterWidth = 12; }), keys({keyUp}),
         "SH12;FA00014200000;",
         "max"},
        {"SSB width at 0 down", with(Prefix::width, [](auto& s) { s.levels.filterWidth = 0; }), keys({keyDown}),
         "SH00;FA00014200000;",
         "min"},
        {"CW width 100 down, then up",
         with(Prefix::width, [](auto& s) { s.dial.mode = 3, s.levels.filterWidth = 100; }),
         keys({keyDown, keyUp}),
         "FW0050;FA00014200000;FW0100;FA00014200000;", "min", [](auto& s) { EXPECT_EQ(s.levels.cwWidth, 100); }},
        {"CW width 1500 up", with(Prefix::width, [](auto& s) { s.dial.mode = 3, s.levels.filterWidth = 1500; }),
         keys({keyUp}),
         "FW1500;FA00014200000;", "max"},
        {"R, then RF gain 250 up", [](auto& s) { s.levels.rfGain = 250; }, keys({keyR, keyUp}), "RG255;", "rf / max"},
        {"RF gain 10 down", with(Prefix::rfGain, [](auto& s) { s.levels.rfGain = 10; }), keys({keyDown}), "RG000;",
         "min"},
        {"AF gain 250 up", with(Prefix::afGain, [](auto& s) { s.levels.afGain = 250; }), keys({keyUp}), "AG0255;",
         "max"},
        {"AF gain 100 down", with(Prefix::afGain, [](auto& s) { s.levels.afGain = 100; }), keys({keyDown}), "AG0090;",
         ""},
        {"L without NB or NR does nothing", {}, keys({keyL}), "", "",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"L, then NB level 9 up twice",
         [](auto& s) { s.levels.levelTarget = LevelTarget::noiseBlanker, s.levels.nbLevel = 9; },
         keys({keyL, keyUp, keyUp}), "NL010;NL010;", "nb / lev / max"},
        {"NR level 1 down",
         with(Prefix::level, [](auto& s) { s.levels.levelTarget = LevelTarget::noiseReduction, s.levels.nrLevel = 1; }),
         keys({keyDown}), "RL01;", "min"},
        {"keyer 47 up twice", with(Prefix::keyer, [](auto& s) { s.levels.keyerSpeed = 47; }), keys({keyUp, keyUp}),
         "KS048;KS048;",
         "max / max"},
        {"keyer 7 down", with(Prefix::keyer, [](auto& s) { s.levels.keyerSpeed = 7; }), keys({keyDown}), "KS006;",
         "min"},
        {"a keyer speed read past the top steps down from it",
         with(Prefix::keyer, [](auto& s) { s.levels.keyerSpeed = 99; }),
         keys({keyDown}), "KS047;", ""},
        {"mic gain 255 down, then up",
         with(Prefix::micGain, [](auto& s) { s.levels.micGain = 255, s.levels.peakAlc = 90; }),
         keys({keyDown, keyUp}),
         "MG250;MG255;", "max", [](auto& s) { EXPECT_EQ(s.levels.peakAlc, 0); }},
        {"mic gain 5 down", with(Prefix::micGain, [](auto& s) { s.levels.micGain = 5; }), keys({keyDown}), "MG000;",
         "min"},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, Switches) {
    const Case cases[] = {
        {"F2", {}, keys({keyF2, keyF2}), "RA01;RA00;", "at / on / at / off"},
        {"F3 on asks for the level", [](auto& s) { s.poll.tickCount = 9; }, keys({keyF3}), "NB1;NL;", "nb / on",
         [](auto& s) { EXPECT_EQ(s.levels.levelTarget, LevelTarget::noiseBlanker); EXPECT_EQ(s.poll.tickCount, 0); }},
        {"F3 off", [](auto& s) { s.switches.nbOn = 1, s.levels.levelTarget = LevelTarget::noiseBlanker; },
         keys({keyF3}), "NB0;",
         "nb / off",
         [](auto& s) { EXPECT_EQ(s.levels.levelTarget, LevelTarget::none); }},
        {"F4 on, then F3 off keeps NR's level", [](auto& s) { s.switches.nbOn = 1; }, keys({keyF4, keyF3}),
         "NR1;RL;NB0;",
         "nr / on / nb / off", [](auto& s) { EXPECT_EQ(s.levels.levelTarget, LevelTarget::noiseReduction); }},
        {"F5", {}, keys({keyF5}), "NT10;", "notch / on"},
        {"F7 in USB goes on", {}, keys({keyF7}), "PR1;FA00014200000;", "spc / on"},
        {"F7 in CW", [](auto& s) { s.dial.mode = 3; }, keys({keyF7}), "FA00014200000;", "spc / na",
         [](auto& s) { EXPECT_EQ(s.switches.processorOn, 0); }},
        {"F8 in USB", {}, keys({keyF8}), "VX1;", "vox / on"},
        {"F8 in CW", [](auto& s) { s.dial.mode = 3; }, keys({keyF8}), "BI1;", "bkin / on",
         [](auto& s) { EXPECT_EQ(s.switches.vox, 0); }},
        {"F9 on without an answer, then off", [](auto& s) { s.levels.levelTarget = LevelTarget::noiseBlanker; },
         keys({keyF9, keyF9}),
         "ML;ML;ML007;ML000;", "mon / on / shdel / shdel / mon / off",
         [](auto& s) { EXPECT_EQ(s.levels.monitorLevel, 0); EXPECT_EQ(s.levels.levelTarget, LevelTarget::none); }},
        {"F12 round", {}, keys({keyF12, keyF12, keyF12}), "AC000;AC110;AC110;",
         "tuner / off / tuner / both / tuner / on",
         [](auto& s) { EXPECT_EQ(s.config.tunerMode * 10 + s.switches.tunerEngaged, 1); }},
        {"X R on an IC-7300", [](auto& s) { s.link.radioId = 148; }, keys({keyX, keyR, keyX, keyR}), "EX1081;EX1080;",
         "extcm / on / rts / on / extcm / on / rts / off", [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"X R elsewhere", [](auto& s) { s.link.radioId = 112; }, keys({keyX, keyR}), "", "extcm / on / rts / na"},
        {"X W steps and latches until X", {}, keys({keyX, keyW, keyW, keyJ, keyW, keyX}), "Z71;Z72;Z70;",
         "extcm / on / txbw / mid / txbw / nar / txbw / wide / extcm / off",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); EXPECT_EQ(s.switches.txbwLatch, 0); }},
        {"X L locks and unlocks", [](auto& s) { s.link.lockAvailable = 1; }, keys({keyX, keyL, keyX, keyL}), "LO1;LO0;",
         "extcm / on / lock / extcm / on / unlock"},
        {"X L without a lock", {}, keys({keyX, keyL}), "", "extcm / on / lock / na"},
        {"K in and out", {}, keys({keyK, keyK}), "MD3;FW0600;KS;VX2;MD2;SH07;BI0;",
         "ks / on / 1 / 5 / wpm / ks / off / 1 / 5 / wpm",
         [](auto& s) { EXPECT_EQ(s.dial.mode, 2); EXPECT_EQ(s.keys.keyPrefix, Prefix::none); }},
        {"another key leaves the keyer silently", [](auto& s) { s.config.powerPercent = 50; },
         keys({keyK, keyDown, keyJ}),
         "MD3;FW0600;KS;VX2;KS014;MD2;SH07;PC050;FA00014200000;", "ks / on / 1 / 5 / wpm"},
        {"F11 watch, Up, F11", [](auto& s) { s.levels.micGain = 128; }, keys({keyF11, keyUp, keyF11}), "MG138;",
         "micgain / lev / 5 / 0 / perc / micgain / lev / 5 / 4 / perc / off",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::none); EXPECT_EQ(s.levels.micGainWatch, 0); }},
        {"another key ends the watch and goes on", [](auto& s) { s.levels.micGain = 255; }, keys({keyF11, keyF1}),
         "PA1;",
         "micgain / lev / 1 / 0 / 0 / perc / micgain / lev / 1 / 0 / 0 / perc / off / preamp / on",
         [](auto& s) { EXPECT_EQ(s.keys.keyPrefix, Prefix::micGain); }},
    };
    for (const Case& c : cases) runCase(c);
}

TEST(Keys, TransmitAndTune) {
    const Case cases[] = {
        {"Space on and off, twice", [](auto& s) { s.config.swrAlert = 1; },
         keys({keySpace, keySpace, keySpace, keySpace}),
         "Z5;Z6;RX;Z5;Z6;RX;", "tx / on / tx / off / tx / on / tx / off",
         [](auto& s) { EXPECT_EQ(s.config.swrAlert * 10 + s.transmit.txState, 10); }},
        {"while transmitting the SWR is kept back", [](auto& s) { s.config.swrAlert = 1; }, keys({keySpace}), "Z5;",
         "tx / on", [](auto& s) { EXPECT_EQ(s.transmit.txState * 10 + s.config.swrAlert, 110); }},
        {"tuner mode 0: the whole tune at once, no carrier", {}, keys({keyT}), "AC110;AC111;AC110;AC110;",
         "tune / on / ok / tune / off", [](auto& s) { EXPECT_EQ(s.transmit.tuning + s.switches.tunerEngaged, 0); }},
        {"tuner mode 1: a carrier until the second T",
         [](auto& s) {
             s.config.tunerMode = 1, s.link.radioId = 148, s.config.swrAlert = 2, s.config.powerPercent = 50;
         },
         keys({keyT, keyJ, keyT}), "PC040;MD5;Z5;Z6;RX;PC050;MD2;SH07;",
         "tune / on / atu / off / ton / tune / off",
         [](auto& s) { EXPECT_EQ(s.transmit.tuning * 10 + s.config.swrAlert, 1); }},
        {"tuner mode 2: the tuner, then a carrier",
         [](auto& s) { s.config.tunerMode = 2, s.switches.tunerEngaged = 1; },
         keys({keyT, keyT}), "AC111;AC110;PC050;MD5;Z5;Z6;RX;PC100;MD2;SH07;", "tune / on / ok / tune / off"},
        {"identity 164 tunes at full power",
         [](auto& s) { s.config.tunerMode = 1, s.link.radioId = 164, s.switches.tunerEngaged = 1; },
         keys({keyT}), "PC100;MD5;Z5;", "tune / on"},
    };
    for (const Case& c : cases) runCase(c);
}

// Store, recall and step through channels, with the memory file written.
TEST(Keys, Channels) {
    PanelRig rig;
    vocrig::panel::PanelState& s = rig.state;
    s.poll.connected = 1;
    s.dial.mode = 2;
    s.dial.bandIndex = 6;
    s.switches.preampOn = 1;
    auto press = [&](const std::string& text) {
        for (const Event& e : typed(text)) rig.panel.handleEvent(e);
    };
    // Stored at once, before the radio has answered with the typed frequency.
    press("E14.25\n");
    spoken(rig);

    press("C3");
    EXPECT_EQ(s.memory.memorySlots[3], "0206A00014250000B000142500009991");
    EXPECT_EQ(spoken(rig), "sch / 3 / ok");
    EXPECT_NE(rig.files.files["savmem.dat"].find("\r\n0206A00014250000B000142500009991\r\n"), std::string::npos);
    EXPECT_NE(rig.files.files["memory.txt"].find("Slot 3 A=14.25  B=14.25  USB"), std::string::npos);

    s.memory.memorySlots[5] = "1";  // a damaged line, as read from the file
    s.memory.memorySlots[7] = "1512A00145500000B0014490000088.50";
    rig.sent();
    press("G7");
    EXPECT_EQ(rig.sent(), "FA00145500000;MD4;Z3;SQ0;CN88.5;CT1;FT1;FB00144900000;PA0;");
    EXPECT_EQ(spoken(rig), "gch / 7 / 1 / 4 / 5 / point / 5 / mhz / fm / nar / ctcss / 8 / 8 / point / 5 / "
                           "preamp / off");
    EXPECT_EQ(s.memory.bandTable[12], "05A00145500000B0014490000088.50");  // the mode send wrote split off
    EXPECT_EQ(s.dial.bandIndex, 12);
    EXPECT_EQ(s.dial.splitOn, Split::on);
    EXPECT_EQ(s.tone.toneEntry, ToneEntry::typing);

    // U steps past the empty slots to 3, wrapping; the damaged one is refused.
    press("U");
    EXPECT_EQ(rig.sent(), "FA00014250000;MD2;SH07;CT0;FT1;RX0;PA1;");
    EXPECT_EQ(spoken(rig), "channel / 3 / split / off / 1 / 4 / point / 2 / 5 / mhz / usb / ctcss / off / preamp / on");
    EXPECT_EQ(s.channels.channelSlot, 3);
    press("U");
    EXPECT_EQ(s.channels.channelSlot, 5);
    EXPECT_EQ(rig.sent(), "");
    EXPECT_EQ(spoken(rig), "channel / 5 / invalid");
    EXPECT_EQ(s.channels.channelBank, 99);
    press("U");
    EXPECT_EQ(spoken(rig), "");  // no recalled channel now
    press("G4");
    EXPECT_EQ(spoken(rig), "gch / 4 / invalid");
    EXPECT_EQ(rig.sent(), "");

    // B and a digit choose the bank: bank 3 slot 5 is record 35, listed under Bank3.
    press("CB35");
    EXPECT_EQ(spoken(rig), "sch / bank / bank / 3 / 5 / ok");
    EXPECT_NE(rig.files.files["memory.txt"].find("Bank3\r\nSlot 5 A=14.25  B=14.25  USB"), std::string::npos);
    press("G5");  // G alone is bank 0, where slot 5 is the damaged line
    EXPECT_EQ(spoken(rig), "gch / 5 / invalid");
    press("GB35");
    EXPECT_EQ(rig.sent(), "FA00014250000;MD2;SH07;CT0;FT1;RX0;PA1;");
    EXPECT_EQ(spoken(rig), "gch / bank / bank / 3 / 5 / 1 / 4 / point / 2 / 5 / mhz / usb / preamp / on");
    press("U");  // U stays in the recalled bank: 35 is its only channel
    EXPECT_EQ(spoken(rig), "channel / 5 / 1 / 4 / point / 2 / 5 / mhz / usb / preamp / on");
    // Another key after the bank cancels the store: the digit after it stores nothing.
    const std::string saved = rig.files.files["savmem.dat"];
    press("CB4M6");
    EXPECT_EQ(spoken(rig), "sch / bank / bank / 4");
    EXPECT_EQ(rig.files.files["savmem.dat"], saved);
    rig.sent();

    // A tone stored while it was still being typed is no tone: none is sent.
    s.memory.memorySlots[6] = "0512A00145500000B001455000001.0";
    press("G6");
    EXPECT_EQ(rig.sent(), "FA00145500000;MD4;Z3;SQ0;CT0;FT1;RX0;PA0;");
    EXPECT_EQ(s.tone.toneText, "999");

    // A recalled tone is on like a band's: the next band without one switches it off.
    press("G7");
    rig.sent();
    spoken(rig);
    press("B4");
    EXPECT_EQ(rig.sent(), "RX0;FA00007100000;FT0;MD1;SH07;CT0;PA0;");
}

}  // namespace
