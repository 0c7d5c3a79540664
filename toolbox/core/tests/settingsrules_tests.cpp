// The settings sheet's rules: key entries, clashes, sliders and the dictionary values.
#include <toolboxcore/settingsrules.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::toolbox;

TEST(SettingsRules, KeyControlTakesFunctionKeysAloneAndOthersOnlyWithCtrlOrShift)
{
    EXPECT_EQ(hotKeyEntry(0, 0x74), HotKeyCode{0x74}) << "F5";
    EXPECT_EQ(hotKeyEntry(0, 0x87), HotKeyCode{0x87}) << "F24";
    EXPECT_EQ(hotKeyEntry(0, 'A'), std::nullopt);
    EXPECT_EQ(hotKeyEntry(0, 0x88), std::nullopt) << "past F24";
    EXPECT_EQ(hotKeyEntry(ModCtrl, 'A'), HotKeyCode{0x241});
    EXPECT_EQ(hotKeyEntry(ModShift | ModCtrl, 0x7A), HotKeyCode{0x37A});
    // Alt falls back to no modifier: a function key stays, a letter is not taken.
    EXPECT_EQ(hotKeyEntry(ModAlt, 0x7A), HotKeyCode{0x7A});
    EXPECT_EQ(hotKeyEntry(ModAlt | ModCtrl, 'A'), std::nullopt);
    EXPECT_EQ(hotKeyEntry(ModCtrl, 0x11), std::nullopt) << "Ctrl itself is no key";
    EXPECT_EQ(hotKeyEntry(ModShift, 0xA0), std::nullopt);
}

TEST(SettingsRules, TheSameKeyTwiceClashesButNoKeyNever)
{
    EXPECT_TRUE(hotKeysClash({0x74, 625, 0x74, 635})) << "F5 for two actions";
    EXPECT_TRUE(hotKeysClash({122, 625, 634, 634}));
    EXPECT_FALSE(hotKeysClash({122, 625, 634, 635}));
    EXPECT_FALSE(hotKeysClash({0, 0, 634, 635}));
}

TEST(SettingsRules, SlidersMapToStoredValuesAndBackWithinTheirRanges)
{
    EXPECT_EQ(parLimitOf(6), 60000u);
    EXPECT_EQ(parLimitOf(11), 100000u);
    EXPECT_EQ(parLimitOf(-1), 0u);
    EXPECT_EQ(precisionPositionOf(60000), 6);
    EXPECT_EQ(precisionPositionOf(64999), 6);
    EXPECT_EQ(precisionPositionOf(0xFFFFFFFFu), kPrecisionSteps);

    EXPECT_EQ(spyglassDelayOf(50), 1000u);
    EXPECT_EQ(spyglassDelayOf(5), 200u);
    EXPECT_EQ(delayPositionOf(1000), 50);
    EXPECT_EQ(delayPositionOf(0), kDelayMin);
    EXPECT_EQ(delayPositionOf(0xFFFFFFFFu), kDelayMax);

    EXPECT_EQ(officeEntryOf(2003), 2);
    EXPECT_EQ(officeEntryOf(97), std::nullopt);
}

TEST(SettingsRules, DictionaryValuesCloseUpAndClearWhatIsNoLongerListed)
{
    const DictionaryList list = dictionaryListOf({"/d/ejudic", "", "/d/a", "", "/d/b", ""});
    EXPECT_EQ(list.user, "/d/ejudic");
    EXPECT_EQ(list.others, (std::vector<std::string>{"/d/a", "/d/b"}));
    EXPECT_EQ(dictionaryValuesOf(list), (std::array<std::string, 6>{"/d/ejudic", "/d/a", "/d/b", "", "", ""}));

    // Every other dictionary removed: DIC2 to DIC6 are all cleared.
    EXPECT_EQ(dictionaryValuesOf({"/d/ejudic", {}}), (std::array<std::string, 6>{"/d/ejudic", "", "", "", "", ""}));
    // More than fit are not written past DIC6.
    const DictionaryList tooMany{"u", {"1", "2", "3", "4", "5", "6"}};
    EXPECT_EQ(dictionaryValuesOf(tooMany).back(), "5");

    EXPECT_TRUE(hasDictionaryExtension("/d/user.dic"));
    EXPECT_TRUE(hasDictionaryExtension("/d/USER.DIC"));
    EXPECT_FALSE(hasDictionaryExtension("/d/words.txt"));
    EXPECT_FALSE(hasDictionaryExtension(".dic")) << "no name";
    EXPECT_FALSE(hasDictionaryExtension("/d/user.dict"));
    EXPECT_EQ(dictionaryNameOf("/d/user.dic"), "/d/user");
    EXPECT_EQ(dictionaryNameOf("/d/user"), "/d/user");
}

} // namespace
