// A character's bio (life, mana, regeneration, base attributes, image and save block) and
// its experience levels.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameUIInterface.h"
#include "Game/items/EquipManager.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/combat/CombatManager.h"
#include "characters/RecordingStream.h"
#include "tests/TestDraws.h"

namespace GAME {
namespace {

class CharacterBioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordDatabase::Get().Clear();
        character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
    // Regeneration per second from the attribute; pools fed in 10 s, mana drained in 5 s.
    void LoadBio(const std::string& regenExtra = "healthFeedRate,10,\nmanaFeedRate,10,\nmanaDrainRate,5,\n")
    {
        RecordDatabase::Get().RegisterRecord(CharacterBio::kRegenRecord,
                                             "lifeRegenEquation,lifeRegen*elapsedTime,\n"
                                             "manaRegenEquation,manaRegen*elapsedTime,\n"
                                             "healthOverStorageLimit,1,\nmanaOverStorageLimit,1,\n" +
                                                 regenExtra);
        LoadTable record;
        record.SetValue("characterLife", "100");
        record.SetValue("characterMana", "100");
        record.SetValue("characterStrength", "7;8;9");
        bio().Load(record);
        bio().InitialUpdate(*character);
        bio().Update(*character, 0);   // untainted: refilled
    }
    CharacterBio& bio() { return character->GetCharacterBio(); }
    Character* character = nullptr;
};

TEST_F(CharacterBioTest, RegenerationNeverTakesTheLastPointsAndADeadCharacterStays)
{
    LoadBio();
    ASSERT_EQ(bio().GetCurrentLife(), 100.0f);
    character->SetTotalCharAttribute(CharAttributeType_LifeRegen, -5.0f);
    struct Case {
        float life;
        float expected;
    };
    for (const Case& c : {Case{3.0f, 3.0f}, Case{1.0f, 1.0f}, Case{10.0f, 5.0f}, Case{0.0f, 0.0f}}) {
        bio().SetCurrentLife(c.life);
        bio().SubtractMana(50.0f);
        const float mana = bio().GetCurrentMana();
        bio().Update(*character, 1000);
        EXPECT_EQ(bio().GetCurrentLife(), c.expected) << c.life;
        if (c.life == 0.0f) {
            EXPECT_EQ(bio().GetCurrentMana(), mana);   // dead: no drain either
        }
    }
}

TEST_F(CharacterBioTest, BaseSettingsSurviveTheUpdateAndLimitsKeepTheirRatio)
{
    LoadBio();
    // A setter through the character is a base setting: the next update keeps it.
    character->SetLifeLimit(100.0f);
    character->SetTotalCharAttribute(CharAttributeType_DodgePercent, 12.0f);
    bio().SetCurrentLife(50.0f);
    bio().Update(*character, 0);
    EXPECT_EQ(character->GetLifeLimit(), 100.0f);
    EXPECT_EQ(character->GetTotalCharAttribute(CharAttributeType_DodgePercent), 12.0f);
    EXPECT_EQ(bio().GetBaseCharAttribute(CharAttributeType_DodgePercent), 12.0f);

    bio().SetBaseCharAttribute(CharAttributeType_Life, 120.0f);
    bio().BalanceHasChanged();
    bio().Update(*character, 0);
    EXPECT_FLOAT_EQ(bio().GetCurrentLife(), 60.0f);   // 50 of 100 becomes 60 of 120

    // An item raising the life modifier keeps the ratio as well.
    RecordDatabase::Get().RegisterRecord("Records/Test/Mail.dbr", "Class,Armor,\ncharacterLifeModifier,20,\n");
    ItemReplicaInfo identity;
    identity.baseName = "Records/Test/Mail.dbr";
    identity.seed = 5;
    auto* mail = DynamicCast<ItemEquipment>(Item::CreateItem(identity));
    ASSERT_NE(mail, nullptr);
    character->GetCombatManager().GetEquipManager().AttachItemAction(mail->GetObjectId(), EquipLocation_UpperBody);
    bio().Update(*character, 0);
    EXPECT_GT(bio().GetLifeLimit(), 120.0f);
    EXPECT_FLOAT_EQ(bio().GetCurrentLife() / bio().GetLifeLimit(), 0.5f);

    // No old limit to take a ratio of: the value stays.
    character->SetLifeLimit(0.0f);
    bio().SetCurrentLife(40.0f);
    bio().BalanceHasChanged();
    bio().SetBaseCharAttribute(CharAttributeType_Life, 100.0f);
    bio().Update(*character, 0);
    EXPECT_EQ(bio().GetCurrentLife(), 40.0f);
}

// The worn equipment's sums are kept between updates: every change that alters what the
// equipment adds reaches the totals at the next update.
TEST_F(CharacterBioTest, TotalsFollowEveryChangeOfTheWornEquipment)
{
    LoadBio();
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Band.dbr", "Class,ItemEquipment,\ncharacterStrength,5,\n");
    records.RegisterRecord("Records/Test/Shard.dbr", "Class,ItemRelic,\ncharacterStrength,2;4,\n");
    ItemReplicaInfo identity;
    identity.baseName = "Records/Test/Band.dbr";
    auto* band = DynamicCast<ItemEquipment>(Item::CreateItem(identity));
    ASSERT_NE(band, nullptr);
    EquipManager& equipment = character->GetCombatManager().GetEquipManager();
    const auto strength = [&] {
        bio().Update(*character, 16);
        return bio().GetAttribute(CharAttributeType_Strength);
    };
    equipment.AttachItemAction(band->GetObjectId(), EquipLocation_Forearm);
    EXPECT_EQ(strength(), 12.0f);
    band->AddRelic("Records/Test/Shard.dbr", "", 1);
    EXPECT_EQ(strength(), 14.0f);
    band->GetRelic()->SetRelicLevel(2);
    EXPECT_EQ(strength(), 16.0f);
    band->AddRelic("", "", 0);
    records.RegisterRecord("Records/Test/Band.dbr", "Class,ItemEquipment,\ncharacterStrength,9,\n");
    band->InitializeItem();
    EXPECT_EQ(strength(), 16.0f);
    equipment.DetachItemAction(band->GetObjectId());
    EXPECT_EQ(strength(), 7.0f);
    equipment.AttachItemAction(band->GetObjectId(), EquipLocation_Forearm);
    ObjectManager::Get().DestroyObjectEx(band, "test", __LINE__);   // destroyed while worn
    EXPECT_EQ(strength(), 7.0f);
}

// A formula's value is kept while its inputs stay; one that reads a name the bio does not
// know runs, and warns, at every update.
TEST_F(CharacterBioTest, FormulasFollowTheirInputsAndAnUnknownNameWarnsEveryUpdate)
{
    LoadBio();
    character->SetTotalCharAttribute(CharAttributeType_LifeRegen, 2.0f);
    bio().SubtractLife(50.0f);
    for (const auto& [ms, regen, life] : {std::tuple{1000, 2.0f, 52.0f}, std::tuple{1000, 2.0f, 54.0f},
                                          std::tuple{1000, 4.0f, 58.0f}, std::tuple{500, 4.0f, 60.0f}}) {
        character->SetTotalCharAttribute(CharAttributeType_LifeRegen, regen);
        bio().Update(*character, ms);
        EXPECT_FLOAT_EQ(bio().GetCurrentLife(), life) << ms << " " << regen;
    }
    RecordDatabase::Get().RegisterRecord(CharacterBio::kRegenRecord, "lifeRegenEquation,lifeRegen*pace,\n");
    LoadTable record;
    record.SetValue("characterLife", "100");
    bio().Load(record);
    LogCapture log;
    bio().Update(*character, 16);
    bio().Update(*character, 16);
    EXPECT_EQ(log.Count("Designer variable 'pace' not found in parent"), 2u);
}

TEST_F(CharacterBioTest, PoolsFeedAndDrainAtTheirRates)
{
    LoadBio();
    bio().SubtractMana(50.0f);   // 100 mana in 5 s: 20 a second
    EXPECT_EQ(bio().GetCurrentMana(), 100.0f);
    bio().Update(*character, 1000);
    EXPECT_FLOAT_EQ(bio().GetCurrentMana(), 80.0f);
    bio().Update(*character, 2000);
    EXPECT_FLOAT_EQ(bio().GetCurrentMana(), 50.0f);
    EXPECT_EQ(bio().GetManaDrainPool(), 0.0f);

    bio().SubtractLife(50.0f);
    Bonus potion;
    potion.lifePoints = 500.0f;   // the pool holds one life limit
    bio().TakeBonus(potion, true);
    EXPECT_EQ(bio().GetLifeSlow(), 100.0f);
    bio().Update(*character, 1000);   // 10 a second
    EXPECT_FLOAT_EQ(bio().GetCurrentLife(), 60.0f);
    Bonus heal;
    heal.lifePoints = 30.0f;
    heal.lifePercent = 50.0f;
    EXPECT_FLOAT_EQ(bio().GetBonusLifeAmount(heal), 40.0f);   // the room left below the limit
    heal.lifePoints = 500.0f;
    heal.lifePercent = 0.0f;
    bio().TakeBonus(heal, false);
    EXPECT_EQ(bio().GetCurrentLife(), 100.0f);
    bio().SubtractLife(40.0f);
    bio().AddManaSlow(30.0f);
    bio().Update(*character, 1000);
    EXPECT_FLOAT_EQ(bio().GetCurrentMana(), 60.0f);
    EXPECT_FLOAT_EQ(bio().GetManaSlow(), 20.0f);
}

TEST_F(CharacterBioTest, ZeroRatesMoveWholePoolsAndAReserveAtTheLimitStaysFinite)
{
    LoadBio("healthFeedRate,0,\nmanaFeedRate,0,\nmanaDrainRate,0,\n");
    bio().SubtractLife(60.0f);
    bio().AddLifeSlow(30.0f);
    bio().SubtractMana(30.0f);
    bio().Update(*character, 16);
    EXPECT_EQ(bio().GetCurrentLife(), 70.0f);
    EXPECT_EQ(bio().GetCurrentMana(), 70.0f);

    character->SetTotalCharAttribute(CharAttributeType_ManaLimitReserve, 100.0f);
    bio().AddManaSlow(10.0f);   // nothing usable to fill
    bio().SubtractMana(10.0f);
    for (int frame = 0; frame < 3; ++frame)
        bio().Update(*character, 16);
    EXPECT_TRUE(std::isfinite(bio().GetCurrentMana()));
    EXPECT_EQ(bio().GetCurrentMana(), 0.0f);
}

// A reserve reduction of a quarter lowers a reserve of 40 to 30: the player fills 70 of
// its 100 mana.
TEST_F(CharacterBioTest, AReserveReductionLowersTheManaHeldInReserve)
{
    LoadBio();
    character->SetTotalCharAttribute(CharAttributeType_ManaLimitReserve, 40.0f);
    character->SetTotalCharAttribute(CharAttributeType_ManaLimitReserveReduction, 25.0f);
    bio().SubtractMana(1.0f);
    bio().Update(*character, 16);
    EXPECT_EQ(bio().GetCurrentMana(), 70.0f);
}

TEST_F(CharacterBioTest, MissingRecordLeavesRatesZeroAndBrokenFormulasAreLogged)
{
    LoadTable record;
    record.SetValue("characterLife", "100");
    bio().Load(record);   // no regeneration record
    bio().InitialUpdate(*character);
    bio().Update(*character, 0);
    bio().AddLifeSlow(20.0f);
    EXPECT_EQ(bio().GetLifeSlow(), 0.0f);

    RecordDatabase::Get().RegisterRecord(CharacterBio::kRegenRecord, "lifeRegenEquation,(lifeRegen*,\n");
    LogCapture log;
    bio().Load(record);
    EXPECT_TRUE(log.Contains("-=- CharacterBio Equation load failure : lifeRegenEquation "));
}

TEST_F(CharacterBioTest, ImageAndSaveBlockRoundTrip)
{
    LoadBio();
    bio().SubtractLife(12.5f);
    CharacterBioReplicaInfo image;
    bio().GetCurrentBioStats(image);
    EXPECT_EQ(image.currentLife, 87u);
    EXPECT_TRUE(image.tainted);
    EXPECT_EQ(image.baseStrength, 7u);
    image.baseStrength = 30;
    bio().RestoreCurrentBioStats(image, true);
    EXPECT_EQ(bio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength), 30.0f);

    RecordingStream stream;
    bio().StreamProperties(stream);
    std::vector<std::string> keys(7, "temp");
    keys.front() = "<block>";
    keys.back() = "</block>";
    EXPECT_EQ(stream.Keys(), keys);
    EXPECT_EQ(std::get<float>(stream.entries[1].value), 30.0f);
    stream.entries[1].value = 0.0f;   // a saved 0 leaves the loaded base
    stream.entries[4].value = 150.0f;
    stream.reading = true;
    bio().IncrementBaseAttribute(CharAttributeType_Strength, 2.0f);
    bio().StreamProperties(stream);
    EXPECT_EQ(bio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength), 32.0f);
    EXPECT_EQ(bio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life), 150.0f);
}

// The base sums are kept between updates and filled again when the difficulty or the
// base store changes: the totals must follow every such change at the next update.
class CharacterBioEngineTest : public CharacterBioTest {
protected:
    void SetUp() override
    {
        CharacterBioTest::SetUp();
        InitializeSeededObjects();
    }
    void TearDown() override
    {
        gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
        ShutdownObjects();
        CharacterBioTest::TearDown();
    }
    float Strength() const { return character->GetCharacterBio().GetAttribute(CharAttributeType_Strength); }
    float BaseStrength() const { return character->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Strength); }
};

TEST_F(CharacterBioEngineTest, BaseSumsFollowTheDifficultyAndEveryBaseChange)
{
    LoadBio();
    EXPECT_EQ(Strength(), 7.0f);
    for (const auto& [difficulty, expected] : {std::pair{GameDifficulty_Epic, 8.0f},
                                               std::pair{GameDifficulty_Legendary, 9.0f},
                                               std::pair{GameDifficulty_Normal, 7.0f}}) {
        gGameEngine->SetGameDifficulty(difficulty);
        bio().Update(*character, 16);
        EXPECT_EQ(Strength(), expected) << difficulty;
        EXPECT_EQ(BaseStrength(), expected) << difficulty;
    }

    bio().IncrementBaseAttribute(CharAttributeType_Strength, 2.0f);
    EXPECT_EQ(BaseStrength(), 7.0f);   // the sums are filled by the update
    bio().Update(*character, 16);
    EXPECT_EQ(Strength(), 9.0f);
    EXPECT_EQ(BaseStrength(), 9.0f);

    CharacterBioReplicaInfo image;
    bio().GetCurrentBioStats(image);
    image.baseStrength = 30;
    bio().RestoreCurrentBioStats(image, true);
    bio().Update(*character, 16);
    EXPECT_EQ(Strength(), 30.0f);

    LoadTable record;
    record.SetValue("characterStrength", "20");
    bio().Load(record);
    bio().Update(*character, 16);
    EXPECT_EQ(Strength(), 20.0f);
    EXPECT_EQ(BaseStrength(), 20.0f);
}

// A kind of character that adds a game-balance bonus of its own.
class BalancedCharacter : public Character {
public:
    void ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const override
    {
        accumulator.AddValue(CharAttributeType_Strength, 5.0f);
    }
};

TEST_F(CharacterBioTest, GameBalanceAddsToTheTotalsEveryUpdate)
{
    BalancedCharacter balanced;
    LoadTable record;
    record.SetValue("characterStrength", "7");
    CharacterBio& own = balanced.GetCharacterBio();
    own.Load(record);
    own.InitialUpdate(balanced);
    EXPECT_EQ(own.GetAttribute(CharAttributeType_Strength), 12.0f);
    own.Update(balanced, 16);
    own.Update(balanced, 16);
    EXPECT_EQ(own.GetAttribute(CharAttributeType_Strength), 12.0f);   // rebuilt, not piled up
    EXPECT_EQ(own.GetBaseCharAttribute(CharAttributeType_Strength), 7.0f);
}

// ---- Experience levels ------------------------------------------------------------------

class CountingUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return ++saves, true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    int saves = 0;
};

class ExperienceLevelTest : public CharacterBioTest {
protected:
    void SetUp() override
    {
        CharacterBioTest::SetUp();
        InitializeSeededObjects();
        gGameEngine->SetUI(&ui);
        gGameEngine->SetAutoSave(true);
    }
    void TearDown() override
    {
        ShutdownObjects();
        CharacterBioTest::TearDown();
    }
    // Level L + 1 is reached at L x 100 experience.
    void Load(ExperienceLevelControl& control, const char* maxLevel, const char* level = "1")
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/Levels.dbr",
                                             std::string("experienceLevelEquation,playerLevel*100,\n"
                                                         "characterModifierPoints,3,\nskillModifierPoints,2,\n"
                                                         "maxPlayerLevel,") + maxLevel + ",\n");
        LoadTable record("Records/Test/Hero.dbr");
        record.SetValue("levelFileName", "Records/Test/Levels.dbr");
        record.SetValue("charLevel", level);
        control.SetParent(character);
        control.Load(record);
    }
    CountingUI ui;
};

TEST_F(ExperienceLevelTest, OneGainOverThreeThresholdsGivesThreeLevels)
{
    ExperienceLevelControl control;
    Load(control, "10");
    EventCapture events;
    EXPECT_FALSE(control.ReceiveExperience(99));
    EXPECT_TRUE(control.ReceiveExperience(251));   // 350: past 100, 200 and 300
    EXPECT_EQ(control.GetLevel(), 4u);
    EXPECT_EQ(control.GetModifierPoints(), 9u);
    EXPECT_EQ(control.GetSkillPoints(), 6u);
    EXPECT_EQ(events.Count("GameEvent_PlayerSkillUp"), 3u);
    EXPECT_EQ(ui.saves, 3);
    EXPECT_EQ(control.GetExperienceForCurrentLevel(), 300u);
    control.LoseExperience(1000);   // a penalty beyond the level's progress
    EXPECT_EQ(control.GetExperience(), 300u);
    for (int i = 0; i < 9; ++i)
        control.SpendPointOnLife();
    EXPECT_EQ(control.SpendPointOnStrength(), 0u);
}

// The character's level, experience and points are its level control's: one copy, read
// and written through the character, and a bonus's points stop at the largest count.
TEST_F(ExperienceLevelTest, TheCharacterReadsItsLevelControl)
{
    Load(character->GetLevelControl(), "10", "4");
    EXPECT_EQ(character->GetCharLevel(), 4u);
    character->SetExperiencePoints(350);
    EXPECT_EQ(character->GetLevelControl().GetExperience(), 350u);
    Bonus bonus;
    bonus.skillPoints = UINT32_MAX;
    bonus.attributePoints = 2;
    character->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
    character->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
    EXPECT_EQ(character->GetSkillPoints(), UINT32_MAX);
    EXPECT_EQ(character->GetLevelControl().GetModifierPoints(), 4u);
}

// A level gained through experience takes effect at the character's next update: its life
// is full again, not left where the fight put it.
TEST_F(ExperienceLevelTest, ALevelGainedReloadsTheValuesAtOnce)
{
    LoadBio();
    Load(character->GetLevelControl(), "10");
    bio().SetCurrentLife(40.0f);
    bio().Update(*character, 0);
    ASSERT_EQ(bio().GetCurrentLife(), 40.0f);
    character->ReceiveExperience(150, true);
    ASSERT_EQ(character->GetCharLevel(), 2u);
    bio().Update(*character, 0);
    EXPECT_EQ(bio().GetCurrentLife(), 100.0f);
}

TEST_F(ExperienceLevelTest, TheMaximumLevelPinsExperienceAndLevelZeroHasNoThreshold)
{
    ExperienceLevelControl control;
    Load(control, "3");
    control.ReceiveExperience(10000);
    EXPECT_EQ(control.GetLevel(), 3u);
    EXPECT_EQ(control.GetExperience(), 200u);
    control.ReceiveExperience(50);
    EXPECT_EQ(control.GetExperience(), 200u);

    // A careless record's level stands at the highest its levels reach, and is told.
    ExperienceLevelControl careless;
    LogCapture log;
    Load(careless, "3", "1000000");
    EXPECT_EQ(careless.GetLevel(), 3u);
    EXPECT_EQ(log.Count("ExperienceLevelControl: Records/Test/Hero.dbr: charLevel 1000000 is above the highest level, "
                        "3; held to it"),
              1u);

    ExperienceLevelControl zero;
    Load(zero, "10", "0");
    EXPECT_EQ(zero.GetLevel(), 0u);
    EXPECT_EQ(zero.GetExperienceForCurrentLevel(), 0u);
    zero.LoseExperience(5);
    EXPECT_EQ(zero.GetExperience(), 0u);

    RecordingStream stream;
    control.StreamProperties(stream);
    EXPECT_EQ(stream.Keys(), (std::vector<std::string>{"<block>", "currentStats.charLevel",
                                                        "currentStats.experiencePoints", "modifierPoints",
                                                        "skillPoints", "</block>"}));
    stream.reading = true;
    zero.StreamProperties(stream);
    EXPECT_EQ(zero.GetLevel(), 3u);
    EXPECT_EQ(zero.GetExperience(), 200u);
}

TEST_F(ExperienceLevelTest, TheBundledRecordsParseAndTheLevelsDump)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    LogCapture log;
    const LoadTable* hero = RecordDatabase::Get().Load("Records/Creatures/ArenaPlayer.dbr");
    ASSERT_NE(hero, nullptr);
    bio().Load(*hero);
    ExperienceLevelControl control;
    control.Load(*hero);
    control.DumpLevels();
    RecordDatabase::Get().SetDataRoot("");
    const std::vector<std::string> lines = log.Texts();
    ASSERT_EQ(lines.size(), 65u + 3u);
    EXPECT_EQ(lines[0], "Level                       Experience");
    EXPECT_EQ(lines[1], "--------------------------------------");
    EXPECT_EQ(lines[2], "  1                                     0");
    EXPECT_EQ(lines[3], "  2                                  1000");
    EXPECT_EQ(lines.back(), lines[1]);
    bio().InitialUpdate(*character);
    bio().Update(*character, 0);
    EXPECT_EQ(bio().GetLifeLimit(), 300.0f);
    bio().SubtractLife(10.0f);
    bio().Update(*character, 1000);
    // The bundled player regenerates 2 life a second.
    EXPECT_FLOAT_EQ(bio().GetCurrentLife(), 292.0f);
    // What regeneration gives is counted in the character's statistics.
    EXPECT_FLOAT_EQ(character->GetPlayStats().GetLifeGained(PlayStatsLifeType_Regeneration), 2.0f);
}

}  // namespace
}  // namespace GAME
