#pragma once

#include <functional>

#include "platform/clock.h"

namespace vocrig::platform::fake {

// A clock that moves only when told. Sleeping advances it. Listeners run when
// time passes, so a test can let other parts (a translator, a radio) take their
// turns while one part "waits".
class ManualClock : public Clock {
public:
    LocalTime localTime() override { return local; }
    void sleepMs(int ms) override { advance(static_cast<int64_t>(ms) * 1000); }
    int64_t monotonicMicros() override { return now; }

    // Advances time in steps of at most `stepMicros`, calling onAdvance after each.
    void advance(int64_t micros);

    LocalTime local{2026, 12, 6, 19, 5, 7};
    int64_t now = 0;
    int64_t stepMicros = 1000;
    std::function<void()> onAdvance;

private:
    bool inCallback = false;
};

}  // namespace vocrig::platform::fake
