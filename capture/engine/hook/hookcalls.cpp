// The wrapped text calls: each one draws exactly as before, and while a probe runs, first
// records what it is about to draw with the cell of every character.
#include "hook.h"

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <strings.h>

// The few cairo and pango calls the hook makes, declared here so that the hook needs neither
// library to build or to load: it only calls them inside a program that already has them.
extern "C" {
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoLayout PangoLayout;
struct PangoRectangle {
    int x, y, width, height;
};
cairo_surface_t* cairo_get_target(cairo_t*);
int cairo_surface_get_type(cairo_surface_t*);
Drawable cairo_xlib_surface_get_drawable(cairo_surface_t*);
void cairo_surface_get_device_offset(cairo_surface_t*, double*, double*);
void cairo_get_current_point(cairo_t*, double*, double*);
void cairo_user_to_device(cairo_t*, double*, double*);
const char* pango_layout_get_text(PangoLayout*);
void pango_layout_index_to_pos(PangoLayout*, int, PangoRectangle*);
void pango_cairo_show_layout(cairo_t*, PangoLayout*);
}

namespace yv::capture::hook {

namespace {

constexpr const char* kX11 = "libX11.so.6";
constexpr const char* kXft = "libXft.so.2";
constexpr const char* kCairo = "libcairo.so.2";
constexpr const char* kPango = "libpango-1.0.so.0";
constexpr const char* kPangoCairo = "libpangocairo-1.0.so.0";
constexpr int kCairoXlibSurface = 3;
constexpr double kPangoScale = 1024.0;
constexpr int kMaxChars = area::kMaxCallChars;

#define YV_LOADED(fn, library) static const auto fn##_ = reinterpret_cast<decltype(&::fn)>(loadedFunction(#fn, library))
#define YV_NEXT(fn, library)                                                                                         \
    static const auto real = reinterpret_cast<decltype(&::fn)>(                                                      \
        nextFunction(#fn, library, reinterpret_cast<const void*>(&::fn)))

// How the codes of a core font are read.
enum class CoreEncoding { Latin, Kana, Unicode, Jis, Other };

struct CoreFont {
    Display* display = nullptr;
    Font id = 0;
    XFontStruct* info = nullptr;
    CoreEncoding encoding = CoreEncoding::Other;
};

constexpr int kFontCacheSize = 16;
CoreFont g_fonts[kFontCacheSize];
int g_nextFontSlot = 0;

CoreEncoding encodingOf(Display* display, XFontStruct* info)
{
    YV_LOADED(XInternAtom, kX11);
    YV_LOADED(XGetFontProperty, kX11);
    YV_LOADED(XGetAtomName, kX11);
    YV_LOADED(XFree, kX11);
    if (!XInternAtom_ || !XGetFontProperty_ || !XGetAtomName_ || !XFree_)
        return CoreEncoding::Other;
    const Atom registryAtom = XInternAtom_(display, "CHARSET_REGISTRY", True);
    unsigned long value = 0;
    if (registryAtom == None || !XGetFontProperty_(info, registryAtom, &value) || value == None)
        return CoreEncoding::Latin;
    char* name = XGetAtomName_(display, value);
    if (!name)
        return CoreEncoding::Other;
    CoreEncoding encoding = CoreEncoding::Other;
    if (::strncasecmp(name, "ISO10646", 8) == 0)
        encoding = CoreEncoding::Unicode;
    else if (::strncasecmp(name, "JISX0208", 8) == 0)
        encoding = CoreEncoding::Jis;
    else if (::strncasecmp(name, "JISX0201", 8) == 0)
        encoding = CoreEncoding::Kana;
    else if (::strncasecmp(name, "ISO8859", 7) == 0)
        encoding = CoreEncoding::Latin;
    XFree_(name);
    return encoding;
}

// The font a GC draws with. A GC whose font was never set reports no usable id: its
// graphics context stands for the font then.
const CoreFont* coreFontOf(Display* display, GC gc)
{
    YV_LOADED(XGetGCValues, kX11);
    YV_LOADED(XGContextFromGC, kX11);
    YV_LOADED(XQueryFont, kX11);
    YV_LOADED(XFreeFontInfo, kX11);
    if (!XGetGCValues_ || !XGContextFromGC_ || !XQueryFont_ || !XFreeFontInfo_)
        return nullptr;
    XGCValues values{};
    Font id = 0;
    if (XGetGCValues_(display, gc, GCFont, &values) && values.font != 0 && (values.font >> 29) == 0)
        id = values.font;
    else
        id = XGContextFromGC_(gc);
    for (const CoreFont& f : g_fonts)
        if (f.info && f.display == display && f.id == id)
            return &f;
    XFontStruct* info = XQueryFont_(display, id);
    if (!info)
        return nullptr;
    CoreFont& slot = g_fonts[g_nextFontSlot];
    g_nextFontSlot = (g_nextFontSlot + 1) % kFontCacheSize;
    if (slot.info)
        XFreeFontInfo_(nullptr, slot.info, 1);
    slot = {display, id, info, encodingOf(display, info)};
    return &slot;
}

DrawnChar cellAt(std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t height, int index)
{
    DrawnChar c{};
    c.left = left;
    c.right = std::max(right, left + 1);
    c.top = top;
    c.bottom = top + std::max<std::int32_t>(height, 1);
    c.index = index;
    c.lineHeight = static_cast<std::uint16_t>(std::clamp<std::int32_t>(height, 1, 0xFFFF));
    return c;
}

void recordCore8(Display* display, Drawable drawable, GC gc, int x, int y, const char* text, int length)
{
    Recording rec(drawable);
    if (!rec.active() || !text || length <= 0)
        return;
    ProcessLock lock;
    const CoreFont* font = coreFontOf(display, gc);
    YV_LOADED(XTextWidth, kX11);
    if (!font || !XTextWidth_)
        return;
    const std::int32_t height = font->info->ascent + font->info->descent;
    std::int32_t left = x;
    for (int i = 0; i < std::min(length, kMaxChars); ++i) {
        const std::int32_t width = XTextWidth_(font->info, text + i, 1);
        DrawnChar c = cellAt(left, left + width, y - font->info->ascent, height, i + 1);
        c.character = static_cast<unsigned char>(text[i]);
        c.kind = area::RecordKind::Ansi;
        c.charSet = font->encoding == CoreEncoding::Kana ? area::kShiftJisCharSet : area::kAnsiCharSet;
        rec.add(c);
        left += width;
    }
}

void recordCore16(Display* display, Drawable drawable, GC gc, int x, int y, const XChar2b* text, int length)
{
    Recording rec(drawable);
    if (!rec.active() || !text || length <= 0)
        return;
    ProcessLock lock;
    const CoreFont* font = coreFontOf(display, gc);
    YV_LOADED(XTextWidth16, kX11);
    if (!font || !XTextWidth16_)
        return;
    const std::int32_t height = font->info->ascent + font->info->descent;
    std::int32_t left = x;
    for (int i = 0; i < std::min(length, kMaxChars); ++i) {
        const std::int32_t width = XTextWidth16_(font->info, const_cast<XChar2b*>(text + i), 1);
        DrawnChar c = cellAt(left, left + width, y - font->info->ascent, height, i + 1);
        const std::uint32_t code = (std::uint32_t{text[i].byte1} << 8) | text[i].byte2;
        c.charSet = area::kShiftJisCharSet;
        if (font->encoding == CoreEncoding::Jis) {
            c.kind = area::RecordKind::Jis;
            c.character = code;
        } else {
            c.kind = area::RecordKind::Wide;
            c.character = font->encoding == CoreEncoding::Unicode ? code : 0xFFFD;
        }
        rec.add(c);
        left += width;
    }
}

// Text of a font set, already in wide characters.
void recordFontSet(Drawable drawable, XFontSet fontSet, int x, int y, const wchar_t* text, int length, Recording& rec)
{
    YV_LOADED(XwcTextEscapement, kX11);
    YV_LOADED(XExtentsOfFontSet, kX11);
    if (!XwcTextEscapement_ || !XExtentsOfFontSet_ || !fontSet)
        return;
    const XFontSetExtents* extents = XExtentsOfFontSet_(fontSet);
    if (!extents)
        return;
    const XRectangle logical = extents->max_logical_extent;
    std::int32_t left = x;
    for (int i = 0; i < length; ++i) {
        const std::int32_t right = x + XwcTextEscapement_(fontSet, const_cast<wchar_t*>(text), i + 1);
        DrawnChar c = cellAt(left, right, y + logical.y, logical.height, i + 1);
        c.character = text[i] >= 0 && text[i] <= 0xFFFF ? static_cast<std::uint32_t>(text[i]) : 0xFFFD;
        c.kind = area::RecordKind::Wide;
        c.charSet = area::kShiftJisCharSet;
        rec.add(c);
        left = right;
    }
    (void)drawable;
}

// UTF-8 decoded into at most `maxChars` characters; a bad byte becomes U+FFFD.
int decodeUtf8(const unsigned char* s, int bytes, std::uint32_t* out, int maxChars = kMaxChars)
{
    int n = 0;
    for (int i = 0; i < bytes && n < maxChars;) {
        const unsigned char b = s[i];
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        std::uint32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        if (extra < 0 || i + extra >= bytes + (extra == 0 ? 1 : 0)) {
            out[n++] = 0xFFFD;
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                ok = false;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        out[n++] = ok ? c : 0xFFFD;
        i += ok ? extra + 1 : 1;
    }
    return n;
}

void recordMultiByte(Drawable drawable, XFontSet fontSet, int x, int y, const char* text, int bytes, bool utf8)
{
    Recording rec(drawable);
    if (!rec.active() || !text || bytes <= 0)
        return;
    ProcessLock lock;
    wchar_t wide[kMaxChars];
    int n = 0;
    if (utf8) {
        std::uint32_t codes[kMaxChars];
        n = decodeUtf8(reinterpret_cast<const unsigned char*>(text), bytes, codes);
        for (int i = 0; i < n; ++i)
            wide[i] = static_cast<wchar_t>(codes[i]);
    } else {
        std::mbstate_t state{};
        for (int i = 0; i < bytes && n < kMaxChars;) {
            wchar_t c = 0;
            const std::size_t used = std::mbrtowc(&c, text + i, static_cast<std::size_t>(bytes - i), &state);
            if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
                state = {};
                c = 0xFFFD;
                ++i;
            } else {
                i += used == 0 ? 1 : static_cast<int>(used);
            }
            wide[n++] = c;
        }
    }
    recordFontSet(drawable, fontSet, x, y, wide, n, rec);
}

void recordXft(XftDraw* draw, XftFont* font, int x, int y, const std::uint32_t* codes, int n)
{
    YV_LOADED(XftDrawDrawable, kXft);
    YV_LOADED(XftDrawDisplay, kXft);
    YV_LOADED(XftTextExtents32, kXft);
    if (!draw || !font || n <= 0 || !XftDrawDrawable_ || !XftDrawDisplay_ || !XftTextExtents32_)
        return;
    Recording rec(XftDrawDrawable_(draw));
    if (!rec.active())
        return;
    ProcessLock lock;
    Display* display = XftDrawDisplay_(draw);
    const std::int32_t height = font->ascent + font->descent;
    std::int32_t left = x;
    for (int i = 0; i < std::min(n, kMaxChars); ++i) {
        FcChar32 c32 = codes[i];
        XGlyphInfo glyph{};
        XftTextExtents32_(display, font, &c32, 1, &glyph);
        DrawnChar c = cellAt(left, left + glyph.xOff, y - font->ascent, height, i + 1);
        c.character = codes[i] <= 0xFFFF ? codes[i] : 0xFFFD;
        c.kind = area::RecordKind::Wide;
        c.charSet = area::kShiftJisCharSet;
        rec.add(c);
        left += glyph.xOff;
    }
}

// The last character of the last positioned-glyph call: terminals draw a row in several
// calls (one for each run of wide characters), and the cells run on across them.
struct LastSpecCell {
    std::uint32_t generation = 0;
    Drawable drawable = 0;
    int y = 0;
    int right = 0;
    int reach = 0;
    int slot = -1;
};
LastSpecCell g_lastSpec;

template <typename Spec>
void recordXftSpecs(XftDraw* draw, XftFont* commonFont, const Spec* specs, int n)
{
    YV_LOADED(XftDrawDrawable, kXft);
    YV_LOADED(XftDrawDisplay, kXft);
    YV_LOADED(XftTextExtents32, kXft);
    if (!draw || !specs || n <= 0 || !XftDrawDrawable_ || !XftDrawDisplay_ || !XftTextExtents32_)
        return;
    Recording rec(XftDrawDrawable_(draw));
    if (!rec.active())
        return;
    ProcessLock lock;
    Display* display = XftDrawDisplay_(draw);
    const Drawable drawable = XftDrawDrawable_(draw);
    for (int i = 0; i < std::min(n, kMaxChars); ++i) {
        XftFont* font = commonFont;
        if constexpr (std::is_same_v<Spec, XftCharFontSpec>)
            font = specs[i].font;
        if (!font)
            continue;
        FcChar32 c32 = specs[i].ucs4;
        XGlyphInfo glyph{};
        XftTextExtents32_(display, font, &c32, 1, &glyph);
        // Terminals place characters in cells wider than their glyphs (as wide as the font's
        // widest glyph, twice that for wide characters): the cell runs on to the next character
        // of the same row when that one follows within two such cells.
        const int reach = 2 * std::max({static_cast<int>(glyph.xOff), font->max_advance_width, 1});
        std::int32_t right = specs[i].x + glyph.xOff;
        if (i + 1 < n && specs[i + 1].y == specs[i].y && specs[i + 1].x > right && specs[i + 1].x - specs[i].x <= reach)
            right = specs[i + 1].x;
        DrawnChar c = cellAt(specs[i].x, right, specs[i].y - font->ascent, font->ascent + font->descent, i + 1);
        c.character = c32 <= 0xFFFF ? c32 : 0xFFFD;
        c.kind = area::RecordKind::Wide;
        c.charSet = area::kShiftJisCharSet;
        // The previous call's last cell runs on to this one when it follows within two advances.
        const LastSpecCell& last = g_lastSpec;
        if (i == 0 && last.slot >= 0 && last.generation == rec.generation() && last.drawable == drawable &&
            last.y == specs[0].y && specs[0].x > last.right &&
            specs[0].x - last.right <= std::max(last.reach, reach))
            rec.widen(last.slot, specs[0].x);
        const int slot = rec.add(c);
        g_lastSpec = {rec.generation(), drawable, specs[i].y, c.right, reach, slot};
    }
}

void recordLayout(cairo_t* cr, PangoLayout* layout)
{
    YV_LOADED(cairo_get_target, kCairo);
    YV_LOADED(cairo_surface_get_type, kCairo);
    YV_LOADED(cairo_xlib_surface_get_drawable, kCairo);
    YV_LOADED(cairo_surface_get_device_offset, kCairo);
    YV_LOADED(cairo_get_current_point, kCairo);
    YV_LOADED(cairo_user_to_device, kCairo);
    YV_LOADED(pango_layout_get_text, kPango);
    YV_LOADED(pango_layout_index_to_pos, kPango);
    if (!cr || !layout || !cairo_get_target_ || !cairo_surface_get_type_ || !cairo_xlib_surface_get_drawable_ ||
        !cairo_surface_get_device_offset_ || !cairo_get_current_point_ || !cairo_user_to_device_ ||
        !pango_layout_get_text_ || !pango_layout_index_to_pos_)
        return;
    cairo_surface_t* surface = cairo_get_target_(cr);
    if (!surface || cairo_surface_get_type_(surface) != kCairoXlibSurface)
        return;
    Recording rec(cairo_xlib_surface_get_drawable_(surface));
    if (!rec.active())
        return;
    const char* text = pango_layout_get_text_(layout);
    if (!text)
        return;
    ProcessLock lock;
    double originX = 0, originY = 0, offsetX = 0, offsetY = 0;
    cairo_get_current_point_(cr, &originX, &originY);
    cairo_surface_get_device_offset_(surface, &offsetX, &offsetY);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int length = static_cast<int>(std::strlen(text));
    int index = 0;
    for (int i = 0; i < length && index < kMaxChars;) {
        std::uint32_t code = 0;
        decodeUtf8(bytes + i, std::min(4, length - i), &code, 1);
        const unsigned char b = bytes[i];
        const int size = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        PangoRectangle pos{};
        pango_layout_index_to_pos_(layout, i, &pos);
        double x0 = originX + std::min(pos.x, pos.x + pos.width) / kPangoScale;
        double y0 = originY + pos.y / kPangoScale;
        double x1 = originX + std::max(pos.x, pos.x + pos.width) / kPangoScale;
        double y1 = originY + (pos.y + pos.height) / kPangoScale;
        cairo_user_to_device_(cr, &x0, &y0);
        cairo_user_to_device_(cr, &x1, &y1);
        const auto px = [](double v, double offset) { return static_cast<std::int32_t>(v + offset + 0.5); };
        DrawnChar c = cellAt(px(x0, offsetX), px(x1, offsetX), px(y0, offsetY), px(y1, offsetY) - px(y0, offsetY), ++index);
        c.character = code <= 0xFFFF ? code : 0xFFFD;
        c.kind = area::RecordKind::Wide;
        c.charSet = area::kShiftJisCharSet;
        if (code != '\n' && code != '\r')
            rec.add(c);
        i += std::min(size, length - i);
    }
}

} // namespace

} // namespace yv::capture::hook

using namespace yv::capture::hook;

#define YV_HOOK extern "C" __attribute__((visibility("default")))

YV_HOOK int XDrawString(Display* display, Drawable d, GC gc, int x, int y, const char* text, int length)
{
    YV_NEXT(XDrawString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordCore8(display, d, gc, x, y, text, length);
    return real ? real(display, d, gc, x, y, text, length) : 0;
}

YV_HOOK int XDrawImageString(Display* display, Drawable d, GC gc, int x, int y, const char* text, int length)
{
    YV_NEXT(XDrawImageString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordCore8(display, d, gc, x, y, text, length);
    return real ? real(display, d, gc, x, y, text, length) : 0;
}

YV_HOOK int XDrawString16(Display* display, Drawable d, GC gc, int x, int y, const XChar2b* text, int length)
{
    YV_NEXT(XDrawString16, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordCore16(display, d, gc, x, y, text, length);
    return real ? real(display, d, gc, x, y, text, length) : 0;
}

YV_HOOK int XDrawImageString16(Display* display, Drawable d, GC gc, int x, int y, const XChar2b* text, int length)
{
    YV_NEXT(XDrawImageString16, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordCore16(display, d, gc, x, y, text, length);
    return real ? real(display, d, gc, x, y, text, length) : 0;
}

YV_HOOK void XmbDrawString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const char* text, int bytes)
{
    YV_NEXT(XmbDrawString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordMultiByte(d, fs, x, y, text, bytes, false);
    if (real)
        real(display, d, fs, gc, x, y, text, bytes);
}

YV_HOOK void XmbDrawImageString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const char* text,
                                int bytes)
{
    YV_NEXT(XmbDrawImageString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordMultiByte(d, fs, x, y, text, bytes, false);
    if (real)
        real(display, d, fs, gc, x, y, text, bytes);
}

YV_HOOK void Xutf8DrawString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const char* text, int bytes)
{
    YV_NEXT(Xutf8DrawString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordMultiByte(d, fs, x, y, text, bytes, true);
    if (real)
        real(display, d, fs, gc, x, y, text, bytes);
}

YV_HOOK void Xutf8DrawImageString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const char* text,
                                  int bytes)
{
    YV_NEXT(Xutf8DrawImageString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordMultiByte(d, fs, x, y, text, bytes, true);
    if (real)
        real(display, d, fs, gc, x, y, text, bytes);
}

static void recordWide(Drawable d, XFontSet fs, int x, int y, const wchar_t* text, int length)
{
    Recording rec(d);
    if (!rec.active() || !text || length <= 0)
        return;
    ProcessLock lock;
    recordFontSet(d, fs, x, y, text, std::min(length, kMaxChars), rec);
}

YV_HOOK void XwcDrawString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const wchar_t* text, int length)
{
    YV_NEXT(XwcDrawString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordWide(d, fs, x, y, text, length);
    if (real)
        real(display, d, fs, gc, x, y, text, length);
}

YV_HOOK void XwcDrawImageString(Display* display, Drawable d, XFontSet fs, GC gc, int x, int y, const wchar_t* text,
                                int length)
{
    YV_NEXT(XwcDrawImageString, kX11);
    const Nesting nesting;
    if (nesting.outermost())
        recordWide(d, fs, x, y, text, length);
    if (real)
        real(display, d, fs, gc, x, y, text, length);
}

YV_HOOK int XCopyArea(Display* display, Drawable src, Drawable dst, GC gc, int srcX, int srcY, unsigned width,
                      unsigned height, int dstX, int dstY)
{
    YV_NEXT(XCopyArea, kX11);
    {
        Recording rec(dst);
        if (rec.active() && rec.onTarget())
            rec.copied(src, srcX, srcY, width, height, dstX, dstY);
    }
    return real ? real(display, src, dst, gc, srcX, srcY, width, height, dstX, dstY) : 0;
}

template <typename Unit>
static void recordXftUnits(XftDraw* draw, XftFont* font, int x, int y, const Unit* text, int length)
{
    if (!text || length <= 0 || !recordingNow())
        return;
    std::uint32_t codes[kMaxChars];
    const int n = std::min(length, kMaxChars);
    for (int i = 0; i < n; ++i)
        codes[i] = text[i];
    recordXft(draw, font, x, y, codes, n);
}

YV_HOOK void XftDrawString8(XftDraw* draw, const XftColor* color, XftFont* font, int x, int y, const FcChar8* text, int length)
{
    YV_NEXT(XftDrawString8, kXft);
    const Nesting nesting;
    if (nesting.outermost())
        recordXftUnits(draw, font, x, y, text, length);
    if (real)
        real(draw, color, font, x, y, text, length);
}

YV_HOOK void XftDrawString16(XftDraw* draw, const XftColor* color, XftFont* font, int x, int y, const FcChar16* text,
                             int length)
{
    YV_NEXT(XftDrawString16, kXft);
    const Nesting nesting;
    if (nesting.outermost())
        recordXftUnits(draw, font, x, y, text, length);
    if (real)
        real(draw, color, font, x, y, text, length);
}

YV_HOOK void XftDrawString32(XftDraw* draw, const XftColor* color, XftFont* font, int x, int y, const FcChar32* text,
                             int length)
{
    YV_NEXT(XftDrawString32, kXft);
    const Nesting nesting;
    if (nesting.outermost())
        recordXftUnits(draw, font, x, y, text, length);
    if (real)
        real(draw, color, font, x, y, text, length);
}

YV_HOOK void XftDrawStringUtf8(XftDraw* draw, const XftColor* color, XftFont* font, int x, int y, const FcChar8* text,
                               int bytes)
{
    YV_NEXT(XftDrawStringUtf8, kXft);
    const Nesting nesting;
    if (nesting.outermost() && text && bytes > 0 && recordingNow()) {
        std::uint32_t codes[kMaxChars];
        recordXft(draw, font, x, y, codes, decodeUtf8(text, bytes, codes));
    }
    if (real)
        real(draw, color, font, x, y, text, bytes);
}

YV_HOOK void XftDrawCharSpec(XftDraw* draw, const XftColor* color, XftFont* font, const XftCharSpec* chars, int length)
{
    YV_NEXT(XftDrawCharSpec, kXft);
    const Nesting nesting;
    if (nesting.outermost())
        recordXftSpecs(draw, font, chars, length);
    if (real)
        real(draw, color, font, chars, length);
}

YV_HOOK void XftDrawCharFontSpec(XftDraw* draw, const XftColor* color, const XftCharFontSpec* chars, int length)
{
    YV_NEXT(XftDrawCharFontSpec, kXft);
    const Nesting nesting;
    if (nesting.outermost())
        recordXftSpecs<XftCharFontSpec>(draw, nullptr, chars, length);
    if (real)
        real(draw, color, chars, length);
}

YV_HOOK void pango_cairo_show_layout(cairo_t* cr, PangoLayout* layout)
{
    YV_NEXT(pango_cairo_show_layout, kPangoCairo);
    const Nesting nesting;
    if (nesting.outermost())
        recordLayout(cr, layout);
    if (real)
        real(cr, layout);
}
