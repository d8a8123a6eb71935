#include <cctype>

#include "platform/serial.h"

namespace vocrig::platform {

int portNumberFromName(const std::string& name) {
    std::string s = name;
    if (s.rfind("\\\\.\\", 0) == 0) s.erase(0, 4);
    if (s.size() < 4 || s.size() > 6) return 0;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(s[i])) != "COM"[i]) return 0;
    int n = 0;
    for (size_t i = 3; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
        n = n * 10 + (s[i] - '0');
    }
    if (s[3] == '0') return 0;  // "COM05" is not a port name
    return (n >= 1 && n <= 256) ? n : 0;
}

}  // namespace vocrig::platform
