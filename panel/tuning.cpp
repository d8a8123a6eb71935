// Mode and band: sending the mode with what belongs to it, and keeping each
// band's row up to date with where the operator is.

#include <algorithm>

#include "panel.h"

namespace panel {

int bandForMHz(long long mhz) {
    struct Range {
        long long low, high;
        int row;
    };
    static const Range ranges[] = {
        {1, 1, 1},       {3, 3, 2},       {5, 5, 3},       {7, 7, 4},      {10, 10, 5},
        {14, 14, 6},     {18, 18, 7},     {21, 21, 8},     {24, 24, 9},    {28, 29, 10},
        {50, 54, 11},    {144, 148, 12},  {430, 449, 13},
    };
    for (const Range& r : ranges)
        if (mhz >= r.low && mhz <= r.high) return r.row;
    return 14;
}

void Panel::storeBandRow() {
    const std::string& reply = state.lastFreqReply;
    if (reply.size() < 13) return;
    const std::string replyDigits = reply.substr(reply.size() - 11);
    if (replyDigits.find_first_not_of("0123456789") != std::string::npos) return;

    // The band of the last answer; the panel follows the radio to it, but a
    // row is only written when the answer belongs to the current band.
    const int band = bandForMHz(std::stoll(reply.substr(reply.size() - 10)) / 1000000);
    const bool sameBand = band == state.bandIndex;
    state.bandIndex = band;
    if (!sameBand) return;
    if (band <= 8 && state.mode > 4) return;  // no FM or DSTAR rows below 10 m
    if (state.modeReported == 1) return;  // the radio's own mode is not the operator's choice

    std::string& row = state.bandTable[static_cast<size_t>(band)];
    if (!isBandRecord(row)) return;
    const std::string vfoA = state.splitOn >= 1 ? row.substr(3, 11) : replyDigits;
    const std::string vfoB = state.splitOn >= 1 ? replyDigits : row.substr(15, 11);
    const char split = static_cast<char>('0' + std::clamp(state.splitOn, 0, 9));
    const char mode = state.mode >= 1 && state.mode <= 7 ? static_cast<char>('0' + state.mode) : row[1];
    const std::string tone = state.toneText.empty() ? std::string("999") : state.toneText;
    row = std::string(1, split) + mode + "A" + vfoA + "B" + vfoB + tone + (state.preampOn ? "1" : "0");
}

void Panel::sendMode() {
    if (state.mode < 1 || state.mode > 7) return;
    if (state.toneEntry >= 1 && state.mode == 1) {
        // No repeater tone in LSB.
        send("RX0");
        send("CT0");
        state.toneEntry = 0;
        state.toneText = "999";
        state.splitOn = 0;
    }
    send(state.modeCommands[static_cast<size_t>(state.mode)]);
    showMode();

    if (state.mode == 1 || state.mode == 2) {
        state.filterWidth = state.ssbWidth;
        sendWidth();
    } else if (state.mode == 3) {
        state.filterWidth = state.cwWidth;
        sendWidth();
    } else if (state.mode == 4) {
        sendWidth();
    } else if (state.mode == 5 || state.mode == 6) {
        state.fmWide = state.mode == 6 ? 1 : 0;
        send(state.mode == 6 ? "Z4" : "Z3");
        readReply();
        pause();
        send("SQ0");
        pause();
        readReply();
        if (state.replyText.find("SQ") != std::string::npos) {
            state.squelch = numberOf(state.replyText.size() > 3 ? state.replyText.substr(3, 3) : "");
            if (state.squelch == 0) state.squelch = 60;
        }
    }

    if (state.modeReported == 0 && state.bandIndex >= 1 && state.bandIndex <= bandRows) {
        std::string& row = state.bandTable[static_cast<size_t>(state.bandIndex)];
        if (row.size() >= 2) {
            row[0] = static_cast<char>('0' + std::clamp(state.splitOn, 0, 9));
            row[1] = static_cast<char>('0' + state.mode);
        }
    }
    showStatusWords();
}

}  // namespace panel
