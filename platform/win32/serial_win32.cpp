// Serial ports through CreateFile, DCB settings, comm time-outs and overlapped
// I/O, and the waiter that sleeps on WaitCommEvent instead of polling.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "pipe_end.h"
#include "platform/win32.h"

namespace vocrig::platform::win32 {

namespace {

constexpr DWORD queueBytes = 1024;
constexpr DWORD writeTimeoutMs = 200;  // never hang on a port nobody drains
constexpr DWORD readWaitMs = 100;      // bytes counted as waiting are read well within this
constexpr DWORD inputLookMs = 5;     // for ports that do not signal arriving bytes
constexpr DWORD safetyLookMs = 20;   // for those that do
constexpr int missesToSilent = 3;  // arrivals a running wait missed before a port counts as silent

struct InputWait {
    OVERLAPPED overlapped{};
    DWORD mask = 0;
};

// The name of the lock that makes a port ours alone: Windows refuses a second
// open of a port by itself, but not every driver does (Wine's mapped ports,
// some virtual-port drivers), so our programs also hold a named mutex.
std::string lockName(const std::string& path) {
    std::string name = "Local\\vocrig-port-";
    for (char c : path)
        if (c != '\\') name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// "\\.\COM21" is shown as "COM21".
std::string shownName(const std::string& name) {
    return name.compare(0, 4, "\\\\.\\") == 0 ? name.substr(4) : name;
}

bool knownBaud(int baud) {
    switch (baud) {
        case 300: case 600: case 1200: case 2400: case 4800: case 9600: case 19200:
        case 38400: case 57600: case 115200: case 230400: return true;
        default: return false;
    }
}

}  // namespace

std::string systemMessage(DWORD code) {
    char text[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' || text[n - 1] == '.')) --n;
    if (n == 0) return "error " + std::to_string(code);
    return std::string(text, n);
}

Win32SerialPort::Win32SerialPort() = default;
Win32SerialPort::~Win32SerialPort() { close(); }

std::string devicePathFor(const std::string& name) {
    int n = portNumberFromName(name);
    return n == 0 ? std::string() : "\\\\.\\COM" + std::to_string(n);
}

bool Win32SerialPort::fail(const std::string& what) {
    const std::string shown = label;
    close();
    label = shown;
    error = what;
    return false;
}

bool Win32SerialPort::open(const std::string& name) {
    close();
    label = shownName(name);
    const int n = portNumberFromName(name);
    if (n == 0) return fail("cannot open " + label + ": not a port name (COM1 to COM256)");
    // A pair our translator made in this folder comes first, as ports/comN
    // does on Linux; else the device itself.
    auto end = std::make_unique<PipeEnd>();
    std::string why;
    const std::string pipePath = pipePathFor(n);
    switch (end->connect(pipePath, why)) {
        case PipeEnd::Connect::done:
            pipe = std::move(end);
            signals = Signals::yes;
            error.clear();
            return true;
        case PipeEnd::Connect::refused: return fail("cannot open " + label + " (" + pipePath + "): " + why);
        case PipeEnd::Connect::absent: break;
    }
    return openDevice(label, devicePathFor(name));
}

bool Win32SerialPort::openVirtualPair(const std::string& farName) {
    close();
    label = shownName(farName);
    return fail("cannot make " + label + " for another program: that needs a null-modem pair from a driver "
                "such as com0com, joining " + label + " to the port before it");
}

bool Win32SerialPort::openPrivatePair(const std::string& farName) {
    close();
    label = shownName(farName);
    const int n = portNumberFromName(farName);
    if (n == 0) return fail("cannot publish " + label + ": not a port name (COM1 to COM256)");
    auto end = std::make_unique<PipeEnd>();
    std::string why;
    const std::string path = pipePathFor(n);
    if (!end->listen(path, why)) return fail("cannot publish " + label + " (" + path + "): " + why);
    pipe = std::move(end);
    signals = Signals::yes;  // a pipe's read-ahead always ends when bytes come
    error.clear();
    return true;
}

bool Win32SerialPort::openPath(const std::string& path) { return openDevice(path, path); }

bool Win32SerialPort::openDevice(std::string shown, const std::string& path) {
    close();
    label = std::move(shown);
    ownerLock = CreateMutexA(nullptr, TRUE, lockName(path).c_str());
    if (ownerLock == nullptr) return fail("cannot open " + label + ": " + systemMessage(GetLastError()));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return fail("cannot open " + label + ": in use by another of our programs");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail("cannot open " + label + ": " + systemMessage(GetLastError()));
    handle = h;
    // Reads return at once with what is there; writes give up after a while.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = writeTimeoutMs;
    readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    waitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    waitState = new InputWait;
    if (!readEvent || !writeEvent || !waitEvent || !SetupComm(h, queueBytes, queueBytes) ||
        !SetCommTimeouts(h, &timeouts) || !SetCommMask(h, EV_RXCHAR))
        return fail("cannot set up " + label + ": " + systemMessage(GetLastError()));
    // Whatever was left from an earlier user is stale.
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    error.clear();
    return true;
}

bool Win32SerialPort::configure(int baud, int stopBits) {
    if (!isOpen()) return false;
    if (!knownBaud(baud)) {
        error = "cannot set " + std::to_string(baud) + " baud on " + label;
        return false;
    }
    if (pipe) {
        // A pipe has no line: the settings are kept only to be read back.
        pipeBaud = baud;
        pipeStopBits = stopBits == 2 ? 2 : 1;
        return true;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    // Raw bytes: no software flow control, no replaced or dropped bytes.
    dcb.fOutX = dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    // Interface cables take their power from DTR and RTS; keep both raised.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
    return SetCommState(handle, &dcb) != 0;
}

bool Win32SerialPort::lineSettings(LineSettings& out) {
    if (pipe) {
        out = LineSettings{};
        out.baud = static_cast<unsigned long>(pipeBaud);
        out.dataBits = 8;
        out.stopBits = pipeStopBits;
        out.binary = true;
        out.readIntervalTimeout = MAXDWORD;  // reads return at once with what is held
        return pipeBaud != 0;
    }
    if (!handle) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS t{};
    if (!GetCommState(handle, &dcb) || !GetCommTimeouts(handle, &t)) return false;
    out.baud = dcb.BaudRate;
    out.dataBits = dcb.ByteSize;
    out.stopBits = dcb.StopBits == TWOSTOPBITS ? 2 : dcb.StopBits == ONESTOPBIT ? 1 : 0;
    out.parity = dcb.Parity != NOPARITY;
    out.binary = dcb.fBinary;
    out.flowControl = dcb.fOutX || dcb.fInX || dcb.fOutxDsrFlow;
    out.readIntervalTimeout = t.ReadIntervalTimeout;
    out.readTotalConstant = t.ReadTotalTimeoutConstant;
    out.readTotalMultiplier = t.ReadTotalTimeoutMultiplier;
    return true;
}

bool Win32SerialPort::failed() { return pipe ? pipe->failed() : broken; }

int Win32SerialPort::bytesWaiting() {
    if (pipe) return pipe->waiting();
    if (!handle) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle, &errors, &status)) {
        broken = true;
        return 0;
    }
    return static_cast<int>(status.cbInQue);
}

std::string Win32SerialPort::read(int maxBytes) {
    if (pipe) return pipe->take(maxBytes);
    if (!handle || maxBytes <= 0) return {};
    // Only what is already there is asked for, so the read never has to wait
    // (some drivers leave an overlapped read of an empty queue pending).
    const int waiting = bytesWaiting();
    if (waiting <= 0) return {};
    std::string out(static_cast<size_t>(std::min(maxBytes, waiting)), '\0');
    OVERLAPPED ov{};
    ov.hEvent = readEvent;
    ResetEvent(readEvent);
    DWORD got = 0;
    if (!ReadFile(handle, out.data(), static_cast<DWORD>(out.size()), &got, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) return {};
        if (WaitForSingleObject(readEvent, readWaitMs) != WAIT_OBJECT_0) CancelIo(handle);
        if (!GetOverlappedResult(handle, &ov, &got, TRUE)) return {};
    }
    out.resize(got);
    return out;
}

void Win32SerialPort::write(const std::string& bytes) {
    if (pipe) return pipe->write(bytes);
    if (!handle || bytes.empty()) return;
    OVERLAPPED ov{};
    ov.hEvent = writeEvent;
    ResetEvent(writeEvent);
    DWORD done = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, &ov) &&
        GetLastError() == ERROR_IO_PENDING) {
        // The write time-out ends it; the bound here covers drivers that ignore it.
        if (WaitForSingleObject(writeEvent, writeTimeoutMs * 5) != WAIT_OBJECT_0) CancelIo(handle);
        GetOverlappedResult(handle, &ov, &done, TRUE);
    }
}

void* Win32SerialPort::armInputWait(bool& ready) {
    ready = false;
    if (pipe) return pipe->arm(ready);
    if (!handle) return nullptr;
    if (bytesWaiting() > 0) {
        ready = true;
        return waitEvent;
    }
    if (waiting) return waitEvent;
    if (signals == Signals::no) return nullptr;  // looked at instead
    auto* state = static_cast<InputWait*>(waitState);
    state->overlapped = OVERLAPPED{};
    state->overlapped.hEvent = waitEvent;
    state->mask = 0;
    ResetEvent(waitEvent);
    if (WaitCommEvent(handle, &state->mask, &state->overlapped)) {
        // Ended at once: input arrived just now, the device is gone, or the
        // driver cannot wait for arriving bytes at all.
        ready = bytesWaiting() > 0;
        if (!ready && !broken && signals == Signals::unknown && ++missed >= missesToSilent) signals = Signals::no;
        return ready ? waitEvent : nullptr;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        if (signals == Signals::unknown) signals = Signals::no;
        return nullptr;
    }
    waiting = true;
    return waitEvent;
}

bool Win32SerialPort::finishInputWait() {
    if (pipe) return pipe->finish();
    if (!waiting) return false;
    waiting = false;
    DWORD unused = 0;
    auto* state = static_cast<InputWait*>(waitState);
    bool ok = GetOverlappedResult(handle, &state->overlapped, &unused, FALSE);
    bool input = ok && bytesWaiting() > 0;
    if (input && (state->mask & EV_RXCHAR) && signals == Signals::unknown) signals = Signals::yes;
    // A wait that ends for nothing, time after time, is a driver that
    // cannot wait (the device itself gone is told by bytesWaiting).
    if (!input && !broken && signals == Signals::unknown && ++missed >= missesToSilent) signals = Signals::no;
    return input;
}

void Win32SerialPort::bytesFoundByLook() {
    if (pipe || signals != Signals::unknown || !waiting) return;
    // The wait may end a moment after the bytes are counted: give it that moment.
    if (WaitForSingleObject(waitEvent, 1) == WAIT_OBJECT_0) return;
    if (++missed >= missesToSilent) {
        signals = Signals::no;
        // Its wait is of no use: end it (a new mask ends a running wait), and
        // look at the port from now on.
        auto* state = static_cast<InputWait*>(waitState);
        SetCommMask(handle, EV_RXCHAR);
        if (WaitForSingleObject(waitEvent, 100) != WAIT_OBJECT_0) CancelIoEx(handle, &state->overlapped);
        DWORD unused = 0;
        GetOverlappedResult(handle, &state->overlapped, &unused, TRUE);
        waiting = false;
    }
}

void Win32SerialPort::close() {
    if (pipe) pipe->close();
    pipe.reset();
    pipeBaud = pipeStopBits = 0;
    signals = Signals::unknown;
    missed = 0;
    broken = false;
    label.clear();
    if (handle) {
        if (waiting) {
            // The wait must end before its OVERLAPPED goes away.
            SetCommMask(handle, 0);
            CancelIo(handle);
            DWORD unused = 0;
            GetOverlappedResult(handle, &static_cast<InputWait*>(waitState)->overlapped, &unused, TRUE);
        }
        CloseHandle(handle);
    }
    waiting = false;
    for (void** h : {&readEvent, &writeEvent, &waitEvent}) {
        if (*h) CloseHandle(*h);
        *h = nullptr;
    }
    delete static_cast<InputWait*>(waitState);
    waitState = nullptr;
    if (ownerLock) {
        ReleaseMutex(ownerLock);
        CloseHandle(ownerLock);
    }
    ownerLock = nullptr;
    handle = nullptr;
}

bool Win32SerialDevices::exists(const std::string& name) {
    int n = portNumberFromName(name);
    if (n == 0) return false;
    char target[1024];
    return QueryDosDeviceA(("COM" + std::to_string(n)).c_str(), target, sizeof target) != 0;
}

void Win32PortWaiter::waitForInput(const std::vector<SerialPort*>& ports, int timeoutMs) {
    HANDLE events[MAXIMUM_WAIT_OBJECTS];
    Win32SerialPort* owners[MAXIMUM_WAIT_OBJECTS];
    std::vector<Win32SerialPort*> open;
    DWORD count = 0;
    for (SerialPort* p : ports) {
        auto* port = dynamic_cast<Win32SerialPort*>(p);
        if (!port || !port->isOpen()) continue;
        open.push_back(port);
        bool ready = false;
        void* event = port->armInputWait(ready);
        if (ready) return;
        if (!event || count == MAXIMUM_WAIT_OBJECTS) continue;
        events[count] = event;
        owners[count++] = port;
    }
    if (timeoutMs <= 0) return;
    std::vector<Win32SerialPort*> rearmed;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        // Ports that do not signal arriving bytes (or have not shown yet that
        // they do) are looked at every few milliseconds; the others only now
        // and then, so that a signal a driver loses costs a little time, not
        // the whole wait.
        bool silentPort = false;
        for (Win32SerialPort* port : open) silentPort = silentPort || port->inputSignals() != Win32SerialPort::Signals::yes;
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(end - now, silentPort ? inputLookMs : safetyLookMs));
        if (count == 0) {
            Sleep(slice);
        } else {
            DWORD r = WaitForMultipleObjects(count, events, FALSE, slice);
            if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
                // An ended wait that brought no input (a pipe's user came, a
                // device went away) is armed again once; after that it is left
                // out of the rest of this call, so it cannot make this loop spin.
                DWORD kept = 0;
                for (DWORD i = 0; i < count; ++i) {
                    Win32SerialPort* port = owners[i];
                    if (WaitForSingleObject(events[i], 0) != WAIT_OBJECT_0) {
                        events[kept] = events[i];
                        owners[kept++] = port;
                        continue;
                    }
                    if (port->finishInputWait()) return;
                    if (std::find(rearmed.begin(), rearmed.end(), port) != rearmed.end()) continue;
                    rearmed.push_back(port);
                    bool ready = false;
                    void* again = port->armInputWait(ready);
                    if (ready) return;
                    if (again && WaitForSingleObject(again, 0) != WAIT_OBJECT_0) {
                        events[kept] = again;
                        owners[kept++] = port;
                    }
                }
                count = kept;
                continue;
            }
            if (r != WAIT_TIMEOUT) count = 0;  // the wait itself failed: looks and sleeps only
        }
        for (Win32SerialPort* port : open) {
            if (silentPort && port->inputSignals() == Win32SerialPort::Signals::yes) continue;
            if (port->bytesWaiting() > 0) {
                port->bytesFoundByLook();
                return;
            }
        }
    }
}

}  // namespace vocrig::platform::win32
