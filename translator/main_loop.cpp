// Start-up, the main loop and the end of the run.
#include <cstdio>
#include <vector>

#include "radio/config_layout.h"
#include "radio/link.h"
#include "radio/models.h"
#include "translator.h"

namespace vocrig::translator {

namespace {

// Asks every radio on the bus for its identity; the answer fixes the address.
std::string identityRequest() { return civ::header(civ::broadcast, civ::controller) + civ::transceiverId.bytes(); }

}  // namespace

Translator::Translator(platform::SerialPort& radio, platform::SerialPort& panel, platform::SerialPort& passThrough,
                       platform::SerialDevices& devices, platform::PortWaiter& waiter, platform::Console& console,
                       platform::Process& process, platform::Clock& clock, platform::Files& files)
    : radio(radio),
      panel(panel),
      passThrough(passThrough),
      devices(devices),
      waiter(waiter),
      console(console),
      process(process),
      clock(clock),
      files(files) {}

bool Translator::startUp() {
    files.remove("debug.dat");
    files.remove("debug.old");  // the older part of an earlier run's log

    platform::LocalTime now = clock.localTime();
    char date[64];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d  %02d:%02d:%02d", now.month, now.day, now.year, now.hour,
                  now.minute, now.second);
    std::string banner = std::string("Vocrig Translator v") + link::version + "  " + date;
    consoleWrite(banner + "\n");

    const ConfigReading reading = readConfiguration();
    console.moveWindow(st.debugLevel > 0 ? 500 : 2000, 50);
    if (!reading.refused.empty()) return refuseConfiguration(banner, reading);

    std::string portShown = st.radioPortName.substr(4);  // without "\\.\"
    std::string settings =
        "Com= " + portShown + "  speed= " + printedNumber(st.radioBaud) + "  Radio= " + st.radioModel;
    consoleWrite(settings + "\n\n");

    if (st.debugLevel > 0) {
        logFile = files.create("debug.dat");
        st.logColumn = 0;
        st.logBytes = 0;
        logLine(banner);
        logLine(settings);
        logLine(" ");
    }
    for (const std::string& note : reading.notes) tell(note);

    openPorts();

    if (st.radioAddress == 0) {
        st.radioFrame = identityRequest();
        sendToRadio();
        readRadio();
        st.radioFrame = identityRequest();
        sendToRadio();
    }

    if (st.passThroughPort != "0") openPassThrough();

    process.start("vocpanel");  // a missing panel program is no reason to stop

    // Working state from its start values; what the start-up read is not taken up.
    st.readings = {};
    st.pending.reset();
    st.radioHeard = 0;
    st.radioFrame.clear();
    st.frameHeader = civ::header(static_cast<uint8_t>(st.radioAddress), civ::controller);
    st.replyPrefix = civ::preambleTo(civ::controller);
    const radio::Model* model = radio::byAddress(st.radioAddress);
    st.newModelGroup = model ? model->group : 0;
    st.radioBuffer.clear();
    st.programBuffer.clear();
    return true;
}

bool Translator::refuseConfiguration(const std::string& banner, const ConfigReading& reading) {
    if (st.debugLevel > 0) {
        logFile = files.create("debug.dat");
        logLine(banner);
    }
    for (const std::string& line : reading.refused) tell(line);
    tell("Not started: vocrig.cfg needs correcting (README: vocrig.cfg errors)");
    closeChannels();
    st.ended = true;
    st.exitStatus = exitConfiguration;
    return false;
}

void Translator::tell(const std::string& line) {
    consoleWrite(line + "\n");
    if (st.debugLevel > 0) logLine(line);
}

bool Translator::turn() {
    // A wait inside a turn (tone switch, pass-through, quit) lets a manual clock
    // run other parts; a turn of our own is not started from inside one.
    if (st.ended || st.inTurn) return false;
    st.inTurn = true;
    bool busy = turnSteps();
    st.inTurn = false;
    return busy;
}

bool Translator::turnSteps() {
    bool busy = false;

    watchRadio();
    runDeferredReplies();

    readRadio();
    if (!st.radioChunk.empty()) busy = true;

    // Radio intake: every frame addressed to us, in order.
    bool taken = false;
    for (size_t fd; (fd = st.radioBuffer.find(endOfFrame)) != std::string::npos;) {
        if (st.debugLevel > 0) logHex("FROMRADIO= ", st.radioBuffer);
        size_t prefix = st.radioBuffer.find(st.replyPrefix);
        if (prefix == std::string::npos) {
            // Only echoes and other stations' traffic. Bytes after the last FD
            // may be the start of our answer, split from its rest by the read:
            // they stay for the next read, or the answer would be lost.
            st.radioBuffer.erase(0, st.radioBuffer.rfind(endOfFrame) + 1);
            if (!taken) return true;  // nothing for us: the panel waits a turn
            break;
        }
        if (fd < prefix) {
            // Echoes of our own frames and traffic not for us, all that stands before the next answer.
            st.radioBuffer.erase(0, st.radioBuffer.rfind(endOfFrame, prefix) + 1);
            continue;
        }
        st.frameEnd = fd + 1;
        takeRadioFrame(prefix);
        st.radioBuffer.erase(0, st.frameEnd);
        taken = true;
    }

    readProgram();
    if (!st.programChunk.empty()) busy = true;
    panelIntake();
    if (st.ended) return true;
    watchPanel();
    if (st.ended) return true;

    if (st.passThroughPort != "0" && servicePassThrough()) busy = true;

    return busy || repliesPending();
}

// Every complete command of what the panel sent is handled, in order; the
// start of the next one waits for the rest.
void Translator::panelIntake() {
    size_t end = st.programBuffer.find(';');
    if (end == std::string::npos) return;
    std::string rest = st.programBuffer;
    while (end != std::string::npos && !st.ended) {
        // Each command is handled as if it had come in a read of its own:
        // some translations look at the whole read.
        st.programBuffer = rest.substr(0, end + 1);
        rest.erase(0, end + 1);
        if (st.programBuffer.find('*') != std::string::npos) {
            // A key echoed by the panel for diagnosis: logged, never translated.
            if (st.debugLevel > 0) logText("", st.programBuffer.substr(0, end));
        } else {
            recognise();
        }
        end = rest.find(';');
    }
    st.programBuffer = rest;
    st.programSince = clock.monotonicMicros();
}

void Translator::watchRadio() {
    int64_t now = clock.monotonicMicros();
    if (radio.isOpen() && radio.failed()) {
        // Unplugged or switched off: let go of the dead port and look for it again.
        radio.close();
        st.radioBuffer.clear();
        st.nextReopenAt = now + reopenMicros;
        radioGone();
    } else if (!radio.isOpen() && now >= st.nextReopenAt) {
        st.nextReopenAt = now + reopenMicros;
        openRadio();
        if (radio.isOpen() && st.radioAddress == 0) {
            // Still looking for the radio's address: ask again on the new port.
            st.radioFrame = identityRequest();
            sendToRadio();
        }
    }
    if (st.unansweredSince >= 0 && now - st.unansweredSince >= radioSilenceMicros) radioGone();
}

void Translator::radioGone() {
    st.unansweredSince = -1;
    if (st.radioHeard == 0 || st.radioLost) return;  // nothing to announce
    st.radioLost = true;
    consoleWrite("Radio lost\n");
    if (st.debugLevel > 0) logLine("Radio lost");
}

void Translator::radioBack() {
    st.unansweredSince = -1;
    if (!st.radioLost) return;
    st.radioLost = false;
    consoleWrite("Radio found\n");
    if (st.debugLevel > 0) logLine("Radio found");
}

void Translator::watchPanel() {
    PanelWatch& watch = st.panelWatch;
    int64_t now = clock.monotonicMicros();
    if (!watch.end) {
        watch.end = process.ended();
        if (!watch.end) return;
        watch.endedAt = now;
    }
    if (now - watch.endedAt < panelEndSettleMicros) return;
    platform::ProgramEnd end = *watch.end;
    watch.end.reset();
    panelEnded(end);
}

void Translator::panelEnded(const platform::ProgramEnd& end) {
    // Whatever the panel left the radio doing, it stops transmitting (a tune
    // carrier is a transmission too), and half a command of it is dropped.
    translateTransmitOff();
    st.programBuffer.clear();

    std::vector<std::string> lines;
    if (end.status == link::panelNoConfiguration && !files.readLines(config::fileName, lines)) {
        tell("The panel ended: vocrig.cfg is missing in the working folder");
        st.exitStatus = exitConfiguration;
        quitSequence();
        return;
    }
    std::deque<int64_t>& ends = st.panelWatch.recentEnds;
    int64_t now = clock.monotonicMicros();
    ends.push_back(now);
    while (now - ends.front() > panelEndsWindowMicros) ends.pop_front();
    const std::string what = "The panel ended without quit (" + end.how + "): transmit off sent to the radio";
    if (ends.size() >= panelEndsAllowed) {
        tell(what + "; " + std::to_string(ends.size()) + " times within a minute, so the translator ends too");
        st.exitStatus = exitPanelFailing;
        quitSequence();
        return;
    }
    // The next panel opens the same end of the link.
    panel.releaseFarEnd();
    bool started = process.start("vocpanel");
    tell(what + (started ? "; the panel is started again" : "; the panel cannot be started again"));
}

void Translator::run(const std::function<bool()>& stopRequested) {
    while (!st.ended) {
        bool busy = turn();
        if (stopRequested && stopRequested()) break;
        if (!busy && !st.ended) waiter.waitForInput({&radio, &panel, &passThrough}, idleWaitMs);
    }
    closeChannels();
}

}  // namespace vocrig::translator
