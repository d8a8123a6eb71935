// Start-up, the main loop and the end of the run.
#include <cstdio>
#include <vector>

#include "radio/link.h"
#include "radio/models.h"
#include "translator.h"

namespace vocrig::translator {

namespace {

// Part of a line from a position counted from 0; empty beyond its end.
std::string mid(const std::string& text, size_t from, size_t count = std::string::npos) {
    return from >= text.size() ? std::string() : text.substr(from, count);
}

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

void Translator::readConfiguration() {
    std::vector<std::string> lines;
    files.readLines("vocrig.cfg", lines);  // a missing file reads as empty lines
    size_t next = 0;
    auto line = [&]() { return next < lines.size() ? lines[next++] : (++next, std::string()); };

    std::string portLine = line();
    std::string number = portLine.size() == 6 ? mid(portLine, 4) : mid(portLine, portLine.size() - 1);
    if (portLine.empty()) number.clear();
    st.radioPortName = "\\\\.\\COM" + number;
    st.radioBaud = static_cast<int>(decimalValue(mid(line(), 6)));
    st.radioModel = mid(line(), 6);
    st.radioAddress = modelAddress(st.radioModel);
    for (int i = 4; i <= 8; ++i) line();  // the panel's lines
    std::string passLine = line();
    if (passLine.compare(0, 4, "lock") == 0) passLine = line();
    st.passThroughPort = passLine.size() == 8 ? mid(passLine, 7, 1) : mid(passLine, 7, 2);
    st.debugLevel = static_cast<int>(decimalValue(mid(line(), 6, 1)));
}

void Translator::startUp() {
    files.remove("debug.dat");
    files.remove("debug.old");  // the older part of an earlier run's log

    platform::LocalTime now = clock.localTime();
    char date[64];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d  %02d:%02d:%02d", now.month, now.day, now.year, now.hour,
                  now.minute, now.second);
    std::string banner = std::string("Vocrig Translator v") + link::version + "  " + date;
    consoleWrite(banner + "\n");

    readConfiguration();
    console.moveWindow(st.debugLevel > 0 ? 500 : 2000, 50);

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
            st.radioBuffer.erase(0, fd + 1);  // the echo of our own frame, or traffic not for us
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
        st.programChunk = st.programBuffer;
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

void Translator::run(const std::function<bool()>& stopRequested) {
    while (!st.ended) {
        bool busy = turn();
        if (stopRequested && stopRequested()) break;
        if (!busy && !st.ended) waiter.waitForInput({&radio, &panel, &passThrough}, idleWaitMs);
    }
    closeChannels();
}

}  // namespace vocrig::translator
