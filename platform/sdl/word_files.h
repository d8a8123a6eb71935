#pragma once

// How the panel's word names map to files of the word folder.

#include <string>

namespace vocrig::platform::sdl {

// The key under which a word is stored: the file name in lower case.
// "wave\voc" and "WAVE\Voc" give "voc.wav", "wave\on.wav" gives "on.wav":
// everything up to the last "\" or "/" names the folder (always the word
// folder), and a name without an extension gets ".wav". An empty name gives "".
std::string wordKey(const std::string& file);

// The key of a file found in the word folder ("ON.WAV" gives "on.wav"), or ""
// when it is not a wave file.
std::string fileKey(const std::string& fileName);

}  // namespace vocrig::platform::sdl
