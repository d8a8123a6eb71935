#include <gtest/gtest.h>

#include "platform/line_reader.h"

using vocrig::platform::splitLines;

TEST(LineReader, AcceptsCrLfAndLfAlike) {
    struct Case {
        const char* contents;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},        // last line without a break
        {"a\n\r\nc\n", {"a", "", "c"}},  // empty lines count
        {"x\r\r\n", {"x\r"}},          // only the CR right before LF belongs to the break
    };
    for (const auto& c : cases) EXPECT_EQ(splitLines(c.contents), c.lines) << c.contents;
}

TEST(LineReader, CutsLongLinesAt255AndSkipsTheRest) {
    std::string longLine(300, 'x');
    auto lines = splitLines(longLine + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(255, 'x'));
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(splitLines(std::string(255, 'y'))[0].size(), 255u);
}
