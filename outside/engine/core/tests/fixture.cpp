// The test dictionary and helpers that run a translation and take its result blocks apart.
#include "fixture.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace yv::engine::testing {

std::string_view fixtureEdictUtf8()
{
    return "　？？？ /EDICT, test fixture/\n"
           "食べる [たべる] /(v1,vt) (1) to eat/(v1,vt) (2) to live on (e.g. a salary)/(P)/\n"
           "喰う [くう] /(v5u,vt) (1) (male) to eat/(P)/\n"
           "犬 [いぬ] /(n) (1) dog (Canis (lupus) familiaris)/(n) (2) (derog) snitch/(P)/\n"
           "ワンコ /(n) (chn) (uk) dog/doggy/\n"
           "猫 [ねこ] /(n) cat/(P)/\n"
           "寿司 [すし] /(n) (uk) sushi/(P)/\n"
           "本 [ほん] /(n) book/volume/(P)/\n"
           "読む [よむ] /(v5m,vt) to read/(P)/\n"
           "行く [いく] /(v5k-s,vi) to go/(P)/\n"
           "開ける [あける] /(v1,vt) to open/(P)/\n"
           "窓 [まど] /(n) window/(P)/\n"
           "大きい [おおきい] /(adj-i) big/large/(P)/\n"
           "私 [わたし] /(pn) I/me/(P)/\n"
           "東京 [とうきょう] /(n) Tokyo/(P)/\n"
           "学校 [がっこう] /(n) school/(P)/\n"
           "ペン /(n) pen/(P)/\n"
           "公園 [こうえん] /(n) (public) park/(P)/\n"
           "走る [はしる] /(v5r,vi) to run/(P)/\n"
           "勉強 [べんきょう] /(n,vs) study/(P)/\n"
           "万年筆 [まんねんひつ] /(n) fountain pen/(P)/\n"
           "好き [すき] /(adj-na,n) liked/fond/(P)/\n"
           "broken line without slash\n"
           "空 [そら /(n) unclosed reading/\n";
}

const std::filesystem::path& scratchDir()
{
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "yv-engine-test-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        std::filesystem::path path = made ? made : pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDir(), ec);
        });
        return path;
    }();
    return dir;
}

std::filesystem::path writeFixtureEdict(const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir);
    const auto path = dir / "edict";
    const auto bytes = codec::fromUtf8(fixtureEdictUtf8(), codec::TextEncoding::EucJp);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

namespace {

struct Shared {
    std::unique_ptr<Translator> translator;
    std::string error;
};

Shared& shared()
{
    static Shared s = [] {
        Shared made;
        const auto dir = scratchDir() / "shared";
        made.translator = Translator::load(writeFixtureEdict(dir), dir / "cache", &made.error);
        return made;
    }();
    return s;
}

} // namespace

const Translator& fixtureTranslator()
{
    if (!shared().translator)
        ADD_FAILURE() << "fixture translator did not load: " << shared().error;
    return *shared().translator;
}

bool haveMecab()
{
    return shared().translator && shared().error.find("MeCab") == std::string::npos;
}

std::string cp932(std::string_view utf8Text)
{
    return codec::utf8ToCp932(utf8Text);
}

std::string utf8(std::string_view cp932Text)
{
    return codec::cp932ToUtf8(cp932Text);
}

std::vector<BlockLine> Run::lines() const
{
    std::vector<BlockLine> all;
    for (const auto& block : blocks)
        all.insert(all.end(), block.begin(), block.end());
    return all;
}

std::string Run::joined() const
{
    std::string out;
    for (const auto& line : lines())
        out += line.text;
    return out;
}

Run translateCp932(std::string_view text, Direction direction, const Options& options)
{
    Run run;
    const std::atomic<bool> stop{false};
    fixtureTranslator().translateText(text, direction, options,
                                      [&run](const std::string& s) { run.strings.push_back(s); }, stop);
    for (const auto& s : run.strings) {
        if (s == "$$$")
            continue;
        if (!s.starts_with("$$$")) {
            run.untranslatable.push_back(s);
            continue;
        }
        std::vector<BlockLine> block;
        std::size_t start = s.find('\n');
        while (start != std::string::npos && start + 1 < s.size()) {
            const auto end = s.find('\n', start + 1);
            const auto line = s.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
            std::vector<std::string> fields;
            std::size_t from = 0;
            while (true) {
                const auto tab = line.find('\t', from);
                fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
                if (tab == std::string::npos)
                    break;
                from = tab + 1;
            }
            EXPECT_EQ(fields.size(), 5u) << line;
            if (fields.size() == 5)
                block.push_back({utf8(fields[0]), std::stoi(fields[1]), fields[2], std::stol(fields[3]), std::stol(fields[4])});
            start = end;
        }
        run.blocks.push_back(std::move(block));
    }
    return run;
}

Run translate(std::string_view utf8Text, Direction direction, const Options& options)
{
    return translateCp932(cp932(utf8Text), direction, options);
}

} // namespace yv::engine::testing
