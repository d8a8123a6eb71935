#pragma once

// One end of the named pipe that stands in for a null-modem pair between our
// own programs: the translator makes it (listen), the panel opens it by the
// port name (connect). Bytes are read ahead by one pending overlapped read, so
// the count of waiting bytes is known at once and the read's event is what a
// waiter sleeps on.
#include <windows.h>

#include <string>

namespace vocrig::platform::win32 {

// "\\.\pipe\vocrig-<hash of the working folder>-COM<n>": both programs run in
// the same working folder, as they share vocrig.cfg there.
std::string pipePathFor(int portNumber);

// Windows' own words for an error code, without the closing full stop.
std::string systemMessage(DWORD code);

class PipeEnd {
public:
    PipeEnd() = default;
    ~PipeEnd() { close(); }
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    // Makes the pipe (refused when it exists: another translator in this
    // folder has it) and waits for its user without blocking.
    bool listen(const std::string& path, std::string& error);
    enum class Connect { done, absent, refused };
    // Opens the pipe's far end; `absent` when nobody made it.
    Connect connect(const std::string& path, std::string& error);

    int waiting();
    std::string take(int maxBytes);
    void write(const std::string& bytes);
    // The far end of a pipe whose maker has gone; the maker's end never fails,
    // it waits for the next user instead.
    bool failed() const { return state == State::gone; }

    // The event of the pending read (or, on the maker's end with no user, the
    // pending wait for one); sets `ready` when bytes are held already.
    HANDLE arm(bool& ready);
    // After the event fired: true when bytes are held.
    bool finish();
    void close();

private:
    enum class State { closed, listening, connected, gone };
    enum class Pending { none, connect, read };
    void pump();
    bool startConnect();
    void hangUp();
    void settle();

    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;       // of the pending connect or read
    HANDLE writeEvent = nullptr;
    OVERLAPPED overlapped{};
    Pending pending = Pending::none;
    State state = State::closed;
    bool maker = false;
    char buffer[1024];
    std::string held;  // read ahead, not yet taken
};

}  // namespace vocrig::platform::win32
