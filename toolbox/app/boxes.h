// Bringing up the suite's boxes and handing them texts, as the toolbox does on every thread:
// messages go through a notifier, so that a worker can have them shown by the toolbox.
#pragma once

#include <toolboxcore/toolboxtexts.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace yv::toolbox {

using WindowHandle = std::uint64_t;

// Shows a message (style bits of the message seam, UTF-8 text).
using Notifier = std::function<void(unsigned style, const std::string& text)>;

struct BoxTarget {
    std::string_view windowClass;
    std::string_view program;
};

BoxTarget boxOf(ActionKind kind);
BoxTarget batchBox();

// StartProgram: `name` from the toolbox's own directory with the blank-separated
// `arguments`; 0 when no such file exists there, else 1 (whether or not it could start).
int StartProgram(std::string_view name, std::string_view arguments = {});

// Finds the box's window or starts its program and waits for it (the missing program is
// reported), then has it come to the front. Nothing when it never appears.
std::optional<WindowHandle> bringUpBox(const BoxTarget& box, const Notifier& notify);

// Hands a CP932 text to the box with +8 and the window it came from.
void handOverText(const BoxTarget& box, std::string_view cp932, WindowHandle source, const Notifier& notify);
// Sends a CP932 search key to the CD-ROM viewer's search service.
void sendSearchKey(std::string_view cp932, WindowHandle source, const Notifier& notify);

} // namespace yv::toolbox
