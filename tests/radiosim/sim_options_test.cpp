#include <gtest/gtest.h>

#include "sim_options.h"

using namespace vocrig::radiosim;

namespace {

std::string parse(std::vector<std::string> args, ProgramOptions& out) { return parseOptions(args, out); }

TEST(RadioSimOptions, DefaultsPublishPortsCom5AsA7300) {
    ProgramOptions o;
    EXPECT_EQ(parse({}, o), "");
    EXPECT_EQ(o.publishPath, "ports/com5");
    EXPECT_EQ(o.sim.model, "7300");
    EXPECT_EQ(o.sim.baud, 19200);
    EXPECT_FALSE(o.sim.echo);
    EXPECT_FALSE(o.help);
}

TEST(RadioSimOptions, EveryOptionReachesItsSetting) {
    ProgramOptions o;
    ASSERT_EQ(parse({"--port", "COM7", "--model=705", "--baud", "9600", "--echo", "--delay", "25", "--pace",
                     "--transceive", "--drop", "0.1", "--corrupt=5%", "--truncate", "0.25", "--garbage", "1",
                     "--unplug-after", "2.5", "--replug-after", "1", "--seed", "99", "--tune-ms", "500",
                     "--boot-ms=0", "-v"},
                    o),
              "");
    EXPECT_EQ(o.portName, "COM7");
    EXPECT_EQ(o.publishPath, "");
    EXPECT_EQ(o.sim.model, "705");
    EXPECT_EQ(o.sim.baud, 9600);
    EXPECT_TRUE(o.sim.echo);
    EXPECT_EQ(o.sim.answerDelayMs, 25);
    EXPECT_TRUE(o.sim.pace);
    EXPECT_TRUE(o.sim.transceive);
    EXPECT_DOUBLE_EQ(o.sim.dropRate, 0.1);
    EXPECT_DOUBLE_EQ(o.sim.corruptRate, 0.05);
    EXPECT_DOUBLE_EQ(o.sim.truncateRate, 0.25);
    EXPECT_DOUBLE_EQ(o.sim.garbageRate, 1.0);
    EXPECT_DOUBLE_EQ(o.sim.unplugAfterSeconds, 2.5);
    EXPECT_DOUBLE_EQ(o.replugAfterSeconds, 1.0);
    EXPECT_EQ(o.sim.seed, 99u);
    EXPECT_EQ(o.sim.tuneMs, 500);
    EXPECT_EQ(o.sim.bootMs, 0);
    EXPECT_TRUE(o.sim.verbose);
}

TEST(RadioSimOptions, MistakesAreNamed) {
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"stray"}, "unexpected argument stray"},
        {{"--model", "7301"}, "unknown model 7301"},
        {{"--model"}, "--model needs a value"},
        {{"--baud", "12345"}, "--baud must be one of"},
        {{"--drop", "1.5"}, "--drop needs a fraction"},
        {{"--corrupt", "-0.1"}, "--corrupt needs a fraction"},
        {{"--delay", "soon"}, "--delay needs milliseconds"},
        {{"--unplug-after", "0"}, "--unplug-after needs a number of seconds"},
        {{"--replug-after", "3"}, "--replug-after needs --unplug-after"},
        {{"--port", "COM5", "--publish", "ports/com6"}, "either --publish or --port"},
        {{"--echo=yes"}, "--echo takes no value"},
    };
    for (const Case& c : cases) {
        ProgramOptions o;
        std::string error = parseOptions(c.args, o);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.args[0] << ": " << error;
    }
}

TEST(RadioSimOptions, HelpListsTheOptionsAndModels) {
    ProgramOptions o;
    EXPECT_EQ(parse({"--help"}, o), "");
    EXPECT_TRUE(o.help);
    std::string help = helpText();
    for (const char* word : {"--publish", "--port", "--model", "--echo", "--delay", "--pace", "--transceive", "--drop",
                             "--corrupt", "--truncate", "--garbage", "--unplug-after", "--seed", "7300 (94h)",
                             "746 (57h)", "9700 (A2h)"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

}  // namespace
