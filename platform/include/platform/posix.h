#pragma once

// The real services on Linux/POSIX; main() functions wire these.

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/serial.h"

namespace vocrig::platform::posix {

// "COMn" / "\\.\COMn" -> ports/comn when that path exists in the working
// directory, else /dev/ttyS<n-1>. "" for names that are not port names.
std::string devicePathFor(const std::string& name);
// The ports/comn path a port name publishes to ("" for non-port names).
std::string publishPathFor(const std::string& name);

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort() = default;
    ~PosixSerialPort() override { close(); }
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool open(const std::string& name) override;
    // Opens a device by file system path (for programs given a path directly).
    bool openPath(const std::string& path);
    bool openVirtualPair(const std::string& farName) override;
    // Like openVirtualPair, publishing the far end at an explicit path.
    bool openVirtualPairAt(const std::string& linkPath);
    void releaseFarEnd() override;
    bool configure(int baud, int stopBits) override;
    bool isOpen() const override { return fd >= 0; }
    int bytesWaiting() override;
    std::string read(int maxBytes) override;
    void write(const std::string& bytes) override;
    void close() override;
    bool failed() override;
    int waitHandle() const override { return fd; }
    std::string lastError() const override { return error; }

    // Path of the far end of a virtual pair ("" otherwise).
    const std::string& farEndPath() const { return farPath; }

private:
    bool openDevice(const std::string& shown, const std::string& path);
    bool makePair(const std::string& shown, const std::string& link);
    bool fail(const std::string& what, int err);  // records why, returns false

    int fd = -1;
    int heldFarFd = -1;  // keeps a virtual pair's far end alive between users
    bool broken = false;  // a read or write met a hang-up or an I/O error
    std::string linkPath;
    std::string farPath;
    std::string label;  // the port as a person knows it: "COM21 (ports/com21)"
    std::string error;
};

class PosixSerialDevices : public SerialDevices {
public:
    bool exists(const std::string& name) override;
    std::unique_ptr<SerialPort> makePort() override { return std::make_unique<PosixSerialPort>(); }
};

class PollPortWaiter : public PortWaiter {
public:
    void waitForInput(const std::vector<SerialPort*>& ports, int timeoutMs) override;
};

class StdConsole : public Console {
public:
    void print(const std::string& text) override;
    void moveWindow(int, int) override {}  // a terminal has no window of ours to move
};

class PosixProcess : public Process {
public:
    bool start(const std::string& commandLine) override;
    std::optional<ProgramEnd> ended() override;

private:
    pid_t child = -1;           // the program started last, until it is seen to end
    std::vector<pid_t> earlier; // programs started before it, reaped when they end
};

class SystemClock : public Clock {
public:
    LocalTime localTime() override;
    void sleepMs(int ms) override;
    int64_t monotonicMicros() override;
};

class DiskFiles : public Files {
public:
    bool exists(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool readLines(const std::string& path, std::vector<std::string>& lines) override;
    bool writeLines(const std::string& path, const std::vector<std::string>& lines) override;
    std::unique_ptr<FileWriter> create(const std::string& path) override;
    std::unique_ptr<FileWriter> append(const std::string& path) override;
};

// Folder of the running executable ("" when unknown).
std::string executableDir();

}  // namespace vocrig::platform::posix
