#pragma once

// A simulated ICOM transceiver on a serial port. It answers CI-V frames as the
// chosen model would, keeps a believable radio state (VFOs, modes, levels,
// functions, meters that move, a tuner that takes its time, power on and off)
// and can misbehave on purpose for tests. It runs on whatever port and clock
// it is given: the fake ends and the manual clock in tests, a pseudo-terminal
// and the system clock in the vocsim program.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "civ_codec.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/serial.h"
#include "sim_tables.h"

namespace vocrig::radiosim {

struct SimOptions {
    std::string model = "7300";
    int baud = 19200;
    bool echo = false;       // send every received frame back, as a CI-V bus does
    int answerDelayMs = 0;   // time the radio takes to answer
    bool pace = false;       // deliver bytes no faster than the baud rate allows
    bool transceive = false; // announce frequency and mode changes to everyone (address 00)
    // Faults, each a fraction 0..1 of the frames the radio sends.
    double dropRate = 0;
    double corruptRate = 0;
    double truncateRate = 0;
    double garbageRate = 0;  // noise bytes in front of a frame
    double unplugAfterSeconds = 0;  // hang up the port after this long; 0 = never
    uint64_t seed = 1;
    bool verbose = false;  // log every read and every frame sent, not only settings
    int bootMs = 1000;     // time from the wake-up command to a working radio
    int tuneMs = 3000;     // length of an antenna tune
};

struct VfoState {
    uint64_t frequency = 7100000;
    uint8_t mode = civ::modeLsb;
    uint8_t filter = 1;   // FIL1..FIL3
    uint8_t data = 0;     // data mode: 0 off, 1 on (D1), 2 and 3 D2 and D3
    int width = 28;       // 1A 03 index: 2.4 kHz in SSB
};

enum class Tuner { off, on, tuning };

struct RadioState {
    RadioState();

    bool poweredOn = true;
    std::array<VfoState, 2> vfo;  // A, B
    int selected = 0;             // 0: VFO A, 1: VFO B
    bool split = false;
    std::vector<int> levels;      // in levelTable() order
    std::vector<int> functions;   // in functionTable() order
    int attenuator = 0;           // dB
    int tuningStep = 1;
    int repeaterTone = 885;       // tenths of a hertz
    int squelchTone = 885;
    int dcsCode = 23;
    int dcsPolarity = 0x00;       // high half: transmit reversed, low half: receive reversed
    bool transmitting = false;
    Tuner tuner = Tuner::off;
    std::vector<bool> matched;    // per band: the tuner has found a match there
    std::map<std::string, std::string> menu;  // item bytes -> value bytes

    int level(uint8_t sub) const;
    void setLevel(uint8_t sub, int value);
    int function(uint8_t sub) const;
    void setFunction(uint8_t sub, int value);
    const VfoState& operating() const { return vfo[selected]; }
    const VfoState& unselected() const { return vfo[1 - selected]; }
    uint64_t transmitFrequency() const { return split ? unselected().frequency : operating().frequency; }
};

class RadioSim {
public:
    // The model name must be in modelTable() (check with findModel first);
    // an unknown name falls back to the 7300.
    RadioSim(platform::SerialPort& port, platform::Clock& clock, platform::Console& log, SimOptions options);
    // The same radio with no log, for benches that only need it to answer.
    RadioSim(platform::SerialPort& port, platform::Clock& clock, SimOptions options = {})
        : RadioSim(port, clock, silence, std::move(options)) {}

    // Reads what is waiting, answers it, and moves the simulated state on to
    // the clock's present time. Call it whenever input may be waiting, and at
    // the latest after microsUntilNextEvent().
    void service();
    // How long the radio can be left alone before it has something to do.
    int64_t microsUntilNextEvent() const;
    // Logs the count of reads answered since the last such line (also done every 10 s).
    void summarise();

    // True once the unplug fault has hung up the port; service() then does nothing.
    bool unplugged() const { return isUnplugged; }
    // The port has been opened again: listen afresh.
    void replug();

    const SimModel& model() const { return *simModel; }
    RadioState& state() { return radio; }
    const RadioState& state() const { return radio; }

    // What the meters read at this moment (0-255).
    int sMeter() const;
    int swrMeter() const;
    int alcMeter() const;
    int powerMeter() const;
    double currentSwr() const;

private:
    enum class Outcome { answer, accept, refuse };
    struct Reply {
        Outcome outcome = Outcome::refuse;
        std::string body;  // answer frame body (command onwards)
        std::string what;  // what the frame asked for, for the log
        bool read = false; // a question that changes nothing
    };
    static Reply answered(std::string body, std::string what);
    static Reply accepted(std::string what);
    static Reply refused(const std::string& what, const std::string& why);
    using Handler = Reply (RadioSim::*)(std::string_view data);
    struct CommandRow {
        uint8_t command;
        Handler handler;
    };
    static const std::array<CommandRow, 18> commandTable;

    // Command handlers; `data` is everything after the command byte.
    Reply readFrequency(std::string_view data);
    Reply readMode(std::string_view data);
    Reply setFrequency(std::string_view data);
    Reply setMode(std::string_view data);
    Reply selectVfo(std::string_view data);
    Reply split(std::string_view data);
    Reply tuningStep(std::string_view data);
    Reply attenuator(std::string_view data);
    Reply level(std::string_view data);
    Reply meter(std::string_view data);
    Reply function(std::string_view data);
    Reply power(std::string_view data);
    Reply identity(std::string_view data);
    Reply extended(std::string_view data);
    Reply tone(std::string_view data);
    Reply transmit(std::string_view data);
    Reply vfoFrequency(std::string_view data);
    Reply vfoMode(std::string_view data);

    const ModeRow* offeredMode(uint8_t code) const;  // nullptr: not a mode of this model
    // Puts a VFO in a mode (checked by the caller) with a data mode and filter.
    static void applyMode(VfoState& vfo, const ModeRow& mode, uint8_t data, uint8_t filter);
    Reply filterWidth(std::string_view data);
    Reply menuItem(std::string_view data);
    Reply startTune();
    void finishTune();  // the tune's time is up: matched, or beyond the tuner's range
    void stopTransmitting();

    void handleFrame(const CivFrame& frame);
    void handleWhileOff(const CivFrame& frame);
    static std::string shownFrame(const CivFrame& frame);
    void advanceTimers();
    void send(std::string bytes, int64_t at);  // from the radio, with the faults applied
    void enqueue(const std::string& bytes, int64_t at);
    void flushOutput();
    void announceChanges(const RadioState& before);
    void logChanges(const RadioState& before);
    void logLine(const std::string& text);
    void logReadSummary(bool force);
    void unplug();

    // Deterministic randomness from the seed.
    double random();
    uint64_t hash(uint64_t a, uint64_t b, uint64_t c) const;
    double smoothNoise(uint64_t key, int64_t periodMicros) const;  // 0..1, wanders with time
    double signalDbm(uint64_t hz) const;

    class Silence : public platform::Console {
    public:
        void print(const std::string&) override {}
        void moveWindow(int, int) override {}
    };
    Silence silence;  // the log of a radio built without one
    platform::SerialPort& port;
    platform::Clock& clock;
    platform::Console& log;
    SimOptions options;
    const SimModel* simModel;
    RadioState radio;
    FrameReader reader;

    int64_t startMicros = 0;
    int64_t now = 0;
    int64_t byteMicros = 0;
    uint64_t randomState = 0;
    bool isUnplugged = false;

    int64_t bootDoneAt = -1;  // -1: not booting
    uint8_t bootRequester = civ::controller;
    int64_t tuneStartedAt = -1;
    int64_t tuneDoneAt = -1;
    bool offNoticeGiven = false;

    std::deque<std::pair<int64_t, char>> outgoing;  // byte and the time it may leave
    int64_t lineFreeAt = 0;

    std::vector<std::string> notes;  // said while handling a frame, logged after its line
    std::map<std::string, int> readsServed;  // since the last summary line
    int framesIgnored = 0;
    int64_t lastSummaryAt = 0;
};

}  // namespace vocrig::radiosim
