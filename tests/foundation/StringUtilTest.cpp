#include <gtest/gtest.h>

#include "Game/core/foundation/StringUtil.h"

namespace GAME {
namespace {

TEST(PathStrings, NormalizingAndSlashes)
{
    std::string path = "Records/Game\\GameEngine.DBR";
    EXPECT_EQ(GetNormalizedPath(path), "records\\game\\gameengine.dbr");
    EXPECT_EQ(path, "Records/Game\\GameEngine.DBR");   // the copy leaves it alone
    NormalizePath(path);
    EXPECT_EQ(path, "records\\game\\gameengine.dbr");

    std::string mixed = "a/b\\c";
    ConvertToForwardSlashes(mixed);
    EXPECT_EQ(mixed, "a/b/c");
    ConvertToBackslashes(mixed);
    EXPECT_EQ(mixed, "a\\b\\c");
    RemoveSlashes(mixed = "/a/b\\c\\");
    EXPECT_EQ(mixed, "abc");
}

// The comparison without a copy answers as comparing with the normalised copy does.
TEST(PathStrings, NormalizedComparisonMatchesTheNormalisedCopy)
{
    const struct { const char* normalised; const char* path; } rows[] = {
        {"records\\buff.dbr", "Records/Buff.dbr"},   {"records\\buff.dbr", "records\\BUFF.DBR"},
        {"records\\buff.dbr", "Records/Buff.dbrx"},  {"records\\buff.dbr", "Records/Buff"},
        {"records/buff.dbr", "records/buff.dbr"},     {"a\\b", "a.b"},
        {"", ""},                                     {"", "x"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NormalizedPathEquals(row.normalised, row.path), row.normalised == GetNormalizedPath(row.path))
            << row.normalised << " / " << row.path;
    EXPECT_FALSE(NormalizedPathEquals(std::string_view("a\0b", 3), std::string_view("a\0c", 3)));
}

TEST(PathStrings, CaseInsensitiveComparisons)
{
    EXPECT_TRUE(PathEqualsNoCase("Records/Item.dbr", "records\\ITEM.DBR"));
    EXPECT_FALSE(PathEqualsNoCase("Records/Item.dbr", "Records/Item.dbrx"));
    EXPECT_FALSE(PathEqualsNoCase("Records/Item", "Records/Items"));
    EXPECT_FALSE(PathEqualsNoCase("a/b", "a.b"));
    EXPECT_FALSE(PathEqualsNoCase(nullptr, "x"));
    EXPECT_FALSE(PathEqualsNoCase("x", nullptr));
    EXPECT_FALSE(PathEqualsNoCase(nullptr, nullptr));
    EXPECT_TRUE(PathEqualsNoCase("", ""));

    EXPECT_TRUE(EqualsNoCase("Warrior", "wARRIOR"));
    EXPECT_FALSE(EqualsNoCase("Warrior", "Warrior "));
    EXPECT_FALSE(EqualsNoCase("a/b", "a\\b"));   // only paths treat the slashes alike
    EXPECT_TRUE(EqualsNoCase("", ""));

    std::string out = "Pre-";
    ToLowerCase("MiXeD", out);
    EXPECT_EQ(out, "Pre-mixed");
}

TEST(PathStrings, FileNames)
{
    EXPECT_EQ(GetFileName("Records/Items\\Sword.dbr", false), "Sword.dbr");
    EXPECT_EQ(GetFileName("Records\\Items/Sword.dbr", true), "Sword");
    EXPECT_EQ(GetFileName("Sword.old.dbr", true), "Sword.old");
    EXPECT_EQ(GetFileName("Levels.v2/readme", true), "readme");   // a dot in a folder is no extension
    EXPECT_EQ(GetFileName("Records/", false), "");
    EXPECT_EQ(GetFileName("", true), "");
}

TEST(DisplayText, LineBreakCodes)
{
    std::u16string text = u"First^nSecond^NThird\nFourth";
    RemoveLineBreakCodes(text);
    EXPECT_EQ(text, u"FirstSecondThirdFourth");

    text = u"^bBlue^n^x^";   // colour and unknown codes and a lone caret stay
    RemoveLineBreakCodes(text);
    EXPECT_EQ(text, u"^bBlue^x^");

    text = u"^^nn";   // removing the inner code joins a new one, removed by the next sweep
    RemoveLineBreakCodes(text);
    EXPECT_EQ(text, u"");

    text.clear();
    for (int i = 0; i < 200; ++i)
        text += u"x^n\n";
    RemoveLineBreakCodes(text);
    EXPECT_EQ(text, std::u16string(200, u'x'));
}

TEST(DisplayText, LineBreakSweepsAreBounded)
{
    // Codes nested 60 deep need one sweep each; the 50th sweep is the last.
    std::u16string text = std::u16string(60, u'^') + std::u16string(60, u'n');
    RemoveLineBreakCodes(text);
    EXPECT_EQ(text, std::u16string(10, u'^') + std::u16string(10, u'n'));
}

TEST(DisplayText, TrimmingStepsOverBraces)
{
    std::u16string text = u"  {  Gold  }  ";
    TrimDisplayText(text);
    EXPECT_EQ(text, u"{Gold}");

    text = u"  { }  {  ";
    TrimDisplayText(text);
    EXPECT_EQ(text, u"{}{");

    text = u"   ";
    TrimDisplayText(text);
    EXPECT_EQ(text, u"");

    text = u"a  b";
    TrimDisplayText(text);
    EXPECT_EQ(text, u"a  b");

    text = std::u16string(60, u' ') + u"x" + std::u16string(55, u' ');
    TrimDisplayText(text);
    EXPECT_EQ(text, std::u16string(10, u' ') + u"x" + std::u16string(5, u' '));
}

TEST(StringLists, CommonStringsAndJoins)
{
    EXPECT_TRUE(HasCommonString({"Undead", "Beast"}, {"Human", "Beast"}));
    EXPECT_FALSE(HasCommonString({"Undead"}, {"undead"}));
    EXPECT_FALSE(HasCommonString({}, {"x"}));
    EXPECT_FALSE(HasCommonString({"x"}, {}));

    std::u16string out = u">";
    JoinStrings({u"a", u"", u"bc"}, out);
    EXPECT_EQ(out, u">abc");

    std::vector<GameTextLine> lines;
    lines.emplace_back(GameTextClass::Default, u"kept", true);
    AppendGameTextLines({u"one", u"two"}, GameTextClass::SkillName, lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].text, u"one");
    EXPECT_EQ(lines[2].text, u"two");
    EXPECT_EQ(lines[2].textClass, GameTextClass::SkillName);
    EXPECT_FALSE(lines[1].flag);
}

TEST(NumberText, IntegersAndFloats)
{
    EXPECT_EQ(IntToString(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(FloatToString(1.5f), "1.5");
    EXPECT_EQ(FloatToString(3.14159265f), "3.14159");
    EXPECT_EQ(FloatToString(1234567.0f), "1.23457e+06");
    EXPECT_EQ(FloatToString(3.14159265f, 3), "3.14");
    EXPECT_EQ(FloatToString(3.0f, 0), "3");
    EXPECT_FALSE(FloatToString(3.4e38f, 1000).empty());
}

}  // namespace
}  // namespace GAME
