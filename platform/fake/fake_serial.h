#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/serial.h"

namespace vocrig::platform::fake {

// One end of an in-memory serial cable. Bytes written on one end are waiting on
// the joined end, in order. Settings given are kept for tests to check.
class FakeSerialEnd : public SerialPort {
public:
    bool open(const std::string& name) override;
    bool openVirtualPair(const std::string& farName) override;
    bool configure(int baud, int stopBits) override;
    bool isOpen() const override { return opened; }
    int bytesWaiting() override;
    std::string read(int maxBytes) override;
    void write(const std::string& bytes) override;
    void close() override { opened = false; }
    void releaseFarEnd() override { ++farEndReleases; }
    bool failed() override { return opened && hungUp; }
    std::string lastError() const override { return error; }

    // Test controls.
    void inject(const std::string& bytes) { inbox += bytes; }  // as if the far end wrote them
    std::string takeWritten();  // everything written since the last call
    void join(FakeSerialEnd& other) { peer = &other; other.peer = this; }
    void unjoin();

    bool failOpen = false;
    bool hungUp = false;     // the device went away; cleared by the next open
    int openAttempts = 0;
    bool opened = false;
    std::string openedName;
    std::string error;       // why the last open failed
    std::string publishedName;
    int baud = 0;
    int stopBits = 0;
    std::string inbox;       // bytes waiting to be read
    std::string written;     // everything written (also delivered to the peer)
    int writeCount = 0;
    int farEndReleases = 0;
    FakeSerialEnd* peer = nullptr;
};

// Two joined ends, for wiring two programs together in one test.
struct FakeSerialPair {
    FakeSerialPair() { a.join(b); }
    FakeSerialEnd a;
    FakeSerialEnd b;
};

// Devices that "exist" are the names listed; makePort hands out fresh ends.
class FakeSerialDevices : public SerialDevices {
public:
    bool exists(const std::string& name) override;
    std::unique_ptr<SerialPort> makePort() override { return std::make_unique<FakeSerialEnd>(); }
    std::set<int> present;  // port numbers that exist
};

// Never blocks; counts the waits so a test can see the loop asked to wait.
class FakePortWaiter : public PortWaiter {
public:
    void waitForInput(const std::vector<SerialPort*>&, int) override { ++waits; }
    int waits = 0;
};

}  // namespace vocrig::platform::fake
