#include "manual_clock.h"

#include <algorithm>

namespace vocrig::platform::fake {

void ManualClock::advance(int64_t micros) {
    while (micros > 0) {
        int64_t step = std::min(micros, std::max<int64_t>(stepMicros, 1));
        now += step;
        micros -= step;
        // A listener that itself sleeps must not recurse into the listeners.
        if (onAdvance && !inCallback) {
            inCallback = true;
            onAdvance();
            inCallback = false;
        }
    }
}

}  // namespace vocrig::platform::fake
