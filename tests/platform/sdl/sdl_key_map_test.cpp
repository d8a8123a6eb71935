// Scancodes to the virtual-key codes the panel acts on.
#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

#include "platform/sdl.h"

using vocrig::platform::sdl::virtualKeyFromScancode;

namespace {

struct KeyCase {
    SDL_Scancode scancode;
    int virtualKey;
};

// Every key the panel handles beyond the letters, digits and function keys
// (checked in order below), and a few it must see under their own codes.
constexpr KeyCase panelKeys[] = {
    {SDL_SCANCODE_0, 48},          {SDL_SCANCODE_KP_0, 96},        {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_LEFT, 37},       {SDL_SCANCODE_UP, 38},          {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},       {SDL_SCANCODE_PAGEUP, 33},      {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RETURN, 13},     {SDL_SCANCODE_KP_ENTER, 13},    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_LSHIFT, 16},     {SDL_SCANCODE_RSHIFT, 16},      {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},      {SDL_SCANCODE_INSERT, 45},      {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_EQUALS, 187},    {SDL_SCANCODE_MINUS, 189},      {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_ESCAPE, 27},     {SDL_SCANCODE_BACKSPACE, 8},    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_HOME, 36},       {SDL_SCANCODE_END, 35},         {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_LALT, 18},       {SDL_SCANCODE_KP_PLUS, 107},
};

TEST(SdlKeyMap, GivesTheVirtualKeyOfEachKey) {
    for (const KeyCase& key : panelKeys) {
        EXPECT_EQ(virtualKeyFromScancode(key.scancode), key.virtualKey) << "scancode " << key.scancode;
    }
}

TEST(SdlKeyMap, EveryLetterDigitAndFunctionKeyInOrder) {
    for (int i = 0; i < 26; ++i) EXPECT_EQ(virtualKeyFromScancode(SDL_SCANCODE_A + i), 'A' + i);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(virtualKeyFromScancode(SDL_SCANCODE_1 + i), '1' + i);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(virtualKeyFromScancode(SDL_SCANCODE_KP_1 + i), 97 + i);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(virtualKeyFromScancode(SDL_SCANCODE_F1 + i), 112 + i);
}

TEST(SdlKeyMap, UnknownScancodesGiveZero) {
    for (int scancode : {int(SDL_SCANCODE_UNKNOWN), int(SDL_SCANCODE_MUTE), int(SDL_SCANCODE_AUDIOPLAY), -1,
                         int(SDL_NUM_SCANCODES), 100000}) {
        EXPECT_EQ(virtualKeyFromScancode(scancode), 0) << "scancode " << scancode;
    }
}

}  // namespace
