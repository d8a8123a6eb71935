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
    const bool pending = s.keyPrefix != Prefix::none || s.freqEntry != 0 || s.channelOp != ChannelOp::none ||
                         s.toneEntry != ToneEntry::none;
    if (!pending) return;
    s.commandText.clear();

    // A digit that picks a bank or a channel is used up by it.
    if (s.channelOp != ChannelOp::none && s.choosingBank == 1) {
        s.choosingBank = 0;
        s.channelBankChoice = digit;
        sayWord("bank");
        sayWord(digitWord(digit));
        return;
    }
    if (s.channelOp == ChannelOp::store) {
        storeChannel(digit);
        return;
    }
    if (s.channelOp == ChannelOp::recall) {
        recallChannel(std::clamp(s.channelBankChoice, 0, 9), digit);
        return;
    }
    if (s.keyPrefix == Prefix::none && s.freqEntry == 1) {
        if (s.entryPoint == 1) {
            const size_t typed =
                s.entryZeros.size() + (s.entryFraction > 0 ? std::to_string(s.entryFraction).size() : 0);
            if (typed >= maxEntryDecimals) {
                sayWord("max");
                return;
            }
            if (s.entryFraction == 0 && digit == 0) s.entryZeros.insert(0, "0");
            s.entryFraction = s.entryFraction * 10 + digit;
        } else {
            if (s.entryMHz * 10 + digit > maxEntryMHz) {
                sayWord("max");
                return;
            }
            s.entryMHz = s.entryMHz * 10 + digit;
        }
        sayWord(digitWord(digit));
        return;
    }
    if (s.keyPrefix == Prefix::band) {
        selectBand(digit == 0 ? 10 : digit);  // 1 to 9, and 0 for 10 m
        return;
    }
    if (s.toneEntry == ToneEntry::typing && s.toneOn == 0) {
        if (isNoTone(s.toneText)) s.toneText.clear();
        if (s.toneText.size() >= maxToneLength) {
            sayWord("max");
            return;
        }
        s.toneText += digitWord(digit);
        sayWord(digitWord(digit));
    }
}

Panel::Flow Panel::startFrequencyEntry() {
    state.entryMHz = 0;
    state.entryFraction = 0;
    state.keyPrefix = Prefix::none;
    sayWord("EF");
    state.entryPoint = 0;
    state.freqEntry = 1;
    return Flow::stop;
}

Panel::Flow Panel::entryPoint() {
    state.entryPoint = 1;
    state.entryZeros.clear();
    sayWord("point");
    if (state.toneEntry == ToneEntry::typing && state.toneText.size() < maxToneLength) state.toneText += ".";
    return Flow::stop;
}

Panel::Flow Panel::takeFrequencyEntry() {
    PanelState& s = state;
    if (s.freqEntry == 0) return Flow::stop;
    if (!s.toneText.empty() && s.toneText.back() == '.') s.toneText.pop_back();
    s.freqEntry = 0;
    s.tickCount = 0;
    s.busy = 1;

    // The band and its mode follow the typed megahertz; FM is refused below 25 MHz.
    const int band = bandForTypedMHz(s.entryMHz);
    if (band == generalCoverage && s.splitOn != Split::off) s.splitOn = Split::off;
    s.bandIndex = band;
    const BandRecord row(s.bandTable[static_cast<size_t>(band)]);
    s.mode = row.mode();
    if (s.entryMHz < 25 && modeClass(s.mode) == ModeClass::fm) s.mode = modeAm;
    sendMode();

    std::string command = (s.splitOn != Split::off ? "FB" : "FA") + zeroPadded(s.entryMHz, 5) + s.entryZeros;
    if (s.entryFraction > 0) command += std::to_string(s.entryFraction);
    else if (s.entryZeros.empty()) command += "0";
    command.resize(13, '0');
    send(command);
    s.frequency = hertzOf(command.substr(2));
    noteFrequencySent();

    setPreamp(row.preampDigit() == 1 ? 1 : 0);
    sayWord("ok");
    s.busy = 0;
    return Flow::stop;
}

Panel::Flow Panel::startStore() {
    state.channelOp = ChannelOp::store;
    sayWord("sch");
    return Flow::stop;
}

Panel::Flow Panel::startRecall() {
    state.channelBankChoice = 0;
    state.channelOp = ChannelOp::recall;
    sayWord("gch");
    return Flow::stop;
}

void Panel::storeChannel(int slot) {
    PanelState& s = state;
    const bool split = s.splitOn != Split::off;
    std::string record = split ? "1" : "0";
    record += static_cast<char>('0' + std::clamp(s.mode, 0, 9));
    record += s.bandIndex >= 1 && s.bandIndex <= bandRows ? zeroPadded(s.bandIndex, 2) : "99";
    const std::string vfoADigits = s.vfoAText.size() >= 11 ? s.vfoAText.substr(s.vfoAText.size() - 11) : "";
    record += s.vfoAText + (split ? s.vfoBText : "B" + vfoADigits);
    record += s.toneEntry != ToneEntry::none ? s.toneText : Tone::noneText;
    record += s.preampOn == 1 ? "1" : "0";

    const int bank = std::clamp(s.channelBankChoice, 0, 9);
    s.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)] = record;
    s.channelOp = ChannelOp::none;
    saveMemory();
    sayWord(digitWord(slot));
    sayWord("ok");
}

void Panel::recallChannel(int bank, int slot) {
    PanelState& s = state;
    s.channelOp = ChannelOp::none;
    s.channelBank = bank;
    s.channelSlot = slot;
    const std::string oldTone = s.toneText;
    sayWord(digitWord(slot));
    const std::string record = s.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)];
    // An empty slot, or a line of savmem.dat that is no channel record (kept
    // as it was read, never sent).
    if (isEmptySlot(record) || !isMemoryRecord(record)) {
        sayWord("invalid");
        s.channelBank = noBand;
        return;
    }

    // The channel is a band row with its band number after the mode.
    const BandRecord channel(record.substr(0, 2) + record.substr(4));
    s.tickCount = 0;
    if (channel.splitFlag() == 0 && s.splitOn != Split::off) {
        sayWord("split");
        sayWord("off");
    }
    s.splitOn = Split::off;

    const int band = numberOf(record.substr(2, 2));
    s.bandIndex = band >= 1 && band <= bandRows ? band : noBand;
    if (s.bandIndex != noBand) s.bandTable[static_cast<size_t>(band)] = channel.text();

    send("FA" + channel.vfoA());
    s.vfoAText = "A" + channel.vfoA();
    s.frequency = hertzOf(channel.vfoA());

    s.mode = channel.mode();
    sayFrequency();
    sendMode();
    sayMode();

    applyStoredTone(channel, Occasion::channelRecall, oldTone);

    send("FT1");
    if (channel.splitFlag() == 0) {
        send("RX0");
    } else if (channel.splitFlag() == 1) {
        s.splitOn = Split::on;
        send("FB" + channel.vfoB());
    }
    setPreamp(channel.preamp() ? 1 : 0);
    s.keyPrefix = Prefix::none;
}

Panel::Flow Panel::nextChannel() {
    PanelState& s = state;
    if (s.channelBank == noBand) return Flow::stop;
    const int bank = std::clamp(s.channelBank, 0, 9);
    int slot = s.channelSlot;
    for (int step = 0; step < slotsPerBank; ++step) {
        slot = (slot + 1) % slotsPerBank;
        if (!isEmptySlot(s.memorySlots[static_cast<size_t>(bank * slotsPerBank + slot)])) break;
    }
    sayWord("channel");
    s.channelOp = ChannelOp::recall;
    recallChannel(bank, slot);
    return Flow::stop;
}

Panel::Flow Panel::zeroFrequency() {
    PanelState& s = state;
    sayWord("0");
    sayWord("ok");
    if (s.mode == modeCw) {
        send("CA01");
        return Flow::stop;
    }
    // Round down to a whole kilohertz; already on one, one kilohertz on: up in USB, down otherwise.
    const long long rounded = s.frequency - s.frequency % 1000;
    long long target = rounded;
    if (rounded == s.frequency) target += s.mode == modeUsb ? 1000 : -1000;
    else if (s.mode == modeUsb) target += 1000;
    stepFrequency(target - s.frequency);
    sendFrequency();
    return Flow::stop;
}

Panel::Flow Panel::frequencyUp() {
    stepFrequency(state.mode == modeCw ? 500 : 1000);
    return Flow::goOn;
}

Panel::Flow Panel::frequencyDown() {
    stepFrequency(state.mode == modeCw ? -500 : -1000);
    return Flow::goOn;
}

bool Panel::applyFrequencyKey() {
    const PanelState& s = state;
    const bool fm = modeClass(s.mode) == ModeClass::fm;
    const long long page = fm && s.bandIndex >= 12 && s.bandIndex != noBand ? 12500 : 10000;
    const long long fine = s.mode == modeCw ? 10 : 100;
    switch (s.keyCode) {
        case keyPlus: stepFrequency(1000000); break;
        case keyMinus: stepFrequency(-1000000); break;
        case keyPageUp: stepFrequency(page); break;
        case keyPageDown: stepFrequency(-page); break;
        case keyRight:
        case keyLeft:
            if (fm) {
                stepSquelch(s.keyCode == keyRight ? 5 : -5);
                return false;
            }
            stepFrequency(s.keyCode == keyRight ? fine : -fine);
            break;
        default: break;
    }
    return true;
}

void Panel::stepFrequency(long long hz) {
    long long& f = state.frequency;
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
    send("FA" + zeroPadded(state.frequency, 11));
    noteFrequencySent();
}

void Panel::noteFrequencySent() {
    // The VFO holds what was just set: a channel stored before the radio's
    // next answer must not take the frequency from before.
    const std::string& sent = state.lastFreqCommand;
    if (sent.size() != 14) return;
    if (sent.compare(0, 2, "FA") == 0) state.vfoAText = "A" + sent.substr(2, 11);
    if (sent.compare(0, 2, "FB") == 0) state.vfoBText = "B" + sent.substr(2, 11);
}

void Panel::stepSquelch(int amount) {
    int& squelch = state.squelch;
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
