// vocpanel: wires the real window, sound, serial port, files and clock to the panel.

#include <filesystem>
#include <iostream>
#include <string>

#include "panel.h"
#include "platform/posix.h"
#include "platform/sdl.h"

namespace {

// The working folder's own word set (an operator's recordings) first, else the
// installed one beside the programs (bin/../share/vocrig/wave).
std::string wordFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("wave", error)) return "wave";
    return platform::posix::executableDir() + "/../share/vocrig/wave";
}

}  // namespace

int main() {
    platform::sdl::SdlWindow window;
    if (!window.available()) {
        std::cerr << "vocpanel: " << window.error() << "\n";
        return panel::exitNoWindow;
    }
    platform::sdl::SdlSound sound(wordFolder());
    platform::posix::PosixSerialPort port;
    platform::posix::DiskFiles files;
    platform::posix::SystemClock clock;

    panel::Panel panel(window, sound, port, files, clock);
    const int status = panel.run();
    if (status == panel::exitNoWindow) std::cerr << "vocpanel: the window could not be opened\n";
    if (status == panel::exitNoConfiguration) std::cerr << "vocpanel: vocrig.cfg not found\n";
    if (status == panel::exitNoLink) {
        const std::string why = port.lastError();
        std::cerr << "vocpanel: " << (why.empty() ? "cannot open " + panel::portName(panel.state.comPort) : why)
                  << "\n";
    }
    return status;
}
