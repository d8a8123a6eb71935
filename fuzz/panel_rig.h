#pragma once

// A panel on the test doubles whose link port keeps each command apart.
#include <string>

#include "fake_speaker.h"
#include "fuzz_support.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "panel.h"
#include "scripted_window.h"

namespace vocrig::fuzz {

struct PanelRig {
    platform::fake::ManualClock clock;
    platform::fake::ScriptedWindow window{clock};
    platform::fake::FakeSpeaker speaker{clock};
    RecordingEnd port;
    platform::fake::MemoryFiles files;
    panel::Panel panel{window, speaker, port, files, clock};
    panel::PanelState& state = panel.state;

    PanelRig() { speaker.defaultLengthMs = 50; }

    void checkCommands() const { checkPanelCommands(port.writes); }
};

}  // namespace vocrig::fuzz
