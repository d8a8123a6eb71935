#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix.h"

namespace vocrig::platform::posix {

namespace {

speed_t speedFor(int baud) {
    switch (baud) {
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return B0;
    }
}

// Errors after which a port gives nothing more until it is opened again.
bool isLostDevice(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE; }

bool pathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Raw 8-bit line with the given speed; reads return at once with what is there.
bool makeRaw(int fd, speed_t speed, int stopBits) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    tcflag_t flow = t.c_cflag & CRTSCTS;  // hardware flow control stays as the port has it
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD | flow;
    if (stopBits == 2) t.c_cflag |= CSTOPB;
    t.c_iflag &= ~(INPCK | ISTRIP | IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (speed != B0 && (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)) return false;
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

std::string publishPathFor(const std::string& name) {
    int n = portNumberFromName(name);
    return n == 0 ? std::string() : "ports/com" + std::to_string(n);
}

std::string devicePathFor(const std::string& name) {
    int n = portNumberFromName(name);
    if (n == 0) return {};
    std::string published = publishPathFor(name);
    if (pathExists(published)) return published;
    return "/dev/ttyS" + std::to_string(n - 1);
}

// "\\.\COM21" is shown as "COM21".
static std::string shownName(const std::string& name) {
    return name.compare(0, 4, "\\\\.\\") == 0 ? name.substr(4) : name;
}

bool PosixSerialPort::fail(const std::string& what, int err) {
    error = what + " " + label + ": " + std::strerror(err);
    return false;
}

bool PosixSerialPort::open(const std::string& name) {
    std::string path = devicePathFor(name);
    if (path.empty()) {
        close();
        label = shownName(name);
        return fail("cannot open", EINVAL);  // not COM1..COM256
    }
    std::string published = publishPathFor(name);
    if (path == published) {
        // The operator's link is used as it is, whatever it points to.
        char target[256];
        ssize_t n = ::readlink(published.c_str(), target, sizeof target - 1);
        std::string shown = published + (n > 0 ? ", a link to " + std::string(target, static_cast<size_t>(n)) : "");
        return openDevice(shownName(name) + " (" + shown + ")", path);
    }
    const std::string opening = "cannot open ";
    if (!openDevice(path, path)) {
        // Both places looked at, each with its reason: the operator may have meant to link the first.
        error = opening + shownName(name) + ": " + published + ": " + std::strerror(ENOENT) + "; " +
                error.substr(opening.size());
        return false;
    }
    label = shownName(name) + " (" + path + ")";
    return true;
}

bool PosixSerialPort::openPath(const std::string& path) { return openDevice(path, path); }

bool PosixSerialPort::openDevice(const std::string& shown, const std::string& path) {
    close();
    label = shown;
    int f = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (f < 0) return fail("cannot open", errno);
    // Exclusive use: a second program (or a second copy of this one) is refused.
    if (!::isatty(f)) {
        ::close(f);
        error = "cannot open " + label + ": not a serial port";
        return false;
    }
    int err = 0;
    if (::flock(f, LOCK_EX | LOCK_NB) != 0)
        err = errno == EWOULDBLOCK ? EBUSY : errno;  // another program holds it
    else if (::ioctl(f, TIOCEXCL) != 0)
        err = errno;
    if (err != 0) {
        ::close(f);
        return fail("cannot open", err);
    }
    ::tcflush(f, TCIOFLUSH);  // whatever was left from an earlier user is stale
    fd = f;
    error.clear();
    return true;
}

bool PosixSerialPort::openVirtualPair(const std::string& farName) {
    std::string link = publishPathFor(farName);
    if (link.empty()) {
        close();
        label = shownName(farName);
        return fail("cannot publish", EINVAL);
    }
    return makePair(shownName(farName) + " (" + link + ")", link);
}

bool PosixSerialPort::openVirtualPairAt(const std::string& link) { return makePair(link, link); }

bool PosixSerialPort::makePair(const std::string& shown, const std::string& link) {
    close();
    label = shown;
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) return fail("cannot publish", errno);
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        int err = errno;
        ::close(master);
        return fail("cannot publish", err);
    }
    // Hold the far end open ourselves and make it raw before anyone sees it: a
    // fresh pseudo-terminal echoes and translates bytes, which would corrupt
    // CI-V frames, and while we hold it the near end never reports a hang-up
    // when the other program closes or has not opened it yet.
    int far = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (far < 0 || !makeRaw(far, B38400, 1) || !makeRaw(master, B38400, 1)) {
        int err = errno;
        if (far >= 0) ::close(far);
        ::close(master);
        return fail("cannot publish", err);
    }
    size_t slash = link.find_last_of('/');
    if (slash != std::string::npos) ::mkdir(link.substr(0, slash).c_str(), 0755);
    struct stat st;
    if (::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(link.c_str());  // stale link
    if (::symlink(name, link.c_str()) != 0) {
        int err = errno;
        ::close(far);
        ::close(master);
        return fail("cannot publish", err);
    }
    fd = master;
    heldFarFd = far;
    linkPath = link;
    farPath = name;
    error.clear();
    return true;
}

void PosixSerialPort::releaseFarEnd() {
    if (heldFarFd < 0) return;
    // A program that dies cannot clear the exclusive flag it set on the far
    // end, and since we hold that end open the flag stays: every later open
    // but root's would be refused.
    ::ioctl(heldFarFd, TIOCNXCL);
    ::tcflush(heldFarFd, TCIFLUSH);  // replies meant for the program that went
}

bool PosixSerialPort::configure(int baud, int stopBits) {
    if (fd < 0) return false;
    speed_t speed = speedFor(baud);
    if (speed == B0) return fail("cannot set " + std::to_string(baud) + " baud on", EINVAL);
    return makeRaw(fd, speed, stopBits) || fail("cannot set up", errno);
}

int PosixSerialPort::bytesWaiting() {
    if (fd < 0) return 0;
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0) {
        if (isLostDevice(errno)) broken = true;
        return 0;
    }
    return n < 0 ? 0 : n;
}

std::string PosixSerialPort::read(int maxBytes) {
    if (fd < 0 || maxBytes <= 0) return {};
    std::string out(static_cast<size_t>(maxBytes), '\0');
    ssize_t got;
    do {
        got = ::read(fd, out.data(), out.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0 && isLostDevice(errno)) broken = true;
    if (got <= 0) return {};  // EAGAIN, EIO after a hang-up, or end of file
    out.resize(static_cast<size_t>(got));
    return out;
}

void PosixSerialPort::write(const std::string& bytes) {
    if (fd < 0) return;
    size_t done = 0;
    int stalls = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            stalls = 0;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && stalls < 20) {
            // The far end is slow to read: give it a little time, but never
            // hang the program on a port nobody drains (about 100 ms at most).
            ++stalls;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 5);
            continue;
        }
        if (n < 0 && isLostDevice(errno)) broken = true;
        return;  // hung up, unplugged or stuck: the write is lost
    }
}

bool PosixSerialPort::failed() {
    if (fd < 0) return false;
    if (broken) return true;
    // A device that went away, or a far end that closed for good, reports a
    // hang-up at once and for ever; our own virtual pairs never do (we hold
    // their far end), so this is only ever a port opened by name.
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) broken = true;
    return broken;
}

void PosixSerialPort::close() {
    // The exclusive flag belongs to the terminal, not to our descriptor: left
    // set, it outlives us while anyone else holds the terminal open (the
    // program that made a pseudo-terminal does), and the next ordinary user
    // to open it is refused.
    if (fd >= 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
    if (heldFarFd >= 0) ::close(heldFarFd);
    if (!linkPath.empty()) ::unlink(linkPath.c_str());
    fd = -1;
    broken = false;
    heldFarFd = -1;
    linkPath.clear();
    farPath.clear();
}

bool PosixSerialDevices::exists(const std::string& name) {
    std::string path = devicePathFor(name);
    if (path.empty()) return false;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

void PollPortWaiter::waitForInput(const std::vector<SerialPort*>& ports, int timeoutMs) {
    constexpr nfds_t maxPorts = 16;
    pollfd fds[maxPorts];
    SerialPort* owners[maxPorts];
    nfds_t count = 0;
    for (SerialPort* p : ports) {
        if (p == nullptr || count == maxPorts) continue;
        int h = p->waitHandle();
        if (h < 0) continue;
        owners[count] = p;
        fds[count++] = pollfd{h, POLLIN, 0};
    }
    // First look without waiting. A port whose far end hung up reports POLLHUP
    // (often with POLLIN, though a read gives nothing) at once and for ever;
    // leave such ports out of the real wait so the caller sleeps instead of
    // spinning. They are looked at again on the next call, so a port that
    // comes back is served again.
    if (count > 0 && ::poll(fds, count, 0) > 0) {
        nfds_t kept = 0;
        for (nfds_t i = 0; i < count; ++i) {
            short ev = fds[i].revents;
            bool hungUp = ev & (POLLHUP | POLLERR | POLLNVAL);
            if (hungUp) {
                if (owners[i]->bytesWaiting() > 0) return;  // last bytes before the hang-up
                continue;
            }
            if (ev & POLLIN) return;  // input already there
            fds[kept] = pollfd{fds[i].fd, POLLIN, 0};
            owners[kept++] = owners[i];
        }
        count = kept;
    }
    if (timeoutMs <= 0) return;
    ::poll(count ? fds : nullptr, count, timeoutMs);  // an interrupted wait just ends early
}

}  // namespace vocrig::platform::posix
