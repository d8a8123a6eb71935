// How the panel's word names find the files of the word folder.
#include <gtest/gtest.h>

#include "font_lookup.h"
#include "word_files.h"

using namespace vocrig::platform::sdl;

namespace {

TEST(SdlWordFiles, PanelNamesFindTheirFile) {
    const struct {
        const char* name;
        const char* key;
    } cases[] = {
        {"wave\\voc", "voc.wav"},          {"wave\\on.wav", "on.wav"},     {"wave\\ON", "on.wav"},
        {"WAVE\\On.WAV", "on.wav"},        {"wave\\SWR", "swr.wav"},       {"wave\\160", "160.wav"},
        {"wave/point", "point.wav"},       {"voc", "voc.wav"},             {"wave\\help.wav", "help.wav"},
        {"wave\\ ", " .wav"},              {"wave\\", ""},                 {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(wordKey(c.name), c.key) << '"' << c.name << '"';
}

TEST(SdlWordFiles, OnlyWaveFilesAreWords) {
    EXPECT_EQ(fileKey("ON.WAV"), "on.wav");
    EXPECT_EQ(fileKey("delay.wav"), "delay.wav");
    EXPECT_EQ(fileKey("readme.txt"), "");
    EXPECT_EQ(fileKey(".wav"), "");
    EXPECT_EQ(fileKey("wav"), "");
}

// The panel asks for "Ariel"; it must get the face meant, not whatever
// fontconfig falls back to for an unknown name.
TEST(SdlFontLookup, MisspelledArialFindsArialsFace) {
    auto ariel = findFontFile("Ariel", false);
    auto arial = findFontFile("Arial", false);
    ASSERT_TRUE(arial.has_value()) << "no fonts installed";
    ASSERT_TRUE(ariel.has_value());
    EXPECT_EQ(ariel->path, arial->path);
    auto bold = findFontFile("Ariel", true);
    ASSERT_TRUE(bold.has_value());
    EXPECT_EQ(bold->family, arial->family);
}

}  // namespace
