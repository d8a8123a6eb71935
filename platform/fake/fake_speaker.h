#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "manual_clock.h"
#include "platform/sound.h"

namespace vocrig::platform::fake {

// Records every word played. A synchronous play advances the manual clock by
// the word's length (so whatever listens to the clock runs "while it speaks").
// `word` is the file name with the "wave\" prefix and a ".wav" ending removed,
// lower-cased, so "wave\on.wav" and "wave\ON" both record as "on".
class FakeSpeaker : public Sound {
public:
    explicit FakeSpeaker(ManualClock& clock) : clock(clock) {}

    void play(const std::string& file) override;
    void playAsync(const std::string& file) override;

    static std::string wordOf(const std::string& file);
    // The recorded words joined with " / ", handy in expectations.
    std::string joined() const;

    std::vector<std::string> words;       // every play, in order
    std::vector<std::string> asyncWords;  // the asynchronous ones only
    std::vector<std::string> files;       // file names exactly as given
    std::map<std::string, int> lengthMs;  // per word; defaultLengthMs otherwise
    std::set<std::string> missing;        // words whose file does not exist
    int defaultLengthMs = 300;

private:
    ManualClock& clock;
};

}  // namespace vocrig::platform::fake
