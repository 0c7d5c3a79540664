// Draws text into a window in a tight loop and prints the microseconds one call took on
// average: core-font strings and Xft strings, each flushed to the server in the end. Run with
// and without the capture hook preloaded to see what the hook costs while nobody captures.
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCalls = 20000;
constexpr char kText[] = "The quick brown fox jumps over the lazy dog";

template <typename Draw>
double microsPerCall(Display* display, Draw draw)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i)
        draw(i);
    XSync(display, False);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kCalls;
}

} // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 400, 200, 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    GC gc = XCreateGC(display, window, 0, nullptr);
    XftDraw* draw = XftDrawCreate(display, window, DefaultVisual(display, screen), DefaultColormap(display, screen));
    XftFont* font = XftFontOpenName(display, screen, "monospace-12");
    XftColor colour{};
    colour.color.alpha = 0xFFFF;
    const int length = static_cast<int>(std::strlen(kText));
    const double core = microsPerCall(display, [&](int i) { XDrawString(display, window, gc, 4, 20 + i % 150, kText, length); });
    const double xft = font ? microsPerCall(display, [&](int i) {
        XftDrawStringUtf8(draw, &colour, font, 4, 20 + i % 150, reinterpret_cast<const FcChar8*>(kText), length);
    })
                            : 0.0;
    std::printf("%.4f %.4f\n", core, xft);
    if (font)
        XftFontClose(display, font);
    XftDrawDestroy(draw);
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}
