// Speech: every reading is spoken by playing recorded words, one file per
// word, one after the other.

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

std::string digitWord(int d) { return std::string(1, static_cast<char>('0' + d)); }

}  // namespace

std::string sDigitFor(int reading) {
    // Upper bound of each S unit's range of readings.
    static const int limits[] = {12, 25, 38, 51, 64, 79, 92, 105, 118, 140};
    for (int unit = 0; unit < 10; ++unit)
        if (reading <= limits[unit]) return digitWord(unit);
    return "+";
}

void Panel::sayWord(const std::string& word) {
    note("say", word);
    sound.play(state.program.waveDirectory + word);
}

void Panel::sayWordAsync(const std::string& word) {
    note("say", word);
    sound.playAsync(state.program.waveDirectory + word);
}

void Panel::sayCharacters(const std::string& text) {
    for (char c : text) sayWord(c == '.' ? std::string("point") : std::string(1, c));
}

void Panel::sayNumber(long long value) {
    // A sign has no word; the digits of the magnitude are spoken.
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    sayCharacters(std::to_string(magnitude));
}

void Panel::sayFrequency(Vfo vfo) {
    if (state.dial.bandIndex < 1 || state.dial.bandIndex > bandRows) return;
    const BandRecord record = currentBand();
    // Split speaks the transmit VFO; the other VFO is the one split does not use.
    const bool split = (state.dial.splitOn != Split::off) != (vfo == Vfo::other);
    std::string digits = split ? record.vfoB() : record.vfoA();

    // Hz digits: all but the last six are megahertz, the last six its decimals.
    if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - 6);
    const std::string decimals = digits.substr(digits.size() - 6);
    const size_t firstDigit = whole.find_first_not_of('0');
    whole.erase(0, firstDigit == std::string::npos ? whole.size() : firstDigit);

    if (split && state.dial.vfoSwapped == 0)
        sayWord("vfob");
    else if (!split && state.dial.vfoSwapped == 1)
        sayWord("vfob");
    else if (split && state.dial.vfoSwapped == 1)
        sayWord("vfoa");

    sayCharacters(whole);
    const size_t lastNonZero = decimals.find_last_not_of('0');
    if (lastNonZero != std::string::npos) {
        sayWord("point");
        sayCharacters(decimals.substr(0, lastNonZero + 1));
    }
    sayWord("mhz");
}

void Panel::sayMode() {
    if (!modeRow(state.dial.mode)) {
        // A mode the panel does not know: fall back to AM on the general-coverage row.
        state.dial.mode = modeAm;
        state.dial.bandIndex = 14;
        sendMode();
    }
    for (const char* word : modeRow(state.dial.mode)->words)
        if (word) sayWord(word);
}

void Panel::sayBand() {
    if (const BandInfo* band = bandInfo(state.dial.bandIndex))
        for (const char* word : band->words)
            if (word) sayWord(word);
    if (state.dial.mode != 5) send("FT0");
}

void Panel::sayFilterWidth() {
    sayWord("bw");
    const ModeClass kind = modeClass(state.dial.mode);
    if (kind == ModeClass::ssb) {
        // Step s stands for 1.0 + 0.2 s kHz.
        const int step = std::clamp(state.levels.ssbWidth, 0, 12);
        const int tenths = 10 + 2 * step;
        sayWord(digitWord(tenths / 10));
        sayWord("point");
        sayWord(digitWord(tenths % 10));
        sayWord("khz");
    } else if (kind == ModeClass::cw) {
        const int width = std::max(state.levels.cwWidth, 0);
        if (width < 1000) {
            sayNumber(width);
            sayWord("hz");
        } else {
            sayWord(width < 2000 ? "1" : "2");
            sayWord("point");
            sayWord(std::to_string(width).substr(1, 1));
            sayWord("khz");
        }
    }
}

void Panel::saySMeter() {
    sayWord("s");
    if (state.poll.sDigit == "+") {
        sayWord("9");
        sayWord("plus");
        return;
    }
    sayWord(state.poll.sDigit);
    // Ask for a fresh reading on the next tick.
    state.link.replyText.clear();
    state.poll.awaitingReply = 0;
}

void Panel::saySwr() {
    const int v = state.transmit.peakSwr;
    if (v > 299) return;
    if (state.switches.tunerEngaged < 2) sayWord("SWR");
    if (v >= 141) {
        sayWord("gt4");
        sayWord("21");
        return;
    }
    int tenth = 2;
    if (v >= 114) {
        sayWord("3");
        tenth = (v - 113) / 3;
    } else if (v >= 77) {
        sayWord("2");
        tenth = (v - 76) / 4;
    } else if (v >= 1) {
        sayWord("1");
        if (v >= 46) tenth = (v - 45) / 6 + 4;
        else if (v >= 20) tenth = 4;
        else if (v >= 8) tenth = 3;
        else tenth = 2;
    } else {
        sayWord("ls1");  // below 1:1.1 (also any reading below 0)
    }
    sayWord("point");
    sayWord(digitWord(tenth));
    if (state.switches.tunerEngaged < 2 || state.transmit.txState > 0) sayWord("21");
    if (state.switches.tunerEngaged < 2) state.switches.tunerEngaged = 2;
}

void Panel::sayAlc() {
    if (state.levels.micGainWatch == 1) {
        sayWord("alc");
        state.levels.micGainWatch = 2;
    }
    sayNumber(state.levels.peakAlc);
    state.poll.tickCount = 0;
}

void Panel::sayPowerPercent() {
    sayNumber(state.config.powerPercent);
    sayWord("perc");
}

void Panel::sayKeyerSpeed() {
    sayNumber(state.levels.keyerSpeed);
    sayWord("wpm");
}

void Panel::sayLevelPercent() {
    sayWord("micgain");
    sayWord("lev");
    sayNumber(static_cast<long long>(state.levels.micGain) * 100 / 255);
    sayWord("perc");
}

void Panel::sayTone() {
    sayWord(toneWord(state.tone.toneText));
    sayCharacters(state.tone.toneText);
}

}  // namespace vocrig::panel
