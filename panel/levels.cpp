// Receiver and transmitter levels.

#include <algorithm>

#include "panel.h"

namespace panel {

void Panel::sendWidth() {
    if (state.mode < 3) {
        state.filterWidth = std::clamp(state.filterWidth, 0, 12);
        state.ssbWidth = state.filterWidth;
        send("SH" + zeroPadded(state.filterWidth, 2));
        if (state.filterWidth == 0) sayWord("min");
        if (state.filterWidth == 12) sayWord("max");
    } else if (state.mode == 3) {
        if (state.filterWidth > 1500) {
            state.filterWidth = 1500;
            sayWord("max");
        } else if (state.filterWidth < 100) {
            state.filterWidth = 50;
            sayWord("min");
        }
        state.cwWidth = state.filterWidth;
        send("FW" + zeroPadded(state.filterWidth, 4));
    } else if (state.mode == 4) {
        state.filterWidth = 8;
        send("SH08");
    }
}

void Panel::togglePreamp() {
    sayWord("preamp");
    state.preampOn = state.preampOn == 1 ? 0 : 1;
    sayWord(state.preampOn == 1 ? "on" : "off");
    send(state.preampOn == 1 ? "PA1" : "PA0");
    showStatusWords();
}

void Panel::setPreamp(int on) {
    state.preampOn = on == 1 ? 0 : 1;
    togglePreamp();
}

}  // namespace panel
