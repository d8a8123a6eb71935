#pragma once

// A scratch working folder for one test: made and entered by setUp, left and
// removed by tearDown. Tests that make ports, files or programs' working
// folders run in one, as a base or a member of their fixture.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace vocrig::test {

struct ScratchDir {
    void setUp(const std::string& prefix = "vocrig-test") {
        std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void tearDown() {
        if (dir.empty()) return;
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
        dir.clear();
    }
    std::string dir, old;
};

}  // namespace vocrig::test
