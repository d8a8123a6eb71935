#pragma once

// voctrans: turns the panel's text commands into CI-V frames for an ICOM
// transceiver and the radio's answers back into text replies.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/serial.h"
#include "radio/civ.h"

namespace vocrig::translator {

inline constexpr char endOfFrame = static_cast<char>(civ::endOfFrame);

// A byte string from byte values, as CI-V frames are written down.
inline std::string civBytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v & 0xFF);
    return out;
}

// The panel's mode digits ("MD", "Z5") and the CI-V mode bytes, one table read
// both ways: a digit becomes its byte; a byte set by the second program is told
// to the panel as the first digit that has it, where the row says so.
struct ModeRow {
    char digit;
    uint8_t modeByte;
    bool toldBack;
};
inline constexpr ModeRow modeTable[] = {
    {'1', civ::modeLsb, true}, {'2', civ::modeUsb, true}, {'3', civ::modeCw, true},  {'4', civ::modeFm, true},
    {'5', civ::modeAm, true},  {'6', civ::modeFm, false}, {'7', civ::modeDv, false},
};

// Frequency queries of one VFO that the radio has not answered yet, so that an
// answer to a query sent before a set never undoes the set.
struct FrequencyQueries {
    struct Sent {
        uint64_t sequence;  // order among the frequency frames sent
        int64_t at;         // when (us)
    };
    std::deque<Sent> outstanding;
    uint64_t lastSet = 0;  // sequence of the last set
};

// The panel program this translator started.
struct PanelWatch {
    std::optional<platform::ProgramEnd> end;  // it ended; not handled yet
    int64_t endedAt = 0;                      // when that was seen (us)
    std::deque<int64_t> recentEnds;           // its ends without quit within the last minute (us)
};

struct TranslatorState {
    // Settings read from vocrig.cfg.
    int debugLevel = 0;              // 0 quiet, 1 traffic log, 2 log and console echo
    std::string radioPortName;       // "\\.\COM5"
    int radioBaud = 0;
    std::string radioModel;          // "7300", "AUTO", ...
    std::string passThroughPort;     // COM number of the second CI-V program's port, "0" = none

    // Addressing.
    int radioAddress = 0;            // CI-V address of the radio; 0 = not found yet
    int newModelGroup = 0;           // decided once at start-up from the configured address
    std::string frameHeader;         // FE FE radioAddress E0
    std::string replyPrefix;         // FE FE E0
    int radioHeard = 0;              // replies to the panel are held back until the radio is heard
    bool radioLost = false;          // heard once, then gone: replies held back until it answers again
    int64_t unansweredSince = -1;    // first frame sent since the radio last wrote to us (us), -1 none
    int64_t nextReopenAt = 0;        // when to try the radio's port again (us)

    // Received bytes and work strings (binary-safe).
    std::string radioBuffer, radioChunk;
    std::string programBuffer, programChunk;
    std::string passThroughBuffer, passThroughChunk;
    std::string radioFrame, panelReply, matchedCommand;
    size_t keywordPosition = 0;      // where the recognised keyword stands in programBuffer, from 1
    size_t frameEnd = 0;             // position of the FD that ended the radio frame taken, from 1
    int64_t programSince = 0;        // when the oldest byte of programBuffer arrived (us)

    // The radio's readings as it last told them, or as the panel last set them.
    struct Readings {
        std::string freqA = "00007100000";
        std::string freqB = "00007100000";
        std::string modeDigit = "1";  // the panel's digit of the mode the second program set
        int sMeterValue = 0;
        int swrValue = 300;  // above 299: no reading to report
        int alcValue = 0;
        int afGainValue = 50;
        int rfGainValue = 255;
        int squelchValue = 50;
        int nrLevelValue = 5;
        int nbLevelValue = 5;
        int micGainValue = 0;
        int keyerSpeedValue = 0;
        int nrState = 0;
        int processorState = 0;
        int breakInState = 0;
        int voxState = 0;
        int tunerState = 0;
    } readings;
    FrequencyQueries queriesA, queriesB;
    uint64_t frequencySequence = 0;

    // Replies raised by a radio answer and sent at the start of the next turn,
    // by their place in the deferred-reply table (from_radio.cpp).
    enum class Pending {
        noiseReduction,
        processor,
        micGain,
        alcMeter,
        squelch,
        afGain,
        nrLevel,
        nbLevel,
        keyerSpeed,
        breakIn,
        vox,
        tuner,
        count
    };
    std::bitset<static_cast<size_t>(Pending::count)> pending;

    // Output columns, for print zones.
    size_t consoleColumn = 0;
    size_t logColumn = 0;
    size_t logBytes = 0;             // written to the current debug.dat

    PanelWatch panelWatch;

    bool ended = false;
    int exitStatus = 0;   // what main() ends with (Translator::ExitStatus)
    bool inTurn = false;  // a turn is running (clock listeners may ask for another)
};

class Translator {
public:
    // Received bytes not yet taken are kept up to this many; older ones are dropped.
    static constexpr size_t bufferLimit = 4096;
    // How long an idle loop waits on the ports before looking again.
    static constexpr int idleWaitMs = 50;
    // A command still without its ";" after this long was left by a panel that went away.
    static constexpr int64_t staleCommandMicros = 1'000'000;
    // The radio counts as gone when frames sent to it get no frame back for this long.
    static constexpr int64_t radioSilenceMicros = 2'000'000;
    // A failed radio port is opened again by its name this often.
    static constexpr int64_t reopenMicros = 1'000'000;
    // An answer not come this long after its frequency query is taken as lost.
    static constexpr int64_t queryAnswerMicros = 500'000;
    // debug.dat is moved to debug.old at this size and started afresh.
    static constexpr size_t logLimit = 10'000'000;
    // A panel that ended is dealt with this long after: what it wrote just
    // before it ended ("quit" among it) is still on its way.
    static constexpr int64_t panelEndSettleMicros = 100'000;
    // This many ends of the panel without quit within a minute end the translator too.
    static constexpr size_t panelEndsAllowed = 3;
    static constexpr int64_t panelEndsWindowMicros = 60'000'000;

    enum ExitStatus { exitNormal = 0, exitConfiguration = 2, exitPanelFailing = 3 };

    // What vocrig.cfg gave besides the values: lines refused (each a console
    // line: the start is refused) and notes for the console.
    struct ConfigReading {
        std::vector<std::string> refused;
        std::vector<std::string> notes;
    };

    Translator(platform::SerialPort& radio, platform::SerialPort& panel, platform::SerialPort& passThrough,
               platform::SerialDevices& devices, platform::PortWaiter& waiter, platform::Console& console,
               platform::Process& process, platform::Clock& clock, platform::Files& files);

    TranslatorState& state() { return st; }
    bool ended() const { return st.ended; }
    int exitStatus() const { return st.exitStatus; }

    // Start-up and main loop (main_loop.cpp). False when vocrig.cfg was
    // refused: nothing was opened and the run has ended.
    bool startUp();
    ConfigReading readConfiguration();  // config.cpp
    // One main-loop turn. True when it found work (bytes read, a reply pending),
    // so the caller should run the next turn at once instead of waiting.
    bool turn();
    // Turns until quit, waiting on the ports whenever a turn finds nothing to do.
    // `stopRequested`, when given, is asked after every turn (an operator's
    // interrupt); either way the ports are closed and published links removed.
    void run(const std::function<bool()>& stopRequested = {});

    // Console and log (log.cpp).
    void logHex(const std::string& label, const std::string& bytes);
    void logText(const std::string& label, const std::string& text);
    void consoleWrite(const std::string& text);
    void consoleZone();
    void logWrite(const std::string& text);
    void logZone();
    void logLine(const std::string& text);  // log file only, CR LF added
    static std::string printedNumber(long value);
    static std::string hexGroups(const std::string& bytes);

    // The radio's address (model.cpp).
    static int modelAddress(const std::string& modelText);
    static bool usableAddress(int address);

    // CI-V number forms (text_fields.cpp).
    static std::string frequencyForm(const std::string& text);
    static std::string levelForm(long value);

    // The ports (ports.cpp) and the pass-through service (pass_through.cpp).
    void sendToRadio();
    // Replies wait until the radio has been heard; the identity reply goes even before.
    enum class Delivery { onceHeard, evenUnheard };
    void sendToProgram(Delivery delivery = Delivery::onceHeard);
    void readRadio();
    void readProgram();
    bool servicePassThrough();  // true when it read anything
    void forwardPassThroughFrame(const std::string& bytes);
    void takeRadioFrame(size_t prefixAt);
    void watchRadio();  // reopens a failed radio port and notices a radio that went silent
    void closeChannels();

    // Recogniser (recognise.cpp).
    void recognise();
    void quitSequence();

    // Program-to-radio translations (to_radio.cpp).
    void translatePower();
    void translateMenuItem();
    void translateMonitor();
    void translateFrequencyA();
    void translateFrequencyB();
    void translateFrequency(std::string& stored, FrequencyQueries& queries, const civ::Command& set);
    void answerFrequencyA();
    void answerFrequencyB();
    void answerFrequency(const char* code, const std::string& stored, FrequencyQueries& queries);
    // True when a frequency answer may replace the stored value: it answers no
    // query that was sent before the last set of that VFO.
    bool answersAfterTheLastSet(FrequencyQueries& queries);
    void translateSMeter();
    void translateSwr();
    void translateMode();
    void translateSplitOn();
    void translateSplitOff();
    void translateAfGain();
    void answerRfGain();
    void translateRfGain();
    void translatePowerLevel();
    void translateKeyerSpeed();
    void translateFilterWidth();
    void translateCwWidth();
    void translateSwitch(const civ::Command& command);
    void translatePreamp();
    void translateAttenuator();
    void translateNoiseBlanker();
    void translateBreakIn();
    void translateVox();
    void translateToneSwitch();
    void translateTone();
    void translateNoiseReduction();
    void translateNotch();
    void translateNrLevel();
    void translateNbLevel();
    void translateSquelch();
    void translateTransmit();
    void translateReceive();
    void translateMicGain();
    void translateTuner();
    void translateProcessor();
    void translateLock();
    void translateIdentify();
    void translateFmNarrow();
    void translateFmWide();
    void translateTransmitOff();
    void translateTxBandwidth();
    void translateSwap();
    void translateDialStep();
    void translateModelSetUp();
    void translatePowerOnPrep();

    // Radio-to-program translations (from_radio.cpp).
    void classifyRadioFrame();
    void decodeFrequencyA();
    void decodeFrequencyB();
    void decodeTransceiverId();
    void runDeferredReplies();
    bool repliesPending() const;
    void replyNoiseReduction();
    void replyProcessor();
    void replyMicGain();
    void replyAlcMeter();
    void replySquelch();
    void replyAfGain();
    void replyNrLevel();
    void replyNbLevel();
    void replyKeyerSpeed();
    void replyBreakIn();
    void replyVox();
    void replyTuner();

    // Text helpers shared by the translations (text_fields.cpp).
    static long decimalValue(const std::string& text);
    static std::string threeDigits(long value);
    static std::string twoDigits(long value);
    // Byte of programBuffer at a position counted from 1; 0 when there is none.
    char programAt(size_t position) const;
    std::string programSlice(size_t position, size_t count) const;
    // Byte of the classified frame (c1 = command byte), 0 when there is none.
    unsigned char frameByte(size_t n) const;
    unsigned char radioAt(size_t position) const;

private:
    void send(const std::string& body);  // frameHeader + body, then sendToRadio
    void send(const civ::Command& command, const std::string& data = {}) { send(command.bytes() + data); }
    // panelReply = text, then sendToProgram
    void reply(const std::string& text, Delivery delivery = Delivery::onceHeard);
    bool turnSteps();
    void panelIntake();
    void radioGone();
    void radioBack();
    void watchPanel();  // notices a panel that ended without quit
    void panelEnded(const platform::ProgramEnd& end);
    void tell(const std::string& line);  // console and, when logging, the log
    bool refuseConfiguration(const std::string& banner, const ConfigReading& reading);
    void openRadio();
    void openPorts();
    void openPassThrough();
    // A port that could not be opened at start: the console (and log) say which and why.
    void tellPortError(const platform::SerialPort& port, const std::string& name);
    // Every read lands in its buffer through here, which holds the buffer to bufferLimit.
    static void append(std::string& buffer, const std::string& bytes);

    platform::SerialPort& radio;
    platform::SerialPort& panel;
    platform::SerialPort& passThrough;
    platform::SerialDevices& devices;
    platform::PortWaiter& waiter;
    platform::Console& console;
    platform::Process& process;
    platform::Clock& clock;
    platform::Files& files;
    std::unique_ptr<platform::FileWriter> logFile;
    TranslatorState st;
};

}  // namespace vocrig::translator
