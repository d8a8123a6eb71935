// The panel reading the translator's replies: any bytes, arriving in pieces
// while the panel waits, through the link's start and an FM mode change
// (identity, squelch).
#include "panel_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    PanelRig p;
    uint8_t setUp = script.byte();
    p.files.files["vocrig.cfg"] = std::string("COM 5\r\nbaud 9600\r\nmodel 7300\r\npower 100\r\nswr 0\r\ntun 0\r\n") +
                                  "bandplan7\r\npowersw" + ((setUp & 1) ? "1" : "0") +
                                  "\r\npass 0\r\ndiag 0\r\ndiagl 0\r\n";
    p.panel.readConfiguration();

    // Each piece: a wait in 10 ms steps, then its bytes, delivered once the
    // clock passes its time and the port is open.
    int64_t due = 0;
    uint8_t wait = script.byte();
    p.clock.onAdvance = [&] {
        while (!script.done() && p.clock.now >= due && p.port.isOpen()) {
            p.port.inject(script.bytes(script.byte()));
            due = p.clock.now + int64_t{wait} * 10'000;
            wait = script.byte();
        }
    };
    p.panel.openLink();
    check(p.state.radioId >= -1 && p.state.radioId <= 255, "the identity is a byte");
    p.state.mode = (setUp & 2) ? 6 : 5;
    p.panel.sendMode();
    check(p.state.squelch >= 0 && p.state.squelch <= 999, "the squelch is three digits");
    p.clock.onAdvance = nullptr;
    p.checkCommands();
    return 0;
}
