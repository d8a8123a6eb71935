// vocpanel: wires this system's window, sound, serial port, files and clock to the panel.
// VOCPANEL_TRACE names a file the panel appends its trace to.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "panel.h"
#include "platform/native.h"
#include "platform/native_window.h"

namespace {

// The working folder's own word set (an operator's recordings) first, else the
// installed one (bin/../share/vocrig/wave on Linux, wave\ beside the programs
// on Windows).
std::string wordFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("wave", error)) return "wave";
    return vocrig::platform::native::installedWordFolder();
}

}  // namespace

int main() {
    vocrig::platform::native::Clock clock;
    vocrig::platform::native::Files files;
    std::unique_ptr<vocrig::panel::Trace> trace;
    if (const char* path = std::getenv("VOCPANEL_TRACE"); path != nullptr && *path != '\0') {
        auto writer = files.append(path);
        if (writer) trace = std::make_unique<vocrig::panel::Trace>(clock, std::move(writer));
        else std::cerr << "vocpanel: cannot write the trace to " << path << "\n";
    }
    auto finish = [&trace](int status) {
        if (trace) trace->line("exit", std::to_string(status));
        return status;
    };

    vocrig::platform::native::Window window;
    if (!window.available()) {
        std::cerr << "vocpanel: " << window.error() << "\n";
        return finish(vocrig::panel::exitNoWindow);
    }
    vocrig::platform::native::Sound sound(wordFolder());
    vocrig::platform::native::SerialPort port;

    vocrig::panel::Panel panel(window, sound, port, files, clock, trace.get());
    const int status = panel.run();
    if (status == vocrig::panel::exitNoWindow) std::cerr << "vocpanel: the window could not be opened\n";
    if (status == vocrig::panel::exitNoConfiguration) std::cerr << "vocpanel: vocrig.cfg not found\n";
    if (status == vocrig::panel::exitNoLink) {
        const std::string why = port.lastError();
        std::cerr << "vocpanel: "
                  << (why.empty() ? "cannot open " + vocrig::panel::portName(panel.state.link.comPort) : why) << "\n";
    }
    return finish(status);
}
