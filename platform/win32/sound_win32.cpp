// Words through PlaySound. File names on Windows are matched without regard
// to case by the file system itself.
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "platform/win32.h"

namespace vocrig::platform::win32 {

std::string wordFile(const std::string& file) {
    std::string path = file;
    for (char& c : path)
        if (c == '/') c = '\\';
    const size_t slash = path.find_last_of('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return "";
    if (name.find('.') == std::string::npos) path += ".wav";
    return path;
}

bool Win32Sound::playSound(const char* file, bool async) {
    if (!file) return PlaySoundA(nullptr, nullptr, 0) != 0;
    const DWORD how = SND_FILENAME | SND_NODEFAULT | (async ? SND_ASYNC : SND_SYNC);
    return PlaySoundA(file, nullptr, how) != 0;
}

void Win32Sound::start(const std::string& file, bool async) {
    std::string name = file;
    if (folder != "wave" && name.size() >= 5 && (name[4] == '\\' || name[4] == '/') &&
        _strnicmp(name.c_str(), "wave", 4) == 0)
        name = folder + "\\" + name.substr(5);
    const std::string path = wordFile(name);
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Nothing to play: the word that was playing still ends here, as any
        // next play cuts it off, and the call returns at once.
        playSound(nullptr, false);
        return;
    }
    playSound(path.c_str(), async);
}

}  // namespace vocrig::platform::win32
