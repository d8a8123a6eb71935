#pragma once

// CI-V bytes written and read as hex text in tests.
#include <cstdio>
#include <sstream>
#include <string>

namespace vocrig::test {

// "FE FE 94 E0" -> bytes.
inline std::string hex(const std::string& text) {
    std::string out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) out += static_cast<char>(std::stoi(word, nullptr, 16));
    return out;
}

// bytes -> "FE FE 94 E0".
inline std::string toHex(const std::string& bytes) {
    std::string out;
    char group[4];
    for (unsigned char b : bytes) {
        std::snprintf(group, sizeof group, "%s%02X", out.empty() ? "" : " ", b);
        out += group;
    }
    return out;
}

}  // namespace vocrig::test
