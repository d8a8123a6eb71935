#pragma once

// Window, keyboard, 20 ms timer and audio through SDL2 (library target platform_sdl).

#include <memory>
#include <string>

#include "platform/sound.h"
#include "platform/window.h"

namespace vocrig::platform::sdl {

// The panel's window. Construction starts SDL's video, event and timer parts;
// when there is no display, available() is false and error() says why, and the
// program should report it and end instead of waiting for events that never come.
class SdlWindow : public Window {
public:
    SdlWindow();
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool available() const;
    const std::string& error() const;

    bool open(const std::string& title, int left, int top, int width, int height) override;
    void close() override;
    void startTimer(int periodMs) override;
    void stopTimer() override;
    Event waitEvent() override;
    bool pollEvent(Event& event) override;
    void setFont(const Font& font) override;
    void drawText(int x, int y, const std::string& text) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl;
};

// Maps an SDL scancode (SDL_Scancode value) to a Windows virtual-key code; 0 when unmapped.
int virtualKeyFromScancode(int scancode);

// Audio: one device opened at construction and kept open; words are loaded once
// from `waveDir` (matched without regard to case). Falls back to SDL's dummy
// driver when there is no sound device, so timing stays real.
class SdlSound : public Sound {
public:
    explicit SdlSound(const std::string& waveDir = "wave");
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void play(const std::string& file) override;
    void playAsync(const std::string& file) override;

    // Name of the audio driver in use ("pulseaudio", "alsa", "dummy", ...).
    std::string driverName() const;

    // What the audio feed saw of the most recent word, for measurements.
    struct FeedStats {
        long long words = 0;            // words whose first samples reached the device so far
        double startLatencyMs = -1;     // play call to its first samples handed to the device
        long long gapSamples = -1;      // silence handed over between the previous word's end and
                                        // this word's start (0 when it followed at once or cut in)
        int sampleRate = 0;             // of the device
    };
    FeedStats feedStats() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl;
};

}  // namespace vocrig::platform::sdl
