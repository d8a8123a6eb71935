// The pass-through port: any bytes from the second CI-V program, with the
// radio answering (or sending anything) in between.
#include "translator_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    TranslatorRig rig;
    rig.start(script.byte(), true);
    rig.st.radioHeard = 1;
    while (!script.done() && !rig.t.ended()) {
        uint8_t step = script.byte();
        std::string chunk = step % 3 == 2 ? std::string() : script.chunk();
        switch (step % 3) {
            case 0: rig.passThrough.inject(chunk); break;
            case 1: rig.radio.inject(chunk); break;
            default: rig.clock.now += int64_t{step / 3} * 50'000; break;
        }
        rig.t.turn();
        rig.checkState(chunk.size());
    }
    // The second program's frames go on as it wrote them, from their FE FE.
    rig.checkOutput(false);
    return 0;
}
