#pragma once

// The panel's window and sound on this system: SDL2.

#include "platform/sdl.h"

namespace vocrig::platform::native {

using Window = sdl::SdlWindow;
using Sound = sdl::SdlSound;

}  // namespace vocrig::platform::native
