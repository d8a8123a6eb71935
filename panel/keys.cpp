// The keys: the guards every key-down passes, the dispatch chain that gives
// each key its meaning in a fixed order, and the dispatch end that sends the
// dial frequency.

#include <array>

#include "key_codes.h"
#include "panel.h"

namespace vocrig::panel {

namespace {

using Flow = Panel::Flow;

// Which keys a chain entry takes: one key, every key but up to three, or every key.
struct Keys {
    enum Kind { only, allBut, every } kind;
    std::array<int, 3> codes;

    bool take(int key) const {
        bool listed = false;
        for (int code : codes) listed = listed || (code != 0 && code == key);
        return kind == every || (kind == only ? listed : !listed);
    }
};
constexpr Keys only(int key) { return {Keys::only, {key, 0, 0}}; }
constexpr Keys allBut(int a, int b = 0, int c = 0) { return {Keys::allBut, {a, b, c}}; }
constexpr Keys every{Keys::every, {0, 0, 0}};

using Condition = bool (*)(const PanelState&);
bool always(const PanelState&) { return true; }
bool bandPrefix(const PanelState& s) { return s.keys.keyPrefix == Prefix::band; }
bool inExtended(const PanelState& s) { return s.keys.keyPrefix == Prefix::extended; }
bool bandwidthLatched(const PanelState& s) { return s.keys.keyPrefix == Prefix::extended && s.switches.txbwLatch == 1; }
bool keyerPrefix(const PanelState& s) { return s.keys.keyPrefix == Prefix::keyer; }
bool micGainWatching(const PanelState& s) { return s.levels.micGainWatch >= 1; }
bool inFm(const PanelState& s) { return modeClass(s.dial.mode) == ModeClass::fm; }
bool typingTone(const PanelState& s) { return s.tone.toneEntry == ToneEntry::typing && s.entry.freqEntry == 0; }
bool channelPending(const PanelState& s) { return s.channels.channelOp != ChannelOp::none; }
bool somethingTyped(const PanelState& s) { return s.entry.entryMHz != noEntry; }
bool noPrefix(const PanelState& s) { return s.keys.keyPrefix == Prefix::none; }
// The prefixes whose Up and Down adjust a setting.
bool levelPrefixSet(const PanelState& s) {
    return s.keys.keyPrefix != Prefix::none && s.keys.keyPrefix != Prefix::band;
}
// A tone being typed, not one restored from a row and already on the radio.
bool inToneEntry(const PanelState& s) { return s.tone.toneEntry == ToneEntry::typing && s.tone.toneOn == 0; }
bool notInToneEntry(const PanelState& s) { return !inToneEntry(s); }

struct ChainEntry {
    int number;  // place in the chain, as the operator's key list numbers it
    Keys keys;
    Condition when;
    Flow (Panel::*run)();
};

// The dispatch chain, tested in this order. An entry whose keys and condition
// match runs; unless it answers goOn, the key stops there.
const ChainEntry chain[] = {
    {1, only(keyX), bandPrefix, &Panel::band6m},  // band 11 (6 m)
    {2, only(keyT), bandPrefix, &Panel::band2m},  // band 12 (2 m)
    {3, only(keyS), bandPrefix, &Panel::band70cm},  // band 13 (70 cm)
    {4, only(keyU), bandPrefix, &Panel::bandGeneral},  // band 14 (general coverage)
    {5, only(keyR), inExtended, &Panel::rtsKey},
    {6, only(keyW), inExtended, &Panel::txBandwidthKey},  // sets the latch
    {7, allBut(keyX), bandwidthLatched, &Panel::ignoreKey},
    {8, only(keyT), inExtended, &Panel::tuningStep},  // tuning step
    {9, only(keyL), inExtended, &Panel::lockKey},
    {10, only(keyS), inExtended, &Panel::swapVfo},  // VFO swap
    {11, only(keyF9), always, &Panel::monitorKey},
    {12, allBut(keyK, keyUp, keyDown), keyerPrefix, &Panel::leaveKeyer},
    {13, allBut(keyUp, keyDown), micGainWatching, &Panel::endMicGainWatch},
    {14, only(keyU), always, &Panel::nextChannel},
    {15, allBut(keyS, keyF), always, &Panel::forgetChannel},
    {16, only(keyL), always, &Panel::levelPrefix},  // noise blanker / reduction level
    {17, only(keySpace), always, &Panel::transmitKey},
    {18, only(keyK), always, &Panel::keyerKey},
    {19, only(keyI), inFm, &Panel::toneKey},  // tone on or off
    {20, only(keyEnter), typingTone, &Panel::takeTone},  // take the typed tone
    {21, every, channelPending, &Panel::cancelChannelOp},
    {22, only(keyN), always, &Panel::dcsKey},  // DCS code
    {23, only(keyO), always, &Panel::optionsReport},
    {24, only(keyA), always, &Panel::afGainPrefix},
    {25, only(keyC), always, &Panel::startStore},
    {26, only(keyG), always, &Panel::startRecall},
    {27, only(keyE), always, &Panel::startFrequencyEntry},
    {28, only(keyPoint), always, &Panel::entryPoint},
    {29, only(keyEnter), somethingTyped, &Panel::takeFrequencyEntry},
    {30, only(keyV), always, &Panel::splitKey},  // split
    {31, only(keyZ), always, &Panel::zeroFrequency},
    {32, only(keyF1), always, &Panel::preampKey},
    {33, only(keyF2), always, &Panel::attenuatorKey},
    {34, only(keyF3), always, &Panel::noiseBlankerKey},
    {35, only(keyF4), always, &Panel::noiseReductionKey},
    {36, only(keyF5), always, &Panel::notchKey},
    {37, only(keyF6), always, &Panel::ignoreKey},
    {38, only(keyF7), always, &Panel::processorKey},
    {39, only(keyF12), always, &Panel::tunerModeKey},
    {40, only(keyF8), always, &Panel::voxKey},  // VOX, or break-in in CW
    {41, only(keyD), always, &Panel::dstarKey},  // DSTAR
    {42, only(keyF), always, &Panel::sayFrequencyAndMode},  // speak frequency and mode
    {43, only(keyP), always, &Panel::powerPrefix},
    {44, only(keyF11), always, &Panel::micGainWatchKey},
    {45, only(keyR), inToneEntry, &Panel::dcsReverseKey},  // DCS reverse
    {45, only(keyR), notInToneEntry, &Panel::rfGainPrefix},
    {46, only(keyS), always, &Panel::sayMeter},
    {47, only(keyT), always, &Panel::antennaTune},
    {48, only(keyB), always, &Panel::bandPrefixKey},  // band prefix
    {49, only(keyW), always, &Panel::widthPrefix},
    {50, only(keyX), always, &Panel::extendedPrefix},
    {51, every, inExtended, &Panel::extendedMode},  // extended M; resend the mode
    {52, only(keyM), always, &Panel::nextMode},  // next mode
    {53, only(keyUp), noPrefix, &Panel::frequencyUp},
    {53, only(keyUp), bandPrefix, &Panel::bandUp},
    {53, only(keyUp), levelPrefixSet, &Panel::levelUp},
    {54, only(keyDown), noPrefix, &Panel::frequencyDown},
    {54, only(keyDown), bandPrefix, &Panel::bandDown},
    {54, only(keyDown), levelPrefixSet, &Panel::levelDown},
};

// The diagnostic echo of a key: printable keys as their character; the
// others by their code, so nothing but printable text goes on the link.
std::string echoOf(int key) {
    if (key == keyEnter) return "*C/R";
    if (key == keyPoint) return "*.";
    const bool printable = key >= 32 && key <= 126 && key != ';';
    std::string text = printable ? std::string("*") + static_cast<char>(key) : "*<" + std::to_string(key) + ">";
    if (key >= keyPad0 && key <= keyPad9) text += " (" + std::to_string(key - keyPad0) + ")";
    return text;
}

}  // namespace

void Panel::handleKeyDown(const platform::Event& event) {
    // An auto-repeat of the key held down is no new press; a second key
    // pressed while the first is still down is (a fast typist's roll-over).
    if (event.repeat || (state.keys.keyHeld == 1 && event.key == state.keys.heldKey)) return;
    state.keys.keyCode = event.key;
    state.keys.keyHeld = 1;
    state.keys.heldKey = event.key;
    state.keys.modeReported = 0;

    if (state.config.diagLevel == 1) echoKey(event.key);
    if (state.transmit.tuning == 1 && state.keys.keyCode != keyT && state.keys.keyCode != keyS) {
        sayWord("ton");
        return;
    }
    state.link.commandText.clear();

    if (state.keys.keyCode >= keyPad0 && state.keys.keyCode <= keyPad9) state.keys.keyCode -= keyPad0 - key0;
    if (state.keys.keyCode == keyPadPoint) state.keys.keyCode = keyPoint;
    const int key = state.keys.keyCode;

    if (key == keyShift || key == keyCtrl || key == keyInsert || key == keyLeftWindows) return;
    // Digits work whether or not the link is up.
    if (key >= key0 && key <= key9) {
        digitKey(key - key0);
        return;
    }
    // A tone entry with nothing typed yet ends at any key that cannot start one.
    if (state.tone.toneEntry == ToneEntry::typing && isNoTone(state.tone.toneText) && key != keyEnter && key != keyN &&
        key != keyR)
        state.tone.toneEntry = ToneEntry::none;
    if (key == keyQ) {
        state.program.running = 0;
        send("Z6");
        send("RX$");
        state.transmit.txState = 0;  // "Z6" ended any transmission
        sayWord("quit");
        return;
    }
    if (state.poll.connected == 0) {
        sayWord("nc");
        return;
    }
    if (dispatchChain()) dispatchEnd();
}

void Panel::handleKeyUp(int key) {
    if (key == state.keys.heldKey) {
        state.keys.keyHeld = 0;
        state.keys.heldKey = 0;
    }
}

void Panel::echoKey(int rawKey) {
    state.config.diagLevel = 2;
    send(echoOf(rawKey));
}

bool Panel::dispatchChain() {
    for (const ChainEntry& entry : chain) {
        if (!entry.keys.take(state.keys.keyCode) || !entry.when(state)) continue;
        if ((this->*entry.run)() == Flow::stop) return false;
    }
    return true;
}

void Panel::dispatchEnd() {
    if (state.keys.keyPrefix != Prefix::none && state.keys.keyPrefix != Prefix::width) return;
    if (!applyFrequencyKey()) return;
    sendFrequency();
    if (state.keys.keyCode == keyH) sayWordAsync("help.wav");
}

Panel::Flow Panel::ignoreKey() { return Flow::stop; }

Panel::Flow Panel::forgetChannel() {
    state.channels.channelBank = noBand;
    return Flow::goOn;
}

Panel::Flow Panel::cancelChannelOp() {
    // B makes the next digit the bank; every other key cancels the operation.
    if (state.keys.keyCode == keyB) {
        state.channels.choosingBank = 1;
        sayWord("bank");
    } else {
        state.channels.channelOp = ChannelOp::none;
        state.channels.channelBankChoice = 0;
        state.channels.choosingBank = 0;
    }
    return Flow::stop;
}

Panel::Flow Panel::afGainPrefix() {
    state.keys.keyPrefix = Prefix::afGain;
    sayWord("ag");
    return Flow::stop;
}

Panel::Flow Panel::sayMeter() {
    if (state.transmit.txState > 0 || state.transmit.tuning == 1)
        saySwr();
    else saySMeter();
    return Flow::stop;
}

Panel::Flow Panel::extendedPrefix() {
    sayWord("extcm");
    if (state.keys.keyPrefix != Prefix::extended) {
        state.keys.keyPrefix = Prefix::extended;
        sayWord("on");
    } else {
        state.keys.keyPrefix = Prefix::none;
        state.switches.txbwLatch = 0;
        sayWord("off");
    }
    return Flow::stop;
}

Panel::Flow Panel::optionsReport() {
    const PanelState& s = state;
    sayWord("options");
    const struct {
        bool holds;
        const char* name;
    } options[] = {
        {s.switches.preampOn == 1, "preamp"},
        {s.switches.attOn == 1, "at"},
        {s.switches.nbOn == 1, "nb"},
        {s.switches.nrOn == 1, "nr"},
        {s.switches.notchOn == 1, "notch"},
        {s.switches.processorOn == 1 && s.dial.mode < 3, "spc"},
        {s.switches.breakIn == 1 && s.dial.mode == 3, "bkin"},
        {s.switches.vox == 1 && s.dial.mode != 3, "vox"},
        {s.levels.monitorLevel >= 1, "mon"},
    };
    for (const auto& option : options) {
        if (!option.holds) continue;
        sayWord(option.name);
        sayWord("on");
    }
    if (!isNoTone(s.tone.toneText)) sayTone();
    if (s.config.lockState == "1" && s.link.lockAvailable == 1) {
        sayWord("lock");
        sayWord("on");
    }
    sayWord("tuner");
    sayWord("is");
    static const char* const tunerWords[] = {"on", "off", "both"};
    if (s.config.tunerMode >= 0 && s.config.tunerMode <= 2) sayWord(tunerWords[s.config.tunerMode]);
    return Flow::stop;
}

}  // namespace vocrig::panel
