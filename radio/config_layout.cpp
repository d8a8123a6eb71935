// The vocrig.cfg layout table.
#include "config_layout.h"

namespace vocrig::config {

namespace {

constexpr size_t lockLineNumber = static_cast<size_t>(Value::lock) + 1;

}  // namespace

std::string trimmedEnd(std::string line) {
    size_t end = line.find_last_not_of(" \t");
    line.erase(end == std::string::npos ? 0 : end + 1);
    return line;
}

std::string slice(const std::string& line, size_t column, size_t count) {
    if (column == 0 || column > line.size()) return {};
    return line.substr(column - 1, count == 0 ? std::string::npos : count);
}

File::File(std::vector<std::string> lines) : all(std::move(lines)) {
    for (std::string& l : all) l = trimmedEnd(std::move(l));
    // Both programs know the lock line by its first four characters.
    lock = all.size() >= lockLineNumber && all[lockLineNumber - 1].compare(0, 4, "lock") == 0;
}

size_t File::number(Value value) const {
    size_t n = static_cast<size_t>(value) + 1;
    if (value > Value::lock) return lock ? n : n - 1;
    return n;
}

bool File::has(Value value) const {
    if (value == Value::lock && !lock) return false;
    return number(value) <= all.size();
}

std::string File::text(Value value) const { return has(value) ? all[number(value) - 1] : std::string(); }

}  // namespace vocrig::config
