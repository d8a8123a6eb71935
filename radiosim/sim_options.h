#pragma once

// The vocsim command line.

#include <string>
#include <vector>

#include "radio_sim.h"

namespace vocrig::radiosim {

struct ProgramOptions {
    SimOptions sim;
    std::string publishPath;  // create a pseudo-terminal and publish its far end here
    std::string portName;     // or use an existing port: "COM5" or a device path
    double replugAfterSeconds = 0;  // after an unplug fault, come back after this long; 0 = exit
    bool help = false;
};

// Fills `out` from the arguments (without the program name). Returns "" when
// they are fine, otherwise what is wrong with them.
std::string parseOptions(const std::vector<std::string>& args, ProgramOptions& out);

std::string helpText();

}  // namespace vocrig::radiosim
