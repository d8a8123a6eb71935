#pragma once

// The real services on Windows, through the Win32 calls. Handles are kept as
// void* so that this header does not drag <windows.h> (and its macros) into
// the programs.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/serial.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace vocrig::platform::win32 {

// "COM5", "com5", "\\.\COM21" -> "\\.\COM5", "\\.\COM21" (the device form that
// also reaches ports above 9); "" for names that are not port names.
std::string devicePathFor(const std::string& name);

class PipeEnd;

class Win32SerialPort : public SerialPort {
public:
    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    // A name whose pair a translator in this working folder made with
    // openPrivatePair opens that pipe's far end; any other opens the device.
    bool open(const std::string& name) override;
    // Opens a device by the path CreateFile takes ("\\.\COM5", "\\.\CNCA0").
    bool openPath(const std::string& path);
    // Windows has no pair of its own that any program can open: a null-modem
    // driver (com0com) provides such pairs, and this always fails.
    bool openVirtualPair(const std::string& farName) override;
    // A named pipe, \\.\pipe\vocrig-<working folder>-COM<n>, that open(farName)
    // in the same working folder reaches. One user at a time; when it hangs
    // up, the pipe waits for the next.
    bool openPrivatePair(const std::string& farName) override;
    bool openVirtualPairAt(const std::string&) { return false; }
    bool configure(int baud, int stopBits) override;
    bool isOpen() const override { return handle != nullptr || pipe != nullptr; }
    int bytesWaiting() override;
    std::string read(int maxBytes) override;
    void write(const std::string& bytes) override;
    void close() override;
    // A port whose device went away (a USB cable pulled) fails ClearCommError;
    // a pipe's far end fails when the translator that made the pipe has ended.
    bool failed() override;
    std::string lastError() const override { return error; }

    // Line settings as the driver holds them, for checks (a pipe: as configured).
    struct LineSettings {
        unsigned long baud = 0;
        int dataBits = 0, stopBits = 0;
        bool parity = false, binary = false, flowControl = false;
        unsigned long readIntervalTimeout = 0, readTotalConstant = 0, readTotalMultiplier = 0;
    };
    bool lineSettings(LineSettings& out);
    const std::string& farEndPath() const { return noFarEnd; }

    // For the waiter: starts an overlapped wait for received bytes unless one
    // is running. Returns the event to wait on, null when none can be had, and
    // sets `ready` when bytes are already there.
    void* armInputWait(bool& ready);
    // Ends the running wait (after its event fired); true when it saw input.
    bool finishInputWait();
    // Whether the port's wait ends when bytes arrive. Not every driver says
    // so (Wine's ports on pseudo-terminals never do); such a port's count of
    // waiting bytes is looked at every few milliseconds instead. Learnt from
    // the port itself: unknown until its wait has ended for bytes (it signals)
    // or bytes have come without it (it is silent).
    enum class Signals { unknown, yes, no };
    Signals inputSignals() const { return signals; }
    // A look found bytes waiting: a port whose wait is still running missed them.
    void bytesFoundByLook();

private:
    bool openDevice(std::string shown, const std::string& path);
    bool fail(const std::string& what);
    void* handle = nullptr;     // the port, opened for overlapped I/O
    void* ownerLock = nullptr;  // named mutex that makes the open exclusive among our programs
    void* readEvent = nullptr;
    void* writeEvent = nullptr;
    void* waitEvent = nullptr;
    void* waitState = nullptr;  // OVERLAPPED and event mask of the running WaitCommEvent
    bool waiting = false;
    bool broken = false;        // the device went away; cleared by the next open
    Signals signals = Signals::unknown;
    int missed = 0;             // arrivals a look found before the wait did
    std::unique_ptr<PipeEnd> pipe;  // set while this port is an end of a named pipe
    int pipeBaud = 0, pipeStopBits = 0;
    std::string label;          // the port as a person knows it
    std::string error;
    std::string noFarEnd;
};

class Win32SerialDevices : public SerialDevices {
public:
    bool exists(const std::string& name) override;
    std::unique_ptr<SerialPort> makePort() override { return std::make_unique<Win32SerialPort>(); }
};

// Waits on the ports' events (WaitCommEvent, or a pipe's pending read); the
// waiting-byte counts of ports that do not signal arriving bytes (or have not
// shown yet that they do) are looked at every few milliseconds as well. With
// nothing to wait on it sleeps the timeout. A port whose wait ends at once
// with nothing to read (a device gone away) is left out of the wait, so the
// caller never spins on it.
class Win32PortWaiter : public PortWaiter {
public:
    void waitForInput(const std::vector<SerialPort*>& ports, int timeoutMs) override;
};

class Win32Console : public Console {
public:
    void print(const std::string& text) override;
    // Finds the console window by its title (FindWindow) and moves it.
    void moveWindow(int x, int y) override;
};

class Win32Process : public Process {
public:
    Win32Process() = default;
    ~Win32Process() override;
    Win32Process(const Win32Process&) = delete;
    Win32Process& operator=(const Win32Process&) = delete;
    bool start(const std::string& commandLine) override;
    std::optional<ProgramEnd> ended() override;

private:
    void* child = nullptr;  // process handle of the program started last, until it is seen to end
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
    bool readLines(const std::string& path, std::vector<std::string>& lines) override;
    bool writeLines(const std::string& path, const std::vector<std::string>& lines) override;
    std::unique_ptr<FileWriter> create(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    std::unique_ptr<FileWriter> append(const std::string& path) override;
};

// Folder of the running executable ("" when unknown).
std::string executableDir();

// Ctrl-C, Ctrl-Break, closing the console, log-off and shut-down end a polling
// program in order. The console's handler runs on a thread of its own and can
// only leave a mark; the loop looks at it between turns. One at a time.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    bool requested();
    int received() const { return event; }
    // What ended the run, for the last console line.
    std::string name() const;

private:
    int event = 0;
};

// A Win32 key message as the panel's event: the virtual-key code (numeric
// keypad keys give 96-105 and 110 whatever NumLock) and the repeat mark.
struct KeyMessage {
    int key = 0;
    bool repeat = false;
};
KeyMessage keyFromMessage(uintptr_t wParam, intptr_t lParam);

// The panel's window: CreateWindowEx (fixed size, no maximise box), key
// messages, WM_TIMER, WM_CLOSE, and TextOut on a kept canvas.
class Win32Window : public Window {
public:
    Win32Window();
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool available() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    bool open(const std::string& title, int left, int top, int width, int height) override;
    void close() override;
    void startTimer(int periodMs) override;
    void stopTimer() override;
    Event waitEvent() override;
    bool pollEvent(Event& event) override;
    void setFont(const Font& font) override;
    void drawText(int x, int y, const std::string& text) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl;
    std::string error_;
};

// The file PlaySound is given for a word name: "wave\voc" -> "wave\voc.wav",
// "wave\on.wav" unchanged, "/" taken as "\"; "" for an empty name.
std::string wordFile(const std::string& file);

// Words through PlaySound (SND_FILENAME | SND_NODEFAULT). A missing file plays
// nothing, stops what was playing and returns at once.
class Win32Sound : public Sound {
public:
    // The panel names its words "wave\\<word>"; they are looked up in `waveDir`.
    explicit Win32Sound(std::string waveDir = "wave") : folder(std::move(waveDir)) {}
    void play(const std::string& file) override { start(file, false); }
    void playAsync(const std::string& file) override { start(file, true); }

protected:
    // The one PlaySound call (`file` null stops); tests replace it.
    virtual bool playSound(const char* file, bool async);

private:
    void start(const std::string& file, bool async);
    std::string folder;
};

}  // namespace vocrig::platform::win32
