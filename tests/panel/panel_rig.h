#pragma once

#include <string>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "panel.h"
#include "scripted_window.h"
#include "test_config.h"

// A panel wired to the test doubles; `Files` may be a MemoryFiles that misbehaves.
template <class Files = vocrig::platform::fake::MemoryFiles>
struct BasicPanelRig {
    vocrig::platform::fake::ManualClock clock;
    vocrig::platform::fake::ScriptedWindow window{clock};
    vocrig::platform::fake::FakeSpeaker speaker{clock};
    vocrig::platform::fake::FakeSerialEnd port;
    Files files;
    vocrig::panel::Panel panel{window, speaker, port, files, clock};
    vocrig::panel::PanelState& state = panel.state;

    BasicPanelRig() { port.opened = true; }  // as after the link was opened

    // Words spoken since the last call, joined with " / ".
    std::string words() {
        std::string out = speaker.joined();
        speaker.words.clear();
        return out;
    }
    std::string sent() { return port.takeWritten(); }
};
using PanelRig = BasicPanelRig<>;
