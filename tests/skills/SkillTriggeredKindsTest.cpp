// The passive, triggered, ring and dispel kinds on real characters: each decides on the
// driving peer, sends its command, and acts when the command runs.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "skills/BundledTree.h"
#include "Engine/Engine.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/EquipManager.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_DispelMagic.h"
#include "Game/skills/Skill_OnHit.h"
#include "Game/skills/Skill_Passives.h"

namespace GAME {

// Counts the blows it takes; takes no damage.
class StruckFoe : public Monster {
    GAME_DECLARE_CLASS(StruckFoe)
public:
    bool TakeAttack(ParametersCombat&) override { return ++blows, true; }
    int blows = 0;
};
GAME_IMPLEMENT_CLASS(StruckFoe, Monster)

namespace {

constexpr const char* kLife = "characterLife,1000,\ncharacterMana,100,\n";

class TriggeredKindsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        hero = Driven(kTeamMajorHuman, 0.0f);
    }
    Character* Driven(uint32_t team, float x, float z = 0.0f, const char* kind = "Monster")
    {
        Character* character = OnTeam(team, x, z, kLife, kind);
        character->GetSkillManager().SetAsControllingManager();
        return character;
    }
    StruckFoe* Foe(float x, float z = 0.0f) { return static_cast<StruckFoe*>(OnTeam(kTeamMajorMonster, x, z, kLife, "StruckFoe")); }
    // A skill of that class and these keys, learnt by `who` at `level`.
    template <class T>
    T* Learn(const char* kind, const std::string& keys, unsigned level = 1, Character* who = nullptr)
    {
        const std::string name = "Records/Test/Kind" + std::to_string(++kinds) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + kind + ",\nskillMaxLevel,5,\n" + keys);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            (who ? who : hero)->GetSkillManager().AddSkill(skill);
            skill->SetSkillLevel(level);
        }
        gEngine->RunActorCommands();
        return skill;
    }
    // A blow on the hero as its combat manager reports it, and the commands it sent.
    void Struck(Character* who = nullptr)
    {
        RandomUniform random;
        ParametersCombat params(random);
        (who ? who : hero)->GetSkillManager().UnderAttack(params);
        gEngine->RunActorCommands();
    }
    void Run(Skill& skill, int ms, Character* who = nullptr)
    {
        skill.Update(who ? *who : *hero, ms);
        gEngine->RunActorCommands();
    }
    void Use(SkillActivated& skill, unsigned target = 0, Character* who = nullptr)
    {
        skill.ActivateNow(who ? *who : *hero, Name(), target, At(0.0f));
        gEngine->RunActorCommands();
    }
    float Strength(const Skill& skill)
    {
        CharAttributeAccumulator sums;
        skill.CollectPassiveCharAttributes(sums);
        return sums.GetValueSum(CharAttributeType_Strength);
    }

    Character* hero = nullptr;
    int kinds = 0;
};

// Dual wielding: usable only at a level with an axe, sword or mace in the left hand (a
// sword in the right).
TEST_F(TriggeredKindsTest, DualWieldPassiveNeedsAOneHandedMeleeWeaponInTheLeftHand)
{
    const struct { const char* left; unsigned level; bool usable; } rows[] = {
        {nullptr, 1, false}, {"WeaponArmor_Shield", 1, false}, {"WeaponMelee_Sword", 1, true},
        {"WeaponMelee_Axe", 1, true}, {"WeaponMelee_Mace", 1, true}, {"WeaponMelee_Sword", 0, false}};
    float x = 10.0f;
    for (const auto& row : rows) {
        Character* wielder = Driven(kTeamMajorHuman, x += 10.0f);
        EquipManager& hands = wielder->GetCombatManager().GetEquipManager();
        hands.AttachItemAction(ObjectManager::Get().CreateObject("WeaponMelee_Sword")->GetObjectId(), EquipLocation_RightHand);
        if (row.left)
            hands.AttachItemAction(ObjectManager::Get().CreateObject(row.left)->GetObjectId(), EquipLocation_LeftHand);
        auto* dual = Learn<Skill_PassiveDualWieldWeapon>("Skill_PassiveDualWieldWeapon", "", row.level, wielder);
        ASSERT_NE(dual, nullptr);
        EXPECT_EQ(dual->SetAvailability(false, false), row.usable) << (row.left ? row.left : "nothing");
        EXPECT_EQ(dual->GetReason(), row.usable ? Skill_Usable : Skill_WeaponNotQualifying);
    }
}

// The radius modifier sends the foes within 3.0 (an empty list too); each listed character
// is struck once, the empty list strikes nobody, and a disabled modifier sends nothing.
TEST_F(TriggeredKindsTest, RadiusModifierStrikesFoesWithinThreeUnitsOnce)
{
    auto* modifier = Learn<Skill_MeleeModifierRadius>("Skill_MeleeModifierRadius", "");
    ASSERT_NE(modifier, nullptr);
    EXPECT_EQ(modifier->GetKindText(), "^bSkill Modifier");
    modifier->ActivateModifierAttack(*hero, 0, At(0.0f));
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);   // no foe: an empty result all the same
    gEngine->RunActorCommands();
    StruckFoe* near = Foe(2.9f);
    StruckFoe* far = Foe(6.0f);   // beyond 3.0 and both bodies
    Frame();   // alive from their records
    modifier->ActivateModifierAttack(*hero, 0, At(0.0f));
    gEngine->RunActorCommands();
    EXPECT_EQ(near->blows, 1);
    EXPECT_EQ(far->blows, 0);
    // A result naming a foe twice strikes it twice.
    modifier->TargetResult(*hero, {near->GetObjectId(), near->GetObjectId()}, hero->GetCoords(), 7, 0, false);
    EXPECT_EQ(near->blows, 3);
    modifier->SetSkillEnabled(false);
    modifier->ActivateModifierAttack(*hero, 0, At(0.0f));
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
}

// The armed buff: fires on a blow at chance 100 unless its buff or its cooldown runs;
// armed it adds the penalty alone, running the attributes too; a chance of 0 never fires.
TEST_F(TriggeredKindsTest, ArmedOnHitBuffFiresOnlyWithoutBuffOrCooldown)
{
    auto* buff = Learn<Skill_OnHitBuffSelf>("Skill_OnHitBuffSelf", "onHitActivationChance,100,\nskillActiveDuration,1.0,\n"
                                            "skillCooldownTime,2.0,\ncharacterStrength,10,\n");
    ASSERT_NE(buff, nullptr);
    Struck();
    EXPECT_FALSE(buff->GetActiveState().transition);   // not armed
    Use(*buff);
    ASSERT_TRUE(buff->IsArmed() && buff->GetActiveState().active);
    EXPECT_EQ(Strength(*buff), 0.0f);
    const struct { int ms; bool running; int remaining, cooldown; } rows[] = {
        {0, true, 1000, 0}, {900, true, 100, 0}, {100, false, 0, 2000}, {1999, false, 0, 1}, {1, true, 1000, 0}};
    for (const auto& row : rows) {
        Run(*buff, row.ms);
        Struck();
        EXPECT_EQ(buff->GetActiveState().transition, row.running) << row.ms;
        EXPECT_EQ(buff->GetBuffRemaining(), row.remaining) << row.ms;
        EXPECT_EQ(buff->GetOwnCooldown(), row.cooldown) << row.ms;
        EXPECT_EQ(Strength(*buff), row.running ? 10.0f : 0.0f);
        EXPECT_EQ(buff->TrackableRemainingTime(0), row.running ? row.remaining : 1);
    }
    buff->StopSkill(*hero);
    gEngine->RunActorCommands();
    EXPECT_FALSE(buff->IsArmed() || buff->GetActiveState().active);

    Character* other = Driven(kTeamMajorHuman, 30.0f);
    auto* never = Learn<Skill_OnHitBuffSelf>("Skill_OnHitBuffSelf", "onHitActivationChance,0,\n", 1, other);
    Use(*never, 0, other);
    for (int i = 0; i < 50; ++i)
        Struck(other);
    EXPECT_FALSE(never->GetActiveState().transition);
}

// The passive on-hit buff at chance 0 fires exactly when the integer draw is 0; while it
// runs, qualifying blows lose 50 percent then at most 10 (the cap is per blow), its start
// gives the life bonus, and its end or its destruction takes the shield away.
TEST_F(TriggeredKindsTest, PassiveOnHitBuffDrawsAnIntegerAndShieldsPercentThenCap)
{
    Frame();
    auto* buff = Learn<Skill_PassiveOnHitBuffSelf>("Skill_PassiveOnHitBuffSelf",
        "onHitActivationChance,0,\nskillActiveDuration,1.0,\nskillLifeBonus,50,\nphysicalDamageQualifier,1,\n"
        "damageAbsorption,10,\ndamageAbsorptionPercent,50,\n");
    ASSERT_NE(buff, nullptr);
    uint32_t zero = 0, other = 0;
    for (uint32_t seed = 1; !zero || !other; ++seed) {
        RandomUniform draw;
        draw.Seed(seed);
        (draw.IGenerate(0, 100) == 0 ? zero : other) = seed;
    }
    hero->SetCurrentLife(500.0f);
    gGameEngine->GetRandomGen().Seed(other);
    Struck();
    EXPECT_FALSE(buff->GetActiveState().active);
    gGameEngine->GetRandomGen().Seed(zero);
    Struck();
    ASSERT_TRUE(buff->GetActiveState().active);
    EXPECT_FLOAT_EQ(hero->GetCurrentLife(), 550.0f);
    for (const auto& [blow, left] : {std::pair{30.0f, 5.0f}, {8.0f, 0.0f}, {30.0f, 5.0f}})
        EXPECT_FLOAT_EQ(buff->ModifyDamage(blow, CombatAttributeType_Physical), left);
    EXPECT_FLOAT_EQ(buff->ModifyDamage(30.0f, CombatAttributeType_Fire), 30.0f);
    hero->SetCurrentLife(500.0f);
    hero->GetCombatManager().ApplyDamage(30.0f, {}, CombatAttributeType_Physical);
    EXPECT_FLOAT_EQ(hero->GetCurrentLife(), 495.0f);
    Run(*buff, 1000);
    EXPECT_FALSE(buff->GetActiveState().active);
    EXPECT_EQ(buff->TrackableRemainingTime(0), 1);
    hero->GetCombatManager().ApplyDamage(30.0f, {}, CombatAttributeType_Physical);
    EXPECT_FLOAT_EQ(hero->GetCurrentLife(), 465.0f);

    gGameEngine->GetRandomGen().Seed(zero);
    Run(*buff, 100000);   // the cooldown is over
    gGameEngine->GetRandomGen().Seed(zero);
    Struck();
    ASSERT_TRUE(buff->GetActiveState().active);
    ObjectManager::Get().DestroyObjectEx(buff, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    hero->GetCombatManager().ApplyDamage(30.0f, {}, CombatAttributeType_Physical);   // no filter left (ASan)
}

// The low-life buff starts at the threshold (30 percent of 1000 is 300 exactly), lasts while life stays there, and counts
// down from the first frame above it, not pausing when life drops again.
TEST_F(TriggeredKindsTest, LowLifeBuffCountsDownOnlyOnceLifeIsBack)
{
    Frame();
    auto* watch = Learn<Skill_PassiveOnLifeBuffSelf>("Skill_PassiveOnLifeBuffSelf",
        "lifeMonitorPercent,30,\nskillActiveDuration,1.0,\nskillCooldownTime,5.0,\ncharacterStrength,10,\n");
    ASSERT_NE(watch, nullptr);
    const struct { float life; int ms; bool active, back; int remaining; } rows[] = {
        {400, 100, false, false, 0}, {300, 100, true, false, 1000}, {100, 50000, true, false, 1000},
        {500, 400, true, true, 600}, {100, 400, true, true, 200}, {100, 200, false, true, 0}};
    for (const auto& row : rows) {
        hero->SetCurrentLife(row.life);
        Run(*watch, row.ms);
        EXPECT_EQ(watch->GetActiveState().active, row.active) << row.life << " " << row.ms;
        EXPECT_EQ(watch->IsLifeBack(), row.back) << row.life << " " << row.ms;
        EXPECT_EQ(watch->GetBuffRemaining(), row.remaining) << row.life << " " << row.ms;
        EXPECT_EQ(Strength(*watch), row.active ? 10.0f : 0.0f);
    }
    EXPECT_EQ(watch->GetCooldownRemaining(), 5000);
}

// The ring at 100 ms a unit strikes a foe at the centre in the first frame and one at 2.5
// once 250 ms have passed; a foe outside the radius never; one that is gone is dropped. A
// ring that takes no (or a negative) time per unit has its whole radius at once.
TEST_F(TriggeredKindsTest, OnHitRingReachesEachFoeInTurnAndAtOnceWithoutExpansionTime)
{
    auto* ring = Learn<Skill_OnHitAttackRadius>("Skill_OnHitAttackRadius",
        "onHitActivationChance,100,\nexpansionTime,0.1,\nskillTargetRadius,5.0,\n");
    ASSERT_NE(ring, nullptr);
    StruckFoe* centre = Foe(0.0f, 0.0f);
    StruckFoe* near = Foe(2.5f);
    StruckFoe* outside = Foe(6.0f);
    Frame();
    Use(*ring);
    Struck();
    ASSERT_EQ(ring->GetPendingTargets().size(), 2u);
    const struct { int ms, centre, near; } rows[] = {{100, 1, 0}, {100, 1, 0}, {49, 1, 0}, {1, 1, 1}};
    for (const auto& row : rows) {
        Run(*ring, row.ms);
        EXPECT_EQ(centre->blows, row.centre) << row.ms;
        EXPECT_EQ(near->blows, row.near) << row.ms;
    }
    EXPECT_TRUE(ring->GetPendingTargets().empty());
    Struck();
    ObjectManager::Get().DestroyObjectEx(near, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    Run(*ring, 1000);
    EXPECT_TRUE(ring->GetPendingTargets().empty());
    EXPECT_EQ(centre->blows, 2);
    EXPECT_EQ(outside->blows, 0);

    for (const char* time : {"0", "-1"}) {
        Character* owner = Driven(kTeamMajorHuman, 100.0f);
        StruckFoe* foe = Foe(102.5f);
        Frame();
        auto* instant = Learn<Skill_OnHitAttackRadius>("Skill_OnHitAttackRadius",
            std::string("onHitActivationChance,100,\nskillTargetRadius,5.0,\nexpansionTime,") + time + ",\n", 1, owner);
        Use(*instant, 0, owner);
        Struck(owner);
        Run(*instant, 0, owner);
        EXPECT_EQ(foe->blows, 1) << time;
        EXPECT_TRUE(instant->GetPendingTargets().empty()) << time;
    }
}

// A direct dispel reaches 20 units edge to edge; a foe loses its buffs, is struck and takes
// the aura; a friend loses its debuffs only. The bonus needs a character.
TEST_F(TriggeredKindsTest, DispelStripsFoesBuffsAndFriendsDebuffsWithinReach)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Aura.dbr", "Class,FxPak,\n");
    auto* dispel = Learn<Skill_DispelMagic>("Skill_DispelMagic", "skillSpellAura,Records/Test/Aura.dbr,\n");
    ASSERT_NE(dispel, nullptr);
    EXPECT_EQ(dispel->GetTargetType(), SkillTargetType_FriendOrFoe);
    StruckFoe* probe = Foe(200.0f);
    const float edges = hero->GetExtents() + probe->GetExtents();
    StruckFoe* far = Foe(20.5f + edges);
    StruckFoe* foe = Foe(0.0f, 19.5f + edges);
    auto* friendly = static_cast<StruckFoe*>(Driven(kTeamMajorHuman, -5.0f, 0.0f, "StruckFoe"));
    Frame();
    const std::string buff = "Records/Test/Buff.dbr", debuff = "Records/Test/Debuff.dbr";
    RecordDatabase::Get().RegisterRecord(buff, "Class,SkillBuff_Passive,\nskillMaxLevel,1,\n");
    RecordDatabase::Get().RegisterRecord(debuff, "Class,SkillBuff_Debuf,\nskillMaxLevel,1,\n");
    for (Character* target : std::initializer_list<Character*>{foe, friendly}) {
        target->GetSkillManager().SetAsControllingManager();
        for (const std::string& record : {buff, debuff})
            target->GetSkillManager().CreateRemoveSkillBuff(0, record, 1, "", 0, "", 0, 0, 9, false);
    }
    Use(*dispel, far->GetObjectId());
    EXPECT_EQ(far->blows, 0);
    Use(*dispel, foe->GetObjectId());
    Use(*dispel, friendly->GetObjectId());
    gEngine->RunActorCommands();
    EXPECT_EQ(foe->blows, 1);
    EXPECT_FALSE(foe->GetSkillManager().IsSkillBuffActive(buff));
    EXPECT_TRUE(foe->GetSkillManager().IsSkillBuffActive(debuff));
    EXPECT_EQ(foe->GetAuraManager().GetAuras().size(), 1u);
    EXPECT_EQ(friendly->blows, 0);
    EXPECT_TRUE(friendly->GetSkillManager().IsSkillBuffActive(buff));
    EXPECT_FALSE(friendly->GetSkillManager().IsSkillBuffActive(debuff));
    EXPECT_TRUE(friendly->GetAuraManager().GetAuras().empty());

    auto* bonus = Learn<Skill_GiveBonus>("Skill_GiveBonus", "skillManaBonus,30,\n");
    Use(*bonus, dispel->GetObjectId());   // not a character
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    friendly->SetCurrentMana(10.0f);
    Use(*bonus, friendly->GetObjectId());
    EXPECT_FLOAT_EQ(friendly->GetCurrentMana(), 40.0f);

    // A result acts on each entry as listed: named twice, twice.
    bonus->TargetResult(*hero, {friendly->GetObjectId(), friendly->GetObjectId()}, hero->GetCoords(), 7, 0, false);
    EXPECT_FLOAT_EQ(friendly->GetCurrentMana(), 100.0f);
    dispel->TargetResult(*hero, {foe->GetObjectId(), foe->GetObjectId()}, hero->GetCoords(), 7, 0, false);
    EXPECT_EQ(foe->blows, 3);
}

// Their projectiles carry the active duration (whole seconds), the bonus's seeks friends;
// hits are reported only while the launcher lives, and only when there are any.
TEST_F(TriggeredKindsTest, ProjectilesSeekTheirSideAndADeadLauncherReportsToNobody)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Bolt.dbr", "Class,ProjectileArrowLike,\nprojectileVelocity,20,\n");
    const std::string keys = "skillProjectileName,Records/Test/Bolt.dbr,\nskillActiveDuration,3.7,\n";
    auto* bonus = Learn<Skill_GiveBonus>("Skill_GiveBonus", keys);
    auto* dispel = Learn<Skill_DispelMagic>("Skill_DispelMagic", keys);
    ASSERT_TRUE(bonus && dispel);
    StruckFoe* foe = Foe(5.0f);
    Frame();
    unsigned anything = 0;
    EXPECT_TRUE(bonus->GetValidTarget(*hero, anything, At(5.0f), false, 1.0f));
    for (const auto& [skill, friends] : {std::pair<SkillActivated*, uint32_t>{bonus, 1u}, {dispel, 0u}}) {
        const uint32_t id = ObjectManager::Get().CreateObjectID();
        skill->CreateProjectile(*hero, hero->GetCoords(), foe->GetObjectId(), At(5.0f), 0, id, 0);
        const auto* projectile = ObjectManager::Get().GetObject<ProjectileBase>(id);
        ASSERT_NE(projectile, nullptr);
        EXPECT_EQ(projectile->GetInfo().friends, friends);
        EXPECT_EQ(projectile->GetInfo().areaDuration, 3);
    }
    ProjectileInfo info;
    info.casterId = hero->GetObjectId();
    dispel->TargetFriendInformation(info, hero->GetCoords(), {});
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    dispel->TargetInformation(info, hero->GetCoords(), {foe->GetObjectId()});
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    gEngine->RunActorCommands();
    EXPECT_EQ(foe->blows, 1);
    Character* gone = Driven(kTeamMajorHuman, 50.0f);
    info.casterId = gone->GetObjectId();
    ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    bonus->TargetInformation(info, hero->GetCoords(), {foe->GetObjectId()});
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
}

// The bundled tree holds one skill of each kind, each made as its class.
TEST_F(TriggeredKindsTest, TheBundledTreeMakesEveryKind)
{
    ExpectTreeMakesKinds("Records/Skills/Triggered/TriggeredTree.dbr",
                         {"Skill_PassiveDualWieldWeapon", "Skill_MeleeModifier", "Skill_MeleeModifierRadius",
                          "Skill_OnHitBuffSelf", "Skill_PassiveOnHitBuffSelf", "Skill_PassiveOnLifeBuffSelf",
                          "Skill_OnHitAttackRadius", "Skill_GiveBonus", "Skill_DispelMagic"});
}

}  // namespace

}  // namespace GAME
