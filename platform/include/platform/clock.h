#pragma once

#include <cstdint>

namespace vocrig::platform {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime localTime() = 0;
    virtual void sleepMs(int ms) = 0;
    // Monotonic time in microseconds from an arbitrary start.
    virtual int64_t monotonicMicros() = 0;
};

}  // namespace vocrig::platform
