#include "fake_speaker.h"

#include <cctype>

namespace vocrig::platform::fake {

std::string FakeSpeaker::wordOf(const std::string& file) {
    std::string w = file;
    size_t slash = w.find_last_of("\\/");
    if (slash != std::string::npos) w.erase(0, slash + 1);
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w.size() > 4 && w.compare(w.size() - 4, 4, ".wav") == 0) w.resize(w.size() - 4);
    return w;
}

void FakeSpeaker::play(const std::string& file) {
    std::string w = wordOf(file);
    files.push_back(file);
    if (missing.count(w)) return;  // silent and costs no time
    words.push_back(w);
    auto it = lengthMs.find(w);
    int ms = it != lengthMs.end() ? it->second : defaultLengthMs;
    clock.advance(static_cast<int64_t>(ms) * 1000);
}

void FakeSpeaker::playAsync(const std::string& file) {
    std::string w = wordOf(file);
    files.push_back(file);
    if (missing.count(w)) return;
    words.push_back(w);
    asyncWords.push_back(w);
}

std::string FakeSpeaker::joined() const {
    std::string out;
    for (const auto& w : words) {
        if (!out.empty()) out += " / ";
        out += w;
    }
    return out;
}

}  // namespace vocrig::platform::fake
