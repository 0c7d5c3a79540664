// The substitution dictionary (building, reading, hostile files) and the substitution itself.
#include <capturerules/substitution.h>
#include <capturerules/substitutiondictionary.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace yv::capture;

const std::string kApple = "\x82\xE8\x82\xF1\x82\xB2";  // りんご
const std::string kNewYork = "\x83\x6A\x83\x85\x81\x5B\x83\x88\x81\x5B\x83\x4E";  // ニューヨーク

// Owns the file bytes in a buffer of exactly their size, so that a read past them is caught.
class Dictionary {
public:
    explicit Dictionary(std::vector<SubstitutionEntry> entries)
    {
        std::string error;
        const auto file = buildSubstitutionDictionary(std::move(entries), &error);
        EXPECT_TRUE(file) << error;
        load(file.value_or(""));
    }
    explicit Dictionary(std::string_view bytes) { load(bytes); }

    const SubstitutionDictionary* operator->() const { return &*m_dictionary; }
    const SubstitutionDictionary& operator*() const { return *m_dictionary; }
    bool valid() const { return m_dictionary.has_value(); }

private:
    void load(std::string_view bytes)
    {
        m_bytes = std::make_unique<std::uint8_t[]>(bytes.size());
        std::memcpy(m_bytes.get(), bytes.data(), bytes.size());
        m_dictionary = SubstitutionDictionary::open({m_bytes.get(), bytes.size()});
    }
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::optional<SubstitutionDictionary> m_dictionary;
};

Dictionary sample()
{
    return Dictionary({{"apple", kApple},
                       {"new york", kNewYork},
                       {"new", "N"},
                       {"york", "Y"},
                       {"pick up", "PU"},
                       {"walk", "W"},
                       {"bake", "B"},
                       {"stop", "S"},
                       {"run", "R"},
                       {"make", "M"},
                       {"fall", "F"},
                       {"box", "X"},
                       {"study", "T"},
                       {"ski", "K1"},
                       {"sky", "K2"},
                       {"a", "1"},
                       {"A", "2"},
                       {"itself", ""}});
}

std::string found(const SubstitutionDictionary& dictionary, std::string_view phrase)
{
    const auto value = dictionary.lookUp(phrase);
    return value ? std::string(*value) : "<none>";
}

TEST(CaptureSubstitution, KeysAreFoundExactlyAndCaseSensitively)
{
    const Dictionary dictionary = sample();
    ASSERT_TRUE(dictionary.valid());
    EXPECT_EQ(dictionary->find("apple").value_or("<none>"), kApple);
    EXPECT_EQ(dictionary->find("new york").value_or("<none>"), kNewYork);
    EXPECT_EQ(dictionary->find("a").value_or("<none>"), "1");  // one-byte keys share a bucket
    EXPECT_EQ(dictionary->find("A").value_or("<none>"), "2");
    EXPECT_FALSE(dictionary->find("Apple"));
    EXPECT_FALSE(dictionary->find("appl"));
    EXPECT_FALSE(dictionary->find("apples"));
    EXPECT_FALSE(dictionary->find(""));
    ASSERT_TRUE(dictionary->find("itself"));
    EXPECT_TRUE(dictionary->find("itself")->empty());
}

TEST(CaptureSubstitution, LookUpTriesCasesAndPlainForms)
{
    const Dictionary dictionary = sample();
    EXPECT_EQ(found(*dictionary, "APPLE"), kApple);
    EXPECT_EQ(found(*dictionary, "New York"), kNewYork);
    EXPECT_EQ(found(*dictionary, "walked"), "W");
    EXPECT_EQ(found(*dictionary, "baked"), "B");
    EXPECT_EQ(found(*dictionary, "STOPPED"), "S");
    EXPECT_EQ(found(*dictionary, "running"), "R");
    EXPECT_EQ(found(*dictionary, "making"), "M");
    EXPECT_EQ(found(*dictionary, "falling"), "F");  // a double consonant of the word itself
    EXPECT_EQ(found(*dictionary, "apples"), kApple);
    EXPECT_EQ(found(*dictionary, "boxes"), "X");
    EXPECT_EQ(found(*dictionary, "studies"), "T");
    EXPECT_EQ(found(*dictionary, "skies"), "K2");   // the sky, not the ski
    EXPECT_EQ(found(*dictionary, "runs"), "R");
    EXPECT_EQ(found(*dictionary, "skis"), "K1");
    EXPECT_EQ(found(*dictionary, "ran"), "<none>");
}

TEST(CaptureSubstitution, LongestPhraseWinsAndTheRestIsCopied)
{
    const Dictionary dictionary = sample();
    const auto result = substituteA(*dictionary, "I like apples in New  York, and pick up a box!", 932, 1024);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.text, "I like " + kApple + " in " + kNewYork + ", and PU 1 X!");

    const auto nothing = substituteA(*dictionary, "nothing here", 932, 1024);
    EXPECT_FALSE(nothing.found);
    EXPECT_EQ(nothing.text, "nothing here");

    const auto itself = substituteA(*dictionary, "by itself.", 932, 1024);
    EXPECT_TRUE(itself.found);
    EXPECT_EQ(itself.text, "by itself.");
}

TEST(CaptureSubstitution, DoubleByteCharactersAreNeverTakenApart)
{
    const Dictionary dictionary = sample();
    // ア is 83 41: its second byte is the letter A, which the dictionary holds.
    const auto result = substituteA(*dictionary, "\x83\x41 A", 932, 1024);
    EXPECT_EQ(result.text, "\x83\x41 2");
    // In a single-byte code page the same byte is a letter of its own.
    EXPECT_EQ(substituteA(*dictionary, "\x83\x41", 1252, 1024).text, "\x83" "2");
}

TEST(CaptureSubstitution, OutputNeverExceedsItsCapacity)
{
    const Dictionary dictionary = sample();
    // The value (6 bytes) does not fit: the phrase stays as written.
    const auto kept = substituteA(*dictionary, "apple", 932, 5);
    EXPECT_FALSE(kept.found);
    EXPECT_EQ(kept.text, "apple");
    // The text is cut at a whole character.
    EXPECT_EQ(substituteA(*dictionary, "x\x8A\xBF", 932, 2).text, "x");
    EXPECT_EQ(substituteA(*dictionary, "some words", 932, 0).text, "");
}

TEST(CaptureSubstitution, UnicodeFormReadsValuesAsShiftJis)
{
    const Dictionary dictionary = sample();
    const auto result = substituteW(*dictionary, u"Café apple — NEW YORK", 100);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.text, u"Café りんご — ニューヨーク");
}

TEST(CaptureSubstitution, ListIsReadLineByLine)
{
    std::string error;
    const auto entries = parseSubstitutionList(
        "\xEF\xBB\xBF# word list\r\napple\tりんご\r\n\r\npick   up \tPU\nalone\n", &error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].key, "apple");
    EXPECT_EQ((*entries)[0].value, kApple);
    EXPECT_EQ((*entries)[1].key, "pick up");
    EXPECT_EQ((*entries)[2].value, "");

    EXPECT_FALSE(parseSubstitutionList("ok\tx\ndon't\tx\n", &error));
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
    EXPECT_FALSE(buildSubstitutionDictionary({{"pick up", "a"}, {"pick  up", "b"}}, &error));
    EXPECT_NE(error.find("twice"), std::string::npos);
    EXPECT_FALSE(buildSubstitutionDictionary({{"x", std::string(65535, 'v')}}, &error));
}

TEST(CaptureSubstitution, HostileFilesAreRefusedOrReadSafely)
{
    EXPECT_FALSE(Dictionary(std::string_view("hT")).valid());
    EXPECT_FALSE(Dictionary(std::string(40, '\0')).valid());

    std::string error;
    const std::string good = *buildSubstitutionDictionary({{"apple", kApple}, {"box", "X"}}, &error);
    std::string farBuckets = good;
    farBuckets[10] = '\x7F';  // a bucket count that runs past the end
    EXPECT_FALSE(Dictionary(farBuckets).valid());

    // Every truncation either fails to open or finds nothing out of bounds.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const Dictionary cut(std::string_view(good).substr(0, size));
        if (cut.valid()) {
            (void)cut->lookUp("apples");
            (void)cut->lookUp("box");
        }
    }

    // An entry whose key offset points far outside the file.
    std::string badEntry = good;
    const std::uint32_t entriesAt = 30 + 2 * 10;
    badEntry[entriesAt + 3] = '\x7F';
    const Dictionary bad(badEntry);
    ASSERT_TRUE(bad.valid());
    EXPECT_FALSE(bad->find("apple"));
    EXPECT_EQ(bad->find("box").value_or("<none>"), "X");
}

} // namespace
