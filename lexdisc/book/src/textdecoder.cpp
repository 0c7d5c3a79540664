// The text stream's control codes, characters and external characters, for entries and headings.
#include <book/textdecoder.h>

#include "widthtables_p.h"

#include <platform/codec.h>

#include <array>
#include <optional>

namespace yv::book {

namespace {

constexpr std::uint16_t kEndOfData = 0x0000;

// Bytes of the text file from a position on, chained across block ends.
class TextStream final {
public:
    TextStream(BlockSource& source, TextPosition start, std::size_t maxBlocks)
        : m_source(source), m_nextBlock(start.block + start.offset / kBlockSize),
          m_startOffset(start.offset % kBlockSize), m_maxBlocks(maxBlocks)
    {
    }

    bool next(std::uint16_t& code)
    {
        if (m_pushedBack) {
            code = *m_pushedBack;
            m_pushedBack.reset();
            return true;
        }
        std::array<std::uint8_t, 2> b{};
        if (!read(b))
            return false;
        code = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
        return true;
    }

    bool read(std::span<std::uint8_t> out)
    {
        for (std::uint8_t& byte : out) {
            if (!ensure())
                return false;
            byte = m_buffer[m_at++];
        }
        return true;
    }

    bool skip(std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (!ensure())
                return false;
            ++m_at;
        }
        return true;
    }

    // Gives the code back to be read again next.
    void pushBack(std::uint16_t code) { m_pushedBack = code; }

    // Nothing could be read at the start position.
    bool failedAtStart() const { return m_bytesDelivered == 0 && (m_error || m_exhausted); }

private:
    bool ensure()
    {
        while (m_at >= m_size) {
            if (m_exhausted || m_blocksLoaded == m_maxBlocks || m_nextBlock == 0) {
                m_exhausted = true;
                return false;
            }
            const auto bytes = m_source.block(m_nextBlock);
            if (!bytes) {
                m_error = true;
                m_exhausted = true;
                return false;
            }
            m_buffer = *bytes;
            m_size = m_buffer.size();
            m_at = m_blocksLoaded == 0 ? m_startOffset : 0;
            ++m_blocksLoaded;
            ++m_nextBlock;
            if (m_size < kBlockSize) {
                // The file ends in this block: what is left of it is the last of the stream.
                if (m_at >= m_size) {
                    m_exhausted = true;
                    return false;
                }
                m_maxBlocks = m_blocksLoaded;
            }
        }
        ++m_bytesDelivered;
        return true;
    }

    BlockSource& m_source;
    std::uint32_t m_nextBlock;
    std::size_t m_startOffset;
    std::size_t m_maxBlocks;
    Bytes m_buffer;  // the current block, lent by the source
    std::size_t m_size = 0;
    std::size_t m_at = 0;
    std::size_t m_blocksLoaded = 0;
    std::size_t m_bytesDelivered = 0;
    std::optional<std::uint16_t> m_pushedBack;
    bool m_error = false;
    bool m_exhausted = false;
};

bool isExternalCharacter(std::uint16_t code)
{
    const int hi = code >> 8;
    const int lo = code & 0xFF;
    return hi >= 0xA1 && hi <= 0xFE && lo <= 0x7E;
}

// Codes that end a heading taken from the text after its keyword.
bool isStructureCode(std::uint16_t code)
{
    if (code >= 0x1F02 && code <= 0x1F07)
        return true;
    if ((code >= 0x1F09 && code <= 0x1F0C) || (code >= 0x1F0E && code <= 0x1F15) || (code >= 0x1FE0 && code <= 0x1FE3))
        return true;
    if (code >= 0x1F31 && code <= 0x1F6F) {
        return !((code >= 0x1F3A && code <= 0x1F40) || code == 0x1F46 || code == 0x1F50
                 || (code >= 0x1F5A && code <= 0x1F60) || code == 0x1F66);
    }
    return false;
}

// Control codes whose construct is passed over up to its end code (the code + 0x20).
bool isSkippedToEndCode(std::uint16_t code)
{
    return (code >= 0x1F35 && code <= 0x1F3F) || code == 0x1F49 || code == 0x1F4B || code == 0x1F4C
        || code == 0x1F4E || code == 0x1F4F || (code >= 0x1F70 && code <= 0x1F8F);
}

DisplayCell textCell(std::uint16_t sjis)
{
    DisplayCell cell;
    cell.bytes = {static_cast<char>(sjis >> 8), static_cast<char>(sjis & 0xFF)};
    cell.length = 2;
    return cell;
}

DisplayCell byteCell(char c)
{
    DisplayCell cell;
    cell.bytes = {c, 0};
    cell.length = 1;
    return cell;
}

enum class Mode { Entry, Heading };
enum class HeadingStop { Newline, KeywordEnd, Structure };

class Decoder final {
public:
    Decoder(TextStream& stream, const GaijiResolver& gaiji, Mode mode, DisplayModel& model)
        : m_stream(stream), m_gaiji(gaiji), m_mode(mode), m_model(model)
    {
    }

    void runEntry()
    {
        std::uint16_t code = 0;
        while (m_stream.next(code)) {
            if (code == kEndOfData || code == 0x1F03)
                break;
            if ((code >> 8) == 0x1F) {
                if (!control(code))
                    break;
            } else {
                character(code);
            }
        }
        closeOpenRanges();
    }

    // Decodes until the stop code (returned) or the end of the data (0).
    std::uint16_t runHeading(HeadingStop stop)
    {
        std::uint16_t code = 0;
        while (m_headingBytes < kMaxHeadingBytes && m_stream.next(code)) {
            if (code == kEndOfData || code == 0x1F03)
                return 0;
            if (stop == HeadingStop::Newline && code == 0x1F0A)
                return code;
            if (stop == HeadingStop::KeywordEnd && (code == 0x1F41 || code == 0x1F61))
                return code;
            if (stop == HeadingStop::Structure && isStructureCode(code))
                return code;
            if ((code >> 8) == 0x1F) {
                if (!control(code))
                    return 0;
            } else {
                character(code);
            }
        }
        return 0;
    }

    bool skipParameters(std::size_t n) { return m_stream.skip(n); }

private:
    template <std::size_t N>
    std::optional<std::array<std::uint8_t, N>> parameters()
    {
        std::array<std::uint8_t, N> p{};
        if (!m_stream.read(p))
            return std::nullopt;
        return p;
    }

    void push(DisplayCell cell)
    {
        if (m_mode == Mode::Heading) {
            if (m_headingBytes + cell.length > kMaxHeadingBytes) {
                m_headingBytes = kMaxHeadingBytes;
                return;
            }
            m_headingBytes += cell.length;
        }
        m_model.cells.push_back(cell);
    }

    void character(std::uint16_t code)
    {
        if (isExternalCharacter(code)) {
            const GaijiAvailability available = m_gaiji ? m_gaiji(code) : GaijiAvailability{};
            if (!available.any()) {
                push(byteCell(' '));
                push(byteCell(' '));
                return;
            }
            DisplayCell cell;
            cell.length = 2;
            cell.bytes = {' ', ' '};
            cell.flags = CellFlag::ExternalCharacter;
            if ((m_halfWidth && available.half) || !available.full)
                cell.flags |= CellFlag::NarrowGlyph;
            cell.gaijiCode = code;
            push(cell);
            return;
        }
        const std::uint16_t sjis = codec::jisToSjis(code);
        if (sjis == 0) {
            const auto low = static_cast<unsigned char>(code & 0xFF);
            if (low >= 0x20 && low != 0x7F)
                push(byteCell(static_cast<char>(low)));
            return;
        }
        // A narrow range holds the characters as the book means them: half width.
        if (m_halfWidth) {
            std::array<char, 2> half{};
            if (const std::size_t n = Internal::halfWidthForm(sjis, half)) {
                for (std::size_t i = 0; i < n; ++i)
                    push(byteCell(half[i]));
                return;
            }
        }
        push(textCell(sjis));
    }

    void insertMarker(std::string_view middle, CellRange& cells)
    {
        cells.first = m_model.cells.size();
        push(textCell(0x816D));  // ［
        const std::uint16_t sjis = static_cast<std::uint16_t>(static_cast<unsigned char>(middle[0]) << 8
                                                              | static_cast<unsigned char>(middle[1]));
        push(textCell(sjis));
        push(textCell(0x816E));  // ］
        cells.last = m_model.cells.size() - 1;
    }

    void openRange(std::optional<std::size_t>& start) { start = m_model.cells.size(); }

    void closeRange(std::optional<std::size_t>& start, std::vector<CellRange>& ranges)
    {
        if (start && m_model.cells.size() > *start && m_mode == Mode::Entry)
            ranges.push_back({*start, m_model.cells.size() - 1});
        start.reset();
    }

    void closeOpenRanges()
    {
        closeRange(m_subscript, m_model.subscript);
        closeRange(m_superscript, m_model.superscript);
        closeRange(m_emphasis, m_model.emphasis);
        closeRange(m_noBreak, m_model.noBreak);
        closeRange(m_noWrap, m_model.noWrap);
        closeRange(m_keyword, m_model.keywords);
        if (m_halfWidth)
            closeRange(m_halfWidthStart, m_model.halfWidth);
    }

    // Passes over codes up to and including `end`.
    bool skipTo(std::uint16_t end)
    {
        std::uint16_t code = 0;
        while (m_stream.next(code)) {
            if (code == end)
                return true;
        }
        return false;
    }

    void newline()
    {
        if (m_mode == Mode::Heading)
            return;
        DisplayCell cell = byteCell('\r');
        cell.bytes[1] = '\n';
        cell.length = 2;
        cell.flags = CellFlag::LineBreak;
        cell.indent = m_indent;
        push(cell);
    }

    void indent(std::uint16_t level)
    {
        m_indent = level;
        // At the start of a line the new indent applies to that line already.
        if (m_model.cells.empty())
            m_model.firstIndent = level;
        else if (m_model.cells.back().isLineBreak())
            m_model.cells.back().indent = level;
    }

    bool entryItems() const { return m_mode == Mode::Entry; }

    // False ends the decoding.
    bool control(std::uint16_t code)
    {
        switch (code) {
        case 0x1F04:
            m_halfWidth = true;
            openRange(m_halfWidthStart);
            return true;
        case 0x1F05:
            m_halfWidth = false;
            closeRange(m_halfWidthStart, m_model.halfWidth);
            return true;
        case 0x1F06: openRange(m_subscript); return true;
        case 0x1F07: closeRange(m_subscript, m_model.subscript); return true;
        case 0x1F0E: openRange(m_superscript); return true;
        case 0x1F0F: closeRange(m_superscript, m_model.superscript); return true;
        case 0x1F10: openRange(m_noBreak); return true;
        case 0x1F11: closeRange(m_noBreak, m_model.noBreak); return true;
        case 0x1F12: openRange(m_emphasis); return true;
        case 0x1F13: closeRange(m_emphasis, m_model.emphasis); return true;
        case 0x1F0B: openRange(m_noWrap); return true;
        case 0x1F0C: closeRange(m_noWrap, m_model.noWrap); return true;
        case 0x1F09: {
            const auto p = parameters<2>();
            if (!p)
                return false;
            indent(readBe16(*p, 0));
            return true;
        }
        case 0x1F0A:
            newline();
            return true;
        case 0x1F14: {
            // Everything up to 0x1F15 is passed over; those codes all carry the high byte 0x1E.
            std::uint16_t inner = 0;
            while (m_stream.next(inner)) {
                if (inner == 0x1F15)
                    return true;
                if ((inner >> 8) != 0x1E) {
                    m_stream.pushBack(inner);
                    return true;
                }
            }
            return false;
        }
        case 0x1F41: {
            const auto p = parameters<2>();
            if (!p)
                return false;
            if (m_mode == Mode::Entry && m_keywordSeen && (*p)[0] == 1)
                return false;
            m_keywordSeen = true;
            openRange(m_keyword);
            return true;
        }
        case 0x1F61:
            closeRange(m_keyword, m_model.keywords);
            return true;
        case 0x1F42:
        case 0x1F43:
            openRange(m_reference);
            return true;
        case 0x1F62:
        case 0x1F63: {
            const auto p = parameters<6>();
            if (!p)
                return false;
            if (m_reference && entryItems() && m_model.cells.size() > *m_reference)
                m_model.references.push_back({{*m_reference, m_model.cells.size() - 1}, readBcdPosition(*p, 0)});
            m_reference.reset();
            return true;
        }
        case 0x1F44: {
            const auto p = parameters<10>();
            if (!p)
                return false;
            if (entryItems()) {
                MonochromeGraphicItem item;
                item.graphicId = readBcd(*p, 0, 2);
                item.height = readBcd4(*p, 2);
                item.width = readBcd4(*p, 6);
                insertMarker("\x90\x7D", item.cells);  // 図
                m_pendingMonochrome = item;
            }
            return true;
        }
        case 0x1F64: {
            const auto p = parameters<6>();
            if (!p)
                return false;
            if (m_pendingMonochrome) {
                m_pendingMonochrome->position = readBcdPosition(*p, 0);
                m_model.monochromeGraphics.push_back(*m_pendingMonochrome);
                m_pendingMonochrome.reset();
            }
            return true;
        }
        case 0x1F48: {
            const auto p = parameters<10>();
            if (!p)
                return false;
            addCdAudio(*p);
            return true;
        }
        case 0x1F4A: {
            const auto selector = parameters<2>();
            if (!selector)
                return false;
            const std::uint16_t kind = readBe16(*selector, 0);
            if (kind == 0) {
                const auto p = parameters<10>();
                if (!p)
                    return false;
                addCdAudio(*p);
            } else if (kind == 1) {
                const auto p = parameters<14>();
                if (!p)
                    return false;
                if (entryItems()) {
                    WaveItem item;
                    item.mode = readBcd(*p, 0, 2);
                    item.start = readBcdPosition(*p, 2);
                    item.end = readBcdPosition(*p, 8);
                    insertMarker("\x89\xB9", item.cells);  // 音
                    m_model.waves.push_back(item);
                }
            } else {
                return skipTo(0x1F6A);
            }
            return true;
        }
        case 0x1F4D: {
            const auto p = parameters<18>();
            if (!p)
                return false;
            if (entryItems()) {
                ColourGraphicItem item;
                item.kind = (*p)[0] & 0x0F;
                item.graphicId = readBcd(*p, 2, 2);
                item.position = readBcdPosition(*p, 12);
                insertMarker("\x90\x7D", item.cells);  // 図
                m_model.colourGraphics.push_back(item);
            }
            return true;
        }
        case 0x1F67: {
            // What follows in codes of the high byte 0x1E belongs to the ignored construct.
            std::uint16_t inner = 0;
            while (m_stream.next(inner)) {
                if ((inner >> 8) != 0x1E) {
                    m_stream.pushBack(inner);
                    return true;
                }
            }
            return false;
        }
        case 0x1FE0:
            return m_stream.skip(2);
        case 0x1FE2:
            return skipTo(0x1FE3);
        default:
            break;
        }
        if (code >= 0x1F1A && code <= 0x1F1F)
            return m_stream.skip(2);
        if (isSkippedToEndCode(code))
            return skipTo(static_cast<std::uint16_t>(code + 0x20));
        // Everything else, the end codes of the items above included, is ignored.
        return true;
    }

    void addCdAudio(const std::array<std::uint8_t, 10>& p)
    {
        if (!entryItems())
            return;
        CdAudioItem item;
        item.track = readBcd(p, 0, 2) / 100;
        item.start = readBcd4(p, 2);
        item.length = readBcd4(p, 6);
        insertMarker("\x89\xB9", item.cells);  // 音
        m_model.cdAudio.push_back(item);
    }

    TextStream& m_stream;
    const GaijiResolver& m_gaiji;
    Mode m_mode;
    DisplayModel& m_model;
    std::size_t m_headingBytes = 0;
    std::uint16_t m_indent = 0;
    bool m_halfWidth = false;
    bool m_keywordSeen = false;
    std::optional<std::size_t> m_halfWidthStart;
    std::optional<std::size_t> m_subscript;
    std::optional<std::size_t> m_superscript;
    std::optional<std::size_t> m_emphasis;
    std::optional<std::size_t> m_noBreak;
    std::optional<std::size_t> m_noWrap;
    std::optional<std::size_t> m_keyword;
    std::optional<std::size_t> m_reference;
    std::optional<MonochromeGraphicItem> m_pendingMonochrome;
};

} // namespace

DecodeStatus decodeEntry(BlockSource& source, TextPosition position, const GaijiResolver& gaiji, DisplayModel& model)
{
    model.clear();
    TextStream stream(source, position, kMaxEntryBlocks);
    Decoder decoder(stream, gaiji, Mode::Entry, model);
    decoder.runEntry();
    return stream.failedAtStart() ? DecodeStatus::ReadError : DecodeStatus::Ok;
}

HeadingResult decodeHeading(BlockSource& source, const HitRecord& hit, const GaijiResolver& gaiji)
{
    constexpr std::size_t kUsualHeadingCells = 48;
    HeadingResult result;
    DisplayModel model;
    model.cells.reserve(kUsualHeadingCells);
    if (hit.hasHeading) {
        TextStream stream(source, hit.heading, kMaxEntryBlocks);
        Decoder decoder(stream, gaiji, Mode::Heading, model);
        decoder.runHeading(HeadingStop::Newline);
        if (stream.failedAtStart()) {
            result.error = kHeadingFileError;
            result.diagnostic = "read error 2\n";
            return result;
        }
    } else {
        // The heading is the entry's keyword: the first keyword start in the block from the
        // text position on.
        const TextPosition at{hit.text.block + hit.text.offset / static_cast<std::uint32_t>(kBlockSize),
                              static_cast<std::uint16_t>(hit.text.offset % kBlockSize)};
        const auto block = source.block(at.block);
        if (!block || block->size() <= at.offset) {
            result.error = kHeadingFileError;
            result.diagnostic = "read error 1\n";
            return result;
        }
        const std::size_t size = block->size();
        std::size_t found = size;
        for (std::size_t i = at.offset + (at.offset & 1u); i + 1 < size; i += 2) {
            if ((*block)[i] == 0x1F && (*block)[i + 1] == 0x41) {
                found = i;
                break;
            }
        }
        if (found < size) {
            TextStream stream(source, {at.block, static_cast<std::uint16_t>(found)}, kMaxEntryBlocks);
            Decoder decoder(stream, gaiji, Mode::Heading, model);
            if (decoder.skipParameters(4)) {
                decoder.runHeading(HeadingStop::KeywordEnd);
                if (model.cells.empty())
                    decoder.runHeading(HeadingStop::Structure);
            }
        }
    }
    result.cells = std::move(model.cells);
    if (result.cells.empty()) {
        result.error = kHeadingEmpty;
        result.diagnostic = "lstrlen 2\n";
    }
    return result;
}

std::string cellsToSjis(const std::vector<DisplayCell>& cells, std::string_view gaijiText)
{
    std::string out;
    for (const DisplayCell& cell : cells) {
        if (cell.isExternal())
            out.append(gaijiText);
        else
            out.append(cell.text());
    }
    return out;
}

} // namespace yv::book
