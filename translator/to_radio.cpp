// Program-to-radio translations: each panel command becomes its CI-V frames
// and, for a few queries, an immediate reply from the stored readings.
#include <cmath>
#include <string_view>

#include "radio/models.h"
#include "translator.h"

namespace vocrig::translator {

using namespace std::literals;

namespace {

int digitValue(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }

std::string byte(long value) { return std::string(1, static_cast<char>(value & 0xFF)); }

// Mode byte by the digit after "MD"; -1: the frame goes out without one.
struct ModeRow {
    char digit;
    int modeByte;
};
constexpr ModeRow modeTable[] = {
    {'1', 0x00}, {'2', 0x01}, {'3', 0x03}, {'4', 0x05}, {'5', 0x02}, {'6', 0x05}, {'7', 0x17},
};

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

std::string onOff(bool on) { return on ? "\x01"s : "\x00"s; }

}  // namespace

void Translator::translatePower() {
    if (st.matchedCommand.find("PS1") != std::string::npos) {
        // A sleeping radio needs a run of preamble bytes to wake before the command.
        st.radioFrame = std::string(300, '\xFE') + st.frameHeader + "\x18\x01"s;
        sendToRadio();
    } else {
        send("\x18\x00"s);
    }
}

void Translator::translateMenuItem() {
    std::string code = programSlice(st.keywordPosition + 2, 4);
    if (code.compare(0, 3, "108") != 0) return;
    const radio::Model* model = radio::byAddress(st.radioAddress);
    std::string item(model && !model->rtsMenuItem.empty() ? model->rtsMenuItem : otherMenuItem);
    if (code == "1080")
        send("\x1A\x05"s + item + "\x00"s);
    else if (code == "1081")
        send("\x1A\x05"s + item + "\x02"s);
    else
        send("\x1A\x05"s + item);
}

void Translator::translateMonitor() {
    if (programAt(st.keywordPosition + 2) != '0') return;  // "ML" alone asks nothing we answer
    send("\x16\x45"s + onOff(programSlice(3, 3) != "000"));
}

// "FA"/"FB" alone asks: the reply is the frequency known so far, and the radio
// is asked for the current one. With digits it sets the VFO and keeps the text.
void Translator::translateFrequency(const char* code, std::string& stored, FrequencyQueries& queries,
                                    const std::string& query, const std::string& set) {
    if (st.matchedCommand == code) {
        reply(code + stored);
        send(query);
        int64_t now = clock.monotonicMicros();
        auto& open = queries.outstanding;
        while (!open.empty() && now - open.front().at > queryAnswerMicros) open.pop_front();  // lost on the line
        open.push_back({++st.frequencySequence, now});
        return;
    }
    // Exactly 11 digits: anything else is a damaged command, and the radio
    // would be sent somewhere the operator never asked for.
    std::string digits = st.matchedCommand.substr(2);
    if (digits.size() != 11 || digits.find_first_not_of("0123456789") != std::string::npos) return;
    send(set + frequencyForm(digits));
    // While the radio is gone it never gets the set: keep what it last told us.
    if (st.radioLost) return;
    stored = digits;
    queries.lastSet = ++st.frequencySequence;
}

void Translator::translateFrequencyA() { translateFrequency("FA", st.freqA, st.queriesA, "\x03"s, "\x05"s); }

void Translator::translateFrequencyB() { translateFrequency("FB", st.freqB, st.queriesB, "\x25\x01"s, "\x25\x01"s); }

void Translator::translateSMeter() {
    send("\x15\x02"s);
    reply("SM0" + threeDigits(st.sMeterValue));
}

void Translator::translateSwr() {
    send("\x15\x12"s);
    if (st.swrValue <= 299) reply("RM1" + threeDigits(st.swrValue));
}

void Translator::translateMode() {
    char digit = programAt(st.keywordPosition + 2);
    std::string body = "\x06"s;
    for (const ModeRow& row : modeTable) {
        if (row.digit != digit) continue;
        const radio::Model* model = radio::byAddress(st.radioAddress);
        if (!(digit == '7' && model && model->modeSevenBare)) body += byte(row.modeByte);
        break;
    }
    send(body);
}

void Translator::translateSplitOn() {
    send("\x0F\x01"s);
    st.freqB = st.freqA;
}

void Translator::translateSplitOff() { send("\x0F\x00"s); }

void Translator::translateAfGain() {
    if (st.matchedCommand.size() == 3) {
        send("\x14\x01"s);
        return;
    }
    long n = decimalValue(programSlice(st.keywordPosition + 3, 3));
    send("\x14\x01"s + levelForm(n));
    st.afGainValue = static_cast<int>(n);
}

void Translator::translateRfGain() {
    if (st.matchedCommand.size() == 3) {
        reply("RG" + threeDigits(st.rfGainValue));
        return;
    }
    long n = decimalValue(programSlice(st.keywordPosition + 2, 3));
    send("\x14\x02"s + levelForm(n));
    st.rfGainValue = static_cast<int>(n);
}

void Translator::translatePowerLevel() {
    long n = decimalValue(programSlice(st.keywordPosition + 2, 3));
    long level = static_cast<long>(std::nearbyint(2.5 * static_cast<double>(n) + 1));
    if (level > 249) level = 255;
    send("\x14\x0A"s + levelForm(level));
}

void Translator::translateKeyerSpeed() {
    if (programAt(st.keywordPosition + 2) == ';') {
        send(st.matchedCommand);
        return;
    }
    long wpm = decimalValue(programSlice(st.keywordPosition + 2, 3));
    send(st.matchedCommand + levelForm(6 * (wpm - 6)));
}

void Translator::translateFilterWidth() {
    long n = decimalValue(st.matchedCommand.substr(2));
    long w = 2 * n + 14;
    long tens = w < 0 ? 0 : (w / 10) % 10, units = w < 0 ? 0 : w % 10;
    send("\x1A\x03"s + byte(16 * tens + units));
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
    send("\x1A\x03"s + byte(widthByte));
}

void Translator::translatePreamp() { send("\x16\x02"s + onOff(programAt(st.keywordPosition + 2) == '1')); }

void Translator::translateAttenuator() {
    send("\x11"s + (programSlice(st.keywordPosition + 2, 2) == "01" ? "\x20"s : "\x00"s));
}

void Translator::translateNoiseBlanker() { send("\x16\x22"s + onOff(programAt(st.keywordPosition + 2) == '1')); }

void Translator::translateBreakIn() {
    if (programSlice(st.keywordPosition, 3) == "BI;") {
        send("\x16\x47"s);
        return;
    }
    char c = programAt(st.keywordPosition + 2);
    if (c == '0' || c == '1')
        send("\x16\x47"s + onOff(c == '1'));
    else
        send("\x16\x47"s);
}

void Translator::translateVox() {
    if (programSlice(st.keywordPosition, 3) == "VX;") {
        send("\x16\x46"s);
        return;
    }
    send("\x16\x46"s + byte(digitValue(programAt(st.keywordPosition + 2))));
}

void Translator::translateToneSwitch() {
    send("\x16\x43\x00"s);
    clock.sleepMs(100);  // the radio takes the two settings only with a gap between them
    send("\x16\x42"s + onOff(programAt(3) == '1'));
}

void Translator::translateTone() {
    char kind = programAt(3);
    if (kind == 'N' || kind == 'R') {
        // A digital code: polarity, then the three digits.
        send("\x1B\x02"s + (kind == 'N' ? "\x00"s : "\x11"s) + byte(digitValue(programAt(4))) +
             byte(16 * digitValue(programAt(5)) + digitValue(programAt(6))));
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
    send("\x1B\x00\x00"s + byte(16 * h + t) + byte(16 * u + tenth));
}

void Translator::translateNoiseReduction() {
    if (st.programChunk.size() == 3) {
        send("\x16\x40"s);
        return;
    }
    send("\x16\x40"s + onOff(programAt(st.keywordPosition + 2) == '1'));
}

void Translator::translateNotch() { send("\x16\x41"s + onOff(programAt(st.keywordPosition + 2) == '1')); }

void Translator::translateNrLevel() {
    if (programAt(st.keywordPosition + 2) == ';') {
        send("\x14\x06"s);
        return;
    }
    long n = decimalValue(programSlice(st.keywordPosition + 2, 2));
    send("\x14\x06"s + levelForm(20 * n + 1));
}

void Translator::translateNbLevel() {
    if (programAt(st.keywordPosition + 2) == ';') {
        send("\x14\x12"s);
        return;
    }
    long n = decimalValue(programSlice(st.keywordPosition + 3, 2));
    send("\x14\x12"s + levelForm(20 * n));
}

void Translator::translateSquelch() {
    if (st.matchedCommand.size() == 3) {
        send("\x14\x03"s);
        return;
    }
    long n = decimalValue(programSlice(st.keywordPosition + 3, std::string::npos));
    send("\x14\x03"s + levelForm(n));
}

void Translator::translateTransmit() { send("\x1C\x00\x01"s); }

void Translator::translateReceive() {
    send("\x1C\x00\x00"s);
    st.swrValue = 99;
}

void Translator::translateMicGain() {
    if (st.programBuffer == "MG;") {
        send("\x14\x0B"s);
        return;
    }
    send("\x14\x0B"s + byte(digitValue(programAt(3))) + byte(16 * digitValue(programAt(4)) + digitValue(programAt(5))));
}

void Translator::translateAlc() {
    if (st.programBuffer == "RM3;") send("\x15\x13"s);
}

void Translator::translateTuner() {
    if (st.programChunk.size() == 3) {
        send("\x1C\x01"s);
        return;
    }
    std::string setting;
    if (programAt(st.keywordPosition + 2) == '0')
        setting = "\x00"s;  // tuner out
    else if (programAt(st.keywordPosition + 4) == '1')
        setting = "\x02"s;  // in, and tune now
    else
        setting = "\x01"s;  // in
    send("\x1C\x01"s + setting);
}

void Translator::translateProcessor() {
    if (st.programChunk.size() == 3) {
        send("\x16\x44"s);
        return;
    }
    send("\x16\x44"s + onOff(programAt(st.keywordPosition + 2) == '1'));
}

void Translator::translateLock() { send("\x16\x50"s + onOff(programAt(st.keywordPosition + 2) == '1')); }

void Translator::translateIdentify() {
    const radio::Model* model = radio::byAddress(st.radioAddress);
    if (model && !model->identifySetUp.empty()) send(std::string(model->identifySetUp));
    // The panel must learn the address even before the radio has spoken.
    int heard = st.radioHeard;
    st.radioHeard = 1;
    reply("Z1" + byte(st.radioAddress));
    st.radioHeard = heard;
}

void Translator::translateFmNarrow() { send("\x06\x05\x02"s); }

void Translator::translateFmWide() { send("\x06\x05\x01"s); }

void Translator::translateTransmitOn() { send("\x1C\x00\x01"s); }

void Translator::translateTransmitOff() { send("\x1C\x00\x00"s); }

void Translator::translateTxBandwidth() { send("\x16\x58"s + byte(digitValue(programAt(3)))); }

void Translator::translateSwap() { send("\x07\xB0"s); }

void Translator::translateDialStep() { send("\x10"s + (programAt(3) == '0' ? "\x01"s : "\x02"s)); }

void Translator::translateModelSetUp() {
    if (st.newModelGroup == 1) {
        const radio::Model* model = radio::byAddress(st.radioAddress);
        if (model && model->linkStartMenuItem >= 0) send("\x1A\x05\x00"s + byte(model->linkStartMenuItem) + "\x01"s);
    }
    send("\x07\x00"s);
}

void Translator::translatePowerOnPrep() { send("\x1A\x05\x01\x55"s); }

}  // namespace vocrig::translator
