// Frequency and channel entry: the digit keys in every entry state, direct
// frequency entry (E, digits, ".", Enter), the ten channels of a bank (C, G,
// U), zero (Z), and the frequency keys of the dispatch end with the FM squelch.

#include <algorithm>

#include "key_codes.h"
#include "panel.h"

namespace vocrig::panel {

namespace {

const int maxEntryMHz = 99999;   // five megahertz digits
const size_t maxEntryDecimals = 6;
const size_t maxToneLength = 7;  // "254.999", "R754": longer is no tone
const int slotsPerBank = 10;

std::string digitWord(int d) { return std::string(1, static_cast<char>('0' + d)); }

bool isEmptySlot(const std::string& record) { return !record.empty() && record[0] == '9'; }

}  // namespace

long long hertzOf(const std::string& text) {
    long long value = 0;
    for (size_t i = 0; i < text.size() && i < 11 && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

void Panel::digitKey(int digit) {
    PanelState& s = state;
    const bool pending = s.keys.keyPrefix != Prefix::none || s.entry.freqEntry != 0 ||
                         s.channels.channelOp != ChannelOp::none || s.tone.toneEntry != ToneEntry::none;
    if (!pending) return;
    s.link.commandText.clear();

    // A digit that picks a bank or a channel is used up by it.
    if (s.channels.channelOp != ChannelOp::none && s.channels.choosingBank == 1) {
        s.channels.choosingBank = 0;
        s.channels.channelBankChoice = digit;
        sayWord("bank");
        sayWord(digitWord(digit));
        return;
    }
    if (s.channels.channelOp == ChannelOp::store) {
        storeChannel(digit);
        return;
    }
    if (s.channels.channelOp == ChannelOp::recall) {
        recallChannel(std::clamp(s.channels.channelBankChoice, 0, 9), digit);
        return;
    }
    if (s.keys.keyPrefix == Prefix::none && s.entry.freqEntry == 1) {
        if (s.entry.entryPoint == 1) {
            const size_t typed = s.entry.entryZeros.size() +
                                 (s.entry.entryFraction > 0 ? std::to_string(s.entry.entryFraction).size() : 0);
            if (typed >= maxEntryDecimals) {
                sayWord("max");
                return;
            }
            if (s.entry.entryFraction == 0 && digit == 0) s.entry.entryZeros.insert(0, "0");
            s.entry.entryFraction = s.entry.entryFraction * 10 + digit;
        } else {
            if (s.entry.entryMHz * 10 + digit > maxEntryMHz) {
                sayWord("max");
                return;
            }
            s.entry.entryMHz = s.entry.entryMHz * 10 + digit;
        }
        sayWord(digitWord(digit));
        return;
    }
    if (s.keys.keyPrefix == Prefix::band) {
        selectBand(digit == 0 ? 10 : digit);  // 1 to 9, and 0 for 10 m
        return;
    }
    if (s.tone.toneEntry == ToneEntry::typing && s.tone.toneOn == 0) {
        if (isNoTone(s.tone.toneText)) s.tone.toneText.clear();
        if (s.tone.toneText.size() >= maxToneLength) {
            sayWord("max");
            return;
        }
        s.tone.toneText += digitWord(digit);
        sayWord(digitWord(digit));
    }
}

Panel::Flow Panel::startFrequencyEntry() {
    state.entry = {};
    state.entry.entryMHz = 0;
    state.keys.keyPrefix = Prefix::none;
    sayWord("EF");
    state.entry.freqEntry = 1;
    return Flow::stop;
}

Panel::Flow Panel::entryPoint() {
    state.entry.entryPoint = 1;
    state.entry.entryZeros.clear();
    sayWord("point");
    if (state.tone.toneEntry == ToneEntry::typing && state.tone.toneText.size() < maxToneLength)
        state.tone.toneText += ".";
    return Flow::stop;
}

Panel::Flow Panel::takeFrequencyEntry() {
    PanelState& s = state;
    if (s.entry.freqEntry == 0) return Flow::stop;
    if (!s.tone.toneText.empty() && s.tone.toneText.back() == '.') s.tone.toneText.pop_back();
    s.entry.freqEntry = 0;
    s.poll.tickCount = 0;
    s.poll.busy = 1;

    // The band and its mode follow the typed megahertz; FM is refused below 25 MHz.
    const int band = bandForTypedMHz(s.entry.entryMHz);
    if (band == generalCoverage && s.dial.splitOn != Split::off) s.dial.splitOn = Split::off;
    s.dial.bandIndex = band;
    const BandRecord row(s.memory.bandTable[static_cast<size_t>(band)]);
    s.dial.mode = row.mode();
    if (s.entry.entryMHz < 25 && modeClass(s.dial.mode) == ModeClass::fm) s.dial.mode = modeAm;
    sendMode();

    std::string command =
        (s.dial.splitOn != Split::off ? "FB" : "FA") + zeroPadded(s.entry.entryMHz, 5) + s.entry.entryZeros;
    if (s.entry.entryFraction > 0)
        command += std::to_string(s.entry.entryFraction);
    else if (s.entry.entryZeros.empty())
        command += "0";
    command.resize(13, '0');
    send(command);
    s.dial.frequency = hertzOf(command.substr(2));
    noteFrequencySent();

    setPreamp(row.preampDigit() == 1 ? 1 : 0);
    sayWord("ok");
    s.poll.busy = 0;
    return Flow::stop;
}

Panel::Flow Panel::startStore() {
    state.channels.channelOp = ChannelOp::store;
    sayWord("sch");
    return Flow::stop;
}

Panel::Flow Panel::startRecall() {
    state.channels.channelBankChoice = 0;
    state.channels.channelOp = ChannelOp::recall;
    sayWord("gch");
    return Flow::stop;
}

void Panel::storeChannel(int slot) {
    PanelState& s = state;
    const bool split = s.dial.splitOn != Split::off;
    std::string record = split ? "1" : "0";
    record += static_cast<char>('0' + std::clamp(s.dial.mode, 0, 9));
    record += s.dial.bandIndex >= 1 && s.dial.bandIndex <= bandRows ? zeroPadded(s.dial.bandIndex, 2) : "99";
    const std::string vfoADigits =
        s.poll.vfoAText.size() >= 11 ? s.poll.vfoAText.substr(s.poll.vfoAText.size() - 11) : "";
    record += s.poll.vfoAText + (split ? s.poll.vfoBText : "B" + vfoADigits);
    record += s.tone.toneEntry != ToneEntry::none ? s.tone.toneText : Tone::noneText;
    record += s.switches.preampOn == 1 ? "1" : "0";

    const int bank = std::clamp(s.channels.channelBankChoice, 0, 9);
    s.memory.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)] = record;
    s.channels.channelOp = ChannelOp::none;
    saveMemory();
    sayWord(digitWord(slot));
    sayWord("ok");
}

void Panel::recallChannel(int bank, int slot) {
    PanelState& s = state;
    s.channels.channelOp = ChannelOp::none;
    s.channels.channelBank = bank;
    s.channels.channelSlot = slot;
    const std::string oldTone = s.tone.toneText;
    sayWord(digitWord(slot));
    const std::string record = s.memory.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)];
    // An empty slot, or a line of savmem.dat that is no channel record (kept
    // as it was read, never sent).
    if (isEmptySlot(record) || !isMemoryRecord(record)) {
        sayWord("invalid");
        s.channels.channelBank = noBand;
        return;
    }

    // The channel is a band row with its band number after the mode.
    const BandRecord channel(record.substr(0, 2) + record.substr(4));
    s.poll.tickCount = 0;
    if (channel.splitFlag() == 0 && s.dial.splitOn != Split::off) {
        sayWord("split");
        sayWord("off");
    }
    s.dial.splitOn = Split::off;

    const int band = numberOf(record.substr(2, 2));
    s.dial.bandIndex = band >= 1 && band <= bandRows ? band : noBand;
    if (s.dial.bandIndex != noBand) s.memory.bandTable[static_cast<size_t>(band)] = channel.text();

    send("FA" + channel.vfoA());
    s.poll.vfoAText = "A" + channel.vfoA();
    s.dial.frequency = hertzOf(channel.vfoA());

    s.dial.mode = channel.mode();
    sayFrequency();
    sendMode();
    sayMode();

    applyStoredTone(channel, Occasion::channelRecall, oldTone);

    send("FT1");
    if (channel.splitFlag() == 0) {
        send("RX0");
    } else if (channel.splitFlag() == 1) {
        s.dial.splitOn = Split::on;
        send("FB" + channel.vfoB());
    }
    setPreamp(channel.preamp() ? 1 : 0);
    s.keys.keyPrefix = Prefix::none;
}

Panel::Flow Panel::nextChannel() {
    PanelState& s = state;
    if (s.channels.channelBank == noBand) return Flow::stop;
    const int bank = std::clamp(s.channels.channelBank, 0, 9);
    int slot = s.channels.channelSlot;
    for (int step = 0; step < slotsPerBank; ++step) {
        slot = (slot + 1) % slotsPerBank;
        if (!isEmptySlot(s.memory.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)])) break;
    }
    sayWord("channel");
    s.channels.channelOp = ChannelOp::recall;
    recallChannel(bank, slot);
    return Flow::stop;
}

Panel::Flow Panel::zeroFrequency() {
    PanelState& s = state;
    sayWord("0");
    sayWord("ok");
    if (s.dial.mode == modeCw) {
        send("CA01");
        return Flow::stop;
    }
    // Round down to a whole kilohertz; already on one, one kilohertz on: up in USB, down otherwise.
    const long long rounded = s.dial.frequency - s.dial.frequency % 1000;
    long long target = rounded;
    if (rounded == s.dial.frequency)
        target += s.dial.mode == modeUsb ? 1000 : -1000;
    else if (s.dial.mode == modeUsb)
        target += 1000;
    stepFrequency(target - s.dial.frequency);
    sendFrequency();
    return Flow::stop;
}

Panel::Flow Panel::frequencyUp() {
    stepFrequency(state.dial.mode == modeCw ? 500 : 1000);
    return Flow::goOn;
}

Panel::Flow Panel::frequencyDown() {
    stepFrequency(state.dial.mode == modeCw ? -500 : -1000);
    return Flow::goOn;
}

bool Panel::applyFrequencyKey() {
    const PanelState& s = state;
    const bool fm = modeClass(s.dial.mode) == ModeClass::fm;
    const long long page = fm && s.dial.bandIndex >= 12 && s.dial.bandIndex != noBand ? 12500 : 10000;
    const long long fine = s.dial.mode == modeCw ? 10 : 100;
    switch (s.keys.keyCode) {
        case keyPlus: stepFrequency(1000000); break;
        case keyMinus: stepFrequency(-1000000); break;
        case keyPageUp: stepFrequency(page); break;
        case keyPageDown: stepFrequency(-page); break;
        case keyRight:
        case keyLeft:
            if (fm) {
                stepSquelch(s.keys.keyCode == keyRight ? 5 : -5);
                return false;
            }
            stepFrequency(s.keys.keyCode == keyRight ? fine : -fine);
            break;
        default: break;
    }
    return true;
}

void Panel::stepFrequency(long long hz) {
    long long& f = state.dial.frequency;
    f = std::clamp(f, 0LL, maxFrequency);
    if (hz > maxFrequency - f) {
        f = maxFrequency;
        sayWord("max");
    } else if (hz < -f) {
        f = 0;
        sayWord("min");
    } else {
        f += hz;
    }
}

void Panel::sendFrequency() {
    send("FA" + zeroPadded(state.dial.frequency, 11));
    noteFrequencySent();
}

void Panel::noteFrequencySent() {
    // The VFO holds what was just set: a channel stored before the radio's
    // next answer must not take the frequency from before.
    const std::string& sent = state.link.lastFreqCommand;
    if (sent.size() != 14) return;
    if (sent.compare(0, 2, "FA") == 0) state.poll.vfoAText = "A" + sent.substr(2, 11);
    if (sent.compare(0, 2, "FB") == 0) state.poll.vfoBText = "B" + sent.substr(2, 11);
}

void Panel::stepSquelch(int amount) {
    int& squelch = state.dial.squelch;
    squelch = std::clamp(squelch, 0, 255) + amount;
    if (squelch > 255) {
        squelch = 255;
        sayWord("max");
    } else if (squelch < 1) {
        squelch = 0;
        sayWord("0");
    }
    send("SQ0" + zeroPadded(squelch, 3));
}

}  // namespace vocrig::panel
