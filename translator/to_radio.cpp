// Program-to-radio translations: each panel command becomes its CI-V frames
// and, for a few queries, an immediate reply from the stored readings. A
// command without its value (a query) sends the recogniser table's query
// frame and never reaches these.
#include <cmath>
#include <string_view>

#include "radio/models.h"
#include "translator.h"

namespace vocrig::translator {

using namespace std::literals;

namespace {

int digitValue(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }

std::string byte(long value) { return std::string(1, static_cast<char>(value & 0xFF)); }

std::string onOff(bool on) { return byte(on ? civ::on : civ::off); }

// CW filter width: the byte of the first bound above the width in hertz.
struct WidthRow {
    long below;
    int widthByte;
};
constexpr WidthRow cwWidthTable[] = {
    {100, 0x00},  {200, 0x01},  {300, 0x03},  {400, 0x05},  {500, 0x07},  {600, 0x09},
    {700, 0x10},  {800, 0x11},  {900, 0x12},  {1000, 0x13}, {1100, 0x14}, {1200, 0x15},
    {1300, 0x16}, {1400, 0x17}, {1500, 0x18}, {1600, 0x19},
};
constexpr int widestCwByte = 0x19;

// Menu item of the RTS keying setting ("EX1080"/"EX1081") on radios whose row names none.
constexpr std::string_view otherMenuItem = "\x00\x78"sv;
// Its values: keying off, and keying by RTS.
constexpr int rtsKeyingOff = 0x00, rtsKeyingOn = 0x02;
// The menu item that readies a radio for the power-on command.
constexpr std::string_view powerOnMenuItem = "\x01\x55"sv;
// A sleeping radio needs a run of preamble bytes to wake before the command.
constexpr size_t wakePreamble = 300;
constexpr int attenuatorOn = 0x20;                   // 20 dB
constexpr int dcsNormal = 0x00, dcsReversed = 0x11;  // polarity of transmit and receive
constexpr int tunerOff = 0x00, tunerIn = 0x01, tunerTune = 0x02;
constexpr int filterWide = 0x01, filterNarrow = 0x02;  // FIL1, FIL2
constexpr int stepFine = 0x01, stepCoarse = 0x02;      // tuning step index

}  // namespace

void Translator::translatePower() {
    if (st.matchedCommand.find("PS1") != std::string::npos) {
        st.radioFrame = std::string(wakePreamble, static_cast<char>(civ::preamble)) + st.frameHeader +
                        civ::Command{civ::power}.bytes() + byte(civ::on);
        sendToRadio();
    } else {
        send({civ::power}, byte(civ::off));
    }
}

void Translator::translateMenuItem() {
    std::string code = programSlice(st.keywordPosition + 2, 4);
    if (code.compare(0, 3, "108") != 0) return;
    const radio::Model* model = radio::byAddress(st.radioAddress);
    std::string item(model && !model->rtsMenuItem.empty() ? model->rtsMenuItem : otherMenuItem);
    if (code == "1080")
        send(civ::menuItem, item + byte(rtsKeyingOff));
    else if (code == "1081")
        send(civ::menuItem, item + byte(rtsKeyingOn));
    else
        send(civ::menuItem, item);
}

void Translator::translateMonitor() {
    if (programAt(st.keywordPosition + 2) != '0') return;  // "ML" alone asks nothing we answer
    send(civ::monitor, onOff(programSlice(3, 3) != "000"));
}

// "FA"/"FB" alone: the reply is the frequency known so far; the recogniser
// then asks the radio for the current one.
void Translator::answerFrequency(const char* code, const std::string& stored, FrequencyQueries& queries) {
    reply(code + stored);
    int64_t now = clock.monotonicMicros();
    auto& open = queries.outstanding;
    while (!open.empty() && now - open.front().at > queryAnswerMicros) open.pop_front();  // lost on the line
    open.push_back({++st.frequencySequence, now});
}

void Translator::answerFrequencyA() { answerFrequency("FA", st.readings.freqA, st.queriesA); }

void Translator::answerFrequencyB() { answerFrequency("FB", st.readings.freqB, st.queriesB); }

// With digits: sets the VFO and keeps the text.
void Translator::translateFrequency(std::string& stored, FrequencyQueries& queries, const civ::Command& set) {
    // Exactly 11 digits: anything else is a damaged command, and the radio
    // would be sent somewhere the operator never asked for.
    std::string digits = st.matchedCommand.substr(2);
    if (digits.size() != 11 || digits.find_first_not_of("0123456789") != std::string::npos) return;
    send(set, frequencyForm(digits));
    // While the radio is gone it never gets the set: keep what it last told us.
    if (st.radioLost) return;
    stored = digits;
    queries.lastSet = ++st.frequencySequence;
}

void Translator::translateFrequencyA() { translateFrequency(st.readings.freqA, st.queriesA, {civ::setFrequency}); }

void Translator::translateFrequencyB() { translateFrequency(st.readings.freqB, st.queriesB, civ::unselectedFrequency); }

void Translator::translateSMeter() {
    send(civ::sMeter);
    reply("SM0" + threeDigits(st.readings.sMeterValue));
}

void Translator::translateSwr() {
    send(civ::swrMeter);
    if (st.readings.swrValue <= 299) reply("RM1" + threeDigits(st.readings.swrValue));
}

void Translator::translateMode() {
    char digit = programAt(st.keywordPosition + 2);
    std::string mode;
    for (const ModeRow& row : modeTable) {
        if (row.digit != digit) continue;
        const radio::Model* model = radio::byAddress(st.radioAddress);
        if (!(row.modeByte == civ::modeDv && model && model->modeSevenBare)) mode = byte(row.modeByte);
        break;
    }
    send({civ::setMode}, mode);
}

void Translator::translateSplitOn() {
    send({civ::split}, byte(civ::on));
    st.readings.freqB = st.readings.freqA;
}

void Translator::translateSplitOff() { send({civ::split}, byte(civ::off)); }

void Translator::translateAfGain() {
    long n = decimalValue(programSlice(st.keywordPosition + 3, 3));
    send(civ::afGain, levelForm(n));
    st.readings.afGainValue = static_cast<int>(n);
}

void Translator::answerRfGain() { reply("RG" + threeDigits(st.readings.rfGainValue)); }

void Translator::translateRfGain() {
    long n = decimalValue(programSlice(st.keywordPosition + 2, 3));
    send(civ::rfGain, levelForm(n));
    st.readings.rfGainValue = static_cast<int>(n);
}

void Translator::translatePowerLevel() {
    long n = decimalValue(programSlice(st.keywordPosition + 2, 3));
    long level = static_cast<long>(std::nearbyint(2.5 * static_cast<double>(n) + 1));
    if (level > 249) level = 255;
    send(civ::rfPower, levelForm(level));
}

void Translator::translateKeyerSpeed() {
    long wpm = decimalValue(programSlice(st.keywordPosition + 2, 3));
    send(civ::keyerSpeed, levelForm(6 * (wpm - 6)));
}

void Translator::translateFilterWidth() {
    long n = decimalValue(st.matchedCommand.substr(2));
    long w = 2 * n + 14;
    long tens = w < 0 ? 0 : (w / 10) % 10, units = w < 0 ? 0 : w % 10;
    send(civ::filterWidth, byte(16 * tens + units));
}

void Translator::translateCwWidth() {
    long n = decimalValue(st.matchedCommand.substr(2));
    int widthByte = widestCwByte;  // 1600 Hz and more: the widest filter there is
    for (const WidthRow& row : cwWidthTable) {
        if (n < row.below) {
            widthByte = row.widthByte;
            break;
        }
    }
    send(civ::filterWidth, byte(widthByte));
}

// The switches whose command carries "1" for on and anything else for off.
void Translator::translateSwitch(const civ::Command& command) {
    send(command, onOff(programAt(st.keywordPosition + 2) == '1'));
}

void Translator::translatePreamp() { translateSwitch(civ::preamp); }

void Translator::translateNoiseBlanker() { translateSwitch(civ::noiseBlanker); }

void Translator::translateNoiseReduction() { translateSwitch(civ::noiseReduction); }

void Translator::translateNotch() { translateSwitch(civ::autoNotch); }

void Translator::translateProcessor() { translateSwitch(civ::speechProcessor); }

void Translator::translateLock() { translateSwitch(civ::dialLock); }

void Translator::translateAttenuator() {
    send({civ::attenuator}, byte(programSlice(st.keywordPosition + 2, 2) == "01" ? attenuatorOn : civ::off));
}

void Translator::translateBreakIn() {
    char c = programAt(st.keywordPosition + 2);
    if (c == '0' || c == '1')
        send(civ::breakIn, onOff(c == '1'));
    else
        send(civ::breakIn);
}

void Translator::translateVox() { send(civ::vox, byte(digitValue(programAt(st.keywordPosition + 2)))); }

void Translator::translateToneSwitch() {
    send(civ::toneSquelch, byte(civ::off));
    clock.sleepMs(100);  // the radio takes the two settings only with a gap between them
    send(civ::repeaterTone, onOff(programAt(3) == '1'));
}

void Translator::translateTone() {
    char kind = programAt(3);
    if (kind == 'N' || kind == 'R') {
        // A digital code: polarity, then the three digits.
        send(civ::dcsCode, civBytes({kind == 'N' ? dcsNormal : dcsReversed, digitValue(programAt(4)),
                                     16 * digitValue(programAt(5)) + digitValue(programAt(6))}));
        return;
    }
    // A tone in hertz with an optional tenth after the ".".
    size_t dot = st.programBuffer.find('.');
    long n;
    long tenth = 0;
    if (dot == std::string::npos) {
        n = decimalValue(programSlice(3, std::string::npos));
    } else {
        size_t d = dot + 1;
        n = d > 3 ? decimalValue(programSlice(3, d - 3)) : 0;
        if (d + 1 <= st.programBuffer.size()) tenth = static_cast<unsigned char>(programAt(d + 1)) - 48;
        if (tenth < 0 || tenth > 9) return;  // the tenth must be a digit, or the frame carries junk
    }
    long h = n < 0 ? 0 : (n / 100) % 10, t = n < 0 ? 0 : (n / 10) % 10, u = n < 0 ? 0 : n % 10;
    send(civ::repeaterToneFrequency, civBytes({0, static_cast<int>(16 * h + t), static_cast<int>(16 * u + tenth)}));
}

void Translator::translateNrLevel() {
    long n = decimalValue(programSlice(st.keywordPosition + 2, 2));
    send(civ::nrLevel, levelForm(20 * n + 1));
}

void Translator::translateNbLevel() {
    long n = decimalValue(programSlice(st.keywordPosition + 3, 2));
    send(civ::nbLevel, levelForm(20 * n));
}

void Translator::translateSquelch() {
    long n = decimalValue(programSlice(st.keywordPosition + 3, std::string::npos));
    send(civ::squelch, levelForm(n));
}

void Translator::translateTransmit() { send(civ::transmitSwitch, byte(civ::on)); }

void Translator::translateReceive() {
    send(civ::transmitSwitch, byte(civ::off));
    st.readings.swrValue = 99;
}

void Translator::translateMicGain() {
    send(civ::micGain, civBytes({digitValue(programAt(3)), 16 * digitValue(programAt(4)) + digitValue(programAt(5))}));
}

void Translator::translateTuner() {
    int setting;
    if (programAt(st.keywordPosition + 2) == '0')
        setting = tunerOff;
    else if (programAt(st.keywordPosition + 4) == '1')
        setting = tunerTune;
    else
        setting = tunerIn;
    send(civ::tuner, byte(setting));
}

void Translator::translateIdentify() {
    const radio::Model* model = radio::byAddress(st.radioAddress);
    if (model && !model->identifySetUp.empty()) send(std::string(model->identifySetUp));
    // The panel must learn the address even before the radio has spoken.
    reply("Z1" + byte(st.radioAddress), Delivery::evenUnheard);
}

void Translator::translateFmNarrow() { send({civ::setMode}, civBytes({civ::modeFm, filterNarrow})); }

void Translator::translateFmWide() { send({civ::setMode}, civBytes({civ::modeFm, filterWide})); }

void Translator::translateTransmitOff() { send(civ::transmitSwitch, byte(civ::off)); }

void Translator::translateTxBandwidth() { send(civ::txBandwidth, byte(digitValue(programAt(3)))); }

void Translator::translateSwap() { send(civ::swapVfos); }

void Translator::translateDialStep() { send({civ::tuningStep}, byte(programAt(3) == '0' ? stepFine : stepCoarse)); }

void Translator::translateModelSetUp() {
    if (st.newModelGroup == 1) {
        const radio::Model* model = radio::byAddress(st.radioAddress);
        if (model && model->linkStartMenuItem >= 0)
            send(civ::menuItem, civBytes({0, model->linkStartMenuItem, civ::on}));
    }
    send(civ::selectVfoA);
}

void Translator::translatePowerOnPrep() { send(civ::menuItem, std::string(powerOnMenuItem)); }

}  // namespace vocrig::translator
