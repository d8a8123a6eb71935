// Radio-to-program translations: the radio's answers update the stored
// readings, and raised counters become replies at the start of the next turn.
#include <cmath>

#include "translator.h"

namespace vocrig::translator {

namespace {

enum class Reading { none, level, switchByte };

struct DecoderRow {
    civ::Command answer;  // sub -1: any sub-command
    Reading reading;
    int TranslatorState::*value;
    int TranslatorState::*pending;
    const char* note;  // log note, or null
    void (Translator::*special)();
};

using S = TranslatorState;
using T = Translator;

// Tested in this order on the command and sub-command bytes; a frame matches at most one row.
constexpr DecoderRow decoderTable[] = {
    {{civ::readFrequency}, Reading::none, nullptr, nullptr, nullptr, &T::decodeFrequencyA},
    {civ::unselectedFrequency, Reading::none, nullptr, nullptr, nullptr, &T::decodeFrequencyB},
    {civ::sMeter, Reading::level, &S::sMeterValue, nullptr, nullptr, nullptr},
    {civ::swrMeter, Reading::level, &S::swrValue, nullptr, nullptr, nullptr},
    {civ::alcMeter, Reading::level, &S::alcValue, &S::alcMeterPending, nullptr, nullptr},
    {civ::afGain, Reading::level, &S::afGainValue, &S::afGainPending, "--- AF Gain", nullptr},
    {civ::squelch, Reading::level, &S::squelchValue, &S::squelchPending, "--- Squelch ", nullptr},
    {civ::nrLevel, Reading::level, &S::nrLevelValue, &S::nrLevelPending, "--- NR Level", nullptr},
    {civ::nbLevel, Reading::level, &S::nbLevelValue, &S::nbLevelPending, "--- NB Level", nullptr},
    {civ::micGain, Reading::level, &S::micGainValue, &S::micGainPending, nullptr, nullptr},
    {civ::keyerSpeed, Reading::level, &S::keyerSpeedValue, &S::keyerSpeedPending, nullptr, nullptr},
    {civ::noiseReduction, Reading::switchByte, &S::nrState, &S::noiseReductionPending, nullptr, nullptr},
    {civ::vox, Reading::switchByte, &S::voxState, &S::voxPending, nullptr, nullptr},
    {civ::breakIn, Reading::switchByte, &S::breakInState, &S::breakInPending, nullptr, nullptr},
    {civ::speechProcessor, Reading::switchByte, &S::processorState, &S::processorPending, nullptr, nullptr},
    {{civ::identity}, Reading::none, nullptr, nullptr, nullptr, &T::decodeTransceiverId},
    {{civ::transmit}, Reading::switchByte, &S::tunerState, &S::tunerPending, nullptr, nullptr},
};

struct DeferredStep {
    int TranslatorState::*pending;
    void (Translator::*step)();
};

// Run at the start of every turn, in this order.
constexpr DeferredStep deferredSteps[] = {
    {&S::noiseReductionPending, &T::replyNoiseReduction},
    {&S::processorPending, &T::replyProcessor},
    {&S::micGainPending, &T::replyMicGain},
    {&S::alcMeterPending, &T::replyAlcMeter},
    {&S::squelchPending, &T::replySquelch},
    {&S::afGainPending, &T::replyAfGain},
    {&S::nrLevelPending, &T::replyNrLevel},
    {&S::nbLevelPending, &T::replyNbLevel},
    {&S::keyerSpeedPending, &T::replyKeyerSpeed},
    {&S::breakInPending, &T::replyBreakIn},
    {&S::voxPending, &T::replyVox},
    {&S::tunerPending, &T::replyTuner},
};

// "BI" and "VX" carry the switch byte as its digit (the decoder takes 0-9 only).
char switchCharacter(int state) { return static_cast<char>('0' + (state < 0 || state > 9 ? 0 : state)); }

}  // namespace

void Translator::classifyRadioFrame() {
    int c1 = frameByte(1), c2 = frameByte(2);
    for (const DecoderRow& row : decoderTable) {
        if (row.answer.command != c1 || (row.answer.sub >= 0 && row.answer.sub != c2)) continue;
        if (row.special) {
            (this->*row.special)();
            return;
        }
        int c3 = frameByte(3), c4 = frameByte(4);
        int value = row.reading == Reading::switchByte ? c3 : 100 * c3 + 10 * (c4 >> 4) + (c4 & 0x0F);
        // A reading that is no BCD level 0-255 or switch 0-9 is a damaged or
        // foreign frame: the stored value stays, and nothing is replied.
        bool valid = row.reading == Reading::switchByte
                         ? c3 <= 9
                         : c3 <= 9 && (c4 >> 4) <= 9 && (c4 & 0x0F) <= 9 && value <= 255;
        if (!valid) return;
        st.*row.value = value;
        if (row.pending) st.*row.pending = 1;
        if (row.note && st.debugLevel > 0 && logFile) {
            logWrite(row.note);
            logZone();
            logWrite(printedNumber(value) + "\r\n");
        }
        return;
    }
}

namespace {

// The 11-digit text of five BCD bytes, most significant last in the buffer;
// "" when a half byte is no digit (a damaged frame).
std::string frequencyText(const Translator& t, size_t lastPosition) {
    std::string text = "0";
    for (size_t position = lastPosition; position >= lastPosition - 4; --position) {
        unsigned char b = t.radioAt(position);
        if ((b >> 4) > 9 || (b & 0x0F) > 9) return {};
        text += static_cast<char>('0' + (b >> 4));
        text += static_cast<char>('0' + (b & 0x0F));
    }
    return text;
}

}  // namespace

void Translator::decodeFrequencyA() {
    if (st.frameEnd != 11) return;  // only an answer standing at the start of the buffer
    std::string text = frequencyText(*this, 10);
    if (!text.empty() && answersAfterTheLastSet(st.queriesA)) st.freqA = text;
}

void Translator::decodeFrequencyB() {
    if (st.frameEnd != 12) return;
    std::string text = frequencyText(*this, 11);
    if (!text.empty() && answersAfterTheLastSet(st.queriesB)) st.freqB = text;
}

bool Translator::answersAfterTheLastSet(FrequencyQueries& queries) {
    // The radio answers in order: this answer belongs to the oldest query still
    // open. Queries whose answer is long overdue were lost on the line, so a
    // lost answer holds nothing up for long.
    int64_t now = clock.monotonicMicros();
    auto& open = queries.outstanding;
    while (!open.empty() && now - open.front().at > queryAnswerMicros) open.pop_front();
    if (open.empty()) return true;  // unasked: the dial turned, or another program asked
    uint64_t asked = open.front().sequence;
    open.pop_front();
    return asked > queries.lastSet;
}

void Translator::decodeTransceiverId() {
    int id = radioAt(7);
    if (st.radioAddress == 0 && usableAddress(id)) st.radioAddress = id;
    if (st.debugLevel > 0 && logFile) {
        logWrite("+++");
        logZone();
        logWrite(printedNumber(st.radioAddress));
        logZone();
        logWrite("  ");
        logZone();
        logWrite(printedNumber(id) + "\r\n");
    }
    st.frameHeader = civ::header(static_cast<uint8_t>(st.radioAddress), civ::controller);
}

void Translator::runDeferredReplies() {
    for (const DeferredStep& step : deferredSteps)
        if (st.*step.pending > 0) (this->*step.step)();
}

bool Translator::repliesPending() const {
    for (const DeferredStep& step : deferredSteps)
        if (st.*step.pending > 0) return true;
    return false;
}

void Translator::replyNoiseReduction() {
    st.noiseReductionPending = 0;
    reply(st.nrState == 1 ? "NR1" : "NR0");
}

void Translator::replyProcessor() {
    st.processorPending = 0;
    reply(st.processorState == 1 ? "PR1" : "PR0");
}

void Translator::replyMicGain() {
    st.micGainPending = 0;
    if (st.micGainValue > 255) st.micGainValue = 255;
    reply("MG" + threeDigits(st.micGainValue));
}

void Translator::replyAlcMeter() {
    st.alcMeterPending = 0;
    if (st.alcValue > 120) st.alcValue = 120;
    reply("RM3" + threeDigits(st.alcValue));
}

void Translator::replySquelch() {
    st.squelchPending = 0;
    if (st.squelchValue > 255) st.squelchValue = 255;
    reply("SQ0" + threeDigits(st.squelchValue));
}

void Translator::replyAfGain() {
    st.afGainPending = 0;
    reply("AG0" + threeDigits(st.afGainValue));
}

void Translator::replyNrLevel() {
    st.nrLevelPending = 0;
    reply("RL" + twoDigits(st.nrLevelValue / 20));
}

void Translator::replyNbLevel() {
    st.nbLevelPending = 0;
    int n = st.nbLevelValue / 20;
    if (n > 10) n = 10;
    reply("NL0" + twoDigits(n));
}

void Translator::replyKeyerSpeed() {
    st.keyerSpeedPending = 0;
    long wpm = static_cast<long>(std::nearbyint(st.keyerSpeedValue / 6.0 + 6));
    reply("KS0" + twoDigits(wpm));
}

void Translator::replyBreakIn() {
    st.breakInPending = 0;
    reply(std::string("BI") + switchCharacter(st.breakInState));
}

void Translator::replyVox() {
    st.voxPending = 0;
    reply(std::string("VX") + switchCharacter(st.voxState));
}

void Translator::replyTuner() {
    st.tunerPending = 0;
    reply(st.tunerState == 1 ? "AC1" : "AC0");
}

}  // namespace vocrig::translator
