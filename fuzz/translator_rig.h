#pragma once

// A translator on the test doubles, set up from the first byte of a script.
#include <string>

#include "fuzz_support.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "radio/models.h"
#include "recorders.h"
#include "test_config.h"
#include "translator.h"

namespace vocrig::fuzz {

using namespace vocrig::translator;

struct TranslatorRig {
    RecordingEnd radio, panel, passThrough;
    platform::fake::FakeSerialDevices devices;
    platform::fake::FakePortWaiter waiter;
    platform::fake::RecordingConsole console;
    platform::fake::RecordingProcess process;
    platform::fake::ManualClock clock;
    platform::fake::MemoryFiles files;
    Translator t{radio, panel, passThrough, devices, waiter, console, process, clock, files};
    TranslatorState& st = t.state();

    // The set-up byte picks the model (a row of the table, or AUTO) and the
    // diagnostic level; the pass-through port is "6" or none.
    void start(uint8_t setUp, bool withPassThrough) {
        auto rows = radio::models();
        size_t pick = (setUp & 0x3F) % (rows.size() + 1);
        std::string model = pick < rows.size() && !rows[pick].name.empty() ? std::string(rows[pick].name) : "AUTO";
        int debug = (setUp >> 6) % 3;
        files.files["vocrig.cfg"] =
            test::TestConfig{.model = model, .passThrough = withPassThrough ? "6" : "0", .debug = debug}.text();
        t.startUp();
    }

    // Checks after every turn: intake buffers stay bounded (the turn's read
    // of `chunk` bytes may stand beside the kept ones until the next bound),
    // stored frequencies stay 11 digits.
    void checkState(size_t chunk) const {
        size_t most = Translator::bufferLimit + chunk;
        check(st.programBuffer.size() <= most, "the panel buffer stays bounded");
        if (!st.ended)  // "quit" leaves what came after it
            check(st.programBuffer.find(';') == std::string::npos, "every whole command is taken", st.programBuffer);
        check(st.radioBuffer.size() <= most, "the radio buffer stays bounded");
        check(st.passThroughBuffer.size() <= most, "the pass-through buffer stays bounded");
        for (const std::string* f : {&st.readings.freqA, &st.readings.freqB})
            check(f->size() == 11 && f->find_first_not_of("0123456789") == std::string::npos,
                  "a stored frequency is 11 digits", *f);
    }

    void checkOutput(bool strictFrames) const {
        checkPanelReplies(panel.writes);
        checkRadioFrames(radio.writes, strictFrames);
    }
};

}  // namespace vocrig::fuzz
