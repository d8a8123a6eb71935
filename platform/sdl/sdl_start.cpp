#include "sdl_start.h"

#include "lsan_suppressions.h"

namespace vocrig::platform::sdl {

int startSdl(Uint32 subsystems) { return SDL_InitSubSystem(subsystems); }

}  // namespace vocrig::platform::sdl
