// Pictures and sounds of a book: the sample book's bitmap and wave, hand-made data and
// damaged data.
#include <book/bookshelf.h>
#include <book/media.h>

#include "testbook.h"

#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using testing::ByteVector;

TEST(BookMediaTest, RawAndHeaderedWaveData)
{
    const ByteVector bytes = {0x80, 0xFF, 0x00, 0x80};
    // Mode 112: odd hundreds, so raw 8-bit; one channel; 11,025 a second.
    const auto raw = parseWave(112, bytes);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->format.sampleRate, 11025);
    EXPECT_EQ(raw->format.channels, 1);
    EXPECT_EQ(raw->pcm16(), (std::vector<std::int16_t>{0, 127 * 256, -128 * 256, 0}));
    EXPECT_EQ(parseWave(1100, bytes)->format.channels, 2);
    EXPECT_FALSE(parseWave(105, bytes)) << "no rate for mode % 10 = 5";

    // The stored format chunk and data chunk, as a book keeps a wave file from "fmt " on.
    ByteVector stored = {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0,
                         0x10, 0xB1, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 4, 0, 0, 0, 0x01, 0x02, 0xFF, 0xFF};
    const auto headered = parseWave(0, stored);
    ASSERT_TRUE(headered);
    EXPECT_EQ(headered->format.sampleRate, 44100);
    EXPECT_EQ(headered->format.channels, 2);
    EXPECT_EQ(headered->pcm16(), (std::vector<std::int16_t>{0x0201, -1}));
    // A data chunk that claims more than there is takes what there is; a format that is not
    // PCM, or no format at all, is refused.
    stored[28] = 0xFF;
    EXPECT_EQ(parseWave(0, stored)->samples.size(), 4u);
    stored[8] = 2;
    EXPECT_FALSE(parseWave(0, stored));
    EXPECT_FALSE(parseWave(0, ByteVector{'d', 'a', 't', 'a', 0, 0, 0, 0}));
}

TEST(BookMediaTest, CdAudioTimesCarrySecondsIntoMinutes)
{
    CdAudioItem item;
    item.track = 3;
    item.start = 1450000;   // 1 minute 45 seconds
    item.length = 300000;   // 30 seconds
    const CdPlayRange range = cdPlayRange(item);
    EXPECT_EQ(range.track, 3);
    EXPECT_EQ(range.startMinutes, 1);
    EXPECT_EQ(range.startSeconds, 45);
    EXPECT_EQ(range.endMinutes, 2);
    EXPECT_EQ(range.endSeconds, 15);
}

TEST(BookMediaTest, MonochromeBitmapsAndDamagedPictures)
{
    yv::testing::TestHome home;
    ByteVector block(2048, 0);
    block[100] = 0xA0;  // row 0: pixels 0 and 2
    block[101] = 0x01;  // row 0: pixel 15
    block[102] = 0xFF;  // row 1
    testing::writeFile(home.dir() / "honmon", block);
    const BookFile file(home.dir() / "honmon");
    MonochromeGraphicItem item;
    item.width = 16;
    item.height = 2;
    item.position = {1, 100};
    const auto picture = readMonochromeGraphic(file, item);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->ink(0, 0));
    EXPECT_FALSE(picture->ink(1, 0));
    EXPECT_TRUE(picture->ink(15, 0));
    EXPECT_TRUE(picture->ink(3, 1));
    EXPECT_FALSE(picture->ink(16, 0));
    item.position = {2, 0};
    EXPECT_FALSE(readMonochromeGraphic(file, item)) << "past the end of the file";
    item.width = 100000;
    EXPECT_FALSE(readMonochromeGraphic(file, item));

    // Colour graphics that are not bitmaps, lie about their size, or lie past the file.
    EXPECT_EQ(std::get<PictureError>(readColourGraphic(file, {1, 0})), PictureError::NotBitmap);
    EXPECT_EQ(std::get<PictureError>(readColourGraphic(file, {0, 0})), PictureError::NoFile);
    EXPECT_EQ(std::get<PictureError>(readColourGraphic(file, {9, 0})), PictureError::Header);
    ByteVector liar(2048, 0);
    const ByteVector head = {'d', 'a', 't', 'a', 0, 0, 0, 0, 'B', 'M', 0x00, 0x10, 0x00, 0x00};
    std::copy(head.begin(), head.end(), liar.begin());
    testing::writeFile(home.dir() / "liar", liar);
    EXPECT_EQ(std::get<PictureError>(readColourGraphic(BookFile(home.dir() / "liar"), {1, 0})), PictureError::ImageData);
    EXPECT_EQ(pictureErrorText(PictureError::NotBitmap), "このファイルはＢＭＰファイルではない");
}

#ifdef YV_SAMPLE_BOOK_DIR
struct QuietPrompter final : BookPrompter {
    void report(BookMessage, MessageIcon) override { ADD_FAILURE() << "unexpected message"; }
    bool askKeepHits() override { return true; }
};

TEST(BookMediaTest, TheSampleBooksPictureAndSound)
{
    QuietPrompter prompter;
    BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList(std::filesystem::path(YV_SAMPLE_BOOK_DIR) / "catalogs", {}));
    ASSERT_TRUE(shelf.SelectBook(0));
    DisplayModel model;
    ASSERT_EQ(shelf.Search(codec::utf8ToCp932("apple"), SearchMethod::Forward), SearchOutcome::Found);
    ASSERT_TRUE(shelf.ReadEntry(shelf.hits().hits()[0].text, model));
    ASSERT_EQ(model.colourGraphics.size(), 1u);
    const BookFile text = shelf.OpenTextFile();
    const auto picture = readColourGraphic(text, model.colourGraphics[0].position);
    ASSERT_TRUE(std::holds_alternative<std::vector<std::uint8_t>>(picture));
    const auto& bmp = std::get<std::vector<std::uint8_t>>(picture);
    EXPECT_EQ(bmp.size(), 54u + 32u * 24u * 3u);
    EXPECT_EQ(bmp[0], 'B');

    ASSERT_EQ(shelf.Search(codec::utf8ToCp932("がっき"), SearchMethod::Forward), SearchOutcome::Found);
    ASSERT_TRUE(shelf.ReadEntry(shelf.hits().hits()[0].text, model));
    ASSERT_EQ(model.waves.size(), 1u);
    const auto sound = readWave(text, model.waves[0]);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->format.sampleRate, 11025);
    EXPECT_EQ(sound->format.bitsPerSample, 8);
    EXPECT_EQ(sound->samples.size(), 200u);
}
#endif

} // namespace
} // namespace yv::book
