// A null-modem pair for the Windows tests under Wine: two pseudo-terminals,
// published as PORTS/com30 and PORTS/com31 (the names Wine's port keys give
// COM30 and COM31), with every byte copied across, as com0com does on Windows.
// Runs the command after "--" and ends with its exit status.
//
//   wine_null_modem PORTS -- COMMAND [ARGS...]
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix.h"

using vocrig::platform::posix::PollPortWaiter;
using vocrig::platform::posix::PosixSerialPort;

int main(int argc, char** argv) {
    if (argc < 4 || std::string(argv[2]) != "--") {
        std::fprintf(stderr, "usage: wine_null_modem PORTS -- COMMAND [ARGS...]\n");
        return 2;
    }
    const std::string ports = argv[1];
    PosixSerialPort a, b;
    if (!a.openVirtualPairAt(ports + "/com30") || !b.openVirtualPairAt(ports + "/com31")) {
        std::fprintf(stderr, "wine_null_modem: cannot publish %s/com30 and com31\n", ports.c_str());
        return 1;
    }
    pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        execvp(argv[3], argv + 3);
        std::perror("wine_null_modem: cannot run the command");
        _exit(127);
    }
    PollPortWaiter waiter;
    int status = 0;
    for (;;) {
        waiter.waitForInput({&a, &b}, 10);
        for (auto [from, to] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
            int n = from->bytesWaiting();
            if (n > 0) to->write(from->read(n));
        }
        if (waitpid(child, &status, WNOHANG) == child) break;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
