// vocpanel: wires the real window, sound, serial port, files and clock to the panel.
// VOCPANEL_TRACE names a file the panel appends its trace to.

#include <cstdlib>
#include <iostream>

#include "panel.h"
#include "platform/posix.h"
#include "platform/sdl.h"

int main() {
    platform::posix::SystemClock clock;
    platform::posix::DiskFiles files;
    std::unique_ptr<panel::Trace> trace;
    if (const char* path = std::getenv("VOCPANEL_TRACE"); path != nullptr && *path != '\0') {
        auto writer = files.append(path);
        if (writer) trace = std::make_unique<panel::Trace>(clock, std::move(writer));
        else std::cerr << "vocpanel: cannot write the trace to " << path << "\n";
    }
    auto finish = [&trace](int status) {
        if (trace) trace->line("exit", std::to_string(status));
        return status;
    };

    platform::sdl::SdlWindow window;
    if (!window.available()) {
        std::cerr << "vocpanel: " << window.error() << "\n";
        return finish(panel::exitNoWindow);
    }
    platform::sdl::SdlSound sound;
    platform::posix::PosixSerialPort port;

    panel::Panel panel(window, sound, port, files, clock, trace.get());
    const int status = panel.run();
    if (status == panel::exitNoWindow) std::cerr << "vocpanel: the window could not be opened\n";
    if (status == panel::exitNoConfiguration) std::cerr << "vocpanel: vocrig.cfg not found\n";
    if (status == panel::exitNoLink)
        std::cerr << "vocpanel: cannot open " << panel::portName(panel.state.comPort) << "\n";
    return finish(status);
}
