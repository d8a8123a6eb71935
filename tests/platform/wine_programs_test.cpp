// The Windows setup program and the programs it installs, under Wine, as an
// operator uses them: a silent install, the sample vocrig.cfg with the radio's
// port set, voctrans.exe started in the installation folder, vocpanel.exe
// joined to it by the named pipe (no COM20/COM21 pair), keys typed into the
// panel's window, Q, and a silent uninstall that keeps the operator's files.
// vocsim (Linux) is the radio on COM5. Run under with_xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "link_processes.h"
#include "process_tools.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using vocrig::e2e::Child;
using vocrig::test::slurp;

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

template <class Done>
bool waitUntil(Done done, std::chrono::seconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// The per-user folders of the prefix's users where `tail` exists.
std::vector<fs::path> inUserFolders(const std::string& prefix, const std::string& tail) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& user : fs::directory_iterator(prefix + "/drive_c/users", error))
        if (fs::exists(user.path() / tail)) found.push_back(user.path() / tail);
    return found;
}

const char* const installed = "AppData/Local/Programs/Vocrig";
const char* const startMenu = "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vocrig";

// Types keys into the panel's window (focus first: there is no window manager).
bool typeKeys(const std::string& keys) {
    const std::string command = "w=$(xdotool search --name 'ICOM Vocrig Front Panel' | head -n 1) && [ -n \"$w\" ] && "
                                "xdotool windowfocus --sync \"$w\" key --delay 120 " + keys + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(WindowsInstaller, InstallsRunsOverTheNamedPipeAndUninstallsKeepingTheOperatorsFiles) {
    ASSERT_FALSE(env("DISPLAY").empty()) << "needs an X server (tests/support/with_xvfb)";
    const std::string wineRun = env("VOCRIG_WINE_RUN"), prefix = env("VOCRIG_WINE_PREFIX"),
                      ports = env("VOCRIG_WINE_PORTS"), setup = env("VOCRIG_WINDOWS_SETUP");
    ASSERT_TRUE(fs::exists(setup)) << setup << " is missing: make windows-installer";
    for (const auto& old : inUserFolders(prefix, installed)) fs::remove_all(old);  // an earlier run's
    char tmpl[] = "/tmp/vocrig-wine-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string scratch = tmpl;

    // 1. Silent install, into the user's own programs folder.
    Child installer;
    ASSERT_TRUE(installer.start(wineRun, {prefix, "run", setup, "/S"}, scratch, scratch + "/setup.txt", "/usr/bin:/bin"));
    ASSERT_EQ(installer.waitExit(120000), 0) << slurp(scratch + "/setup.txt");
    const auto folders = inUserFolders(prefix, installed);
    ASSERT_EQ(folders.size(), 1u);
    const std::string dir = folders[0].string();
    for (const char* file : {"voctrans.exe", "vocpanel.exe", "vocsim.exe", "README.txt", "uninstall.exe"})
        EXPECT_TRUE(fs::is_regular_file(dir + "/" + file)) << file;
    EXPECT_EQ(slurp(dir + "/vocrig.cfg"), slurp(VOCRIG_SOURCE_DIR "/dist/vocrig.cfg"));
    size_t words = 0, staged = 0;
    for (const auto& f : fs::directory_iterator(dir + "/wave")) words += f.path().extension() == ".wav";
    for (const auto& f : fs::directory_iterator(env("VOCRIG_WINDOWS_DIR") + "/installer/wave"))
        staged += f.path().extension() == ".wav";
    EXPECT_GT(words, 90u);
    EXPECT_EQ(words, staged);
    ASSERT_EQ(inUserFolders(prefix, startMenu).size(), 1u);
    EXPECT_TRUE(fs::exists(inUserFolders(prefix, startMenu)[0] / "Vocrig.lnk"));

    // 2. The operator sets the radio's port on line 1; the rest stays the sample's.
    std::string config = slurp(dir + "/vocrig.cfg");
    config.replace(0, config.find('\r'), "Com=5");
    std::ofstream(dir + "/vocrig.cfg", std::ios::binary) << config;
    fs::create_directories(scratch + "/ports");
    Child radio;
    ASSERT_TRUE(radio.start(VOCRIG_BIN_DIR "/vocsim", {"--publish", "ports/com5", "--model", "7300", "--seed", "1"},
                            scratch, scratch + "/vocsim.txt", "/usr/bin:/bin"));
    ASSERT_TRUE(waitUntil([&] { return fs::is_symlink(scratch + "/ports/com5"); }, 10s));
    for (const char* name : {"/com5", "/com20", "/com21"}) fs::remove(ports + name);  // no null-modem pair
    fs::create_symlink(scratch + "/ports/com5", ports + "/com5");

    // 3. Started as the Start-menu entry starts it: in the installation folder.
    setenv("VOCPANEL_TRACE", "vocpanel.trace", 1);
    Child translator;
    ASSERT_TRUE(translator.start(wineRun, {prefix, "run", dir + "/voctrans.exe"}, dir, scratch + "/voctrans.txt",
                                 "/usr/bin:/bin"));
    unsetenv("VOCPANEL_TRACE");
    const std::string trace = dir + "/vocpanel.trace";
    ASSERT_TRUE(waitUntil([&] { return count(slurp(trace), " say connected\n") > 0; }, 90s))
        << slurp(scratch + "/voctrans.txt") << slurp(trace);
    EXPECT_NE(slurp(scratch + "/voctrans.txt").find("Com= COM5  speed=  19200   Radio= 7300"), std::string::npos)
        << slurp(scratch + "/voctrans.txt");

    const struct {
        const char* keys;
        const char* sent;   // in the panel's trace
        const char* radio;  // in vocsim's log
    } steps[] = {
        {"e 1 4 period 0 7 4 Return", " send FA00014074000;\n", "set frequency 14.074000"},
        {"b 2", " send FA00003600000;\n", "set frequency 3.600000"},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(typeKeys(step.keys)) << step.keys;
        EXPECT_TRUE(waitUntil([&] { return slurp(trace).find(step.sent) != std::string::npos; }, 20s))
            << step.keys << "\n" << slurp(trace);
        EXPECT_TRUE(waitUntil([&] { return slurp(scratch + "/vocsim.txt").find(step.radio) != std::string::npos; }, 20s))
            << step.keys << "\n" << slurp(scratch + "/vocsim.txt");
    }
    ASSERT_TRUE(typeKeys("q"));
    EXPECT_EQ(translator.waitExit(30000), 0) << slurp(scratch + "/voctrans.txt");
    EXPECT_TRUE(waitUntil([&] { return slurp(trace).find(" exit 0\n") != std::string::npos; }, 20s)) << slurp(trace);
    EXPECT_TRUE(waitUntil([&] { return vocrig::test::processesIn(dir).empty(); }, 20s));  // nothing left running
    EXPECT_TRUE(fs::exists(dir + "/savmem.dat"));
    EXPECT_TRUE(fs::exists(dir + "/memory.txt"));

    // 4. Silent uninstall: the programs and the word set go; the operator's files stay.
    Child uninstaller;
    ASSERT_TRUE(uninstaller.start(wineRun, {prefix, "run", dir + "/uninstall.exe", "/S"}, scratch,
                                  scratch + "/uninstall.txt", "/usr/bin:/bin"));
    EXPECT_EQ(uninstaller.waitExit(60000), 0);
    // The uninstaller runs on from a copy of itself, to take out its own file.
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(dir + "/uninstall.exe") && !fs::exists(dir + "/wave"); }, 60s));
    for (const char* gone : {"voctrans.exe", "vocpanel.exe", "vocsim.exe", "README.txt", "uninstall.exe", "wave"})
        EXPECT_FALSE(fs::exists(dir + "/" + gone)) << gone;
    EXPECT_EQ(slurp(dir + "/vocrig.cfg"), config);
    EXPECT_TRUE(fs::exists(dir + "/savmem.dat"));
    EXPECT_TRUE(fs::exists(dir + "/memory.txt"));
    EXPECT_TRUE(inUserFolders(prefix, startMenu).empty());

    radio.stop();
    fs::remove(ports + "/com5");
    fs::remove_all(dir);
    fs::remove_all(scratch);
}

}  // namespace
