// The serial link to voctrans: opening it, the start-up exchange, and the
// three primitives everything else talks through (send, read, pause).

#include "panel.h"
#include "radio/models.h"

namespace vocrig::panel {

namespace {

const int stopBits = 2;
const int maxReplyBytes = 255;
const int identityTries = 5;
const int powerOnPauses = 6;
// The pacing words are silences of these lengths; without their files the
// panel still waits this long, so the translator gets time to answer.
const int pauseMs = 120;
const int commandSpacingMs = 130;  // longer than the translator's 100 ms tone wait

const std::string helpLines[] = {
    "b=Band  f=Freq  e=Entry m=Mode  s=Meter/SWR  Z=Zero frequency  w=Filter width",
    "         v=VFO B/Split/Repeater  c=channel save  g=goto channel  a=af gain  r=rfgain p=Power",
    "        F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch  h=help  q=quit",
};
struct Place {
    int x, y;
};
const Place bannerPlace{300, 10};
const Place helpPlaces[] = {{190, 355}, {155, 380}, {155, 405}};

const platform::Font statusFont{"Ariel", 50, 700};

}  // namespace

std::string portName(int number) {
    return (number >= 10 ? "\\\\.\\COM" : "COM") + std::to_string(number);
}

void Panel::setStartValues() {
    // What vocrig.cfg set stays, and so does the program's own state; the
    // band table and the channels are set up by setDefaultTables.
    PanelState& s = state;
    s.link = {};
    s.keys = {};
    s.entry = {};
    s.channels = {};
    s.levels = {};
    s.switches = {};
    s.transmit = {};
    s.dial = {};
    s.tone = {};
    s.poll = {};
}

void Panel::openLink() {
    drawText(bannerPlace.x, bannerPlace.y, state.program.bannerText);
    for (size_t i = 0; i < std::size(helpLines); ++i)
        drawText(helpPlaces[i].x, helpPlaces[i].y, helpLines[i]);

    setStartValues();
    setDefaultTables();
    loadMemory();

    if (port.isOpen()) port.close();
    if (!port.open(portName(state.link.comPort))) {
        sayWord("vnc");
        state.link.linkFailed = 1;
        return;
    }
    port.configure(state.link.baudRate, stopBits);

    if (state.config.radioPowerSwitch == 1) {
        send("Poweron");
        pause();
        send("PS1");
        for (int i = 0; i < powerOnPauses; ++i) pause();
    }

    send("Z1");
    for (int i = 0; i < identityTries; ++i) {
        pause();
        readReply();
        if (state.link.replyText.size() >= 3 && state.link.replyText.compare(0, 2, "Z1") == 0) {
            state.link.radioId = static_cast<unsigned char>(state.link.replyText[2]);
            break;
        }
    }

    // The split flag the band set-up applies on first contact: the saved
    // row's; a file saved without a band gives none, although the start then
    // falls back to 40 m.
    state.dial.bandSplitFlag = currentBand().splitFlag();

    send("Z2");
    send("LO" + state.config.lockState);

    window.setFont(statusFont);

    if (state.dial.bandIndex < 1 || state.dial.bandIndex > bandRows) state.dial.bandIndex = 4;
    const BandRecord row = currentBand();
    send("FA" + row.vfoA());
    state.dial.frequency = hertzOf(row.vfoA());
    sayFrequency();

    const vocrig::radio::Model* model = vocrig::radio::byAddress(state.link.radioId);
    if (model && model->fixedSwap) state.link.swapFixed = 1;
    if (model && model->dialLock) state.link.lockAvailable = 1;
}

void Panel::send(const std::string& text, Pacing pacing) {
    state.link.commandText = text;
    sendCommand(pacing);
}

void Panel::sendCommand(Pacing pacing) {
    std::string& text = state.link.commandText;
    if (text.empty()) return;
    // While split is on, frequency settings go to VFO B.
    if (state.dial.splitOn != Split::off && state.dial.vfoSwapped == 0 && text.compare(0, 2, "FA") == 0)
        text.replace(0, 2, "FB");
    text += ";";
    if ((text.compare(0, 2, "FA") == 0 || text.compare(0, 2, "FB") == 0) && text.size() > 5) {
        state.link.lastFreqCommand = text;
        // The answer to a poll already out tells the frequency from before this setting.
        if (state.poll.awaitingReply == 1) state.poll.staleFrequencyReply = 1;
    }
    if (pacing == Pacing::paced) sayPacing("shdelay", commandSpacingMs);
    note("send", text);
    port.write(text);
}

void Panel::readReply() {
    state.link.replyText.clear();
    if (port.bytesWaiting() > 0) state.link.replyText = port.read(maxReplyBytes);
    if (!state.link.replyText.empty()) note("read", Trace::printable(state.link.replyText));
    if (state.link.replyText.find("NC;") != std::string::npos) state.program.running = 0;
}

void Panel::pause() { sayPacing("delay", pauseMs); }

void Panel::sayPacing(const std::string& word, int minimumMs) {
    const int64_t start = clock.monotonicMicros();
    sayWord(word);
    const int64_t spentMs = (clock.monotonicMicros() - start) / 1000;
    if (spentMs < minimumMs) clock.sleepMs(static_cast<int>(minimumMs - spentMs));
}

}  // namespace vocrig::panel
