#pragma once
// Writes short test words: a mono 16-bit wave file holding a tone.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace vocrig::test {

inline void put16(std::ofstream& out, uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); }
inline void put32(std::ofstream& out, uint32_t v) { put16(out, uint16_t(v & 0xffff)), put16(out, uint16_t(v >> 16)); }

// A mono 16-bit tone of `ms` milliseconds.
inline void writeTone(const std::filesystem::path& path, int ms, int rate = 22050) {
    const uint32_t samples = uint32_t(rate) * ms / 1000;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + samples * 2);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, samples * 2);
    for (uint32_t i = 0; i < samples; ++i) put16(out, uint16_t(int16_t(8000 * std::sin(i * 0.06))));
}

}  // namespace vocrig::test
