#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "CombatTestCharacter.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"

using namespace GAME;

namespace {

class CombatAttributeAccumulatorTest : public ::testing::Test {
protected:
    void TearDown() override { ObjectManager::Get().DestroyAllObjects(); }

    static float TotalAbsolute(const CombatAttributeAccumulator& accumulator)
    {
        float absolute = 0.0f, overTime = 0.0f;
        accumulator.GetTotalDamage(absolute, overTime);
        return absolute;
    }
};

}  // namespace

TEST_F(CombatAttributeAccumulatorTest, ChanceZeroPassesWithoutADrawAndTheBoundaryDrawPasses)
{
    // Seed 42 draws 52, then 74 (whole numbers from 0 to 100).
    CombatAttributeAccumulator accumulator;
    accumulator.SetSeed(42);
    EXPECT_TRUE(accumulator.EvaluateChance(0.0f));   // no draw taken
    EXPECT_TRUE(accumulator.EvaluateChance(52.0f));  // the draw equals the chance
    EXPECT_FALSE(accumulator.EvaluateChance(73.5f)); // 74 exceeds it

    CombatAttributeAccumulator again;
    again.SetSeed(42);
    EXPECT_FALSE(again.EvaluateChance(51.9f));
    EXPECT_TRUE(again.EvaluateChance(100.0f));
    EXPECT_EQ(again.GetChanceMultiplier(37.0f), 1.0f);
}

TEST_F(CombatAttributeAccumulatorTest, ParametersCombatConsumesSevenDraws)
{
    RandomUniform source;
    source.Seed(12345);
    ParametersCombat params(source);
    const uint32_t expected[AttackRandoms::kCount] = {27326, 30635, 18738, 21726, 16265, 14079, 21291};
    for (int i = 0; i < AttackRandoms::kCount; ++i)
        EXPECT_EQ(params.randoms.Get(i), expected[i]) << i;
    EXPECT_EQ(params.randoms.Get(7), 0u);
    EXPECT_EQ(source.IGenerate(0, 32765), 10918);   // the eighth draw of the source

    EXPECT_EQ(params.accumulator.GetSeed(), 27326u);
    EXPECT_EQ(params.accumulator.GetRandomGen().IGenerate(0, 100), 40);
    EXPECT_EQ(params.combatType, ParametersCombatStyle::None);
    EXPECT_TRUE(params.auraName.empty());
    EXPECT_EQ(params.ragdollEffect.effect, CharacterRagDoll::Random);
    EXPECT_EQ(params.ragdollEffect.speed, 1.0f);
}

TEST_F(CombatAttributeAccumulatorTest, DefencesMergeOnlyWithTheirOwnKindAndType)
{
    CombatAttributeAccumulator accumulator;
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 10.0f));
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Cold, 5.0f));
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 15.0f));
    // Fire duration reduction and restricted fire resistance stay apart from fire resistance.
    accumulator.AddDefense(std::make_unique<CombatAttributeDurDefense>(CombatAttributeType_Fire, 7.0f));
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefenseRestricted>(CombatAttributeType_Fire, 3.0f));
    accumulator.AddDefense(std::make_unique<CombatAttributeDurDefense>(CombatAttributeType_Fire, 2.0f));
    accumulator.AddDefense(nullptr);

    ASSERT_EQ(accumulator.GetDefenses().size(), 4u);
    EXPECT_EQ(accumulator.GetDefenses()[0]->GetDefense(), 25.0f);
    EXPECT_EQ(accumulator.GetDefenses()[2]->GetDefense(), 9.0f);
    // Absolute parts of fire: resistance and the restricted one; duration parts ignored.
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Fire), 28.0f);
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Cold), 5.0f);
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Lightning), 0.0f);
    EXPECT_TRUE(accumulator.IsEmpty());   // defences alone do not count

    // Emptied, the list holds no fire any more; fire added again merges anew.
    accumulator.ClearDefenses();
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Fire), 0.0f);
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 4.0f));
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 6.0f));
    ASSERT_EQ(accumulator.GetDefenses().size(), 1u);
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Fire), 10.0f);
}

TEST_F(CombatAttributeAccumulatorTest, ProcessingConsumesTheModifiers)
{
    CombatTestCharacter* side = MakeCombatCharacter();
    CombatAttributeAccumulator accumulator;
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 50.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, 100.0f,
                                                                                25.0f, false));
    accumulator.AddDamageModifier(std::make_unique<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, 10.0f));
    accumulator.AddDamageModifier(std::make_unique<CombatAttributeAbsDamageMod>(CombatAttributeType_Physical, 20.0f));

    accumulator.ProcessDamage(*side, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(accumulator.GetDamageModifiers().empty());
    EXPECT_EQ(TotalAbsolute(accumulator), 55.0f + 120.0f);
    accumulator.ProcessDamage(*side, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(TotalAbsolute(accumulator), 55.0f + 120.0f);

    // The defence side: the modifier acts on its defence, then the defence on the damage.
    accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 20.0f));
    accumulator.AddDefenseModifier(std::make_unique<CombatAttributeAbsDefenseMod>(CombatAttributeType_Fire, 100.0f));
    accumulator.ProcessDefense(*side, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(accumulator.GetDefenseModifiers().empty());
    EXPECT_EQ(accumulator.GetTotalDefenseType(CombatAttributeType_Fire), 40.0f);
    accumulator.ExecuteDefense();
    EXPECT_TRUE(accumulator.GetDefenses().empty());
    float absolute = 0.0f, overTime = 0.0f;
    accumulator.GetTotalDamageType(absolute, overTime, CombatAttributeType_Fire);
    EXPECT_EQ(absolute, 33.0f);
}

TEST_F(CombatAttributeAccumulatorTest, ReflectFilteringAndTotals)
{
    CombatAttributeAccumulator accumulator;
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 30.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeReflexDamage>(CombatAttributeType_Stun, 2.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeInfluenceDamage_Fear>(CombatAttributeType_Fear, 3.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeDurDamage>(CombatAttributeType_Poison, 5.0f, 4.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage_LifeLeech>(CombatAttributeType_LifeLeach, 10.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage_Disruption>(CombatAttributeType_Disruption, 1.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage_PercentLife>(CombatAttributeType_PercentCurrentLife, 10.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeDurFixedDamage>(CombatAttributeType_RunSpeed, 30.0f, 3.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, 100.0f,
                                                                                0.0f, false));

    float absolute = 0.0f, overTime = 0.0f;
    accumulator.GetTotalDamage(absolute, overTime);
    EXPECT_EQ(absolute, 140.0f);   // fire, life leech, physical
    EXPECT_EQ(overTime, 5.0f);
    absolute = overTime = 0.0f;
    accumulator.GetTotalDamageType(absolute, overTime, CombatAttributeType_PhysicalPierce);
    EXPECT_EQ(absolute, 100.0f);

    accumulator.FilterReflectDamage();
    ASSERT_EQ(accumulator.GetDamages().size(), 7u);
    EXPECT_EQ(accumulator.GetDamages()[1]->GetType(), CombatAttributeType_Poison);   // order kept

    accumulator.ScaleDamage(50.0f);
    accumulator.ScaleDamage(-50.0f);   // ignored
    absolute = overTime = 0.0f;
    accumulator.GetTotalDamage(absolute, overTime);
    EXPECT_EQ(absolute, 70.0f);
    EXPECT_EQ(overTime, 2.5f);
    EXPECT_EQ(accumulator.ProcessBluntDamageModifier(1.5f), 75.0f);   // physical objects only

    accumulator.ReduceDamage(50.0f);   // each by its own type
    EXPECT_EQ(TotalAbsolute(accumulator), 7.5f + 2.5f + 37.5f);

    accumulator.Clear();
    EXPECT_TRUE(accumulator.IsEmpty());
}

TEST_F(CombatAttributeAccumulatorTest, AssignmentAppendsAndSelfAssignmentKeeps)
{
    CombatAttributeAccumulator source;
    source.SetSeed(42);
    source.SetRegion(CombatAttributeRegion_Legs);
    source.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 30.0f));
    source.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 10.0f));
    source.AddDamageModifier(std::make_unique<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, 10.0f));
    source.AddDefenseModifier(std::make_unique<CombatAttributeAbsDefenseMod>(CombatAttributeType_Fire, 10.0f));

    auto& alias = source;
    source = alias;
    EXPECT_EQ(source.GetDamages().size(), 1u);
    EXPECT_EQ(source.GetDefenses().size(), 1u);
    EXPECT_EQ(source.GetDamageModifiers().size(), 1u);
    EXPECT_EQ(source.GetDefenseModifiers().size(), 1u);

    CombatAttributeAccumulator target;
    target.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 5.0f));
    target.GetRandomGen().IGenerate(0, 100);
    target = source;
    ASSERT_EQ(target.GetDamages().size(), 2u);   // kept beside the clones
    EXPECT_EQ(TotalAbsolute(target), 35.0f);
    EXPECT_EQ(target.GetDefenseModifiers().size(), 1u);
    EXPECT_EQ(target.GetRegion(), CombatAttributeRegion_Legs);
    EXPECT_EQ(target.GetRandomGen().IGenerate(0, 100), 52);   // re-seeded with 42

    // The clones are the target's own.
    source.Clear();
    EXPECT_EQ(TotalAbsolute(target), 35.0f);

    const CombatAttributeAccumulator copy(target);
    EXPECT_EQ(copy.GetDamages().size(), 2u);
    EXPECT_NE(copy.GetDamages()[0].get(), target.GetDamages()[0].get());
}

// ---- The attack's own storage ------------------------------------------------------

namespace {

// An attack of physical and fire damage, a fear, a fire resistance and two modifiers, all
// made in its own storage, and one fire damage handed over on the heap.
ParametersCombat MakeStoredAttack(RandomUniform& source)
{
    ParametersCombat params(source);
    params.auraName = "Records/Skills/Auras/A long enough aura name.dbr";
    CombatAttributeAccumulator& accumulator = params.accumulator;
    accumulator.AddDamage(params.Make<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, 100.0f,
                                                                          0.0f, false));
    accumulator.AddDamage(params.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 30.0f));
    accumulator.AddDamage(params.Make<CombatAttributeInfluenceDamage_Fear>(CombatAttributeType_Fear, 3.0f));
    accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 5.0f));
    accumulator.AddDefense(params.Make<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 10.0f));
    accumulator.AddDefense(params.Make<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 10.0f));   // merges
    accumulator.AddDamageModifier(params.Make<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, 10.0f));
    accumulator.AddDefenseModifier(params.Make<CombatAttributeAbsDefenseMod>(CombatAttributeType_Fire, 10.0f));
    return params;
}

}  // namespace

// Run under the address sanitizer: every object is destroyed once, none is read after it
// went, and none is leaked, whichever way the attack travels.
TEST_F(CombatAttributeAccumulatorTest, StoredAttackCopiedMovedAndDestroyed)
{
    RandomUniform source;
    source.Seed(7);
    ParametersCombat original = MakeStoredAttack(source);
    EXPECT_EQ(original.accumulator.GetStorageBlockCount(), 1u);
    EXPECT_EQ(TotalAbsolute(original.accumulator), 135.0f);
    EXPECT_EQ(original.accumulator.GetDefenses().size(), 1u);
    original.accumulator.GetRandomGen().IGenerate(0, 100);

    // A copy clones into storage of its own and is seeded afresh.
    const ParametersCombat copy(original);
    EXPECT_EQ(TotalAbsolute(copy.accumulator), 135.0f);
    EXPECT_NE(copy.accumulator.GetDamages()[0].get(), original.accumulator.GetDamages()[0].get());
    EXPECT_EQ(copy.accumulator.GetDamages()[3]->GetType(), CombatAttributeType_Fire);

    // A move takes the very objects and the generator where it stood.
    const CombatAttribute* first = original.accumulator.GetDamages()[0].get();
    RandomUniform expected = original.accumulator.GetRandomGen();
    ParametersCombat moved(std::move(original));
    EXPECT_EQ(moved.accumulator.GetDamages()[0].get(), first);
    EXPECT_EQ(moved.accumulator.GetRandomGen().IGenerate(0, 100), expected.IGenerate(0, 100));
    EXPECT_TRUE(original.accumulator.IsEmpty());   // NOLINT: moved-from is left empty
    EXPECT_EQ(original.accumulator.GetStorageBlockCount(), 0u);
    EXPECT_EQ(moved.auraName, copy.auraName);

    // Move-assigning appends like copying, without clones; the storage comes along.
    ParametersCombat target(source);
    target.accumulator.AddDamage(target.Make<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 1.0f));
    {
        ParametersCombat donor = MakeStoredAttack(source);
        for (int i = 0; i < 40; ++i)   // past the first block
            donor.accumulator.AddDamage(donor.Make<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 1.0f));
        EXPECT_GT(donor.accumulator.GetStorageBlockCount(), 1u);
        target = std::move(donor);
    }
    EXPECT_EQ(target.accumulator.GetDamages().size(), 45u);
    EXPECT_EQ(TotalAbsolute(target.accumulator), 1.0f + 135.0f + 40.0f);
    target.accumulator.ProcessDamage(*MakeCombatCharacter(), 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(TotalAbsolute(target.accumulator), 1.0f + 138.5f + 40.0f);   // fire and fire took 10%

    // Copy-assigning keeps what the target holds beside the clones.
    moved = copy;
    EXPECT_EQ(TotalAbsolute(moved.accumulator), 270.0f);
    CombatAttributeAccumulator& alias = moved.accumulator;
    moved.accumulator = std::move(alias);
    EXPECT_EQ(TotalAbsolute(moved.accumulator), 270.0f);

    // Cleared, the storage starts over in its first block.
    target.accumulator.Clear();
    EXPECT_EQ(target.accumulator.GetStorageBlockCount(), 1u);
    target.accumulator.AddDamage(target.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 2.0f));
    EXPECT_EQ(TotalAbsolute(target.accumulator), 2.0f);
}

TEST_F(CombatAttributeAccumulatorTest, ObjectsOfOneAttackHandedToAnotherAreItsOwn)
{
    CombatAttributeAccumulator keeper;
    {
        CombatAttributeAccumulator maker;
        keeper.AddDamage(maker.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 12.0f));
        keeper.AddDefense(maker.Clone(CombatAttributeAbsDefense(CombatAttributeType_Fire, 50.0f)));
    }
    EXPECT_EQ(TotalAbsolute(keeper), 12.0f);
    keeper.ExecuteDefense();
    EXPECT_EQ(TotalAbsolute(keeper), 6.0f);

    // An object made and never added is destroyed with its pointer.
    CombatAttributePtr loose = keeper.Make<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 1.0f);
    loose.reset();
    EXPECT_FALSE(loose);
}

// Objects made in place are the attack's own and listed by their own type (the weapon's
// physical hit answers as piercing physical damage, whatever it was made with).
TEST_F(CombatAttributeAccumulatorTest, ObjectsMadeInPlaceAreListedByTheirOwnType)
{
    CombatAttributeAccumulator accumulator;
    accumulator.MakeDamage<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Unknown, 100.0f, 0.0f, false);
    accumulator.MakeDamage<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 10.0f);
    accumulator.MakeDamageModifier<CombatAttributeAbsDamageMod>(CombatAttributeType_Fire, 20.0f);
    ASSERT_EQ(accumulator.GetDamages().size(), 2u);
    ASSERT_EQ(accumulator.GetDamageModifiers().size(), 1u);
    EXPECT_FALSE(accumulator.GetDamages()[0].IsOnHeap());
    EXPECT_EQ(accumulator.GetStorageBlockCount(), 1u);

    float absolute = 0.0f, overTime = 0.0f;
    accumulator.GetTotalDamageType(absolute, overTime, CombatAttributeType_PhysicalPierce);
    EXPECT_EQ(absolute, 100.0f);
    absolute = 0.0f;
    accumulator.GetTotalDamageType(absolute, overTime, CombatAttributeType_Unknown);
    EXPECT_EQ(absolute, 0.0f);
    absolute = 0.0f;
    accumulator.GetTotalDamageType(absolute, overTime, CombatAttributeType_Fire);
    EXPECT_EQ(absolute, 10.0f);
}

// The storage of an attack that is gone serves the next attacks on the thread, a few
// blocks at most; a block grown past the first size is not kept.
TEST_F(CombatAttributeAccumulatorTest, StorageOfAttacksThatAreGoneServesTheNext)
{
    constexpr size_t kKept = CombatAttributeArena::kMaxSpareBlocks;
    {
        std::vector<std::unique_ptr<CombatAttributeAccumulator>> alive;
        for (size_t i = 0; i < kKept + 2; ++i) {
            alive.push_back(std::make_unique<CombatAttributeAccumulator>());
            alive.back()->AddDamage(alive.back()->Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 1.0f));
        }
        EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), 0u);
    }
    EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), kKept);

    {
        CombatAttributeAccumulator next;
        next.AddDefense(next.Make<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 50.0f));
        next.AddDamage(next.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 12.0f));
        EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), kKept - 1);
        EXPECT_EQ(next.GetStorageBlockCount(), 1u);
        next.ExecuteDefense();
        EXPECT_EQ(TotalAbsolute(next), 6.0f);

        // Grown past its first block, the accumulator gives back only that one.
        CombatAttributeAccumulator grown;
        for (int i = 0; i < 60; ++i)
            grown.AddDamage(grown.Make<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 1.0f));
        EXPECT_GT(grown.GetStorageBlockCount(), 1u);
        EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), kKept - 2);
        grown.Clear();
        EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), kKept - 2);
    }
    EXPECT_EQ(CombatAttributeArena::GetSpareBlockCount(), kKept);
}

// A thread keeps storage of its own, freed when the thread ends (the leak checker of the
// sanitizer build fails the run otherwise).
TEST_F(CombatAttributeAccumulatorTest, StorageKeptByAThreadGoesWithIt)
{
    size_t keptThere = 0;
    std::thread worker([&keptThere] {
        {
            CombatAttributeAccumulator there;
            there.AddDamage(there.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 1.0f));
        }
        keptThere = CombatAttributeArena::GetSpareBlockCount();
    });
    worker.join();
    EXPECT_EQ(keptThere, 1u);
}

// Reflection carries the reflectable damage and, when asked, the defences; never the
// damage modifiers.
TEST_F(CombatAttributeAccumulatorTest, ReflectionCopyClonesOnlyWhatReflectionCarries)
{
    RandomUniform source;
    source.Seed(7);
    const ParametersCombat arrived = MakeStoredAttack(source);
    const ParametersCombat withDefenses(arrived, CombatAttributeAccumulator::ReflectionClones{.defenses = true});
    EXPECT_EQ(withDefenses.accumulator.GetDamages().size(), 3u);   // the fear stays behind
    EXPECT_EQ(withDefenses.accumulator.GetDefenses().size(), 1u);
    EXPECT_EQ(withDefenses.accumulator.GetDefenseModifiers().size(), 1u);
    EXPECT_TRUE(withDefenses.accumulator.GetDamageModifiers().empty());
    EXPECT_EQ(withDefenses.auraName, arrived.auraName);
    EXPECT_EQ(withDefenses.randoms.Get(AttackRandoms::kDefenderSeed), arrived.randoms.Get(AttackRandoms::kDefenderSeed));
    EXPECT_EQ(withDefenses.accumulator.GetSeed(), arrived.accumulator.GetSeed());

    const ParametersCombat damageOnly(arrived, CombatAttributeAccumulator::ReflectionClones{.defenses = false});
    EXPECT_EQ(TotalAbsolute(damageOnly.accumulator), 135.0f);
    EXPECT_TRUE(damageOnly.accumulator.GetDefenses().empty());
    EXPECT_TRUE(damageOnly.accumulator.GetDefenseModifiers().empty());
}

// The randoms drawn in two goes are the seven an attack draws at once.
TEST_F(CombatAttributeAccumulatorTest, RandomsDrawnInTwoGoesAreTheSame)
{
    RandomUniform once;
    once.Seed(12345);
    const ParametersCombat whole(once);
    RandomUniform split;
    split.Seed(12345);
    AttackRandoms twice;
    twice.Fill(split, 0, 1);
    EXPECT_EQ(twice.Get(0), whole.randoms.Get(0));
    EXPECT_EQ(twice.Get(1), 0u);
    twice.Fill(split, 1);
    for (int i = 0; i < AttackRandoms::kCount; ++i)
        EXPECT_EQ(twice.Get(i), whole.randoms.Get(i)) << i;
    EXPECT_EQ(split.IGenerate(0, 32765), once.IGenerate(0, 32765));
}
