// What layout needs to know about a font; the window supplies the real one.
#pragma once

#include <cstdint>

namespace yv::editor {

class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    // Advance width in pixels of a single-byte character (trail 0) or a CP932 double-byte one.
    virtual int advance(std::uint8_t lead, std::uint8_t trail) const = 0;
    virtual int lineHeight() const = 0;
};

} // namespace yv::editor
