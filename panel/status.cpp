// The window: a status board for a sighted helper.

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

const platform::Font smallFont{"Ariel", 20, 20};
const platform::Font largeFont{"Ariel", 50, 850};
const int modeX = 50, modeY = 45;
const int statusY = 250;
// The S meter: "S", then its digit beside it (and "+" after a "9").
const int sMeterX = 750, sDigitX = 790, sPlusX = 820, sMeterY = 45;
const int vfoMarkX = 80, frequencyX = 285, frequencyY = 150;

}  // namespace

std::string frequencyText(const std::string& digits) {
    std::string text = slice(digits, 0, 5) + "." + slice(digits, 5, 6);
    const size_t zeros = std::min(text.find_first_not_of('0'), text.size());
    text.erase(0, zeros);
    if (text.empty() || text[0] == '.') text.insert(0, "0");
    return std::string(zeros, ' ') + text;
}

void Panel::drawText(int x, int y, const std::string& text) {
    note("draw", std::to_string(x) + " " + std::to_string(y) + " " + text);
    window.drawText(x, y, text);
}

void Panel::showMode() {
    if (const ModeRow* row = modeRow(state.dial.mode)) drawText(modeX, modeY, row->shown);
}

void Panel::showSMeter() {
    drawText(sMeterX, sMeterY, "S");
    state.poll.sDigit = sDigitFor(state.poll.sMeter);
    if (state.poll.sDigit == "+") {
        drawText(sDigitX, sMeterY, "9");
        drawText(sPlusX, sMeterY, "+");
    } else {
        drawText(sDigitX, sMeterY, state.poll.sDigit + "   ");
    }
}

void Panel::showFrequency() {
    const PanelState& s = state;
    const char* mark = s.dial.splitOn == Split::off ? "    " : s.dial.vfoSwapped == 0 ? "B   " : "A  ";
    drawText(vfoMarkX, frequencyY, mark);
    if (state.dial.splitOn == Split::on) {
        sayWord("split");
        state.dial.splitOn = Split::announced;
    }
    drawText(frequencyX, frequencyY, frequencyText(slice(s.poll.lastFreqReply, 2, 11)) + std::string(13, ' '));
}

void Panel::showStatusWords() {
    const PanelState& s = state;
    window.setFont(smallFont);
    drawText(0, statusY, std::string(180, ' '));
    if (s.switches.preampOn == 1) drawText(40, statusY, "preamp ");
    if (s.switches.attOn == 1) drawText(170, statusY, "att");
    if (s.switches.nbOn == 1) drawText(240, statusY, "nb");
    if (s.switches.nrOn == 1) drawText(310, statusY, "nr");
    if (s.switches.notchOn == 1) drawText(360, statusY, "notch");
    if (s.switches.processorOn == 1 && modeClass(s.dial.mode) == ModeClass::ssb) drawText(460, statusY, "spc");
    if (modeClass(s.dial.mode) == ModeClass::cw) {
        if (s.switches.breakIn == 1) drawText(550, statusY, "bkin");
    } else if (s.switches.vox == 1) {
        drawText(550, statusY, "vox     ");
    }
    if (s.levels.monitorLevel > 0) drawText(620, statusY, "mon");
    if (s.config.lockState == "1" && s.link.lockAvailable == 1) drawText(700, statusY, "lock");
    if (!isNoTone(s.tone.toneText))
        drawText(770, statusY, std::string(toneWord(s.tone.toneText)) + "=" + s.tone.toneText + std::string(8, ' '));
    window.setFont(largeFont);
}

}  // namespace vocrig::panel
