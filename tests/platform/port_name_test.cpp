#include <unistd.h>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/posix.h"
#include "platform/serial.h"

TEST(PortName, ParsesWindowsNames) {
    struct Case {
        const char* name;
        int number;
    } cases[] = {
        {"COM1", 1},      {"COM5", 5},     {"\\\\.\\COM21", 21}, {"\\\\.\\COM256", 256}, {"com7", 7},
        {"COM0", 0},      {"COM257", 0},   {"\\\\.\\COM", 0},    {"COM", 0},             {"COM05", 0},
        {"COMx", 0},      {"LPT1", 0},     {"", 0},              {"COM1 ", 0},           {"COM99999", 0},
        {"\\\\.\\COM20", 20},
    };
    for (const auto& c : cases) EXPECT_EQ(vocrig::platform::portNumberFromName(c.name), c.number) << c.name;
}

TEST(PortName, MapsToPublishedLinkOrSystemDevice) {
    // Run in a scratch folder so ports/ is under our control.
    char dir[] = "/tmp/vocrig-portname-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    EXPECT_EQ(vocrig::platform::posix::devicePathFor("COM5"), "/dev/ttyS4");
    EXPECT_EQ(vocrig::platform::posix::devicePathFor("\\\\.\\COM21"), "/dev/ttyS20");
    std::filesystem::create_directory("ports");
    ASSERT_EQ(symlink("/dev/null", "ports/com5"), 0);
    EXPECT_EQ(vocrig::platform::posix::devicePathFor("COM5"), "ports/com5");
    EXPECT_EQ(vocrig::platform::posix::devicePathFor("COM300"), "");
    EXPECT_EQ(vocrig::platform::posix::publishPathFor("\\\\.\\COM21"), "ports/com21");
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}
