#pragma once

// The words of the simulator's console log.

#include <cstdint>
#include <string>
#include <vector>

namespace vocrig::radiosim {

struct RadioState;

std::string frequencyText(uint64_t hz);  // "14.250000 MHz"
std::string modeText(uint8_t mode);      // "USB", or the code in hex
std::string modeText(uint8_t mode, uint8_t data);  // "USB", "USB-D", "USB-D2"
std::string toneText(int tenths);        // "88.5 Hz"
std::string dcsText(int code, int polarity);  // "023 N/N"
std::string swrText(double swr);         // "1.4"

// One line per change between two states of the radio.
std::vector<std::string> describeChanges(const RadioState& before, const RadioState& after);

}  // namespace vocrig::radiosim
