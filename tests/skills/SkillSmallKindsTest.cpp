// The teleport, the cooldown refresh, the attack animation and the passive shield on real
// characters: the activated ones decide on the driving peer and act when their command runs.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "skills/BundledTree.h"
#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/Skill_Teleport.h"

namespace GAME {
namespace {

class SmallKindsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        hero = Driven(kTeamMajorHuman, 0.0f);
    }
    Character* Driven(uint32_t team, float x)
    {
        Character* character = OnTeam(team, x, 0.0f, "characterLife,1000,\ncharacterMana,500,\n");
        character->GetSkillManager().SetAsControllingManager();
        return character;
    }
    template <class T>
    T* Learn(const std::string& keys, unsigned level = 1)
    {
        const std::string name = "Records/Test/Small" + std::to_string(++kinds) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, keys);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            hero->GetSkillManager().AddSkill(skill);
            skill->SetSkillLevel(level);
        }
        gEngine->RunActorCommands();
        return skill;
    }
    // The use's first hit: its command pays for it.
    void Use(SkillActivated& skill, unsigned target = 0)
    {
        SkillServicesBase* services = hero->GetSkillManager().GetSkillServices();
        services->ClearHitIteration();
        services->IncHitIteration();
        skill.ActivateNow(*hero, Name(), target, At(0.0f));
        gEngine->RunActorCommands();
    }
    // Why the server would refuse a client's result of the hero's skill on these targets.
    std::string Refusal(const Skill& skill, const std::vector<uint32_t>& targets)
    {
        const uint32_t reference = hero->GetSkillReferenceNumber(skill.GetObjectId());
        const SkillTargetResultConfigCmd result(hero->GetObjectId(), reference, targets, hero->GetCoords(), 7, 0,
                                                false, 1);
        const char* refusal = RefuseClientSkillCommand(result, 1);
        return refusal ? refusal : "";
    }

    Character* hero = nullptr;
    int kinds = 0;
};

// Foe or friend within 20 units (edge to edge) swap places with the caster; a character
// beyond is left alone. The server takes a client's swap with
// either, and a refresh only on its caster.
TEST_F(SmallKindsTest, TeleportSwapsWithAFoeOrAFriendWithinReach)
{
    auto* teleport = Learn<Skill_Teleport>("Class,Skill_Teleport,\nskillMaxLevel,1,\n");
    auto* refresh = Learn<Skill_RefreshCooldown>("Class,Skill_RefreshCooldown,\nskillMaxLevel,1,\n");
    ASSERT_TRUE(teleport && refresh);
    const float edges = 2.0f * hero->GetExtents();
    Character* foe = Driven(kTeamMajorMonster, 19.0f + edges);
    Character* friendly = Driven(kTeamMajorHuman, -10.0f);
    Character* far = Driven(kTeamMajorMonster, -21.0f - edges);
    Frame();
    EXPECT_EQ(Refusal(*teleport, {foe->GetObjectId()}), "");
    EXPECT_EQ(Refusal(*teleport, {friendly->GetObjectId()}), "");
    EXPECT_EQ(Refusal(*refresh, {hero->GetObjectId()}), "");
    EXPECT_EQ(Refusal(*refresh, {friendly->GetObjectId()}), "a target is not one the skill may strike");

    const struct { Character* target; bool swaps; } rows[] = {{foe, true}, {friendly, true}, {far, false}};
    for (const auto& row : rows) {
        const Vec3 heroWas = hero->GetCoords().GetPosition().GetRegionPosition();
        const Vec3 targetWas = row.target->GetCoords().GetPosition().GetRegionPosition();
        Use(*teleport, row.target->GetObjectId());
        EXPECT_EQ(hero->GetCoords().GetPosition().GetRegionPosition().x, row.swaps ? targetWas.x : heroWas.x);
        EXPECT_EQ(row.target->GetCoords().GetPosition().GetRegionPosition().x, row.swaps ? heroWas.x : targetWas.x);
        Use(*teleport, row.target->GetObjectId());   // and back
    }
}

// "refreshTime" [5, 0, -3]: level 1 shortens every other cooldown by 5000 ms, level 2 ends
// them, and so does the negative entry; the text names the time or says that all recharge.
// The use starts its cooldown, and no refresh shortens the refresh's own cooldown.
TEST_F(SmallKindsTest, RefreshShortensOrEndsEveryOtherCooldown)
{
    LocalizationManager::Instance().Clear();
    ASSERT_GT(LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
    auto* refresh = Learn<Skill_RefreshCooldown>("Class,Skill_RefreshCooldown,\nskillMaxLevel,3,\n"
                                                 "skillCooldownTime,60,\nrefreshTime,5;0;-3,\n");
    auto* other = Learn<Skill_Teleport>("Class,Skill_Teleport,\nskillMaxLevel,1,\nskillCooldownTime,30,\n");
    ASSERT_TRUE(refresh && other);
    const struct { unsigned level; int32_t left; const char16_t* text; } rows[] = {
        {1, 25000, u"-5.0 Seconds Recharge of Other Skills"},
        {2, 0, u"Recharges All Other Skills"},
        {3, 0, u"Recharges All Other Skills"},
    };
    for (const auto& row : rows) {
        refresh->SetSkillLevel(row.level);
        other->StartCooldown();
        Use(*refresh);
        EXPECT_EQ(other->GetCooldownRemaining(), row.left) << row.level;
        EXPECT_EQ(refresh->GetCooldownRemaining(), 60000) << row.level;
        std::vector<GameTextLine> lines;
        refresh->CreateUISpecializedText(GameTextClass::SkillStatsCurrent, lines);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().text, row.text);
    }
    hero->GetSkillManager().RefreshCooldown(0);
    EXPECT_EQ(refresh->GetCooldownRemaining(), 60000);
    std::vector<GameTextLine> next;
    refresh->SetSkillLevel(1);
    refresh->CreateUINextSpecializedText(next);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.front().textClass, GameTextClass::SkillStatsNext);
    EXPECT_EQ(next.front().text, u"Recharges All Other Skills");
    LocalizationManager::Instance().Clear();
}

// Reduction 50 percent, then at most 30 absorbed, on qualifying (physical) damage while the
// skill is enabled; the filter is in its owner's combat manager only while installed.
TEST_F(SmallKindsTest, PassiveShieldReducesThenAbsorbsQualifyingDamage)
{
    auto* shield = Learn<Skill_PassiveShield>("Class,Skill_PassiveShield,\nskillMaxLevel,3,\n"
                                              "physicalDamageQualifier,1,\n"
                                              "damageAbsorptionPercent,50;0;150,\ndamageAbsorption,30;30;0,\n");
    ASSERT_NE(shield, nullptr);
    const auto& filters = hero->GetCombatManager().GetCombatFilters();
    ASSERT_EQ(std::count(filters.begin(), filters.end(), shield), 1);
    const struct { unsigned level; bool enabled; float damage; CombatAttributeType type; float passes; } rows[] = {
        {1, true, 100.0f, CombatAttributeType_Physical, 20.0f},
        {1, true, 40.0f, CombatAttributeType_Physical, 0.0f},
        {1, true, 100.0f, CombatAttributeType_Fire, 100.0f},
        {1, false, 100.0f, CombatAttributeType_Physical, 100.0f},
        {2, true, 100.0f, CombatAttributeType_Physical, 70.0f},
        {3, true, 100.0f, CombatAttributeType_Physical, 0.0f},   // a cut past 100% heals nobody
    };
    for (const auto& row : rows) {
        shield->SetSkillLevel(row.level);
        shield->Update(*hero, 16);
        shield->SetSkillEnabled(row.enabled);
        EXPECT_FLOAT_EQ(shield->ModifyDamage(row.damage, row.type), row.passes) << row.level << row.damage;
    }
    while (shield->DecrementSkillLevel()) {
    }
    EXPECT_EQ(std::count(filters.begin(), filters.end(), shield), 0);
}

// The attack animation acts at level 1 whatever its level and only starts an animation;
// the bundled tree makes each of the four kinds.
TEST_F(SmallKindsTest, AttackAnimationAndTheBundledTree)
{
    auto* feint = Learn<Skill_PlayAttackAnimation>("Class,Skill_PlayAttackAnimation,\nskillMaxLevel,1,\n", 0);
    ASSERT_NE(feint, nullptr);
    EXPECT_EQ(feint->GetCurrentLevel(), 1u);
    EXPECT_TRUE(feint->StartAction(*Place(Make(kBareHands), 40.0f), 0, At(0.0f), 0, TargetLeadingData{}));
    EXPECT_FALSE(feint->StartAction(*Place(Make(), 50.0f), 0, At(0.0f), 0, TargetLeadingData{}));

    ExpectTreeMakesKinds("Records/Skills/Small/SmallTree.dbr", {"Skill_Teleport", "Skill_RefreshCooldown",
                                                                "Skill_PlayAttackAnimation", "Skill_PassiveShield"});
}

}  // namespace
}  // namespace GAME
