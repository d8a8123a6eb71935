#pragma once

// The byte-level pieces of CI-V as the simulated radio sees them: BCD numbers,
// frame building, and cutting frames out of a byte stream.

#include <cstdint>
#include <string>
#include <string_view>

#include "radio/civ.h"

namespace vocrig::radiosim {

inline uint8_t byteAt(std::string_view bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

// One byte holding two decimal digits; false when a half is above 9.
bool decodeBcdByte(uint8_t b, int& value);
uint8_t encodeBcdByte(int value);  // 0..99

// Frequency in hertz as 5 bytes, least significant pair first (up to 9.999999999 GHz).
std::string encodeFrequency(uint64_t hz);
bool decodeFrequency(std::string_view bytes, uint64_t& hz);  // exactly 5 BCD bytes

// Level 0-255 as two bytes 0H TU.
std::string encodeLevel(int value);
bool decodeLevel(std::string_view bytes, int& value);  // two BCD bytes, value 0..255

// A whole frame: FE FE to from body FD.
std::string buildFrame(uint8_t to, uint8_t from, std::string_view body);

// "FE FE 94 E0 03 FD"
std::string hexBytes(std::string_view bytes);

struct CivFrame {
    uint8_t to = 0;
    uint8_t from = 0;
    std::string body;     // command byte, sub-command and data
    std::string raw;      // the frame as it came, preamble and FD included
    size_t preamble = 0;  // how many FE bytes led it (a sleeping radio counts them)
};

// Cuts frames out of received bytes. Bytes that cannot start a frame are
// noise; a frame broken off by a new preamble, spoiled by a jammer byte or too
// short to carry an address pair and a command is dropped.
class FrameReader {
public:
    void feed(std::string_view bytes) { buffer.append(bytes); }
    // Takes the next complete frame; false when none is complete yet.
    bool next(CivFrame& frame);
    // Bytes thrown away since the last call (noise and broken frames).
    size_t takeDiscarded();
    void clear();

private:
    std::string buffer;
    size_t carriedPreamble = 0;  // FE bytes already dropped from a very long preamble
    size_t discarded = 0;
};

}  // namespace vocrig::radiosim
