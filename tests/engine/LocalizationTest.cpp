#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/TextUtil.h"

using namespace GAME;

namespace {

std::string Utf8(const std::u16string& text)
{
    return LocalizationManager::ToChar(text);
}

template <class... Args>
std::string Fmt(std::u16string_view format, const Args&... args)
{
    return Utf8(LocalizationManager::FormatString(format, args...));
}

enum class Colour : uint8_t { Red = 2 };

class LocalizationTest : public ::testing::Test {
protected:
    void SetUp() override { text.Clear(); }
    void TearDown() override
    {
        text.Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
    LocalizationManager& text = LocalizationManager::Instance();
};

}  // namespace

TEST(TextFormat, WholeNumbersFollowPrintf)
{
    EXPECT_EQ(Fmt(u"%d|%i|%u|%x|%X|%o", -5, 42, 7u, 255, 255, 8), "-5|42|7|ff|FF|10");
    EXPECT_EQ(Fmt(u"[%5d][%-5d][%05d][%+d][% d][%#x]", 42, 42, 42, 42, 42, 255), "[   42][42   ][00042][+42][ 42][0xff]");
    EXPECT_EQ(Fmt(u"%.3d", 7), "007");
    EXPECT_EQ(Fmt(u"%u", -1), "4294967295");           // 32 bits, as the texts expect
    EXPECT_EQ(Fmt(u"%hd %hhu", 70000, 300), "4464 44");
    EXPECT_EQ(Fmt(u"%lld %I64u", int64_t{-5000000000}, uint64_t{5000000000}), "-5000000000 5000000000");
    EXPECT_EQ(Fmt(u"%d %d %d", true, Colour::Red, 'A'), "1 2 65");
    EXPECT_EQ(Fmt(u"%*d|%-*d|", 4, 7, 3, 8), "   7|8  |");
    EXPECT_EQ(Fmt(u"%*d|", -3, 1), "1  |");
}

TEST(TextFormat, EveryLengthModifierIsReadWholeAndOnlyWhereItFits)
{
    struct Case {
        std::u16string_view format;
        const char* shown;
    };
    const int64_t big = -5000000000;   // 0xFFFFFFFED5FA0E00
    const Case cases[] = {
        {u"%hhd", "0"},           {u"%hd", "3584"},       {u"%d", "-705032704"},  {u"%ld", "-705032704"},
        {u"%I32d", "-705032704"}, {u"%lld", "-5000000000"}, {u"%I64d", "-5000000000"}, {u"%jd", "-5000000000"},
        {u"%zd", "-5000000000"},  {u"%td", "-5000000000"},
        // Not a modifier, or one the conversion does not take: shown as written.
        {u"%I6d", "%I6d"},        {u"%Id", "%Id"},         {u"%Ld", "%Ld"},         {u"%wd", "%wd"},
        {u"%h", "%h"},            {u"%I64", "%I64"},
    };
    LogCapture log;
    for (const Case& each : cases)
        EXPECT_EQ(Fmt(each.format, big), each.shown) << Utf8(std::u16string(each.format));
    EXPECT_EQ(Fmt(u"%lf|%Lf|%ws|%hc", 0.5, 0.25, u"w", 'c'), "0.500000|0.250000|w|c");
}

TEST(TextFormat, AParsedFormatWritesWhatTheFormatterWrites)
{
    const FormatArg sets[][3] = {
        {MakeFormatArg(42), MakeFormatArg(2.5f), MakeFormatArg("text")},
        {MakeFormatArg(-7), MakeFormatArg(5), MakeFormatArg(u"wide")},
        {MakeFormatArg(1.0), MakeFormatArg(3), MakeFormatArg(4)},
        {MakeFormatArg("a"), MakeFormatArg('b'), MakeFormatArg(1e30)},
    };
    const std::u16string_view formats[] = {
        u"", u"plain", u"100%%", u"%d", u"+%d%% of %.1f %s", u"[%*d]", u"%-5d|%05.1f|%.2s", u"%c%s", u"%d %d %d",
        u"%ld and %hhu", u"%I64d %f", u"%s%", u"%q", u"%2000d", u"%d %Ld", u"tail %",
    };
    for (std::u16string_view format : formats) {
        const ParsedFormat parsed(format);
        EXPECT_EQ(parsed.GetText(), format);
        for (const auto& args : sets) {
            for (size_t count = 0; count <= 3; ++count) {
                const std::span<const FormatArg> given(args, count);
                std::u16string expected = u"junk", got = u"junk";
                const bool fits = FormatText(format, given, expected);
                EXPECT_EQ(parsed.Format(given, got), fits) << Utf8(std::u16string(format)) << " with " << count;
                EXPECT_EQ(got, expected) << Utf8(std::u16string(format)) << " with " << count;
            }
        }
    }
    // A copy formats on its own once the original is gone.
    auto original = std::make_unique<ParsedFormat>(u"%d apples");
    const ParsedFormat copy = *original;
    original.reset();
    std::u16string out;
    const FormatArg three[] = {MakeFormatArg(3)};
    EXPECT_TRUE(copy.Format(three, out));
    EXPECT_EQ(out, u"3 apples");
}

TEST(TextFormat, FloatsCharactersAndTexts)
{
    EXPECT_EQ(Fmt(u"%f %.2f %8.1f %e %g %G", 1.5, 2.0f, -3.25, 12345.0, 0.0001, 1e20), "1.500000 2.00     -3.2 1.234500e+04 0.0001 1E+20");
    EXPECT_EQ(Fmt(u"%.*f", 1, 2.25), "2.2");
    EXPECT_EQ(Fmt(u"100%%"), "100%");
    EXPECT_EQ(Fmt(u"%c%c%c", 'o', u'\u00e9', U'\U0001F600'), "o\u00e9\U0001F600");
    EXPECT_EQ(Fmt(u"[%s][%ls][%S][%hs]", "narr\u00f6w", u"w\u00efde", std::string("str"), std::u16string(u"u16")),
              "[narr\u00f6w][w\u00efde][str][u16]");
    EXPECT_EQ(Fmt(u"[%-6s][%6s][%.3s]", "ab", u"cd", "abcdef"), "[ab    ][    cd][abc]");
    EXPECT_EQ(Fmt(u"[%.1s]", u"\U0001F600x"), "[]");   // never half a surrogate pair
    EXPECT_EQ(Fmt(u"[%.4s]", u"ab\U0001F600c"), "[ab\U0001F600]");   // a pair that fits stays whole
    EXPECT_EQ(Fmt(u"%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(Fmt(u"%d", 1, "extra"), "1");             // values left over are ignored
}

TEST(TextFormat, FormatThatDoesNotFitIsShownAsPlainTextAndLogged)
{
    struct Case {
        std::u16string_view format;
        const char* logged;
    };
    LogCapture log;
    // A text where a number belongs, a number where a text belongs, an integer where a
    // float belongs, too few values, and conversions this formatter does not offer.
    EXPECT_EQ(Fmt(u"%d gold", "ten"), "%d gold");
    EXPECT_EQ(Fmt(u"%s wins", 3), "%s wins");
    EXPECT_EQ(Fmt(u"%f%%", 50), "%f%%");
    EXPECT_EQ(Fmt(u"%d and %d", 1), "%d and %d");
    EXPECT_EQ(Fmt(u"%n", 1), "%n");
    EXPECT_EQ(Fmt(u"%p", 1), "%p");
    EXPECT_EQ(Fmt(u"50%", 1), "50%");
    EXPECT_EQ(Fmt(u"%2000d", 1), "%2000d");             // wider than any text needs
    EXPECT_EQ(Fmt(u"%*d", 5000, 1), "%*d");              // the same through '*'
    EXPECT_EQ(Fmt(u"%Ld", 1), "%Ld");
    EXPECT_EQ(log.Count("LocalizationManager: format \"%d gold\" does not fit its values, shown as plain text"), 1u);
    EXPECT_EQ(log.Lines().size(), 10u);
}

TEST(TextFormat, PositionalConversionsNameTheirValues)
{
    EXPECT_EQ(Fmt(u"%2$s %1$s", "a", u"b"), "b a");
    EXPECT_EQ(Fmt(u"%2$d-%2$03d %1$.1f 100%%", 1.5, 7), "7-007 1.5 100%");   // twice, with flags
    EXPECT_EQ(Fmt(u"%2$s", "unused", "b", "unused"), "b");
    EXPECT_EQ(Fmt(u"%05d|%10$s", 3), "%05d|%10$s");   // a width is no position; mixed is refused
    LogCapture log;
    // A value that is not there or not of the kind, a position 0, a mix with values taken in
    // turn, and a '*' in a named conversion: shown as written.
    for (std::u16string_view format : {u"%3$s", u"%2$s", u"%0$s", u"%1$s %s", u"%s %1$s", u"%1$*2$d", u"%1$.*2$f"})
        EXPECT_EQ(Fmt(format, "a", 2), Utf8(std::u16string(format)));
    EXPECT_EQ(log.Lines().size(), 7u);
    EXPECT_TRUE((FormatMatches<const char*, int>(u"%2$d %1$s %2$x")));
    EXPECT_FALSE((FormatMatches<const char*, int>(u"%1$d")));
    EXPECT_FALSE((FormatMatches<const char*>(u"%2$s")));
}

TEST(TextFormat, AnEmptyWordTakesOneBlankWithIt)
{
    const std::u16string_view name = u"%4$s %2$s %3$s %1$s %5$s";
    const auto words = [](std::u16string_view format, std::initializer_list<std::u16string_view> parts) {
        std::vector<FormatArg> args;
        for (std::u16string_view part : parts)
            args.push_back(MakeFormatArg(part));
        std::u16string out;
        EXPECT_TRUE(FormatText(format, args, out, FormatSpacing::Words));
        std::u16string parsed = u"kept ";   // what an appended text follows is never touched
        EXPECT_TRUE(ParsedFormat(format).AppendTo(args, parsed, FormatSpacing::Words));
        EXPECT_EQ(parsed, u"kept " + out);
        return Utf8(out);
    };
    EXPECT_EQ(words(name, {u"Sword", u"Fine", u"Elven", u"Keen", u"of the Hunt"}), "Keen Fine Elven Sword of the Hunt");
    EXPECT_EQ(words(name, {u"Sword", u"", u"", u"Keen", u"of the Hunt"}), "Keen Sword of the Hunt");
    EXPECT_EQ(words(name, {u"Sword", u"", u"Elven", u"", u""}), "Elven Sword");
    EXPECT_EQ(words(name, {u"Ring", u"", u"", u"", u"of  Warding"}), "Ring of  Warding");   // a value's blanks stay
    EXPECT_EQ(words(name, {u"", u"", u"", u"", u""}), "");
    EXPECT_EQ(words(u"%1$s  %2$s, %3$s!", {u"a", u"b", u""}), "a  b,!");   // blanks the format asks for stay
    EXPECT_EQ(words(u"%1$s  %2$s", {u"a", u""}), "a ");
    EXPECT_EQ(words(u"[%1$s%2$s] %3$s", {u"", u"", u"c"}), "[] c");
    // As written, every blank stays.
    EXPECT_EQ(Fmt(name, u"Sword", u"", u"", u"Keen", u""), "Keen   Sword ");
}

TEST(TextFormat, MatchingChecksKindsWithoutFormatting)
{
    EXPECT_TRUE((FormatMatches<int, const char*>(u"%d %s")));
    EXPECT_TRUE((FormatMatches<unsigned, std::u16string>(u"%u %ls")));
    EXPECT_TRUE((FormatMatches<int, double>(u"%*f")));
    EXPECT_TRUE((FormatMatches<char16_t>(u"%c")));
    EXPECT_FALSE((FormatMatches<double, double>(u"%*f")));
    EXPECT_FALSE((FormatMatches<const char*>(u"%d")));
    EXPECT_FALSE((FormatMatches<>(u"%s")));
    EXPECT_TRUE((FormatMatches<>(u"no values 100%%")));
}

TEST(Conversion, RoundTripOfNonAsciiText)
{
    const std::string utf8 = "Gr\u00fc\u00dfe \u2013 \u65e5\u672c \U0001F600";
    const std::u16string wide = LocalizationManager::ToWChar(utf8);
    EXPECT_EQ(wide, u"Gr\u00fc\u00dfe \u2013 \u65e5\u672c \U0001F600");
    EXPECT_EQ(LocalizationManager::ToChar(wide), utf8);
}

TEST(Conversion, MalformedInputBecomesReplacementCharacters)
{
    EXPECT_EQ(LocalizationManager::ToWChar("a\xFF" "b\xC3"), u"a\uFFFDb\uFFFD");   // stray byte, cut sequence
    EXPECT_EQ(LocalizationManager::ToWChar("\xC0\xAF"), u"\uFFFD\uFFFD");          // overlong '/'
    EXPECT_EQ(LocalizationManager::ToWChar("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(LocalizationManager::ToChar(lone), "x\uFFFDy");
}

TEST(Conversion, BuffersAndLimitsCutOnCharacterBoundaries)
{
    char16_t wide[4];
    EXPECT_EQ(LocalizationManager::ToWChar("abcdef", wide, 4), 3u);
    EXPECT_EQ(std::u16string(wide), u"abc");
    EXPECT_EQ(LocalizationManager::ToWChar("ab\U0001F600", wide, 4), 2u);   // the pair does not fit
    EXPECT_EQ(std::u16string(wide), u"ab");
    EXPECT_EQ(LocalizationManager::ToWChar(nullptr, wide, 4), 0u);
    EXPECT_EQ(wide[0], u'\0');
    wide[0] = u'z';
    EXPECT_EQ(LocalizationManager::ToWChar("abc", wide, 0), 0u);
    EXPECT_EQ(wide[0], u'z');

    char narrow[4];
    EXPECT_EQ(LocalizationManager::ToChar(u"a\u00e9\u00e9", narrow, 4), 3u);   // "a" + one two-byte character
    EXPECT_EQ(std::string(narrow), "a\u00e9");

    const std::string longColour(600, 'c');
    char16_t colour[512];
    EXPECT_EQ(LocalizationManager::ToWChar(longColour.c_str(), colour, 512), 511u);
    EXPECT_EQ(LocalizationManager::ToChar(u"\u00e9\u00e9", 3), "\u00e9");
}

TEST(Conversion, AnExcerptShowsEveryByteReadablyAndIsBounded)
{
    using namespace std::string_view_literals;
    EXPECT_EQ(EscapedExcerpt("at 260 portal"), "at 260 portal");
    EXPECT_EQ(EscapedExcerpt("a\0b\x01\t\"q\"\\\x7f\x1b[2J"sv), "a\\x00b\\x01\\t\\\"q\\\"\\\\\\x7f\\x1b[2J");
    // Well-formed UTF-8 stays; a C1 control, a lone byte and a cut character do not.
    EXPECT_EQ(EscapedExcerpt("\u00c5sa \xc2\x85 \xff \xe2\x82"sv), "\u00c5sa \\xc2\\x85 \\xff \\xe2\\x82");
    EXPECT_EQ(EscapedExcerpt(std::string(200, 'x')), std::string(kExcerptBytes, 'x') + "...");
    EXPECT_EQ(EscapedExcerpt("abcdef", 3), "abc...");
}

TEST_F(LocalizationTest, TagsFormatTheirValues)
{
    EXPECT_EQ(text.RegisterTags("tagGold=%d gold\r\n  tagName = Name: %s\n# comment\n\ntagLines=a\\nb\\\\c\\t\n"), 3u);
    EXPECT_EQ(Utf8(text.Format("tagGold", 25)), "25 gold");
    EXPECT_EQ(Utf8(text.Format("TAGNAME", u"\u00c5sa")), "Name: \u00c5sa");   // tags ignore case
    EXPECT_EQ(Utf8(text.Format("tagLines")), "a\nb\\c\\t");
    EXPECT_TRUE(text.TagMatches<int>("tagGold"));
    EXPECT_FALSE(text.TagMatches<const char*>("tagGold"));
    EXPECT_FALSE(text.TagMatches<int>("tagMissing"));
}

TEST_F(LocalizationTest, UnknownTagGivesTheTagLoggedOnce)
{
    LogCapture log;
    EXPECT_EQ(Utf8(text.Format("tagNowhere", 1)), "tagNowhere");
    EXPECT_EQ(Utf8(text.Format("tagNowhere")), "tagNowhere");
    EXPECT_EQ(log.Count("LocalizationManager: unknown tag (tagNowhere)"), 1u);
    EXPECT_EQ(text.Format(nullptr), u"");
}

TEST_F(LocalizationTest, TagWhoseFormatDoesNotFitIsShownAsPlainText)
{
    text.RegisterTags("tagPeer=%s took %d%%\n");
    LogCapture log;
    EXPECT_EQ(Utf8(text.Format("tagPeer", 5, "x")), "%s took %d%%");
    EXPECT_TRUE(log.Contains("LocalizationManager: format of tag (tagPeer) does not fit its values, shown as plain text"));
}

TEST_F(LocalizationTest, AppendingWritesAfterTheLineAndLeavesNoHalfWrittenValues)
{
    text.RegisterTags("tagAmount=%d and %s\ntagGold=%d gold\n");
    LogCapture log;
    std::u16string line = u"Line: ";
    text.AppendFormat(line, "tagGold", 25);
    EXPECT_EQ(Utf8(line), "Line: 25 gold");
    // The first value fits and the second does not: the line gets the plain format only.
    text.AppendFormat(line, "tagAmount", 1, 2);
    EXPECT_EQ(Utf8(line), "Line: 25 gold%d and %s");
    text.AppendFormat(line, "tagElsewhere");
    EXPECT_EQ(Utf8(line), "Line: 25 gold%d and %stagElsewhere");
    EXPECT_EQ(log.Count("LocalizationManager: unknown tag (tagElsewhere)"), 1u);
}

TEST_F(LocalizationTest, BrokenLinesAreLoggedWithSourceAndLine)
{
    LogCapture log;
    EXPECT_EQ(text.RegisterTags("good=1\nno equals sign\n=no tag\nbad tag=2\nlast=3", "mem.txt"), 2u);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"mem.txt(2): text line does not parse, skipped",
                                                     "mem.txt(3): text line does not parse, skipped",
                                                     "mem.txt(4): text line does not parse, skipped"}));
    EXPECT_TRUE(text.HasTag("last"));
}

TEST_F(LocalizationTest, LoadsTheTextFolderOfTheDataRoot)
{
    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    LogCapture log;
    EXPECT_EQ(text.Load(), 3u);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{std::string(GAME_TEST_DATA_DIR) +
                                                     "/Text/Test.txt(4): text line does not parse, skipped"}));
    EXPECT_EQ(Utf8(text.Format("TestGreeting", "you")), "Hello, you!");   // the byte order mark is skipped
    EXPECT_EQ(Utf8(text.Format("TestTwoLines")), "one\ntwo");

    RecordDatabase::Get().SetDataRoot(std::string(GAME_TEST_DATA_DIR) + "/Records");
    EXPECT_EQ(text.Load(), 0u);
}

TEST_F(LocalizationTest, ShippedTextsFitTheValuesTheGameGives)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    LogCapture log;
    EXPECT_GT(text.Load(), 0u);
    EXPECT_TRUE(log.Texts().empty());
    for (const char* tag : {"tagQuestionBan", "tagMessageBan", "tagInviteMessage", "tagMessageLeave",
                            "tagMessageGameLeave", "SimpleStringFormat"})
        EXPECT_TRUE(text.TagMatches<std::u16string>(tag)) << tag;
    EXPECT_TRUE((text.TagMatches<float, float>("CriticalHitFormat")));
    EXPECT_TRUE(text.TagMatches<float>("DamageSingleFormat"));
    EXPECT_TRUE((text.TagMatches<float, float>("DamageRangeFormat")));
    EXPECT_TRUE(text.TagMatches<>("tagPerSecond"));
    // An item's name from its name, quality, style, prefix and suffix.
    using Part = std::u16string;
    for (const char* tag : {"CommonWeaponFormat", "RandomMagicalWeaponFormat", "CommonArmorFormat",
                            "RandomMagicalArmorFormat"})
        EXPECT_TRUE((text.TagMatches<Part, Part, Part, Part, Part>(tag))) << tag;
    EXPECT_EQ(Utf8(text.FormatWords("RandomMagicalWeaponFormat", Part(u"Sword"), Part(), Part(), Part(u"Keen"),
                                    Part(u"of the Hunt"))),
              "Keen Sword of the Hunt");
    EXPECT_EQ(Utf8(text.FormatWords("CommonArmorFormat", Part(u"Helm"), Part(), Part(), Part(), Part())), "Helm");
}
