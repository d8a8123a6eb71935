#include "platform/line_reader.h"

#include "platform/files.h"

namespace vocrig::platform {

std::vector<std::string> splitLines(const std::string& contents) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < contents.size()) {
        size_t end = contents.find('\n', pos);
        size_t next = end == std::string::npos ? contents.size() : end + 1;
        if (end == std::string::npos) end = contents.size();
        size_t len = end - pos;
        if (len > 0 && contents[end - 1] == '\r') --len;
        if (len > Files::maxLineLength) len = Files::maxLineLength;
        lines.push_back(contents.substr(pos, len));
        pos = next;
    }
    return lines;
}

}  // namespace vocrig::platform
