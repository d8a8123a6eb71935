// The translator's panel intake: whatever bytes the panel port delivers, in
// any split and with any pauses between the reads.
#include "translator_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    TranslatorRig rig;
    rig.start(script.byte(), false);
    rig.st.radioHeard = 1;  // replies reach the panel
    while (!script.done() && !rig.t.ended()) {
        uint8_t step = script.byte();
        rig.clock.now += (step >> 6) * 400'000;  // up to 1.2 s: a command may go stale
        rig.panel.inject(script.bytes(step & 0x3F ? step & 0x3F : script.byte()));
        rig.t.turn();
        rig.checkState(255);
    }
    rig.checkOutput(true);
    return 0;
}
