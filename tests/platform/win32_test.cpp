// The Win32 services, run under Wine: the serial contract over COM30 and COM31
// (pseudo-terminals joined by wine_null_modem), and what only Windows has.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/win32.h"
#include "serial_contract.h"

using vocrig::platform::win32::Win32SerialPort;

namespace {

struct Win32Rig {
    using Port = Win32SerialPort;
    using Waiter = vocrig::platform::win32::Win32PortWaiter;
    using Clock = vocrig::platform::win32::SystemClock;
    const char* farName = "COM31";
    void setUp() {}
    void tearDown() {}
    bool openNear(Port& port) { return port.open("\\\\.\\COM30"); }
    bool readBack(Port& port, LineReadBack& line) {
        Port::LineSettings s;
        if (!port.lineSettings(s)) return false;
        line.baud = static_cast<long>(s.baud);
        line.stopBits = s.stopBits;
        line.eightBitsNoParity = s.dataBits == 8 && !s.parity;
        line.raw = s.binary && !s.flowControl;
        line.readsReturnAtOnce =
            s.readIntervalTimeout == MAXDWORD && s.readTotalConstant == 0 && s.readTotalMultiplier == 0;
        return true;
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SerialContract, Win32Rig);

// The named pipe that stands in for a pair when no driver provides one: the
// near end makes it for COM41, and opening COM41 in this folder reaches it.
struct Win32PipeRig : Win32Rig {
    const char* farName = "COM41";
    bool openNear(Port& port) { return port.openPrivatePair("\\\\.\\COM41"); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32Pipe, SerialContract, Win32PipeRig);

TEST(Win32Pipe, TakesThePortNameFromTheDeviceAndOneMakerPerFolder) {
    Win32SerialPort maker, user, second;
    // COM30 exists (a mapped device): the pipe made for it still comes first.
    ASSERT_TRUE(maker.openPrivatePair("COM30"));
    EXPECT_FALSE(second.openPrivatePair("COM30"));  // another translator in this folder
    EXPECT_NE(second.lastError().find("COM30"), std::string::npos) << second.lastError();
    ASSERT_TRUE(user.open("\\\\.\\COM30"));
    maker.write("FA00014074123;");
    std::string got;
    for (int i = 0; i < 100 && got.size() < 14; ++i) {
        vocrig::platform::win32::Win32PortWaiter().waitForInput({&user}, 20);
        got += user.read(user.bytesWaiting());
    }
    EXPECT_EQ(got, "FA00014074123;");
    EXPECT_TRUE(second.openPrivatePair("COM31"));  // another port number is another pipe

    // A user whose maker has ended is told so, and reads nothing more.
    EXPECT_FALSE(user.failed());
    maker.close();
    vocrig::platform::win32::Win32PortWaiter().waitForInput({&user}, 200);
    EXPECT_TRUE(user.failed());
    EXPECT_EQ(user.read(10), "");
    user.write("FA;");  // lost, no crash

    // Without a maker the name is the device again.
    ASSERT_TRUE(user.open("COM30"));
    EXPECT_FALSE(user.failed());
}

TEST(Win32Pipe, PairsForOtherProgramsNeedADriverAndSaySo) {
    Win32SerialPort port;
    EXPECT_FALSE(port.openVirtualPair("COM6"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_NE(port.lastError().find("com0com"), std::string::npos) << port.lastError();
    EXPECT_FALSE(port.open("COM199"));
    EXPECT_NE(port.lastError().find("COM199"), std::string::npos) << port.lastError();
}

TEST(Win32PortNames, ResolveToTheDeviceForm) {
    struct Case {
        const char* name;
        const char* path;
    } cases[] = {{"COM5", "\\\\.\\COM5"}, {"com7", "\\\\.\\COM7"}, {"\\\\.\\COM21", "\\\\.\\COM21"},
                 {"COM256", "\\\\.\\COM256"}, {"COM0", ""}, {"COM05", ""}, {"\\\\.\\CNCA0", ""}};
    for (const auto& c : cases) EXPECT_EQ(vocrig::platform::win32::devicePathFor(c.name), c.path) << c.name;

    vocrig::platform::win32::Win32SerialDevices devices;
    EXPECT_TRUE(devices.exists("COM30"));
    EXPECT_TRUE(devices.exists("\\\\.\\COM31"));
    EXPECT_FALSE(devices.exists("COM199"));
    EXPECT_FALSE(devices.exists("COM0"));
}

TEST(Win32Keys, MessagesGiveVirtualKeysAndRepeatMarks) {
    constexpr intptr_t extended = intptr_t{1} << 24, held = intptr_t{1} << 30, scan = 0x1C0001;
    struct Case {
        uintptr_t wParam;
        intptr_t lParam;
        int key;
        bool repeat;
    } cases[] = {
        {'A', scan, 65, false},
        {'A', scan | held, 65, true},  // auto-repeat: the key was already down
        {VK_F1, scan, 112, false},
        {VK_SHIFT, scan, 16, false},
        {VK_RETURN, scan | extended, 13, false},  // the keypad's Enter
        {VK_NUMPAD0, scan, 96, false},            // keypad with NumLock on
        {VK_DECIMAL, scan, 110, false},
        // With NumLock off the keypad sends the navigation keys without the extended bit.
        {VK_INSERT, scan, 96, false},
        {VK_END, scan, 97, false},
        {VK_CLEAR, scan, 101, false},
        {VK_PRIOR, scan | held, 105, true},
        {VK_DELETE, scan, 110, false},
        // The real navigation keys carry the extended bit and stay what they are.
        {VK_INSERT, scan | extended, 45, false},
        {VK_LEFT, scan | extended, 37, false},
        {VK_NEXT, scan | extended | held, 34, true},
        {VK_OEM_PLUS, scan, 187, false},
        {VK_OEM_MINUS, scan, 189, false},
    };
    for (const auto& c : cases) {
        vocrig::platform::win32::KeyMessage m = vocrig::platform::win32::keyFromMessage(c.wParam, c.lParam);
        EXPECT_EQ(m.key, c.key) << "wParam " << c.wParam;
        EXPECT_EQ(m.repeat, c.repeat) << "wParam " << c.wParam;
    }
}

// Records the PlaySound calls instead of making them.
class RecordedSound : public vocrig::platform::win32::Win32Sound {
public:
    std::vector<std::string> calls;

protected:
    bool playSound(const char* file, bool async) override {
        calls.push_back(file ? std::string(async ? "async " : "sync ") + file : "stop");
        return true;
    }
};

TEST(Win32Sound, MissingWordsStopWhatPlaysAndPlayNothing) {
    CreateDirectoryA("wave", nullptr);
    std::ofstream("wave\\voc.wav") << "RIFF";
    RecordedSound sound;
    sound.play("wave\\voc");
    sound.playAsync("WAVE\\VOC.wav");
    sound.play("wave/voc");
    sound.play("wave\\nosuch");
    sound.playAsync("wave\\");
    sound.play("wave");  // a folder, not a word
    const std::vector<std::string> expected{"sync wave\\voc.wav", "async WAVE\\VOC.wav", "sync wave\\voc.wav",
                                            "stop", "stop", "stop"};
    EXPECT_EQ(sound.calls, expected);
    DeleteFileA("wave\\voc.wav");
    RemoveDirectoryA("wave");
}

}  // namespace
