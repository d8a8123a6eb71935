// The panel's window on Win32: a fixed-size window whose texts live on a kept
// canvas (a memory bitmap), key messages as virtual-key codes, WM_TIMER ticks.
#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <tuple>

#include "platform/win32.h"

namespace vocrig::platform::win32 {

namespace {

constexpr UINT_PTR tickTimerId = 1;
constexpr const char* windowClass = "VocrigPanel";
const Font initialFont{"Arial", 15, 400};

// Numeric keypad keys arrive with NumLock off as the navigation keys, told
// apart from the real ones by the extended-key bit being clear.
struct KeypadKey {
    int navigation;
    int keypad;
};
constexpr KeypadKey keypadKeys[] = {
    {VK_INSERT, VK_NUMPAD0}, {VK_END, VK_NUMPAD1},   {VK_DOWN, VK_NUMPAD2}, {VK_NEXT, VK_NUMPAD3},
    {VK_LEFT, VK_NUMPAD4},   {VK_CLEAR, VK_NUMPAD5}, {VK_RIGHT, VK_NUMPAD6}, {VK_HOME, VK_NUMPAD7},
    {VK_UP, VK_NUMPAD8},     {VK_PRIOR, VK_NUMPAD9}, {VK_DELETE, VK_DECIMAL},
};

constexpr intptr_t extendedKeyBit = intptr_t{1} << 24;
constexpr intptr_t previousStateBit = intptr_t{1} << 30;

}  // namespace

KeyMessage keyFromMessage(uintptr_t wParam, intptr_t lParam) {
    KeyMessage message{static_cast<int>(wParam & 0xFF), (lParam & previousStateBit) != 0};
    if (!(lParam & extendedKeyBit)) {
        for (const KeypadKey& k : keypadKeys)
            if (message.key == k.navigation) message.key = k.keypad;
    }
    return message;
}

struct Win32Window::Impl {
    HWND window = nullptr;
    HDC canvas = nullptr;  // memory device context holding what the window shows
    HBITMAP canvasBitmap = nullptr;
    HGDIOBJ canvasOldBitmap = nullptr;
    int width = 0, height = 0;
    std::map<std::tuple<std::string, int, int>, HFONT> fonts;
    HFONT font = nullptr;
    std::deque<Event> events;
    bool timerRunning = false;

    ~Impl() {
        closeWindow();
        for (auto& f : fonts) DeleteObject(f.second);
    }

    void closeWindow() {
        if (window) {
            if (timerRunning) KillTimer(window, tickTimerId);
            DestroyWindow(window);
        }
        timerRunning = false;
        window = nullptr;
        if (canvas) {
            SelectObject(canvas, canvasOldBitmap);
            DeleteDC(canvas);
        }
        if (canvasBitmap) DeleteObject(canvasBitmap);
        canvas = nullptr;
        canvasBitmap = nullptr;
    }

    void selectFont(const Font& wanted) {
        if (wanted.size <= 0 || wanted.face.empty()) return;
        auto key = std::make_tuple(wanted.face, wanted.size, wanted.weight);
        auto found = fonts.find(key);
        if (found == fonts.end()) {
            // A negative height asks for the character (em) height in pixels.
            HFONT f = CreateFontA(-wanted.size, 0, 0, 0, wanted.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, wanted.face.c_str());
            if (!f) return;
            found = fonts.emplace(key, f).first;
        }
        font = found->second;
    }

    // Called from the window procedure; keeps what the panel sees.
    bool handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                KeyMessage key = keyFromMessage(wParam, lParam);
                // With Alt held, and for F10 and Alt themselves, key presses are
                // system keys for the window (Alt+F4 closes it); they are not
                // the panel's. Releases always go through.
                if (message == WM_SYSKEYDOWN || key.key == VK_MENU || key.key == VK_F10) return false;
                Event e;
                e.type = EventType::KeyDown;
                e.key = key.key;
                e.repeat = key.repeat;
                events.push_back(e);
                return true;
            }
            case WM_KEYUP:
            case WM_SYSKEYUP: {
                Event e;
                e.type = EventType::KeyUp;
                e.key = keyFromMessage(wParam, lParam).key;
                events.push_back(e);
                return message == WM_KEYUP;  // Alt's release still goes to the system too
            }
            case WM_TIMER:
                if (wParam != tickTimerId || !timerRunning) return false;
                // Windows holds at most one tick in the queue, so a slow
                // handler is never buried under a backlog.
                events.push_back(Event{EventType::Timer, 0});
                return true;
            case WM_CLOSE:
                events.push_back(Event{EventType::Close, 0});
                return true;  // the program decides; the window stays until close()
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                if (canvas) {
                    const RECT& r = paint.rcPaint;
                    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, canvas, r.left, r.top, SRCCOPY);
                }
                EndPaint(window, &paint);
                return true;
            }
            default:
                return false;
        }
    }

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && self->window == hwnd && self->handle(message, wParam, lParam)) return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    void dispatch(MSG& msg) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
};

Win32Window::Win32Window() : impl(std::make_unique<Impl>()) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Impl::procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = windowClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        error_ = "cannot register the window class (error " + std::to_string(GetLastError()) + ")";
}

Win32Window::~Win32Window() = default;

bool Win32Window::open(const std::string& title, int left, int top, int width, int height) {
    if (!available() || width <= 0 || height <= 0) return false;
    impl->closeWindow();
    // Fixed size: no sizing border and no maximise box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, width, height};  // the size asked for is the drawing area's
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    impl->window = CreateWindowExA(0, windowClass, title.c_str(), style, left, top, frame.right - frame.left,
                                   frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), impl.get());
    if (!impl->window) {
        error_ = "cannot open the window (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    HDC screen = GetDC(impl->window);
    impl->canvas = CreateCompatibleDC(screen);
    impl->canvasBitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(impl->window, screen);
    if (!impl->canvas || !impl->canvasBitmap) {
        error_ = "cannot make the window's canvas";
        impl->closeWindow();
        return false;
    }
    impl->canvasOldBitmap = SelectObject(impl->canvas, impl->canvasBitmap);
    impl->width = width;
    impl->height = height;
    RECT all{0, 0, width, height};
    FillRect(impl->canvas, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!impl->font) impl->selectFont(initialFont);
    ShowWindow(impl->window, SW_SHOWNORMAL);
    UpdateWindow(impl->window);
    return true;
}

void Win32Window::close() { impl->closeWindow(); }

void Win32Window::startTimer(int periodMs) {
    stopTimer();
    if (!impl->window || periodMs <= 0) return;
    impl->timerRunning = SetTimer(impl->window, tickTimerId, static_cast<UINT>(periodMs), nullptr) != 0;
}

void Win32Window::stopTimer() {
    if (impl->window && impl->timerRunning) KillTimer(impl->window, tickTimerId);
    impl->timerRunning = false;
    // A tick already taken from the system but not yet handed out is dropped.
    std::erase_if(impl->events, [](const Event& e) { return e.type == EventType::Timer; });
}

Event Win32Window::waitEvent() {
    MSG msg;
    while (impl->events.empty()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) return Event{EventType::Close, 0};  // WM_QUIT or a failure
        impl->dispatch(msg);
    }
    Event e = impl->events.front();
    impl->events.pop_front();
    return e;
}

bool Win32Window::pollEvent(Event& event) {
    MSG msg;
    while (impl->events.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            impl->events.push_back(Event{EventType::Close, 0});
            break;
        }
        impl->dispatch(msg);
    }
    if (impl->events.empty()) return false;
    event = impl->events.front();
    impl->events.pop_front();
    return true;
}

void Win32Window::setFont(const Font& font) { impl->selectFont(font); }

void Win32Window::drawText(int x, int y, const std::string& text) {
    if (!impl->canvas || !impl->font || text.empty()) return;
    HGDIOBJ old = SelectObject(impl->canvas, impl->font);
    SetTextColor(impl->canvas, RGB(0, 0, 0));
    SetBkColor(impl->canvas, RGB(255, 255, 255));
    SetBkMode(impl->canvas, OPAQUE);  // a text drawn over a longer one wipes it out
    SIZE extent{};
    GetTextExtentPoint32A(impl->canvas, text.data(), static_cast<int>(text.size()), &extent);
    TextOutA(impl->canvas, x, y, text.data(), static_cast<int>(text.size()));
    SelectObject(impl->canvas, old);
    // Shown at once, not only at the next paint: the panel may speak for a
    // while before it takes messages again.
    RECT area{x, y, x + extent.cx, y + extent.cy};
    if (HDC dc = GetDC(impl->window)) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, impl->canvas, area.left,
               area.top, SRCCOPY);
        ReleaseDC(impl->window, dc);
    }
    ValidateRect(impl->window, &area);
}

}  // namespace vocrig::platform::win32
