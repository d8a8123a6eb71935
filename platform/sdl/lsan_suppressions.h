#pragma once

// Included by each file that brings in a library with known losses, so that any
// program linking that file gets the suppressions (weak: several may be linked).
#if defined(__SANITIZE_ADDRESS__)
// fontconfig (parsing its configuration) and D-Bus (started by SDL) lose a few
// bytes once per process; that is not ours to fix, and it must not fail
// sanitized runs.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
