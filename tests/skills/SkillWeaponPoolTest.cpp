// The weapon pool: the weighted pick, the charge of the charging pool kinds as the
// controlling peer builds it and every peer receives it, and what a charge pays.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Localization.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillProfileModifiers.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/world/PFxManager.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

// Sends each charge straight back as every peer receives it, and picks from its pool as
// the skill manager does.
class LoopOwner : public FakeOwner {
public:
    void SendSkillActiveUpdate(uint32_t id, const SkillActiveState& state) override
    {
        levels.push_back(state.subLevel);
        if (auto* skill = ObjectManager::Get().GetObject<Skill>(id); skill && parent)
            skill->ReceiveActiveUpdate(*parent, state, false);
    }
    uint32_t SelectWeaponPoolSkill(RandomUniform& random) const override
    {
        return SkillActivatedWeaponPool::PickPoolAttack(pool, defaultId, 10, random);
    }
    std::vector<int32_t> levels;
    std::vector<uint32_t> pool;
    uint32_t defaultId = 0;
};

class SkillWeaponPoolTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord("Records/Test/Glow.dbr", "Class,EffectEntity,\n");
        user = Place(Make());
        owner.parent = user;
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const std::string& kind, const std::string& lines)
    {
        const std::string name = "Records/Test/Pool" + std::to_string(++count) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class," + kind + ",\nskillMaxLevel,3,\n" + lines);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(1);
            skill->SetSkillEnabled(true);
        }
        return skill;
    }
    uint32_t Attack(unsigned weight)
    {
        auto* attack = MakeSkill<Skill_WPAttack_BasicAttack>(
            "Skill_WPAttack_BasicAttack", "skillChanceWeight," + std::to_string(weight) + ",\n");
        return attack ? attack->GetObjectId() : 0;
    }

    LoopOwner owner;
    Character* user = nullptr;
    int count = 0;
};

// The default fills the pool up to 100 and keeps its own weight past it; disabled and
// weightless attacks stay out; a seed always makes the same picks.
TEST_F(SkillWeaponPoolTest, ThePoolPicksByWeightWithTheDefaultLast)
{
    const uint32_t a = Attack(30), b = Attack(20), defaultId = Attack(100);
    auto weighed = SkillActivatedWeaponPool::WeighPool({a, b}, defaultId, 10);
    ASSERT_EQ(weighed.size(), 3u);
    EXPECT_EQ(weighed[1].runningSum, 50);
    EXPECT_EQ(weighed[2].skillId, defaultId);
    EXPECT_EQ(weighed[2].runningSum, 100);   // the default holds 50 of 100

    const uint32_t c = Attack(70), d = Attack(60);
    weighed = SkillActivatedWeaponPool::WeighPool({c, d}, defaultId, 10);
    EXPECT_EQ(weighed.back().runningSum, 140);   // 10 of 140

    ObjectManager::Get().GetObject<Skill>(c)->SetSkillEnabled(false);
    const uint32_t none = Attack(0);
    weighed = SkillActivatedWeaponPool::WeighPool({c, none, d}, defaultId, 10);
    ASSERT_EQ(weighed.size(), 2u);
    EXPECT_EQ(weighed[0].skillId, d);

    std::vector<uint32_t> picks;
    RandomUniform random;
    random.Seed(1234);
    for (int i = 0; i < 8; ++i)
        picks.push_back(SkillActivatedWeaponPool::PickPoolAttack({a, b}, defaultId, 10, random));
    // Draws 32 42 62 82 47 71 47 77: 31..50 is the second attack's, 51..100 the default's.
    const std::vector<uint32_t> golden{b, b, defaultId, defaultId, b, defaultId, b, defaultId};
    EXPECT_EQ(picks, golden);
}

// Three hitting attacks raise the charge to its full 3, so the fourth use is the finale.
// A hit pays the mana cost in the report and again where the raised charge arrives; an
// empty report pays and raises nothing.
TEST_F(SkillWeaponPoolTest, TheFinaleComesOnTheFourthUseAndEachChargePaysTwice)
{
    auto* finale = MakeSkill<Skill_WeaponPool_ChargedFinale>(
        "Skill_WeaponPool_ChargedFinale", "skillManaCost,5,\nskillChargeLevel,3,\nskillChargeDuration,4,\n");
    ASSERT_NE(finale, nullptr);
    EXPECT_FALSE(finale->ShouldWpUseParentResources());
    owner.defaultId = Attack(100);
    const std::vector<uint32_t> foe{user->GetObjectId() + 1000};

    owner.mana = 100.0f;
    finale->WPAttackCallback(*user, {});
    EXPECT_EQ(owner.mana, 100.0f);
    EXPECT_EQ(finale->GetChargeLevel(), 0u);

    for (int use = 1; use <= 4; ++use) {
        finale->StartAction(*user, 0, user->GetCoords().GetPosition(), 7u * use, TargetLeadingData{});
        if (use < 4) {
            EXPECT_EQ(finale->GetChosenAttackId(), owner.defaultId) << use;
            auto* pooled = ObjectManager::Get().GetObject<Skill_WPAttack>(owner.defaultId);
            EXPECT_EQ(pooled->GetParentSkillId(), finale->GetObjectId());
            finale->WPAttackCallback(*user, foe);
            EXPECT_EQ(owner.mana, 100.0f - 10.0f * use) << use;
        } else {
            EXPECT_EQ(finale->GetChosenAttackId(), 0u);   // the finale: no pooled attack
        }
    }
    EXPECT_EQ(owner.levels, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(finale->GetChargeTimer(), 4000);

    // The finale keeps its resources to itself; a basic pool shares its mana cost.
    auto* pooled = ObjectManager::Get().GetObject<Skill_WPAttack>(owner.defaultId);
    SkillProfile_Modifiers modifiers;
    pooled->GetSkillModifierData(modifiers);
    EXPECT_EQ(modifiers.manaCost, 0.0f);
    auto* basic = MakeSkill<Skill_WeaponPool_BasicAttack>("Skill_WeaponPool_BasicAttack", "skillManaCost,4,\n");
    pooled->SetParentSkillId(basic->GetObjectId());
    SkillProfile_Modifiers shared;
    pooled->GetSkillModifierData(shared);
    EXPECT_EQ(shared.manaCost, 4.0f);

    // Restored state pays nothing; stopping drops the charge.
    finale->ReceiveActiveUpdate(*user, SkillActiveState(2, false, false), true);
    EXPECT_EQ(owner.mana, 70.0f);
    finale->StopSkill(*user);
    EXPECT_EQ(finale->GetChargeLevel(), 0u);
    EXPECT_EQ(owner.levels.back(), 0);
}

// The linear charge stops at its full charge and falls one level per duration; a
// charge level sent by a peer past the full charge shows and grants only the full charge;
// a duration too large for an int is clamped.
TEST_F(SkillWeaponPoolTest, TheLinearChargeDecaysLevelByLevelAndIsBoundedByTheFullCharge)
{
    auto* linear = MakeSkill<Skill_WeaponPool_ChargedLinear>(
        "Skill_WeaponPool_ChargedLinear",
        "skillChargeLevel,3,\nskillChargeDuration,3;4;5,\ncharacterStrength,1;2;3;4;5,\n"
        "skillChargeAura,Records/Test/Glow.dbr;Records/Test/Glow.dbr;Records/Test/Glow.dbr;Records/Test/Glow.dbr,\n");
    ASSERT_NE(linear, nullptr);
    // A peer's level past the full charge: effects and attributes of the full charge.
    linear->ReceiveActiveUpdate(*user, SkillActiveState(99, false, false), true);
    EXPECT_EQ(user->GetPFxManager().GetParticleEffectCount(), 3u);
    CharAttributeAccumulator chars;
    linear->CollectPassiveCharAttributes(chars);
    EXPECT_EQ(chars.GetValueSum(CharAttributeType_Strength), 3.0f);
    linear->ReceiveActiveUpdate(*user, SkillActiveState(-5, false, false), true);
    CharAttributeAccumulator none;
    linear->CollectPassiveCharAttributes(none);
    EXPECT_EQ(none.GetValueSum(CharAttributeType_Strength), 0.0f);

    const std::vector<uint32_t> foe{1};
    for (int i = 0; i < 4; ++i)
        linear->WPAttackCallback(*user, foe);
    EXPECT_EQ(linear->GetChargeLevel(), 3u);
    EXPECT_EQ(linear->GetChargeTimer(), 5000);
    EXPECT_EQ(owner.levels, (std::vector<int32_t>{1, 2, 3, 3}));

    const float manaBefore = owner.mana;
    const struct { int ms; unsigned level; } steps[] = {{4999, 3}, {1, 2}, {4000, 1}, {2999, 1}, {1, 0}};
    for (const auto& step : steps) {
        linear->Update(*user, step.ms);
        EXPECT_EQ(linear->GetChargeLevel(), step.level) << step.ms;
    }
    EXPECT_EQ(owner.mana, manaBefore);   // falling pays nothing

    // The description shows the full charge and what it grants, not the skill level's.
    LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt");
    std::vector<GameTextLine> lines;
    linear->CreateUIParameterText(lines);
    LocalizationManager::Instance().Clear();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, u"Current Level: 3");
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const auto& line) { return line.text == u"+3 Strength"; }));

    auto* huge = MakeSkill<Skill_WeaponPool_ChargedLinear>("Skill_WeaponPool_ChargedLinear",
                                                           "skillChargeLevel,3,\nskillChargeDuration,1e12,\n");
    huge->WPAttackCallback(*user, foe);
    EXPECT_EQ(huge->GetChargeTimer(), INT_MAX);
}

}  // namespace
}  // namespace GAME
