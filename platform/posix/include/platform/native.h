#pragma once

// The services the programs' main() functions wire on this system: Linux.
// (The build picks this header or the Windows one of the same name.)

#include <string>

#include "platform/posix.h"
#include "platform/posix_signals.h"

namespace vocrig::platform::native {

using SerialPort = posix::PosixSerialPort;
using SerialDevices = posix::PosixSerialDevices;
using PortWaiter = posix::PollPortWaiter;
using Console = posix::StdConsole;
using Process = posix::PosixProcess;
using Clock = posix::SystemClock;
using Files = posix::DiskFiles;
using StopSignals = posix::StopSignals;
using posix::devicePathFor;
using posix::executableDir;

// The word set an installation puts beside the programs: bin/../share/vocrig/wave.
inline std::string installedWordFolder() { return executableDir() + "/../share/vocrig/wave"; }

// Said by the translator when it cannot open its panel port COM20 (neither a
// ports/com20 of the user's nor a pseudo-terminal pair of its own).
inline constexpr const char* panelPortMissing =
    "voctrans: cannot open COM20 or make a pseudo-terminal pair for the panel (ports/com21);\n"
    "  the panel gets no answers.\n";

}  // namespace vocrig::platform::native
