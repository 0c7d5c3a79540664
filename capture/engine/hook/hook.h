// The hook library's inside: the capture area as a drawing program sees it, and the recording
// of drawn characters into it. Everything here runs inside other people's programs: it never
// allocates while recording is off, never raises an X error, and gives up quietly on any
// area it cannot trust.
#pragma once

#include <captureengine/capturearea.h>

#include <cstdint>

namespace yv::capture::hook {

// A drawn character in the coordinates of the drawable it was drawn into.
struct DrawnChar {
    std::uint32_t character;
    std::int32_t left, top, right, bottom;
    std::int32_t index;
    std::uint16_t lineHeight;
    area::RecordKind kind;
    std::uint8_t charSet;
};

// One wrapped call's view of a running probe. Empty (active() false) when recording is off
// in this process or there is no trustworthy area.
class Recording final {
public:
    explicit Recording(unsigned long drawable);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    bool active() const { return m_area != nullptr; }
    std::int32_t probeY() const { return m_probeY; }
    // Whether the drawable is one of the probe's windows (else it is drawn off screen, or is a
    // window of no interest: its text waits for a copy onto a target).
    bool onTarget() const { return m_target >= 0; }

    std::uint32_t generation() const { return m_generation; }

    // Records one character drawn into the drawable; the record's slot when it went straight
    // into the area, else -1.
    int add(const DrawnChar& c);
    // Runs the cell of the record in `slot` (of this probe) on to `right`, in the drawable's
    // coordinates, when that widens it.
    void widen(int slot, std::int32_t right);
    // The drawable was copied onto a target window: its waiting text goes with it.
    void copied(unsigned long source, int srcX, int srcY, unsigned width, unsigned height, int dstX, int dstY);

private:
    int append(const DrawnChar& c, std::int32_t dx, std::int32_t dy);

    area::CaptureArea* m_area = nullptr;
    unsigned long m_drawable;
    std::uint32_t m_generation = 0;
    std::int32_t m_probeX = 0, m_probeY = 0;
    int m_target = -1;
    std::int32_t m_originX = 0, m_originY = 0;
};

// Whether a probe is recording in this process now: one look, for the wrapped calls that would
// otherwise convert their text before they know.
bool recordingNow();

// Whether this thread is already inside a wrapped call (the outer call records, inner ones
// only draw).
class Nesting final {
public:
    Nesting();
    ~Nesting();
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    bool outermost() const { return m_outermost; }

private:
    bool m_outermost;
};

// Serialises the font look-ups and the recording of one process.
class ProcessLock final {
public:
    ProcessLock();
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
};

// Looks a wrapped function up in the libraries after this one, then in a library of that name
// that was loaded privately (dlopen'ed without RTLD_GLOBAL); never answers `self`, the wrapper.
void* nextFunction(const char* name, const char* library, const void* self);
// A function of a library the program has loaded (null when it has not).
void* loadedFunction(const char* name, const char* library);

} // namespace yv::capture::hook
