// Reading pictures and sounds out of the text file.
#include <book/media.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace yv::book {

namespace {

constexpr std::size_t kGraphicPrefix = 8;  // "data" and the size
constexpr std::size_t kBitmapFileHeader = 14;
constexpr std::size_t kBitmapInfoHeader = 40;
constexpr int kMaxPictureDots = 4096;
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kPcmFormatSize = 16;

std::uint32_t readLe32(Bytes b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8
         | static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t readLe16(Bytes b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool validPosition(TextPosition at)
{
    return at.block != 0;
}

} // namespace

std::string_view pictureErrorText(PictureError error)
{
    switch (error) {
    case PictureError::NoFile: return "ファイル名が指定していない";
    case PictureError::Open: return "ファイルオープンで失敗";
    case PictureError::Header: return "ファイルヘッダ読込み失敗";
    case PictureError::NotBitmap: return "このファイルはＢＭＰファイルではない";
    case PictureError::Attributes: return "ファイル属性が読めない";
    case PictureError::Memory: return "読込み用メモリ獲得失敗";
    case PictureError::ImageData: return "イメージデータ読込み失敗";
    }
    return "";
}

std::variant<std::vector<std::uint8_t>, PictureError> readColourGraphic(const BookFile& text, TextPosition at)
{
    if (!validPosition(at))
        return PictureError::NoFile;
    if (!text.isOpen())
        return PictureError::Open;
    std::array<std::uint8_t, kGraphicPrefix + kBitmapFileHeader> head{};
    if (!text.readExactly(at.fileOffset(), head))
        return PictureError::Header;
    const Bytes header(head);
    std::size_t fileSize = 0;
    if (head[8] == 'B' && head[9] == 'M') {
        fileSize = readLe32(header, kGraphicPrefix + 2);
        if (fileSize < kBitmapFileHeader + kBitmapInfoHeader)
            return PictureError::Attributes;
    } else if (head[8] == 0xFF && head[9] == 0xD8 && std::memcmp(head.data(), "data", 4) == 0) {
        fileSize = readLe32(header, 4);
    } else {
        return PictureError::NotBitmap;
    }
    if (fileSize > kMaxMediaBytes)
        return PictureError::Memory;
    std::vector<std::uint8_t> file(fileSize);
    if (!text.readExactly(at.fileOffset() + kGraphicPrefix, file))
        return PictureError::ImageData;
    return file;
}

bool MonochromePicture::ink(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(width + 7) / 8;
    return rows[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8)] & (0x80 >> (x % 8));
}

std::optional<MonochromePicture> readMonochromeGraphic(const BookFile& text, const MonochromeGraphicItem& item)
{
    if (!validPosition(item.position) || item.width == 0 || item.height == 0 || item.width > kMaxPictureDots
        || item.height > kMaxPictureDots)
        return std::nullopt;
    MonochromePicture picture;
    picture.width = static_cast<int>(item.width);
    picture.height = static_cast<int>(item.height);
    picture.rows.resize(static_cast<std::size_t>(item.width + 7) / 8 * item.height);
    if (!text.readExactly(item.position.fileOffset(), picture.rows))
        return std::nullopt;
    return picture;
}

std::vector<std::int16_t> WaveSound::pcm16() const
{
    std::vector<std::int16_t> out;
    if (format.bitsPerSample == 8) {
        out.reserve(samples.size());
        for (const std::uint8_t s : samples)
            out.push_back(static_cast<std::int16_t>((s - 128) * 256));
    } else {
        out.reserve(samples.size() / 2);
        for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
            out.push_back(static_cast<std::int16_t>(readLe16(samples, i)));
    }
    return out;
}

std::optional<WaveSound> parseWave(std::uint32_t mode, Bytes data)
{
    WaveSound sound;
    if ((mode / 100) % 2 == 1) {
        static constexpr int kRates[] = {44100, 22050, 11025};
        const std::uint32_t channels = mode / 1000 + 1;
        if (mode % 10 > 2 || channels > 2)
            return std::nullopt;
        sound.format = {static_cast<int>(channels), kRates[mode % 10], 8};
        sound.samples.assign(data.begin(), data.end());
        return sound;
    }
    // A stored RIFF header is passed over; the chunks follow it.
    std::size_t at = 0;
    if (data.size() >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 && std::memcmp(data.data() + 8, "WAVE", 4) == 0)
        at = 12;
    bool haveFormat = false;
    while (at + kChunkHeader <= data.size()) {
        const std::uint32_t size = readLe32(data, at + 4);
        const std::size_t body = at + kChunkHeader;
        const std::size_t available = std::min<std::size_t>(size, data.size() - body);
        if (std::memcmp(data.data() + at, "fmt ", 4) == 0) {
            if (available < kPcmFormatSize || readLe16(data, body) != 1)
                return std::nullopt;
            sound.format.channels = readLe16(data, body + 2);
            sound.format.sampleRate = static_cast<int>(readLe32(data, body + 4));
            sound.format.bitsPerSample = readLe16(data, body + 14);
            haveFormat = true;
        } else if (std::memcmp(data.data() + at, "data", 4) == 0 && haveFormat) {
            sound.samples.assign(data.begin() + static_cast<std::ptrdiff_t>(body),
                                 data.begin() + static_cast<std::ptrdiff_t>(body + available));
            break;
        }
        at = body + available + (available & 1u);
    }
    const WaveFormat& f = sound.format;
    if (!haveFormat || f.channels < 1 || f.channels > 2 || f.sampleRate < 1000 || f.sampleRate > 192000
        || (f.bitsPerSample != 8 && f.bitsPerSample != 16))
        return std::nullopt;
    return sound;
}

std::optional<WaveSound> readWave(const BookFile& text, const WaveItem& item)
{
    if (!validPosition(item.start) || !validPosition(item.end) || item.end.fileOffset() < item.start.fileOffset())
        return std::nullopt;
    // The end position is the data's last byte.
    const std::uint64_t size = item.end.fileOffset() - item.start.fileOffset() + 1;
    if (size > kMaxMediaBytes)
        return std::nullopt;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    const auto read = text.readAt(item.start.fileOffset(), data);
    if (!read || *read == 0)
        return std::nullopt;
    data.resize(*read);
    return parseWave(item.mode, data);
}

CdPlayRange cdPlayRange(const CdAudioItem& item)
{
    constexpr std::uint32_t kSecondsPerMinute = 60;
    CdPlayRange range;
    range.track = static_cast<int>(item.track);
    const std::uint32_t startMinutes = item.start / 1000000;
    const std::uint32_t startSeconds = item.start / 10000 % 100;
    std::uint32_t endMinutes = startMinutes + item.length / 1000000;
    std::uint32_t endSeconds = startSeconds + item.length / 10000 % 100;
    endMinutes += endSeconds / kSecondsPerMinute;
    endSeconds %= kSecondsPerMinute;
    range.startMinutes = static_cast<int>(startMinutes);
    range.startSeconds = static_cast<int>(startSeconds);
    range.endMinutes = static_cast<int>(endMinutes);
    range.endSeconds = static_cast<int>(endSeconds);
    return range;
}

} // namespace yv::book
