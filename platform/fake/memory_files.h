#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/files.h"

namespace vocrig::platform::fake {

// Files kept in memory, by path, as raw bytes.
class MemoryFiles : public Files {
public:
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool remove(const std::string& path) override { return files.erase(path) != 0; }
    bool rename(const std::string& from, const std::string& to) override;
    bool readLines(const std::string& path, std::vector<std::string>& lines) override;
    bool writeLines(const std::string& path, const std::vector<std::string>& lines) override;
    std::unique_ptr<FileWriter> create(const std::string& path) override;
    std::unique_ptr<FileWriter> append(const std::string& path) override;

    std::map<std::string, std::string> files;
    bool failWrites = false;  // every write fails, as on a full or read-only disk
    std::set<std::string> unreadable;  // files that exist but cannot be opened for reading
};

}  // namespace vocrig::platform::fake
