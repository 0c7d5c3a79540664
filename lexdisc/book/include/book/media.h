// The book's pictures and sounds: colour and monochrome graphics, wave data and CD-audio times.
#pragma once

#include <book/bookfile.h>
#include <book/displaymodel.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace yv::book {

// Pictures and sounds larger than this are taken for damaged data.
inline constexpr std::size_t kMaxMediaBytes = 32 * 1024 * 1024;

// Why a colour picture could not be loaded, as the bitmap loader says it.
enum class PictureError { NoFile, Open, Header, NotBitmap, Attributes, Memory, ImageData };
std::string_view pictureErrorText(PictureError error);
inline constexpr std::string_view kPictureErrorCaption = "ビットマップファイル読込み";

// The image file of a colour graphic: 8 bytes ("data" and its size) are skipped, then a
// bitmap file ("BM", its size) follows; JPEG data is passed on as it is.
std::variant<std::vector<std::uint8_t>, PictureError> readColourGraphic(const BookFile& text, TextPosition at);

// A monochrome graphic: rows of width / 8 bytes, one bit per pixel (1 is ink).
struct MonochromePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;
    bool ink(int x, int y) const;
};

// Reads the bitmap of the item's size at its position; nothing when it cannot be read or its
// size makes no sense.
std::optional<MonochromePicture> readMonochromeGraphic(const BookFile& text, const MonochromeGraphicItem& item);

struct WaveFormat {
    int channels = 1;
    int sampleRate = 0;
    int bitsPerSample = 8;
};

struct WaveSound {
    WaveFormat format;
    std::vector<std::uint8_t> samples;  // little-endian PCM as stored
    // The samples as signed 16-bit values, interleaved.
    std::vector<std::int16_t> pcm16() const;
};

// Sound mode: when (mode / 100) is odd the data is raw 8-bit PCM with (mode / 1000) + 1
// channels at 44,100, 22,050 or 11,025 samples a second for mode % 10 = 0, 1, 2; otherwise
// the data starts with its own "fmt " chunk, followed by its "data" chunk.
std::optional<WaveSound> parseWave(std::uint32_t mode, Bytes data);
// The bytes from the item's start to its end position (included) in the text file.
std::optional<WaveSound> readWave(const BookFile& text, const WaveItem& item);

// CD audio: play from (track, minutes, seconds) of the start to start + length; the decimal
// numbers' millions are minutes and their ten-thousands (modulo 100) seconds.
struct CdPlayRange {
    int track = 0;
    int startMinutes = 0;
    int startSeconds = 0;
    int endMinutes = 0;
    int endSeconds = 0;
};
CdPlayRange cdPlayRange(const CdAudioItem& item);

} // namespace yv::book
