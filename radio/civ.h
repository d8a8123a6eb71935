#pragma once

// The CI-V bytes both programs speak, each named once: framing, addresses,
// command bytes, the sub-commands the translator sends or reads and the
// simulated radio answers, and the operating-mode bytes.

#include <cstdint>
#include <string>

namespace vocrig::civ {

// Framing: FE FE to from command [sub-command] [data] FD.
inline constexpr uint8_t preamble = 0xFE;
inline constexpr uint8_t endOfFrame = 0xFD;
inline constexpr uint8_t jammer = 0xFC;  // a collision on the bus spoils the frame it lands in
inline constexpr uint8_t ok = 0xFB;      // the radio took the command
inline constexpr uint8_t ng = 0xFA;      // the radio refused it

// Addresses.
inline constexpr uint8_t broadcast = 0x00;
inline constexpr uint8_t controller = 0xE0;  // the translator's own

// Command bytes.
inline constexpr uint8_t announceFrequency = 0x00;  // sent unasked to everyone (transceive)
inline constexpr uint8_t announceMode = 0x01;
inline constexpr uint8_t readFrequency = 0x03;
inline constexpr uint8_t readMode = 0x04;
inline constexpr uint8_t setFrequency = 0x05;
inline constexpr uint8_t setMode = 0x06;
inline constexpr uint8_t vfo = 0x07;
inline constexpr uint8_t split = 0x0F;
inline constexpr uint8_t tuningStep = 0x10;
inline constexpr uint8_t attenuator = 0x11;
inline constexpr uint8_t level = 0x14;
inline constexpr uint8_t meter = 0x15;
inline constexpr uint8_t function = 0x16;
inline constexpr uint8_t power = 0x18;
inline constexpr uint8_t identity = 0x19;
inline constexpr uint8_t extended = 0x1A;
inline constexpr uint8_t tone = 0x1B;
inline constexpr uint8_t transmit = 0x1C;
inline constexpr uint8_t vfoFrequency = 0x25;
inline constexpr uint8_t vfoMode = 0x26;

// A command byte with, where it has one, its sub-command byte.
struct Command {
    uint8_t command;
    int sub = -1;  // -1: none

    std::string bytes() const {
        std::string out(1, static_cast<char>(command));
        if (sub >= 0) out += static_cast<char>(sub);
        return out;
    }
};

// Levels (14 xx), 0-255 as two BCD bytes.
inline constexpr Command afGain{level, 0x01};
inline constexpr Command rfGain{level, 0x02};
inline constexpr Command squelch{level, 0x03};
inline constexpr Command nrLevel{level, 0x06};
inline constexpr Command rfPower{level, 0x0A};
inline constexpr Command micGain{level, 0x0B};
inline constexpr Command keyerSpeed{level, 0x0C};
inline constexpr Command nbLevel{level, 0x12};

// Meters (15 xx), read only.
inline constexpr Command sMeter{meter, 0x02};
inline constexpr Command powerMeter{meter, 0x11};
inline constexpr Command swrMeter{meter, 0x12};
inline constexpr Command alcMeter{meter, 0x13};

// Functions (16 xx), a switch byte.
inline constexpr Command preamp{function, 0x02};
inline constexpr Command noiseBlanker{function, 0x22};
inline constexpr Command noiseReduction{function, 0x40};
inline constexpr Command autoNotch{function, 0x41};
inline constexpr Command repeaterTone{function, 0x42};
inline constexpr Command toneSquelch{function, 0x43};
inline constexpr Command speechProcessor{function, 0x44};
inline constexpr Command monitor{function, 0x45};
inline constexpr Command vox{function, 0x46};
inline constexpr Command breakIn{function, 0x47};
inline constexpr Command dialLock{function, 0x50};
inline constexpr Command txBandwidth{function, 0x58};

// VFO commands (07 xx).
inline constexpr Command selectVfoA{vfo, 0x00};
inline constexpr Command selectVfoB{vfo, 0x01};
inline constexpr Command equaliseVfos{vfo, 0xA0};
inline constexpr Command swapVfos{vfo, 0xB0};

// Identity (19 00), answered with the radio's address.
inline constexpr Command transceiverId{identity, 0x00};

// Extended settings (1A xx).
inline constexpr Command filterWidth{extended, 0x03};
inline constexpr Command menuItem{extended, 0x05};

// Tones (1B xx).
inline constexpr Command repeaterToneFrequency{tone, 0x00};
inline constexpr Command squelchToneFrequency{tone, 0x01};
inline constexpr Command dcsCode{tone, 0x02};

// Transmit and tuner (1C xx).
inline constexpr Command transmitSwitch{transmit, 0x00};
inline constexpr Command tuner{transmit, 0x01};

// Frequency and mode of the selected (00) or unselected (01) VFO (25 xx, 26 xx).
inline constexpr Command selectedFrequency{vfoFrequency, 0x00};
inline constexpr Command unselectedFrequency{vfoFrequency, 0x01};
inline constexpr Command selectedMode{vfoMode, 0x00};
inline constexpr Command unselectedMode{vfoMode, 0x01};

// Operating-mode bytes (04, 06, 26).
inline constexpr uint8_t modeLsb = 0x00;
inline constexpr uint8_t modeUsb = 0x01;
inline constexpr uint8_t modeAm = 0x02;
inline constexpr uint8_t modeCw = 0x03;
inline constexpr uint8_t modeRtty = 0x04;
inline constexpr uint8_t modeFm = 0x05;
inline constexpr uint8_t modeCwR = 0x07;
inline constexpr uint8_t modeRttyR = 0x08;
inline constexpr uint8_t modeDv = 0x17;

// Switch and setting bytes.
inline constexpr uint8_t off = 0x00;
inline constexpr uint8_t on = 0x01;

// FE FE to: the start of every frame for that address.
inline std::string preambleTo(uint8_t to) {
    return {static_cast<char>(preamble), static_cast<char>(preamble), static_cast<char>(to)};
}

// FE FE to from: what every frame starts with.
inline std::string header(uint8_t to, uint8_t from) { return preambleTo(to) + static_cast<char>(from); }

}  // namespace vocrig::civ
