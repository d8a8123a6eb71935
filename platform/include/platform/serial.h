#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vocrig::platform {

// One serial port. Every operation on a port that is not open (or that failed)
// is harmless: it reads as 0 bytes waiting, returns nothing and swallows writes.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens a port by its Windows-style name: "COM5", "\\.\COM21". Numbers outside
    // 1..256 are refused. Opening is exclusive; stale input is flushed.
    virtual bool open(const std::string& name) = 0;

    // Creates a virtual null-modem pair: this object becomes one end, the other
    // end is published under the Windows-style name `farName` (ports/comN on
    // Linux) for another program to open. The published name disappears on close().
    virtual bool openVirtualPair(const std::string& farName) = 0;
    // The same for a far end that only our own programs open (the panel's end
    // of its link to the translator). Where a pair that any program can open
    // needs a driver (Windows: com0com), this one needs none: the far end is
    // then a named pipe that our port code opens by the same port name.
    virtual bool openPrivatePair(const std::string& farName) { return openVirtualPair(farName); }

    // The program on a virtual pair's far end has gone without closing it
    // (killed, crashed): what it left there is dropped, and the next program
    // may open the far end, also as an ordinary user. Nothing for other ports.
    virtual void releaseFarEnd() {}

    // Line settings: baud rate, 8 data bits, no parity, 1 or 2 stop bits, raw.
    virtual bool configure(int baud, int stopBits) = 0;

    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() = 0;
    // Reads at most maxBytes of what is already waiting; never blocks.
    virtual std::string read(int maxBytes) = 0;
    virtual void write(const std::string& bytes) = 0;
    virtual void close() = 0;
    // True when the open port has hung up, failed with an I/O error or lost its
    // device (a USB cable pulled, a radio switched off): nothing more will come
    // through it until it is closed and opened again by its name.
    virtual bool failed() { return false; }
    // Why the last open, openVirtualPair or configure failed, for a person to
    // read: "cannot open COM21 (ports/com21): Device or resource busy". Empty
    // when it did not fail or the port cannot tell.
    virtual std::string lastError() const { return {}; }

    // Descriptor a PortWaiter can watch, or -1.
    virtual int waitHandle() const { return -1; }
};

// Tells whether a Windows-style port name refers to a device that exists
// (ports/comN or the system device it maps to). Numbers outside 1..256: false.
class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    virtual bool exists(const std::string& name) = 0;
    virtual std::unique_ptr<SerialPort> makePort() = 0;
};

// Waits until one of the ports has input (or hung up and may be read again),
// or the timeout passes. Ports whose far end has hung up are not waited on, so
// a loop around this never spins on them.
class PortWaiter {
public:
    virtual ~PortWaiter() = default;
    virtual void waitForInput(const std::vector<SerialPort*>& ports, int timeoutMs) = 0;
};

// Parses "COM5", "\\.\COM21", "com7" into the port number; 0 when the name is not
// of that shape or the number is outside 1..256.
int portNumberFromName(const std::string& name);

}  // namespace vocrig::platform
