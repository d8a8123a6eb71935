#pragma once

// The services the programs' main() functions wire on this system: Windows.
// (The build picks this header or the Linux one of the same name.)

#include <string>

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

// The word set an installation puts beside the programs: wave\ in their folder.
inline std::string installedWordFolder() { return executableDir() + "\\wave"; }

// Said by the translator when it has no link to the panel: neither COM20 (a
// com0com pair COM20 <-> COM21) nor the named pipe it makes in its place.
inline constexpr const char* panelPortMissing =
    "voctrans: cannot open COM20 or make the named pipe the panel connects to in its place;\n"
    "  the panel gets no answers.\n";

}  // namespace vocrig::platform::native
