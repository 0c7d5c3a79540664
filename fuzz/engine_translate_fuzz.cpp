// Fuzzes whole text runs in both directions: any bytes give well-formed blocks whose offsets lie
// inside the text, and the run ends with exactly one "$$$".
#include <engine/translator.h>

#include <platform/codec.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

const yv::engine::Translator* translator()
{
    static const std::unique_ptr<yv::engine::Translator> loaded = [] {
        const auto dir = std::filesystem::temp_directory_path() / "yv-engine-translate-fuzz";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "edict", std::ios::binary) << yv::codec::fromUtf8(
            "犬 [いぬ] /(n) dog/(P)/\n食べる [たべる] /(v1,vt) to eat/(P)/\n寿司 [すし] /(n) (uk) sushi/(P)/\n"
            "大きい [おおきい] /(adj-i) big/(P)/\n私 [わたし] /(pn) I/me/(P)/\n走る [はしる] /(v5r,vi) to run/(P)/\n",
            yv::codec::TextEncoding::EucJp);
        return yv::engine::Translator::load(dir / "edict", dir / "cache", nullptr);
    }();
    return loaded.get();
}

void check(const std::string& text, yv::engine::Direction direction)
{
    const std::atomic<bool> stop{false};
    int ends = 0;
    translator()->translateText(text, direction, {}, [&](const std::string& s) {
        if (ends > 0 || s.find('\0') != std::string::npos)
            std::abort();
        if (s == "$$$") {
            ++ends;
            return;
        }
        if (!s.starts_with("$$$"))
            return;
        // Every line: five fields, the offset and length inside the text.
        std::size_t at = s.find('\n') + 1;
        while (at < s.size()) {
            const auto end = s.find('\n', at);
            const auto line = s.substr(at, end - at);
            std::size_t tabs[4];
            std::size_t from = 0;
            for (auto& tab : tabs) {
                tab = line.find('\t', from);
                if (tab == std::string::npos)
                    std::abort();
                from = tab + 1;
            }
            const long offset = std::stol(line.substr(tabs[2] + 1, tabs[3] - tabs[2] - 1));
            const long length = std::stol(line.substr(tabs[3] + 1));
            if (offset >= 0 && (static_cast<std::size_t>(offset + length) > text.size() || length <= 0))
                std::abort();
            at = end + 1;
        }
    }, stop);
    if (ends != 1)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!translator())
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    check(text, yv::engine::Direction::EJ);
    check(text, yv::engine::Direction::JE);
    (void)translator()->lookUp(text, yv::engine::Direction::EJ, {});
    (void)translator()->lookUp(text, yv::engine::Direction::JE, {});
    return 0;
}
