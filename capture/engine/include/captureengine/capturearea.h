// The capture area: one block of shared memory per user, written by the drawing programs that
// carry the hook library and read by the program that asks for a capture. Plain data only:
// every process maps it, none trusts what it finds there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace yv::capture::area {

// The block's name in the suite's shared-memory name space.
inline constexpr char kBlockName[] = "SNRMAP-CAPTURE";
inline constexpr std::uint32_t kMagic = 0x41435659;  // "YVCA"
inline constexpr std::uint32_t kLayoutVersion = 1;
inline constexpr int kMaxRecords = 256;
// The target window and its ancestors up to the program's top-level window.
inline constexpr int kMaxTargets = 8;
// Longest string recorded from one drawing call.
inline constexpr int kMaxCallChars = 255;
// How often a drawing program without an area looks for one again.
inline constexpr long kAreaRetryMilliseconds = 250;

enum class RecordKind : std::uint8_t {
    None = 0,
    Ansi = 1,  // one byte of an 8-bit font, in the character set of the record
    Wide = 2,  // one UTF-16 unit
    Jis = 3,   // a JIS X 0208 code from a two-byte core font
};

// Hit state as the capture call reports it.
inline constexpr std::int32_t kHitNone = 0;
inline constexpr std::int32_t kHitAnsi = -1;
inline constexpr std::int32_t kHitWide = 1;

// Character sets of the fonts (the Windows numbering the language rules use).
inline constexpr std::uint8_t kAnsiCharSet = 0;
inline constexpr std::uint8_t kSymbolCharSet = 2;
inline constexpr std::uint8_t kShiftJisCharSet = 128;

// One drawn character with its cell in screen pixels (right and bottom exclusive).
struct CharRecord {
    std::uint32_t generation;  // the probe that recorded it
    std::uint32_t character;
    std::int32_t left, top, right, bottom;
    std::int32_t index;  // 1-based position in the string of the call that drew it
    std::uint16_t lineHeight;
    RecordKind kind;
    std::uint8_t charSet;
};

// A window whose drawing is recorded, with its origin on the screen.
struct DrawTarget {
    std::uint32_t window;
    std::int32_t originX, originY;
};

struct CaptureArea {
    std::uint32_t magic;
    std::uint32_t layoutVersion;
    std::uint32_t areaSize;

    // Settings shared by every process.
    std::int32_t wordSpace;
    std::int32_t lineExtra;
    std::uint32_t ownerWindow;
    std::uint32_t substitutionEnabled;
    std::uint32_t lastCapturedWindow;

    // The probe, written by the capturing process before it switches recording on.
    std::uint32_t recording;   // read by every wrapped call
    std::uint32_t generation;  // one per probe
    std::int32_t probeX, probeY;
    std::uint32_t targetCount;
    DrawTarget targets[kMaxTargets];

    // Written by the drawing program while recording is on.
    std::uint32_t activity;  // wrapped calls on a target so far
    std::uint32_t writers;   // drawing processes inside the recording step now
    std::uint32_t recordCount;
    std::int32_t hitIndex;
    std::int32_t hitState;
    std::uint32_t hitCharSet;
    std::int32_t rowStep;
    std::uint32_t lineSeen[2];  // ANSI, Unicode text crossed the probe row
    std::int32_t copyOffsetX, copyOffsetY;  // of the last copy of drawn text onto a target
    CharRecord records[kMaxRecords];
};

static_assert(std::is_standard_layout_v<CaptureArea> && std::is_trivially_copyable_v<CaptureArea>);
static_assert(sizeof(CharRecord) == 32);

// Shared fields are read and written through these, never plainly: other processes write
// them at the same time.
template <typename T>
T load(const T& field)
{
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_acquire);
}

template <typename T>
void store(T& field, T value)
{
    std::atomic_ref<T>(field).store(value, std::memory_order_release);
}

template <typename T>
T fetchAdd(T& field, T delta)
{
    return std::atomic_ref<T>(field).fetch_add(delta, std::memory_order_acq_rel);
}

template <typename T>
T fetchSub(T& field, T delta)
{
    return std::atomic_ref<T>(field).fetch_sub(delta, std::memory_order_acq_rel);
}

template <typename T>
bool compareExchange(T& field, T expected, T desired)
{
    return std::atomic_ref<T>(field).compare_exchange_strong(expected, desired, std::memory_order_acq_rel);
}

// Whether a mapped block of `size` bytes holds an area of this layout.
inline bool headerValid(const CaptureArea& area, std::size_t size)
{
    return size >= sizeof(CaptureArea) && load(area.magic) == kMagic && load(area.layoutVersion) == kLayoutVersion &&
           load(area.areaSize) == sizeof(CaptureArea);
}

} // namespace yv::capture::area
