// The panel's window on SDL2: a fixed-size window showing a persistent canvas
// of texts, key events as Windows virtual-key codes, and a drift-free timer.
#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>

#include "font_lookup.h"
#include "platform/sdl.h"
#include "sdl_start.h"

namespace vocrig::platform::sdl {

namespace {

// Texts are black on the window's white background, each on its own white box,
// so a text drawn over a longer one (padded with blanks) wipes it out.
constexpr SDL_Color ink{0, 0, 0, 255};
constexpr SDL_Color paper{255, 255, 255, 255};

// The font the window starts with, before the program picks one: a plain face
// small enough for a line of key help across the window.
const Font initialFont{"Arial", 15, 400};

// A font weight at or above this shows bold.
constexpr int boldWeight = 600;

struct FontClose {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

// Whether SDL picked a video driver that shows nothing without being asked to.
bool headlessUnasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    for (const char* headless : {"offscreen", "dummy", "evdev"}) {
        if (driver && SDL_strcasecmp(driver, headless) == 0 && !(asked && SDL_strcasestr(asked, headless))) return true;
    }
    return false;
}

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

}  // namespace

struct SdlWindow::Impl {
    bool ttfStarted = false;
    std::string error;

    SDL_Window* window = nullptr;
    std::unique_ptr<SDL_Surface, SurfaceFree> canvas;  // what the window shows, kept across exposes

    // Fonts opened so far, by file, face index, size and synthetic bold; and the
    // file found for each face and boldness.
    std::map<std::tuple<std::string, int, int, bool>, std::unique_ptr<TTF_Font, FontClose>> fonts;
    std::map<std::pair<std::string, bool>, std::optional<FontFile>> fontFiles;
    TTF_Font* font = nullptr;

    // The timer runs on a thread of its own and posts one tick event at a time:
    // while a tick waits in the queue no further one is added, as with window
    // timers, so a slow handler is never buried under a backlog of ticks.
    Uint32 tickEventType = static_cast<Uint32>(-1);
    std::thread ticker;
    std::mutex tickerMutex;
    std::condition_variable tickerWake;
    bool tickerStop = false;
    std::atomic<bool> tickPending{false};
    std::atomic<Sint32> timerGeneration{0};
    bool timerRunning = false;

    ~Impl() {
        stopTimer();
        closeWindow();
        fonts.clear();
        if (ttfStarted) TTF_Quit();
        // SDL's video is not ended here: its X11 driver, ended and started
        // again within one process, sometimes fails to start and loses memory
        // each time. It ends with the process.
    }

    void closeWindow() {
        canvas.reset();
        if (window) SDL_DestroyWindow(window);
        window = nullptr;
    }

    void startTimer(int periodMs) {
        stopTimer();
        if (periodMs <= 0 || tickEventType == static_cast<Uint32>(-1)) return;
        const Sint32 generation = ++timerGeneration;
        tickPending = false;
        tickerStop = false;
        timerRunning = true;
        ticker = std::thread([this, periodMs, generation] { runTicker(std::chrono::milliseconds(periodMs), generation); });
    }

    void stopTimer() {
        if (!ticker.joinable()) return;
        {
            std::lock_guard lock(tickerMutex);
            tickerStop = true;
        }
        tickerWake.notify_all();
        ticker.join();
        timerRunning = false;
        ++timerGeneration;  // a tick still queued from this run is dropped when it is taken
    }

    // Ticks fall due at start + n * period, so lateness in one tick does not
    // shift the next; ticks missed altogether (a stalled system) are skipped.
    void runTicker(std::chrono::milliseconds period, Sint32 generation) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        long long n = 0;
        std::unique_lock lock(tickerMutex);
        for (;;) {
            ++n;
            const Clock::time_point due = start + n * period;
            if (tickerWake.wait_until(lock, due, [this] { return tickerStop; })) return;
            const auto late = Clock::now() - due;
            if (late >= period) n += late / period;
            if (!tickPending.exchange(true)) {
                SDL_Event event{};
                event.type = tickEventType;
                event.user.code = generation;
                if (SDL_PushEvent(&event) != 1) tickPending = false;
            }
        }
    }

    void present(const SDL_Rect* area) {
        if (!window || !canvas) return;
        SDL_Surface* shown = SDL_GetWindowSurface(window);
        if (!shown) return;
        SDL_Rect rect = area ? *area : SDL_Rect{0, 0, canvas->w, canvas->h};
        SDL_Rect target = rect;
        SDL_BlitSurface(canvas.get(), &rect, shown, &target);
        SDL_UpdateWindowSurfaceRects(window, &target, 1);
    }

    const std::optional<FontFile>& fontFile(const std::string& face, bool bold) {
        auto key = std::make_pair(face, bold);
        auto found = fontFiles.find(key);
        if (found == fontFiles.end()) found = fontFiles.emplace(key, findFontFile(face, bold)).first;
        return found->second;
    }

    // Sizes are the font's size in pixels per em (a point per pixel).
    void selectFont(const Font& wanted) {
        const bool bold = wanted.weight >= boldWeight;
        const std::optional<FontFile>& file = fontFile(wanted.face, bold);
        if (!file || wanted.size <= 0) return;  // keep the font in use
        const bool syntheticBold = bold && !file->boldFace;
        auto key = std::make_tuple(file->path, file->index, wanted.size, syntheticBold);
        auto found = fonts.find(key);
        if (found == fonts.end()) {
            TTF_Font* opened = TTF_OpenFontIndex(file->path.c_str(), wanted.size, file->index);
            if (!opened) return;
            if (syntheticBold) TTF_SetFontStyle(opened, TTF_STYLE_BOLD);
            found = fonts.emplace(key, std::unique_ptr<TTF_Font, FontClose>(opened)).first;
        }
        font = found->second.get();
    }

    // Turns an SDL event into one of the panel's; false for events it does not see.
    bool translate(const SDL_Event& sdlEvent, Event& event) {
        switch (sdlEvent.type) {
        case SDL_QUIT:
            event = {EventType::Close, 0};
            return true;
        case SDL_WINDOWEVENT:
            if (window && sdlEvent.window.windowID == SDL_GetWindowID(window)) {
                if (sdlEvent.window.event == SDL_WINDOWEVENT_CLOSE) {
                    event = {EventType::Close, 0};
                    return true;
                }
                if (sdlEvent.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    sdlEvent.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    present(nullptr);
                }
            }
            return false;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int key = virtualKeyFromScancode(sdlEvent.key.keysym.scancode);
            if (key == 0) return false;
            const bool down = sdlEvent.type == SDL_KEYDOWN;
            // With Alt held, and for F10 and Alt themselves, key presses are
            // system keys meant for the window manager (Alt+F4 closes the
            // window; it must not also toggle what F4 toggles). Releases
            // always go through, so a key never looks held for ever.
            if (down && (key == 18 || key == 121 || (sdlEvent.key.keysym.mod & KMOD_ALT) != 0)) return false;
            // Auto-repeat arrives as further key-downs without key-ups between;
            // SDL marks them, so the panel can tell them from a second key.
            event = {down ? EventType::KeyDown : EventType::KeyUp, key, down && sdlEvent.key.repeat != 0};
            return true;
        }
        default:
            if (sdlEvent.type == tickEventType) {
                if (sdlEvent.user.code != timerGeneration.load() || !timerRunning) return false;
                tickPending = false;
                event = {EventType::Timer, 0};
                return true;
            }
            return false;
        }
    }
};

SdlWindow::SdlWindow() : impl(std::make_unique<Impl>()) {
    // Only the window reports closing; the program decides what ends it.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A text board needs no 3-D driver behind its surface: without this SDL
    // loads the GL stack (tens of megabytes, and CPU at every present).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (startSdl(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        impl->error = std::string("no display for the window (") + SDL_GetError() +
                      "); run it in a graphical session or set DISPLAY";
        return;
    }
    // Video stays up until the process ends (see ~Impl).
    // With no display SDL settles for a driver that shows nothing; a window
    // nobody can see or type into would leave the program waiting for ever.
    // Those drivers are used only when asked for by name (SDL_VIDEODRIVER).
    if (headlessUnasked()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        impl->error = "no display for the window (set DISPLAY, or run it in a graphical session)";
        return;
    }
    if (TTF_Init() != 0) {
        impl->error = std::string("cannot start the font renderer: ") + TTF_GetError();
        return;
    }
    impl->ttfStarted = true;
    impl->tickEventType = SDL_RegisterEvents(1);
    if (impl->tickEventType == static_cast<Uint32>(-1)) {
        impl->error = "no SDL user event left for the timer";
        return;
    }
    SDL_StopTextInput();  // keys only; no input method
}

SdlWindow::~SdlWindow() = default;

bool SdlWindow::available() const { return impl->error.empty(); }

const std::string& SdlWindow::error() const { return impl->error; }

bool SdlWindow::open(const std::string& title, int left, int top, int width, int height) {
    if (!available() || width <= 0 || height <= 0) return false;
    impl->closeWindow();
    // Not resizable: SDL then pins the size for the window manager, which also
    // leaves out the maximise button.
    impl->window = SDL_CreateWindow(title.c_str(), left, top, width, height, SDL_WINDOW_SHOWN);
    if (!impl->window) {
        impl->error = std::string("cannot open the window: ") + SDL_GetError();
        return false;
    }
    impl->canvas.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888));
    if (!impl->canvas) {
        impl->error = std::string("cannot make the window's canvas: ") + SDL_GetError();
        impl->closeWindow();
        return false;
    }
    SDL_FillRect(impl->canvas.get(), nullptr, SDL_MapRGB(impl->canvas->format, paper.r, paper.g, paper.b));
    if (!impl->font) impl->selectFont(initialFont);
    impl->present(nullptr);
    return true;
}

void SdlWindow::close() { impl->closeWindow(); }

void SdlWindow::startTimer(int periodMs) { impl->startTimer(periodMs); }

void SdlWindow::stopTimer() { impl->stopTimer(); }

Event SdlWindow::waitEvent() {
    Event event;
    SDL_Event sdlEvent;
    for (;;) {
        if (!available()) return {EventType::Close, 0};
        if (SDL_WaitEvent(&sdlEvent) == 0) return {EventType::Close, 0};  // the event system failed
        if (impl->translate(sdlEvent, event)) return event;
    }
}

bool SdlWindow::pollEvent(Event& event) {
    if (!available()) return false;
    // SDL ends a poll at a marker it queues behind the events it has seen; one
    // left over from an earlier wait can hide events queued since, so a poll
    // that stops goes round once more.
    SDL_Event sdlEvent;
    for (int round = 0; round < 2; ++round) {
        while (SDL_PollEvent(&sdlEvent) == 1) {
            if (impl->translate(sdlEvent, event)) return true;
        }
    }
    return false;
}

void SdlWindow::setFont(const Font& font) {
    if (impl->ttfStarted) impl->selectFont(font);
}

void SdlWindow::drawText(int x, int y, const std::string& text) {
    if (!impl->canvas || !impl->font || text.empty()) return;
    // The text's bytes are taken as Latin-1, so no byte sequence can fail to render.
    std::unique_ptr<SDL_Surface, SurfaceFree> rendered(TTF_RenderText_Shaded(impl->font, text.c_str(), ink, paper));
    if (!rendered) return;
    SDL_Rect area{x, y, rendered->w, rendered->h};
    SDL_BlitSurface(rendered.get(), nullptr, impl->canvas.get(), &area);  // clips `area` to the canvas
    if (area.w > 0 && area.h > 0) impl->present(&area);
}

}  // namespace vocrig::platform::sdl
