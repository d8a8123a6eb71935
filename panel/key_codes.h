#pragma once

// The keys the panel gives a meaning, as the window reports them: Windows
// virtual-key codes. Letters are their upper-case character codes whatever the
// shift state, digits theirs. Keys not named here are unassigned.

namespace vocrig::panel {

// clang-format off
enum Key : int {
    keyEnter = 13, keyShift = 16, keyCtrl = 17, keySpace = 32,
    keyPageUp = 33, keyPageDown = 34, keyLeft = 37, keyUp = 38, keyRight = 39, keyDown = 40, keyInsert = 45,
    key0 = '0', key1, key2, key3, key4, key5, key6, key7, key8, key9,
    keyA = 'A', keyB, keyC, keyD, keyE, keyF, keyG, keyH, keyI,
    keyK = 'K', keyL, keyM, keyN, keyO, keyP, keyQ, keyR, keyS, keyT, keyU, keyV, keyW, keyX,
    keyZ = 'Z',
    keyLeftWindows = 91,
    keyPad0 = 96, keyPad1, keyPad2, keyPad3, keyPad4, keyPad5, keyPad6, keyPad7, keyPad8, keyPad9,
    keyPadPoint = 110,
    keyF1 = 112, keyF2, keyF3, keyF4, keyF5, keyF6, keyF7, keyF8, keyF9, keyF10, keyF11, keyF12,
    keyPlus = 187,   // "=" / "+"
    keyMinus = 189,
    keyPoint = 190,  // "." of the main keyboard
};
// clang-format on

}  // namespace vocrig::panel
