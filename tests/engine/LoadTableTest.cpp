#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "TempFolder.h"

using namespace GAME;

namespace {

LoadTable Parsed(const std::string& text, const std::string& source = "test.dbr")
{
    LoadTable table(source);
    table.Parse(text.data(), text.size(), source);
    return table;
}

}  // namespace

TEST(LoadTable, ReadsEachKindOfValue)
{
    const LoadTable table = Parsed(
        "Class,Monster,\n"
        "charLevel,12,\n"
        "meleeRange, 0.4 ,\n"
        "isBoss,true,\n"
        "canFly,0,\n"
        "levels,1;2;3;,\n"
        "chance,10.5;20;x,\n"
        "names,alpha;beta,\n"
        "title,Stone Golem\n");   // the closing comma may be left out
    EXPECT_STREQ(table.GetString("Class", ""), "Monster");
    EXPECT_STREQ(table.GetString("title", ""), "Stone Golem");
    EXPECT_EQ(table.GetInt("charLevel", 0), 12);
    EXPECT_FLOAT_EQ(table.GetFloat("meleeRange", 0.0f), 0.4f);
    EXPECT_TRUE(table.GetBool("isBoss", false));
    EXPECT_FALSE(table.GetBool("canFly", true));

    std::vector<int> ints{99};
    table.GetIntArray("levels", ints);
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 3}));   // a trailing ';' adds no entry
    std::vector<float> floats;
    table.GetFloatArray("chance", floats);
    EXPECT_EQ(floats, (std::vector<float>{10.5f, 20.0f, 0.0f}));
    EXPECT_FLOAT_EQ(table.GetFloat("chance", 1, -1.0f), 20.0f);
    EXPECT_FLOAT_EQ(table.GetFloat("chance", 3, -1.0f), -1.0f);
    std::vector<std::string> texts;
    table.GetStringArray("names", texts);
    EXPECT_EQ(texts, (std::vector<std::string>{"alpha", "beta"}));
}

TEST(LoadTable, KeysIgnoreCaseAndMissingKeysGiveDefaults)
{
    const LoadTable table = Parsed("MeleeRange,2,\nempty,,\n");
    EXPECT_EQ(table.GetInt("meleerange", 0), 2);
    EXPECT_EQ(table.GetInt("MELEERANGE", 0), 2);
    EXPECT_STREQ(table.GetString("absent", "dflt"), "dflt");
    EXPECT_EQ(table.GetInt("absent", -7), -7);
    EXPECT_FLOAT_EQ(table.GetFloat("absent", 1.5f), 1.5f);
    EXPECT_TRUE(table.GetBool("absent", true));
    EXPECT_EQ(table.GetInt("empty", 5), 5);
    EXPECT_STREQ(table.GetString("empty", "x"), "");
    std::vector<int> ints{1, 2};
    table.GetIntArray("absent", ints);
    EXPECT_TRUE(ints.empty());
    EXPECT_EQ(table.GetInt(nullptr, 3), 3);
}

TEST(LoadTable, LongKeysMatchInAnyCaseAndALaterLineReplacesTheValue)
{
    LoadTable table = Parsed(
        "offensiveSlowOffensiveReductionDurationModifier,1;2,\n"
        "OFFENSIVESLOWOFFENSIVEREDUCTIONDURATIONMODIFIER,3,\n"
        "offensiveStunGlobal,TRUE,\n"
        "offensiveStunXOR,False,\n"
        "caf\xC3\xA9Key,1,\n");
    EXPECT_EQ(table.GetKeyCount(), 4u);
    std::vector<float> values;
    table.GetFloatArray("offensiveslowoffensivereductiondurationmodifier", values);
    EXPECT_EQ(values, (std::vector<float>{3.0f}));
    EXPECT_TRUE(table.GetBool("offensiveStunGlobal", false));
    EXPECT_FALSE(table.GetBool("OffensiveStunXor", true));
    // Only ASCII letters fold: other bytes, and keys one letter apart, stay different.
    EXPECT_TRUE(table.HasKey("CAF\xC3\xA9key"));
    EXPECT_FALSE(table.HasKey("caf\xC3\x89Key"));
    EXPECT_FALSE(table.HasKey("offensiveStunGloba"));
    EXPECT_FALSE(table.HasKey("offensiveStunGlobal_"));

    table.SetValue("OffensiveStunGLOBAL", "0");
    EXPECT_EQ(table.GetKeyCount(), 4u);
    EXPECT_FALSE(table.GetBool("offensiveStunGlobal", true));
}

TEST(LoadTable, NumbersReadAsTheirValue)
{
    const LoadTable table = Parsed("a,3.0,\nb,1e5,\nc,-2.9,\nd,99999999999,\ne,nan,\nf,inf,\ng,+4,\nh,abc,\n");
    EXPECT_EQ(table.GetInt("a", 0), 3);
    EXPECT_EQ(table.GetInt("b", 0), 100000);   // not the 1 in front of the exponent
    EXPECT_EQ(table.GetInt("c", 0), -2);
    EXPECT_EQ(table.GetInt("d", -1), -1);      // outside 32 bits
    EXPECT_FLOAT_EQ(table.GetFloat("e", 7.0f), 7.0f);
    EXPECT_FLOAT_EQ(table.GetFloat("f", 7.0f), 7.0f);
    EXPECT_EQ(table.GetInt("g", 0), 4);
    EXPECT_EQ(table.GetInt("h", 8), 8);
    std::vector<int> ints;
    Parsed("v,1e2;2.5;x,\n").GetIntArray("v", ints);
    EXPECT_EQ(ints, (std::vector<int>{100, 2, 0}));
}

// Values are read as numbers when stored: the first entry, the whole array, and again when
// a value is replaced or the table copied.
TEST(LoadTable, NumbersFollowTheirValueThroughReplacementAndCopies)
{
    LoadTable table = Parsed("lvl,7,\narr,x;2.5;-1,\nword,abc,\n");
    EXPECT_FLOAT_EQ(table.GetFloat("arr", -3.0f), -3.0f);   // the first entry is no number
    EXPECT_EQ(table.GetInt("arr", 0, 9), 9);
    EXPECT_FLOAT_EQ(table.GetFloat("arr", 1, 0.0f), 2.5f);
    std::vector<float> floats{5.0f};
    table.GetFloatArray("arr", floats);
    EXPECT_EQ(floats, (std::vector<float>{0.0f, 2.5f, -1.0f}));
    table.GetFloatArray("word", floats);
    EXPECT_EQ(floats, (std::vector<float>{0.0f}));
    table.GetFloatArray("lvl", floats);
    EXPECT_EQ(floats, (std::vector<float>{7.0f}));

    const LoadTable before = table;
    table.SetValue("LVL", "8.5;1");
    EXPECT_EQ(table.GetInt("lvl", 0), 8);
    EXPECT_FLOAT_EQ(table.GetFloat("lvl", 0.0f), 8.5f);
    table.GetFloatArray("lvl", floats);
    EXPECT_EQ(floats, (std::vector<float>{8.5f, 1.0f}));
    table.SetValue("arr", "");
    EXPECT_EQ(table.GetInt("arr", 4), 4);
    table.GetFloatArray("arr", floats);
    EXPECT_TRUE(floats.empty());

    EXPECT_EQ(before.GetInt("lvl", 0), 7);
    before.GetFloatArray("arr", floats);
    EXPECT_EQ(floats, (std::vector<float>{0.0f, 2.5f, -1.0f}));
}

TEST(LoadTable, BrokenLinesAreLoggedWithFileAndLineAndTheRestKept)
{
    LogCapture log;
    LoadTable table("Records/Broken.dbr");
    const std::string text = "first,1,\nno comma here\nsecond,2,\n,no key,\nthird,3,extra,\nbad\x01value,1,\nfourth,4,";
    EXPECT_EQ(table.Parse(text.data(), text.size(), "Records/Broken.dbr"), 3u);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "Records/Broken.dbr(2): record line does not parse, skipped: no comma here",
                               "Records/Broken.dbr(4): record line does not parse, skipped: ,no key,",
                               "Records/Broken.dbr(5): record line does not parse, skipped: third,3,extra,",
                               "Records/Broken.dbr(6): record line does not parse, skipped: bad?value,1,",
                           }));
    EXPECT_EQ(table.GetInt("first", 0), 1);
    EXPECT_EQ(table.GetInt("second", 0), 2);
    EXPECT_EQ(table.GetInt("fourth", 0), 4);
    EXPECT_FALSE(table.HasKey("third"));
}

TEST(LoadTable, ByteOrderMarkIsNotPartOfTheFirstKey)
{
    const LoadTable table = Parsed("\xEF\xBB\xBF" "Class,Chest,\r\n");
    EXPECT_STREQ(table.GetString("Class", ""), "Chest");
}

TEST(LoadTable, NumberedKeysComeByNumberAndSurviveACopy)
{
    auto numbers = [](const LoadTable& table, const char* stem) {
        std::vector<std::pair<uint32_t, std::string>> out;
        for (const LoadTable::NumberedValue& key : table.GetNumbered(stem))
            out.emplace_back(key.number, key.value->text);
        return out;
    };
    using Rows = std::vector<std::pair<uint32_t, std::string>>;
    auto copy = std::make_unique<LoadTable>(Parsed(
        "lootName12,c,\nLOOTNAME2,b,\nlootName01,zero,\nlootName1,a,\nlootNameX,x,\nlootName4294967296,big,\n"
        "lootname2,b2,\nrow1,r,\n"));
    const LoadTable table = *copy;
    copy.reset();   // the copy's numbered keys are its own
    EXPECT_EQ(numbers(table, "LootName"), (Rows{{1, "a"}, {2, "b2"}, {12, "c"}}));
    EXPECT_EQ(numbers(table, "row"), (Rows{{1, "r"}}));
    EXPECT_TRUE(numbers(table, "lootNam").empty());
    LoadTable assigned;
    assigned = table;
    assigned.SetValue("LootName3", "d");
    assigned.SetValue("lootName12", "c2");   // a key already there keeps its place
    EXPECT_EQ(numbers(assigned, "lootname"), (Rows{{1, "a"}, {2, "b2"}, {3, "d"}, {12, "c2"}}));
}

TEST(NameIndex, FoldedNamesMatchAcrossWordBoundariesAndGrowth)
{
    NameIndex<int, PathFold> paths;
    NameIndex<int, CaseFold> keys;
    for (int i = 0; i < 300; ++i) {
        paths.Emplace("Records\\Loot\\Item" + std::to_string(i)).value = i;
        keys.Emplace("key" + std::string(i % 20, 'Q')).value = i % 20;
    }
    EXPECT_EQ(paths.Size(), 300u);
    EXPECT_EQ(keys.Size(), 20u);
    for (int i = 0; i < 300; ++i) {
        const int* found = paths.Find("records/LOOT/item" + std::to_string(i));
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(*found, i);
    }
    for (size_t length = 0; length < 20; ++length) {
        const int* found = keys.Find("KEY" + std::string(length, 'q'));
        ASSERT_NE(found, nullptr) << length;
        EXPECT_EQ(*found, static_cast<int>(length));
    }
    // Only ASCII letters and the separator fold; a name one byte longer or shorter differs.
    keys.Emplace("at@[\xC3\x89");
    EXPECT_NE(keys.Find("AT@[\xC3\x89"), nullptr);
    EXPECT_EQ(keys.Find("at`[\xC3\x89"), nullptr);   // '@' and '[' sit just outside the capitals
    EXPECT_EQ(keys.Find("at@{\xC3\x89"), nullptr);
    EXPECT_EQ(keys.Find("at@[\xC3\xA9"), nullptr);
    EXPECT_EQ(paths.Find("records|loot|item1"), nullptr);
    EXPECT_EQ(keys.Find("ke"), nullptr);
    EXPECT_EQ(keys.Find("keyqqqqqqqqqqqqqqqqqqqq"), nullptr);
    // Names whose bytes differ only outside the letters by the case bit are entries of their own.
    keys.Emplace("at`{\xC3\xA9").value = 99;
    ASSERT_NE(keys.Find("AT`{\xC3\xA9"), nullptr);
    EXPECT_EQ(*keys.Find("AT`{\xC3\xA9"), 99);
    EXPECT_EQ(*keys.Find("at@[\xC3\x89"), 0);
}

TEST(NameIndex, CopiesAndClearedIndexesFindOnlyTheirOwnNames)
{
    NameIndex<int, CaseFold> names;
    for (int i = 0; i < 40; ++i)
        names.Emplace("name" + std::to_string(i)).value = i;
    NameIndex<int, CaseFold> copy(names);
    names.Clear();
    EXPECT_EQ(names.Find("name3"), nullptr);
    names.Emplace("other").value = -1;
    copy.Emplace("added").value = 40;
    for (int i = 0; i < 40; ++i) {
        const int* found = copy.Find("NAME" + std::to_string(i));
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(*found, i);
    }
    ASSERT_NE(copy.Find("Added"), nullptr);
    EXPECT_EQ(*copy.Find("Added"), 40);
    EXPECT_EQ(copy.Find("other"), nullptr);
    ASSERT_NE(names.Find("OTHER"), nullptr);
    EXPECT_EQ(*names.Find("OTHER"), -1);
    EXPECT_EQ(names.Size(), 1u);
}

class RecordDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.Clear();
        db.SetDataRoot(GAME_TEST_DATA_DIR);
    }
    void TearDown() override
    {
        db.Clear();
        db.SetDataRoot("");
    }
    RecordDatabase& db = RecordDatabase::Get();
};

TEST_F(RecordDatabaseTest, RecordNamesIgnoreCaseAndSlashDirection)
{
    const LoadTable* table = db.Load("Records\\Game\\TestRecord.dbr");
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table->GetString("Class", ""), "TestObject");
    EXPECT_STREQ(table->GetString("name", ""), "Hello World");   // the file has CRLF line ends
    std::vector<int> levels;
    table->GetIntArray("levels", levels);
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(db.Load("records/game/TESTRECORD.DBR"), table);
    EXPECT_EQ(db.Load("/Records/Game/TestRecord.dbr"), table);
    EXPECT_EQ(db.Find("RECORDS\\game\\testrecord.dbr"), table);
}

TEST_F(RecordDatabaseTest, WhatIsNotARecordFileGivesNone)
{
    EXPECT_EQ(db.Load("Records/Game/Missing.dbr"), nullptr);
    EXPECT_EQ(db.Load(""), nullptr);
    EXPECT_EQ(db.Load("Records/Folder.dbr"), nullptr);            // a folder
    EXPECT_EQ(db.Load("Records/Game/../Broken.dbr"), nullptr);    // stays under the data root
    EXPECT_EQ(db.Find("Records/Game/Missing.dbr"), nullptr);
}

TEST_F(RecordDatabaseTest, BrokenFileKeepsItsGoodLines)
{
    LogCapture log;
    const LoadTable* table = db.Load("Records/Broken.dbr");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetKeyCount(), 3u);
    EXPECT_TRUE(log.Contains("Records/Broken.dbr(2): record line does not parse, skipped: this line has no comma"));
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST_F(RecordDatabaseTest, RegisteredRecordsComeBeforeFilesAndClearForgetsThem)
{
    const LoadTable* registered = db.RegisterRecord("records/game/testrecord.dbr", "Class,FromMemory,\n");
    EXPECT_EQ(db.Load("Records/Game/TestRecord.dbr"), registered);
    EXPECT_STREQ(registered->GetString("Class", ""), "FromMemory");
    const LoadTable* again = db.RegisterRecord("Records/Game/TestRecord.dbr", "Class,Second,\n");
    EXPECT_STREQ(db.Load("Records/Game/TestRecord.dbr")->GetString("Class", ""), "Second");
    EXPECT_STREQ(registered->GetString("Class", ""), "FromMemory");   // the earlier table stays readable
    EXPECT_NE(again, registered);
    db.Clear();
    EXPECT_STREQ(db.Load("Records/Game/TestRecord.dbr")->GetString("Class", ""), "TestObject");
}

// A name the data root does not hold is not looked for on disk again until the records or
// the root change; a file that appears meanwhile is found after that.
TEST_F(RecordDatabaseTest, MissingRecordIsRememberedUntilTheRecordsChange)
{
    const TempFolder folder("record-miss-");
    const std::filesystem::path& root = folder.Path();
    ASSERT_FALSE(root.empty());
    std::filesystem::create_directories(root / "Records");
    db.SetDataRoot(root.string());
    const std::string name = "Records/Late.dbr";
    EXPECT_EQ(db.Load(name), nullptr);
    std::ofstream(root / "Records" / "late.dbr") << "Class,Late,\n";
    EXPECT_EQ(db.Load("records\\LATE.dbr"), nullptr);   // any spelling of the missing name
    db.RegisterRecord("Records/Other.dbr", "Class,Other,\n");
    const LoadTable* late = db.Load(name);
    ASSERT_NE(late, nullptr);
    EXPECT_STREQ(late->GetString("Class", ""), "Late");

    EXPECT_EQ(db.Load("Records/Later.dbr"), nullptr);
    std::ofstream(root / "Records" / "Later.dbr") << "Class,Later,\n";
    db.SetDataRoot(root.string());
    EXPECT_NE(db.Load("Records/Later.dbr"), nullptr);
}
