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
    if (s.poll.busy == 1) return;
    if (++s.poll.tickCount > tickCountLimit) s.poll.tickCount = tickCountLimit;

    if (s.poll.awaitingReply == 1) {
        s.poll.awaitingReply = 0;
        if (port.bytesWaiting() <= 0) {
            // The next request goes out on the next tick.
            if (++s.poll.missedPolls > missedPollLimit) {
                // Said once, unasked: an operator listening to a quiet band
                // has no other way to learn that the radio has gone.
                if (s.poll.connected == 1) sayWord("nc");
                s.poll.connected = 0;
                s.poll.missedPolls = missedPollLimit;
            }
            return;
        }
        s.poll.missedPolls = 0;
        readReply();
        if (!takePollReply()) return;
    }
    if (s.poll.awaitingReply == 1) return;
    sendPoll();
}

// Looks through what the poll read: a mode report and the meters by search,
// the frequency and the S meter only at the start.
bool Panel::takePollReply() {
    PanelState& s = state;

    const size_t z5 = s.link.replyText.find("Z5");
    if (z5 != std::string::npos) {
        const int mode = modeForReport(slice(s.link.replyText, z5 + 2, 1)[0]);
        if (mode != 0) {
            s.keys.modeReported = 1;
            s.dial.mode = mode;
            sendMode();
        }
    }

    if (startsWith(s.link.replyText, "FA") || startsWith(s.link.replyText, "FB")) {
        if (s.poll.staleFrequencyReply == 1)
            s.link.replyText.clear();  // from before a frequency the keys set
        else handleFrequencyReply();
    }

    const size_t rm1 = s.link.replyText.find("RM1");
    if (rm1 != std::string::npos) {
        const int v = numberOf(slice(s.link.replyText, rm1 + 3, 3));
        if (s.transmit.txState >= 1 && s.transmit.swrSettle == 0) {
            if (v > s.transmit.peakSwr) s.transmit.peakSwr = v;
        } else {
            s.transmit.peakSwr = v;
        }
        if (s.config.swrAlert >= 1 && s.transmit.tuneSwrMute == 0 && s.transmit.txState < 20) saySwr();
        s.transmit.tuneSwrMute = 0;
        if (s.transmit.swrSettle >= 1) --s.transmit.swrSettle;
    }

    const size_t rm3 = s.link.replyText.find("RM3");
    if (rm3 != std::string::npos && s.levels.micGainWatch >= 1) {
        const int v = numberOf(slice(s.link.replyText, rm3 + 3, 3));
        if (v > s.levels.peakAlc) s.levels.peakAlc = v;
        if (s.poll.tickCount > alcSpeechAfterTicks) sayAlc();
    }

    if (startsWith(s.link.replyText, "SM") && s.transmit.tuning == 0) {
        s.poll.sMeter = numberOf(slice(s.link.replyText, 3, 3));
        // A falling reading is held back until it has stayed lower for a while,
        // so the board does not flicker with fading; a rise shows at once.
        if (s.poll.sMeter < s.poll.sMeterShown && ++s.poll.sMeterDrops <= sMeterHoldReadings) return false;
        s.poll.sMeterShown = s.poll.sMeter;
        s.poll.sMeterDrops = 0;
        showSMeter();
    }
    return true;
}

void Panel::sendPoll() {
    PanelState& s = state;
    s.poll.awaitingReply = 1;
    s.poll.staleFrequencyReply = 0;
    const char* request = nullptr;
    if (s.poll.pollPhase == 0)
        request = s.dial.splitOn != Split::off ? "FB" : "FA";
    else if (s.levels.micGainWatch >= 1)
        request = "RM3";
    else
        request = s.transmit.txState < 1 && s.transmit.tuning == 0 ? "SM0" : "RM1";
    s.poll.pollPhase = 1 - s.poll.pollPhase;
    send(request, Pacing::none);
}

void Panel::handleFrequencyReply() {
    PanelState& s = state;
    if (s.poll.connected == 0) {
        // First answer since start or since the link was lost: the radio is
        // set up for the band; the answer itself is not shown.
        bandSetUp();
        s.switches.preampOn = currentBand().preamp() ? 0 : 1;
        togglePreamp();  // sends the row's preamp state and says it
        sayWord("connected");
        s.poll.connected = 1;
    } else if (isFrequencyAnswer(s.link.replyText)) {
        s.poll.lastFreqReply = s.link.replyText.substr(0, 13);
        if (s.poll.lastFreqReply[1] == 'A')
            s.poll.vfoAText = s.poll.lastFreqReply.substr(1, 12);
        else
            s.poll.vfoBText = s.poll.lastFreqReply.substr(1, 12);
        storeBandRow();
        s.dial.frequency = hertzOf(s.poll.lastFreqReply.substr(2, 11));  // 11 digits do not fit an int
        showFrequency();
    }
    // The whole read is used up, so the poll asks afresh on the next tick.
    s.poll.awaitingReply = 0;
    s.link.replyText.clear();
}

void Panel::bandSetUp() {
    PanelState& s = state;
    const BandRecord record = currentBand();
    // Sends a query, waits once and reads; where its code stands in the reply.
    auto ask = [this](const std::string& query, const char* code) {
        send(query);
        pause();
        readReply();
        return state.link.replyText.find(code);
    };
    const size_t none = std::string::npos;

    s.dial.mode = record.mode();
    s.levels.savedMode = s.dial.mode;
    sendMode();
    send("EX1080");
    sayMode();
    for (const char* off : {"PA0", "RA00", "NB0", "NT0"}) send(off);
    send("PC" + zeroPadded(s.config.powerPercent, 3));
    send(s.config.tunerMode == 0 ? "AC110" : "AC000");

    s.levels.micGain = 20;
    send("MG");
    for (int i = 0; i < micGainTries; ++i) {
        pause();
        readReply();
        if (s.link.replyText.find("MG") != none) {
            s.levels.micGain = numberOf(slice(s.link.replyText, 2, 3));
            break;
        }
    }

    if (const size_t p = ask("AG0", "AG"); p != none) {
        s.levels.afGain = numberOf(slice(s.link.replyText, p + 3, 3));
    } else {
        s.levels.afGain = 50;
        send("AG0050");
    }

    send("RG255");
    readReply();

    if (const size_t p = ask("VX", "VX"); p != none) s.switches.vox = switchAt(s.link.replyText, p + 2);
    showStatusWords();
    if (const size_t p = ask("BI", "BI"); p != none) s.switches.breakIn = switchAt(s.link.replyText, p + 2);
    showStatusWords();
    if (const size_t p = ask("NR", "NR"); p != none) s.switches.nrOn = slice(s.link.replyText, p + 2, 1) == "1" ? 1 : 0;
    if (s.config.lockState == "1") {
        sayWord("lock");
        sayWord("on");
    }
    send("ML000");
    if (const size_t p = ask("PR", "PR"); p != none)
        s.switches.processorOn = slice(s.link.replyText, p + 2, 1) == "1" ? 1 : 0;
    showStatusWords();

    // Repeater modes: the band's tone and split.
    applyStoredTone(record, Occasion::firstContact, s.tone.toneText);
    const bool repeater = s.dial.mode == modeAm || s.dial.mode == modeFmNarrow;
    if (repeater) s.dial.splitOn = static_cast<Split>(s.dial.bandSplitFlag);
    if (repeater && s.dial.splitOn != Split::off) {
        send("FT1");
        sayWord("split");
        send("FB" + record.vfoB());
    } else {
        send("RX0");
    }
}

}  // namespace vocrig::panel
