// The life of the panel: start-up, the window loop on a 20 ms timer, and the
// orderly shutdown that tells the translator and saves the tables.

#include "panel.h"
#include "radio/link.h"

namespace vocrig::panel {

namespace {

const std::string windowTitle = std::string("*** ICOM Vocrig Front Panel v") + vocrig::link::version + " ***";
const int windowLeft = 250, windowTop = 100, windowWidth = 950, windowHeight = 500;
const int timerPeriodMs = 20;
const char* const startWords[] = {"voc", "3", "point", "4"};  // name and version

}  // namespace

Panel::Panel(platform::Window& window, platform::Sound& sound, platform::SerialPort& port, platform::Files& files,
             platform::Clock& clock, Trace* trace)
    : window(window), sound(sound), port(port), files(files), clock(clock), trace(trace) {
    setDefaultTables();
}

int Panel::run() {
    if (!window.open(windowTitle, windowLeft, windowTop, windowWidth, windowHeight)) return exitNoWindow;
    for (const char* word : startWords) sayWord(word);

    if (!readConfiguration()) {
        // Nothing was loaded, so nothing is sent and no file is written.
        sayWord("cfgnf");
        window.close();
        return exitNoConfiguration;
    }

    openLink();
    if (state.link.linkFailed == 0) runLoop();
    shutDown();
    return state.link.linkFailed == 0 ? exitNormal : exitNoLink;
}

void Panel::runLoop() {
    window.startTimer(timerPeriodMs);
    state.program.running = 1;
    while (state.program.running == 1) {
        // Wait for the first event, then take everything that is queued.
        handleEvent(window.waitEvent());
        platform::Event event;
        while (window.pollEvent(event)) handleEvent(event);
    }
    window.stopTimer();
}

void Panel::shutDown() {
    if (state.link.linkFailed == 0) {
        stopTransmitting();  // never leave the radio transmitting
        if (!state.poll.lastFreqReply.empty() && state.poll.lastFreqReply[0] == 'F') storeBandRow();
        window.close();

        send("RX0");
        send("CT0");
        if (state.link.lockAvailable == 1) send("LO0");
        if (state.config.radioPowerSwitch == 1) send("PS9");
        send("quit");
        pause();
        port.close();
    }
    normaliseBandRow();
    saveMemory();
    if (state.link.linkFailed == 1) window.close();
}

void Panel::normaliseBandRow() {
    // The row is saved without split and with VFO B on VFO A's frequency;
    // AM and FM narrow (repeater use) keep theirs.
    if (state.dial.bandIndex < 1 || state.dial.bandIndex > bandRows) return;
    if (state.dial.mode == modeAm || state.dial.mode == modeFmNarrow) return;
    std::string& row = state.memory.bandTable[static_cast<size_t>(state.dial.bandIndex)];
    if (!isBandRecord(row)) return;
    const BandRecord r(row);
    row = BandRecord::make(0, r.mode(), r.vfoA(), r.vfoA(), r.tone(), r.preampDigit());
}

void Panel::handleEvent(const platform::Event& event) {
    switch (event.type) {
        case platform::EventType::Close: state.program.running = 0; break;
        case platform::EventType::KeyDown:
            note("key", std::to_string(event.key));
            handleKeyDown(event);
            break;
        case platform::EventType::KeyUp: handleKeyUp(event.key); break;
        case platform::EventType::Timer: handleTimer(); break;
    }
}

}  // namespace vocrig::panel
