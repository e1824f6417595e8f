// The village's level lines and the progress a saved run leaves beside its character save.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Engine/Engine.h"
#include "host/HostLevel.h"
#include "host/HostVillage.h"
#include "TempFolder.h"

namespace GAME {
namespace {

TEST(HostVillageLines, LevelKeepsTheVillageLinesBesideItsOwn)
{
    HostLevel level;
    ASSERT_TRUE(level.Parse("region 1 Village\n"
                            "player Records/P.dbr 0 0 0\n"
                            "quest Q.qst Pack.dbr Shrine.dbr 240   # the elder's quest\n"
                            "townsfolk\n"
                            "at 20 wake Records/Boss.dbr\n"
                            "at 200 save\n"
                            "at 260 portal BossArena\n"));
    EXPECT_EQ(level.GetSteps().size(), 1u);
    ASSERT_EQ(level.GetVillageLines().size(), 4u);
    EXPECT_EQ(level.GetVillageLines()[0], "quest Q.qst Pack.dbr Shrine.dbr 240   ");

    HostVillage village;
    ASSERT_TRUE(village.Parse(level.GetVillageLines()));
    EXPECT_TRUE(village.HasTownsfolk());
    EXPECT_FALSE(village.HasMerchant());
    EXPECT_EQ(village.GetQuest().questFile, "Q.qst");
    EXPECT_EQ(village.GetQuest().packRecord, "Pack.dbr");
    EXPECT_EQ(village.GetQuest().shrineRecord, "Shrine.dbr");
    EXPECT_EQ(village.GetQuest().shrineFrame, 240);
    EXPECT_EQ(village.GetSaveFrame(), 200);
}

TEST(HostVillageLines, VillageLinesCountTowardTheLevelsBound)
{
    std::string text = "player Records/P.dbr 0 0 0\nquest Q.qst P.dbr S.dbr 5\n";
    for (size_t i = 1; i < HostLevel::kMaxEntries; ++i)
        text += "at " + std::to_string(i) + " sell Records/Item/Helm.dbr\n";
    HostLevel level;
    ASSERT_TRUE(level.Parse(text)) << level.GetError();
    EXPECT_EQ(level.GetVillageLines().size(), HostLevel::kMaxEntries);
    HostLevel over;
    EXPECT_FALSE(over.Parse(text + "at 9 chest\n"));
    EXPECT_EQ(over.GetError(), "line 258 \"at 9 chest\" does not parse (a level holds at most 256 entries)");
}

TEST(HostVillageLines, TheFirstLineThatDoesNotParseRefusesTheLevelByItsNumber)
{
    const std::string head = "region 1 Village\nplayer Records/P.dbr 0 0 0\nquest Q.qst P.dbr S.dbr 240\n";
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        // A village cut inside its portal line.
        {head + "at 200 save\nat 260 portal", "line 5 \"at 260 portal\" does not parse (at FRAME portal LEVEL"},
        {head + "at 260 portal ../Boss\n", "line 4 \"at 260 portal ../Boss\" does not parse"},
        {head + "at 2", "line 4 \"at 2\" does not parse (at FRAME "},
        {head + "place Records/B.dbr 1 2\r\n", "line 4 \"place Records/B.dbr 1 2\" does not parse (place RECORD X Y Z"},
        {head + "place Records/B.dbr nan 0 0\n", "line 4 \"place Records/B.dbr nan 0 0\" does not parse"},
        {head + "at 0 wake Records/B.dbr\n", "line 4 \"at 0 wake Records/B.dbr\" does not parse (at FRAME wake RECORD"},
        {head + "dance 5\n", "line 4 \"dance 5\" does not parse (region, player, place, at"},
        {head + "region 0 Nowhere\n", "line 4 \"region 0 Nowhere\" does not parse (region ID NAME"},
        {"region 1 Village\n", "no player line (player RECORD X Y Z)"},
        {"player Records/P.dbr 0 0 0\nroad\n", "village lines but no quest line (quest FILE PACK SHRINE FRAME)"},
    };
    for (const Case& c : cases) {
        HostLevel level;
        EXPECT_FALSE(level.Parse(c.text)) << c.text;
        EXPECT_EQ(level.GetError().rfind(c.error, 0), 0u) << c.text << "\n" << level.GetError();
    }
}

TEST(HostVillageLines, OwnsOnlyTheVillagesWords)
{
    struct Case {
        const char* line;
        bool owned;
    };
    const Case cases[] = {
        {"quest Q.qst P.dbr S.dbr 5", true}, {"townsfolk", true},         {"merchant", true},
        {"road", true},                      {"shrines", true},           {"at 3 sell R.dbr", true},
        {"at 3 chest", true},                {"at 3 save", true},         {"at 3 portal BossArena", true},
        {"at 3 wake R.dbr", false},          {"place R.dbr 0 0 0", false}, {"at", false},
        {"", false},                         {"Townsfolk", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostVillage::Owns(c.line), c.owned) << c.line;
}

TEST(HostVillageLines, EachBadLineIsRefusedWithItsFormAndStepsRunInFrameOrder)
{
    LogCapture log;
    HostVillage village;
    for (const char* line : {"quest Q.qst P.dbr S.dbr 50", "at 300 portal BossArena", "at 100 save",
                             "at 7 sell Records/Item/Armor/Helm.dbr", "road"})
        ASSERT_EQ(village.ParseLine(line), "") << line;
    struct Case {
        const char* line;
        const char* form;
    };
    const Case cases[] = {
        {"at 0 chest", "at FRAME chest"},                 // frames start at 1
        {"at 10000001 chest", "at FRAME chest"},          // beyond the last frame
        {"at 12x chest", "at FRAME chest"},
        {"at 5 sell", "at FRAME sell RECORD"},            // no record
        {"at 5 chest now", "at FRAME chest"},             // a word too many
        {"at 150 save", "at FRAME save, once"},           // one save point only
        {"at 260 portal", "at FRAME portal LEVEL"},       // a line cut short
        {"at 400 portal Other", "at FRAME portal LEVEL, once"},
        {"quest Other.qst P.dbr S.dbr 60", "quest FILE PACK SHRINE FRAME"},   // one quest only
        {"quest Q.qst P.dbr S.dbr", "quest FILE"},        // no frame
        {"quest ../../secret.qst P.dbr S.dbr 50", "quest FILE"},   // only files under the data folder
        {"quest /etc/Q.qst P.dbr S.dbr 50", "quest FILE"},
        {"at 8 sell Records/../../Helm.dbr", "at FRAME sell RECORD"},
        {"road now", "road alone on its line"},
    };
    for (const Case& c : cases)
        EXPECT_NE(village.ParseLine(c.line).find(c.form), std::string::npos) << c.line << ": " << village.ParseLine(c.line);
    EXPECT_FALSE(HostVillage().Parse({"quest Q.qst P.dbr S.dbr 50", "at 260 portal"}));
    EXPECT_FALSE(HostVillage().Parse({"townsfolk", "at 3 chest"}));   // no quest

    ASSERT_TRUE(village.Parse({}));
    EXPECT_TRUE(village.HasRoad());
    EXPECT_EQ(village.GetQuest().questFile, "Q.qst");
    EXPECT_EQ(village.GetQuest().shrineFrame, 50);
    ASSERT_EQ(village.GetSteps().size(), 3u);
    EXPECT_EQ(village.GetSteps()[0].kind, HostVillage::Step::Sell);
    EXPECT_EQ(village.GetSteps()[0].name, "Records/Item/Armor/Helm.dbr");
    EXPECT_EQ(village.GetSteps()[1].kind, HostVillage::Step::Save);
    EXPECT_EQ(village.GetSteps()[2].kind, HostVillage::Step::Portal);
    EXPECT_EQ(village.GetSteps()[2].name, "BossArena");
    EXPECT_EQ(village.GetSaveFrame(), 100);
}

class HostVillageProgress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_folder.Path().empty());
        m_save = (m_folder.Path() / "hero.chr").string();
    }
    void Write(const std::string& text) const { std::ofstream(HostVillage::ProgressPath(m_save)) << text; }

    TempFolder m_folder{"village_progress_"};
    std::string m_save;
};

TEST_F(HostVillageProgress, ReadsBackWhatWasWritten)
{
    Write(HostVillage::ProgressText(HostVillage::Progress{200, 92750}));
    HostVillage::Progress read;
    ASSERT_TRUE(HostVillage::ReadProgress(m_save, read));
    EXPECT_EQ(read.frame, 200);
    EXPECT_EQ(read.playedMs, 92750);
}

TEST_F(HostVillageProgress, BrokenOrUnboundedFilesAreRefused)
{
    HostVillage::Progress read;
    EXPECT_FALSE(HostVillage::ReadProgress(m_save, read));   // no file
    for (const char* text : {"frame 200\n", "frame 0\nplayed 5\n", "frame 10000001\nplayed 5\n",
                             "frame 200\nplayed -1\n", "frame 200\nplayed 1000000000001\n",
                             "frame 200\nplayed 5\nmore\n", "played 5\nframe 200\n", "frame two\nplayed 5\n",
                             "frame 200\nplayed 99999999999999999999999\n"}) {
        Write(text);
        read = HostVillage::Progress{7, 7};
        EXPECT_FALSE(HostVillage::ReadProgress(m_save, read)) << text;
        EXPECT_EQ(read.frame, 7) << text;   // left as it was
    }
}

}  // namespace
}  // namespace GAME
