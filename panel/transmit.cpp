// Transmitting: Space keys the transmitter on and off, T tunes the antenna
// (with the radio's tuner, with a carrier, or both), and a panel that closes
// never leaves the radio transmitting.

#include "panel.h"
#include "radio/models.h"

namespace vocrig::panel {

namespace {

const int tunerWaitWords = 9;  // the radio's tuner gets this many short silences
const int tuneEndPauses = 4;

// The carrier power for a tune, by radio identity (0: not identified).
const char* tunePower(int radioId) {
    const vocrig::radio::Model* model = vocrig::radio::byAddress(radioId);
    if (model && model->fullTunePower) return "PC100";
    if (radioId == 0) return "PC050";
    return "PC040";
}

}  // namespace

Panel::Flow Panel::transmitKey() {
    PanelState& s = state;
    if (s.transmit.txState == 0) {
        sayWord("tx");
        sayWord("on");
        // The SWR is not reported while the operator talks; its setting
        // waits in txState until receive.
        s.transmit.txState = 10 + s.config.swrAlert;
        s.config.swrAlert = 0;
        s.transmit.peakSwr = 0;
        s.transmit.swrSettle = 2;
        send("Z5");
        return Flow::stop;
    }
    endTransmission();
    sayWord("tx");
    sayWord("off");
    return Flow::stop;
}

void Panel::endTransmission() {
    PanelState& s = state;
    if (s.transmit.txState >= 10) s.config.swrAlert = s.transmit.txState - 10;
    // Back in receive: the poll asks for the S meter again and the next
    // Space transmits again.
    s.transmit.txState = 0;
    s.transmit.peakSwr = 0;
    send("Z6");
    send("RX");
}

Panel::Flow Panel::antennaTune() {
    PanelState& s = state;
    sayWord("tune.wav");
    if (s.switches.tunerEngaged == 0 && s.config.tunerMode != 1) {
        send("AC110");
        s.switches.tunerEngaged = 1;
    }
    if (s.transmit.tuning == 1) {
        endTune();
        return Flow::stop;
    }

    s.transmit.tuning = 1;
    sayWord("on.wav");
    if (s.config.tunerMode != 1) {
        // The radio's tuner searches on its own carrier.
        send("AC111");
        for (int i = 0; i < tunerWaitWords; ++i) sayWord("delay");
        sayWord("ok");
        send("AC110");
        if (s.config.tunerMode == 0) {
            endTune();
            return Flow::stop;
        }
    } else if (s.switches.tunerEngaged == 0) {
        sayWord("atu");
        sayWord("off");
    }
    // A carrier in AM at low power until the second T.
    s.transmit.tuneSwrMute = 1;
    send(tunePower(s.link.radioId));
    send("MD5");
    send("Z5");
    return Flow::stop;
}

void Panel::endTune() {
    PanelState& s = state;
    s.transmit.tuneSwrMute = 0;
    s.transmit.tuning = 0;
    s.switches.tunerEngaged = 0;
    if (s.config.tunerMode > 0) send("Z6");
    if (s.config.tunerMode == 0) sayWord("tune");
    sayWord("off.wav");
    if (s.config.swrAlert == 2) s.config.swrAlert = 1;
    if (s.config.tunerMode == 0) {
        send("AC110");
        return;
    }
    send("RX");
    for (int i = 0; i < tuneEndPauses; ++i) pause();
    sendPower(Speak::no);
    sendMode();
}

void Panel::stopTransmitting() {
    PanelState& s = state;
    if (s.transmit.txState < 10 && s.transmit.tuning == 0) return;
    send("Z6");
    send("RX");
    s.transmit.txState = 0;
    s.transmit.tuning = 0;
    s.transmit.tuneSwrMute = 0;
}

}  // namespace vocrig::panel
