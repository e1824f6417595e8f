// The self buffs built on the toggled one (duration, shield, colossus, immobilize,
// invulnerable) and the buffs that reach others (attack aura, radius buff, buff on
// others), each the real class on a real character driven through its commands.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/Team.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_BuffRadius.h"
#include "Game/skills/Skill_BuffSelfKinds.h"

namespace GAME {
namespace {

class BuffKindsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        hero = Driven(kTeamMajorHuman, 0.0f);
    }
    Character* Driven(uint32_t team, float x)
    {
        Character* character = OnTeam(team, x, 0.0f, "characterLife,1000,\ncharacterMana,100,\n");
        character->GetSkillManager().SetAsControllingManager();
        return character;
    }
    std::string Record(const std::string& lines)
    {
        const std::string name = "Records/Test/Kind" + std::to_string(++kinds) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, lines + "skillMaxLevel,5,\n");
        return name;
    }
    // The hero's skill of that class and keys, at level 1.
    template <class T>
    T* Learn(const char* kind, const std::string& keys)
    {
        auto* skill = ObjectManager::Get().CreateObjectFromFile<T>(Record(std::string("Class,") + kind + ",\n" + keys));
        EXPECT_NE(skill, nullptr);
        hero->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        skill->Install(hero);
        return skill;
    }
    void Use(SkillActivated* skill)
    {
        skill->ActivateNow(*hero, Name(), 0, At(0.0f));
        gEngine->RunActorCommands();
    }
    float Hit(float damage)
    {
        hero->SetCurrentLife(1000.0f);
        hero->GetCombatManager().ApplyDamage(damage, {}, CombatAttributeType_Physical);
        return 1000.0f - hero->GetCurrentLife();
    }

    static float Strength(const Skill* skill)
    {
        CharAttributeAccumulator held;
        skill->CollectPassiveCharAttributes(held);
        return held.GetValueSum(CharAttributeType_Strength);
    }

    Character* hero = nullptr;
    int kinds = 0;
};

// Each class under its own name, with its kind text and its class-tree parent; the bundled
// record of each makes that class.
TEST_F(BuffKindsTest, EveryKindIsMadeByItsNameWithItsTextAndParent)
{
    const struct { const char* kind; const char* text; const char* parent; const char* bundled; } rows[] = {
        {"Skill_BuffSelfDuration", "^bBuff Self - Duration", "Skill_BuffSelfToggled", "SelfBuffs/Haste"},
        {"Skill_BuffSelfShield", "^bBuff Self - Shield", "Skill_BuffSelfToggled", "ArenaAegis"},
        {"Skill_BuffSelfColossus", "^bBuff Self - Colossus", "Skill_BuffSelfDuration", "SelfBuffs/Giant"},
        {"Skill_BuffSelfImmobilize", "^bBuff Self - Immoblize", "Skill_BuffSelfDuration", "SelfBuffs/StoneForm"},
        {"Skill_BuffSelfInvulnerable", "^bBuff Self - Invulnerable", "Skill_BuffSelfDuration", "SelfBuffs/Sanctuary"},
        {"Skill_BuffAttackRadiusToggled", "^bBuff Attack Radius - Toggled", "SkillActivated", "Auras/ThornAura"},
        {"Skill_BuffAttackRadiusDuration", "^bBuff Attack Radius - Toggled", "Skill_BuffAttackRadiusToggled",
         "Auras/BladeStorm"},
        {"Skill_BuffRadius", "^bBuff Other in Radius", "SkillActivated", "ArenaRally"},
        {"Skill_BuffRadiusToggled", "^bBuff Other in Radius - Toggled", "Skill_BuffRadius", "Auras/WarCry"},
        {"Skill_BuffOther", "^bBuff Other - Duration", "SkillActivated", "Auras/Blessing"},
    };
    for (const auto& row : rows) {
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(Record(std::string("Class,") + row.kind + ",\n"));
        ASSERT_NE(skill, nullptr) << row.kind;
        EXPECT_EQ(skill->GetKindText(), row.text);
        EXPECT_STREQ(skill->GetClassInfo().GetParent()->GetName(), row.parent);
        EXPECT_FALSE(skill->IsPrimary() || skill->IsRepeatable());
    }
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    for (const auto& row : rows) {
        const std::string record = std::string("Records/Skills/") + row.bundled + ".dbr";
        const auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(record);
        ASSERT_NE(skill, nullptr) << record;
        EXPECT_STREQ(skill->GetClassInfo().GetName(), row.kind);
        EXPECT_GT(skill->GetMaxLevel(), 0u) << record;   // its numbers came (from the buff record for some)
    }
}

// A pool of 100 takes 60 whole, then 40 of 60; the next update switches it off. The lines
// stand as written, the percent's "%" shown as such.
TEST_F(BuffKindsTest, AShieldPoolOf100TakesSixtyThenFortyAndSwitchesOff)
{
    auto* shield = Learn<Skill_BuffSelfShield>("Skill_BuffSelfShield", "physicalDamageQualifier,1,\n"
                                                                         "damageAbsorption,100,\n");
    shield->ActivateNow(*hero, Name(), 0, At(0.0f));
    shield->Update(*hero, 16);   // its switch not yet applied: it stays on
    gEngine->RunActorCommands();
    ASSERT_TRUE(shield->GetActiveState().active);
    EXPECT_FALSE(shield->SetAvailability(true, true));
    EXPECT_EQ(shield->GetReason(), Skill_CoolingDown);
    gLogCombat = gEngine->RegisterLogChannel("Combat");
    LogCapture log;
    const struct { float hit, passes, left; } rows[] = {{60, 0, 40}, {60, 20, 0}};
    for (const auto& row : rows) {
        EXPECT_FLOAT_EQ(Hit(row.hit), row.passes);
        EXPECT_FLOAT_EQ(shield->GetShieldLeft(), row.left);
    }
    EXPECT_FLOAT_EQ(shield->ModifyDamage(10.0f, CombatAttributeType_Fire), 10.0f);
    std::vector<std::string> lines;
    for (const LogLine& line : log.Lines())
        if (line.channel == gLogCombat && line.text.rfind("^bShield", 0) == 0)
            lines.push_back(line.text);
    gLogCombat = 0;
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "^bShield: Absorbed (60.000000) of (60.000000) damage, shield remaining (40.000000)",
                         "^bShield: Absorbed (40.000000) of (60.000000) damage, shield remaining (0.000000)",
                         "^bShield: Ignored non-qualified damage (10.000000)"}));
    shield->Update(*hero, 16);
    gEngine->RunActorCommands();
    EXPECT_FALSE(shield->GetActiveState().active);
    EXPECT_FLOAT_EQ(Hit(60.0f), 60.0f);

    // The percent line formats its "%" (an invalid conversion otherwise).
    char shown[128];
    std::snprintf(shown, sizeof shown, kShieldReducedLog, 100.0, 25.0, 75.0);
    EXPECT_STREQ(shown, "^bShield: Reduced (100.000000) Damage by (25.000000%) percent, remaining damage (75.000000)");
}

// The filter leaves with the skill: after uninstall or destruction no hit reaches it (ASan).
TEST_F(BuffKindsTest, ASelfBuffLeavesTheFiltersWhenUninstalledOrDestroyed)
{
    auto* shield = Learn<Skill_BuffSelfShield>("Skill_BuffSelfShield", "physicalDamageQualifier,1,\n"
                                                                         "damageAbsorption,100,\n");
    Use(shield);
    EXPECT_FLOAT_EQ(Hit(60.0f), 0.0f);
    shield->UnInstall(hero);
    EXPECT_FLOAT_EQ(Hit(10.0f), 10.0f);
    shield->Install(hero);
    ObjectManager::Get().DestroyObjectEx(shield, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_FLOAT_EQ(Hit(10.0f), 10.0f);
    // The user goes first, its skills with it.
    Learn<Skill_BuffSelfShield>("Skill_BuffSelfShield", "");
    ObjectManager::Get().DestroyObjectEx(hero, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
}

// 0.5 s ends at the first update at or after 500 ms; the colossus grows over
// "actorScaleTime" and counts its passives only at its size, or takes it at once without
// that time; immobilize roots; invulnerable holds against listed races (all when none).
TEST_F(BuffKindsTest, DurationColossusImmobilizeAndInvulnerable)
{
    // Its cooldown runs from the switch-on: cooling down, its values still count while on.
    auto* timed = Learn<Skill_BuffSelfDuration>("Skill_BuffSelfDuration", "skillActiveDuration,0.5,\n"
                                                                             "skillCooldownTime,10,\ncharacterStrength,5,\n");
    Use(timed);
    EXPECT_EQ(timed->TrackableTotalTime(0), 500);
    for (int ms = 100; ms <= 500; ms += 100) {
        EXPECT_TRUE(timed->GetActiveState().active) << ms;
        timed->Update(*hero, 100);
        EXPECT_EQ(Strength(timed), 5.0f) << ms;
        gEngine->RunActorCommands();
    }
    EXPECT_FALSE(timed->GetActiveState().active);
    EXPECT_EQ(Strength(timed), 0.0f);
    auto* storm = Learn<Skill_BuffAttackRadiusDuration>("Skill_BuffAttackRadiusDuration", "skillActiveDuration,2,\n"
                                                         "skillCooldownTime,10,\ncharacterStrength,5,\n");
    Use(storm);
    storm->Update(*hero, 100);
    EXPECT_EQ(Strength(storm), 5.0f);

    const struct { const char* time; float halfway; } growths[] = {{"actorScaleTime,1,\n", 1.5f}, {"", 2.0f}};
    for (const auto& growth : growths) {
        hero->SetScale(1.0f);
        auto* colossus = Learn<Skill_BuffSelfColossus>(
            "Skill_BuffSelfColossus", std::string("skillActiveDuration,10,\nactorScale,2,\ncharacterStrength,5,\n") +
                                          growth.time);
        Use(colossus);
        colossus->Update(*hero, 500);
        EXPECT_FLOAT_EQ(hero->GetCurrentScale(), growth.halfway) << growth.time;
        EXPECT_EQ(Strength(colossus), 0.0f);
        colossus->Update(*hero, 500);
        colossus->Update(*hero, 16);
        EXPECT_FLOAT_EQ(hero->GetCurrentScale(), 2.0f);
        EXPECT_EQ(Strength(colossus), 5.0f);
        EXPECT_FLOAT_EQ(hero->GetExtents(), 1.75f);
        colossus->StopSkill(*hero);
        gEngine->RunActorCommands();
    }

    auto* rooted = Learn<Skill_BuffSelfImmobilize>("Skill_BuffSelfImmobilize", "skillActiveDuration,10,\n");
    Use(rooted);
    rooted->Update(*hero, 16);
    EXPECT_GT(hero->GetDurationDamageMgr().GetFixedDamage(CombatAttributeType_Immobilize), 0.0f);

    auto* immune = Learn<Skill_BuffSelfInvulnerable>("Skill_BuffSelfInvulnerable", "skillActiveDuration,10,\n"
                                                                                    "racialProfile,Undead,\n");
    auto* immuneToAll = Learn<Skill_BuffSelfInvulnerable>("Skill_BuffSelfInvulnerable", "skillActiveDuration,10,\n");
    EXPECT_FALSE(immuneToAll->ProvidesInvulnerability({"Beast"}));   // not yet on
    Use(immune);
    Use(immuneToAll);
    EXPECT_TRUE(immune->ProvidesInvulnerability({"Beast", "Undead"}));
    EXPECT_FALSE(immune->ProvidesInvulnerability({"Beast"}));
    EXPECT_TRUE(immuneToAll->ProvidesInvulnerability({"Beast"}));
}

// Pulses every second, the first one second after the switch-on: the aura strikes the foe,
// the radius buff hands its 1.5 s buff to the friends (the user among them), which keep it
// while they stay and lose it once out of reach; the switch-on gives the friends the bonus.
TEST_F(BuffKindsTest, RadiusKindsPulseEverySecondAndAFriendThatLeavesLosesTheBuff)
{
    Character* ally = Driven(kTeamMajorHuman, 3.0f);
    Character* leaver = Driven(kTeamMajorHuman, -3.0f);
    Character* foe = Driven(kTeamMajorMonster, 4.0f);
    Frame();
    const std::string buff = Record("Class,SkillBuff_Passive,\nskillTargetRadius,5,\nskillActiveDuration,30,\n"
                                    "skillManaBonus,7,\n");
    auto* radius = Learn<Skill_BuffRadius>("Skill_BuffRadius", "buffSkillName," + buff + ",\n");
    auto* aura = Learn<Skill_BuffAttackRadiusToggled>("Skill_BuffAttackRadiusToggled",
                                                            "skillTargetRadius,5,\noffensivePhysicalMin,20,\n"
                                                            "offensivePhysicalMax,20,\n");
    ally->SetCurrentMana(50.0f);
    foe->SetCurrentMana(50.0f);
    radius->ActivateNow(*hero, Name(), 0, At(0.0f));
    aura->ActivateNow(*hero, Name(), 0, At(0.0f));
    Frame(100);
    EXPECT_GE(ally->GetCurrentMana(), 57.0f);
    EXPECT_LT(foe->GetCurrentMana(), 57.0f);
    const float foeLife = foe->GetCurrentLife();
    auto holds = [&](Character* c) { return c->GetSkillManager().IsSkillBuffActive(buff); };
    // At each time (ms after the switch-on): who holds the buff, whether the foe was struck.
    const struct { int at; bool hero, ally, leaver, struck; } rows[] = {
        {900, false, false, false, false}, {1000, true, true, true, true},
        {2500, true, true, true, true},    {2600, true, true, false, true},
    };
    int now = 100;
    for (const auto& row : rows) {
        for (; now < row.at; now += 100) {
            Frame(100);
            if (now + 100 == 1000)
                World::Get().SetCoords(leaver, WorldCoords(region, Coords::LookAlong({-9, 0, 0}, {1, 0, 0}, {0, 1, 0})));
        }
        EXPECT_EQ(holds(hero), row.hero) << row.at;
        EXPECT_EQ(holds(ally), row.ally) << row.at;
        EXPECT_EQ(holds(leaver), row.leaver) << row.at;
        EXPECT_EQ(holds(foe), false) << row.at;
        EXPECT_EQ(foe->GetCurrentLife() < foeLife, row.struck) << row.at;
    }
}

// A buff on others needs a radius or a chosen target, and takes one that lacks the buff.
TEST_F(BuffKindsTest, ABuffOnOthersGoesToTheChosenAllyOrAllAroundForItsDuration)
{
    Character* ally = Driven(kTeamMajorHuman, 3.0f);
    Frame();
    const std::string buff = Record("Class,SkillBuff_Passive,\nskillActiveDuration,4,\n");
    auto* chosen = Learn<Skill_BuffOther>("Skill_BuffOther", "buffSkillName," + buff + ",\n");
    EXPECT_TRUE(chosen->IsValidTarget(ally->GetObjectId()));
    chosen->ActivateNow(*hero, Name(), 0, At(0.0f));   // no radius, no target: nothing
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    chosen->ActivateNow(*hero, Name(), ally->GetObjectId(), At(3.0f));
    gEngine->RunActorCommands();
    EXPECT_TRUE(ally->GetSkillManager().IsSkillBuffActive(buff));
    EXPECT_FALSE(hero->GetSkillManager().IsSkillBuffActive(buff));
    EXPECT_FALSE(chosen->IsValidTarget(ally->GetObjectId()));
    std::vector<SkillManager::_SkillBuffReplica> held;
    ally->GetSkillManager().GetSkillBuffReplica(held);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].durationMs, 4000);

    // Handed straight to a character: that buff for that time, from that caster.
    Character* other = Driven(kTeamMajorHuman, -3.0f);
    chosen->ApplyBuffOnTarget(*ally, *other, buff, 1500);
    gEngine->RunActorCommands();
    held.clear();
    other->GetSkillManager().GetSkillBuffReplica(held);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].durationMs, 1500);
    EXPECT_EQ(held[0].casterId, ally->GetObjectId());
}

}  // namespace
}  // namespace GAME
