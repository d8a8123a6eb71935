// Mode and band: sending the mode with what belongs to it, and keeping each
// band's row up to date with where the operator is.

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

const std::array<ModeRow, 7> modeTable = {{
    {modeLsb, "MD1", "LSB     ", {"lsb.wav", nullptr}, "  LSB", ModeClass::ssb},
    {modeUsb, "MD2", "USB     ", {"usb.wav", nullptr}, "  USB", ModeClass::ssb},
    {modeCw, "MD3", "CW       ", {"cw.wav", nullptr}, "  CW", ModeClass::cw},
    {modeAm, "MD5", "AM       ", {"am.wav", nullptr}, "  AM", ModeClass::am},
    {modeFmNarrow, "MD4", "FMN      ", {"fm.wav", "nar.wav"}, "  FMN", ModeClass::fm},
    {modeFm, "MD4", "FM       ", {"fm.wav", nullptr}, "  FM", ModeClass::fm},
    {modeDstar, "MD7", "DSTAR", {"dstar.wav", nullptr}, "  DSTAR", ModeClass::digital},
}};

}  // namespace

const ModeRow* modeRow(int mode) {
    for (const ModeRow& row : modeTable)
        if (row.number == mode) return &row;
    return nullptr;
}

ModeClass modeClass(int mode) {
    const ModeRow* row = modeRow(mode);
    return row ? row->kind : ModeClass::none;
}

int modeForReport(char digit) {
    for (const ModeRow& row : modeTable)
        if (row.command[2] == digit) return row.number;
    return 0;
}

static_assert(generalCoverage == bandRows, "general coverage is the last band row");

BandRecord Panel::currentBand() const {
    if (state.dial.bandIndex < 1 || state.dial.bandIndex > bandRows) return BandRecord("");
    return BandRecord(state.memory.bandTable[static_cast<size_t>(state.dial.bandIndex)]);
}

void Panel::storeBandRow() {
    const std::string& reply = state.poll.lastFreqReply;
    if (reply.size() < 13) return;
    const std::string replyDigits = reply.substr(reply.size() - 11);
    if (replyDigits.find_first_not_of("0123456789") != std::string::npos) return;

    // The band of the last answer; the panel follows the radio to it, but a
    // row is only written when the answer belongs to the current band. All 11
    // digits count: 10,432 MHz is no 70 cm frequency.
    const int band = bandForMHz(std::stoll(replyDigits) / 1000000);
    const bool sameBand = band == state.dial.bandIndex;
    state.dial.bandIndex = band;
    if (!sameBand) return;
    if (band <= 8 && state.dial.mode > modeAm) return;  // no FM or DSTAR rows below 10 m
    if (state.keys.modeReported == 1) return;           // the radio's own mode is not the operator's choice

    std::string& row = state.memory.bandTable[static_cast<size_t>(band)];
    if (!isBandRecord(row)) return;
    const BandRecord record(row);
    const std::string vfoA = state.dial.splitOn != Split::off ? record.vfoA() : replyDigits;
    const std::string vfoB = state.dial.splitOn != Split::off ? replyDigits : record.vfoB();
    const int mode = modeRow(state.dial.mode) ? state.dial.mode : record.mode();
    const std::string tone = state.tone.toneText.empty() ? std::string(Tone::noneText) : state.tone.toneText;
    const int split = std::clamp(static_cast<int>(state.dial.splitOn), 0, 9);
    row = BandRecord::make(split, mode, vfoA, vfoB, tone, state.switches.preampOn ? 1 : 0);
}

void Panel::sendMode() {
    const ModeRow* row = modeRow(state.dial.mode);
    if (!row) return;
    if (state.tone.toneEntry != ToneEntry::none && state.dial.mode == modeLsb) {
        // No repeater tone in LSB.
        send("RX0");
        send("CT0");
        state.tone.toneEntry = ToneEntry::none;
        state.tone.toneText = Tone::noneText;
        state.dial.splitOn = Split::off;
    }
    send(row->command);
    showMode();

    if (row->kind == ModeClass::ssb) {
        state.levels.filterWidth = state.levels.ssbWidth;
        sendWidth();
    } else if (row->kind == ModeClass::cw) {
        state.levels.filterWidth = state.levels.cwWidth;
        sendWidth();
    } else if (row->kind == ModeClass::am) {
        sendWidth();
    } else if (row->kind == ModeClass::fm) {
        state.dial.fmWide = state.dial.mode == modeFm ? 1 : 0;
        send(state.dial.fmWide == 1 ? "Z4" : "Z3");
        readReply();
        pause();
        send("SQ0");
        pause();
        readReply();
        if (state.link.replyText.find("SQ") != std::string::npos) {
            state.dial.squelch = numberOf(slice(state.link.replyText, 3, 3));
            if (state.dial.squelch == 0) state.dial.squelch = 60;
        }
    }

    if (state.keys.modeReported == 0 && state.dial.bandIndex >= 1 && state.dial.bandIndex <= bandRows) {
        std::string& bandRow = state.memory.bandTable[static_cast<size_t>(state.dial.bandIndex)];
        if (bandRow.size() >= 2) {
            bandRow[0] = static_cast<char>('0' + std::clamp(static_cast<int>(state.dial.splitOn), 0, 9));
            bandRow[1] = static_cast<char>('0' + state.dial.mode);
        }
    }
    showStatusWords();
}

}  // namespace vocrig::panel
