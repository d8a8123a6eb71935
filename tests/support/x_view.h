#pragma once
// A connection of our own to the X server, to look at (and close) a program's
// window from outside, as a window manager would. Include after other headers:
// Xlib's macros and type names clash with many.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>

namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

class XView {
public:
    XView() : display(XOpenDisplay(nullptr)) {}
    bool ok() const { return display != nullptr; }

    // The top-level window with this exact title.
    ::Window find(const std::string& title) {
        ::Window root = DefaultRootWindow(display.get()), parent = 0, *children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (XQueryTree(display.get(), root, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                if (XFetchName(display.get(), children[i], &name) && name) {
                    if (title == name) found = children[i];
                    XFree(name);
                }
            }
            if (children) XFree(children);
        }
        return found;
    }

    // Pixels of the area that are dark (text ink), as the server shows them.
    int darkPixels(::Window window, int x, int y, int width, int height) {
        XSync(display.get(), False);
        XImage* image = XGetImage(display.get(), window, x, y, width, height, AllPlanes, ZPixmap);
        if (!image) return -1;
        int dark = 0;
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                const unsigned long pixel = XGetPixel(image, i, j);
                const unsigned r = (pixel >> 16) & 0xff, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
                if (r < 128 && g < 128 && b < 128) ++dark;
            }
        }
        XDestroyImage(image);
        return dark;
    }

    // What a window manager sends when the user closes the window.
    void requestClose(::Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display.get(), window, False, NoEventMask, &event);
        XFlush(display.get());
    }

    // The window's size as the server has it.
    bool size(::Window window, int& width, int& height) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display.get(), window, &attributes)) return false;
        width = attributes.width;
        height = attributes.height;
        return true;
    }

    void unmapAndMap(::Window window) {
        XUnmapWindow(display.get(), window);
        XSync(display.get(), False);
        XMapWindow(display.get(), window);
        XSync(display.get(), False);
    }

private:
    std::unique_ptr<Display, DisplayClose> display;
};

}  // namespace
