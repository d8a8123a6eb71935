// Serial ports through CreateFile, DCB settings, comm time-outs and overlapped
// I/O, and the waiter that sleeps on WaitCommEvent instead of polling.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/win32.h"

namespace vocrig::platform::win32 {

namespace {

constexpr DWORD queueBytes = 1024;
constexpr DWORD writeTimeoutMs = 200;  // never hang on a port nobody drains
constexpr DWORD readWaitMs = 100;      // bytes counted as waiting are read well within this
constexpr DWORD inputLookMs = 2;

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

}  // namespace

std::string devicePathFor(const std::string& name) {
    int n = portNumberFromName(name);
    return n == 0 ? std::string() : "\\\\.\\COM" + std::to_string(n);
}

bool Win32SerialPort::fail() {
    close();
    return false;
}

bool Win32SerialPort::open(const std::string& name) {
    std::string path = devicePathFor(name);
    if (path.empty()) return fail();
    return openPath(path);
}

bool Win32SerialPort::openVirtualPair(const std::string&) {
    close();
    return false;
}

bool Win32SerialPort::openPath(const std::string& path) {
    close();
    broken = false;
    ownerLock = CreateMutexA(nullptr, TRUE, lockName(path).c_str());
    if (ownerLock == nullptr) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return fail();  // another of our programs has it
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail();
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
        return fail();
    // Whatever was left from an earlier user is stale.
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return true;
}

bool Win32SerialPort::configure(int baud, int stopBits) {
    if (!handle) return false;
    switch (baud) {
        case 300: case 600: case 1200: case 2400: case 4800: case 9600: case 19200:
        case 38400: case 57600: case 115200: case 230400: break;
        default: return false;
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

int Win32SerialPort::bytesWaiting() {
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
    if (!handle) return nullptr;
    if (bytesWaiting() > 0) {
        ready = true;
        return waitEvent;
    }
    if (waiting) return waitEvent;
    auto* state = static_cast<InputWait*>(waitState);
    state->overlapped = OVERLAPPED{};
    state->overlapped.hEvent = waitEvent;
    state->mask = 0;
    ResetEvent(waitEvent);
    if (WaitCommEvent(handle, &state->mask, &state->overlapped)) {
        // Ended at once: input arrived just now, or the device is gone.
        ready = bytesWaiting() > 0;
        return ready ? waitEvent : nullptr;
    }
    if (GetLastError() != ERROR_IO_PENDING) return nullptr;
    waiting = true;
    return waitEvent;
}

bool Win32SerialPort::finishInputWait() {
    if (!waiting) return false;
    waiting = false;
    DWORD unused = 0;
    auto* state = static_cast<InputWait*>(waitState);
    bool ok = GetOverlappedResult(handle, &state->overlapped, &unused, FALSE);
    return ok && bytesWaiting() > 0;
}

void Win32SerialPort::close() {
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
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        // The counts of waiting bytes are also looked at every few
        // milliseconds: not every driver signals received bytes (Wine's ports
        // on pseudo-terminals do not), and a missed or stale signal must not
        // cost the whole timeout. A few hundred looks a second is no spinning.
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(end - now, inputLookMs));
        if (count == 0 || open.empty()) {
            Sleep(slice);
        } else {
            DWORD r = WaitForMultipleObjects(count, events, FALSE, slice);
            if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
                // Ended waits are collected (the next call arms them anew) and
                // left out of the rest of this one, so one that ends without
                // input (a device gone away) cannot make this loop spin.
                DWORD kept = 0;
                for (DWORD i = 0; i < count; ++i) {
                    if (WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0) {
                        if (owners[i]->finishInputWait()) return;
                        continue;
                    }
                    events[kept] = events[i];
                    owners[kept++] = owners[i];
                }
                count = kept;
            } else if (r != WAIT_TIMEOUT) {
                count = 0;  // the wait itself failed: looks and sleeps only
            }
        }
        for (Win32SerialPort* port : open)
            if (port->bytesWaiting() > 0) return;
    }
}

}  // namespace vocrig::platform::win32
