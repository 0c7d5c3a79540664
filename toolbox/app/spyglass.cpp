// The cursor-capture timer over the capture wrapper.
#include "spyglass.h"

#include "x11input.h"

#include <toolboxcore/capturetext.h>

#include <Etc.h>

#include <QCursor>

#include <dlfcn.h>

#include <array>
#include <cstring>
#include <vector>

namespace yv::toolbox {

namespace {

constexpr std::uint32_t kDefaultDelayMs = 1000;
// The line information the wrapper may fill for a sentence: size, count, lines above, a
// fourth value and 25 rectangles.
constexpr std::size_t kLineInfoSize = 416;

} // namespace

Spyglass::Spyglass(const std::filesystem::path& programDirectory, Notifier notify, QObject* parent)
    : QObject(parent)
    , m_notify(std::move(notify))
{
    const std::string file = (programDirectory / kWrapperFile).string();
    if (void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        m_getWords = reinterpret_cast<GetWords>(::dlsym(library, "MySNRGetWords"));
        m_getSentence = reinterpret_cast<GetSentence>(::dlsym(library, "MySNRGetSentence"));
        if (m_getWords && m_getSentence)
            m_library = library;
        else
            ::dlclose(library);
    }
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QPoint p = QCursor::pos();
        tick({p.x(), p.y()});
    });
}

Spyglass::~Spyglass()
{
    m_timer.stop();
    if (m_library)
        ::dlclose(m_library);
}

void Spyglass::start()
{
    m_timer.stop();
    if (!m_library)
        return;
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    if (!soft.spyglass)
        return;
    m_mode = soft.spyglassExec >= 1 && soft.spyglassExec <= 3 ? static_cast<ActionKind>(soft.spyglassExec)
                                                               : ActionKind::Dictionary;
    m_timer.start(static_cast<int>(soft.spyglassTime ? soft.spyglassTime : kDefaultDelayMs));
}

void Spyglass::stop()
{
    m_timer.stop();
}

void Spyglass::tick(ScreenPoint cursor)
{
    // Bringing up a box serves events, and so this timer: one capture at a time.
    if (!m_library || m_capturing || !m_tracker.tick(cursor))
        return;
    m_capturing = true;
    if (m_mode == ActionKind::Translate)
        captureSentence(cursor);
    else
        captureWords(cursor);
    m_capturing = false;
}

void Spyglass::captureSentence(ScreenPoint cursor)
{
    std::vector<char> text(kSentenceBufferSize, '\0');
    std::array<std::uint32_t, kLineInfoSize / 4> lineInfo{};
    lineInfo[0] = kLineInfoSize;
    if (!m_getSentence(cursor.x, cursor.y, text.data(), static_cast<int>(text.size()), lineInfo.data()))
        return;
    text.back() = '\0';  // the wrapper's text, terminated whatever it wrote
    const std::string cleaned = cleanCapturedSentence(std::string_view(text.data(), std::strlen(text.data())));
    // Taken before the editor comes to the front: the program the text came from.
    const WindowHandle source = x11input::windowAt(cursor.x, cursor.y);
    const BoxTarget box = boxOf(ActionKind::Translate);
    if (bringUpBox(box, m_notify) && !cleaned.empty())
        handOverText(box, cleaned, source, m_notify);
}

void Spyglass::captureWords(ScreenPoint cursor)
{
    std::vector<char> words(kWordBufferSize, '\0');
    std::vector<char> raw(kWordBufferSize, '\0');
    WordRect rect{};
    const int found = m_getWords(cursor.x, cursor.y, &rect, words.data(), static_cast<int>(words.size()), raw.data(),
                                 static_cast<int>(raw.size()));
    m_tracker.setWordRect({rect.left, rect.top, rect.right, rect.bottom});
    if (!found)
        return;
    words.back() = '\0';
    raw.back() = '\0';
    const std::string text(wordHandOverText(std::string_view(words.data(), std::strlen(words.data())),
                                            std::string_view(raw.data(), std::strlen(raw.data()))));
    const WindowHandle source = x11input::windowAt(cursor.x, cursor.y);
    const BoxTarget box = boxOf(m_mode);
    if (!bringUpBox(box, m_notify) || text.empty())
        return;
    if (m_mode == ActionKind::CdRom)
        sendSearchKey(text, source, m_notify);
    else
        handOverText(box, text, source, m_notify);
}

} // namespace yv::toolbox
