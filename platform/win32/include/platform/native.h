#pragma once

// The services the programs' main() functions wire on this system: Windows.
// (The build picks this header or the Linux one of the same name.)

#include "platform/win32.h"

namespace vocrig::platform::native {

using SerialPort = win32::Win32SerialPort;
using SerialDevices = win32::Win32SerialDevices;
using PortWaiter = win32::Win32PortWaiter;
using Console = win32::Win32Console;
using Process = win32::Win32Process;
using Clock = win32::SystemClock;
using Files = win32::DiskFiles;
using StopSignals = win32::StopSignals;
using win32::devicePathFor;
using win32::executableDir;

// Said by the translator when it cannot open its panel port COM20.
inline constexpr const char* panelPortMissing =
    "voctrans: cannot open COM20, the translator's end of the link to the panel.\n"
    "  Windows needs a virtual null-modem pair joining COM20 and COM21: install com0com\n"
    "  and make the pair COM20 <-> COM21 (see README.md). Until then the panel gets no answers.\n";

}  // namespace vocrig::platform::native
