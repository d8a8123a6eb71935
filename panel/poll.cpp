// The poll: each 20 ms tick either takes the translator's answer to the last
// request or sends the next one, alternating the dial frequency and a meter.
// A frequency answer keeps the window and the band row up to date; the first
// one after start, or after the link was lost, sets the radio up for the band.

#include "panel.h"

namespace vocrig::panel {

namespace {

const int tickCountLimit = 20;
const int missedPollLimit = 19;       // held here; the twentieth miss in a row loses the link
const int sMeterHoldReadings = 40;    // a falling S meter is shown at the next lower reading after these
const int alcSpeechAfterTicks = 10;   // the ALC is spoken only when the last report is that old
const int micGainTries = 5;

bool startsWith(const std::string& text, const char* code) { return text.rfind(code, 0) == 0; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A one-digit switch state from a reply: above 1 (or not a digit) counts as 0.
int switchAt(const std::string& reply, size_t at) {
    const int v = numberOf(slice(reply, at, 1));
    return v > 1 ? 0 : v;
}

}  // namespace

bool isFrequencyAnswer(const std::string& reply) {
    if (!startsWith(reply, "FA") && !startsWith(reply, "FB")) return false;
    if (reply.find(';') != 13) return false;
    for (size_t i = 2; i < 13; ++i)
        if (!isDigit(reply[i])) return false;
    return true;
}

void Panel::handleTimer() {
    PanelState& s = state;
    if (s.busy == 1) return;
    if (++s.tickCount > tickCountLimit) s.tickCount = tickCountLimit;

    if (s.awaitingReply == 1) {
        s.awaitingReply = 0;
        if (port.bytesWaiting() <= 0) {
            // The next request goes out on the next tick.
            if (++s.missedPolls > missedPollLimit) {
                // Said once, unasked: an operator listening to a quiet band
                // has no other way to learn that the radio has gone.
                if (s.connected == 1) sayWord("nc");
                s.connected = 0;
                s.missedPolls = missedPollLimit;
            }
            return;
        }
        s.missedPolls = 0;
        readReply();
        if (!takePollReply()) return;
    }
    if (s.awaitingReply == 1) return;
    sendPoll();
}

// Looks through what the poll read: a mode report and the meters by search,
// the frequency and the S meter only at the start.
bool Panel::takePollReply() {
    PanelState& s = state;

    const size_t z5 = s.replyText.find("Z5");
    if (z5 != std::string::npos) {
        const int mode = modeForReport(slice(s.replyText, z5 + 2, 1)[0]);
        if (mode != 0) {
            s.modeReported = 1;
            s.mode = mode;
            sendMode();
        }
    }

    if (startsWith(s.replyText, "FA") || startsWith(s.replyText, "FB")) {
        if (s.staleFrequencyReply == 1) s.replyText.clear();  // from before a frequency the keys set
        else handleFrequencyReply();
    }

    const size_t rm1 = s.replyText.find("RM1");
    if (rm1 != std::string::npos) {
        const int v = numberOf(slice(s.replyText, rm1 + 3, 3));
        if (s.txState >= 1 && s.swrSettle == 0) {
            if (v > s.peakSwr) s.peakSwr = v;
        } else {
            s.peakSwr = v;
        }
        if (s.swrAlert >= 1 && s.tuneSwrMute == 0 && s.txState < 20) saySwr();
        s.tuneSwrMute = 0;
        if (s.swrSettle >= 1) --s.swrSettle;
    }

    const size_t rm3 = s.replyText.find("RM3");
    if (rm3 != std::string::npos && s.micGainWatch >= 1) {
        const int v = numberOf(slice(s.replyText, rm3 + 3, 3));
        if (v > s.peakAlc) s.peakAlc = v;
        if (s.tickCount > alcSpeechAfterTicks) sayAlc();
    }

    if (startsWith(s.replyText, "SM") && s.tuning == 0) {
        s.sMeter = numberOf(slice(s.replyText, 3, 3));
        // A falling reading is held back until it has stayed lower for a while,
        // so the board does not flicker with fading; a rise shows at once.
        if (s.sMeter < s.sMeterShown && ++s.sMeterDrops <= sMeterHoldReadings) return false;
        s.sMeterShown = s.sMeter;
        s.sMeterDrops = 0;
        showSMeter();
    }
    return true;
}

void Panel::sendPoll() {
    PanelState& s = state;
    s.awaitingReply = 1;
    s.staleFrequencyReply = 0;
    const char* request = nullptr;
    if (s.pollPhase == 0) request = s.splitOn != Split::off ? "FB" : "FA";
    else if (s.micGainWatch >= 1) request = "RM3";
    else request = s.txState < 1 && s.tuning == 0 ? "SM0" : "RM1";
    s.pollPhase = 1 - s.pollPhase;
    send(request, Pacing::none);
}

void Panel::handleFrequencyReply() {
    PanelState& s = state;
    if (s.connected == 0) {
        // First answer since start or since the link was lost: the radio is
        // set up for the band; the answer itself is not shown.
        bandSetUp();
        s.preampOn = currentBand().preamp() ? 0 : 1;
        togglePreamp();  // sends the row's preamp state and says it
        sayWord("connected");
        s.connected = 1;
    } else if (isFrequencyAnswer(s.replyText)) {
        s.lastFreqReply = s.replyText.substr(0, 13);
        if (s.lastFreqReply[1] == 'A') s.vfoAText = s.lastFreqReply.substr(1, 12);
        else s.vfoBText = s.lastFreqReply.substr(1, 12);
        storeBandRow();
        s.frequency = hertzOf(s.lastFreqReply.substr(2, 11));  // 11 digits do not fit an int
        showFrequency();
    }
    // The whole read is used up, so the poll asks afresh on the next tick.
    s.awaitingReply = 0;
    s.replyText.clear();
}

void Panel::bandSetUp() {
    PanelState& s = state;
    const BandRecord record = currentBand();
    // Sends a query, waits once and reads; where its code stands in the reply.
    auto ask = [this](const std::string& query, const char* code) {
        send(query);
        pause();
        readReply();
        return state.replyText.find(code);
    };
    const size_t none = std::string::npos;

    s.mode = record.mode();
    s.savedMode = s.mode;
    sendMode();
    send("EX1080");
    sayMode();
    for (const char* off : {"PA0", "RA00", "NB0", "NT0"}) send(off);
    send("PC" + zeroPadded(s.powerPercent, 3));
    send(s.tunerMode == 0 ? "AC110" : "AC000");

    s.micGain = 20;
    send("MG");
    for (int i = 0; i < micGainTries; ++i) {
        pause();
        readReply();
        if (s.replyText.find("MG") != none) {
            s.micGain = numberOf(slice(s.replyText, 2, 3));
            break;
        }
    }

    if (const size_t p = ask("AG0", "AG"); p != none) {
        s.afGain = numberOf(slice(s.replyText, p + 3, 3));
    } else {
        s.afGain = 50;
        send("AG0050");
    }

    send("RG255");
    readReply();

    if (const size_t p = ask("VX", "VX"); p != none) s.vox = switchAt(s.replyText, p + 2);
    showStatusWords();
    if (const size_t p = ask("BI", "BI"); p != none) s.breakIn = switchAt(s.replyText, p + 2);
    showStatusWords();
    if (const size_t p = ask("NR", "NR"); p != none) s.nrOn = slice(s.replyText, p + 2, 1) == "1" ? 1 : 0;
    if (s.lockState == "1") {
        sayWord("lock");
        sayWord("on");
    }
    send("ML000");
    if (const size_t p = ask("PR", "PR"); p != none) s.processorOn = slice(s.replyText, p + 2, 1) == "1" ? 1 : 0;
    showStatusWords();

    // Repeater modes: the band's tone and split.
    applyStoredTone(record, Occasion::firstContact, s.toneText);
    const bool repeater = s.mode == modeAm || s.mode == modeFmNarrow;
    if (repeater) s.splitOn = static_cast<Split>(s.bandSplitFlag);
    if (repeater && s.splitOn != Split::off) {
        send("FT1");
        sayWord("split");
        send("FB" + record.vfoB());
    } else {
        send("RX0");
    }
}

}  // namespace vocrig::panel
