// The panel's keys: a configured panel, its link started or only opened,
// takes a script of key presses, releases and auto-repeats, timer ticks that
// run the poll, and the translator's replies. Every command it sends is sound,
// what the keys are typing stays within its bounds, the state stays in range,
// the dial follows the radio's frequency answer, and the channels it saves
// load back to the same file.
//
// Script: three set-up bytes (options, the radio's identity, tuner and power),
// then events, each an op byte: op % 8 is 0-2 a press (down and up), 3 a key
// down, 4 a key up, 5 an auto-repeat, 6 op / 8 + 1 ticks of 20 ms, 7 a reply
// (op / 8 picks a well-formed one, past the table a read's worth of raw bytes).
// A key is a byte: below 3 * the key table's size a key of the table, else the
// next byte as a raw key code.
#include <algorithm>
#include <iterator>

#include "key_codes.h"
#include "panel_rig.h"
#include "test_config.h"

namespace {

using namespace vocrig::fuzz;
namespace panel = vocrig::panel;
using vocrig::platform::Event;
using vocrig::platform::EventType;

const int maxEvents = 2000;
const size_t maxWaitingBytes = 4096;  // a serial driver's buffer: a flood stops there

// clang-format off
const int keys[] = {
    panel::keyA, panel::keyB, panel::keyC, panel::keyD, panel::keyE, panel::keyF, panel::keyG, panel::keyH,
    panel::keyI, 'J', panel::keyK, panel::keyL, panel::keyM, panel::keyN, panel::keyO, panel::keyP,
    panel::keyQ, panel::keyR, panel::keyS, panel::keyT, panel::keyU, panel::keyV, panel::keyW, panel::keyX,
    'Y', panel::keyZ, panel::key0, panel::key1, panel::key2, panel::key3, panel::key4, panel::key5,
    panel::key6, panel::key7, panel::key8, panel::key9,
    panel::keyPoint, panel::keyEnter, panel::keyLeft, panel::keyUp, panel::keyRight, panel::keyDown,
    panel::keyPageUp, panel::keyPageDown,
    panel::keyF1, panel::keyF2, panel::keyF3, panel::keyF4, panel::keyF5, panel::keyF6, panel::keyF7, panel::keyF8,
    panel::keyF9, panel::keyF10, panel::keyF11, panel::keyF12,
    panel::keySpace, 27, panel::keyPlus, panel::keyMinus, 9, 36,  // Escape, Tab and Home are unassigned
    panel::keyPad0, panel::keyPad1, panel::keyPad2, panel::keyPad3, panel::keyPad4, panel::keyPad5, panel::keyPad6,
    panel::keyPad7, panel::keyPad8, panel::keyPad9, panel::keyPadPoint,
    panel::keyShift, panel::keyCtrl, panel::keyInsert, panel::keyLeftWindows,
};
// clang-format on
const int keyCount = static_cast<int>(std::size(keys));

const char* const replies[] = {
    "FA00014200000;", "FB00014205000;", "FA00007100000;", "FA00145500000;", "FA00432100000;",
    "FA00050125000;", "FA00000500000;", "FA00028400000;", "SM0120;", "SM0005;", "SM0255;", "RM1050;",
    "RM3100;", "Z51;", "Z53;", "Z54;", "Z5;", "SQ0080;", "SQ0000;", "MG050;", "AG0128;", "NL005;",
    "RL05;", "KS020;", "ML010;", "VX1;", "BI1;", "NR1;", "PR1;", "NC;",
};

int keyFrom(Script& script) {
    const int b = script.byte();
    return b < 3 * keyCount ? keys[b % keyCount] : script.byte();
}

bool isDigits(const std::string& text) { return text.find_first_not_of("0123456789") == std::string::npos; }

void checkState(const panel::PanelState& s) {
    check(s.dial.frequency >= 0 && s.dial.frequency <= panel::maxFrequency, "the dial frequency fits 11 digits");
    check(s.entry.entryMHz == panel::noEntry || (s.entry.entryMHz >= 0 && s.entry.entryMHz <= 99999),
          "typed megahertz stay five digits");
    const size_t decimals =
        s.entry.entryZeros.size() + (s.entry.entryFraction > 0 ? std::to_string(s.entry.entryFraction).size() : 0);
    check(s.entry.entryFraction >= 0 && decimals <= 6 && s.entry.entryZeros.find_first_not_of('0') == std::string::npos,
          "typed decimals stay six digits", s.entry.entryZeros);
    check(s.tone.toneText.size() <= 7 && s.tone.toneText.find_first_not_of("0123456789.NR") == std::string::npos,
          "a tone stays seven tone characters", s.tone.toneText);
    check(s.poll.vfoAText.size() == 12 && s.poll.vfoAText[0] == 'A' && isDigits(s.poll.vfoAText.substr(1)) &&
              s.poll.vfoBText.size() == 12 && s.poll.vfoBText[0] == 'B' && isDigits(s.poll.vfoBText.substr(1)),
          "a VFO is its letter and 11 digits", s.poll.vfoAText + s.poll.vfoBText);
    check((s.dial.bandIndex >= 1 && s.dial.bandIndex <= panel::bandRows) || s.dial.bandIndex == panel::noBand,
          "the band is a row or none");
    check(s.dial.mode >= 0 && s.dial.mode <= panel::modeDstar, "the mode is a mode number");
    using P = panel::Prefix;
    const P prefixes[] = {P::none,   P::band,  P::width, P::power,   P::rfGain,
                          P::afGain, P::level, P::keyer, P::micGain, P::extended};
    check(std::find(std::begin(prefixes), std::end(prefixes), s.keys.keyPrefix) != std::end(prefixes),
          "the prefix is one of the prefixes");
    const int channelOp = static_cast<int>(s.channels.channelOp), toneEntry = static_cast<int>(s.tone.toneEntry),
              splitOn = static_cast<int>(s.dial.splitOn);
    check(
        channelOp >= 0 && channelOp <= 2 && s.channels.channelBankChoice >= 0 && s.channels.channelBankChoice <= 9 &&
            ((s.channels.channelBank >= 0 && s.channels.channelBank <= 9) || s.channels.channelBank == panel::noBand) &&
            s.channels.channelSlot >= 0 && s.channels.channelSlot <= 9,
        "a channel is one of the hundred");
    check(s.entry.freqEntry >= 0 && s.entry.freqEntry <= 1 && s.entry.entryPoint >= 0 && s.entry.entryPoint <= 1 &&
              toneEntry >= 0 && toneEntry <= 2 && splitOn >= 0 && splitOn <= 2,
          "the entry states are their values");
    check(s.config.powerPercent >= 0 && s.config.powerPercent <= 100, "the power is a percentage");
}

// The dial follows the radio: a frequency answer taken sets the dial and the band from its 11 digits.
void checkAnswerTaken(const panel::PanelState& s, const std::string& before) {
    if (s.poll.lastFreqReply == before || s.poll.lastFreqReply.size() != 13) return;
    const long long hz = panel::hertzOf(s.poll.lastFreqReply.substr(2));
    check(s.dial.frequency == hz, "the dial frequency is the answer's", s.poll.lastFreqReply);
    check(s.dial.bandIndex == panel::bandForMHz(hz / 1'000'000), "the band is the answer's", s.poll.lastFreqReply);
}

// What the panel saved loads back: a fresh panel reading its files saves the same rows and listing.
void checkSavedChannels(PanelRig& p) {
    const auto saved = p.files.files.find("savmem.dat");
    if (saved == p.files.files.end()) return;
    PanelRig fresh;
    fresh.files.files = p.files.files;
    fresh.panel.loadMemory();
    fresh.panel.saveMemory();
    const std::string& first = saved->second;
    const std::string& second = fresh.files.files["savmem.dat"];
    // The header holds the band and the noise reduction of the moment; the rows follow it.
    check(second.substr(second.find('\n')) == first.substr(first.find('\n')), "saved rows reload to the same bytes",
          second);
    check(fresh.files.files["memory.txt"] == p.files.files["memory.txt"], "saved channels reload to the same listing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Script script(data, size);
    PanelRig p;
    const uint8_t options = script.byte(), identity = script.byte(), levels = script.byte();
    static const char* const plans[] = {"1", "6", "2", "7"};
    static const int powers[] = {100, 50, 5, 0};
    p.files.files["vocrig.cfg"] = vocrig::test::TestConfig{.lockLine = (options & 8) != 0,
                                                           .lock = '1',
                                                           .powerSwitch = (options & 16) ? 1 : 0,
                                                           .power = powers[levels / 3 % 4],
                                                           .swr = (options & 128) ? 1 : 0,
                                                           .tuner = levels % 3,
                                                           .bandPlan = plans[options >> 5 & 3],
                                                           .diag = (options & 4) ? 1 : 0}
                                      .text();
    p.panel.readConfiguration();

    if (options & 1) {
        // The link's start, the radio's identity answered once the port is open.
        bool answered = identity == 0;
        p.clock.onAdvance = [&] {
            if (answered || !p.port.isOpen()) return;
            p.port.inject(std::string("Z1") + static_cast<char>(identity) + ";");
            answered = true;
        };
        p.panel.openLink();
        p.clock.onAdvance = nullptr;
    } else {
        p.port.open("COM21");
    }
    // Connected at once, or by the first frequency answer (which sets the radio up for the band).
    if (options & 2) p.state.poll.connected = 1;
    p.state.program.running = 1;
    p.checkCommands();
    checkState(p.state);

    auto key = [&](int code, bool down, bool repeat = false) {
        p.panel.handleEvent(Event{down ? EventType::KeyDown : EventType::KeyUp, code, repeat});
    };
    for (int n = 0; n < maxEvents && !script.done() && p.state.program.running == 1; ++n) {
        const uint8_t op = script.byte();
        const std::string answerBefore = p.state.poll.lastFreqReply;
        p.port.writes.clear();
        switch (op % 8) {
            case 3: key(keyFrom(script), true); break;
            case 4: key(op & 8 ? p.state.keys.heldKey : keyFrom(script), false); break;
            case 5: key(op & 8 ? p.state.keys.heldKey : keyFrom(script), true, true); break;
            case 6:
                for (int tick = 0; tick <= op / 8; ++tick) {
                    p.clock.advance(20'000);
                    p.panel.handleEvent(Event{EventType::Timer, 0, false});
                }
                break;
            case 7: {
                const size_t pick = op / 8;
                const std::string bytes = pick < std::size(replies) ? replies[pick] : script.chunk();
                if (p.port.inbox.size() < maxWaitingBytes) p.port.inject(bytes);
                break;
            }
            default: {
                const int code = keyFrom(script);
                key(code, true);
                key(code, false);
            }
        }
        p.checkCommands();
        checkState(p.state);
        checkAnswerTaken(p.state, answerBefore);
        p.speaker.words.clear();
        p.speaker.files.clear();
        p.window.drawn.clear();
    }

    // The orderly close: it ends a transmission, stores the band row and saves the tables.
    p.port.writes.clear();
    p.panel.shutDown();
    p.checkCommands();
    checkSavedChannels(p);
    return 0;
}
