// The panel reading the translator's replies: any bytes, arriving in pieces
// while the panel waits, through the link's start and an FM mode change
// (identity, squelch).
#include "panel_rig.h"
#include "test_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    PanelRig p;
    uint8_t setUp = script.byte();
    p.files.files["vocrig.cfg"] = vocrig::test::TestConfig{.powerSwitch = setUp & 1}.text();
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
    check(p.state.link.radioId >= -1 && p.state.link.radioId <= 255, "the identity is a byte");
    p.state.dial.mode = (setUp & 2) ? 6 : 5;
    p.panel.sendMode();
    check(p.state.dial.squelch >= 0 && p.state.dial.squelch <= 999, "the squelch is three digits");
    p.clock.onAdvance = nullptr;
    p.checkCommands();
    return 0;
}
