// Play statistics: the dump's lines, the recent damage, the score record, the save block,
// the greatest monster per difficulty; and the list of saved character files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/FileSystem.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/PlayStats.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/items/OneShot.h"
#include "characters/RecordingStream.h"
#include "TempFolder.h"
#include "tests/TestDraws.h"

extern "C" void InitializeObjects();
extern "C" void ShutdownObjects();

namespace GAME {
namespace {

class PlayStatsTest : public ::testing::Test {
protected:
    void SetUp() override { RecordDatabase::Get().Clear(); }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
        FileSystem::Get().SetRootDirectory("");
    }

    // Two kills, damage of three types, and a bit of everything else.
    static void Fill(PlayStats& stats)
    {
        stats.IncrementKills(40, 3);
        stats.IncrementKills(60, 5);
        stats.TallyDamageInflicted(30.0f, {PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_Fire});
        stats.TallyDamageInflicted(12.5f, {PlayStatsDamageKind_Retaliation, CombatAttributeType_Unknown});
        stats.TallyDamageInflicted(20.0f, {PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_PhysicalPierce});
        stats.TallyDamageReceived(7.0f, {PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_Cold});
        stats.TallyDamageReduction(4.0f, PlayStatsDamageReductionType_Blocked);
        stats.GainLife(10.0f, PlayStatsLifeType_Potion);
        stats.GainLife(2.5f, PlayStatsLifeType_Regeneration);
        stats.GainExperience(500);
        stats.LoseExperience(20);
        stats.UseMana(15.0f);
        stats.SkillUsed("B");
        stats.SkillUsed("A");
        stats.SkillUsed("B");
        stats.SetShieldBlockChance(0.25f);
        stats.InflictCriticalHit();
        stats.ReceiveCriticalHit();
        stats.ReceiveCriticalHit();
        stats.IMissed();
        for (int i = 0; i < 3; ++i)
            stats.IWasMissed();
    }
};

TEST_F(PlayStatsTest, DumpShowsEveryLineAndNothingPerSecondBeforeTheFirstSecond)
{
    PlayStats stats;
    Fill(stats);
    LogCapture log;
    stats.Dump();
    const std::vector<std::string> realTime = {
        "Play Statistics:",
        "    Play Time:           0 min 0 sec",
        "    Total Score:         0",
        "    Number of deaths:    0",
        "    Number of kills:     2",
        "    Health potions used: 0",
        "    Mana potions used:   0",
        "    Max. level achieved: 1",
        "",
        "    Damage per second: 12.50",
        "",
        "    Skills Used:",
        "        A : 1",
        "        B : 2",
        "    Life healed: 12.50",
        "    Shield block chance    : 0.25",
    };
    // Types are listed kind first, then sub type; every per-second figure is 0 at 0 s.
    const std::vector<std::string> logLines = {
        "    Kills per second (whole game): 0.00",
        "    Average hits per kill: 4.00",
        "    Damage per second (whole game, by type)",
        "         CombatAttributeType::CombatAttributeType_PhysicalPierce 0.00",
        "         CombatAttributeType::CombatAttributeType_Fire 0.00",
        "         Retaliation::Unknown 0.00",
        "",
        "  Damage Totals",
        "",
        "    Damage Inflicted (by type)",
        "         CombatAttributeType::CombatAttributeType_PhysicalPierce 20.00",
        "         CombatAttributeType::CombatAttributeType_Fire 30.00",
        "         Retaliation::Unknown 12.50",
        "    Damage Inflicted (total)   62.50",
        "",
        "    Damage Received (by type)",
        "         CombatAttributeType::CombatAttributeType_Cold 7.00",
        "    Damage Received (total)   7.00",
        "    Damage Reduction (by type)",
        "         Blocked 4.00",
        "    Damage Reduction (total)   4.00",
        "  Experience",
        "         Total Gained 500",
        "         Total Lost   -20",
        "         Gained per second 0.00",
        "         Lost per second   0.00",
        "  Life healed (by type)",
        "         Potion 10.00",
        "         Regeneration 2.50",
        "  Mana used (total):      15.00",
        "  Mana used (per second): 0.00",
        "  Critical hits inflicted: 1",
        "  Critical hits received:  2",
        "   Monster misses: 3",
        "   Player misses:  1",
    };
    EXPECT_EQ(stats.GetRealTimeStrings(), realTime);
    EXPECT_EQ(stats.GetLogStrings(), logLines);
    std::vector<std::string> logged = realTime;
    logged.insert(logged.end(), logLines.begin(), logLines.end());
    EXPECT_EQ(log.Texts(), logged);
    for (const LogLine& line : log.Lines())
        EXPECT_EQ(line.level, LOG_INFO);

    // Ten seconds on: the figures are per second, and the damage of second 0 is no longer
    // recent.
    stats.Update(10000);
    stats.DisableShieldBlockChance();
    stats.Display();
    const std::vector<std::string>& lines = stats.GetRealTimeStrings();
    EXPECT_EQ(lines[1], "    Play Time:           0 min 10 sec");
    EXPECT_EQ(lines[9], "    Damage per second: 0.00");
    EXPECT_EQ(lines.back(), "    Life healed: 12.50");
    const std::vector<std::string> shown = gEngine->GetStatisticText();
    ASSERT_GE(shown.size(), lines.size());
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), shown.end() - static_cast<std::ptrdiff_t>(lines.size())));
    const std::vector<std::string>& logs = stats.GetLogStrings();
    EXPECT_EQ(logs[0], "    Kills per second (whole game): 0.20");
    EXPECT_EQ(logs[4], "         CombatAttributeType::CombatAttributeType_Fire 3.00");
    EXPECT_EQ(logs[24], "         Gained per second 50.00");
    EXPECT_EQ(logs[25], "         Lost per second   -2.00");
    EXPECT_EQ(logs[30], "  Mana used (per second): 1.50");
}

TEST_F(PlayStatsTest, RecentDamageKeepsOnlyTheLastSecondsAsItGrows)
{
    PlayStats stats;
    const PlayStatsDamageType fire{PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_Fire};
    for (int second = 0; second < 100; ++second) {
        stats.TallyDamageInflicted(1.0f, fire);
        stats.TallyDamageInflicted(1.0f, fire);
        stats.Update(1000);
    }
    // Seconds 94..99 are recent; nothing older is kept.
    EXPECT_EQ(stats.GetRecentDamageCount(), 12u);
    EXPECT_EQ(stats.GetRecentDamage(), 10.0f);   // second 94 went stale with the last update
    stats.Dump();
    EXPECT_EQ(stats.GetRealTimeStrings()[9], "    Damage per second: 2.00");
    EXPECT_EQ(stats.GetDamageInflicted(fire), 200.0f);

    // Kind 2 never raises the greatest damage inflicted.
    stats.TallyDamageInflicted(500.0f, {PlayStatsDamageKind_Retaliation, CombatAttributeType_Unknown});
    EXPECT_EQ(stats.GetGreatestDamageInflicted(), 1.0f);
    LogCapture log;
    stats.TallyDamageReceived(1.0f, {static_cast<PlayStatsDamageKind>(8), CombatAttributeType_Fire});
    stats.GainLife(1.0f, static_cast<PlayStatsLifeType>(5));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"PlayStats: damage of kind 8 type 6 not counted",
                                                     "PlayStats: life of type 5 not counted"}));
}

TEST_F(PlayStatsTest, ScoreComesFromTheScoreRecordWhenTheGameIsAboutToRun)
{
    PlayStats stats;
    stats.IncrementKills(0, 0);
    stats.IncrementKills(0, 0);
    stats.Update(125000);   // 2 minutes
    RecordDatabase::Get().RegisterRecord(PlayStats::kScoreRecord,
                                         "scoreEquation,(numberOfKills*100)+(playTimeInMinutes*2),\n");
    EXPECT_FALSE(stats.HasScoreEquation());
    EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
    EXPECT_EQ(stats.GetScore(), 204);
    stats.IncrementKills(0, 0);
    EXPECT_EQ(stats.GetScore(), 304);

    LoadTable table;
    table.SetValue("scoreEquation", "");
    stats.Load(table);   // no formula given: the old one stays
    EXPECT_EQ(stats.GetScore(), 304);
    table.SetValue("scoreEquation", "1/(maxLevel-maxLevel)");
    stats.Load(table);
    EXPECT_EQ(stats.GetScore(), 0);   // infinite
    table.SetValue("scoreEquation", "(numberOfKills+");
    stats.Load(table);
    EXPECT_FALSE(stats.HasScoreEquation());
    EXPECT_EQ(stats.GetScore(), 0);

    float value = 0.0f;
    EXPECT_TRUE(stats.GetDesignerVariable("numberOfKills", value));
    EXPECT_EQ(value, 3.0f);
    EXPECT_FALSE(stats.GetDesignerVariable("numberOfkills", value));

    RecordDatabase::Get().Clear();
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    LogCapture log;
    EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
    EXPECT_TRUE(stats.HasScoreEquation());   // the bundled record
    EXPECT_GT(stats.GetScore(), 0);
    EXPECT_TRUE(log.Texts().empty());
}

TEST_F(PlayStatsTest, SaveBlockWritesEveryCounterUnderItsKeyAndReadsItBack)
{
    InitializeSeededObjects();
    PlayStats stats;
    Fill(stats);
    stats.Update(61000);
    stats.IncrementDeaths();
    stats.IncrementLevel();
    stats.ReceiveHit();
    stats.TallyDamageInflicted(99.0f, {PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_Cold});
    gGameEngine->SetGameDifficulty(GameDifficulty_Epic);
    stats.SetGreatestMonsterKilledName(u"Boar");
    stats.SetGreatestMonsterKilledLevel(12);
    stats.SetGreatestMonsterKilledLifeAndMana(340);

    RecordingStream stream;
    stats.StreamProperties(stream);
    std::vector<std::string> keys = {"<block>",           "playTimeInSeconds", "numberOfDeaths",
                                     "numberOfKills",     "experienceFromKills", "healthPotionsUsed",
                                     "manaPotionsUsed",   "maxLevel",          "numHitsReceived",
                                     "numHitsInflicted",  "greatestDamageInflicted"};
    for (int i = 0; i < 3; ++i)
        keys.insert(keys.end(), {"(*greatestMonsterKilledName)[i]", "(*greatestMonsterKilledLevel)[i]",
                                 "(*greatestMonsterKilledLifeAndMana)[i]"});
    keys.insert(keys.end(), {"criticalHitsInflicted", "criticalHitsReceived", "</block>"});
    EXPECT_EQ(stream.Keys(), keys);
    EXPECT_EQ(std::get<std::u16string>(stream.entries[14].value), u"Boar");

    PlayStats loaded;
    stream.reading = true;
    loaded.StreamProperties(stream);
    EXPECT_EQ(loaded.GetPlayTimeInSeconds(), 61u);
    EXPECT_EQ(loaded.GetDeaths(), 1u);
    EXPECT_EQ(loaded.GetKills(), 2u);
    EXPECT_EQ(loaded.GetExperienceFromKills(), 100u);
    EXPECT_EQ(loaded.GetMaxLevel(), 2u);
    EXPECT_EQ(loaded.GetHitsReceived(), 1u);
    EXPECT_EQ(loaded.GetHitsInflicted(), 8u);
    EXPECT_EQ(loaded.GetGreatestDamageInflicted(), 99.0f);
    EXPECT_EQ(loaded.GetCriticalHitsInflicted(), 1u);
    EXPECT_EQ(loaded.GetCriticalHitsReceived(), 2u);
    EXPECT_EQ(loaded.GetGreatestMonsterKilledName(), u"Boar");
    EXPECT_EQ(loaded.GetGreatestMonsterKilledLevel(), 12u);
    EXPECT_EQ(loaded.GetGreatestMonsterKilledLifeAndMana(), 340u);
    gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
    EXPECT_EQ(loaded.GetGreatestMonsterKilledName(), u"");

    // A difficulty that is none of the three reads nothing and touches no entry.
    gGameEngine->SetGameDifficulty(static_cast<GameDifficulty>(3));
    LogCapture log;
    loaded.SetGreatestMonsterKilledName(u"Wolf");
    loaded.SetGreatestMonsterKilledLevel(99);
    loaded.SetGreatestMonsterKilledLifeAndMana(99);
    EXPECT_EQ(log.Count("PlayStats: game difficulty 3 has no greatest monster entry"), 3u);
    EXPECT_EQ(loaded.GetGreatestMonsterKilledLevel(), 0u);
    RecordingStream after;
    loaded.StreamProperties(after);
    for (size_t i = 11; i < 20; i += 3) {
        const bool epic = i == 14;
        EXPECT_EQ(std::get<std::u16string>(after.entries[i].value), epic ? u"Boar" : u"");
        EXPECT_EQ(std::get<uint32_t>(after.entries[i + 1].value), epic ? 12u : 0u);
    }
    gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
    ShutdownObjects();
}

TEST_F(PlayStatsTest, PotionsAreCountedByKind)
{
    ObjectManager& objects = ObjectManager::Get();
    PlayStats stats;
    stats.IncrementPotion(static_cast<OneShot*>(objects.CreateObject("OneShot_PotionHealth")));
    stats.IncrementPotion(static_cast<OneShot*>(objects.CreateObject("OneShot_PotionMana")));
    stats.IncrementPotion(static_cast<OneShot*>(objects.CreateObject("OneShot")));
    stats.IncrementPotion(nullptr);
    EXPECT_EQ(stats.GetHealthPotionsUsed(), 1u);
    EXPECT_EQ(stats.GetManaPotionsUsed(), 1u);
}

TEST_F(PlayStatsTest, CharacterFilesAreTheSavesOnDiskThenWhatTheGameAdds)
{
    const TempFolder saves("chr-list-");
    const std::filesystem::path& folder = saves.Path();
    ASSERT_FALSE(folder.empty());
    std::filesystem::create_directories(folder / "sub.chr");
    for (const char* name : {"b.chr", "a.chr", "notes.txt", ".hidden.chr"})
        std::ofstream(folder / name) << "x";
    FileSystem::Get().SetRootDirectory(folder.string());

    CharacterFileManager& manager = CharacterFileManager::Get();
    manager.AddCharacterFile("a.chr");   // listed twice
    std::vector<std::string> files;
    manager.GetCharacterFiles(files);
    EXPECT_EQ(files, (std::vector<std::string>{"a.chr", "b.chr", "a.chr"}));
    manager.RemoveCharacterFile("a.chr");
    manager.RemoveCharacterFile("missing.chr");
    std::ofstream(folder / "c.chr") << "x";   // scanned once: later files come through Add
    manager.GetCharacterFiles(files);
    EXPECT_EQ(files, (std::vector<std::string>{"b.chr", "a.chr"}));

    files.clear();
    FileSystem::Get().GetMatchingFiles("?.chr", files);
    FileSystem::Get().GetMatchingFiles("missing/*.chr", files);
    FileSystem::Get().GetMatchingFiles("", files);
    EXPECT_EQ(files, (std::vector<std::string>{"a.chr", "b.chr", "c.chr"}));
    std::filesystem::create_directories(folder / "saves");
    std::ofstream(folder / "saves" / "d.chr") << "x";
    files.clear();
    FileSystem::Get().GetMatchingFiles("saves\\*", files);
    EXPECT_EQ(files, std::vector<std::string>{"saves/d.chr"});
    // The list lives as long as the process: leave it as the first scan found it, so that
    // this case run again in the same process starts from the same list.
    manager.RemoveCharacterFile("b.chr");
    manager.RemoveCharacterFile("a.chr");
    manager.AddCharacterFile("a.chr");
    manager.AddCharacterFile("b.chr");
}

}  // namespace
}  // namespace GAME
