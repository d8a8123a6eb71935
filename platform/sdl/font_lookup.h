#pragma once

// Finding font files by face name through fontconfig.

#include <optional>
#include <string>

namespace vocrig::platform::sdl {

struct FontFile {
    std::string path;
    int index = 0;           // face index inside the file
    std::string family;      // the family fontconfig chose
    bool boldFace = false;   // the file's face is itself bold (no synthetic emboldening needed)
};

// The file that shows `face` (bold or regular). When no installed family has
// that name, a face name that is a known misspelling of a common face is tried
// as the face meant ("Ariel" as "Arial", which fontconfig maps to a face with
// Arial's metrics), and then fontconfig's nearest match. Nothing when no font
// is installed at all.
std::optional<FontFile> findFontFile(const std::string& face, bool bold);

}  // namespace vocrig::platform::sdl
