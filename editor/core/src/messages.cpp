// The editor's message helpers.
#include <editorcore/messages.h>

#include <platform/messagebox.h>

namespace yv::editor::messages {

std::string withPath(std::string_view message, std::string_view path)
{
    std::string out(message);
    if (const auto at = out.find("%s"); at != std::string::npos)
        out.replace(at, 2, path);
    return out;
}

void warn(std::string_view text)
{
    msgbox::show(0, msgbox::Ok | msgbox::IconExclamation, text);
}

} // namespace yv::editor::messages
