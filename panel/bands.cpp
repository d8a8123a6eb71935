// Mode, band and VFO keys: the next mode (M, D, X then M), the band picked
// after B or stepped with Up and Down, split (V), the VFO swap and tuning step
// after X, and the spoken summary (F).

#include <algorithm>

#include "key_codes.h"
#include "panel.h"

namespace vocrig::panel {

namespace {

const long long generalSplitFloor = 27'000'000;  // no split on general coverage below 10 m

}  // namespace

// --- Mode ---

Panel::Flow Panel::nextMode() {
    PanelState& s = state;
    int mode = std::clamp(s.dial.mode, 0, modeDstar) + 1;
    if (mode == 8) mode = modeFmNarrow;
    if (mode == modeDstar || mode == modeFm) mode = modeLsb;
    // FM only on 10 m and up (and on general coverage from 27 MHz).
    if (mode == modeFmNarrow &&
        (s.dial.bandIndex < 10 || (s.dial.bandIndex == generalCoverage && s.dial.frequency < generalSplitFloor)))
        mode = modeLsb;
    s.dial.mode = mode;
    sendMode();
    sayMode();
    return Flow::stop;
}

Panel::Flow Panel::extendedMode() {
    PanelState& s = state;
    if (s.keys.keyCode == keyM) {
        if (s.dial.mode == modeFmNarrow)
            s.dial.mode = modeFm;
        else if (s.dial.mode == modeFm)
            s.dial.mode = modeFmNarrow;
    }
    sendMode();
    sayMode();
    s.keys.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::dstarKey() {
    PanelState& s = state;
    if (s.dial.mode == modeDstar) {
        s.dial.mode = s.dial.fmWide == 1 ? modeFm : modeFmNarrow;
        sendMode();
        sayMode();
        return Flow::stop;
    }
    if (modeClass(s.dial.mode) != ModeClass::fm) return Flow::stop;
    s.dial.mode = modeDstar;
    sendMode();
    sayMode();
    return Flow::goOn;
}

// --- Band ---

Panel::Flow Panel::bandPrefixKey() {
    state.keys.keyPrefix = Prefix::band;
    sayWord("band");
    sayBand();
    storeBandRow();
    return Flow::stop;
}

void Panel::selectBand(int band) {
    state.keys.keyPrefix = Prefix::none;
    state.dial.bandIndex = band;
    changeBand();
}

Panel::Flow Panel::pickBandLetter(int band, bool available) {
    state.keys.keyPrefix = Prefix::none;
    if (!available) {
        sayWord("band");
        sayWord("na");
        return Flow::stop;
    }
    state.tone.toneText = Tone::noneText;
    selectBand(band);
    return Flow::stop;
}

Panel::Flow Panel::band6m() { return pickBandLetter(11, planHasBand(state.config.bandPlan, 11)); }
Panel::Flow Panel::band2m() { return pickBandLetter(12, planHasBand(state.config.bandPlan, 12)); }
Panel::Flow Panel::band70cm() { return pickBandLetter(13, planHasBand(state.config.bandPlan, 13)); }
Panel::Flow Panel::bandGeneral() {
    sayWord("band");
    return pickBandLetter(generalCoverage, true);
}

Panel::Flow Panel::bandUp() {
    PanelState& s = state;
    storeBandRow();
    int band = s.dial.bandIndex >= 1 && s.dial.bandIndex <= bandRows ? s.dial.bandIndex + 1 : 1;
    // Up from the top band of the radio's plan skips the bands it lacks.
    if (band == topBand(s.config.bandPlan) + 1) band = generalCoverage;
    if (band > bandRows) band = 1;
    s.dial.bandIndex = band;
    changeBand();
    s.poll.tickCount = 0;
    return Flow::goOn;
}

Panel::Flow Panel::bandDown() {
    PanelState& s = state;
    if (s.dial.bandIndex == generalCoverage) {
        sayWord("band");
        sayWord("un");
    }
    storeBandRow();
    int band = s.dial.bandIndex >= 1 && s.dial.bandIndex <= bandRows ? s.dial.bandIndex - 1 : bandRows;
    if (band < 1) band = bandRows;
    if (band == generalCoverage - 1) band = topBand(s.config.bandPlan);  // down from general coverage
    s.dial.bandIndex = band;
    changeBand();
    s.poll.tickCount = 0;
    return Flow::goOn;
}

void Panel::changeBand() {
    PanelState& s = state;
    if (s.dial.splitOn != Split::off) {
        sayWord("split");
        sayWord("off");
        send("RX0");
        s.dial.splitOn = Split::off;
    }
    s.poll.tickCount = 0;
    if (s.dial.bandIndex < 1 || s.dial.bandIndex > bandRows) return;
    const BandRecord row = currentBand();

    s.dial.mode = row.mode();
    send("FA" + row.vfoA());
    noteFrequencySent();
    s.dial.frequency = hertzOf(row.vfoA());
    s.poll.lastFreqReply = "FA" + row.vfoA();
    showFrequency();

    s.dial.bandSplitFlag = row.splitFlag();
    s.tone.toneEntry = ToneEntry::none;
    sayBand();
    sayFrequency();
    sendMode();
    sayMode();

    // Split only on repeater modes; a row written while split was announced
    // holds 2.
    s.dial.splitOn =
        s.dial.mode == modeAm || s.dial.mode == modeFmNarrow ? static_cast<Split>(s.dial.bandSplitFlag) : Split::off;
    if (s.dial.splitOn != Split::off) {
        send("FT1");
        sayWord("split");
        send("FB" + row.vfoB());
        noteFrequencySent();
        s.dial.splitOn = Split::announced;
    }

    applyStoredTone(row, Occasion::bandChange, s.tone.toneText);
    setPreamp(row.preamp() ? 1 : 0);

    // As if the radio had answered: with split on the poll asks for VFO B, and
    // the row keeps both frequencies. Not while the link is down: that would
    // run the first-contact set-up and say "connected" with nobody answering;
    // the set-up runs when the radio's answers return.
    if (s.poll.connected == 0) return;
    s.link.replyText = (s.dial.splitOn != Split::off ? "FB" + row.vfoB() : "FA" + row.vfoA()) + ";";
    handleFrequencyReply();
}

// --- Split and VFO ---

Panel::Flow Panel::splitKey() {
    PanelState& s = state;
    if (s.dial.bandIndex == generalCoverage && s.dial.frequency < generalSplitFloor) {
        sayWord("split");
        sayWord("invalid");
        return Flow::stop;
    }
    s.keys.keyPrefix = Prefix::none;
    if (s.dial.splitOn == Split::off) {
        s.dial.splitOn = Split::on;
        send("FT1");
        return Flow::goOn;  // the dispatch end sets VFO B to the dial frequency
    }
    s.dial.splitOn = Split::off;
    send("RX0");
    if (s.keys.modeReported == 0 && s.dial.bandIndex >= 1 && s.dial.bandIndex <= bandRows) {
        std::string& row = s.memory.bandTable[static_cast<size_t>(s.dial.bandIndex)];
        if (isBandRecord(row)) row = row.substr(0, 26) + s.tone.toneText + (s.switches.preampOn == 1 ? "1" : "0");
    }
    send("FA" + currentBand().vfoA());
    noteFrequencySent();
    sayWord("split");
    sayWord("off");
    return Flow::stop;  // VFO A is set: the dispatch end sends no dial frequency
}

Panel::Flow Panel::swapVfo() {
    sayWord("swop");
    if (state.link.swapFixed == 0) state.dial.vfoSwapped = 1 - std::clamp(state.dial.vfoSwapped, 0, 1);
    send("Z8");
    state.keys.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::tuningStep() {
    sayWord("1");
    if (state.dial.stepFlag == 0) {
        send("Z90");
        sayWord("0");
        sayWord("0");
        sayWord("hz");
        state.dial.stepFlag = 1;
    } else {
        send("Z91");
        sayWord("khz");
        state.dial.stepFlag = 0;
    }
    state.keys.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::sayFrequencyAndMode() {
    PanelState& s = state;
    sayFrequency(s.keys.keyPrefix == Prefix::extended ? Vfo::other : Vfo::current);
    sayMode();
    if (s.tone.toneEntry == ToneEntry::typing) sayTone();
    s.keys.keyPrefix = Prefix::none;
    return Flow::stop;
}

}  // namespace vocrig::panel
