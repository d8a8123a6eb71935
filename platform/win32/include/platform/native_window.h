#pragma once

// The panel's window and sound on this system: Win32 windows and PlaySound.

#include "platform/win32.h"

namespace vocrig::platform::native {

using Window = win32::Win32Window;
using Sound = win32::Win32Sound;

}  // namespace vocrig::platform::native
