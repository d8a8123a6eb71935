// The three ports: opening them, reading into the intake buffers, and writing
// frames to the radio and replies to the panel.
#include "radio/link.h"
#include "translator.h"

namespace vocrig::translator {

namespace {

const std::string panelPortName = "\\\\.\\COM" + std::to_string(link::translatorPort);
const std::string panelFarName = "\\\\.\\COM" + std::to_string(link::panelPort);

}  // namespace

void Translator::openRadio() {
    if (radio.open(st.radioPortName) && !radio.configure(st.radioBaud, 1)) radio.close();
}

void Translator::openPorts() {
    openRadio();
    if (!radio.isOpen()) {
        tellPortError(radio, st.radioPortName);
        st.radioLost = true;  // looked for again every second; "Radio found" when it answers
    }

    // A panel port supplied by the user is used as it is; otherwise this
    // program makes the null-modem pair and publishes the panel's end.
    bool panelOpen = devices.exists(panelPortName) && panel.open(panelPortName);
    if (!panelOpen) panelOpen = panel.openPrivatePair(panelFarName);
    if (panelOpen && !panel.configure(link::baud, 1)) panel.close();
    if (!panel.isOpen()) tellPortError(panel, panelFarName);
}

void Translator::tellPortError(const platform::SerialPort& port, const std::string& name) {
    std::string why = port.lastError();
    if (why.empty()) why = "cannot open " + name;
    consoleWrite(why + "\n");
    if (st.debugLevel > 0) logLine(why);
}

void Translator::openPassThrough() {
    std::string name = "\\\\.\\COM" + st.passThroughPort;
    int n = platform::portNumberFromName(name);
    // The panel pair's own names are never taken for the second program.
    if (n == 0 || n == link::translatorPort || n == link::panelPort) return;
    bool open = devices.exists(name) && passThrough.open(name);
    if (!open && n + 1 <= 256 && n + 1 != link::translatorPort) {
        std::string farName = "\\\\.\\COM" + std::to_string(n + 1);
        if (!devices.exists(farName)) open = passThrough.openVirtualPair(farName);
    }
    if (open && !passThrough.configure(link::baud, 1)) passThrough.close();
    if (!passThrough.isOpen()) tellPortError(passThrough, name);
}

void Translator::send(const std::string& body) {
    // FD inside a frame would end it early and FE would start another: the
    // radio would act on a different command. Such a command is not sent.
    static const std::string framing{static_cast<char>(civ::endOfFrame), static_cast<char>(civ::preamble)};
    if (body.find_first_of(framing) != std::string::npos) {
        if (st.debugLevel > 0) logHex("NOT SENT= ", body);
        return;
    }
    st.radioFrame = st.frameHeader + body;
    sendToRadio();
}

void Translator::reply(const std::string& text, Delivery delivery) {
    st.panelReply = text;
    sendToProgram(delivery);
}

void Translator::sendToRadio() {
    st.radioFrame += endOfFrame;
    radio.write(st.radioFrame);
    if (radio.isOpen() && st.unansweredSince < 0) st.unansweredSince = clock.monotonicMicros();
    if (st.debugLevel > 0) logHex("TORADIO= ", st.radioFrame);
    st.radioFrame.clear();
}

void Translator::sendToProgram(Delivery delivery) {
    // Nothing reaches the panel before the radio has spoken, nor while it is
    // gone: the panel's silence rule then tells the operator.
    if ((st.radioHeard == 0 && delivery == Delivery::onceHeard) || st.radioLost) return;
    st.panelReply += ';';
    panel.write(st.panelReply);
    if (st.debugLevel > 0) logText("ToProg= ", st.panelReply);
}

void Translator::append(std::string& buffer, const std::string& bytes) {
    // Whatever a peer sends, a buffer holds at most bufferLimit bytes: the newest.
    buffer += bytes;
    if (buffer.size() > bufferLimit) buffer.erase(0, buffer.size() - bufferLimit);
}

void Translator::readRadio() {
    st.radioChunk.clear();
    int waiting = radio.bytesWaiting();
    if (waiting <= 0) return;
    st.radioChunk = radio.read(waiting);
    append(st.radioBuffer, st.radioChunk);
    if (!st.radioBuffer.empty() && static_cast<uint8_t>(st.radioBuffer[0]) == civ::preamble) st.radioHeard = 1;
}

void Translator::readProgram() {
    st.programChunk.clear();
    int waiting = panel.bytesWaiting();
    if (waiting <= 0) return;
    st.programChunk = panel.read(waiting);
    int64_t now = clock.monotonicMicros();
    if (!st.programBuffer.empty() && now - st.programSince > staleCommandMicros) {
        // The start of a command whose end never came (its panel closed): it
        // must not become the front of the next panel's command.
        if (st.debugLevel > 0) logText("Dropped= ", st.programBuffer);
        st.programBuffer.clear();
    }
    if (st.programBuffer.empty()) st.programSince = now;
    append(st.programBuffer, st.programChunk);
}

void Translator::takeRadioFrame(size_t prefixAt) {
    size_t source = prefixAt + 3;
    bool hasCommand = source + 2 < st.frameEnd;  // source, command byte, FD
    if (hasCommand) radioBack();
    int sender = hasCommand ? static_cast<unsigned char>(st.radioBuffer[source]) : 0;
    if (st.radioAddress == 0) {
        // The first frame addressed to us names the radio in its source byte.
        if (hasCommand && usableAddress(sender)) {
            st.radioAddress = sender;
            st.frameHeader = civ::header(static_cast<uint8_t>(st.radioAddress), civ::controller);
            if (st.debugLevel > 0) {
                std::string number = printedNumber(st.radioAddress);
                if (st.debugLevel == 2) {
                    consoleWrite("--- Found in Address Field ---");
                    consoleZone();
                    consoleWrite(number + "\n");
                }
                logWrite("--- Found in Address Field --- ");
                logZone();
                logWrite(number + "\r\n");
            }
        }
    }
    st.matchedCommand = prefixAt + 4 < st.radioBuffer.size() ? st.radioBuffer.substr(prefixAt + 4) : std::string();
    classifyRadioFrame();
}

void Translator::closeChannels() {
    radio.close();
    panel.close();
    if (logFile) logFile->close();
    logFile.reset();
    passThrough.close();
}

}  // namespace vocrig::translator
