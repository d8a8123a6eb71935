// Words through one SDL audio device that stays open. The device's callback
// feeds the word being played; a synchronous play returns when the callback
// has handed the word's last sample to the device, and the callback then waits
// a moment for the next word so that consecutive words follow without a gap.
#include <SDL2/SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sdl.h"
#include "sdl_start.h"
#include "word_files.h"

namespace vocrig::platform::sdl {

namespace {

using Clock = std::chrono::steady_clock;

// Mono 16-bit at 44.1 kHz, fed 441 samples (10 ms) at a time: small buffers
// keep the wait from a play call to its first sample short.
constexpr int deviceRate = 44100;
constexpr int deviceChannels = 1;
constexpr Uint16 deviceSamples = 441;

// How long the callback waits, after a word ends inside a buffer, for the
// program to hand it the next word.
constexpr auto nextWordGrace = std::chrono::microseconds(3000);

using Samples = std::vector<Uint8>;

struct Word {
    Samples samples;  // in the device's format
    std::chrono::microseconds length{0};
};

}  // namespace

struct SdlSound::Impl {
    bool audioStarted = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec spec{};
    std::string driver = "none";
    std::map<std::string, Word> words;  // by lower-case file name; fixed after construction

    std::mutex mutex;
    std::condition_variable changed;
    const Samples* current = nullptr;  // the word being fed, or none
    size_t position = 0;               // bytes of it already fed
    unsigned long long currentId = 0;  // every play gets the next number
    unsigned long long finishedId = 0; // the last word fed to its end
    bool currentStarted = false;
    Clock::time_point requestedAt;
    bool closing = false;
    std::thread clock;  // feeds the dummy driver's device in real time
    long long silenceSinceWord = -1;   // samples of silence fed since the last word ended
    FeedStats stats;

    ~Impl() {
        if (device) {
            {
                std::lock_guard lock(mutex);
                closing = true;
            }
            changed.notify_all();
            if (clock.joinable()) clock.join();
            SDL_CloseAudioDevice(device);
        }
        if (audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool openDevice() {
        if (startSdl(SDL_INIT_AUDIO) != 0) return false;
        audioStarted = true;
        SDL_AudioSpec wanted{};
        wanted.freq = deviceRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = deviceChannels;
        wanted.samples = deviceSamples;
        wanted.callback = [](void* self, Uint8* stream, int length) { static_cast<Impl*>(self)->feed(stream, length); };
        wanted.userdata = this;
        device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec, 0);
        if (device == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioStarted = false;
            return false;
        }
        const char* name = SDL_GetCurrentAudioDriver();
        driver = name ? name : "unknown";
        return true;
    }

    // A real sound device when there is one, else SDL's dummy driver, whose
    // device consumes samples in real time without playing them (see run()).
    void openAnyDevice() {
        if (openDevice()) return;
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        const bool opened = openDevice();
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (!opened) std::fprintf(stderr, "no audio device, not even SDL's dummy one: %s\n", SDL_GetError());
    }

    // Every word is loaded once, here: a word played later costs no file access.
    // A folder that is missing or unreadable leaves the words silent.
    void load(const std::string& folder) {
        std::error_code failure;
        try {
            for (const auto& entry : std::filesystem::directory_iterator(folder, failure)) {
                const std::string key = fileKey(entry.path().filename().string());
                if (key.empty() || words.count(key) != 0) continue;
                if (!loadWord(entry.path().string(), words[key])) {
                    std::fprintf(stderr, "cannot use the word file %s: %s\n", entry.path().c_str(), SDL_GetError());
                    words.erase(key);
                }
            }
        } catch (const std::filesystem::filesystem_error& error) {
            std::fprintf(stderr, "cannot read the word folder %s: %s\n", folder.c_str(), error.what());
        }
    }

    // Reads a wave file and converts it to the device's format.
    bool loadWord(const std::string& path, Word& word) {
        Samples& samples = word.samples;
        SDL_AudioSpec fileSpec{};
        Uint8* data = nullptr;
        Uint32 length = 0;
        if (!SDL_LoadWAV(path.c_str(), &fileSpec, &data, &length)) return false;
        const SDL_AudioSpec& target = device ? spec : fileSpec;
        SDL_AudioCVT conversion;
        const int needed = SDL_BuildAudioCVT(&conversion, fileSpec.format, fileSpec.channels, fileSpec.freq,
                                             target.format, target.channels, target.freq);
        if (needed < 0) {
            SDL_FreeWAV(data);
            return false;
        }
        const size_t fileFrame = SDL_AUDIO_BITSIZE(fileSpec.format) / 8 * fileSpec.channels;
        if (fileFrame == 0 || fileSpec.freq <= 0) {
            SDL_FreeWAV(data);
            return false;
        }
        word.length = std::chrono::microseconds(static_cast<long long>(length / fileFrame) * 1000000 / fileSpec.freq);
        samples.assign(static_cast<size_t>(length) * (needed ? conversion.len_mult : 1), 0);
        std::memcpy(samples.data(), data, length);
        SDL_FreeWAV(data);
        if (needed) {
            conversion.len = static_cast<int>(length);
            conversion.buf = samples.data();
            if (SDL_ConvertAudio(&conversion) != 0) return false;
            samples.resize(static_cast<size_t>(conversion.len_cvt));
        }
        // Whole sample frames only; the room the conversion needed is given
        // back (for the long spoken help it is tens of megabytes).
        const size_t frame = SDL_AUDIO_BITSIZE(target.format) / 8 * target.channels;
        samples.resize(samples.size() / frame * frame);
        samples.shrink_to_fit();
        return true;
    }

    // SDL's dummy driver consumes a buffer, then sleeps a little longer than
    // the buffer lasts, and so runs about a tenth slower than real time. Its
    // device is fed here instead, one buffer every buffer length on a fixed
    // schedule, so words take their real time without a sound card.
    void run() {
        if (driver != "dummy") {
            SDL_PauseAudioDevice(device, 0);
            return;
        }
        clock = std::thread([this] {
            std::vector<Uint8> buffer(spec.size ? spec.size : deviceSamples * bytesPerSample());
            const auto period = std::chrono::microseconds(1000000LL * (buffer.size() / bytesPerSample()) / spec.freq);
            Clock::time_point next = Clock::now();
            for (;;) {
                feed(buffer.data(), static_cast<int>(buffer.size()));
                // A thread stalled by a loaded machine starts a new schedule
                // rather than catching up in a burst, which would play words
                // faster than they last; small lateness is still made up.
                const auto now = Clock::now();
                next = now - next > std::chrono::milliseconds(2) ? now + period : next + period;
                std::unique_lock lock(mutex);
                if (changed.wait_until(lock, next, [this] { return closing; })) return;
            }
        });
    }

    size_t bytesPerSample() const { return SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels; }

    // The device's callback.
    void feed(Uint8* stream, int length) {
        std::unique_lock lock(mutex);
        const size_t total = static_cast<size_t>(length);
        size_t done = 0;
        bool waited = false;
        while (done < total) {
            if (current) {
                if (!currentStarted) {
                    currentStarted = true;
                    ++stats.words;
                    stats.startLatencyMs = std::chrono::duration<double, std::milli>(Clock::now() - requestedAt).count();
                    stats.gapSamples = silenceSinceWord;
                }
                const size_t part = std::min(total - done, current->size() - position);
                std::memcpy(stream + done, current->data() + position, part);
                position += part;
                done += part;
                if (position == current->size()) {
                    finishedId = currentId;
                    current = nullptr;
                    silenceSinceWord = 0;
                    changed.notify_all();
                }
            } else if (!waited && silenceSinceWord == 0 && done > 0 && !closing) {
                waited = true;
                changed.wait_for(lock, nextWordGrace, [this] { return current != nullptr || closing; });
            } else {
                std::memset(stream + done, spec.silence, total - done);
                if (silenceSinceWord >= 0) silenceSinceWord += static_cast<long long>((total - done) / bytesPerSample());
                done = total;
            }
        }
    }

    // Starts `file` (cutting off whatever plays) and returns its number, or 0
    // when there is no such word.
    unsigned long long begin(const Word* word) {
        const Samples* samples = word && !word->samples.empty() ? &word->samples : nullptr;
        std::lock_guard lock(mutex);
        if (current) silenceSinceWord = 0;  // a word cut off counts as just ended
        current = samples;
        position = 0;
        currentStarted = false;
        requestedAt = Clock::now();
        ++currentId;
        if (!samples) return 0;
        changed.notify_all();
        return currentId;
    }

    void play(const std::string& file, bool wait) {
        auto found = words.find(wordKey(file));
        const Word* word = found == words.end() ? nullptr : &found->second;
        if (!device) {
            // Without any device the word still takes its time.
            if (word && wait) std::this_thread::sleep_for(word->length);
            return;
        }
        const unsigned long long id = begin(word);
        if (id == 0 || !wait) return;
        // The wait is bounded, so a device that stops consuming cannot hang the program.
        std::unique_lock lock(mutex);
        changed.wait_for(lock, word->length * 2 + std::chrono::seconds(1),
                         [this, id] { return finishedId >= id || currentId != id; });
    }
};

SdlSound::SdlSound(const std::string& waveDir) : impl(std::make_unique<Impl>()) {
    impl->openAnyDevice();
    impl->load(waveDir);
    if (impl->device) impl->run();
}

SdlSound::~SdlSound() = default;

void SdlSound::play(const std::string& file) { impl->play(file, true); }

void SdlSound::playAsync(const std::string& file) { impl->play(file, false); }

std::string SdlSound::driverName() const { return impl->driver; }

SdlSound::FeedStats SdlSound::feedStats() const {
    std::lock_guard lock(impl->mutex);
    FeedStats stats = impl->stats;
    stats.sampleRate = impl->spec.freq;
    return stats;
}

}  // namespace vocrig::platform::sdl
