// A small EDICT written for the tests, and one translator over it shared by a test program.
#pragma once

#include <engine/translator.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::testing {

// The fixture dictionary as UTF-8 EDICT lines.
std::string_view fixtureEdictUtf8();

// A directory of its own for the test program, removed at exit.
const std::filesystem::path& scratchDir();

// Writes the fixture dictionary (EUC-JP, as EDICT is shipped) into `dir`; returns its path.
std::filesystem::path writeFixtureEdict(const std::filesystem::path& dir);

// One translator over the fixture, loaded on first use.
const Translator& fixtureTranslator();
// Whether the translator has MeCab (JE expectations depend on it).
bool haveMecab();

std::string cp932(std::string_view utf8);
std::string utf8(std::string_view cp932);

// One line of a result block, split into its five fields.
struct BlockLine {
    std::string text; // UTF-8
    int tag = 0;
    std::string source; // CP932
    long offset = -1;
    long length = -1;
};

struct Run {
    std::vector<std::string> strings; // as the sink got them, CP932
    std::vector<std::vector<BlockLine>> blocks;
    std::vector<std::string> untranslatable;
    std::vector<BlockLine> lines() const; // all block lines in order
    std::string joined() const;           // the translated texts joined without spaces (UTF-8)
};

Run translate(std::string_view utf8Text, Direction direction, const Options& options = {});
Run translateCp932(std::string_view cp932Text, Direction direction, const Options& options = {});

} // namespace yv::engine::testing
