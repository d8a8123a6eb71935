#include "fake_serial.h"

#include <algorithm>

namespace vocrig::platform::fake {

bool FakeSerialEnd::open(const std::string& name) {
    ++openAttempts;
    if (failOpen || portNumberFromName(name) == 0) {
        error = "cannot open " + name + (failOpen ? ": Device or resource busy" : ": Invalid argument");
        return false;
    }
    error.clear();
    opened = true;
    hungUp = false;
    openedName = name;
    inbox.clear();  // stale input is flushed on open, as on a real port
    return true;
}

bool FakeSerialEnd::openVirtualPair(const std::string& farName) {
    if (failOpen) return false;
    opened = true;
    publishedName = farName;
    return true;
}

bool FakeSerialEnd::configure(int newBaud, int newStopBits) {
    if (!opened) return false;
    baud = newBaud;
    stopBits = newStopBits;
    return true;
}

int FakeSerialEnd::bytesWaiting() { return opened && !hungUp ? static_cast<int>(inbox.size()) : 0; }

std::string FakeSerialEnd::read(int maxBytes) {
    if (!opened || maxBytes <= 0) return {};
    size_t n = std::min(inbox.size(), static_cast<size_t>(maxBytes));
    std::string out = inbox.substr(0, n);
    inbox.erase(0, n);
    return out;
}

void FakeSerialEnd::write(const std::string& bytes) {
    if (!opened || hungUp) return;
    ++writeCount;
    written += bytes;
    if (peer) peer->inbox += bytes;
}

std::string FakeSerialEnd::takeWritten() {
    std::string out;
    out.swap(written);
    return out;
}

void FakeSerialEnd::unjoin() {
    if (peer) peer->peer = nullptr;
    peer = nullptr;
}

bool FakeSerialDevices::exists(const std::string& name) {
    int n = portNumberFromName(name);
    return n != 0 && present.count(n) != 0;
}

}  // namespace vocrig::platform::fake
