#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "CombatTestCharacter.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

class CombatAttributeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        attacker = MakeCombatCharacter();
        defender = MakeCombatCharacter();
    }
    void TearDown() override { ObjectManager::Get().DestroyAllObjects(); }

    CombatTestCharacter* attacker = nullptr;
    CombatTestCharacter* defender = nullptr;
};

}  // namespace

TEST_F(CombatAttributeTest, BasePhysicalSplitsPierceOnce)
{
    CombatAttributeDamage_BasePhysical hit(CombatAttributeType_Physical, 100.0f, 25.0f, false);
    hit.Process(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(hit.GetPhysical(), 75.0f);
    EXPECT_EQ(hit.GetPierce(), 25.0f);
    EXPECT_EQ(hit.GetPierceRatio(), 0.0f);
    EXPECT_EQ(hit.GetType(), CombatAttributeType_PhysicalPierce);

    hit.Process(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(hit.GetPhysical(), 75.0f);
    EXPECT_EQ(hit.GetPierce(), 25.0f);
}

TEST_F(CombatAttributeTest, BasePhysicalPercentCutAndReductionsInOrder)
{
    CombatAttributeDamage_BasePhysical hit(CombatAttributeType_Physical, 80.0f, 10.0f, true);
    hit.Process(*attacker, 150.0f, 2.0f, 10.0f, 1.0f);
    // Split 72 / 8, x1.5, minus 2, minus 10 % and 1, in float.
    EXPECT_EQ(hit.GetPhysical(), 94.4000015f);
    EXPECT_EQ(hit.GetPierce(), 7.99999905f);

    EXPECT_EQ(hit.ProcessBluntDamageModifier(-1.0f), 0.0f);   // never negative
    EXPECT_EQ(hit.GetPierce(), 0.0f);
}

TEST_F(CombatAttributeTest, ArmourCoversItsRegionOrEverything)
{
    struct Case {
        CombatAttributeRegion piece;
        CombatAttributeRegion hit;
        bool covers;
    };
    const Case cases[] = {
        {CombatAttributeRegion_Head, CombatAttributeRegion_Torso, false},
        {CombatAttributeRegion_Head, CombatAttributeRegion_Head, true},
        {CombatAttributeRegion_Head, CombatAttributeRegion_FullyProtected, true},
        {CombatAttributeRegion_FullyProtected, CombatAttributeRegion_Legs, true},
        {CombatAttributeRegion_Unprotected, CombatAttributeRegion_Arms, false},
    };
    for (const Case& c : cases) {
        CombatAttributeDefense_AbsorptionProtection armour(40.0f, 50.0f, c.piece);
        CombatAttributeDamage_BasePhysical hit(CombatAttributeType_Physical, 100.0f, 0.0f, false);
        armour.Execute(&hit, c.hit);
        EXPECT_EQ(hit.GetProtection(), c.covers ? 50.0f : 0.0f) << c.piece << " " << c.hit;
        EXPECT_EQ(hit.GetProtectionAbsorption(), c.covers ? 19.9999981f : 0.0f) << c.piece << " " << c.hit;
        EXPECT_EQ(hit.GetPhysical(), 100.0f);
    }
}

TEST_F(CombatAttributeTest, ArmourProcessingAndModifiers)
{
    CombatAttributeDefense_AbsorptionProtection armour(40.0f, 50.0f, CombatAttributeRegion_Torso);
    EXPECT_EQ(armour.GetType(), CombatAttributeType_AbsorptionProtection);
    armour.ModifyAbsoluteDefense(CombatAttributeType_Absorption, 50.0f);
    armour.ModifyAbsoluteDefense(CombatAttributeType_Protection, 100.0f);
    armour.ModifyAbsoluteDefense(CombatAttributeType_Fire, 100.0f);   // not armour's
    armour.Process(*defender, 0.0f, 20.0f, 0.0f, 0.0f);
    EXPECT_EQ(armour.GetAbsorption(), 60.0f);
    EXPECT_EQ(armour.GetProtection(), 80.0f);   // doubled, then the cut

    auto copy = armour.Clone();
    float absolute = 0.0f, overTime = 0.0f;
    copy->GetTotalDefense(absolute, overTime);
    EXPECT_EQ(absolute, 80.0f);
    EXPECT_EQ(copy->GetType(), CombatAttributeType_AbsorptionProtection);
}

TEST_F(CombatAttributeTest, AbsoluteDefenseAtAndPastZero)
{
    CombatAttributeAbsDefense atZero(CombatAttributeType_Fire, 30.0f);
    atZero.Process(*defender, 0.0f, 0.0f, 0.0f, 30.0f);
    EXPECT_EQ(atZero.GetDefense(), 0.0f);
    CombatAttributeAbsDamage fire(CombatAttributeType_Fire, 100.0f);
    atZero.Execute(&fire, CombatAttributeRegion_Head);
    EXPECT_EQ(fire.GetDamage(), 100.0f);

    // Reduced below zero, the defence makes the damage larger.
    CombatAttributeAbsDefense pastZero(CombatAttributeType_Fire, 10.0f);
    pastZero.Process(*defender, 0.0f, 0.0f, 0.0f, 30.0f);
    EXPECT_EQ(pastZero.GetDefense(), -20.0f);
    pastZero.Execute(&fire, CombatAttributeRegion_Head);
    EXPECT_EQ(fire.GetDamage(), 120.000008f);

    // A defence of another type leaves the damage alone.
    CombatAttributeAbsDefense cold(CombatAttributeType_Cold, 50.0f);
    cold.Execute(&fire, CombatAttributeRegion_Head);
    EXPECT_EQ(fire.GetDamage(), 120.000008f);
}

TEST_F(CombatAttributeTest, DurationDefenseStopsAtZero)
{
    CombatAttributeDurDefense weakened(CombatAttributeType_Poison, 10.0f);
    weakened.ModifyDurationDefense(CombatAttributeType_Poison, -150.0f);
    weakened.Process(*defender, 0.0f, 0.0f, 50.0f, 50.0f);   // reductions do not touch it
    EXPECT_EQ(weakened.GetDefense(), 0.0f);

    CombatAttributeDurDamage poison(CombatAttributeType_Poison, 10.0f, 5.0f);
    weakened.Execute(&poison, CombatAttributeRegion_Torso);
    EXPECT_EQ(poison.GetDuration(), 5.0f);

    CombatAttributeDurDefense strong(CombatAttributeType_Poison, 150.0f);
    strong.Execute(&poison, CombatAttributeRegion_Torso);
    EXPECT_EQ(poison.GetDuration(), 0.0f);   // shortened past nothing: none left
    EXPECT_EQ(poison.GetDamage(), 10.0f);
}

TEST_F(CombatAttributeTest, PercentStepOfDamageAndDefences)
{
    // Damage takes any non-zero percent, also a negative one; defences only a positive one.
    CombatAttributeAbsDamage fire(CombatAttributeType_Fire, 40.0f);
    fire.Process(*attacker, -50.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(fire.GetDamage(), 0.0f);

    CombatAttributeAbsDefense resist(CombatAttributeType_Fire, 40.0f);
    resist.Process(*defender, -50.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(resist.GetDefense(), 40.0f);
    resist.Process(*defender, 50.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(resist.GetDefense(), 20.0f);
}

TEST_F(CombatAttributeTest, DefencesHeldToTheCharactersCap)
{
    defender->defenseCap = 50.0f;
    CombatAttributeAbsDefense resist(CombatAttributeType_Cold, 80.0f);
    resist.Process(*defender, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(resist.GetDefense(), 50.0f);
    CombatAttributeDurDefense shorten(CombatAttributeType_Cold, 30.0f);
    shorten.Process(*defender, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(shorten.GetDefense(), 30.0f);
    // The restricted kind ignores reductions, not the cap.
    CombatAttributeAbsDefenseRestricted restricted(CombatAttributeType_Cold, 70.0f);
    restricted.Process(*defender, 0.0f, 0.0f, 100.0f, 100.0f);
    EXPECT_EQ(restricted.GetDefense(), 50.0f);
}

TEST_F(CombatAttributeTest, ConvertNeedsAnAttackerWithinFiveLevels)
{
    attacker->SetCharLevel(5);
    CombatAttributeInfluenceDamage_Convert convert(CombatAttributeType_Convert, 2.5f);
    convert.Process(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(convert.GetAttackerId(), attacker->GetObjectId());

    defender->SetCharLevel(11);
    convert.Execute(*defender);
    EXPECT_TRUE(defender->joined.empty());

    defender->SetCharLevel(10);
    convert.Execute(*defender);
    ASSERT_EQ(defender->joined.size(), 1u);
    EXPECT_EQ(defender->joined[0], (CombatTestCharacter::Joined{attacker->GetObjectId(), 2500, true}));

    // The clone keeps the attacker; an attacker that is gone converts nobody.
    auto copy = convert.Clone();
    ObjectManager::Get().DestroyObjectEx(attacker, __FILE__, __LINE__);
    copy->Execute(*defender);
    EXPECT_EQ(defender->joined.size(), 1u);
}

TEST_F(CombatAttributeTest, InfluencesReachTheDefender)
{
    CombatAttributeInfluenceDamage_Taunt(CombatAttributeType_Taunt, 2.5f).Execute(*defender);
    CombatAttributeInfluenceDamage_Fear(CombatAttributeType_Fear, 1.5f).Execute(*defender);
    CombatAttributeInfluenceDamage_Confusion(CombatAttributeType_Confusion, 0.7f).Execute(*defender);
    CombatAttributeInfluenceDamage_Fear(CombatAttributeType_Fear, 0.0f).Execute(*defender);
    CombatAttributeInfluenceDamage_Fear(CombatAttributeType_Fear, 1e12f).Execute(*defender);

    EXPECT_EQ(defender->taunts, std::vector<float>{2.5f});
    EXPECT_EQ(defender->fearMs, (std::vector<int>{1500, INT_MAX}));   // a huge time is held, not wrapped
    EXPECT_EQ(defender->confusionMs, std::vector<int>{700});          // 0.7 s in float is 700 ms
}

TEST_F(CombatAttributeTest, ManaBurnDrainsAtMostTheCurrentMana)
{
    defender->SetTotalCharAttribute(CharAttributeType_Mana, 500.0f);
    defender->SetCurrentMana(60.0f);
    CombatAttributeAbsDamage_ManaBurn burn(CombatAttributeType_ManaBurn, 20.0f, 150.0f);
    burn.Execute(*defender);
    EXPECT_EQ(defender->GetCharacterBio().GetManaDrainPool(), 60.0f);   // it leaves over time
    EXPECT_EQ(defender->GetCurrentLife(), 910.0f);

    defender->SetCurrentMana(300.0f);
    defender->SetCurrentLife(1000.0f);
    burn.Execute(*defender);
    EXPECT_EQ(defender->GetCharacterBio().GetManaDrainPool(), 160.0f);
    EXPECT_EQ(defender->GetCurrentLife(), 850.0f);

    // Mana leech defences cut the burn, the ratio defence the damage; neither counts
    // into the damage totals.
    burn.ReduceAbsoluteDamage(CombatAttributeType_ManaLeach, 50.0f);
    burn.ReduceAbsoluteDamage(CombatAttributeType_ManaBurnRatio, 200.0f);
    EXPECT_EQ(burn.GetDamage(), 10.0f);
    EXPECT_EQ(burn.GetRatio(), 0.0f);
    float absolute = 0.0f, overTime = 0.0f;
    burn.GetTotalDamage(absolute, overTime);
    EXPECT_EQ(absolute, 0.0f);
}

TEST_F(CombatAttributeTest, DamageKindsExecuteOnTheDefender)
{
    defender->SetCurrentLife(800.0f);
    CombatAttributeAbsDamage_PercentLife(CombatAttributeType_PercentCurrentLife, 10.0f).Execute(*defender);
    EXPECT_EQ(defender->GetCurrentLife(), 720.0f);

    // The disruption's 2000 ms reach the defender's skills (SkillManagerTest).
    CombatAttributeAbsDamage_Disruption(CombatAttributeType_Disruption, 2.0f).Execute(*defender);

    CombatAttributeAbsDamage_LifeLeech(CombatAttributeType_LifeLeach, 15.0f).Execute(*defender);
    CombatAttributeAbsDamage_LifeLeech(CombatAttributeType_LifeLeach, 5.0f).Execute(*defender);
    EXPECT_EQ(defender->GetCombatManager().GetLifeLeechPercent(), 20.0f);

    CombatAttributeReflexDamage(CombatAttributeType_Stun, 2.0f).Execute(*defender);
    CombatAttributeReflexDamage(CombatAttributeType_Freeze, 0.0f).Execute(*defender);
    CombatAttributeDurFixedDamage(CombatAttributeType_RunSpeed, 30.0f, 3.0f).Execute(*defender);
    CombatAttributeDurDamage(CombatAttributeType_Poison, 12.0f, 4.0f).Execute(*defender);

    DurationDamageManager& overTime = defender->GetDurationDamageMgr();
    overTime.EndAttack();
    std::vector<FixedDurationDamageReplication> fixedDamage;
    overTime.GetFixedDamageReplica(fixedDamage);
    EXPECT_EQ(fixedDamage, (std::vector<FixedDurationDamageReplication>{{CombatAttributeType_Stun, {{1.0f, 20.0f}}},
                                                                         {CombatAttributeType_RunSpeed, {{30.0f, 30.0f}}}}));
    std::vector<DurationDamageReplication> damage;
    overTime.GetDamageReplica(damage);
    EXPECT_EQ(damage, (std::vector<DurationDamageReplication>{{CombatAttributeType_Poison, 0, {{1.2f, 40.0f}}}}));
    EXPECT_EQ(defender->GetCurrentLife(), 720.0f);
}

TEST_F(CombatAttributeTest, DurationDamageModifiersAndReductions)
{
    CombatAttributeDurDamage poison(CombatAttributeType_Poison, 10.0f, 5.0f);
    CombatAttributeDurDamageMod(CombatAttributeType_Poison, 20.0f, 50.0f).Execute(&poison, CombatAttributeRegion_Head);
    CombatAttributeDurDamageMod(CombatAttributeType_Fire, 90.0f, 90.0f).Execute(&poison, CombatAttributeRegion_Head);
    poison.Process(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(poison.GetDamage(), 12.0f);
    EXPECT_EQ(poison.GetDuration(), 7.5f);

    poison.ReduceDurationDamage(CombatAttributeType_Poison, 40.0f);
    EXPECT_EQ(poison.GetDuration(), 4.5f);
    poison.ReduceAbsoluteDamage(CombatAttributeType_Poison, 50.0f);
    EXPECT_EQ(poison.GetDamage(), 6.0f);

    // The clone carries its values and pending modifiers.
    poison.ModifyDurationDamage(CombatAttributeType_Poison, 100.0f, 0.0f);
    auto copy = poison.Clone();
    copy->Process(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(static_cast<CombatAttributeDurDamage&>(*copy).GetDamage(), 12.0f);
    EXPECT_EQ(poison.GetDamage(), 6.0f);
}

// ---- Pairing every object of one list with every object of another ------------------

namespace {

// One object of each kind, with amounts on both sides of 0, and its size.
struct Sample {
    std::unique_ptr<CombatAttribute> object;
    size_t size;
};
template <class T, class... Args>
Sample MakeSample(Args... args)
{
    return {std::make_unique<T>(args...), sizeof(T)};
}
std::vector<Sample> EveryKind()
{
    std::vector<Sample> samples;
    for (float amount : {10.0f, -10.0f}) {
        samples.push_back(MakeSample<CombatAttributeAbsDamage>(CombatAttributeType_Fire, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDamageElemental>(CombatAttributeType_Cold, amount));
        samples.push_back(MakeSample<CombatAttributeDurDamage>(CombatAttributeType_Poison, amount, 5.0f));
        samples.push_back(MakeSample<CombatAttributeDurDamage>(CombatAttributeType_Poison, 10.0f, amount));
        samples.push_back(MakeSample<CombatAttributeDurFixedDamage>(CombatAttributeType_RunSpeed, amount, amount));
        samples.push_back(MakeSample<CombatAttributeReflexDamage>(CombatAttributeType_Stun, amount));
        samples.push_back(MakeSample<CombatAttributeInfluenceDamage_Taunt>(CombatAttributeType_Taunt, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDamage_PercentLife>(CombatAttributeType_PercentCurrentLife, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDamage_ManaBurn>(CombatAttributeType_ManaBurn, amount, 50.0f));
        samples.push_back(MakeSample<CombatAttributeAbsDamage_ManaBurn>(CombatAttributeType_ManaBurn, 10.0f, amount));
        samples.push_back(MakeSample<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, amount, 25.0f, false));
        samples.push_back(MakeSample<CombatAttributeDamage_BonusPhysical>(CombatAttributeType_Physical, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, amount));
        samples.push_back(MakeSample<CombatAttributeDurDamageMod>(CombatAttributeType_Fire, amount, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDefense>(CombatAttributeType_Fire, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDefenseRestricted>(CombatAttributeType_Stun, amount));
        samples.push_back(MakeSample<CombatAttributeDurDefense>(CombatAttributeType_Poison, amount));
        samples.push_back(MakeSample<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, amount));
        samples.push_back(MakeSample<CombatAttributeAbsDefenseMod>(CombatAttributeType_Fire, amount));
        samples.push_back(MakeSample<CombatAttributeDurDefenseMod>(CombatAttributeType_Poison, amount));
        samples.push_back(MakeSample<CombatAttributeDefense_AbsorptionProtection>(50.0f, amount, CombatAttributeRegion_Torso));
    }
    return samples;
}

using Calls = CombatAttributeReach::Calls;

// A call of one kind and form to a target.
void Call(CombatAttribute& target, Calls calls, bool absolute, CombatAttributeType type, float value)
{
    if (calls == Calls::DamageReduction)
        absolute ? target.ReduceAbsoluteDamage(type, value) : target.ReduceDurationDamage(type, value);
    else
        absolute ? target.ModifyAbsoluteDefense(type, value) : target.ModifyDurationDefense(type, value);
}

// Remembers the calls an executor makes.
class RecordingTarget : public CombatAttribute {
public:
    RecordingTarget() : CombatAttribute(CombatAttributeType_Unknown) {}
    std::unique_ptr<CombatAttribute> Clone() const override { return nullptr; }
    CombatAttribute* CloneIn(CombatAttributeArena&) const override { return nullptr; }
    void ReduceAbsoluteDamage(CombatAttributeType type, float) override { Record(Calls::DamageReduction, true, type); }
    void ReduceDurationDamage(CombatAttributeType type, float) override { Record(Calls::DamageReduction, false, type); }
    void ModifyAbsoluteDefense(CombatAttributeType type, float) override { Record(Calls::DefenseModifier, true, type); }
    void ModifyDurationDefense(CombatAttributeType type, float) override { Record(Calls::DefenseModifier, false, type); }
    void ModifyAbsoluteDamage(CombatAttributeType type, float) override { Record(Calls::Any, true, type); }
    void ModifyDurationDamage(CombatAttributeType type, float, float) override { Record(Calls::Any, false, type); }

    struct Made {
        Calls calls;
        bool absolute;
        CombatAttributeType type;
    };
    std::vector<Made> made;

private:
    void Record(Calls calls, bool absolute, CombatAttributeType type) { made.push_back({calls, absolute, type}); }
};

}  // namespace

// The pairing stages skip a call only where the target's answer says that it changes
// nothing: every call outside the answer leaves every byte of the target as it was.
TEST_F(CombatAttributeTest, CallsOutsideATargetsAnswerChangeNothing)
{
    for (const Sample& sample : EveryKind()) {
        SCOPED_TRACE(sample.object->GetClassInfo().GetName());
        for (Calls calls : {Calls::DamageReduction, Calls::DefenseModifier}) {
            const CombatAttributeTypeMask answer = sample.object->GetChangedBy(calls);
            for (bool absolute : {true, false})
                for (uint32_t t = 0; t < 64; ++t) {
                    const auto type = static_cast<CombatAttributeType>(t);
                    if ((absolute ? answer.absolute : answer.duration) & CombatAttributeTypeBit(type))
                        continue;
                    for (float value : {30.0f, 0.0f, 150.0f, -20.0f}) {
                        std::unique_ptr<CombatAttribute> copy = sample.object->Clone();
                        std::vector<unsigned char> before(sample.size);
                        std::memcpy(before.data(), static_cast<const void*>(copy.get()), sample.size);
                        Call(*copy, calls, absolute, type, value);
                        EXPECT_EQ(std::memcmp(before.data(), static_cast<const void*>(copy.get()), sample.size), 0)
                            << "type " << t << (absolute ? " absolute " : " duration ") << value;
                    }
                }
        }
    }
}

// And an executor calls nothing beyond its reach.
TEST_F(CombatAttributeTest, ExecutorsCallOnlyWithinTheirReach)
{
    for (const Sample& sample : EveryKind()) {
        SCOPED_TRACE(sample.object->GetClassInfo().GetName());
        const CombatAttributeReach reach = sample.object->GetReach();
        if (reach.calls == Calls::Any)
            continue;
        for (int region = CombatAttributeRegion_FullyProtected; region <= static_cast<int>(CombatAttributeRegion_Legs); ++region) {
            RecordingTarget target;
            sample.object->Execute(&target, static_cast<CombatAttributeRegion>(region));
            for (const RecordingTarget::Made& made : target.made) {
                EXPECT_EQ(made.calls, reach.calls);
                EXPECT_NE((made.absolute ? reach.absolute : reach.duration) & CombatAttributeTypeBit(made.type), 0u);
            }
            if (reach.calls == Calls::None) {
                EXPECT_TRUE(target.made.empty());
            }
        }
    }
    // Pairing through the accumulator's stages gives what every pair would: a negative
    // amount is held at 0 by the first reduction of any type.
    std::vector<std::unique_ptr<CombatAttribute>> defenses;
    defenses.push_back(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Cold, 10.0f));
    defenses.push_back(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 150.0f));
    std::vector<std::unique_ptr<CombatAttribute>> damages;
    damages.push_back(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, -10.0f));
    damages.push_back(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 10.0f));
    ExecuteEachOnEach(defenses, damages, CombatAttributeRegion_Torso);
    EXPECT_EQ(static_cast<CombatAttributeAbsDamage&>(*damages[0]).GetDamage(), 0.0f);
    EXPECT_EQ(static_cast<CombatAttributeAbsDamage&>(*damages[1]).GetDamage(), 0.0f);
}
