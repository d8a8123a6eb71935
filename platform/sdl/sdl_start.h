#pragma once

#include <SDL2/SDL.h>

namespace vocrig::platform::sdl {

// Starts SDL subsystems (SDL_InitSubSystem); every service starts SDL here.
int startSdl(Uint32 subsystems);

}  // namespace vocrig::platform::sdl
