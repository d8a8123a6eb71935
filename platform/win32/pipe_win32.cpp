// The named pipe our two programs use when no null-modem driver joins COM20
// and COM21: byte mode, one user at a time, local users only, the user's own.
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "pipe_end.h"

#ifndef PIPE_REJECT_REMOTE_CLIENTS
#define PIPE_REJECT_REMOTE_CLIENTS 0x00000008
#endif

namespace vocrig::platform::win32 {

namespace {

constexpr DWORD pipeBytes = 1024;     // each direction, as the ports' queues
constexpr size_t heldLimit = 4096;    // read ahead at most this much: the writer then waits, as on a full line
constexpr DWORD writeWaitMs = 200;    // never hang on a pipe nobody drains (as on a port)
constexpr DWORD busyWaitMs = 500;     // the maker is between two users

// Only the user who runs the translator may open its pipe (the default
// would let every local user read it). When the user's SID cannot be had,
// the default stands: the pipe still takes one user and no remote ones.
struct OwnerOnly {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    OwnerOnly() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        alignas(TOKEN_USER) unsigned char info[512];
        DWORD size = 0;
        char* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, info, sizeof info, &size) &&
            ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(info)->User.Sid, &sid)) {
            const std::string sddl = std::string("D:P(A;;GA;;;") + sid + ")";
            if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                     nullptr))
                attributes.lpSecurityDescriptor = descriptor;
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    ~OwnerOnly() {
        if (descriptor) LocalFree(descriptor);
    }
    SECURITY_ATTRIBUTES* get() { return descriptor ? &attributes : nullptr; }
};

}  // namespace

std::string pipePathFor(int portNumber) {
    // FNV-1a over the working folder, as Windows compares paths: without case.
    char folder[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) n = 0;
    uint64_t hash = 14695981039346656037ull;
    for (DWORD i = 0; i < n; ++i) {
        char c = folder[i] == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(folder[i])));
        if (c == '\\' && i + 1 == n && n > 3) break;  // "C:\Radio\" is "C:\Radio"
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "\\\\.\\pipe\\vocrig-%016llx-COM%d", static_cast<unsigned long long>(hash),
                  portNumber);
    return text;
}

bool PipeEnd::listen(const std::string& path, std::string& error) {
    close();
    OwnerOnly security;
    pipe = CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, pipeBytes,
                            pipeBytes, 0, security.get());
    if (pipe == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = code == ERROR_ACCESS_DENIED || code == ERROR_PIPE_BUSY
                    ? "in use by another translator in this folder"
                    : systemMessage(code);
        return false;
    }
    event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event || !writeEvent) {
        error = systemMessage(GetLastError());
        close();
        return false;
    }
    maker = true;
    state = State::listening;
    pump();
    return true;
}

PipeEnd::Connect PipeEnd::connect(const std::string& path, std::string& error) {
    close();
    for (int attempt = 0; attempt < 2; ++attempt) {
        pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) break;
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Connect::absent;
        if (code != ERROR_PIPE_BUSY || attempt == 1 || !WaitNamedPipeA(path.c_str(), busyWaitMs)) {
            error = code == ERROR_PIPE_BUSY ? "in use by another program" : systemMessage(code);
            return Connect::refused;
        }
    }
    event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event || !writeEvent) {
        error = systemMessage(GetLastError());
        close();
        return Connect::refused;
    }
    maker = false;
    state = State::connected;
    pump();
    return Connect::done;
}

// The maker's end goes back to waiting for a user; the far end is done.
void PipeEnd::hangUp() {
    if (!maker) {
        state = State::gone;
        return;
    }
    DisconnectNamedPipe(pipe);
    state = State::listening;
}

bool PipeEnd::startConnect() {
    ResetEvent(event);
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event;
    if (ConnectNamedPipe(pipe, &overlapped)) {
        state = State::connected;
        return true;
    }
    switch (GetLastError()) {
        case ERROR_IO_PENDING: pending = Pending::connect; return false;
        case ERROR_PIPE_CONNECTED: state = State::connected; return true;
        default:
            // A user that came and went before we looked: wait for the next.
            DisconnectNamedPipe(pipe);
            return false;
    }
}

// Collects what has finished and starts what is due: a wait for a user on
// the maker's end without one, else the next read-ahead.
void PipeEnd::pump() {
    if (pipe == INVALID_HANDLE_VALUE) return;
    settle();
    for (int rounds = 0; pending == Pending::none && rounds < 8; ++rounds) {
        if (state == State::listening) {
            if (!startConnect()) return;
            continue;
        }
        if (state != State::connected || held.size() >= heldLimit) return;
        ResetEvent(event);
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        DWORD got = 0;
        if (ReadFile(pipe, buffer, sizeof buffer, nullptr, &overlapped)) {
            if (GetOverlappedResult(pipe, &overlapped, &got, FALSE)) held.append(buffer, got);
            continue;
        }
        const DWORD code = GetLastError();
        if (code == ERROR_IO_PENDING) {
            pending = Pending::read;
            return;
        }
        if (code == ERROR_MORE_DATA) {  // cannot happen in byte mode; taken as a full read
            if (GetOverlappedResult(pipe, &overlapped, &got, FALSE)) held.append(buffer, got);
            continue;
        }
        hangUp();  // broken pipe: the other program closed its end
    }
}

// Takes the result of a pending connect or read that has ended.
void PipeEnd::settle() {
    if (pending == Pending::none) return;
    DWORD got = 0;
    if (GetOverlappedResult(pipe, &overlapped, &got, FALSE)) {
        if (pending == Pending::connect) state = State::connected;
        else held.append(buffer, got);
        pending = Pending::none;
        return;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_IO_INCOMPLETE) return;  // still running
    const Pending was = pending;
    pending = Pending::none;
    if (was == Pending::read && code == ERROR_MORE_DATA) {
        held.append(buffer, got);
        return;
    }
    if (was == Pending::connect) {
        DisconnectNamedPipe(pipe);  // a failed wait for a user: wait again
        return;
    }
    hangUp();
}

int PipeEnd::waiting() {
    pump();
    return static_cast<int>(held.size());
}

std::string PipeEnd::take(int maxBytes) {
    pump();
    const size_t n = std::min(held.size(), static_cast<size_t>(std::max(maxBytes, 0)));
    std::string out = held.substr(0, n);
    held.erase(0, n);
    pump();  // room again for a read-ahead held back at the limit
    return out;
}

void PipeEnd::write(const std::string& bytes) {
    if (pipe == INVALID_HANDLE_VALUE || bytes.empty()) return;
    pump();
    if (state != State::connected) return;  // nobody there: the bytes are lost, as on an unopened port
    OVERLAPPED ov{};
    ov.hEvent = writeEvent;
    ResetEvent(writeEvent);
    DWORD done = 0;
    if (WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov)) return;
    const DWORD code = GetLastError();
    if (code == ERROR_IO_PENDING) {
        if (WaitForSingleObject(writeEvent, writeWaitMs) != WAIT_OBJECT_0) CancelIoEx(pipe, &ov);
        GetOverlappedResult(pipe, &ov, &done, TRUE);
        return;
    }
    if (code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED) pump();
}

HANDLE PipeEnd::arm(bool& ready) {
    pump();
    ready = !held.empty();
    return pending == Pending::none ? nullptr : event;
}

bool PipeEnd::finish() {
    pump();
    return !held.empty();
}

void PipeEnd::close() {
    if (pipe != INVALID_HANDLE_VALUE) {
        if (pending != Pending::none) {
            // The operation must end before its OVERLAPPED and buffer go away.
            CancelIoEx(pipe, &overlapped);
            DWORD unused = 0;
            GetOverlappedResult(pipe, &overlapped, &unused, TRUE);
        }
        if (maker) DisconnectNamedPipe(pipe);
        CloseHandle(pipe);
    }
    for (HANDLE* h : {&event, &writeEvent}) {
        if (*h) CloseHandle(*h);
        *h = nullptr;
    }
    pipe = INVALID_HANDLE_VALUE;
    pending = Pending::none;
    state = State::closed;
    maker = false;
    held.clear();
}

}  // namespace vocrig::platform::win32
