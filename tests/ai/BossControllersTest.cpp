// The final boss's god cycle with its statues and its death, and the charging cyclops:
// with the bundled boss records and small records of the cases' own.
#include <algorithm>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Game/ai/ControllerCyclops.h"
#include "Game/ai/ControllerTyphon.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/Typhon.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/EndGameActivity.h"
#include "Game/world/MapMarkers.h"
#include "ai/ControllerAITestAccess.h"

using namespace GAME;

namespace {

// What the game asks of the user interface at the end of the game.
class EndGameUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty difficulty) override
    {
        saves.push_back(difficulty);
        return true;
    }
    bool SaveGame() override
    {
        ++autoSaves;
        return true;
    }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    void FinalBossDefeated() override { ++defeats; }
    void ShowDialog(Dialog&) override { showing = true; }
    bool IsShowingDialog() const override { return showing; }
    void EndSequence() override { ++endSequences; }

    std::vector<int> saves;
    int autoSaves = 0, defeats = 0, endSequences = 0;
    bool showing = false;
};

class BossTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        region = World::Get().AddRegion(1, "Arena");
        SeedProcessRandom(55);
        engine->SetUI(&ui);
    }
    void TearDown() override
    {
        ActivityManager::Get()->Clear();
        engine->SetUI(nullptr);
        EngineTest::TearDown();
    }
    template <class T>
    T* Spawn(const std::string& record, float x, float z = 0.0f)
    {
        T* character = ObjectManager::Get().CreateObjectFromFile<T>(record);
        EXPECT_NE(character, nullptr);
        EXPECT_TRUE(World::Get().AddEntity(character, WorldCoords(region, Coords::MakeTranslation({x, 0, z}))));
        character->SetPathPosition(WorldVec3(region, Vec3{x, 0, z}));
        character->SetLifeLimit(100.0f);
        character->SetCurrentLife(100.0f);
        return character;
    }
    // The character's controller after its first frame (states registered).
    template <class T>
    T* Mind(Character& character)
    {
        auto* mind = ObjectManager::Get().GetObject<T>(character.GetControllerId());
        EXPECT_NE(mind, nullptr);
        mind->AttachParent(character.GetObjectId());
        mind->Update(0);
        return mind;
    }
    TyphonStatue* Statue(const char* god, float x, float z = 0.0f)
    {
        auto* statue = Spawn<TyphonStatue>(std::string("Records/Creatures/Boss/TyphonStatue") + god + ".dbr", x, z);
        statue->InitialUpdate();
        return statue;
    }

    EndGameUI ui;
    Region* region = nullptr;
};

uint32_t SkillOf(const Character& character, const char* record)
{
    return character.GetSkillManager().FindSkillId(record);
}

}  // namespace

TEST_F(BossTest, TheBossReadsEachGodsAttacksAndTransferSkillsFromItsRecord)
{
    auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
    ControllerTyphon* mind = boss->GetTyphonController();
    ASSERT_NE(mind, nullptr);
    struct Row {
        uint32_t god;
        size_t slot;
        const char* skill;
        int timeout, delay;
        uint32_t chance;
        SkillUseRange range;
    };
    const Row rows[] = {
        {0, 0, "Records/Skills/Attacks/Thunderclap.dbr", 1500, 4250, 60, SkillUseRange_Medium},
        {1, 0, "Records/Skills/Attacks/FrostNova.dbr", 0, 3000, 50, SkillUseRange_Any},
        {1, 1, "Records/Skills/Attacks/CrushingBlow.dbr", 0, 0, 25, SkillUseRange_Short},
        {2, 0, "Records/Skills/Attacks/CrushingBlow.dbr", 0, 0, 70, SkillUseRange_Short},
        {3, 4, "Records/Skills/Attacks/ArrowVolley.dbr", 700, 0, 40, SkillUseRange_Long},
        {3, 0, nullptr, 0, 0, 0, SkillUseRange_Any},   // a skill the boss does not know
        {0, 1, nullptr, 0, 0, 0, SkillUseRange_Any},   // no keys at all
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(GodIndexToName(row.god)) + " slot " + std::to_string(row.slot + 1));
        const ControllerMonster::SpecialAttack& attack = mind->GetGodSpecialAttack(row.god, row.slot);
        EXPECT_EQ(attack.skillId, row.skill ? SkillOf(*boss, row.skill) : 0u);
        EXPECT_NE(row.skill && attack.skillId == 0, true);
        EXPECT_EQ(attack.timeoutMs, row.timeout);
        EXPECT_EQ(attack.delayMs, row.delay);
        EXPECT_EQ(attack.chance, row.chance);
        EXPECT_EQ(attack.range, row.range);
    }
    const uint32_t transfer = SkillOf(*boss, "Records/Skills/Boss/TyphonSkillTransfer.dbr");
    ASSERT_NE(transfer, 0u);
    for (uint32_t god = 0; god < ControllerTyphon::kGodCount; ++god)
        EXPECT_EQ(mind->GetTransferSkill(god), transfer);
    EXPECT_EQ(GodIndexToName(4), std::string("invalid"));
    for (const char* word : {"", "poseidon", "Zeus", "zeus"})
        EXPECT_EQ(GodNameFromString(word), 0u) << word;
    EXPECT_EQ(GodNameFromString("apollo"), 3u);
}

TEST_F(BossTest, AChosenStatueIsStruckWithItsOwnGodsTransferSkillHoweverManyStand)
{
    std::string keys = "Class,Typhon,\ncontroller,Records/Controllers/Monster/TyphonController.dbr,\n";
    const char* gods[] = {"Zeus", "Demeter", "Hades", "Apollo"};
    for (int god = 0; god < 4; ++god) {
        const std::string record = std::string("Records/Test/Transfer") + gods[god] + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, "Class,Skill_TyphonSkillTransfer,\n");
        keys += "skillName" + std::to_string(god + 1) + "," + record + ",\nskillLevel" + std::to_string(god + 1) +
                ",1,\n" + gods[god] + "TransferSkillName," + record + ",\n";
    }
    RecordDatabase::Get().RegisterRecord("Records/Test/Typhon.dbr", keys);
    auto* boss = Spawn<Typhon>("Records/Test/Typhon.dbr", 0.0f);
    auto* mind = Mind<ControllerTyphon>(*boss);
    // Six statues: more than there are gods, and out of god order.
    for (const char* god : {"Apollo", "Hades", "Zeus", "Demeter", "Apollo", "Hades"})
        Statue(god, 5.0f + static_cast<float>(mind->GetLastStatueIndex() + 3), static_cast<float>(god[0]));
    std::set<int> chosen;
    for (int round = 0; round < 30; ++round) {
        ASSERT_TRUE(mind->ChooseStatue());
        chosen.insert(mind->GetLastStatueIndex());
        const auto* statue = ObjectManager::Get().GetObject<TyphonStatue>(mind->GetCurrentEnemy());
        ASSERT_NE(statue, nullptr) << mind->GetExecutingStateName();
        EXPECT_EQ(mind->GetCurrentSkillID(), SkillOf(*boss, (std::string("Records/Test/Transfer") +
                                                                gods[statue->GetGod()] + ".dbr").c_str()));
    }
    EXPECT_TRUE(chosen.count(4) || chosen.count(5));
}

TEST_F(BossTest, ALoneStatueIsChosenAgainAndWithoutOneTheCycleStops)
{
    auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
    auto* mind = Mind<ControllerTyphon>(*boss);
    TyphonStatue* statue = Statue("Hades", 6.0f);
    EXPECT_TRUE(mind->ChooseStatue());
    EXPECT_TRUE(mind->ChooseStatue());
    EXPECT_EQ(mind->GetLastStatueIndex(), 0);
    EXPECT_EQ(mind->GetCurrentEnemy(), statue->GetObjectId());
    statue->SetCurrentLife(0.0f);
    statue->SetLifeState(Character_LifeState_Dead);
    Statue("Zeus", 520.0f);   // out of reach
    EXPECT_FALSE(mind->ChooseStatue());
    // Both countdowns below 0: nothing starts again by itself.
    ControllerAITestAccess::SetState(*mind, "Idle", ControllerAIStateData(statue->GetObjectId(), 0, 0, WorldVec3()));
    mind->SetTimeWithoutGodSkills(-3);
    mind->SetTimeWithGodSkills(-1);
    mind->Update(500);
    EXPECT_EQ(mind->GetTimeWithoutGodSkills(), -3);
    EXPECT_EQ(mind->GetTimeWithGodSkills(), -1);
}

TEST_F(BossTest, APhaseEndsOnlyWhenItsCountdownGoesBelowZero)
{
    auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
    auto* mind = Mind<ControllerTyphon>(*boss);
    ASSERT_EQ(mind->GetTimeWithGodSkills(), -1);
    ASSERT_GE(mind->GetTimeWithoutGodSkills(), 3000);
    ASSERT_LE(mind->GetTimeWithoutGodSkills(), 6000);
    TyphonStatue* statue = Statue("Demeter", 6.0f);
    ControllerAITestAccess::SetState(*mind, "Idle", ControllerAIStateData(statue->GetObjectId(), 0, 0, WorldVec3()));
    mind->SetTimeWithoutGodSkills(100);
    mind->Update(100);
    EXPECT_EQ(mind->GetTimeWithoutGodSkills(), 0);
    EXPECT_EQ(mind->GetLastStatueIndex(), -1);
    mind->Update(1);
    EXPECT_EQ(mind->GetLastStatueIndex(), 0);
    EXPECT_GE(mind->GetTimeWithGodSkills(), 10000);
    EXPECT_LE(mind->GetTimeWithGodSkills(), 20000);

    mind->ApplyGodSkills(1);
    boss->EnableSkillEffect(1);
    ASSERT_TRUE(boss->GetGodSkillEffect(1).IsStarted());
    ControllerAITestAccess::SetState(*mind, "Idle", ControllerAIStateData(statue->GetObjectId(), 0, 0, WorldVec3()));
    mind->SetTimeWithGodSkills(50);
    mind->Update(50);
    EXPECT_EQ(mind->GetCurrentGod(), 1u);
    mind->Update(1);
    EXPECT_EQ(mind->GetCurrentGod(), ControllerTyphon::kNoGod);
    EXPECT_EQ(mind->GetSpecialAttack(0).skillId, mind->GetDefaultSpecialAttack(0).skillId);
    EXPECT_GE(mind->GetTimeWithoutGodSkills(), 3000);
    // The effects go out through the command queued on the boss, with the world's frame.
    EXPECT_TRUE(boss->GetGodSkillEffect(1).IsStarted());
    gEngine->UpdateFrame(0);
    EXPECT_FALSE(boss->GetGodSkillEffect(1).IsStarted());

    // A statue that stands nowhere cannot be reached: the boss gives up and idles.
    auto* lost = ObjectManager::Get().CreateObjectFromFile<TyphonStatue>("Records/Creatures/Boss/TyphonStatueZeus.dbr");
    LogCapture log;
    ControllerAITestAccess::SetState(*mind, "PursueStatue", ControllerAIStateData(lost->GetObjectId(), 0, mind->GetTransferSkill(0), WorldVec3()));
    EXPECT_TRUE(log.Contains("Typhon can't move to the statue."));
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
}

TEST_F(BossTest, AStatueStruckByTheBossHandsOverItsGodAndOnlyTheCurrentGodsStatueTakesItBack)
{
    auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
    auto* mind = Mind<ControllerTyphon>(*boss);
    auto* other = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 3.0f);
    TyphonStatue* hades = Statue("Hades", 6.0f);
    TyphonStatue* zeus = Statue("Zeus", -6.0f);
    EXPECT_EQ(hades->GetTeam().GetTeamMajor(), 1u);
    EXPECT_FALSE(hades->CausesAnger());
    hades->UnderAttack(other->GetObjectId());
    EXPECT_EQ(mind->GetCurrentGod(), ControllerTyphon::kNoGod);
    EXPECT_EQ(hades->GetBurstSound()->GetPlayCount(), 0u);

    hades->UnderAttack(boss->GetObjectId());
    EXPECT_EQ(mind->GetCurrentGod(), 2u);
    EXPECT_EQ(mind->GetSpecialAttack(0).skillId, mind->GetGodSpecialAttack(2, 0).skillId);
    EXPECT_NE(mind->GetSpecialAttack(0).skillId, 0u);
    EXPECT_EQ(hades->GetBurstSound()->GetPlayCount(), 1u);

    // The fight has drawn the boss away from its home, where the loss sends it back.
    boss->SetSpawnPoint(WorldCoords(region, Coords::MakeTranslation({0, 0, 8})));
    zeus->CharacterIsDying();
    EXPECT_EQ(mind->GetCurrentGod(), 2u);
    hades->CharacterIsDying();
    EXPECT_EQ(mind->GetCurrentGod(), ControllerTyphon::kNoGod);
    EXPECT_EQ(mind->GetSpecialAttack(0).skillId, mind->GetDefaultSpecialAttack(0).skillId);
    EXPECT_EQ(mind->GetExecutingStateName(), "Return");
}

TEST_F(BossTest, AfterTheStrikeOnAStatueTheBossForgetsItAndFindsThePlayerInReachAgain)
{
    auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
    auto* mind = Mind<ControllerTyphon>(*boss);
    auto* foe = Spawn<Character>("Records/Creatures/ArenaPlayer.dbr", -4.0f);
    TyphonStatue* statue = Statue("Hades", 6.0f);
    const uint32_t foeId = foe->GetObjectId();
    mind->SetMostHatedEnemy(foeId);
    ControllerAITestAccess::SetState(*mind, "Pursue", ControllerAIStateData(foeId, 0, mind->ChooseBestSkill(foeId, false), WorldVec3()));
    ASSERT_TRUE(mind->ChooseStatue());
    EXPECT_EQ(mind->GetMostHatedEnemy(), statue->GetObjectId());
    ControllerAITestAccess::SetState(*mind, "AttackStatue", ControllerAIStateData(statue->GetObjectId(), 0, mind->GetTransferSkill(2), WorldVec3()));
    // A foe the searches find during the strike does not break it off.
    mind->GetAngerManager().AddAnger(foeId, 100.0f);
    mind->GetExecutingState()->EnemyFound(foeId);
    EXPECT_EQ(mind->GetExecutingStateName(), "AttackStatue");
    mind->GetAngerManager().Clear();
    mind->GetExecutingState()->HandleEvent(Actor::EndEvent());
    EXPECT_EQ(mind->GetMostHatedEnemy(), 0u);
    EXPECT_NE(mind->GetExecutingStateName(), "Pursue");

    // Home again with the player standing in reach, the boss takes the player up by sight.
    ControllerAITestAccess::SetState(*mind, "Idle", ControllerAIStateData());
    // Seen within its sight the player angers it faster than it forgives.
    for (int frame = 0; frame < 10 && mind->GetCurrentEnemy() != foeId; ++frame)
        mind->Update(100);
    EXPECT_EQ(mind->GetCurrentEnemy(), foeId);

    // The boss that cannot reach its statue forgets it too.
    ASSERT_TRUE(mind->ChooseStatue());
    auto* lost = ObjectManager::Get().CreateObjectFromFile<TyphonStatue>("Records/Creatures/Boss/TyphonStatueZeus.dbr");
    mind->SetMostHatedEnemy(lost->GetObjectId());
    ControllerAITestAccess::SetState(*mind, "PursueStatue", ControllerAIStateData(lost->GetObjectId(), 0, mind->GetTransferSkill(0), WorldVec3()));
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    EXPECT_NE(mind->GetMostHatedEnemy(), lost->GetObjectId());
}

TEST_F(BossTest, TheBossesDeathEndsTheGameAndUnlocksTheNextDifficulty)
{
    struct Row {
        GameDifficulty played;
        int32_t completed;
        std::vector<int> saves;
        bool unlocked;
        int32_t completedAfter;
    };
    const Row rows[] = {
        {GameDifficulty_Normal, 0, {1}, true, 1},
        {GameDifficulty_Epic, 0, {2}, true, 2},
        {GameDifficulty_Legendary, 2, {2}, false, 2},
        {GameDifficulty_Normal, 1, {}, false, 1},
    };
    Player* player = MakeMainPlayer();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.played);
        ui = EndGameUI();
        engine->SetPlayerUnlockedLevel(false);
        engine->SetGameDifficulty(row.played);
        player->SetGreatestDifficultyCompleted(row.completed);
        auto* boss = Spawn<Typhon>("Records/Creatures/Boss/Typhon.dbr", 0.0f);
        auto* mind = Mind<ControllerTyphon>(*boss);
        boss->ImDying();
        EXPECT_EQ(mind->GetExecutingStateName(), "Dying");
        EXPECT_EQ(ui.defeats, 1);
        EXPECT_EQ(ui.saves, row.saves);
        EXPECT_EQ(engine->GetPlayerUnlockedLevel(), row.unlocked);
        EXPECT_EQ(player->GetGreatestDifficultyCompleted(), row.completedAfter);
        ActivityManager::Get()->Update(16);
        EXPECT_EQ(Jukebox::Get().GetEventMusic(), EndGameActivity::kMusic);
        ActivityManager::Get()->Clear();
        Jukebox::Get().Reset();
    }
    // A second boss character without a main player on this peer: the rest of the death.
    engine->GetPlayerManagerClient()->SetMainPlayer(0);
    ui = EndGameUI();
    RecordDatabase::Get().RegisterRecord("Records/Test/Typhon2.dbr", "Class,Typhon2,\nwisps,Records/Skills/Boss/SickleExplosion.dbr,\n");
    auto* second = Spawn<Typhon2>("Records/Test/Typhon2.dbr", 0.0f);
    auto* secondMind = Mind<ControllerMonster>(*second);
    second->ImDying();
    EXPECT_EQ(secondMind->GetExecutingStateName(), "Dying");
    EXPECT_EQ(ui.defeats, 1);
    EXPECT_TRUE(ui.saves.empty());
}

TEST_F(BossTest, TheCyclopsKeepsOnlyItsOwnScriptPointsTheLastOfEachNumber)
{
    auto* cyclops = Spawn<Monster>("Records/Creatures/Boss/Cyclops.dbr", 0.0f);
    auto* mind = Mind<ControllerCyclops>(*cyclops);
    EXPECT_EQ(mind->GetPostRoarMusic(), "Records/Sounds/Music/CyclopsBattle.dbr");
    EXPECT_EQ(mind->ProcessAngerTarget(*cyclops, 200), 0.0f);
    GameEvent_ScriptPoint event;
    event.characterName = "Records/Creatures/Boss/Other.dbr";
    event.sequenceNum = 3;
    event.coords = WorldCoords(region, Coords::MakeTranslation({1, 0, 1}));
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
    EXPECT_EQ(mind->GetScriptPointCount(), 0u);
    event.characterName = cyclops->GetObjectName();
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
    event.coords = WorldCoords(region, Coords::MakeTranslation({7, 0, 2}));
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
    WorldCoords point;
    ASSERT_TRUE(mind->GetScriptPoint(3, point));
    EXPECT_EQ(point.GetRegionCoords().origin.x, 7.0f);
    EXPECT_FALSE(mind->GetScriptPoint(0, point));
    // A marker placed for it stays silent: the level's scripting announces the points.
    RecordDatabase::Get().RegisterRecord("Records/Test/Point.dbr", "Class,ScriptPoint,\nscriptCharacter," +
                                                                       cyclops->GetObjectName() + ",\n");
    auto* marker = ObjectManager::Get().CreateObjectFromFile<ScriptPoint>("Records/Test/Point.dbr");
    ASSERT_TRUE(World::Get().AddEntity(marker, WorldCoords(region, Coords::MakeTranslation({4, 0, 0}))));
    marker->InitialUpdate();
    EXPECT_FALSE(mind->GetScriptPoint(0, point));
    EXPECT_EQ(mind->GetScriptPointCount(), 1u);

    // The level announces its points before a boss's first update binds its controller:
    // they wait for the boss and only its own are kept.
    auto* late = Spawn<Monster>("Records/Creatures/Boss/Cyclops.dbr", 9.0f);
    event.characterName = late->GetObjectName();
    event.sequenceNum = 0;
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
    event.characterName = "Records/Creatures/Boss/Other.dbr";
    event.sequenceNum = 1;
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
    auto* lateMind = Mind<ControllerCyclops>(*late);
    ASSERT_TRUE(lateMind->GetScriptPoint(0, point));
    EXPECT_EQ(point.GetRegionCoords().origin.x, 7.0f);
    EXPECT_EQ(lateMind->GetScriptPointCount(), 1u);
}

TEST_F(BossTest, TheCyclopsChargesAtThePlayerRoaringFirstAndKillsOnlyFoesInItsWay)
{
    Player* player = MakeMainPlayer();
    World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation({20, 0, 0})));
    player->SetPathPosition(WorldVec3(region, Vec3{20, 0, 0}));
    player->SetTeam(TeamManager::DefaultPlayerTeam());
    auto* cyclops = Spawn<Monster>("Records/Creatures/Boss/Cyclops.dbr", 0.0f);
    auto* mind = Mind<ControllerCyclops>(*cyclops);
    EXPECT_EQ(cyclops->GetTeam().GetTeamMinor(), kTeamMinorMonsterHostile);
    mind->HandleEvent(Actor::EndEvent());   // the spawn animation is over
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
    // An unreachable script point 0 (in no region): the charge starts from here.
    GameEvent_ScriptPoint event;
    event.characterName = cyclops->GetObjectName();
    event.coords = WorldCoords(nullptr, Coords::MakeTranslation({0, 0, 10}));
    mind->OnScriptPoint(event);
    LogCapture log;
    mind->WakeUp(player->GetObjectId());
    EXPECT_TRUE(log.Contains("-=- Boos Cyclops could not path to scripted location"));
    EXPECT_EQ(mind->GetExecutingStateName(), "Roar");
    EXPECT_EQ(mind->GetMostHatedEnemy(), player->GetObjectId());

    auto* foe = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 1.5f);
    auto* far = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 3.0f);
    auto* scared = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 24.0f, 1.0f);
    auto* calm = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 26.0f);
    auto* friendly = Spawn<Monster>("Records/Creatures/ArenaMonster.dbr", 1.0f, 0.5f);
    friendly->SetTeam(TeamManager::BuildTeam(kTeamMajorFriendly, 0));
    RecordDatabase::Get().RegisterRecord("Records/Test/Critter.dbr",
                                         "Class,AmbientCharacter,\ncontrollerType,Stooge,\ncharacterLife,10,\n");
    auto* critter = Spawn<AmbientCharacter>("Records/Test/Critter.dbr", -1.0f);
    critter->SetTeam(TeamManager::BuildTeam(kTeamMajorFriendly, 0));
    critter->InitialUpdate();
    for (Monster* monster : {foe, far, scared, calm, friendly})
        Mind<ControllerMonster>(*monster);
    // The roar again, now with monsters round: only foes within its reach panic.
    mind->GetExecutingState()->OnBegin();
    EXPECT_EQ(Mind<ControllerMonster>(*scared)->GetExecutingStateName(), "Panic");
    EXPECT_NE(Mind<ControllerMonster>(*calm)->GetExecutingStateName(), "Panic");
    EXPECT_NE(Mind<ControllerMonster>(*friendly)->GetExecutingStateName(), "Panic");
    mind->HandleEvent(Actor::EndEvent());
    mind->Update(16);   // the roar is done: the music, then the charge itself
    EXPECT_EQ(Jukebox::Get().GetEventMusic(), mind->GetPostRoarMusic());
    EXPECT_EQ(Jukebox::Get().GetLastFadeOutMs(), 5000);
    EXPECT_EQ(mind->GetExecutingStateName(), "BullRun");
    EXPECT_TRUE(mind->IsPlayerFocused());
    EXPECT_FALSE(foe->IsAlive());
    EXPECT_TRUE(far->IsAlive());
    EXPECT_TRUE(friendly->IsAlive());
    EXPECT_FALSE(critter->IsAlive());

    // The charge's end names the state it chose, at warning level; a stun takes the cyclops
    // out of any state, as it takes every monster, and its end sends it after the player again.
    LogCapture trace;
    mind->EndOfPathReached();
    const std::string chosen = mind->GetExecutingStateName();
    const std::vector<LogLine> lines = trace.Lines();
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const LogLine& l) {
        return l.text == "-=-=-=- Bullrun -> " + chosen + " ";
    });
    ASSERT_NE(line, lines.end());
    EXPECT_EQ(line->level, LOG_WARNING);
    trace.Clear();
    mind->BeginStun();
    EXPECT_EQ(mind->GetExecutingStateName(), "Stunned");
    mind->EndStun();
    EXPECT_EQ(mind->GetExecutingStateName(), "Attack");
    for (const LogLine& line : trace.Lines())
        EXPECT_LT(line.level, LOG_ERROR) << line.text;
}

TEST_F(BossTest, TheCyclopsGivesUpAPlayerItMayNoLongerAttackInsteadOfReturningToIt)
{
    // Attack hands an enemy it may not attack to Return, which took the player up again
    // whenever it was a foe: dead (or out of reach), that went round until the stack ran out.
    Player* player = MakeMainPlayer();
    World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation({3, 0, 0})));
    player->SetPathPosition(WorldVec3(region, Vec3{3, 0, 0}));
    player->SetTeam(TeamManager::DefaultPlayerTeam());
    auto* cyclops = Spawn<Monster>("Records/Creatures/Boss/Cyclops.dbr", 0.0f);
    auto* mind = Mind<ControllerCyclops>(*cyclops);
    mind->HandleEvent(Actor::EndEvent());
    player->SetLifeState(Character_LifeState_Dead);
    ControllerAIState* back = mind->GetState("Return");
    ASSERT_NE(back, nullptr);
    back->OnBegin();
    EXPECT_EQ(mind->GetExecutingStateName(), "Idle");
}
