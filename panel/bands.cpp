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
    int mode = std::clamp(s.mode, 0, modeDstar) + 1;
    if (mode == 8) mode = modeFmNarrow;
    if (mode == modeDstar || mode == modeFm) mode = modeLsb;
    // FM only on 10 m and up (and on general coverage from 27 MHz).
    if (mode == modeFmNarrow &&
        (s.bandIndex < 10 || (s.bandIndex == generalCoverage && s.frequency < generalSplitFloor)))
        mode = modeLsb;
    s.mode = mode;
    sendMode();
    sayMode();
    return Flow::stop;
}

Panel::Flow Panel::extendedMode() {
    PanelState& s = state;
    if (s.keyCode == keyM) {
        if (s.mode == modeFmNarrow)
            s.mode = modeFm;
        else if (s.mode == modeFm)
            s.mode = modeFmNarrow;
    }
    sendMode();
    sayMode();
    s.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::dstarKey() {
    PanelState& s = state;
    if (s.mode == modeDstar) {
        s.mode = s.fmWide == 1 ? modeFm : modeFmNarrow;
        sendMode();
        sayMode();
        return Flow::stop;
    }
    if (modeClass(s.mode) != ModeClass::fm) return Flow::stop;
    s.mode = modeDstar;
    sendMode();
    sayMode();
    return Flow::goOn;
}

// --- Band ---

Panel::Flow Panel::bandPrefixKey() {
    state.keyPrefix = Prefix::band;
    sayWord("band");
    sayBand();
    storeBandRow();
    return Flow::stop;
}

void Panel::selectBand(int band) {
    state.keyPrefix = Prefix::none;
    state.bandIndex = band;
    changeBand();
}

Panel::Flow Panel::pickBandLetter(int band, bool available) {
    state.keyPrefix = Prefix::none;
    if (!available) {
        sayWord("band");
        sayWord("na");
        return Flow::stop;
    }
    state.toneText = Tone::noneText;
    selectBand(band);
    return Flow::stop;
}

Panel::Flow Panel::band6m() { return pickBandLetter(11, planHasBand(state.bandPlan, 11)); }
Panel::Flow Panel::band2m() { return pickBandLetter(12, planHasBand(state.bandPlan, 12)); }
Panel::Flow Panel::band70cm() { return pickBandLetter(13, planHasBand(state.bandPlan, 13)); }
Panel::Flow Panel::bandGeneral() {
    sayWord("band");
    return pickBandLetter(generalCoverage, true);
}

Panel::Flow Panel::bandUp() {
    PanelState& s = state;
    storeBandRow();
    int band = s.bandIndex >= 1 && s.bandIndex <= bandRows ? s.bandIndex + 1 : 1;
    // Up from the top band of the radio's plan skips the bands it lacks.
    if (band == topBand(s.bandPlan) + 1) band = generalCoverage;
    if (band > bandRows) band = 1;
    s.bandIndex = band;
    changeBand();
    s.tickCount = 0;
    return Flow::goOn;
}

Panel::Flow Panel::bandDown() {
    PanelState& s = state;
    if (s.bandIndex == generalCoverage) {
        sayWord("band");
        sayWord("un");
    }
    storeBandRow();
    int band = s.bandIndex >= 1 && s.bandIndex <= bandRows ? s.bandIndex - 1 : bandRows;
    if (band < 1) band = bandRows;
    if (band == generalCoverage - 1) band = topBand(s.bandPlan);  // down from general coverage
    s.bandIndex = band;
    changeBand();
    s.tickCount = 0;
    return Flow::goOn;
}

void Panel::changeBand() {
    PanelState& s = state;
    if (s.splitOn != Split::off) {
        sayWord("split");
        sayWord("off");
        send("RX0");
        s.splitOn = Split::off;
    }
    s.tickCount = 0;
    if (s.bandIndex < 1 || s.bandIndex > bandRows) return;
    const BandRecord row = currentBand();

    s.mode = row.mode();
    send("FA" + row.vfoA());
    noteFrequencySent();
    s.frequency = hertzOf(row.vfoA());
    s.lastFreqReply = "FA" + row.vfoA();
    showFrequency();

    s.bandSplitFlag = row.splitFlag();
    s.toneEntry = ToneEntry::none;
    sayBand();
    sayFrequency();
    sendMode();
    sayMode();

    // Split only on repeater modes; a row written while split was announced
    // holds 2.
    s.splitOn = s.mode == modeAm || s.mode == modeFmNarrow ? static_cast<Split>(s.bandSplitFlag) : Split::off;
    if (s.splitOn != Split::off) {
        send("FT1");
        sayWord("split");
        send("FB" + row.vfoB());
        noteFrequencySent();
        s.splitOn = Split::announced;
    }

    applyStoredTone(row, Occasion::bandChange, s.toneText);
    setPreamp(row.preamp() ? 1 : 0);

    // As if the radio had answered: with split on the poll asks for VFO B, and
    // the row keeps both frequencies. Not while the link is down: that would
    // run the first-contact set-up and say "connected" with nobody answering;
    // the set-up runs when the radio's answers return.
    if (s.connected == 0) return;
    s.replyText = (s.splitOn != Split::off ? "FB" + row.vfoB() : "FA" + row.vfoA()) + ";";
    handleFrequencyReply();
}

// --- Split and VFO ---

Panel::Flow Panel::splitKey() {
    PanelState& s = state;
    if (s.bandIndex == generalCoverage && s.frequency < generalSplitFloor) {
        sayWord("split");
        sayWord("invalid");
        return Flow::stop;
    }
    s.keyPrefix = Prefix::none;
    if (s.splitOn == Split::off) {
        s.splitOn = Split::on;
        send("FT1");
        return Flow::goOn;  // the dispatch end sets VFO B to the dial frequency
    }
    s.splitOn = Split::off;
    send("RX0");
    if (s.modeReported == 0 && s.bandIndex >= 1 && s.bandIndex <= bandRows) {
        std::string& row = s.bandTable[static_cast<size_t>(s.bandIndex)];
        if (isBandRecord(row)) row = row.substr(0, 26) + s.toneText + (s.preampOn == 1 ? "1" : "0");
    }
    send("FA" + currentBand().vfoA());
    noteFrequencySent();
    sayWord("split");
    sayWord("off");
    return Flow::stop;  // VFO A is set: the dispatch end sends no dial frequency
}

Panel::Flow Panel::swapVfo() {
    sayWord("swop");
    if (state.swapFixed == 0) state.vfoSwapped = 1 - std::clamp(state.vfoSwapped, 0, 1);
    send("Z8");
    state.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::tuningStep() {
    sayWord("1");
    if (state.stepFlag == 0) {
        send("Z90");
        sayWord("0");
        sayWord("0");
        sayWord("hz");
        state.stepFlag = 1;
    } else {
        send("Z91");
        sayWord("khz");
        state.stepFlag = 0;
    }
    state.keyPrefix = Prefix::none;
    return Flow::stop;
}

Panel::Flow Panel::sayFrequencyAndMode() {
    PanelState& s = state;
    sayFrequency(s.keyPrefix == Prefix::extended ? Vfo::other : Vfo::current);
    sayMode();
    if (s.toneEntry == ToneEntry::typing) sayTone();
    s.keyPrefix = Prefix::none;
    return Flow::stop;
}

}  // namespace vocrig::panel
