// A character made from its record: every key or its default, the words it maps, the
// states and their texts, forced updates, what its destruction gives back, and gold.
#include <cmath>
#include <functional>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill.h"

namespace GAME {

// Writes down the frames it is given and counts its own destruction.
class RecordingController : public ControllerBaseCharacter {
    GAME_DECLARE_CLASS(RecordingController)

public:
    ~RecordingController() override { ++destroyed; }
    void Update(int elapsedMs) override { updates.push_back(elapsedMs); }

    std::vector<int> updates;
    static inline int destroyed = 0;
};

GAME_IMPLEMENT_CLASS(RecordingController, ControllerBaseCharacter)

namespace {

constexpr const char* kRecord = "Records/Test/Character.dbr";

class CharacterTest : public EngineTest {
protected:
    // The character a record of this text and kind makes.
    Character* Make(const std::string& text, const char* kind = "Monster")
    {
        RecordDatabase::Get().RegisterRecord(kRecord, std::string("Class,") + kind + ",\n" + text);
        return ObjectManager::Get().CreateObjectFromFile<Character>(kRecord);
    }
    void Destroy(Character* character)
    {
        ObjectManager::Get().DestroyObjectEx(character, "test", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
};

TEST_F(CharacterTest, LoadReadsEveryKeyOrItsDefault)
{
    Character* full = Make("loopingRunningSoundFadeTime,700,\npathMass,2.5,\ndeathAnimBlendTime,100,\n"
                           "numAttackSlots,6,\nnumDefenseSlots,2,\ndistressCallRange,20,\ndistressCallTime,3000,\n"
                           "maxDistressCalls,3,\nminRotationSpeed,5,\nmaxRotationSpeed,7,\nturnRate,1.5,\n"
                           "avoidForce,0.5,\ncausesAnger,0,\nangerMultiplier,2,\nweaponScale,1.25,\n"
                           "rotateWhenChatting,0,\ndisallowRotation,1,\ntweakSpineOnTurn,1,\ndissolveTime,2,\n"
                           "dissolveColorG,200,\ninvincible,1,\ngoldGeneratorChance,30,\ndistressCallWhenDying,0,\n"
                           "distressCall,0,\npathingSize,Large,\nwaitForCallbackToSpawn,1,\ndoLateCrumple,1,\n");
    Character* empty = Make("");
    Character* unloaded = DynamicCast<Character>(ObjectManager::Get().CreateObject("Monster"));
    ASSERT_TRUE(full && empty && unloaded);

    struct Row {
        const char* what;
        std::function<double(Character&)> get;
        double full, empty;
    };
    const Row rows[] = {
        {"fade", [](Character& c) { return c.GetLoopingRunningSoundFadeTime(); }, 700, 500},
        {"path mass (standing: doubled)", [](Character& c) { return c.GetPathMass(); }, 5.0, 2.0},
        {"blend", [](Character& c) { return c.GetDeathAnimBlendTime(); }, 100, 250},
        {"attack slots", [](Character& c) { return c.GetAttackSlots().GetNumSlots(); }, 6, 4},
        {"defence slots", [](Character& c) { return c.GetDefenseSlots().GetNumSlots(); }, 2, 4},
        {"distress range", [](Character& c) { return c.GetDistressCallRange(); }, 20, 15},
        {"distress time", [](Character& c) { return c.GetDistressCallTime(); }, 3000, 5000},
        {"distress calls", [](Character& c) { return c.GetDistressCallsLeft(); }, 3, 1},
        {"min rotation", [](Character& c) { return c.GetMinRotationSpeed(); }, 5, 9},
        {"max rotation", [](Character& c) { return c.GetMaxRotationSpeed(); }, 7, 12},
        {"turn rate", [](Character& c) { return c.GetTurnRate(); }, 1.5, 0},
        {"avoid force", [](Character& c) { return c.GetAvoidForce(); }, 0.5, 0},
        {"causes anger", [](Character& c) { return c.CausesAnger(); }, 0, 1},
        {"anger multiplier", [](Character& c) { return c.GetAngerMultiplier(); }, 2, 1},
        {"weapon scale", [](Character& c) { return c.GetWeaponScale(); }, 1.25, 0},
        {"rotate chatting", [](Character& c) { return c.ShouldRotateWhenChatting(); }, 0, 1},
        {"no rotation", [](Character& c) { return c.GetDisallowRotation(); }, 1, 0},
        {"spine", [](Character& c) { return c.GetTweakSpineOnTurn(); }, 1, 0},
        {"dissolve time", [](Character& c) { return c.GetDissolveTime(); }, 2, 0},
        {"dissolve green", [](Character& c) { return c.GetDissolveColorGreen(); }, 200, 0},
        {"invincible", [](Character& c) { return c.IsInvincible(); }, 1, 0},
        {"gold chance", [](Character& c) { return c.GetGoldGeneratorChance(); }, 30, 0},
        {"distress dying", [](Character& c) { return c.GetDistressCallWhenDying(); }, 0, 1},
        {"distress", [](Character& c) { return c.GetDistressCall(); }, 0, 1},
        {"size", [](Character& c) { return c.GetSize(); }, 2, 0},
        {"wait spawn", [](Character& c) { return c.ShouldWaitForCallbackToSpawn(); }, 1, 0},
        {"late crumple", [](Character& c) { return c.ShouldDoLateCrumple(); }, 1, 0},
    };
    for (const Row& row : rows) {
        EXPECT_FLOAT_EQ(row.get(*full), row.full) << row.what;
        EXPECT_FLOAT_EQ(row.get(*empty), row.empty) << row.what;
    }
    // Before any record the fade time has its start value, not the record default.
    EXPECT_EQ(unloaded->GetLoopingRunningSoundFadeTime(), 1000);
    EXPECT_NEAR(unloaded->GetMaxRotationSpeed(), 12.0f, 0.0f);
}

TEST_F(CharacterTest, WordsOfGenderAndSize)
{
    const std::pair<const char*, Character_Gender> genders[] = {
        {"Male", Character_Gender_Male},           {"Female", Character_Gender_Female},
        {"Native", Character_Gender_Native},       {"Satyr", Character_Gender_Satyr},
        {"JackalMan", Character_Gender_JackalMan}, {"Tigerman", Character_Gender_Tigerman},
        {"Dwarf", Character_Gender_None},          {"male", Character_Gender_None},
    };
    for (const auto& [word, gender] : genders) {
        Character* character = Make(std::string("characterGenderProfile,") + word + ",\npathingSize,Huge,\n");
        EXPECT_EQ(character->GetGender(), gender) << word;
        EXPECT_EQ(character->GetInventory().GetGender(), gender) << word;
        EXPECT_EQ(character->GetInventory().GetOwner(), character->GetObjectId());
        EXPECT_EQ(character->GetSize(), CharacterPathingSize_Small) << word;
    }
    EXPECT_EQ(Make("pathingSize,Medium,\n")->GetSize(), CharacterPathingSize_Medium);
}

// The game-wide hit effects are read at the index of the size, and only with a game engine.
TEST_F(CharacterTest, GameWideEffectsAreReadAtTheSizeIndex)
{
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr", "absFireFx,Small;Medium;Large,\n");
    const auto fire = static_cast<CombatAttributeType>(6);
    EXPECT_EQ(Make("")->GetAbsEffects().at(fire).effect, "Small");
    EXPECT_EQ(Make("pathingSize,Large,\n")->GetAbsEffects().at(fire).effect, "Large");
    EXPECT_EQ(Make("pathingSize,Large,\n")->GetAbsEffects().at(static_cast<CombatAttributeType>(5)).effect, "");
    ShutdownObjects();
    EXPECT_TRUE(Make("pathingSize,Large,\n")->GetAbsEffects().empty());
}

TEST_F(CharacterTest, AnEmptyCombatRecordTakesTheGameWideDefault)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Wide.dbr", "combatRegionHeadChance,33,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Own.dbr", "combatRegionHeadChance,7,\n");
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr",
                                         "defaultCombatManagerRecord,Records/Test/Wide.dbr,\n");
    EXPECT_EQ(Make("combatManagerRecord,,\n")->GetCombatManager().GetRegionChance(CombatAttributeRegion_Head), 33.0f);
    EXPECT_EQ(Make("combatManagerRecord,Records/Test/Own.dbr,\n")
                  ->GetCombatManager()
                  .GetRegionChance(CombatAttributeRegion_Head),
              7.0f);
}

TEST_F(CharacterTest, StatesPredicatesAndTexts)
{
    Character* hidden = Make("startVisible,0,\n");
    EXPECT_TRUE(hidden->IsHiding());
    Character* shown = Make("");
    EXPECT_FALSE(shown->IsHiding());
    EXPECT_TRUE(Make("hiddenFromCombat,1,\n")->IsHiding());

    EXPECT_TRUE(shown->IsAlive());
    shown->SetLifeState(Character_LifeState_Unknown);
    EXPECT_TRUE(shown->IsAlive());
    EXPECT_TRUE(shown->IsHiding());
    shown->SetLifeState(Character_LifeState_Respawning);
    EXPECT_FALSE(shown->IsAlive());
    EXPECT_EQ(shown->GetLifeStateAsText(), "Life: Respawning");
    shown->SetLifeState(static_cast<Character_LifeState>(6));
    EXPECT_EQ(shown->GetLifeStateAsText(), "Life: Illegal");
    hidden->SetObserverMode(true);
    EXPECT_FALSE(hidden->IsAlive());

    for (int state : {2, 15, -1})
        EXPECT_EQ(Character::GetActionStateAsText(static_cast<Character_ActionState>(state)), "Illegal") << state;
    shown->SetActionState(Character_ActionState_Walk);
    EXPECT_TRUE(shown->IsMoving());
    EXPECT_FALSE(shown->IsImmobilized());
    shown->SetActionState(Character_ActionState_Immobilize);
    EXPECT_FALSE(shown->IsMoving());
    EXPECT_TRUE(shown->IsImmobilized());
    EXPECT_EQ(shown->GetActionStateAsText(), "Action State: Immobilize");
}

TEST_F(CharacterTest, TheBreastTweakEasesItsBoneTowardNeutralByTheSupport)
{
    Character* character = Make("");
    const float half = std::sqrt(0.5f);
    SkeletalPose animated;
    animated.bones.push_back({"Bone_Head", Quaternion(0, half, 0, half), Vec3{1, 2, 3}});
    animated.bones.push_back({"Bone_Boob", Quaternion(0, 0, half, half), Vec3{0, 2, 0}});
    auto boob = [&] { return *character->GetPose().FindBone("Bone_Boob"); };

    for (float support : {0.0f, 0.5f, 1.0f}) {
        SCOPED_TRACE(support);
        character->SetPose(animated);
        character->SetBreastSupport(support);
        character->TweakPose();
        const SkeletalPoseBone bone = boob();
        if (support == 0.0f) {
            EXPECT_EQ(bone.rotation.z, half);
            EXPECT_EQ(bone.position.y, 2.0f);
        } else if (support == 1.0f) {
            EXPECT_EQ(bone.rotation.z, 0.0f);
            EXPECT_EQ(bone.rotation.w, 1.0f);
            EXPECT_EQ(bone.position.y, 0.0f);
        } else {
            // Half way: a quarter turn eased to an eighth, the offset halved.
            EXPECT_NEAR(bone.rotation.z, std::sin(3.14159265f / 8.0f), 1e-5f);
            EXPECT_NEAR(bone.rotation.w, std::cos(3.14159265f / 8.0f), 1e-5f);
            EXPECT_FLOAT_EQ(bone.position.y, 1.0f);
        }
        // The other bones stay as animated.
        EXPECT_EQ(character->GetPose().FindBone("Bone_Head")->position.z, 3.0f);
    }
}

TEST_F(CharacterTest, ASkillIsRaisedByItsRecordNameAndAnUnknownNameRaisesNothing)
{
    Character* character = Make("");
    RecordDatabase::Get().RegisterRecord("Records/Test/Raised.dbr", "Class,Skill,\nskillMaxLevel,10,\n");
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Raised.dbr");
    ASSERT_NE(skill, nullptr);
    character->GetSkillManager().AddSkill(skill);
    skill->SetSkillLevel(1);
    character->AddToSkillLevel("Records/Test/Raised.dbr", 3);
    character->AddToSkillLevel("Records/Test/Other.dbr", 3);
    EXPECT_EQ(skill->GetCurrentLevel(), 4u);
}

TEST_F(CharacterTest, ForcedUpdatesRegisterOnceUntilDestroyed)
{
    Character* plain = Make("");
    plain->PreLoad(true);
    EXPECT_FALSE(gEngine->IsRegisteredForForcedUpdate(plain->GetObjectId()));

    Character* forced = Make("forcedUpdates,1,\n");
    const uint32_t id = forced->GetObjectId();
    forced->PreLoad(true);
    forced->PreLoad(false);
    EXPECT_EQ(gEngine->GetForcedUpdateIds(), std::vector<uint32_t>{id});
    Destroy(forced);
    EXPECT_FALSE(gEngine->IsRegisteredForForcedUpdate(id));
}

// Every pack the record names and the controller go back to the object manager; a record
// naming a character where a sound belongs makes nothing.
TEST_F(CharacterTest, DestructionGivesBackPacksAndController)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Sound.dbr", "Class,SoundPak,\n");
    RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr",
                                         "absFireFx,Records/Fx.dbr,\nabsFireFxSound,Records/Test/Sound.dbr,\n");
    const size_t before = ObjectManager::Get().GetObjectCount();
    std::string text = "spawnSoundEffect,Records/Test/Sound.dbr,\nvoxSound,Records/Test/Sound.dbr,\n"
                       "voxSoundChance,50,\nfootGrass,Records/Test/Character.dbr,\n";
    for (const char* key : {"footDirt", "footSand", "footSnow", "footStone", "footWood", "footWater",
                            "loopingRunningSound", "attackSound", "swipeSound", "criticalHitSound", "stunSound",
                            "lootSound", "levelUpSound", "lowHealthSound", "impactSound", "splashSound"})
        text += std::string(key) + ",Records/Test/Sound.dbr,\n";
    LogCapture log;
    Character* character = Make(text);
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->GetSoundPak(Character::Sound_FootGrass), nullptr);
    EXPECT_NE(character->GetSoundPak(Character::Sound_Splash), nullptr);
    EXPECT_TRUE(log.Contains("Unable to create object from \"Records/Test/Character.dbr\": class \"Monster\" is "
                             "not a SoundPak"));
    // 16 sound packs, the spawn sound, two animation sounds (the critical hit sound is
    // one too), one hit-effect sound.
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before + 1 + 16 + 1 + 2 + 1);

    Object* controller = ObjectManager::Get().CreateObject("RecordingController");
    character->SetControllerId(controller->GetObjectId());
    RecordingController::destroyed = 0;
    Destroy(character);
    EXPECT_EQ(RecordingController::destroyed, 1);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);
}

TEST_F(CharacterTest, MoneyClampsAndStopsAtZeroIn64BitsAndOnlyAPlayerTakesItems)
{
    Character* character = Make("");
    auto* item = DynamicCast<Item>(ObjectManager::Get().CreateObject("Armor"));
    character->GiveItemToCharacter(item);
    EXPECT_TRUE(character->GetInventoryItems().empty());
    Character* player = Make("", "Player");
    player->GiveItemToCharacter(item);
    EXPECT_EQ(player->GetInventoryItems(), std::vector<uint32_t>{item->GetObjectId()});

    character->AddMoney(1999999999u);
    character->AddMoney(5);
    EXPECT_EQ(character->GetCurrentMoney(), 2000000000u);
    character->AddMoney(4000000000u);
    EXPECT_EQ(character->GetCurrentMoney(), 2000000000u);
    EXPECT_EQ(character->SubtractMoney(1999999000u), 1000u);
    EXPECT_EQ(character->SubtractMoney(3000000000u), 0u);
    EXPECT_EQ(character->GetCurrentMoney(), 0u);
}

}  // namespace
}  // namespace GAME
