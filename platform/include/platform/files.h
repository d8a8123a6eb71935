#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vocrig::platform {

// A file opened for writing; bytes are written as given.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual bool write(const std::string& bytes) = 0;
    virtual void close() = 0;
};

// Files in the working directory. Lines read accept CR LF or LF and are cut at
// 255 characters (the rest of a longer line is skipped); lines written end in CR LF.
class Files {
public:
    static constexpr size_t maxLineLength = 255;

    virtual ~Files() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Gives a file a new name (replacing a file of that name), its bytes untouched.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // False when the file cannot be opened; `lines` then stays empty.
    virtual bool readLines(const std::string& path, std::vector<std::string>& lines) = 0;
    // Writes the lines, each ended with CR LF, to a temporary file and renames it
    // over `path`, so a reader finds either the old file or the whole new one.
    virtual bool writeLines(const std::string& path, const std::vector<std::string>& lines) = 0;
    // Creates (truncates) a file for writing; null when it cannot be created.
    virtual std::unique_ptr<FileWriter> create(const std::string& path) = 0;
    // Opens a file for writing at its end, creating it when missing; null when it cannot.
    virtual std::unique_ptr<FileWriter> append(const std::string& path) = 0;
};

}  // namespace vocrig::platform
