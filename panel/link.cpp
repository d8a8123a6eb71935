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
    PanelState& s = state;
    s.bandIndex = 4;
    s.ssbWidth = 7;
    s.cwWidth = 600;
    s.filterWidth = 0;
    s.squelch = 60;
    s.keyerSpeed = 15;
    s.micGain = 20;
    s.afGain = 50;
    s.rfGain = 255;
    s.txBandwidth = 1;
    s.peakAlc = -1;
    s.channelBank = noBand;
    s.channelBankChoice = 0;
    s.channelSlot = 0;
    s.entryMHz = noEntry;
    s.entryFraction = 0;
    s.entryZeros.clear();
    s.entryPoint = 0;
    s.freqEntry = 0;
    s.channelOp = ChannelOp::none;
    s.choosingBank = 0;
    s.toneText = Tone::noneText;
    s.toneEntry = ToneEntry::none;
    s.toneOn = 0;
    s.radioId = 0;

    s.keyCode = s.keyHeld = s.modeReported = 0;
    s.keyPrefix = Prefix::none;
    s.busy = s.tickCount = 0;
    s.nbLevel = s.nrLevel = 0;
    s.levelTarget = LevelTarget::none;
    s.savedMode = s.micGainWatch = 0;
    s.preampOn = s.attOn = s.nbOn = s.nrOn = s.notchOn = 0;
    s.processorOn = s.vox = s.breakIn = s.rtsOn = s.monitorLevel = 0;
    s.tunerEngaged = s.txbwLatch = s.txState = s.tuning = s.tuneSwrMute = 0;
    s.mode = s.fmWide = s.bandSplitFlag = s.vfoSwapped = s.stepFlag = 0;
    s.splitOn = Split::off;
    s.awaitingReply = s.missedPolls = s.connected = s.pollPhase = 0;
    s.peakSwr = s.swrSettle = s.sMeter = s.sMeterShown = s.sMeterDrops = 0;
    s.sDigit = "0";
    s.lockAvailable = s.swapFixed = s.linkFailed = 0;
    s.frequency = 0;

    s.commandText.clear();
    s.replyText.clear();
    s.lastFreqCommand.clear();
    s.lastFreqReply.clear();
    // VFO texts of the default 40 m row.
    s.vfoAText = "A00007100000";
    s.vfoBText = "B00007100000";
}

void Panel::openLink() {
    drawText(bannerPlace.x, bannerPlace.y, state.bannerText);
    for (size_t i = 0; i < std::size(helpLines); ++i)
        drawText(helpPlaces[i].x, helpPlaces[i].y, helpLines[i]);

    setStartValues();
    setDefaultTables();
    loadMemory();

    if (port.isOpen()) port.close();
    if (!port.open(portName(state.comPort))) {
        sayWord("vnc");
        state.linkFailed = 1;
        return;
    }
    port.configure(state.baudRate, stopBits);

    if (state.radioPowerSwitch == 1) {
        send("Poweron");
        pause();
        send("PS1");
        for (int i = 0; i < powerOnPauses; ++i) pause();
    }

    send("Z1");
    for (int i = 0; i < identityTries; ++i) {
        pause();
        readReply();
        if (state.replyText.size() >= 3 && state.replyText.compare(0, 2, "Z1") == 0) {
            state.radioId = static_cast<unsigned char>(state.replyText[2]);
            break;
        }
    }

    // The split flag the band set-up applies on first contact: the saved
    // row's; a file saved without a band gives none, although the start then
    // falls back to 40 m.
    state.bandSplitFlag = currentBand().splitFlag();

    send("Z2");
    send("LO" + state.lockState);

    window.setFont(statusFont);

    if (state.bandIndex < 1 || state.bandIndex > bandRows) state.bandIndex = 4;
    const BandRecord row = currentBand();
    send("FA" + row.vfoA());
    state.frequency = hertzOf(row.vfoA());
    sayFrequency();

    const vocrig::radio::Model* model = vocrig::radio::byAddress(state.radioId);
    if (model && model->fixedSwap) state.swapFixed = 1;
    if (model && model->dialLock) state.lockAvailable = 1;
}

void Panel::send(const std::string& text, Pacing pacing) {
    state.commandText = text;
    sendCommand(pacing);
}

void Panel::sendCommand(Pacing pacing) {
    std::string& text = state.commandText;
    if (text.empty()) return;
    // While split is on, frequency settings go to VFO B.
    if (state.splitOn != Split::off && state.vfoSwapped == 0 && text.compare(0, 2, "FA") == 0) text.replace(0, 2, "FB");
    text += ";";
    if ((text.compare(0, 2, "FA") == 0 || text.compare(0, 2, "FB") == 0) && text.size() > 5) {
        state.lastFreqCommand = text;
        // The answer to a poll already out tells the frequency from before this setting.
        if (state.awaitingReply == 1) state.staleFrequencyReply = 1;
    }
    if (pacing == Pacing::paced) sayPacing("shdelay", commandSpacingMs);
    note("send", text);
    port.write(text);
}

void Panel::readReply() {
    state.replyText.clear();
    if (port.bytesWaiting() > 0) state.replyText = port.read(maxReplyBytes);
    if (!state.replyText.empty()) note("read", Trace::printable(state.replyText));
    if (state.replyText.find("NC;") != std::string::npos) state.running = 0;
}

void Panel::pause() { sayPacing("delay", pauseMs); }

void Panel::sayPacing(const std::string& word, int minimumMs) {
    const int64_t start = clock.monotonicMicros();
    sayWord(word);
    const int64_t spentMs = (clock.monotonicMicros() - start) / 1000;
    if (spentMs < minimumMs) clock.sleepMs(static_cast<int>(minimumMs - spentMs));
}

}  // namespace vocrig::panel
