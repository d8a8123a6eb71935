#pragma once

#include <string>

namespace vocrig::platform {

// Plays recorded words. `file` is the name as the panel builds it, for example
// "wave\voc" or "wave\on.wav": the "wave\" prefix means the wave/ folder of the
// working directory, a name without extension gets ".wav", and names are matched
// without regard to case. A missing file plays nothing and returns at once.
class Sound {
public:
    virtual ~Sound() = default;
    // Returns when the word has been heard.
    virtual void play(const std::string& file) = 0;
    // Starts the word and returns; the next play (of either kind) cuts it off.
    virtual void playAsync(const std::string& file) = 0;
};

}  // namespace vocrig::platform
