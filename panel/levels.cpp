// Receiver and transmitter levels.

#include <algorithm>

#include "panel.h"

namespace panel {

void Panel::sendWidth() {
    const ModeClass kind = modeClass(state.mode);
    if (kind == ModeClass::ssb) {
        state.filterWidth = std::clamp(state.filterWidth, 0, 12);
        state.ssbWidth = state.filterWidth;
        send("SH" + zeroPadded(state.filterWidth, 2));
        if (state.filterWidth == 0) sayWord("min");
        if (state.filterWidth == 12) sayWord("max");
    } else if (kind == ModeClass::cw) {
        if (state.filterWidth > 1500) {
            state.filterWidth = 1500;
            sayWord("max");
        } else if (state.filterWidth < 100) {
            state.filterWidth = 50;
            sayWord("min");
        }
        state.cwWidth = state.filterWidth;
        send("FW" + zeroPadded(state.filterWidth, 4));
    } else if (kind == ModeClass::am) {
        state.filterWidth = 8;
        send("SH08");
    }
}

void Panel::togglePreamp() {
    const int on = state.preampOn == 1 ? 0 : 1;
    sayWord("preamp");
    sayWord(on == 1 ? "on" : "off");
    send(on == 1 ? "PA1" : "PA0");
    state.preampOn = on;
    showStatusWords();
}

void Panel::setPreamp(int on) {
    state.preampOn = on == 1 ? 0 : 1;
    togglePreamp();
}

}  // namespace panel
