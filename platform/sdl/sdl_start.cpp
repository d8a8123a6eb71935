#include "sdl_start.h"

#include "lsan_suppressions.h"

namespace platform::sdl {

int startSdl(Uint32 subsystems) { return SDL_InitSubSystem(subsystems); }

}  // namespace platform::sdl
