#include "sim_tables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace vocrig::radiosim {

namespace {

constexpr uint64_t kHz = 1000, MHz = 1000000;

// Addresses are the radios' factory CI-V addresses; the coverage is the
// receiver's tuning range (one span per radio, gaps ignored).
constexpr std::array models{
    SimModel{"703", 0x68, 30 * kHz, 60 * MHz, false},      SimModel{"705", 0xA4, 30 * kHz, 470 * MHz, true, true},
    SimModel{"706", 0x48, 30 * kHz, 200 * MHz, false},     SimModel{"706MK2", 0x4E, 30 * kHz, 200 * MHz, false},
    SimModel{"706MK2G", 0x58, 30 * kHz, 470 * MHz, false}, SimModel{"718", 0x5E, 30 * kHz, 30 * MHz, false},
    SimModel{"728", 0x38, 30 * kHz, 30 * MHz, false},      SimModel{"729", 0x3A, 30 * kHz, 60 * MHz, false},
    SimModel{"735", 0x04, 100 * kHz, 30 * MHz, false},     SimModel{"737", 0x3C, 30 * kHz, 30 * MHz, false},
    SimModel{"738", 0x44, 30 * kHz, 30 * MHz, false},      SimModel{"746", 0x57, 30 * kHz, 148 * MHz, false},
    SimModel{"746PRO", 0x66, 30 * kHz, 148 * MHz, false},  SimModel{"751A", 0x1C, 100 * kHz, 30 * MHz, false},
    SimModel{"756PRO", 0x5C, 30 * kHz, 60 * MHz, false},   SimModel{"756PRO2", 0x64, 30 * kHz, 60 * MHz, false},
    SimModel{"756PRO3", 0x6E, 30 * kHz, 60 * MHz, false},  SimModel{"765", 0x2C, 100 * kHz, 30 * MHz, false},
    SimModel{"775", 0x46, 30 * kHz, 30 * MHz, false},      SimModel{"781", 0x26, 30 * kHz, 30 * MHz, false},
    SimModel{"821", 0x4C, 136 * MHz, 450 * MHz, false},    SimModel{"6100", 0x70, 30 * kHz, 60 * MHz, false},
    SimModel{"7000", 0x40, 30 * kHz, 470 * MHz, false},    SimModel{"7100", 0x88, 30 * kHz, 470 * MHz, true},
    SimModel{"7200", 0x76, 30 * kHz, 60 * MHz, false},     SimModel{"7300", 0x94, 30 * kHz, 74800 * kHz, false, true},
    SimModel{"7400", 0x66, 30 * kHz, 148 * MHz, false},    SimModel{"7410", 0x80, 30 * kHz, 60 * MHz, false},
    SimModel{"7600", 0x7A, 30 * kHz, 60 * MHz, false},     SimModel{"7610", 0x98, 30 * kHz, 60 * MHz, false, true, 3},
    SimModel{"7700", 0x74, 30 * kHz, 60 * MHz, false},     SimModel{"7800", 0x6A, 30 * kHz, 60 * MHz, false},
    SimModel{"7851", 0x8E, 30 * kHz, 60 * MHz, false, true, 3},     SimModel{"9100", 0x7C, 30 * kHz, 1320 * MHz, true},
    SimModel{"9700", 0xA2, 144 * MHz, 1300 * MHz, true, true},
};

constexpr std::array modes{
    ModeRow{civ::modeLsb, "LSB", true, 40, true},     ModeRow{civ::modeUsb, "USB", true, 40, true},
    ModeRow{civ::modeAm, "AM", true, 49, true},       ModeRow{civ::modeCw, "CW", false, 40, false},
    ModeRow{civ::modeRtty, "RTTY", false, 40, false}, ModeRow{civ::modeFm, "FM", false, -1, true},
    ModeRow{civ::modeCwR, "CW-R", false, 40, false},  ModeRow{civ::modeRttyR, "RTTY-R", false, 40, false},
    ModeRow{civ::modeDv, "DV", false, -1, false},
};

constexpr std::array levels{
    LevelRow{civ::afGain.sub, "AF gain", 128},         LevelRow{civ::rfGain.sub, "RF gain", 255},
    LevelRow{civ::squelch.sub, "squelch", 0},          LevelRow{civ::nrLevel.sub, "NR level", 85},
    LevelRow{civ::rfPower.sub, "RF power", 255},       LevelRow{civ::micGain.sub, "mic gain", 128},
    LevelRow{civ::keyerSpeed.sub, "keyer speed", 84},  LevelRow{civ::nbLevel.sub, "NB level", 128},
};

constexpr std::array functions{
    FunctionRow{civ::preamp.sub, "preamp", 2, 0},
    FunctionRow{civ::noiseBlanker.sub, "noise blanker", 1, 0},
    FunctionRow{civ::noiseReduction.sub, "noise reduction", 1, 0},
    FunctionRow{civ::autoNotch.sub, "auto notch", 1, 0},
    FunctionRow{civ::repeaterTone.sub, "repeater tone", 1, 0},
    FunctionRow{civ::toneSquelch.sub, "tone squelch", 1, 0},
    FunctionRow{civ::speechProcessor.sub, "speech processor", 1, 0},
    FunctionRow{civ::monitor.sub, "monitor", 1, 0},
    FunctionRow{civ::vox.sub, "VOX", 1, 0},
    FunctionRow{civ::breakIn.sub, "break-in", 2, 0},
    FunctionRow{civ::dialLock.sub, "dial lock", 1, 0},
    FunctionRow{civ::txBandwidth.sub, "TX bandwidth", 2, 1},
};

constexpr std::array attenuatorSteps{0, 6, 12, 18, 20};

constexpr std::array bands{
    BandRow{"160 m", 1800 * kHz, 2000 * kHz, 4.2, -100},    BandRow{"80 m", 3500 * kHz, 4000 * kHz, 2.6, -103},
    BandRow{"60 m", 5351500, 5366500, 3.4, -106},           BandRow{"40 m", 7000 * kHz, 7300 * kHz, 1.4, -103},
    BandRow{"30 m", 10100 * kHz, 10150 * kHz, 2.1, -112},   BandRow{"20 m", 14000 * kHz, 14350 * kHz, 1.6, -115},
    BandRow{"17 m", 18068 * kHz, 18168 * kHz, 2.3, -118},   BandRow{"15 m", 21000 * kHz, 21450 * kHz, 1.8, -118},
    BandRow{"12 m", 24890 * kHz, 24990 * kHz, 2.7, -121},   BandRow{"10 m", 28000 * kHz, 29700 * kHz, 1.9, -121},
    BandRow{"6 m", 50 * MHz, 54 * MHz, 2.4, -124},          BandRow{"4 m", 70 * MHz, 70500 * kHz, 3.8, -124},
    BandRow{"2 m", 144 * MHz, 148 * MHz, 1.5, -127},        BandRow{"70 cm", 430 * MHz, 450 * MHz, 1.7, -127},
    BandRow{"23 cm", 1240 * MHz, 1300 * MHz, 1.9, -127},
};

constexpr std::array ctcssTones{670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000,
                                1035, 1072, 1109, 1148, 1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567,
                                1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966,
                                1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

constexpr std::array dcsCodes{23,  25,  26,  31,  32,  36,  43,  47,  51,  53,  54,  65,  71,  72,  73,
                              74,  114, 115, 116, 122, 125, 131, 132, 134, 143, 145, 152, 155, 156, 162,
                              165, 172, 174, 205, 212, 223, 225, 226, 243, 244, 245, 246, 251, 252, 255,
                              261, 263, 265, 266, 271, 274, 306, 311, 315, 325, 331, 332, 343, 346, 351,
                              356, 364, 365, 371, 411, 412, 413, 423, 431, 432, 445, 446, 452, 454, 455,
                              462, 464, 465, 466, 503, 506, 516, 523, 526, 532, 546, 565, 606, 612, 624,
                              627, 631, 632, 654, 662, 664, 703, 712, 723, 731, 732, 734, 743, 754};

// Meter scales as ICOM documents them, joined by straight lines.
constexpr std::array<std::pair<double, double>, 6> swrScale{
    {{1.0, 0}, {1.5, 48}, {2.0, 80}, {3.0, 120}, {5.0, 190}, {10.0, 255}}};
constexpr std::array<std::pair<double, double>, 4> powerScale{{{0, 0}, {50, 143}, {100, 213}, {150, 255}}};

template <size_t N>
double interpolate(const std::array<std::pair<double, double>, N>& scale, double x) {
    if (x <= scale.front().first) return scale.front().second;
    for (size_t i = 1; i < N; ++i) {
        if (x <= scale[i].first) {
            auto [x0, y0] = scale[i - 1];
            auto [x1, y1] = scale[i];
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        }
    }
    return scale.back().second;
}

int clampReading(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); }

}  // namespace

std::span<const SimModel> modelTable() { return models; }

const SimModel* findModel(const std::string& name) {
    for (const SimModel& m : models)
        if (name == m.name) return &m;
    return nullptr;
}

std::span<const ModeRow> modeTable() { return modes; }

const ModeRow* findMode(uint8_t code) {
    for (const ModeRow& m : modes)
        if (m.code == code) return &m;
    return nullptr;
}

int filterWidthHz(uint8_t mode, int index) {
    const ModeRow* row = findMode(mode);
    if (row == nullptr || row->widthLimit < 0) return 0;
    if (row->code == civ::modeAm) return (index + 1) * 200;  // AM: 200 Hz to 10 kHz
    if (index < 10) return (index + 1) * 50;           // 50 to 500 Hz
    return 600 + (index - 10) * 100;                   // 600 to 3600 Hz
}

std::span<const LevelRow> levelTable() { return levels; }

int levelIndex(uint8_t sub) {
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i].sub == sub) return static_cast<int>(i);
    return -1;
}

std::span<const FunctionRow> functionTable() { return functions; }

int functionIndex(uint8_t sub) {
    for (size_t i = 0; i < functions.size(); ++i)
        if (functions[i].sub == sub) return static_cast<int>(i);
    return -1;
}

bool attenuatorAccepted(int db) {
    return std::find(attenuatorSteps.begin(), attenuatorSteps.end(), db) != attenuatorSteps.end();
}

std::span<const BandRow> bandTable() { return bands; }

int bandIndexFor(uint64_t hz) {
    for (size_t i = 0; i < bands.size(); ++i)
        if (hz >= bands[i].lowHz && hz <= bands[i].highHz) return static_cast<int>(i);
    return -1;
}

bool ctcssToneAccepted(int tenths) {
    return std::find(ctcssTones.begin(), ctcssTones.end(), tenths) != ctcssTones.end();
}

bool dcsCodeAccepted(int code) { return std::find(dcsCodes.begin(), dcsCodes.end(), code) != dcsCodes.end(); }

int sMeterReading(double dbm) {
    // S0 at -127 dBm, S9 (-73 dBm) at 120, S9+60 dB at 241.
    if (dbm <= -73) return clampReading((dbm + 127) * 120 / 54);
    return clampReading(120 + (dbm + 73) * 121 / 60);
}

int swrReading(double swr) { return clampReading(interpolate(swrScale, swr)); }

int powerReading(double percent) { return clampReading(interpolate(powerScale, percent)); }

}  // namespace vocrig::radiosim

namespace vocrig::radiosim {

int wakePreambleFor(int baud) {
    // The radio's processor needs about 13 ms to wake; these many bytes cover it.
    constexpr std::array<std::pair<int, int>, 6> table{
        {{4800, 7}, {9600, 13}, {19200, 25}, {38400, 50}, {57600, 75}, {115200, 150}}};
    for (auto [rate, count] : table)
        if (baud <= rate) return count;
    return table.back().second;
}

}  // namespace vocrig::radiosim
