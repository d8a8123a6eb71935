// Time to save savmem.dat with its listing and to load it back, on disk in a
// temporary folder, with all 100 channels used. Also the link pacing of the
// start-up exchange with the word set's pacing lengths. Prints numbers; asserts nothing.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "panel.h"
#include "platform/posix.h"
#include "scripted_window.h"

namespace {

double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    char folder[] = "/tmp/vocpanel-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    fs::current_path(folder);

    vocrig::platform::fake::ManualClock clock;
    vocrig::platform::fake::ScriptedWindow window(clock);
    vocrig::platform::fake::FakeSpeaker speaker(clock);
    vocrig::platform::fake::FakeSerialEnd port;
    vocrig::platform::posix::DiskFiles files;
    vocrig::panel::Panel panel(window, speaker, port, files, clock);
    for (int i = 0; i < vocrig::panel::memoryCount; ++i)
        panel.state.memory.memorySlots[static_cast<size_t>(i)] = "1512A00145500000B0014490000088.50";
    panel.state.dial.bandIndex = 12;

    const int rounds = 200;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) panel.saveMemory();
    const double saveMs = millisSince(start) / rounds;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) panel.loadMemory();
    const double loadMs = millisSince(start) / rounds;
    std::printf("save savmem.dat + memory.txt (100 channels): %.3f ms\n", saveMs);
    std::printf("load savmem.dat:                             %.3f ms\n", loadMs);
    std::printf("file sizes: savmem.dat %ju bytes, memory.txt %ju bytes\n",
                static_cast<uintmax_t>(fs::file_size("savmem.dat")),
                static_cast<uintmax_t>(fs::file_size("memory.txt")));

    // The start-up exchange with a translator that never answers "Z1": pacing
    // only (pacing words at the word set's lengths, every other word 0 ms).
    vocrig::platform::fake::MemoryFiles memoryFiles;
    memoryFiles.files["vocrig.cfg"] = "a\r\nb\r\nc\r\npower 100\r\n";
    vocrig::platform::fake::ManualClock quietClock;
    vocrig::platform::fake::ScriptedWindow quietWindow(quietClock);
    vocrig::platform::fake::FakeSpeaker quietSpeaker(quietClock);
    quietSpeaker.defaultLengthMs = 0;
    quietSpeaker.lengthMs = {{"delay", 120}, {"shdelay", 130}, {"shdel", 80}};
    vocrig::platform::fake::FakeSerialEnd quietPort;
    vocrig::panel::Panel quiet(quietWindow, quietSpeaker, quietPort, memoryFiles, quietClock);
    quiet.run();
    std::printf("start-up and shutdown pacing, no Z1 answer:  %.0f ms\n", quietClock.now / 1000.0);

    fs::current_path(before);
    fs::remove_all(folder);
    return 0;
}
