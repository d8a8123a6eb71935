// The translator's radio intake: any bytes from the radio's port, between
// the panel's ordinary queries and sets, so the readings it stored are told.
#include <iterator>

#include "translator_rig.h"

namespace {

// clang-format off
const char* const panelCommands[] = {
    "FA;", "FB;", "SM;", "RM1;", "RM3;", "AG0;", "RG;", "SQ0;", "MG;", "NR;", "PR;", "KS;", "BI;", "VX;",
    "AC;", "RL;", "NL;", "Z1;", "Z2;", "FA00014200000;", "FB00007050000;", "MD3;", "AG0128;", "ID;",
};
// clang-format on

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    TranslatorRig rig;
    rig.start(script.byte(), false);
    while (!script.done() && !rig.t.ended()) {
        uint8_t step = script.byte();
        size_t chunk = 0;
        switch (step % 4) {
            case 0:
            case 1: {
                std::string bytes = script.chunk();
                chunk = bytes.size();
                rig.radio.inject(bytes);
                break;
            }
            case 2: rig.panel.inject(panelCommands[(step / 4) % std::size(panelCommands)]); break;
            default: rig.clock.now += int64_t{step / 4} * 50'000; break;
        }
        rig.t.turn();
        rig.checkState(chunk);
    }
    rig.checkOutput(true);
    return 0;
}
