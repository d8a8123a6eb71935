// The SDL sound service on SDL's dummy driver (the test's environment sets
// SDL_AUDIODRIVER=dummy), which consumes samples in real time. Bounds on time
// are loose: they tell a word that plays from one that does not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/sdl.h"
#include "wave_tone.h"

namespace fs = std::filesystem;
using vocrig::platform::sdl::SdlSound;
using Clock = std::chrono::steady_clock;

namespace {

using vocrig::test::writeTone;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SdlSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vocrig_sound_" + std::to_string(getpid()));
        fs::create_directories(dir);
        writeTone(dir / "beep.wav", 100);
        writeTone(dir / "ON.WAV", 100);
        writeTone(dir / "long.wav", 3000);
        writeTone(dir / "fast.wav", 100, 44100);
        std::ofstream(dir / "broken.wav") << "not a wave file";
        std::ofstream(dir / "notes.txt") << "not a word";
    }
    void TearDown() override { fs::remove_all(dir); }

    // Time a synchronous play takes, in ms.
    double timedPlay(SdlSound& sound, const std::string& name) {
        const auto start = Clock::now();
        sound.play(name);
        return msSince(start);
    }

    fs::path dir;
};

TEST_F(SdlSoundTest, PlayReturnsWhenTheWordHasBeenHeard) {
    SdlSound sound(dir.string());
    EXPECT_EQ(sound.driverName(), "dummy");
    // Names match with or without extension, in any case; another sample rate is converted.
    for (const char* name : {"wave\\on", "wave\\on.wav", "wave\\ON", "WAVE\\On.Wav", "wave\\BEEP", "wave\\fast"}) {
        EXPECT_GE(timedPlay(sound, name), 80) << name;
    }
    EXPECT_EQ(sound.feedStats().words, 6);
}

TEST_F(SdlSoundTest, MissingOrBrokenWordPlaysNothingAndReturnsAtOnce) {
    SdlSound sound(dir.string());
    for (const char* name : {"wave\\nosuchword", "wave\\ ", "wave\\", "", "wave\\notes", "wave\\notes.txt",
                             "wave\\broken"}) {
        // Far below any word's length: nothing was waited for.
        EXPECT_LT(timedPlay(sound, name), 1000) << name;
    }
    EXPECT_EQ(sound.feedStats().words, 0);
    SdlSound noFolder((dir / "absent").string());
    EXPECT_LT(timedPlay(noFolder, "wave\\beep"), 1000);
}

TEST_F(SdlSoundTest, PlayAsyncReturnsAndTheNextPlayCutsItOff) {
    SdlSound sound(dir.string());
    const auto start = Clock::now();
    sound.playAsync("wave\\long");
    EXPECT_LT(msSince(start), 1500);  // did not wait for the 3 s word
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(sound.feedStats().words, 1);  // it had started
    sound.play("wave\\beep");
    // Cut off: the pair took far less than the 3 s word alone.
    EXPECT_LT(msSince(start), 2500);
    EXPECT_EQ(sound.feedStats().words, 2);
    // A missing word cuts it off as well: only silence follows.
    sound.playAsync("wave\\long");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sound.play("wave\\nosuchword");
    const auto after = Clock::now();
    sound.play("wave\\beep");
    EXPECT_LT(msSince(after), 2000);
}

// With no usable sound driver the player falls back to the dummy one, so
// words still take their time.
TEST_F(SdlSoundTest, FallsBackToTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::optional<SdlSound> sound(std::in_place, dir.string());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(sound->driverName(), "dummy");
    EXPECT_GE(timedPlay(*sound, "wave\\beep"), 90);
}

}  // namespace
