// The pass-through port: any bytes from the second CI-V program, with the
// radio answering (or sending anything) in between or while the service
// waits for its answer.
#include "translator_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Script script(data, size);
    TranslatorRig rig;
    rig.start(script.byte(), true);
    rig.st.radioHeard = 1;
    std::string answer;  // what the radio sends at the next tick of the clock
    size_t answered = 0;
    rig.clock.onAdvance = [&] {
        answered += answer.size();
        rig.radio.inject(answer);
        answer.clear();
    };
    while (!script.done() && !rig.t.ended()) {
        uint8_t step = script.byte();
        std::string chunk = step % 4 == 2 ? std::string() : script.chunk();
        switch (step % 4) {
            case 0: rig.passThrough.inject(chunk); break;
            case 1: rig.radio.inject(chunk); break;
            case 2: rig.clock.now += int64_t{step / 4} * 50'000; break;
            default: answer += chunk; break;
        }
        answered = 0;
        rig.t.turn();
        rig.checkState(chunk.size() + answered);
    }
    // The second program's frames go on as it wrote them, from their FE FE;
    // it gets back only whole frames.
    rig.checkOutput(false);
    for (const std::string& back : rig.passThrough.writes) {
        for (size_t from = 0, fd; from < back.size(); from = fd + 1) {
            fd = back.find('\xFD', from);
            check(fd != std::string::npos, "what is handed back ends in FD", back);
            check(back.compare(from, 2, "\xFE\xFE") == 0, "what is handed back is whole frames", back);
        }
    }
    return 0;
}
