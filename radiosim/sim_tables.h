#pragma once

// The simulated radio's fixed facts, each in one table: the models it can
// pretend to be, the operating modes, the level and function sub-commands,
// the amateur bands with the antenna each one has, and the tone tables.

#include <cstdint>
#include <span>
#include <string>

#include "radio/civ.h"

namespace vocrig::radiosim {

struct SimModel {
    const char* name;  // as the operator writes it: "7300"
    uint8_t address;
    uint64_t lowestHz;
    uint64_t highestHz;
    bool hasDv;  // D-STAR voice
    // Command 26 (mode, data mode and filter of the selected or unselected
    // VFO) came with the 7300 generation; older radios refuse it.
    bool hasVfoMode = false;
    uint8_t highestDataMode = 1;  // 26's data byte: 01 on, or D1..D3 where the radio has three
};

std::span<const SimModel> modelTable();
const SimModel* findModel(const std::string& name);  // exact name; nullptr when unknown

struct ModeRow {
    uint8_t code;
    const char* name;
    bool voice;      // ALC shows microphone drive in these
    int widthLimit;  // highest 1A 03 width index; -1: the width is fixed
    bool dataMode;   // has a data variant (USB-D, FM-D, ...)
};

std::span<const ModeRow> modeTable();
const ModeRow* findMode(uint8_t code);

// Filter passband of a width index in a mode, in hertz.
int filterWidthHz(uint8_t mode, int index);

struct LevelRow {
    uint8_t sub;  // 14 xx: civ::afGain.sub ...
    const char* name;
    int start;
};

std::span<const LevelRow> levelTable();
int levelIndex(uint8_t sub);  // -1 when not a level we keep

struct FunctionRow {
    uint8_t sub;  // 16 xx
    const char* name;
    int highest;  // values 0..highest are accepted
    int start;
};

std::span<const FunctionRow> functionTable();
int functionIndex(uint8_t sub);

// Attenuator settings the radio offers (dB, sent as a BCD byte).
bool attenuatorAccepted(int db);

struct BandRow {
    const char* name;
    uint64_t lowHz;
    uint64_t highHz;
    double antennaSwr;  // what the antenna shows without the tuner
    double noiseDbm;    // band noise at the receiver input
};

std::span<const BandRow> bandTable();
int bandIndexFor(uint64_t hz);  // -1 outside every amateur band

// Highest SWR the built-in tuner can match.
constexpr double tunerRange = 3.0;

// CTCSS tones in tenths of a hertz; DCS codes as their three octal-looking digits.
bool ctcssToneAccepted(int tenths);
bool dcsCodeAccepted(int code);

// Meter scales: reading (0-255) of a signal in dBm, of an SWR, of a power in percent.
int sMeterReading(double dbm);
int swrReading(double swr);
int powerReading(double percent);

}  // namespace vocrig::radiosim

namespace vocrig::radiosim {

// FE bytes a sleeping radio needs in front of its wake-up frame at a baud rate.
int wakePreambleFor(int baud);

}  // namespace vocrig::radiosim
