// Receiver and transmitter levels: the prefix keys that choose what Up and
// Down adjust, the adjustments with their limits, the on/off switches, the
// monitor, the tuner mode, the keyer and the microphone-gain watch.

#include <algorithm>

#include "panel.h"
#include "radio/models.h"

namespace vocrig::panel {

namespace {

const int powerLow = 5, powerHigh = 100;
const int gainHigh = 255;
const int levelLow = 1, levelHigh = 10;   // noise blanker and noise reduction
const int keyerLow = 6, keyerHigh = 48;   // words per minute
const int cwWidthStep = 100;
const int monitorOnLevel = 7;
const int monitorTries = 2;
const int keyF11 = 122;

// Radios whose RTS line can key the transmitter (menu item 1081).
bool hasRtsKeying(int id) {
    const vocrig::radio::Model* model = vocrig::radio::byAddress(id);
    return model && model->rtsKeying;
}

}  // namespace

// Prefix keys

Panel::Flow Panel::powerPrefix() {
    sayWord("Power");
    sayPowerPercent();
    state.keyPrefix = 3;
    return Flow::stop;
}

Panel::Flow Panel::rfGainPrefix() {
    sayWord("rf");
    state.keyPrefix = 4;
    return Flow::stop;
}

Panel::Flow Panel::widthPrefix() {
    const ModeClass kind = modeClass(state.mode);
    if (kind != ModeClass::ssb && kind != ModeClass::cw) return Flow::stop;
    state.keyPrefix = 2;
    sayFilterWidth();
    return Flow::stop;
}

Panel::Flow Panel::levelPrefix() {
    if (state.levelTarget != 2 && state.levelTarget != 3) return Flow::stop;
    state.keyPrefix = 10;
    sayWord(state.levelTarget == 2 ? "nb" : "nr");
    sayWord("lev");
    return Flow::stop;
}

// Up and Down under a prefix

Panel::Flow Panel::levelUp() {
    adjustLevel(+1);
    return Flow::goOn;
}

Panel::Flow Panel::levelDown() {
    adjustLevel(-1);
    return Flow::goOn;
}

void Panel::adjustLevel(int direction) {
    PanelState& s = state;
    const bool up = direction > 0;
    // A gain that stops at its end says so when it gets there.
    auto stepGain = [this, up](int& gain, int step) {
        gain = std::clamp(std::clamp(gain, 0, gainHigh) + (up ? step : -step), 0, gainHigh);
        if (up && gain == gainHigh) sayWord("max");
        if (!up && gain == 0) sayWord("min");
    };
    // A level that is pushed past its end stays there and says so.
    auto stepLevel = [this, up](int& level) {
        level = std::clamp(level, levelLow, levelHigh) + (up ? 1 : -1);
        if (level > levelHigh) {
            level = levelHigh;
            sayWord("max");
        } else if (level < levelLow) {
            level = levelLow;
            sayWord("min");
        }
    };

    switch (s.keyPrefix) {
        case 2:
            if (modeClass(s.mode) == ModeClass::ssb) {
                s.filterWidth = std::clamp(s.filterWidth, 0, 12) + direction;
            } else if (modeClass(s.mode) == ModeClass::cw) {
                // CW widths run 50, 100, 200 ... 1500.
                s.filterWidth = std::clamp(s.filterWidth, 50, 1500) + direction * cwWidthStep;
                if (s.filterWidth == 150) s.filterWidth = 100;
            }
            sendWidth();
            break;
        case 3: {
            int& p = s.powerPercent;
            p = std::clamp(p, 0, 10 * powerHigh);  // a configured 150 still comes down to 100
            if (up) p = (p + (p < 30 ? 5 : 10)) / 5 * 5;
            else p -= p < 31 ? 5 : 10;
            p = std::clamp(p, powerLow, powerHigh);
            sendPower();
            if (up && p == powerHigh) sayWord("max");
            if (!up && p == powerLow) sayWord("min");
            break;
        }
        case 4:
            stepGain(s.rfGain, 20);
            send("RG" + zeroPadded(s.rfGain, 3));
            break;
        case 7:
            stepGain(s.afGain, 10);
            send("AG0" + zeroPadded(s.afGain, 3));
            break;
        case 10:
            if (s.levelTarget == 2) {
                stepLevel(s.nbLevel);
                send("NL" + zeroPadded(s.nbLevel, 3));
            } else if (s.levelTarget == 3) {
                stepLevel(s.nrLevel);
                send("RL" + zeroPadded(s.nrLevel, 2));
            }
            break;
        case 11:
            s.keyerSpeed = std::clamp(s.keyerSpeed + direction, keyerLow, keyerHigh);
            if (up && s.keyerSpeed == keyerHigh) sayWord("max");
            if (!up && s.keyerSpeed == keyerLow) sayWord("min");
            send("KS" + zeroPadded(s.keyerSpeed, 3));
            break;
        case 12: {
            int& g = s.micGain;
            g = std::clamp(g, 0, gainHigh) + (up ? 10 : -10);
            if (!up && g == 245) g = 250;  // down from the top lands on 250
            if (g > gainHigh) {
                g = gainHigh;
                sayWord("max");
            } else if (g < 0) {
                g = 0;
                sayWord("min");
            }
            s.peakAlc = 0;
            send("MG" + zeroPadded(g, 3));
            break;
        }
        default: break;
    }
}

void Panel::sendWidth() {
    const ModeClass kind = modeClass(state.mode);
    if (kind == ModeClass::ssb) {
        state.filterWidth = std::clamp(state.filterWidth, 0, 12);
        state.ssbWidth = state.filterWidth;
        send("SH" + zeroPadded(state.filterWidth, 2));
        if (state.filterWidth == 0) sayWord("min");
        if (state.filterWidth == 12) sayWord("max");
    } else if (kind == ModeClass::cw) {
        if (state.filterWidth > 1500) {
            state.filterWidth = 1500;
            sayWord("max");
        } else if (state.filterWidth < 100) {
            state.filterWidth = 50;
            sayWord("min");
        }
        state.cwWidth = state.filterWidth;
        send("FW" + zeroPadded(state.filterWidth, 4));
    } else if (kind == ModeClass::am) {
        state.filterWidth = 8;
        send("SH08");
    }
}

void Panel::sendPower() {
    send("PC" + zeroPadded(state.powerPercent, 3));
    if (state.powerQuiet != 1) sayPowerPercent();
}

void Panel::sendPowerQuietly() {
    state.powerQuiet = 1;
    sendPower();
    state.powerQuiet = 0;
}

// Switches

int Panel::toggleSwitch(const char* name, const char* onCommand, const char* offCommand, int& value) {
    const int on = value == 1 ? 0 : 1;
    sayWord(name);
    sayWord(on == 1 ? "on" : "off");
    send(on == 1 ? onCommand : offCommand);
    value = on;
    return on;
}

void Panel::togglePreamp() {
    toggleSwitch("preamp", "PA1", "PA0", state.preampOn);
    showStatusWords();
}

void Panel::setPreamp(int on) {
    state.preampOn = on == 1 ? 0 : 1;
    togglePreamp();
}

Panel::Flow Panel::preampKey() {
    togglePreamp();
    return Flow::stop;
}

Panel::Flow Panel::attenuatorKey() {
    toggleSwitch("at", "RA01", "RA00", state.attOn);
    showStatusWords();
    return Flow::stop;
}

// Sends a level query, waits once and reads; the level follows the code in
// the reply, and stays as it was when the reply does not carry it.
void Panel::readLevel(const char* query, int& level) {
    send(query);
    pause();
    readReply();
    const size_t at = state.replyText.find(query);
    if (at != std::string::npos) level = numberOf(slice(state.replyText, at + 2, 3));
}

Panel::Flow Panel::noiseBlankerKey() {
    PanelState& s = state;
    if (toggleSwitch("nb", "NB1", "NB0", s.nbOn) == 1) {
        s.levelTarget = 2;
        readLevel("NL", s.nbLevel);
    } else if (s.levelTarget == 2) {
        s.levelTarget = 0;
    }
    s.tickCount = 0;
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::noiseReductionKey() {
    PanelState& s = state;
    if (toggleSwitch("nr", "NR1", "NR0", s.nrOn) == 1) {
        s.levelTarget = 3;
        readLevel("RL", s.nrLevel);
    } else if (s.levelTarget == 3) {
        s.levelTarget = 0;
    }
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::notchKey() {
    toggleSwitch("notch", "NT10", "NT00", state.notchOn);
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::processorKey() {
    if (modeClass(state.mode) != ModeClass::ssb) {
        sayWord("spc");
        sayWord("na");
        return Flow::goOn;
    }
    toggleSwitch("spc", "PR1", "PR0", state.processorOn);
    showStatusWords();
    return Flow::goOn;
}

Panel::Flow Panel::voxKey() {
    if (state.mode == modeCw) toggleSwitch("bkin", "BI1", "BI0", state.breakIn);
    else toggleSwitch("vox", "VX1", "VX0", state.vox);
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::monitorKey() {
    PanelState& s = state;
    sayWord("mon");
    if (s.monitorLevel > 0) {
        sayWord("off");
        s.monitorLevel = 0;
        send("ML000");
        s.levelTarget = 0;
    } else {
        sayWord("on");
        s.monitorLevel = monitorOnLevel;
        bool answered = false;
        for (int i = 0; i < monitorTries; ++i) {
            send("ML");
            sayWord("shdel");
            readReply();
            const size_t at = s.replyText.find("ML");
            if (at != std::string::npos) {
                // A reading of 0 would make the next F9 switch on again.
                s.monitorLevel = std::max(1, numberOf(slice(s.replyText, at + 2, 3)));
                answered = true;
            }
        }
        if (!answered) send("ML007");
    }
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::tunerModeKey() {
    PanelState& s = state;
    sayWord("tuner");
    if (s.tunerMode == 0) {
        send("AC000");
        sayWord("off");
        s.tunerMode = 1;
        s.tunerEngaged = 0;
    } else if (s.tunerMode == 1) {
        send("AC110");
        sayWord("both");
        s.tunerMode = 2;
        s.tunerEngaged = 1;
    } else {
        send("AC110");
        sayWord("on");
        s.tunerMode = 0;
        s.tunerEngaged = 1;
    }
    return Flow::stop;
}

// Extended keys (after X)

Panel::Flow Panel::rtsKey() {
    PanelState& s = state;
    sayWord("RTS");
    s.keyPrefix = 0;
    if (!hasRtsKeying(s.radioId)) {
        sayWord("na");
        return Flow::stop;
    }
    s.rtsOn = s.rtsOn == 1 ? 0 : 1;
    sayWord(s.rtsOn == 1 ? "on" : "off");
    send(s.rtsOn == 1 ? "EX1081" : "EX1080");
    return Flow::stop;
}

Panel::Flow Panel::txBandwidthKey() {
    static const char* const widthWords[] = {"wide", "mid", "nar"};
    PanelState& s = state;
    s.txBandwidth = std::clamp(s.txBandwidth, 0, 2);
    sayWord("txbw");
    send("Z7" + std::to_string(s.txBandwidth));
    sayWord(widthWords[s.txBandwidth]);
    s.txBandwidth = (s.txBandwidth + 1) % 3;
    s.txbwLatch = 1;  // W again steps on; only X ends it
    return Flow::stop;
}

Panel::Flow Panel::lockKey() {
    PanelState& s = state;
    s.keyPrefix = 0;
    if (s.lockAvailable != 1) {
        sayWord("lock");
        sayWord("na");
        return Flow::stop;
    }
    const bool locking = s.lockState != "1";
    sayWord(locking ? "lock" : "unlock");
    s.lockState = locking ? "1" : "0";
    send("LO" + s.lockState);
    showStatusWords();
    return Flow::stop;
}

// The keyer: K enters it in CW with the radio's keyer speed; K leaves it
// with the mode restored, any other key but Up and Down leaves it silently.

Panel::Flow Panel::keyerKey() {
    PanelState& s = state;
    sayWord("ks");
    if (s.keyPrefix == 11) {
        s.keyPrefix = 0;
        s.mode = s.savedMode;
        sendMode();
        sayWord("off");
        sayKeyerSpeed();
        send(s.breakIn == 1 ? "BI1" : "BI0");
        return Flow::stop;
    }
    s.savedMode = s.mode;
    s.mode = modeCw;
    sendMode();
    s.keyPrefix = 11;
    readLevel("KS", s.keyerSpeed);
    sayWord("on");
    send("VX2");
    sayKeyerSpeed();
    return Flow::goOn;
}

Panel::Flow Panel::leaveKeyer() {
    state.keyPrefix = 0;
    state.mode = state.savedMode;
    sendMode();
    sendPowerQuietly();
    return Flow::goOn;
}

// The microphone-gain watch: the poll reports the ALC while it runs.

Panel::Flow Panel::micGainWatchKey() {
    PanelState& s = state;
    s.keyPrefix = 12;
    s.tickCount = 0;
    sayLevelPercent();  // "micgain", "lev", the percentage, "perc"
    s.peakAlc = 0;
    s.micGainWatch = 1;
    return Flow::stop;
}

Panel::Flow Panel::endMicGainWatch() {
    PanelState& s = state;
    sayLevelPercent();
    s.micGainWatch = 0;
    s.peakAlc = 0;
    sayWord("off");
    if (s.keyCode != keyF11) return Flow::goOn;  // F11 itself only ends the watch
    s.keyPrefix = 0;
    return Flow::stop;
}

}  // namespace vocrig::panel
