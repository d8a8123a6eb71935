#pragma once

#include <cstdio>
#include <memory>

#include "platform/files.h"

namespace vocrig::platform {

// A FileWriter over a file opened with fopen; the writer closes it. Every
// write is flushed: a log is read while the program runs, and must survive a crash.
std::unique_ptr<FileWriter> stdioWriter(FILE* file);

}  // namespace vocrig::platform
