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
        rig.clock.now += int64_t{script.byte() % 4} * 400'000;  // up to 1.2 s: a command may go stale
        std::string chunk = script.chunk();
        rig.panel.inject(chunk);
        rig.t.turn();
        rig.checkState(chunk.size());
    }
    rig.checkOutput(true);
    return 0;
}
