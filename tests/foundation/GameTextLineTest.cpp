#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/StyleManager.h"
#include "Game/core/foundation/GameTextLine.h"

namespace GAME {
namespace {

LoadTable Record(const char* text)
{
    LoadTable table("Records/Game/GameEngine.dbr");
    table.Parse(text, std::strlen(text), table.GetName());
    return table;
}

TEST(GameTextStyles, EmptyRecordGivesEveryClassEmpty)
{
    GameTextStyleTable table;
    LoadGameTextStyles(Record(""), table);
    ASSERT_EQ(table.size(), 39u);
    for (const auto& [textClass, style] : table) {
        EXPECT_EQ(style.styleName, "");
        EXPECT_EQ(style.indent, 0);
    }
    EXPECT_EQ(table.rbegin()->first, GameTextClass::PetSkillStatsNext);
}

TEST(GameTextStyles, EachClassReadsItsOwnKeys)
{
    GameTextStyleTable table;
    LoadGameTextStyles(Record("Default,Plain,\n"
                              "DefaultIndent,3,\n"
                              "ItemBanner,Banner,\n"
                              "ItemBannerIndent,10,\n"
                              "ItemSetComponentNotAvailable,Grey,\n"
                              "ItemRelicName,Relic,\n"
                              "ItemRelicNameIndent,-4,\n"
                              "PetSkillStatsNext,PetNext,\n"
                              "PetSkillStatsNextIndent,38,\n"),
                       table);
    EXPECT_EQ(table[GameTextClass::Default].styleName, "Plain");
    EXPECT_EQ(table[GameTextClass::Default].indent, 3);
    EXPECT_EQ(table[GameTextClass::ItemBanner].styleName, "Banner");
    EXPECT_EQ(table[GameTextClass::ItemBanner].indent, 10);
    EXPECT_EQ(table[static_cast<GameTextClass>(17)].styleName, "Grey");
    EXPECT_EQ(table[static_cast<GameTextClass>(20)].styleName, "Relic");
    EXPECT_EQ(table[static_cast<GameTextClass>(20)].indent, -4);
    EXPECT_EQ(table[static_cast<GameTextClass>(38)].styleName, "PetNext");
    EXPECT_EQ(table[static_cast<GameTextClass>(38)].indent, 38);
    EXPECT_EQ(table[GameTextClass::ItemNameRare].styleName, "");
    EXPECT_STREQ(GetGameTextClassKey(GameTextClass::SkillRequirementsNotMet), "SkillRequirementsNotMet");
    EXPECT_EQ(GetGameTextClassKey(static_cast<GameTextClass>(39)), nullptr);
    EXPECT_EQ(GetGameTextClassKey(static_cast<GameTextClass>(-1)), nullptr);
}

TEST(GameTextStyles, SecondLoadKeepsTheFirstValues)
{
    GameTextStyleTable table;
    LoadGameTextStyles(Record("ItemBanner,First,\nItemBannerIndent,5,\n"), table);
    LoadGameTextStyles(Record("ItemBanner,Second,\nItemBannerIndent,9,\nSkillName,Late,\n"), table);
    EXPECT_EQ(table.size(), 39u);
    EXPECT_EQ(GetGameTextStyleName(table, GameTextClass::ItemBanner), "First");
    EXPECT_EQ(GetGameTextStyleIndent(table, GameTextClass::ItemBanner), 5.0f);
    EXPECT_EQ(GetGameTextStyleName(table, GameTextClass::SkillName), "");
    table.clear();
    EXPECT_EQ(GetGameTextStyleName(table, GameTextClass::ItemBanner), "");
    EXPECT_EQ(GetGameTextStyleIndent(table, GameTextClass::ItemBanner), 0.0f);
}

class GameTextStringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StyleManager::Get().Clear();
        StyleManager::Get().RegisterFont("Body", 50);
        StyleManager::Get().RegisterStyle("Banner", "Body", 20);   // 10 pixels a character
        LoadGameTextStyles(Record("ItemBanner,Banner,\nItemBannerIndent,10,\n"
                                  "SkillName,Banner,\n"
                                  "ItemBonuses,Missing,\n"),
                           styles);
    }
    void TearDown() override { StyleManager::Get().Clear(); }

    GameTextStyleTable styles;
};

TEST_F(GameTextStringTest, MarginsAndWidthWithAnIndent)
{
    GameTextString s("Banner", u"Sword", true, 10);
    EXPECT_EQ(s.leftMargin, 16);
    EXPECT_EQ(s.rightMargin, 6);
    EXPECT_EQ(s.width, 5 * 10 + 22);
    EXPECT_EQ(s.height, 20);
    EXPECT_TRUE(s.flag);
    EXPECT_EQ(s.styleName, "Banner");
    EXPECT_EQ(s.text, u"Sword");
}

TEST_F(GameTextStringTest, UnknownOrEmptyStyleIsNotMeasured)
{
    for (const char* name : {"", "Missing"}) {
        GameTextString s(name, u"Sword", false, 4);
        EXPECT_EQ(s.width, 0) << name;
        EXPECT_EQ(s.height, 0) << name;
        EXPECT_EQ(s.leftMargin, 10) << name;
    }
}

TEST_F(GameTextStringTest, CodesAreSkippedAndRunsAddUp)
{
    // "^y" is a colour code, the line break ends a run, a trailing caret is drawn.
    EXPECT_EQ(GameTextString("Banner", u"^yRed^w", false, 0).width, 3 * 10 + 12);
    EXPECT_EQ(GameTextString("Banner", u"ab\ncd", false, 0).width, 4 * 10 + 12);
    EXPECT_EQ(GameTextString("Banner", u"ab^", false, 0).width, 3 * 10 + 12);
    EXPECT_EQ(GameTextString("Banner", u"", false, 0).width, 12);
    // Longer than one run of 511 characters.
    EXPECT_EQ(GameTextString("Banner", std::u16string(1200, u'x'), false, 0).width, 1200 * 10 + 12);
}

TEST_F(GameTextStringTest, HugeIndentStaysInRange)
{
    GameTextString s("Banner", u"x", false, INT_MAX);
    EXPECT_EQ(s.leftMargin, INT_MAX);
    EXPECT_EQ(s.width, INT_MAX);

    GameTextStyleTable huge;
    LoadGameTextStyles(Record("ItemBanner,Banner,\nItemBannerIndent,2147483647,\n"), huge);
    std::list<GameTextString> out;
    GameTextLineToString(huge, {GameTextLine(GameTextClass::ItemBanner, u"x", false)}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out.front().leftMargin, INT_MAX);

    // A wide font at a huge size: one character's width is held too.
    const GraphicsFont* wide = StyleManager::Get().RegisterFont("Wide", 1000);
    EXPECT_EQ(wide->GetCharacterWidth(u'x', INT_MAX), INT_MAX);
    EXPECT_EQ(wide->GetCharacterWidth(u'x', 20), 200);
}

TEST_F(GameTextStringTest, LinesBecomeStringsInOrder)
{
    std::list<GameTextString> out;
    GameTextLineToString(styles, {}, out);
    EXPECT_TRUE(out.empty());

    const std::vector<GameTextLine> lines = {
        GameTextLine(GameTextClass::ItemBanner, u"Axe", true),
        GameTextLine(GameTextClass::SkillName, u"Cleave", false),
        GameTextLine(GameTextClass::ItemBonuses, u"+5", false),
        GameTextLine(GameTextClass::ItemNameEpic, u"Epic", false),
    };
    GameTextLineToString(styles, lines, out);
    ASSERT_EQ(out.size(), 4u);
    auto it = out.begin();
    EXPECT_EQ(it->text, u"Axe");
    EXPECT_TRUE(it->flag);
    EXPECT_EQ(it->leftMargin, 16);
    EXPECT_EQ(it->width, 3 * 10 + 22);
    ++it;
    EXPECT_EQ(it->text, u"Cleave");
    EXPECT_EQ(it->leftMargin, 6);
    EXPECT_EQ(it->width, 6 * 10 + 12);
    ++it;
    EXPECT_EQ(it->styleName, "Missing");
    EXPECT_EQ(it->width, 0);
    ++it;
    EXPECT_EQ(it->styleName, "");
    EXPECT_EQ(it->height, 0);
}

TEST(StyleManager, RefusesNamelessStylesAndUnknownFonts)
{
    StyleManager::Get().Clear();
    LogCapture log;
    EXPECT_FALSE(StyleManager::Get().RegisterStyle("", "Body", 10));
    EXPECT_FALSE(StyleManager::Get().RegisterStyle("Title", "Nope", 10));
    EXPECT_TRUE(log.Contains("StyleManager: style 'Title' names unknown font 'Nope'"));
    EXPECT_EQ(StyleManager::Get().GetStyle("Title"), nullptr);
    StyleManager::Get().Clear();
}

}  // namespace
}  // namespace GAME
