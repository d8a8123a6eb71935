// The window: a status board for a sighted helper.

#include "panel.h"

namespace panel {

namespace {

const platform::Font smallFont{"Ariel", 20, 20};
const platform::Font largeFont{"Ariel", 50, 850};
const int modeX = 50, modeY = 45;
const int statusY = 250;

// Mode names as shown, by mode number; the blanks erase a longer name.
const std::array<const char*, 8> modeNames = {"",          "LSB     ",  "USB     ", "CW       ",
                                              "AM       ", "FMN      ", "FM       ", "DSTAR"};

}  // namespace

void Panel::showMode() {
    if (state.mode < 1 || state.mode > 7) return;
    window.drawText(modeX, modeY, modeNames[static_cast<size_t>(state.mode)]);
}

void Panel::showStatusWords() {
    const PanelState& s = state;
    window.setFont(smallFont);
    window.drawText(0, statusY, std::string(180, ' '));
    if (s.preampOn == 1) window.drawText(40, statusY, "preamp ");
    if (s.attOn == 1) window.drawText(170, statusY, "att");
    if (s.nbOn == 1) window.drawText(240, statusY, "nb");
    if (s.nrOn == 1) window.drawText(310, statusY, "nr");
    if (s.notchOn == 1) window.drawText(360, statusY, "notch");
    if (s.processorOn == 1 && s.mode < 3) window.drawText(460, statusY, "spc");
    if (s.mode == 3) {
        if (s.breakIn == 1) window.drawText(550, statusY, "bkin");
    } else if (s.vox == 1) {
        window.drawText(550, statusY, "vox     ");
    }
    if (s.monitorLevel > 0) window.drawText(620, statusY, "mon");
    if (s.lockState == "1" && s.lockAvailable == 1) window.drawText(700, statusY, "lock");
    if (s.toneText != "999") {
        const bool dcs = !s.toneText.empty() && (s.toneText[0] == 'N' || s.toneText[0] == 'R');
        window.drawText(770, statusY, (dcs ? "dcs=" : "ctcss=") + s.toneText + std::string(8, ' '));
    }
    window.setFont(largeFont);
}

}  // namespace panel
