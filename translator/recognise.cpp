// Command recognition: which one panel command a read holds, and the quit sequence.
#include <string_view>

#include "translator.h"

namespace vocrig::translator {

namespace {

enum class Match { anywhere, start, whole };  // whole: the command is the keyword and its ";"
enum class Then { stop, goOn };
// When a command asks instead of sets: never, when its ";" follows the
// keyword at once ("KS;"), or after one more character ("AG0;").
enum class Bare { never, alone, withOne };

struct KeywordRow {
    std::string_view keyword;
    Match match;
    Then then;
    Bare bare;
    const civ::Command* query;        // sent for the bare command; null: none
    void (Translator::*answer)();     // run for the bare command before its query; null: none
    void (Translator::*translate)();  // run for the command with its value; null: nothing is sent
};

using T = Translator;
constexpr civ::Command frequencyQuery{civ::readFrequency};
constexpr Match any = Match::anywhere, start = Match::start;
constexpr Then stop = Then::stop, goOn = Then::goOn;
constexpr Bare never = Bare::never, alone = Bare::alone, withOne = Bare::withOne;

// Searched in this order; the first row that matches wins (unless it goes on).
constexpr KeywordRow keywordTable[] = {
    {"PS", any, stop, never, nullptr, nullptr, &T::translatePower},
    {"EX", any, stop, never, nullptr, nullptr, &T::translateMenuItem},
    {"ML", any, stop, never, nullptr, nullptr, &T::translateMonitor},
    {"FA", any, stop, alone, &frequencyQuery, &T::answerFrequencyA, &T::translateFrequencyA},
    {"FB", any, stop, alone, &civ::unselectedFrequency, &T::answerFrequencyB, &T::translateFrequencyB},
    {"SM", any, stop, never, nullptr, nullptr, &T::translateSMeter},
    {"RM1", any, stop, never, nullptr, nullptr, &T::translateSwr},
    {"MD", any, stop, never, nullptr, nullptr, &T::translateMode},
    {"FT1", any, stop, never, nullptr, nullptr, &T::translateSplitOn},
    {"RX0", any, stop, never, nullptr, nullptr, &T::translateSplitOff},
    {"AG", any, stop, withOne, &civ::afGain, nullptr, &T::translateAfGain},
    {"RG", any, stop, withOne, nullptr, &T::answerRfGain, &T::translateRfGain},
    {"PC", any, stop, never, nullptr, nullptr, &T::translatePowerLevel},
    {"KS", any, stop, alone, &civ::keyerSpeed, nullptr, &T::translateKeyerSpeed},
    {"SH", any, stop, never, nullptr, nullptr, &T::translateFilterWidth},
    {"FW", any, stop, never, nullptr, nullptr, &T::translateCwWidth},
    {"PA", any, stop, never, nullptr, nullptr, &T::translatePreamp},
    {"RA", any, stop, never, nullptr, nullptr, &T::translateAttenuator},
    {"NB", any, stop, never, nullptr, nullptr, &T::translateNoiseBlanker},
    {"BI", any, goOn, alone, &civ::breakIn, nullptr, &T::translateBreakIn},
    {"VX", any, stop, alone, &civ::vox, nullptr, &T::translateVox},
    {"CT", start, stop, never, nullptr, nullptr, &T::translateToneSwitch},
    {"CN", start, stop, never, nullptr, nullptr, &T::translateTone},
    {"NR", any, stop, alone, &civ::noiseReduction, nullptr, &T::translateNoiseReduction},
    {"NT", any, stop, never, nullptr, nullptr, &T::translateNotch},
    {"RL", any, stop, alone, &civ::nrLevel, nullptr, &T::translateNrLevel},
    {"NL", any, stop, alone, &civ::nbLevel, nullptr, &T::translateNbLevel},
    {"SQ", any, stop, withOne, &civ::squelch, nullptr, &T::translateSquelch},
    {"TX2", any, stop, never, nullptr, nullptr, &T::translateTransmit},
    {"RX", any, goOn, never, nullptr, nullptr, &T::translateReceive},
    {"MG", any, stop, alone, &civ::micGain, nullptr, &T::translateMicGain},
    {"RM3", any, stop, alone, &civ::alcMeter, nullptr, nullptr},
    {"AC", any, stop, alone, &civ::tuner, nullptr, &T::translateTuner},
    {"PR", any, stop, alone, &civ::speechProcessor, nullptr, &T::translateProcessor},
    {"LO", any, stop, never, nullptr, nullptr, &T::translateLock},
    {"Z1", any, stop, never, nullptr, nullptr, &T::translateIdentify},
    {"Z3", any, stop, never, nullptr, nullptr, &T::translateFmNarrow},
    {"Z4", any, stop, never, nullptr, nullptr, &T::translateFmWide},
    {"Z5", any, stop, never, nullptr, nullptr, &T::translateTransmit},
    {"Z6", any, stop, never, nullptr, nullptr, &T::translateTransmitOff},
    {"Z7", any, stop, never, nullptr, nullptr, &T::translateTxBandwidth},
    {"Z8", any, stop, never, nullptr, nullptr, &T::translateSwap},
    {"Z9", any, stop, never, nullptr, nullptr, &T::translateDialStep},
    {"Z2", start, stop, never, nullptr, nullptr, &T::translateModelSetUp},
    {"Pow", start, stop, never, nullptr, nullptr, &T::translatePowerOnPrep},
    // Only the panel's own "quit" ends the run: line noise holding "qu" must not.
    {"quit", Match::whole, stop, never, nullptr, nullptr, &T::quitSequence},
};

}  // namespace

// programBuffer holds one command, up to and with its ";".
void Translator::recognise() {
    if (st.debugLevel > 0) logText("FromProg= ", st.programBuffer);
    const std::string& buffer = st.programBuffer;
    size_t terminator = buffer.find(';');
    if (terminator == std::string::npos) return;
    size_t s = terminator + 1;  // positions count from 1

    for (const KeywordRow& row : keywordTable) {
        size_t p = 1;
        if (row.match == Match::anywhere) {
            size_t found = buffer.find(row.keyword);
            if (found == std::string::npos) continue;
            p = found + 1;
        } else if (buffer.compare(0, row.keyword.size(), row.keyword) != 0 ||
                   (row.match == Match::whole && s != row.keyword.size() + 1)) {
            continue;
        }
        st.keywordPosition = p;
        st.matchedCommand = p < s ? buffer.substr(p - 1, s - p) : std::string();
        size_t valueLength = s - p - row.keyword.size();
        bool bare = (row.bare == Bare::alone && valueLength == 0) || (row.bare == Bare::withOne && valueLength == 1);
        if (bare) {
            if (row.answer) (this->*row.answer)();
            if (row.query) send(*row.query);
        } else if (row.translate) {
            (this->*row.translate)();
        }
        if (row.then == Then::stop) return;
    }
}

void Translator::quitSequence() {
    consoleWrite("Quit\n");
    if (st.debugLevel > 0) logLine("Quit");
    if (st.debugLevel == 2) consoleWrite("quit\n");
    clock.sleepMs(1000);
    closeChannels();
    st.ended = true;
}

}  // namespace vocrig::translator
