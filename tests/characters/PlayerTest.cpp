// The player: its record and controllers, tokens and the autosave they ask for, pets,
// voice prompts with their countdowns, items given to it, and its speed caps.
#include <map>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Journal.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameUIInterface.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"

namespace GAME {

// Counts its plays by the record it was made from.
class CountingSound : public SoundPak {
    GAME_DECLARE_CLASS(CountingSound)

public:
    void Play(const WorldVec3&, int, bool) override { ++plays[GetObjectName()]; }
    static inline std::map<std::string, int> plays;
};

GAME_IMPLEMENT_CLASS(CountingSound, SoundPak)

namespace {

class SavingUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return ++saves, true; }
    bool SaveQuest(bool flag) override { return quests.push_back(flag), true; }
    bool BackupGame() override { return true; }
    int saves = 0;
    std::vector<bool> quests;
};

class PlayerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        CountingSound::plays.clear();
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        for (const char* sound : {kMana, kDoor, kPickUp, kFull})
            RecordDatabase::Get().RegisterRecord(sound, "Class,CountingSound,\n");
        engine->SetUI(&ui);
    }
    // A placed player of these keys, controlled unless told otherwise, after its first frame.
    Player* MakePlayer(const std::string& keys = "", bool controlling = true)
    {
        Player* player = Place(Make<Player>(keys, "Player"));
        player->SetIsControllingCharacter(controlling);
        Frame();
        return player;
    }
    static constexpr const char* kMana = "Records/Test/Mana.dbr";
    static constexpr const char* kDoor = "Records/Test/Door.dbr";
    static constexpr const char* kPickUp = "Records/Test/PickUp.dbr";
    static constexpr const char* kFull = "Records/Test/Full.dbr";
    SavingUI ui;
};

TEST_F(PlayerTest, RecordAndControllers)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Light.dbr", "Class,Light,\n");
    Player* player = Make<Player>("defaultGold,-5,\nlongIdleTriggerTime,-3,\nplayerLight,Records/Test/Light.dbr,\n"
                                  "playerTextures,A.tex;B.tex,\nmaxMoveToRatio,2.5,\n",
                                  "Player");
    EXPECT_EQ(player->GetCurrentMoney(), 0u);   // negative values from the record count as none
    EXPECT_EQ(player->GetLongIdleTriggerTime(), 0.0f);
    EXPECT_EQ(player->GetMaxMoveToRatio(), 2.5f);
    EXPECT_EQ(player->GetGreatestDifficultyCompleted(), 0);
    auto* light = ObjectManager::Get().GetObject<Light>(player->GetLightId());
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->GetForceShadows());
    // The stub until the player is the controlled one; each swap destroys the old one.
    const uint32_t stub = player->GetControllerId();
    auto* stubController = ObjectManager::Get().GetObject<ControllerAI>(stub);
    ASSERT_NE(stubController, nullptr);
    EXPECT_EQ(stubController->GetParentId(), player->GetObjectId());
    EXPECT_EQ(player->GetPlayerController(), nullptr);
    player->SetIsControllingCharacter(true);
    EXPECT_EQ(ObjectManager::Get().GetObject(stub), nullptr);
    ASSERT_NE(player->GetPlayerController(), nullptr);
    EXPECT_EQ(player->GetPlayerController()->GetInventoryCtrl().GetParent(), player);

    // A controlled player carries its light; another peer's player has it switched off.
    Place(player);
    Frame();
    EXPECT_EQ(light->GetAttachParent(), player);
    Player* other = MakePlayer("playerLight,Records/Test/Light.dbr,\n", false);
    auto* otherLight = ObjectManager::Get().GetObject<Light>(other->GetLightId());
    ASSERT_NE(otherLight, nullptr);
    EXPECT_FALSE(otherLight->IsEnabled());
    EXPECT_EQ(otherLight->GetAttachParent(), nullptr);
    EXPECT_EQ(other->GetLifeState(), Character_LifeState_Alive);

    // Without the controller records a player has no controller, and nothing breaks.
    RecordDatabase::Get().Clear();
    player->SetIsControllingCharacter(false);
    EXPECT_EQ(player->GetControllerId(), 0u);
    Frame();
}

// A player made from the bundled record and placed, as a program over the library makes
// it, stands whole before its first frame; a blow taken before that frame comes off a full
// life, and from then on life and mana move by the rules (no refill, no death).
TEST_F(PlayerTest, APlacedPlayerIsWholeBeforeItsFirstFrame)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
    ASSERT_NE(player, nullptr);
    Place(player);
    engine->SetPlayer(player);
    engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
    EXPECT_EQ(player->GetLifeLimit(), 300.0f);
    EXPECT_EQ(player->GetCurrentLife(), 300.0f);
    EXPECT_EQ(player->GetCurrentMana(), 120.0f);

    player->GetCharacterBio().SubtractLife(50.0f);
    player->GetCharacterBio().SubtractMana(20.0f);
    EXPECT_EQ(player->GetCurrentLife(), 250.0f);
    for (int i = 0; i < 4; ++i)
        Frame(250);
    EXPECT_GT(player->GetCurrentLife(), 250.0f);
    EXPECT_LT(player->GetCurrentLife(), 260.0f);
    EXPECT_GT(player->GetCurrentMana(), 100.0f);
    EXPECT_LT(player->GetCurrentMana(), 120.0f);
    EXPECT_TRUE(player->IsAlive());
}

TEST_F(PlayerTest, TokensAreHeldAfterAnUpdateAndAHeldOneBestowedAgainOnlyAsksToSave)
{
    Player* player = MakePlayer();
    EventCapture events;
    events.Keep<GameEvent_GotToken>("GameEvent_GotToken");
    player->BestowToken(TriggerToken("Gate"));
    player->BestowToken(TriggerToken("Key"));
    EXPECT_FALSE(player->HasToken("Gate"));
    const int saves = ui.saves;
    Frame();
    EXPECT_TRUE(player->HasToken("Gate"));
    EXPECT_EQ(player->GetTriggerTokensAsString(), (std::vector<std::string>{"Gate", "Key"}));
    const auto got = events.Kept<GameEvent_GotToken>("GameEvent_GotToken");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].objectId, player->GetObjectId());
    EXPECT_EQ(got[1].tokenName, "Key");
    EXPECT_EQ(ui.saves, saves + 1);

    player->BestowToken(TriggerToken("Gate"));
    Frame();
    EXPECT_EQ(events.Count("GameEvent_GotToken"), 2u);
    EXPECT_EQ(ui.saves, saves + 2);
    EXPECT_EQ(player->GetTriggerTokensAsString().size(), 2u);

    player->RemoveToken(TriggerToken("Gate"));
    EXPECT_FALSE(player->HasToken("Gate"));
    player->ClearTokens();
    EXPECT_TRUE(player->GetTriggerTokensAsString().empty());
}

TEST_F(PlayerTest, AutosaveRunsEveryMinuteAndOnlyWhereTheEngineAndTheGameAllowIt)
{
    Player* player = MakePlayer();
    const int saves = ui.saves;
    Frame(player->GetAutoSaveCountdown());   // down to 0: not yet
    EXPECT_EQ(ui.saves, saves);
    Frame(1);
    EXPECT_EQ(ui.saves, saves + 1);
    EXPECT_EQ(player->GetAutoSaveCountdown(), Player::kAutoSaveIntervalMs);

    // Held back by the engine's mode, by saving switched off, or for another peer's player:
    // the request is dropped all the same.
    gEngine->SetThirdQuery(true);
    player->SetNeedsSave();
    Frame();
    gEngine->SetThirdQuery(false);
    engine->SetSaveEnabled(false);
    player->SetNeedsSave();
    Frame();
    engine->SetSaveEnabled(true);
    Player* other = MakePlayer("", false);
    other->SetNeedsSave();
    Frame();
    EXPECT_EQ(ui.saves, saves + 1);
    EXPECT_FALSE(player->GetNeedsSave());

    // Quest events save the quest state once, with the update's flag.
    GameEvent_QuestUpdate update;
    update.flag = true;
    EventManager::Get().Send(update, "GameEvent_QuestUpdate");
    Frame();
    Frame();
    EXPECT_EQ(ui.quests, std::vector<bool>{true});
}

TEST_F(PlayerTest, TheSeventhPetIsRefusedAndADeadPetLeavesItsPlace)
{
    Player* player = MakePlayer();
    for (uint32_t pet = 1; pet <= 6; ++pet)
        EXPECT_TRUE(player->CanAdoptAPet(pet));
    EXPECT_FALSE(player->CanAdoptAPet(7));
    EXPECT_EQ(player->GetPets().size(), 6u);
    GameEvent_CreatureDeath death;
    death.objectId = 3;
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    EXPECT_EQ(player->GetPets(), (std::vector<uint32_t>{1, 2, 4, 5, 6}));
    EXPECT_TRUE(player->CanAdoptAPet(7));
}

TEST_F(PlayerTest, VoicePromptsWaitForTheirCountdowns)
{
    const std::string keys = std::string("notEnoughManaSound,") + kMana + ",\nlockedDoorSound," + kDoor + ",\n";
    Player* player = MakePlayer(keys);
    int& mana = CountingSound::plays[kMana];
    player->PlayNotEnoughManaVox(1);
    player->PlayNotEnoughManaVox(2);   // any prompt waits 3000 ms
    EXPECT_EQ(mana, 1);
    Frame(3000);
    player->PlayNotEnoughManaVox(1);   // the same skill waits 8000 ms
    EXPECT_EQ(mana, 1);
    player->PlayNotEnoughManaVox(2);
    EXPECT_EQ(mana, 2);
    player->ResetSkillVox();
    Frame(3000);
    player->PlayNotEnoughManaVox(2);
    EXPECT_EQ(mana, 3);

    int& door = CountingSound::plays[kDoor];
    player->PlayLockedDoorVox();
    Frame(7999);
    player->PlayLockedDoorVox();
    EXPECT_EQ(door, 1);
    Frame(1);
    player->PlayLockedDoorVox();
    EXPECT_EQ(door, 2);

    // Another peer's player is silent.
    Player* other = MakePlayer(keys, false);
    other->PlayNotEnoughManaVox(9);
    other->PlayLockedDoorVox();
    EXPECT_EQ(mana, 3);
    EXPECT_EQ(door, 2);
}

TEST_F(PlayerTest, AnItemWithoutAPlaceIsDroppedWithTheInventoryFullPrompt)
{
    Player* player =
        MakePlayer(std::string("pickUpSoundName,") + kPickUp + ",\ninventoryFullSound," + kFull + ",\n");
    auto* item = DynamicCast<Item>(ObjectManager::Get().CreateObject("Armor"));
    player->GiveItemToCharacter(item);
    EXPECT_TRUE(player->GetPlayerController()->GetInventoryCtrl().HasItem(item->GetObjectId()));
    EXPECT_EQ(CountingSound::plays[kPickUp], 1);
    // The bags refuse it a second time.
    player->GiveItemToCharacter(item);
    EXPECT_EQ(CountingSound::plays[kFull], 1);
    EXPECT_TRUE(Unlocked(33));
    gEngine->RunActorCommands();   // the drop is a command, run on every peer
    EXPECT_TRUE(item->IsInWorld());
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(item->GetObjectId()));
}

TEST_F(PlayerTest, SpeedCapsHoldAroundTheBaseValueOnlyWithBothBoundsSet)
{
    GameRecord("playerAttackSpeedCapMin,50;50;50,\nplayerAttackSpeedCapMax,200;200;200,\n"
               "playerRunSpeedCapMin,0;0;0,\nplayerRunSpeedCapMax,200;200;200,\n");
    Player* player = MakePlayer("characterAttackSpeed,2.0,\n");
    EXPECT_EQ(player->CapAttackSpeed(0.5f), 1.0f);
    EXPECT_EQ(player->CapAttackSpeed(3.0f), 3.0f);
    EXPECT_EQ(player->CapAttackSpeed(9.0f), 4.0f);
    EXPECT_EQ(player->CapRunSpeed(0.01f), 0.01f);
    EXPECT_EQ(Player::CalculateStun(10.0f, 100.0f, 0.0f, 0.0f), 0.0f);   // 10 percent: below 15
    EXPECT_FLOAT_EQ(Player::CalculateStun(50.0f, 100.0f, 50.0f, 0.0f), (1.5f + 1000.0f) * 0.5f);
}

TEST_F(PlayerTest, PlacesAreKeptPerDifficultyAndOnlyNewOnesAskToSave)
{
    Player* player = MakePlayer();
    UniqueId a, b;
    a.SetPart(0, 1);
    b.SetPart(0, 2);
    player->AddTeleportUID(a);
    player->AddTeleportUID(a);
    EXPECT_EQ(player->GetTeleportUIDs().size(), 1u);
    player->AddRespawnUID(b);
    EXPECT_TRUE(player->IsCurrentRespawnPoint(b));
    EXPECT_TRUE(player->GetNeedsSave());
    engine->SetGameDifficulty(GameDifficulty_Epic);
    EXPECT_FALSE(player->IsTeleportUIDKnown(a));
    EXPECT_FALSE(player->IsCurrentRespawnPoint(b));
    engine->SetGameDifficulty(GameDifficulty_Normal);
    player->ClearRespawnLocation();
    EXPECT_FALSE(player->IsCurrentRespawnPoint(b));
    EXPECT_TRUE(player->IsRespawnUIDKnown(b));
}

TEST_F(PlayerTest, ItsOwnKillsRecordTheStrongestCreature)
{
    Player* player = MakePlayer();
    auto kill = [&](Character* dead, uint32_t killer) {
        GameEvent_CreatureDeath death;
        death.objectId = dead->GetObjectId();
        death.attackerId = killer;
        EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    };
    auto creature = [&](uint32_t level, float life) {
        Character* character = Make();
        character->SetCharLevel(level);
        character->SetLifeLimit(life);
        return character;
    };
    Character* strong = creature(3, 200.0f);
    kill(strong, player->GetObjectId());
    kill(creature(1, 500.0f), player->GetObjectId());   // 500 does not beat 3 x 200
    kill(creature(9, 900.0f), 0);                        // not the player's kill
    const PlayStats& stats = player->GetPlayStats();
    EXPECT_EQ(stats.GetGreatestMonsterKilledLevel(), 3u);
    EXPECT_EQ(stats.GetGreatestMonsterKilledLifeAndMana(), 200u);
    EXPECT_EQ(stats.GetGreatestMonsterKilledName(), strong->GetGameDescription(false));
}

TEST_F(PlayerTest, BossMusicStartsInItsZoneAndLeavesWithoutABoss)
{
    Player* player = Place(MakeMainPlayer());
    Frame();
    Jukebox& jukebox = Jukebox::Get();
    player->RegisterMonsterMusic(77, "Boss.mp3");
    Frame();
    EXPECT_FALSE(jukebox.IsPlayingBossMusic());   // outside the zone nothing starts
    AmbianceManager::Get().SetTargetInBossMusicZone(true);
    player->RegisterMonsterMusic(77, "Boss.mp3");
    Frame();
    EXPECT_EQ(jukebox.GetBossMusic(), "Boss.mp3");
    EXPECT_EQ(jukebox.GetAbsoluteFadeCount(), 1);
    EXPECT_EQ(jukebox.GetTrackedBoss(), 77u);
    Frame();   // no boss this frame: the zone keeps it
    AmbianceManager::Get().SetTargetInBossMusicZone(false);
    EXPECT_TRUE(jukebox.IsPlayingBossMusic());
    Frame();
    EXPECT_FALSE(jukebox.IsPlayingBossMusic());
}

}  // namespace
}  // namespace GAME
