// The diagnostic trace (VOCPANEL_TRACE): what the panel heard, said, sent and
// drew, one line per event, for a sighted helper or a test to follow.

#include <cstdio>

#include "panel.h"

namespace vocrig::panel {

Trace::Trace(platform::Clock& clock, std::unique_ptr<platform::FileWriter> writer)
    : clock(clock), writer(std::move(writer)), startMicros(clock.monotonicMicros()) {}

void Trace::line(const char* kind, const std::string& text) {
    if (!writer) return;
    const int64_t ms = (clock.monotonicMicros() - startMicros) / 1000;
    writer->write(std::to_string(ms) + " " + kind + " " + text + "\n");
}

std::string Trace::printable(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b <= 0x7E) {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

}  // namespace vocrig::panel
