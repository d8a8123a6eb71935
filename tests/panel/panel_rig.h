#pragma once

#include <string>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "panel.h"
#include "scripted_window.h"

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

// A configuration file: three translator lines, then the panel's.
inline std::string configText(const std::string& power = "power 100", const std::string& lockLine = "",
                              int switchRadio = 0) {
    std::string text = "COM 5\r\nbaud 9600\r\nmodel 7300\r\n" + power + "\r\nswr 0\r\ntun 0\r\nbandplan7\r\n";
    text += "powersw" + std::to_string(switchRadio) + "\r\n";
    if (!lockLine.empty()) text += lockLine + "\r\n";
    text += "pass 0\r\ndiag 0\r\ndiagl 0\r\n";
    return text;
}
