// Console, processes, time, files and the console's stop events on Windows.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/line_reader.h"
#include "platform/stdio_writer.h"
#include "platform/win32.h"

namespace vocrig::platform::win32 {

void Win32Console::print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void Win32Console::moveWindow(int x, int y) {
    char title[512];
    HWND window = nullptr;
    if (GetConsoleTitleA(title, sizeof title) > 0) window = FindWindowA(nullptr, title);
    if (!window) window = GetConsoleWindow();
    if (window) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string executableDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    std::string p(path, n);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

bool Win32Process::start(const std::string& commandLine) {
    std::string line = commandLine;
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    size_t end = line.find(' ', first);
    std::string program = line.substr(first, end == std::string::npos ? std::string::npos : end - first);
    // The program beside our own executable comes first; else CreateProcess
    // searches as it does for a bare name (our folder, system folders, PATH).
    std::string beside;
    if (program.find_first_of("\\/:") == std::string::npos) {
        std::string candidate = executableDir() + "\\" + program;
        if (candidate.size() < 4 || _stricmp(candidate.c_str() + candidate.size() - 4, ".exe") != 0) candidate += ".exe";
        DWORD attributes = GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) beside = candidate;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(beside.empty() ? nullptr : beside.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    if (child) CloseHandle(child);  // an earlier program is not watched any more
    child = info.hProcess;
    return true;
}

Win32Process::~Win32Process() {
    if (child) CloseHandle(child);
}

std::optional<ProgramEnd> Win32Process::ended() {
    if (!child || WaitForSingleObject(child, 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(child, &code)) code = 0xFFFFFFFF;
    CloseHandle(child);
    child = nullptr;
    // Codes from 0xC0000000 are the system's for a crash (0xC0000005: an access violation).
    if (code >= 0xC0000000) {
        char how[48];
        std::snprintf(how, sizeof how, "crashed with code 0x%08lX", static_cast<unsigned long>(code));
        return ProgramEnd{-1, how};
    }
    return ProgramEnd{static_cast<int>(code), "exit status " + std::to_string(code)};
}

LocalTime SystemClock::localTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

int64_t SystemClock::monotonicMicros() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency * 1000000 + now.QuadPart % frequency * 1000000 / frequency);
}

bool DiskFiles::exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool DiskFiles::remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool DiskFiles::readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    lines = splitLines(all.str());
    return true;
}

bool DiskFiles::writeLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    std::string tmp = path + ".tmp";
    HANDLE f = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = text.empty() || (WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                               written == text.size());
    // On disk before the rename makes it the file, so a power cut cannot
    // leave an empty file under the old name.
    ok = FlushFileBuffers(f) && ok;
    ok = CloseHandle(f) && ok;
    if (!ok || !MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tmp.c_str());
        return false;
    }
    return true;
}

namespace {
// The console calls its handler on a thread of its own, with no way to pass
// an object along: the one mark lives here.
std::atomic<int> stopEvent{0};

BOOL WINAPI onConsoleEvent(DWORD type) {
    stopEvent = static_cast<int>(type) + 1;
    return TRUE;  // handled: the loop ends the run in order
}
}  // namespace

bool DiskFiles::rename(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::unique_ptr<FileWriter> DiskFiles::append(const std::string& path) {
    return stdioWriter(std::fopen(path.c_str(), "ab"));
}

std::unique_ptr<FileWriter> DiskFiles::create(const std::string& path) {
    return stdioWriter(std::fopen(path.c_str(), "wb"));
}

StopSignals::StopSignals() {
    stopEvent = 0;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals() { SetConsoleCtrlHandler(onConsoleEvent, FALSE); }

bool StopSignals::requested() {
    if (event == 0) event = stopEvent.load();
    return event != 0;
}

std::string StopSignals::name() const {
    switch (event - 1) {
        case CTRL_C_EVENT: return "Ctrl-C";
        case CTRL_BREAK_EVENT: return "Ctrl-Break";
        case CTRL_CLOSE_EVENT: return "closing the console";
        case CTRL_LOGOFF_EVENT: return "logging off";
        case CTRL_SHUTDOWN_EVENT: return "shutting down";
        default: return "a console event";
    }
}

}  // namespace vocrig::platform::win32
