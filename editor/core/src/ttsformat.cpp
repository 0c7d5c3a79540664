// Reading and writing the .tts byte layout.
#include <editorcore/ttsformat.h>

namespace yv::editor {

namespace {

void putCount(std::string& out, std::size_t v)
{
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void putPane(std::string& out, const CellStore& store)
{
    const std::size_t n = store.length();
    putCount(out, n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<char>(store[i].lead));
        if (isDoubleByte(store[i]))
            out.push_back(static_cast<char>(store[i].trail));
    }
    for (std::size_t i = 0; i < n; ++i)
        putCount(out, store[i].pair);
}

// A bounds-checked cursor over the file's bytes.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    bool byte(std::uint8_t& v)
    {
        if (m_at >= m_bytes.size())
            return false;
        v = static_cast<std::uint8_t>(m_bytes[m_at++]);
        return true;
    }
    bool count(std::uint16_t& v)
    {
        std::uint8_t hi = 0;
        std::uint8_t lo = 0;
        if (!byte(hi) || !byte(lo))
            return false;
        v = static_cast<std::uint16_t>(hi << 8 | lo);
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

bool readPane(Reader& in, std::vector<CellChar>& out)
{
    std::uint16_t n = 0;
    if (!in.count(n))
        return false;
    out.resize(n);
    for (CellChar& c : out) {
        if (!in.byte(c.lead) || c.lead == 0)
            return false;
        if (codec::isLeadByte(c.lead)) {
            if (!in.byte(c.trail) || c.trail == 0)
                return false;
        } else if (c.lead == '\t') {
            c.lead = ' ';
        } else if (c.lead == '\r') {
            c.lead = kLineBreak;
        }
    }
    for (CellChar& c : out) {
        if (!in.count(c.pair))
            return false;
    }
    return true;
}

} // namespace

std::string encodeTts(const CellStore& source, const CellStore& translation)
{
    std::string out(kTtsMagic);
    out.push_back(static_cast<char>(kTtsVersion));
    putPane(out, source);
    putPane(out, translation);
    return out;
}

std::optional<TtsContent> decodeTts(std::string_view bytes)
{
    if (bytes.size() < kTtsMagic.size() + 1 || bytes.substr(0, kTtsMagic.size()) != kTtsMagic
        || static_cast<std::uint8_t>(bytes[kTtsMagic.size()]) != kTtsVersion)
        return std::nullopt;
    Reader in(bytes.substr(kTtsMagic.size() + 1));
    TtsContent content;
    if (!readPane(in, content.source) || !readPane(in, content.translation))
        return std::nullopt;
    return content;
}

} // namespace yv::editor
