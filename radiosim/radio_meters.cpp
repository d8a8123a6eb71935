// The meters of the simulated radio and the randomness behind them. Every
// reading is a function of the seed, the frequency and the clock, so a test on
// the manual clock sees the same signal every run.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "radio_sim.h"

namespace vocrig::radiosim {

namespace {

uint64_t mix(uint64_t x) {  // splitmix64 finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double unit(uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)

double powerSum(double aDbm, double bDbm) {
    return 10 * std::log10(std::pow(10.0, aDbm / 10) + std::pow(10.0, bDbm / 10));
}

constexpr uint64_t noiseKey = 0x6E6F697365ull;
constexpr uint64_t speechKey = 0x737065656368ull;

}  // namespace

double RadioSim::random() {
    randomState = mix(randomState);
    return unit(randomState);
}

uint64_t RadioSim::hash(uint64_t a, uint64_t b, uint64_t c) const { return mix(mix(mix(options.seed ^ a) ^ b) ^ c); }

double RadioSim::smoothNoise(uint64_t key, int64_t periodMicros) const {
    int64_t t = now - startMicros;
    int64_t cell = t / periodMicros;
    double f = static_cast<double>(t % periodMicros) / static_cast<double>(periodMicros);
    double a = unit(hash(key, static_cast<uint64_t>(cell), 1));
    double b = unit(hash(key, static_cast<uint64_t>(cell + 1), 1));
    double s = f * f * (3 - 2 * f);
    return a + (b - a) * s;
}

// What arrives at the antenna on a frequency: band noise, and on about half
// of the kilohertz channels in a band a station that drifts and fades.
double RadioSim::signalDbm(uint64_t hz) const {
    int band = bandIndexFor(hz);
    double noise = band >= 0 ? bandTable()[static_cast<size_t>(band)].noiseDbm : -110.0;
    noise += 4 * (smoothNoise(noiseKey, 300'000) - 0.5);
    uint64_t channel = hz / 1000;
    uint64_t h = hash(channel, 0x5354, 0);
    bool station = static_cast<int>(h % 100) < (band >= 0 ? 50 : 25);
    if (!station) return noise;
    double strength = noise + 6 + static_cast<double>((h >> 8) % 48);
    double periodSeconds = 4 + static_cast<double>((h >> 16) % 9);
    double depth = 3 + static_cast<double>((h >> 24) % 18);
    double phase = unit(mix(h)) * 2 * std::numbers::pi;
    double t = static_cast<double>(now - startMicros) / 1e6;
    double fade = depth * 0.5 * (1 + std::sin(2 * std::numbers::pi * t / periodSeconds + phase));
    double drift = 6 * (smoothNoise(channel, 1'500'000) - 0.5);
    double flutter = 2 * (smoothNoise(channel ^ 0xF1, 200'000) - 0.5);
    return powerSum(strength - fade + drift + flutter, noise);
}

int RadioSim::sMeter() const {
    if (!radio.poweredOn || radio.transmitting) return 0;
    static constexpr double preampGain[] = {0, 10, 16};
    double dbm = signalDbm(radio.operating().frequency);
    dbm += preampGain[std::clamp(radio.function(civ::preamp.sub), 0, 2)] - radio.attenuator;
    int reading = sMeterReading(dbm);
    // Turning the RF gain down lifts the needle, as on the real radios.
    int floor = (255 - radio.level(civ::rfGain.sub)) * 120 / 255;
    return std::max(reading, floor);
}

double RadioSim::currentSwr() const {
    int band = bandIndexFor(radio.transmitFrequency());
    if (band < 0) return 0;
    const BandRow& row = bandTable()[static_cast<size_t>(band)];
    double matchedSwr = 1.05 + 0.15 * unit(hash(static_cast<uint64_t>(band), 0x4D41, 0));
    if (radio.tuner == Tuner::tuning && tuneDoneAt > tuneStartedAt) {
        // The tuner hunts: the SWR wanders and settles on the match (or does not).
        double p = std::clamp(static_cast<double>(now - tuneStartedAt) / static_cast<double>(tuneDoneAt - tuneStartedAt),
                              0.0, 1.0);
        double target = row.antennaSwr <= tunerRange ? matchedSwr : row.antennaSwr;
        double hunt = (1 - p) * 1.5 * smoothNoise(0x48554E54, 250'000);
        return row.antennaSwr + (target - row.antennaSwr) * p + hunt;
    }
    if (radio.tuner == Tuner::on && radio.matched[static_cast<size_t>(band)]) return matchedSwr;
    return row.antennaSwr;
}

int RadioSim::swrMeter() const {
    if (!radio.poweredOn || !radio.transmitting) return 0;
    return swrReading(currentSwr());
}

int RadioSim::alcMeter() const {
    if (!radio.poweredOn || !radio.transmitting || radio.tuner == Tuner::tuning) return 0;
    const ModeRow* mode = findMode(radio.operating().mode);
    if (mode == nullptr || !mode->voice) return 0;
    // The operator speaks: syllables come and go, and more microphone gain
    // (or the speech processor) drives the ALC harder.
    double drive = (radio.level(civ::micGain.sub) - 60) * 0.75 + (radio.function(civ::speechProcessor.sub) ? 25 : 0);
    double syllable = 0.6 + 0.4 * smoothNoise(speechKey, 150'000);
    return std::clamp(static_cast<int>(std::lround(drive * syllable)), 0, 255);
}

int RadioSim::powerMeter() const {
    if (!radio.poweredOn || !radio.transmitting) return 0;
    return powerReading(radio.level(civ::rfPower.sub) * 100.0 / 255);
}

}  // namespace vocrig::radiosim
