// The cursor-capture feature's decision per tick.
#include <toolboxcore/spyglass.h>

namespace yv::toolbox {

bool SpyglassTracker::tick(ScreenPoint cursor)
{
    if (cursor != m_previous || cursor == m_lastCaptured) {
        m_previous = cursor;
        return false;
    }
    if (m_wordRect.contains(cursor))
        return false;
    m_lastCaptured = cursor;
    return true;
}

} // namespace yv::toolbox
