#include "platform/stdio_writer.h"

namespace vocrig::platform {

namespace {

class StdioWriter : public FileWriter {
public:
    explicit StdioWriter(FILE* f) : file(f) {}
    ~StdioWriter() override { close(); }
    bool write(const std::string& bytes) override {
        if (!file) return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        std::fflush(file);
        return ok;
    }
    void close() override {
        if (file) std::fclose(file);
        file = nullptr;
    }

private:
    FILE* file;
};

}  // namespace

std::unique_ptr<FileWriter> stdioWriter(FILE* file) {
    if (!file) return nullptr;
    return std::make_unique<StdioWriter>(file);
}

}  // namespace vocrig::platform
