// Command recognition: which one panel command a read holds, and the quit sequence.
#include <string_view>

#include "translator.h"

namespace vocrig::translator {

namespace {

enum class Match { anywhere, start, whole };  // whole: the command is the keyword and its ";"
enum class Guard { no, yes };        // yes: a keyword found after the first ";" ends the search
enum class Command { kept, text, keyerBytes };
enum class Then { stop, goOn };

struct KeywordRow {
    std::string_view keyword;
    Match match;
    Guard guard;
    Command command;
    Then then;
    void (Translator::*translate)();
};

using T = Translator;

// Searched in this order; the first row that matches wins (unless it goes on).
constexpr KeywordRow keywordTable[] = {
    {"PS", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translatePower},
    {"EX", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateMenuItem},
    {"ML", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateMonitor},
    {"FA", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateFrequencyA},
    {"FB", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateFrequencyB},
    {"SM", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateSMeter},
    {"RM1", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateSwr},
    {"MD", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateMode},
    {"FT1", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateSplitOn},
    {"RX0", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateSplitOff},
    {"AG", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateAfGain},
    {"RG", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateRfGain},
    {"PC", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translatePowerLevel},
    {"KS", Match::anywhere, Guard::yes, Command::keyerBytes, Then::stop, &T::translateKeyerSpeed},
    {"SH", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateFilterWidth},
    {"FW", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateCwWidth},
    {"PA", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translatePreamp},
    {"RA", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateAttenuator},
    {"NB", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateNoiseBlanker},
    {"BI", Match::anywhere, Guard::no, Command::kept, Then::goOn, &T::translateBreakIn},
    {"VX", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateVox},
    {"CT", Match::start, Guard::no, Command::kept, Then::stop, &T::translateToneSwitch},
    {"CN", Match::start, Guard::no, Command::kept, Then::stop, &T::translateTone},
    {"NR", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateNoiseReduction},
    {"NT", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateNotch},
    {"RL", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateNrLevel},
    {"NL", Match::anywhere, Guard::yes, Command::kept, Then::stop, &T::translateNbLevel},
    {"SQ", Match::anywhere, Guard::yes, Command::text, Then::stop, &T::translateSquelch},
    {"TX2", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateTransmit},
    {"RX", Match::anywhere, Guard::no, Command::kept, Then::goOn, &T::translateReceive},
    {"MG", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateMicGain},
    {"RM3", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateAlc},
    {"AC", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateTuner},
    {"PR", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateProcessor},
    {"LO", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateLock},
    {"Z1", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateIdentify},
    {"Z3", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateFmNarrow},
    {"Z4", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateFmWide},
    {"Z5", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateTransmitOn},
    {"Z6", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateTransmitOff},
    {"Z7", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateTxBandwidth},
    {"Z8", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateSwap},
    {"Z9", Match::anywhere, Guard::no, Command::kept, Then::stop, &T::translateDialStep},
    {"Z2", Match::start, Guard::no, Command::kept, Then::stop, &T::translateModelSetUp},
    {"Pow", Match::start, Guard::no, Command::kept, Then::stop, &T::translatePowerOnPrep},
    // Only the panel's own "quit" ends the run: line noise holding "qu" must not.
    {"quit", Match::whole, Guard::no, Command::kept, Then::stop, &T::quitSequence},
};

}  // namespace

void Translator::recognise() {
    if (st.debugLevel > 0) logText("FromProg= ", st.programBuffer);
    const std::string& buffer = st.programBuffer;
    size_t terminator = buffer.find(';');
    if (terminator == std::string::npos) return;
    size_t s = terminator + 1;

    for (const KeywordRow& row : keywordTable) {
        size_t p;
        if (row.match == Match::anywhere) {
            size_t found = buffer.find(row.keyword);
            if (found == std::string::npos) continue;
            p = found + 1;
            if (row.guard == Guard::yes && p > s) return;  // the keyword belongs to a later command
        } else if (row.match == Match::start) {
            if (buffer.compare(0, row.keyword.size(), row.keyword) != 0) continue;
            p = 1;
        } else {
            if (s != row.keyword.size() + 1 || buffer.compare(0, row.keyword.size(), row.keyword) != 0) continue;
            p = 1;
        }
        st.keywordPosition = p;
        if (row.command == Command::text)
            st.matchedCommand = p < s ? buffer.substr(p - 1, s - p) : std::string();
        else if (row.command == Command::keyerBytes)
            st.matchedCommand = civBytes({0x14, 0x0C});
        (this->*row.translate)();
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
