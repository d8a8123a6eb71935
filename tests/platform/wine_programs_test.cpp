// voctrans.exe under Wine on its own: what an operator sees without the
// null-modem pair. (With the pair, the link process test runs it against vocsim.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "link_processes.h"
#include "test_config.h"

namespace {

TEST(WindowsTranslator, SaysSoWhenCom20CannotBeOpened) {
    char tmpl[] = "/tmp/vocrig-wine-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    std::filesystem::create_directories(dir + "/bin");
    std::filesystem::copy_file(std::getenv("VOCTRANS_EXE"), dir + "/bin/voctrans.exe");
    ASSERT_TRUE(vocrig::test::TestConfig().write(dir + "/vocrig.cfg"));
    const std::string ports = std::getenv("VOCRIG_WINE_PORTS");
    std::filesystem::remove(ports + "/com20");  // no pair installed

    vocrig::e2e::Child translator;
    ASSERT_TRUE(translator.start(std::getenv("VOCRIG_WINE_RUN"),
                                 {std::getenv("VOCRIG_WINE_PREFIX"), "run", dir + "/bin/voctrans.exe"}, dir,
                                 dir + "/console.txt", dir + "/nothing-here"));
    std::string console;
    for (int i = 0; i < 200 && console.find("COM20 <-> COM21") == std::string::npos; ++i) {
        vocrig::e2e::sleepMicros(50000);
        console = vocrig::test::slurp(dir + "/console.txt");
    }
    EXPECT_NE(console.find("Com= COM5  speed=  19200   Radio= 7300"), std::string::npos) << console;
    EXPECT_NE(console.find("voctrans: cannot open COM20"), std::string::npos) << console;
    EXPECT_NE(console.find("com0com"), std::string::npos) << console;
    translator.stop();
    std::filesystem::remove_all(dir);
}

}  // namespace
