#include "memory_files.h"

#include "platform/line_reader.h"

namespace vocrig::platform::fake {

bool MemoryFiles::readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return false;
    lines = splitLines(it->second);
    return true;
}

bool MemoryFiles::rename(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (failWrites || it == files.end()) return false;
    std::string bytes = std::move(it->second);
    files.erase(it);
    files[to] = std::move(bytes);
    return true;
}

bool MemoryFiles::writeLines(const std::string& path, const std::vector<std::string>& lines) {
    if (failWrites) return false;
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    files[path] = text;
    return true;
}

namespace {
class MemoryWriter : public FileWriter {
public:
    MemoryWriter(MemoryFiles& owner, std::string path) : owner(owner), path(std::move(path)) {}
    bool write(const std::string& bytes) override {
        if (closed || owner.failWrites) return false;
        owner.files[path] += bytes;
        return true;
    }
    void close() override { closed = true; }

private:
    MemoryFiles& owner;
    std::string path;
    bool closed = false;
};
}  // namespace

std::unique_ptr<FileWriter> MemoryFiles::create(const std::string& path) {
    if (failWrites) return nullptr;
    files[path].clear();
    return std::make_unique<MemoryWriter>(*this, path);
}

std::unique_ptr<FileWriter> MemoryFiles::append(const std::string& path) {
    if (failWrites) return nullptr;
    files[path];
    return std::make_unique<MemoryWriter>(*this, path);
}

}  // namespace vocrig::platform::fake
