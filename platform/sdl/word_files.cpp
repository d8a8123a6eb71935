#include "word_files.h"

#include <algorithm>
#include <cctype>

namespace vocrig::platform::sdl {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string wordKey(const std::string& file) {
    const size_t slash = file.find_last_of("\\/");
    std::string name = lower(slash == std::string::npos ? file : file.substr(slash + 1));
    if (name.empty()) return "";
    if (name.find('.') == std::string::npos) name += ".wav";
    return name;
}

std::string fileKey(const std::string& fileName) {
    std::string name = lower(fileName);
    return endsWith(name, ".wav") && name.size() > 4 ? name : "";
}

}  // namespace vocrig::platform::sdl
