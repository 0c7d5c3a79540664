// The common message box and the C entry points of direction detection.
#include "Etc.h"

#include <etccore/direction.h>
#include <platform/messagebox.h>
#include <platform/textutil.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr std::size_t kPrintBoxBuffer = 2048;

} // namespace

extern "C" {

int PrintBox(WindowHandle owner, unsigned style, const char* format, ...)
{
    if (!format)
        return yv::msgbox::show(owner, style, "");
    char buffer[kPrintBoxBuffer];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string_view text(buffer, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
    // A cut text must not end inside a character.
    text = text.substr(0, yv::text::utf8CompleteLength(text));
    return yv::msgbox::show(owner, style, text);
}

int GetDirection(const char* text)
{
    return yv::etc::textDirection(text ? std::string_view(text) : std::string_view());
}

int GetTxtFileDirection(const char* path)
{
    return path ? yv::etc::textFileDirection(path) : yv::etc::kUnreadableFile;
}

int GetHtmlFileDirection(const char* path)
{
    return path ? yv::etc::htmlFileDirection(path) : yv::etc::kUnreadableFile;
}

} // extern "C"
