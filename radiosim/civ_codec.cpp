#include "civ_codec.h"

#include <cstdio>

namespace vocrig::radiosim {

namespace {
// A preamble longer than this is counted, not stored: a wake-up needs at most 150.
constexpr size_t keptPreamble = 1024;
// A frame body never comes near this; a stream without FD this long is noise.
constexpr size_t longestBody = 512;
}  // namespace

bool decodeBcdByte(uint8_t b, int& value) {
    int high = b >> 4, low = b & 0x0F;
    if (high > 9 || low > 9) return false;
    value = high * 10 + low;
    return true;
}

uint8_t encodeBcdByte(int value) { return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10)); }

std::string encodeFrequency(uint64_t hz) {
    std::string out;
    for (int i = 0; i < 5; ++i) {
        out.push_back(static_cast<char>(encodeBcdByte(static_cast<int>(hz % 100))));
        hz /= 100;
    }
    return out;
}

bool decodeFrequency(std::string_view bytes, uint64_t& hz) {
    if (bytes.size() != 5) return false;
    uint64_t value = 0;
    for (size_t i = bytes.size(); i-- > 0;) {
        int pair = 0;
        if (!decodeBcdByte(byteAt(bytes, i), pair)) return false;
        value = value * 100 + static_cast<uint64_t>(pair);
    }
    hz = value;
    return true;
}

std::string encodeLevel(int value) {
    std::string out;
    out.push_back(static_cast<char>(encodeBcdByte(value / 100)));
    out.push_back(static_cast<char>(encodeBcdByte(value % 100)));
    return out;
}

bool decodeLevel(std::string_view bytes, int& value) {
    int high = 0, low = 0;
    if (bytes.size() != 2 || !decodeBcdByte(byteAt(bytes, 0), high) || !decodeBcdByte(byteAt(bytes, 1), low))
        return false;
    int v = high * 100 + low;
    if (v > 255) return false;
    value = v;
    return true;
}

std::string buildFrame(uint8_t to, uint8_t from, std::string_view body) {
    std::string out{static_cast<char>(civ::preamble), static_cast<char>(civ::preamble), static_cast<char>(to),
                    static_cast<char>(from)};
    out.append(body);
    out.push_back(static_cast<char>(civ::endOfFrame));
    return out;
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    char two[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(two, sizeof two, "%02X", byteAt(bytes, i));
        if (i) out.push_back(' ');
        out.append(two);
    }
    return out;
}

bool FrameReader::next(CivFrame& frame) {
    for (;;) {
        size_t start = buffer.find(static_cast<char>(civ::preamble));
        if (start == std::string::npos) {
            discarded += buffer.size();
            buffer.clear();
            carriedPreamble = 0;
            return false;
        }
        if (start > 0) {
            discarded += start;
            buffer.erase(0, start);
            carriedPreamble = 0;
        }
        size_t run = 0;
        while (run < buffer.size() && byteAt(buffer, run) == civ::preamble) ++run;
        if (run == buffer.size()) {  // the preamble may go on in the next read
            if (run > keptPreamble) {
                carriedPreamble += run - keptPreamble;
                buffer.erase(0, run - keptPreamble);
            }
            return false;
        }
        if (run < 2) {  // a lone FE is not a preamble
            discarded += 1;
            buffer.erase(0, 1);
            carriedPreamble = 0;
            continue;
        }
        // Body: up to FD. A new FE means the frame was broken off; FC spoils it.
        size_t i = run;
        bool broken = false;
        while (i < buffer.size()) {
            uint8_t b = byteAt(buffer, i);
            if (b == civ::endOfFrame) break;
            if (b == civ::preamble) {
                broken = true;
                break;
            }
            ++i;
        }
        if (broken) {
            discarded += i;
            buffer.erase(0, i);
            carriedPreamble = 0;
            continue;
        }
        if (i == buffer.size()) {  // no FD yet
            if (i - run > longestBody) {
                discarded += i;
                buffer.clear();
                carriedPreamble = 0;
            }
            return false;
        }
        std::string_view body(buffer.data() + run, i - run);
        bool jammed = body.find(static_cast<char>(civ::jammer)) != std::string_view::npos;
        if (jammed || body.size() < 3) {
            discarded += i + 1;
            buffer.erase(0, i + 1);
            carriedPreamble = 0;
            continue;
        }
        frame.to = byteAt(body, 0);
        frame.from = byteAt(body, 1);
        frame.body.assign(body.substr(2));
        frame.raw.assign(carriedPreamble, static_cast<char>(civ::preamble));
        frame.raw.append(buffer, 0, i + 1);
        frame.preamble = run + carriedPreamble;
        buffer.erase(0, i + 1);
        carriedPreamble = 0;
        return true;
    }
}

size_t FrameReader::takeDiscarded() {
    size_t n = discarded;
    discarded = 0;
    return n;
}

void FrameReader::clear() {
    buffer.clear();
    carriedPreamble = 0;
    discarded = 0;
}

}  // namespace vocrig::radiosim
