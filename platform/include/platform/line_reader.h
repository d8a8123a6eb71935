#pragma once

#include <string>
#include <vector>

namespace vocrig::platform {

// Splits file contents into lines. Accepts CR LF or LF (a lone CR at the end of
// a line is dropped); a final line without a line break still counts. Lines are
// cut at 255 characters and the rest of a longer line is skipped.
std::vector<std::string> splitLines(const std::string& contents);

}  // namespace vocrig::platform
