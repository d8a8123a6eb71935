// vocpanel: wires this system's window, sound, serial port, files and clock to the panel.

#include <iostream>

#include "panel.h"
#include "platform/native.h"
#include "platform/native_window.h"

int main() {
    platform::native::Window window;
    if (!window.available()) {
        std::cerr << "vocpanel: " << window.error() << "\n";
        return panel::exitNoWindow;
    }
    platform::native::Sound sound;
    platform::native::SerialPort port;
    platform::native::Files files;
    platform::native::Clock clock;

    panel::Panel panel(window, sound, port, files, clock);
    const int status = panel.run();
    if (status == panel::exitNoWindow) std::cerr << "vocpanel: the window could not be opened\n";
    if (status == panel::exitNoConfiguration) std::cerr << "vocpanel: vocrig.cfg not found\n";
    if (status == panel::exitNoLink)
        std::cerr << "vocpanel: cannot open " << panel::portName(panel.state.comPort) << "\n";
    return status;
}
