// Word-to-sound latency (play call to the word's first samples handed to the
// device) and the gap between consecutive words (silence handed to the device
// between one word's end and the next one's start), on SDL's dummy driver
// unless SDL_AUDIODRIVER names another. Prints numbers; asserts nothing.
//
//   bench_sound [rounds]                 the measurements on generated tones
//   bench_sound --say <dir> <word>...    plays words of a word folder, timing each
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl.h"
#include "wave_tone.h"

namespace fs = std::filesystem;
using vocrig::platform::sdl::SdlSound;

namespace {

using vocrig::test::writeTone;

void report(const char* what, std::vector<double> values, const char* unit) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    std::printf("%-44s median %7.2f %s   max %7.2f %s   (n=%zu)\n", what, values[values.size() / 2], unit,
                values.back(), unit, values.size());
}

// Plays the words one after the other as the panel does, with the time each took.
int say(const std::string& dir, int count, char** words) {
    const auto start = std::chrono::steady_clock::now();
    SdlSound sound(dir);
    const auto loaded = std::chrono::steady_clock::now();
    std::printf("driver %s, words of %s loaded in %.1f ms\n", sound.driverName().c_str(), dir.c_str(),
                std::chrono::duration<double, std::milli>(loaded - start).count());
    for (int i = 0; i < count; ++i) {
        const auto before = std::chrono::steady_clock::now();
        sound.play(std::string("wave\\") + words[i]);
        const auto after = std::chrono::steady_clock::now();
        std::printf("%-10s %7.1f ms\n", words[i], std::chrono::duration<double, std::milli>(after - before).count());
    }
    std::printf("%-10s %7.1f ms\n", "all",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loaded).count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--say") {
        if (argc < 3) {
            std::fprintf(stderr, "usage: %s --say <dir> <word>...\n", argv[0]);
            return 2;
        }
        setenv("SDL_AUDIODRIVER", std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);
        return say(argv[2], argc - 3, argv + 3);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    setenv("SDL_AUDIODRIVER", std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);
    const fs::path dir = fs::temp_directory_path() / ("vocrig_bench_sound_" + std::to_string(getpid()));
    fs::create_directories(dir);
    writeTone(dir / "word.wav", 73);  // ends inside a device buffer, where a gap would show
    writeTone(dir / "other.wav", 151);

    std::vector<double> idleLatency, chainedLatency, gapMs;
    {
        SdlSound sound(dir.string());
        std::printf("driver %s, device rate %d Hz\n", sound.driverName().c_str(), sound.feedStats().sampleRate);
        for (int i = 0; i < rounds; ++i) {
            // From an idle device: the wait for the next device buffer.
            std::this_thread::sleep_for(std::chrono::milliseconds(30 + (i * 7) % 23));
            sound.play("wave\\word");
            idleLatency.push_back(sound.feedStats().startLatencyMs);
            // Right after another word, as the panel speaks a sentence.
            sound.play("wave\\other");
            const SdlSound::FeedStats stats = sound.feedStats();
            chainedLatency.push_back(stats.startLatencyMs);
            gapMs.push_back(stats.gapSamples * 1000.0 / stats.sampleRate);
        }
    }
    fs::remove_all(dir);
    report("play to first sample, idle device", idleLatency, "ms");
    report("play to first sample, after a word", chainedLatency, "ms");
    report("gap between consecutive words", gapMs, "ms");
    return 0;
}
