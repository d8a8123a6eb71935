// Receiver and transmitter levels: the prefix keys that choose what Up and
// Down adjust, the adjustments with their limits, the on/off switches, the
// monitor, the tuner mode, the keyer and the microphone-gain watch.

#include <algorithm>

#include "key_codes.h"
#include "panel.h"
#include "radio/models.h"

namespace vocrig::panel {

// When a level says "max" or "min": on reaching its end, or only when pushed past it.
enum class Limit { reached, passed };

// What Up and Down adjust under a prefix: the value is brought within
// low..high, stepped, and sent as the command with the value in `digits`
// digits. Rows with code of their own step in it.
struct LevelRow {
    Prefix prefix;
    LevelTarget target;  // under L: the level it adjusts
    int PanelState::Levels::*member;  // none for the power, which is config.powerPercent
    int step, low, high;
    const char* command;
    int digits;
    Limit limit;
    void (Panel::*own)(const LevelRow&, int direction) = nullptr;
};

namespace {

// The filter width (W) is not a row: its steps and limits follow the mode
// (stepWidth), and the mode send sets it too (sendWidth).
using Levels = PanelState::Levels;

constexpr LevelRow levelTable[] = {
    // prefix, under L, member, step, low, high, command, digits, "max"/"min" when
    // Power: 5 below 30, 10 from 30 up, on multiples of 5; the percentage is spoken.
    {Prefix::power, LevelTarget::none, nullptr, 5, 5, 100, "PC", 3, Limit::reached, &Panel::stepPower},
    {Prefix::rfGain, LevelTarget::none, &Levels::rfGain, 20, 0, 255, "RG", 3, Limit::reached},
    {Prefix::afGain, LevelTarget::none, &Levels::afGain, 10, 0, 255, "AG0", 3, Limit::reached},
    {Prefix::level, LevelTarget::noiseBlanker, &Levels::nbLevel, 1, 1, 10, "NL", 3, Limit::passed},
    {Prefix::level, LevelTarget::noiseReduction, &Levels::nrLevel, 1, 1, 10, "RL", 2, Limit::passed},
    {Prefix::keyer, LevelTarget::none, &Levels::keyerSpeed, 1, 6, 48, "KS", 3, Limit::reached},  // words per minute
    // Microphone gain: down from the top lands on 250; the ALC peak starts afresh.
    {Prefix::micGain, LevelTarget::none, &Levels::micGain, 10, 0, 255, "MG", 3, Limit::passed, &Panel::stepMicGain},
};

const int cwWidthStep = 100;
const int monitorOnLevel = 7;
const int monitorTries = 2;

const LevelRow& powerRow = levelTable[0];
static_assert(levelTable[0].prefix == Prefix::power);

std::string levelCommand(const LevelRow& row, int value) { return row.command + zeroPadded(value, row.digits); }

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
    state.keys.keyPrefix = Prefix::power;
    return Flow::stop;
}

Panel::Flow Panel::rfGainPrefix() {
    sayWord("rf");
    state.keys.keyPrefix = Prefix::rfGain;
    return Flow::stop;
}

Panel::Flow Panel::widthPrefix() {
    const ModeClass kind = modeClass(state.dial.mode);
    if (kind != ModeClass::ssb && kind != ModeClass::cw) return Flow::stop;
    state.keys.keyPrefix = Prefix::width;
    sayFilterWidth();
    return Flow::stop;
}

Panel::Flow Panel::levelPrefix() {
    if (state.levels.levelTarget == LevelTarget::none) return Flow::stop;
    state.keys.keyPrefix = Prefix::level;
    sayWord(state.levels.levelTarget == LevelTarget::noiseBlanker ? "nb" : "nr");
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
    if (state.keys.keyPrefix == Prefix::width) return stepWidth(direction);
    for (const LevelRow& row : levelTable) {
        if (row.prefix != state.keys.keyPrefix) continue;
        if (row.target != LevelTarget::none && row.target != state.levels.levelTarget) continue;
        if (row.own) return (this->*row.own)(row, direction);
        int& value = state.levels.*row.member;
        const int stepped = std::clamp(value, row.low, row.high) + direction * row.step;
        value = std::clamp(stepped, row.low, row.high);
        const bool atEnd = row.limit == Limit::reached || stepped != value;
        if (atEnd && direction > 0 && value == row.high) sayWord("max");
        if (atEnd && direction < 0 && value == row.low) sayWord("min");
        send(levelCommand(row, value));
        return;
    }
}

void Panel::stepPower(const LevelRow& row, int direction) {
    int& p = state.config.powerPercent;
    p = std::clamp(p, 0, 10 * row.high);  // a configured 150 still comes down to 100
    const int step = p < 30 ? row.step : 2 * row.step;
    if (direction > 0) p = (p + step) / row.step * row.step;
    else p -= p < 31 ? row.step : 2 * row.step;
    p = std::clamp(p, row.low, row.high);
    sendPower();
    if (direction > 0 && p == row.high) sayWord("max");
    if (direction < 0 && p == row.low) sayWord("min");
}

void Panel::stepMicGain(const LevelRow& row, int direction) {
    int& g = state.levels.micGain;
    g = std::clamp(g, row.low, row.high) + direction * row.step;
    if (direction < 0 && g == 245) g = 250;  // down from the top lands on 250
    if (g > row.high) {
        g = row.high;
        sayWord("max");
    } else if (g < row.low) {
        g = row.low;
        sayWord("min");
    }
    state.levels.peakAlc = 0;
    send(levelCommand(row, g));
}

void Panel::stepWidth(int direction) {
    PanelState& s = state;
    if (modeClass(s.dial.mode) == ModeClass::ssb) {
        s.levels.filterWidth = std::clamp(s.levels.filterWidth, 0, 12) + direction;
    } else if (modeClass(s.dial.mode) == ModeClass::cw) {
        // CW widths run 50, 100, 200 ... 1500.
        s.levels.filterWidth = std::clamp(s.levels.filterWidth, 50, 1500) + direction * cwWidthStep;
        if (s.levels.filterWidth == 150) s.levels.filterWidth = 100;
    }
    sendWidth();
}

void Panel::sendWidth() {
    const ModeClass kind = modeClass(state.dial.mode);
    if (kind == ModeClass::ssb) {
        state.levels.filterWidth = std::clamp(state.levels.filterWidth, 0, 12);
        state.levels.ssbWidth = state.levels.filterWidth;
        send("SH" + zeroPadded(state.levels.filterWidth, 2));
        if (state.levels.filterWidth == 0) sayWord("min");
        if (state.levels.filterWidth == 12) sayWord("max");
    } else if (kind == ModeClass::cw) {
        if (state.levels.filterWidth > 1500) {
            state.levels.filterWidth = 1500;
            sayWord("max");
        } else if (state.levels.filterWidth < 100) {
            state.levels.filterWidth = 50;
            sayWord("min");
        }
        state.levels.cwWidth = state.levels.filterWidth;
        send("FW" + zeroPadded(state.levels.filterWidth, 4));
    } else if (kind == ModeClass::am) {
        state.levels.filterWidth = 8;
        send("SH08");
    }
}

void Panel::sendPower(Speak speak) {
    send(levelCommand(powerRow, state.config.powerPercent));
    if (speak == Speak::yes) sayPowerPercent();
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
    toggleSwitch("preamp", "PA1", "PA0", state.switches.preampOn);
    showStatusWords();
}

void Panel::setPreamp(int on) {
    state.switches.preampOn = on == 1 ? 0 : 1;
    togglePreamp();
}

Panel::Flow Panel::preampKey() {
    togglePreamp();
    return Flow::stop;
}

Panel::Flow Panel::attenuatorKey() {
    toggleSwitch("at", "RA01", "RA00", state.switches.attOn);
    showStatusWords();
    return Flow::stop;
}

// Sends a level query, waits once and reads; the level follows the code in
// the reply, and stays as it was when the reply does not carry it.
void Panel::readLevel(const char* query, int& level) {
    send(query);
    pause();
    readReply();
    const size_t at = state.link.replyText.find(query);
    if (at != std::string::npos) level = numberOf(slice(state.link.replyText, at + 2, 3));
}

Panel::Flow Panel::noiseBlankerKey() {
    PanelState& s = state;
    if (toggleSwitch("nb", "NB1", "NB0", s.switches.nbOn) == 1) {
        s.levels.levelTarget = LevelTarget::noiseBlanker;
        readLevel("NL", s.levels.nbLevel);
    } else if (s.levels.levelTarget == LevelTarget::noiseBlanker) {
        s.levels.levelTarget = LevelTarget::none;
    }
    s.poll.tickCount = 0;
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::noiseReductionKey() {
    PanelState& s = state;
    if (toggleSwitch("nr", "NR1", "NR0", s.switches.nrOn) == 1) {
        s.levels.levelTarget = LevelTarget::noiseReduction;
        readLevel("RL", s.levels.nrLevel);
    } else if (s.levels.levelTarget == LevelTarget::noiseReduction) {
        s.levels.levelTarget = LevelTarget::none;
    }
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::notchKey() {
    toggleSwitch("notch", "NT10", "NT00", state.switches.notchOn);
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::processorKey() {
    if (modeClass(state.dial.mode) != ModeClass::ssb) {
        sayWord("spc");
        sayWord("na");
        return Flow::goOn;
    }
    toggleSwitch("spc", "PR1", "PR0", state.switches.processorOn);
    showStatusWords();
    return Flow::goOn;
}

Panel::Flow Panel::voxKey() {
    if (state.dial.mode == modeCw)
        toggleSwitch("bkin", "BI1", "BI0", state.switches.breakIn);
    else
        toggleSwitch("vox", "VX1", "VX0", state.switches.vox);
    showStatusWords();
    return Flow::stop;
}

Panel::Flow Panel::monitorKey() {
    PanelState& s = state;
    sayWord("mon");
    if (s.levels.monitorLevel > 0) {
        sayWord("off");
        s.levels.monitorLevel = 0;
        send("ML000");
        s.levels.levelTarget = LevelTarget::none;
    } else {
        sayWord("on");
        s.levels.monitorLevel = monitorOnLevel;
        bool answered = false;
        for (int i = 0; i < monitorTries; ++i) {
            send("ML");
            sayWord("shdel");
            readReply();
            const size_t at = s.link.replyText.find("ML");
            if (at != std::string::npos) {
                // A reading of 0 would make the next F9 switch on again.
                s.levels.monitorLevel = std::max(1, numberOf(slice(s.link.replyText, at + 2, 3)));
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
    if (s.config.tunerMode == 0) {
        send("AC000");
        sayWord("off");
        s.config.tunerMode = 1;
        s.switches.tunerEngaged = 0;
    } else if (s.config.tunerMode == 1) {
        send("AC110");
        sayWord("both");
        s.config.tunerMode = 2;
        s.switches.tunerEngaged = 1;
    } else {
        send("AC110");
        sayWord("on");
        s.config.tunerMode = 0;
        s.switches.tunerEngaged = 1;
    }
    return Flow::stop;
}

// Extended keys (after X)

Panel::Flow Panel::rtsKey() {
    PanelState& s = state;
    sayWord("RTS");
    s.keys.keyPrefix = Prefix::none;
    if (!hasRtsKeying(s.link.radioId)) {
        sayWord("na");
        return Flow::stop;
    }
    s.switches.rtsOn = s.switches.rtsOn == 1 ? 0 : 1;
    sayWord(s.switches.rtsOn == 1 ? "on" : "off");
    send(s.switches.rtsOn == 1 ? "EX1081" : "EX1080");
    return Flow::stop;
}

Panel::Flow Panel::txBandwidthKey() {
    static const char* const widthWords[] = {"wide", "mid", "nar"};
    PanelState& s = state;
    s.switches.txBandwidth = std::clamp(s.switches.txBandwidth, 0, 2);
    sayWord("txbw");
    send("Z7" + std::to_string(s.switches.txBandwidth));
    sayWord(widthWords[s.switches.txBandwidth]);
    s.switches.txBandwidth = (s.switches.txBandwidth + 1) % 3;
    s.switches.txbwLatch = 1;  // W again steps on; only X ends it
    return Flow::stop;
}

Panel::Flow Panel::lockKey() {
    PanelState& s = state;
    s.keys.keyPrefix = Prefix::none;
    if (s.link.lockAvailable != 1) {
        sayWord("lock");
        sayWord("na");
        return Flow::stop;
    }
    const bool locking = s.config.lockState != "1";
    sayWord(locking ? "lock" : "unlock");
    s.config.lockState = locking ? "1" : "0";
    send("LO" + s.config.lockState);
    showStatusWords();
    return Flow::stop;
}

// The keyer: K enters it in CW with the radio's keyer speed; K leaves it
// with the mode restored, any other key but Up and Down leaves it silently.

Panel::Flow Panel::keyerKey() {
    PanelState& s = state;
    sayWord("ks");
    if (s.keys.keyPrefix == Prefix::keyer) {
        s.keys.keyPrefix = Prefix::none;
        s.dial.mode = s.levels.savedMode;
        sendMode();
        sayWord("off");
        sayKeyerSpeed();
        send(s.switches.breakIn == 1 ? "BI1" : "BI0");
        return Flow::stop;
    }
    s.levels.savedMode = s.dial.mode;
    s.dial.mode = modeCw;
    sendMode();
    s.keys.keyPrefix = Prefix::keyer;
    readLevel("KS", s.levels.keyerSpeed);
    sayWord("on");
    send("VX2");
    sayKeyerSpeed();
    return Flow::goOn;
}

Panel::Flow Panel::leaveKeyer() {
    state.keys.keyPrefix = Prefix::none;
    state.dial.mode = state.levels.savedMode;
    sendMode();
    sendPower(Speak::no);
    return Flow::goOn;
}

// The microphone-gain watch: the poll reports the ALC while it runs.

Panel::Flow Panel::micGainWatchKey() {
    PanelState& s = state;
    s.keys.keyPrefix = Prefix::micGain;
    s.poll.tickCount = 0;
    sayLevelPercent();  // "micgain", "lev", the percentage, "perc"
    s.levels.peakAlc = 0;
    s.levels.micGainWatch = 1;
    return Flow::stop;
}

Panel::Flow Panel::endMicGainWatch() {
    PanelState& s = state;
    sayLevelPercent();
    s.levels.micGainWatch = 0;
    s.levels.peakAlc = 0;
    sayWord("off");
    if (s.keys.keyCode != keyF11) return Flow::goOn;  // F11 itself only ends the watch
    s.keys.keyPrefix = Prefix::none;
    return Flow::stop;
}

}  // namespace vocrig::panel
