// Radio-to-program translations: the radio's answers update the stored
// readings, and raised counters become replies at the start of the next turn.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "translator.h"

namespace vocrig::translator {

namespace {

enum class Reading { none, level, switchByte };

using R = TranslatorState::Readings;
using T = Translator;
using P = TranslatorState::Pending;
constexpr P noReply = P::count;

struct DecoderRow {
    civ::Command answer;  // sub -1: any sub-command
    Reading reading;
    int R::*value;
    P pending;         // the reply it raises; noReply: none
    const char* note;  // log note, or null
    void (Translator::*special)();
};

// Tested in this order on the command and sub-command bytes; a frame matches at most one row.
constexpr DecoderRow decoderTable[] = {
    {{civ::readFrequency}, Reading::none, nullptr, noReply, nullptr, &T::decodeFrequencyA},
    {civ::unselectedFrequency, Reading::none, nullptr, noReply, nullptr, &T::decodeFrequencyB},
    {civ::sMeter, Reading::level, &R::sMeterValue, noReply, nullptr, nullptr},
    {civ::swrMeter, Reading::level, &R::swrValue, noReply, nullptr, nullptr},
    {civ::alcMeter, Reading::level, &R::alcValue, P::alcMeter, nullptr, nullptr},
    {civ::afGain, Reading::level, &R::afGainValue, P::afGain, "--- AF Gain", nullptr},
    {civ::squelch, Reading::level, &R::squelchValue, P::squelch, "--- Squelch ", nullptr},
    {civ::nrLevel, Reading::level, &R::nrLevelValue, P::nrLevel, "--- NR Level", nullptr},
    {civ::nbLevel, Reading::level, &R::nbLevelValue, P::nbLevel, "--- NB Level", nullptr},
    {civ::micGain, Reading::level, &R::micGainValue, P::micGain, nullptr, nullptr},
    {civ::keyerSpeed, Reading::level, &R::keyerSpeedValue, P::keyerSpeed, nullptr, nullptr},
    {civ::noiseReduction, Reading::switchByte, &R::nrState, P::noiseReduction, nullptr, nullptr},
    {civ::vox, Reading::switchByte, &R::voxState, P::vox, nullptr, nullptr},
    {civ::breakIn, Reading::switchByte, &R::breakInState, P::breakIn, nullptr, nullptr},
    {civ::speechProcessor, Reading::switchByte, &R::processorState, P::processor, nullptr, nullptr},
    {{civ::identity}, Reading::none, nullptr, noReply, nullptr, &T::decodeTransceiverId},
    {{civ::transmit}, Reading::switchByte, &R::tunerState, P::tuner, nullptr, nullptr},
};

// Run at the start of every turn, in this order, each while its reply is pending.
constexpr void (Translator::*deferredSteps[])() = {
    &T::replyNoiseReduction, &T::replyProcessor, &T::replyMicGain, &T::replyAlcMeter,
    &T::replySquelch,        &T::replyAfGain,    &T::replyNrLevel, &T::replyNbLevel,
    &T::replyKeyerSpeed,     &T::replyBreakIn,   &T::replyVox,     &T::replyTuner,
};
static_assert(std::size(deferredSteps) == static_cast<size_t>(P::count), "a step for every pending reply");

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
        st.readings.*row.value = value;
        if (row.pending != noReply) st.pending.set(static_cast<size_t>(row.pending));
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
    if (!text.empty() && answersAfterTheLastSet(st.queriesA)) st.readings.freqA = text;
}

void Translator::decodeFrequencyB() {
    if (st.frameEnd != 12) return;
    std::string text = frequencyText(*this, 11);
    if (!text.empty() && answersAfterTheLastSet(st.queriesB)) st.readings.freqB = text;
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
    size_t i = 0;
    for (auto step : deferredSteps) {
        if (st.pending.test(i)) {
            st.pending.reset(i);
            (this->*step)();
        }
        ++i;
    }
}

bool Translator::repliesPending() const { return st.pending.any(); }

// Each reply tells a reading in the panel's fields; some are lowered to the
// top of the panel's scale first.
void Translator::replyNoiseReduction() { reply(st.readings.nrState == 1 ? "NR1" : "NR0"); }

void Translator::replyProcessor() { reply(st.readings.processorState == 1 ? "PR1" : "PR0"); }

void Translator::replyMicGain() { reply("MG" + threeDigits(std::min(st.readings.micGainValue, 255))); }

void Translator::replyAlcMeter() { reply("RM3" + threeDigits(std::min(st.readings.alcValue, 120))); }

void Translator::replySquelch() { reply("SQ0" + threeDigits(std::min(st.readings.squelchValue, 255))); }

void Translator::replyAfGain() { reply("AG0" + threeDigits(st.readings.afGainValue)); }

void Translator::replyNrLevel() { reply("RL" + twoDigits(st.readings.nrLevelValue / 20)); }

void Translator::replyNbLevel() { reply("NL0" + twoDigits(std::min(st.readings.nbLevelValue / 20, 10))); }

void Translator::replyKeyerSpeed() {
    long wpm = static_cast<long>(std::nearbyint(st.readings.keyerSpeedValue / 6.0 + 6));
    reply("KS0" + twoDigits(wpm));
}

void Translator::replyBreakIn() { reply(std::string("BI") + switchCharacter(st.readings.breakInState)); }

void Translator::replyVox() { reply(std::string("VX") + switchCharacter(st.readings.voxState)); }

void Translator::replyTuner() { reply(st.readings.tunerState == 1 ? "AC1" : "AC0"); }

}  // namespace vocrig::translator
