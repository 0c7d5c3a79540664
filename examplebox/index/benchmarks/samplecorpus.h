// The generated example documents of the benchmarks: 1,000 documents of 50 pairs of an English
// line and a Japanese line, words and characters drawn with falling frequency, and keys taken
// from them.
#pragma once

#include <platform/codec.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace yv::exampleindex::bench {

namespace fs = std::filesystem;

inline constexpr int kDocuments = 1000;
inline constexpr int kPairsPerDocument = 50;  // an English line and its Japanese line each

// Words and characters drawn with falling frequency (rank r weighs 1 / (r + 1)).
class ZipfPicker {
public:
    explicit ZipfPicker(std::size_t size)
    {
        std::vector<double> weights(size);
        for (std::size_t r = 0; r < size; ++r)
            weights[r] = 1.0 / double(r + 1);
        m_distribution = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
    }
    std::size_t operator()(std::mt19937& random) { return m_distribution(random); }

private:
    std::discrete_distribution<std::size_t> m_distribution;
};

inline std::vector<std::string> englishWords()
{
    std::vector<std::string> words;
    const char* common =
        "the of and to a in is it you that he was for on are with as I his they be at one have this from "
        "or had by hot word but what some we can out other were all there when up use your how said an each "
        "she which do their time if will way about many then them write would like so these her long make "
        "thing see him two has look more day could go come did number sound no most people my over know "
        "water than call first who may down side been now find any new work part take get place made live "
        "where after back little only round man year came show every good me give our under name very "
        "through just form sentence great think say help low line differ turn cause much mean before move "
        "right boy old too same tell does set three want air well also play small end put home read hand "
        "port large spell add even land here must big high such follow act why ask men change went light "
        "kind off need house picture try us again animal point mother world near build self earth father "
        "meeting report order price delivery schedule customer contract invoice project office train hotel "
        "station ticket airport weather morning evening computer network server database file program";
    std::string word;
    for (const char* p = common;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
            if (*p == '\0')
                break;
        } else {
            word += *p;
        }
    }
    // A long tail of rarer made-up words.
    const char* syllables[] = {"ka", "ro", "mi", "te", "su", "na", "lo", "ve", "zu", "pa", "qi", "do", "ri"};
    std::mt19937 random(7);
    while (words.size() < 5000) {
        std::string made;
        for (int n = 2 + int(random() % 3); n > 0; --n)
            made += syllables[random() % 13];
        words.push_back(made);
    }
    return words;
}

// Shift_JIS characters: hiragana first (the most frequent), then level-1 kanji, then katakana.
inline std::vector<std::string> japaneseCharacters()
{
    std::vector<std::string> characters;
    auto add = [&](unsigned code) { characters.push_back({char(code >> 8), char(code & 0xFF)}); };
    for (unsigned c = 0x829F; c <= 0x82F1; ++c)
        add(c);
    for (unsigned lead = 0x88; lead <= 0x93 && characters.size() < 1600; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F && !(lead == 0x88 && trail < 0x9F))
                add((lead << 8) | trail);
        }
    }
    for (unsigned c = 0x8340; c <= 0x8396; ++c) {
        if (c != 0x837F)
            add(c);
    }
    return characters;
}

struct GeneratedDocuments {
    std::vector<std::string> linesUtf8;
    std::string ja1, ja2, ja4, en1, en2;  // keys, Shift_JIS (the same bytes as ASCII for English)
};

// Writes the documents "%08d.sam" (numbered from 1) into `documents`.
inline GeneratedDocuments writeDocuments(const fs::path& documents)
{
    GeneratedDocuments made;
    fs::create_directories(documents);
    const auto words = englishWords();
    const auto characters = japaneseCharacters();
    ZipfPicker pickWord(words.size());
    ZipfPicker pickCharacter(characters.size());
    std::mt19937 random(2024);
    for (int d = 1; d <= kDocuments; ++d) {
        std::string text = "Document " + std::to_string(d) + "\r\n\r\n";
        for (int p = 0; p < kPairsPerDocument; ++p) {
            std::string english;
            for (int n = 6 + int(random() % 9); n > 0; --n) {
                english += words[pickWord(random)];
                english += n == 1 ? "." : random() % 7 == 0 ? ", " : " ";
            }
            english[0] = char(std::toupper(static_cast<unsigned char>(english[0])));
            std::string japanese;
            for (int n = 15 + int(random() % 21); n > 0; --n)
                japanese += n == 1 ? "\x81\x42" : random() % 12 == 0 ? "\x81\x41" : characters[pickCharacter(random)];
            text += english + "\r\n" + japanese + "\r\n\r\n";
            made.linesUtf8.push_back(english);
            made.linesUtf8.push_back(codec::cp932ToUtf8(japanese));
            if (d == 500 && p == 10) {
                made.ja4 = japanese.substr(6, 8);
                made.ja2 = made.ja4.substr(0, 4);
                made.ja1 = made.ja4.substr(0, 2);
            }
            if (d == 500 && p == 12) {
                const auto first = english.find(' ');
                const auto second = english.find_first_of(" ,.", first + 1);
                made.en1 = english.substr(first + 1, second - first - 1);
                const auto third = english.find_first_of(" ,.", second + 1);
                made.en2 = english[second] == ' ' ? english.substr(first + 1, third - first - 1) : made.en1;
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "%08d.sam", d);
        std::ofstream(documents / name, std::ios::binary) << text;
    }
    return made;
}

} // namespace yv::exampleindex::bench
