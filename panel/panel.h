#pragma once

// vocpanel: the talking front panel. PanelState holds everything the panel
// knows; Panel owns it together with the platform services and its member
// functions are the panel's operations.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/serial.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "radio/link.h"
#include "band_table.h"
#include "tone.h"

namespace vocrig::panel {

inline constexpr int bandRows = 14;      // band rows 1..14; row 0 is unused
inline constexpr int memoryCount = 100;  // channels, index bank * 10 + slot
inline constexpr int noBand = 99;
inline constexpr int noEntry = 999;
// The highest frequency the 11-digit frequency field carries, in Hz.
inline constexpr long long maxFrequency = 99'999'999'999LL;

// Mode numbers as the panel keeps them (band rows, memory records, `mode`).
inline constexpr int modeLsb = 1, modeUsb = 2, modeCw = 3, modeAm = 4, modeFmNarrow = 5, modeFm = 6, modeDstar = 7;

// What a mode is for the settings that follow it: the SSB filter steps, the CW
// filter width, AM's fixed width, FM's squelch and width, or none of these.
enum class ModeClass { none, ssb, cw, am, fm, digital };

// Everything the panel knows about one mode, in one row.
struct ModeRow {
    int number;             // the panel's mode number
    const char* command;    // the "MD" command that selects it
    const char* shown;      // window text; its blanks erase a longer name
    const char* words[2];   // spoken, one or two words
    const char* listing;    // label in memory.txt
    ModeClass kind;
};
// The row of a mode number; null outside 1..7.
const ModeRow* modeRow(int mode);
ModeClass modeClass(int mode);
// The mode a "Z5" report names. Its digit is in the numbering of the "MD"
// commands (FM 4, AM 5), so the first mode selected by that command is meant;
// 0 for a digit that names none.
int modeForReport(char digit);

// A band row: split flag, mode digit, "A" + VFO A in Hz (11 digits),
// "B" + VFO B in Hz, the tone (Tone::noneText for none), the preamp digit. A row that is
// too short reads as split 0, mode 0, no frequencies, no tone, preamp off.
class BandRecord {
public:
    explicit BandRecord(std::string row) : row(std::move(row)) {}
    static std::string make(int splitFlag, int mode, const std::string& vfoA, const std::string& vfoB,
                            const std::string& tone, int preampDigit);

    int splitFlag() const;
    int mode() const;
    std::string vfoA() const;  // 11 digits
    std::string vfoB() const;
    std::string tone() const;
    int preampDigit() const;
    bool preamp() const { return preampDigit() != 0; }
    const std::string& text() const { return row; }

private:
    std::string row;
};

// The panel's coded states, each under the number the operator's guide and
// the saved rows know it by.

// What the keys after a prefix key mean (keyPrefix).
enum class Prefix : int {
    none = 0,
    band = 1,       // B: a digit, X, T, S, U, Up or Down picks the band
    width = 2,      // W: the filter width
    power = 3,      // P
    rfGain = 4,     // R
    afGain = 7,     // A
    level = 10,     // L: the noise blanker or noise reduction level, by levelTarget
    keyer = 11,     // K
    micGain = 12,   // F11: the microphone-gain watch
    extended = 14,  // X
};
// A channel operation waiting for its digit (channelOp).
enum class ChannelOp : int { none = 0, store = 1, recall = 2 };
// The repeater tone (toneEntry): typing is also a tone taken up from a band
// row or a channel.
enum class ToneEntry : int { none = 0, typing = 1, sent = 2 };
// Split, transmitting on VFO B (splitOn); a band row keeps it as its first digit.
enum class Split : int { off = 0, on = 1, announced = 2 };
// What L adjusts (levelTarget).
enum class LevelTarget : int { none = 0, noiseBlanker = 2, noiseReduction = 3 };

// How a call goes about its work, told by the caller.
enum class Pacing { paced, none };  // a command after the pacing word, or (a poll) without
enum class Speak { yes, no };
enum class Vfo { current, other };  // the VFO the dial is on, or the other one

struct LevelRow;  // a row of the level table (levels.cpp)

// What the panel knows, by area. Each area is reset by value (`entry = {}`);
// the values written here are the start values, and are written only here.
struct PanelState {
    // The program itself
    struct Program {
        std::string versionText = vocrig::link::version;
        std::string bannerText = std::string("*** Vocrig V ") + vocrig::link::version + " ***";
        std::string waveDirectory = "wave\\";  // prefix of every word file
        int running = 0;                       // the main loop runs while 1
    } program;

    // Read from vocrig.cfg; keys change some of them, a new start does not.
    struct Config {
        int powerPercent = 100;
        int swrAlert = 0;
        int tunerMode = 0;     // 0 on, 1 off, 2 both
        std::string bandPlan;  // "1", "6", "2", "7" or empty
        int radioPowerSwitch = 0;
        std::string lockState = "0";  // "0" unlocked, "1" locked
        int diagLevel = 0;
    } config;

    // The link to the translator
    struct Link {
        int comPort = vocrig::link::panelPort;
        int baudRate = vocrig::link::baud;
        int linkFailed = 0;           // the port could not be opened
        std::string commandText;      // the next command; after sending it ends in ";"
        std::string replyText;        // what the last read received
        std::string lastFreqCommand;  // last frequency setting sent, with ";"
        int radioId = 0;              // radio identity from "Z1"; 0 none, -1 not asked yet
        int lockAvailable = 0;        // the radio has a dial lock
        int swapFixed = 0;            // "swop" leaves vfoSwapped alone on this radio
    } link;

    // The key being handled
    struct Keys {
        int keyCode = 0;
        int keyHeld = 0;
        int heldKey = 0;  // the key that is down now, as the window gave it
        Prefix keyPrefix = Prefix::none;
        int modeReported = 0;  // the last mode came from the radio
    } keys;

    // A frequency being typed
    struct Entry {
        int freqEntry = 0;
        int entryMHz = noEntry;
        int entryFraction = 0;
        std::string entryZeros;
        int entryPoint = 0;
    } entry;

    // Memory channels: the operation waiting for its digit, the channel last recalled
    struct Channels {
        ChannelOp channelOp = ChannelOp::none;
        int channelBankChoice = 0;
        int choosingBank = 0;  // after C or G, B: the next digit is the bank
        int channelBank = noBand;
        int channelSlot = 0;
    } channels;

    // Levels that Up and Down adjust, and what goes with them
    struct Levels {
        int afGain = 50;
        int rfGain = 255;
        int filterWidth = 0;  // SSB step 0..12, CW Hz, AM 8
        int ssbWidth = 7;
        int cwWidth = 600;
        int nbLevel = 0;
        int nrLevel = 0;
        LevelTarget levelTarget = LevelTarget::none;
        int keyerSpeed = 15;
        int savedMode = 0;
        int micGain = 20;
        int micGainWatch = 0;
        int peakAlc = -1;
        int monitorLevel = 0;
    } levels;

    // On/off switches
    struct Switches {
        int preampOn = 0, attOn = 0, nbOn = 0, nrOn = 0, notchOn = 0;
        int processorOn = 0, vox = 0, breakIn = 0, rtsOn = 0;
        int tunerEngaged = 0;
        int txBandwidth = 1;  // 0 wide, 1 mid, 2 narrow
        int txbwLatch = 0;
    } switches;

    // Transmitting and the antenna tune
    struct Transmit {
        int txState = 0;
        int tuning = 0;
        int tuneSwrMute = 0;
        int peakSwr = 0;
        int swrSettle = 0;
    } transmit;

    // What the radio is tuned to: frequency, mode, band, VFOs
    struct Dial {
        long long frequency = 0;  // dial frequency in Hz (11 digits do not fit an int)
        int mode = 0;             // 1 LSB, 2 USB, 3 CW, 4 AM, 5 FMN, 6 FM, 7 DSTAR
        int fmWide = 0;
        int bandIndex = 4;  // 1..14; 99 none
        Split splitOn = Split::off;
        int bandSplitFlag = 0;
        int vfoSwapped = 0;
        int stepFlag = 0;
        int squelch = 60;
    } dial;

    // The repeater tone
    struct ToneState {
        ToneEntry toneEntry = ToneEntry::none;
        std::string toneText = Tone::noneText;  // as typed, stored or taken up
        int toneOn = 0;
    } tone;

    // The poll and what the radio last reported
    struct Poll {
        int busy = 0;  // ticks are skipped while set
        int tickCount = 0;
        int awaitingReply = 0;
        int staleFrequencyReply = 0;  // a frequency was set while a poll was out: its answer is older
        int missedPolls = 0;
        int connected = 0;
        int pollPhase = 0;
        int sMeter = 0;
        int sMeterShown = 0;
        int sMeterDrops = 0;
        std::string sDigit = "0";
        std::string lastFreqReply;              // "FA"/"FB" + 11 digits
        std::string vfoAText = "A00007100000";  // "A" + 11 digits; at start the default 40 m row's
        std::string vfoBText = "B00007100000";  // "B" + 11 digits
    } poll;

    // Band table and memory channels
    struct Memory {
        std::array<std::string, bandRows + 1> bandTable;
        std::array<std::string, memoryCount> memorySlots;
        // Band lines of savmem.dat that could not be used: the row runs on its
        // default, and the line is written back as it was read until the row changes.
        std::array<std::string, bandRows + 1> keptBandLines;
        std::array<bool, bandRows + 1> bandLineKept{};
        bool memoryFileHeld = false;  // savmem.dat exists but could not be read: never overwrite it
    } memory;
};

// What run() hands back to main() as the exit status.
enum ExitStatus {
    exitNormal = link::panelEndedNormally,
    exitNoConfiguration = link::panelNoConfiguration,
    exitNoWindow = link::panelNoWindow,
    exitNoLink = link::panelNoLink,
};

// A diagnostic a sighted helper (or a test) reads while the panel runs: one
// line per event, "<ms> <kind> <text>", appended and flushed as it happens.
// <ms> counts whole milliseconds from the trace's creation.
class Trace {
public:
    Trace(platform::Clock& clock, std::unique_ptr<platform::FileWriter> writer);
    void line(const char* kind, const std::string& text);
    // Bytes outside printable ASCII as \xHH.
    static std::string printable(const std::string& bytes);

private:
    platform::Clock& clock;
    std::unique_ptr<platform::FileWriter> writer;
    int64_t startMicros;
};

class Panel {
public:
    // `trace` may be null: then nothing is traced.
    Panel(platform::Window& window, platform::Sound& sound, platform::SerialPort& port,
          platform::Files& files, platform::Clock& clock, Trace* trace = nullptr);

    PanelState state;

    // Life of the program (main_loop.cpp): start-up, the window loop, shutdown.
    int run();  // an ExitStatus
    void runLoop();
    void shutDown();
    void normaliseBandRow();
    // Every window event comes through here.
    void handleEvent(const platform::Event& event);

    // Keys (keys.cpp): the guards, the dispatch chain and its end. Each chain
    // operation says whether the key goes on down the chain or stops there.
    enum class Flow { stop, goOn };
    void echoKey(int rawKey);
    bool dispatchChain();  // false when an entry stopped the key
    void dispatchEnd();
    Flow ignoreKey();
    Flow forgetChannel();
    Flow cancelChannelOp();
    Flow optionsReport();
    Flow afGainPrefix();
    Flow sayMeter();
    Flow extendedPrefix();

    // Frequency and channel entry (entry.cpp)
    void digitKey(int digit);
    Flow startFrequencyEntry();
    Flow entryPoint();
    Flow takeFrequencyEntry();
    Flow startStore();
    Flow startRecall();
    Flow nextChannel();
    Flow zeroFrequency();
    Flow frequencyUp();
    Flow frequencyDown();
    void storeChannel(int slot);
    void recallChannel(int bank, int slot);
    // The frequency keys of the dispatch end; false when the key set the squelch instead.
    bool applyFrequencyKey();
    void stepFrequency(long long hz);  // stops at 0 and at maxFrequency, saying "min" or "max"
    void sendFrequency();
    void noteFrequencySent();  // the VFO text takes the frequency command just sent
    void stepSquelch(int amount);

    // Configuration (config.cpp): false when "vocrig.cfg" cannot be read.
    bool readConfiguration();

    // Link (link.cpp)
    void openLink();
    void setStartValues();
    void sendCommand(Pacing pacing = Pacing::paced);
    void readReply();
    void pause();
    // Plays a pacing word and waits at least minimumMs in all.
    void sayPacing(const std::string& word, int minimumMs);
    // Fills commandText and sends it.
    void send(const std::string& text, Pacing pacing = Pacing::paced);

    // Speech (speech.cpp)
    void sayWord(const std::string& word);
    void sayWordAsync(const std::string& word);
    void sayCharacters(const std::string& text);
    void sayNumber(long long value);  // each digit as a word
    void sayFrequency(Vfo vfo = Vfo::current);
    void sayMode();
    void sayBand();
    void sayFilterWidth();
    void saySMeter();
    void saySwr();
    void sayAlc();
    void sayPowerPercent();
    void sayKeyerSpeed();
    void sayLevelPercent();
    void sayTone();

    // Band table and memory channels (memory.cpp)
    void setDefaultTables();
    void loadMemory();
    void saveMemory();
    void exportMemory();

    // Mode and band rows (tuning.cpp), levels (levels.cpp), window texts (status.cpp)
    void sendMode();
    void storeBandRow();
    void changeBand();  // select row bandIndex: frequency, mode, split, tone, preamp

    // Mode, band, split and VFO keys (bands.cpp)
    Flow nextMode();
    Flow extendedMode();
    Flow dstarKey();
    Flow bandPrefixKey();
    void selectBand(int band);
    Flow pickBandLetter(int band, bool available);
    Flow band6m();
    Flow band2m();
    Flow band70cm();
    Flow bandGeneral();
    Flow bandUp();
    Flow bandDown();
    Flow splitKey();
    Flow swapVfo();
    Flow tuningStep();
    Flow sayFrequencyAndMode();

    // Repeater tone (tone.cpp)
    // Where a stored record is taken up; each says and sends its own.
    enum class Occasion { bandChange, channelRecall, firstContact };
    // Takes up a record's tone (one the check refuses is no tone): in a mode
    // that carries it "CN" + code and "CT1", said as the occasion wants;
    // without, the tone is ended ("CT0"). A channel recall says the tone held
    // before, `toneBefore`, "off" when the channel has none.
    void applyStoredTone(const BandRecord& record, Occasion occasion, const std::string& toneBefore);
    Flow toneKey();
    Flow dcsKey();
    Flow dcsReverseKey();
    Flow takeTone();
    BandRecord currentBand() const;  // the row of bandIndex (empty outside 1..14)
    void sendWidth();

    // Levels and switches (levels.cpp)
    Flow powerPrefix();
    Flow rfGainPrefix();
    Flow widthPrefix();
    Flow levelPrefix();
    Flow levelUp();
    Flow levelDown();
    void adjustLevel(int direction);  // what Up (+1) or Down (-1) does under keyPrefix
    void stepPower(const LevelRow& row, int direction);
    void stepMicGain(const LevelRow& row, int direction);
    void stepWidth(int direction);
    void sendPower(Speak speak = Speak::yes);  // and speaks the percentage
    // Speaks the switch's name and its new state, sends the command; the new state.
    int toggleSwitch(const char* name, const char* onCommand, const char* offCommand, int& value);
    void readLevel(const char* query, int& level);
    void togglePreamp();
    void setPreamp(int on);
    Flow preampKey();
    Flow attenuatorKey();
    Flow noiseBlankerKey();
    Flow noiseReductionKey();
    Flow notchKey();
    Flow processorKey();
    Flow voxKey();
    Flow monitorKey();
    Flow tunerModeKey();
    Flow rtsKey();
    Flow txBandwidthKey();
    Flow lockKey();
    Flow keyerKey();
    Flow leaveKeyer();
    Flow micGainWatchKey();
    Flow endMicGainWatch();

    // Transmit and antenna tune (transmit.cpp)
    Flow transmitKey();
    void endTransmission();
    Flow antennaTune();
    void endTune();
    void stopTransmitting();  // at closing: a transmission or tune still running ends first
    void drawText(int x, int y, const std::string& text);
    void showMode();
    void showStatusWords();
    void showSMeter();
    void showFrequency();  // the VFO mark and the frequency of lastFreqReply

    // The poll and what it hands on (poll.cpp)
    void handleTimer();
    void handleFrequencyReply();
    void bandSetUp();

private:
    void handleKeyDown(const platform::Event& event);
    void handleKeyUp(int key);
    bool takePollReply();  // false: no request this tick
    void sendPoll();
    void note(const char* kind, const std::string& text) {
        if (trace) trace->line(kind, text);
    }

    platform::Window& window;
    platform::Sound& sound;
    platform::SerialPort& port;
    platform::Files& files;
    platform::Clock& clock;
    Trace* trace;
};

// Helpers shared by the areas and their tests.

// The S unit for a meter reading 0..255: "0".."9" or "+".
std::string sDigitFor(int reading);
// Record checks: a row that fails them is never used.
bool isBandRecord(const std::string& row);
bool isMemoryRecord(const std::string& row);
// One "memory.txt" line for a used channel record.
std::string listingLine(int slot, const std::string& record);
// The value of a text of digits, as the panel reads numbers: the leading
// digits count, anything else gives 0, and values past the int range stop at its end.
int numberOf(const std::string& text);
// The frequency in Hz that the leading digits of a text (at most 11) give.
long long hertzOf(const std::string& text);
// Decimal digits with leading zeros to the width (negative values as 0).
std::string zeroPadded(long long value, int width);
// The port name for a port number: "COM9", "\\.\COM21".
std::string portName(int number);
// Characters [from, from + count) of a text, as many of them as there are.
std::string slice(const std::string& text, size_t from, size_t count);
// A frequency answer: "FA" or "FB", 11 digits, and its first ";" right after them.
bool isFrequencyAnswer(const std::string& reply);
// The window's frequency text for 11 digits of Hz: "   14.200000", "     0.500000".
std::string frequencyText(const std::string& digits);

}  // namespace vocrig::panel
