#include "font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <memory>
#include <strings.h>
#include <utility>

#include "lsan_suppressions.h"

namespace vocrig::platform::sdl {

namespace {

// Face names that programs written for Windows use with a spelling no font
// carries, and the face they mean.
constexpr std::array<std::pair<const char*, const char*>, 1> misspelledFaces{{
    {"Ariel", "Arial"},
}};

struct PatternFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

Pattern match(const std::string& family, bool bold) {
    Pattern pattern(FcPatternCreate());
    if (!pattern) return nullptr;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern found(FcFontMatch(nullptr, pattern.get(), &result));
    if (result != FcResultMatch) return nullptr;
    return found;
}

// Whether the matched font carries `family` under one of its names.
bool hasFamily(FcPattern* font, const std::string& family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0) return true;
    }
    return false;
}

std::optional<FontFile> fileOf(FcPattern* font) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) return std::nullopt;
    FontFile file;
    file.path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(font, FC_INDEX, 0, &file.index);
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
        file.family = reinterpret_cast<const char*>(family);
    }
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
    file.boldFace = weight >= FC_WEIGHT_DEMIBOLD;
    return file;
}

}  // namespace

std::optional<FontFile> findFontFile(const std::string& face, bool bold) {
    if (!FcInit()) return std::nullopt;
    Pattern font = match(face, bold);
    if (font && !hasFamily(font.get(), face)) {
        for (const auto& [wrong, meant] : misspelledFaces) {
            if (strcasecmp(face.c_str(), wrong) == 0) {
                if (Pattern other = match(meant, bold)) font = std::move(other);
            }
        }
    }
    if (!font) return std::nullopt;
    return fileOf(font.get());
}

}  // namespace vocrig::platform::sdl
