// Damage attribute stores: the global chance per level, the draws of an offer in their
// order, the weighted XOR pick, group texts, the classes each store kind loads and their
// jitter order, and copies and moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeStoreTestUtil.h"
#include "Engine/LoadTable.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"

using namespace GAME;

// The stores' global chance, which only the stores and their kinds read.
class StoreChanceProbe : public DamageAttributeStore_Equipment {
public:
    using DamageAttributeStore::GetGlobalChance;
};

class DamageAttributeStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestFormats();
        LocalizationManager::Instance().RegisterTags("GlobalChanceOfAllTag=ALL\n"
                                                     "GlobalPercentChanceOfAllTag=ALL %g\n"
                                                     "GlobalChanceOfOneTag=ONE\n"
                                                     "GlobalPercentChanceOfOneTag=ONE %g\n");
        for (const char* tag : {"DamageFire", "DamageCold", "DamageLightning", "DamagePoison", "DamageLife"})
            RegisterDisplayTag(tag, false);
    }
    void TearDown() override { LocalizationManager::Instance().Clear(); }

    // A skill store loaded from record text.
    static DamageAttributeStore_Skill Skill(const std::string& text)
    {
        DamageAttributeStore_Skill store;
        store.Load(Record(text));
        return store;
    }

    // One offer of damage at the level, with the scripted draws.
    static void Offer(const DamageAttributeStore& store, StoreScriptedAccumulator& acc, std::deque<float> draws,
                      unsigned level = 1)
    {
        acc.random.draws = std::move(draws);
        store.AddDamageToAccumulator(acc, level);
    }
};

using StoreRanges = std::vector<std::pair<float, float>>;
using StoreObjectList = std::vector<std::pair<uint32_t, float>>;
using StoreSpreads = std::vector<std::pair<int, int>>;

// ---- Global chance ------------------------------------------------------------------

TEST_F(DamageAttributeStoreTest, GlobalChanceTakesTheLevelsEntryAndAnAffixAtLevelOne)
{
    StoreChanceProbe store;
    const LoadTable record = Record("offensiveGlobalChance,10;20;30,\n");
    store.Load(record, nullptr, nullptr, false);
    EXPECT_EQ(store.GetGlobalChance(0), 0.0f);
    EXPECT_EQ(store.GetGlobalChance(1), 10.0f);
    EXPECT_EQ(store.GetGlobalChance(5), 30.0f);

    // Prefix 0 and suffix 50: the suffix wins at level 1 only.
    const LoadTable prefix = Record("offensiveGlobalChance,0,\n");
    const LoadTable suffix = Record("offensiveGlobalChance,50,\n");
    StoreChanceProbe item;
    item.Load(Record("offensiveGlobalChance,30,\n"), &prefix, &suffix, false);
    EXPECT_EQ(item.GetGlobalChance(1), 50.0f);
    EXPECT_EQ(item.GetGlobalChance(2), 30.0f);
    EXPECT_EQ(item.GetGlobalChance(0), 0.0f);

    // Prefix 40 without a suffix.
    const LoadTable prefix40 = Record("offensiveGlobalChance,40,\n");
    StoreChanceProbe prefixed;
    prefixed.Load(Record("offensiveGlobalChance,30,\n"), &prefix40, nullptr, false);
    EXPECT_EQ(prefixed.GetGlobalChance(1), 40.0f);

    // The first array stays across Clear and a second load.
    store.Clear();
    store.Load(Record("offensiveGlobalChance,70,\n"), nullptr, nullptr, false);
    EXPECT_EQ(store.GetGlobalChance(1), 10.0f);
}

// ---- Offering to an attack ----------------------------------------------------------

// Plain attributes first, each rolling its own; one global roll, where a draw equal to
// the chance passes; the AND group forced; one weighted XOR pick, forced.
TEST_F(DamageAttributeStoreTest, OfferDrawsPlainThenGlobalThenAndThenOneXorPick)
{
    const DamageAttributeStore_Skill store = Skill(
        "offensiveGlobalChance,30,\n"
        "offensiveFireMin,5,\noffensiveFireMax,6,\n"
        "offensiveColdMin,7,\noffensiveColdMax,8,\noffensiveColdChance,50,\noffensiveColdGlobal,1,\n"
        "offensiveLightningMin,9,\noffensiveLightningMax,10,\noffensiveLightningChance,10,\n"
        "offensiveLightningGlobal,1,\noffensiveLightningXOR,1,\n"
        "offensivePoisonMin,11,\noffensivePoisonMax,12,\noffensivePoisonChance,30,\n"
        "offensivePoisonGlobal,1,\noffensivePoisonXOR,1,\n"
        "offensiveLifeMin,13,\noffensiveLifeMax,14,\noffensiveLifeChance,60,\n"
        "offensiveLifeGlobal,1,\noffensiveLifeXOR,1,\n");
    ASSERT_EQ(store.GetGlobalXorAttributes().size(), 3u);

    // Weights 10, 30, 60 and a pick of exactly 40: the second.
    StoreScriptedAccumulator acc;
    Offer(store, acc, {5.5f, 30.0f, 7.5f, 40.0f, 11.0f});
    EXPECT_EQ(acc.random.ranges, (StoreRanges{{5, 6}, {0, 100}, {7, 8}, {0, 100}, {11, 12}}));
    EXPECT_EQ(StoreObjects(acc.GetDamages()), (StoreObjectList{{6, 5.5f}, {5, 7.5f}, {7, 11.0f}}));
    EXPECT_EQ(acc.chanceTests, 0);

    // A pick of exactly 10 goes to the first; the global roll above the chance stops all.
    StoreScriptedAccumulator tie;
    Offer(store, tie, {5.5f, 0.0f, 7.5f, 10.0f, 9.0f});
    EXPECT_EQ(StoreObjects(tie.GetDamages()), (StoreObjectList{{6, 5.5f}, {5, 7.5f}, {8, 9.0f}}));
    StoreScriptedAccumulator missed;
    Offer(store, missed, {5.5f, 30.5f});
    EXPECT_EQ(missed.random.ranges, (StoreRanges{{5, 6}, {0, 100}}));
    EXPECT_EQ(StoreObjects(missed.GetDamages()), (StoreObjectList{{6, 5.5f}}));

    // The modifiers take the same walk and draw only the rolls.
    StoreScriptedAccumulator modifiers;
    modifiers.random.draws = {30.0f, 99.0f};
    store.AddModifierToAccumulator(modifiers, 1);
    EXPECT_EQ(modifiers.random.ranges, (StoreRanges{{0, 100}, {0, 100}}));
    EXPECT_TRUE(modifiers.GetDamages().empty());
}

TEST_F(DamageAttributeStoreTest, XorWeightsOfZeroLeaveOnlyTheFirstMember)
{
    const DamageAttributeStore_Skill zeros = Skill(
        "offensiveGlobalChance,100,\n"
        "offensiveFireMin,5,\noffensiveFireGlobal,1,\noffensiveFireXOR,1,\n"
        "offensiveColdMin,7,\noffensiveColdGlobal,1,\noffensiveColdXOR,1,\n");
    StoreScriptedAccumulator acc;
    Offer(zeros, acc, {100.0f, 0.0f, 5.0f});
    EXPECT_EQ(acc.random.ranges, (StoreRanges{{0, 100}, {0, 0}, {5, 5}}));
    EXPECT_EQ(StoreObjects(acc.GetDamages()), (StoreObjectList{{6, 5.0f}}));

    // A later member of weight 0 is never picked, even at the top of the range.
    const DamageAttributeStore_Skill later = Skill(
        "offensiveGlobalChance,100,\n"
        "offensiveFireMin,5,\noffensiveFireChance,20,\noffensiveFireGlobal,1,\noffensiveFireXOR,1,\n"
        "offensiveColdMin,7,\noffensiveColdGlobal,1,\noffensiveColdXOR,1,\n");
    StoreScriptedAccumulator top;
    Offer(later, top, {0.0f, 20.0f});
    EXPECT_EQ(StoreObjects(top.GetDamages()), (StoreObjectList{{6, 5.0f}}));
}

// An empty store leaves the attack's generator as it was; a positive global chance with
// empty groups still rolls once.
TEST_F(DamageAttributeStoreTest, EmptyStoreDrawsNothingAndEmptyGroupsDrawOnce)
{
    auto nextDraw = [](const DamageAttributeStore& store) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(99);
        store.AddDamageToAccumulator(acc, 1);
        store.AddModifierToAccumulator(acc, 1);
        EXPECT_TRUE(acc.GetDamages().empty());
        return acc.GetRandomGen().IGenerate(0, 1000000);
    };
    RandomUniform fresh;
    fresh.Seed(99);
    const int first = fresh.IGenerate(0, 1000000);
    fresh.IGenerate(0, 1);
    const int third = fresh.IGenerate(0, 1000000);
    EXPECT_EQ(nextDraw(DamageAttributeStore_Skill()), first);
    EXPECT_EQ(nextDraw(Skill("offensiveGlobalChance,0,\n")), first);
    // One global roll for the damage and one for the modifiers.
    EXPECT_EQ(nextDraw(Skill("offensiveGlobalChance,25,\n")), third);
}

// ---- Texts --------------------------------------------------------------------------

TEST_F(DamageAttributeStoreTest, GroupsWriteAHeaderAndIndentedMembersIntoTheSecondList)
{
    const std::string groups =
        "offensiveFireMin,5,\noffensiveFireChance,20,\n"
        "offensiveColdMin,7,\noffensiveColdChance,30,\noffensiveColdGlobal,1,\n"
        "offensivePoisonMin,9,\noffensivePoisonGlobal,1,\n"
        "offensiveLightningMin,4,\noffensiveLightningChance,50,\noffensiveLightningGlobal,1,\n"
        "offensiveLightningXOR,1,\n";
    const DamageAttributeStore_Skill certain = Skill("offensiveGlobalChance,100,\n" + groups);
    EXPECT_EQ(StoreLines(certain, 1)[1], (std::vector<std::string>{"ALL", ">{7}DamageCold", ">{9}DamagePoison",
                                                                   "ONE", ">{4}DamageLightning"}));
    EXPECT_EQ(StoreLines(certain, 1)[2], (std::vector<std::string>{"[20]{5}DamageFire"}));

    const DamageAttributeStore_Skill likely = Skill("offensiveGlobalChance,99.5;40,\n" + groups);
    EXPECT_EQ(StoreLines(likely, 1)[1], (std::vector<std::string>{"ALL 99.5", ">{7}DamageCold", ">{9}DamagePoison",
                                                                  "ONE 99.5", ">{4}DamageLightning"}));
    // The members show their own chance again afterwards.
    EXPECT_EQ(AttributeLines(*likely.GetGlobalAndAttributes()[0], 1), std::vector<std::string>{"[30]{7}DamageCold"});

    // The next level's text takes the next level's chance.
    DamageAttribute::TextList texts1, texts2, texts3;
    const DamageAttributeStore_Skill rising = Skill("offensiveGlobalChance,10;40,\n"
                                                    "offensiveColdMin,7;8,\noffensiveColdGlobal,1,\n");
    rising.CreateNextText(texts1, texts2, texts3, 1, 2);
    EXPECT_EQ(Utf8Lines(texts2), (std::vector<std::string>{"ALL 40", ">{8}DamageCold"}));

    // Members that write nothing (a hidden taunt) write no header either.
    const DamageAttributeStore_Skill hidden = Skill("offensiveGlobalChance,50,\n"
                                                    "offensiveTauntMin,3,\noffensiveTauntGlobal,1,\n");
    ASSERT_EQ(hidden.GetGlobalAndAttributes().size(), 1u);
    EXPECT_EQ(StoreLines(hidden, 1), (std::array<std::vector<std::string>, 3>{}));
}

// ---- Loading ------------------------------------------------------------------------

TEST_F(DamageAttributeStoreTest, EachStoreKindLoadsItsOwnClasses)
{
    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    const LoadTable* every = RecordDatabase::Get().Load("Records/Item/EveryDamageKey.dbr");
    ASSERT_NE(every, nullptr);
    DamageAttributeStore_Equipment weapon, armor;
    weapon.Load(*every, nullptr, nullptr, false);
    armor.Load(*every, nullptr, nullptr, true);
    DamageAttributeStore_Skill skill;
    skill.Load(*every);
    EXPECT_EQ(StoreSize(weapon), 72u);
    EXPECT_EQ(StoreSize(armor), 66u);
    EXPECT_EQ(StoreSize(skill), 70u);
    RecordDatabase::Get().Clear();
    RecordDatabase::Get().SetDataRoot("");

    const auto names = ClassNames(weapon.GetAttributes());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"DamageAttribute_BasePhysical", "DamageAttributeAbsBase_Fire",
                                        "DamageAttributeAbsBase_Cold"}));
    EXPECT_EQ(names.back(), "DamageAttributeAbs_Disruption");
    EXPECT_EQ(ClassNames(armor.GetAttributes()).front(), "DamageAttribute_Physical");
    const auto skillNames = ClassNames(skill.GetAttributes());
    EXPECT_EQ(std::vector<std::string>(skillNames.begin(), skillNames.begin() + 2),
              (std::vector<std::string>{"DamageAttribute_Physical", "DamageAttributeDur_Physical"}));
    EXPECT_EQ(skillNames[53], "DamageAttributeAbs_Disruption");
    EXPECT_EQ(skillNames.back(), "DamageAttributeDurMod_RunSpeed");

    // Taunt and trap load into a skill store only, whatever an item's record holds.
    const std::string effects = "offensiveTauntMin,3,\noffensiveTrapMin,2,\noffensiveFearMin,1,\n"
                                "offensiveSlowPhysicalMin,4,\noffensiveSlowPhysicalDurationMin,2,\n";
    for (bool isArmor : {false, true}) {
        DamageAttributeStore_Equipment item;
        item.Load(Record(effects), nullptr, nullptr, isArmor);
        EXPECT_EQ(StoreSize(item), isArmor ? 0u : 1u);   // a weapon's base physical only
    }
    EXPECT_EQ(ClassNames(Skill(effects).GetAttributes()),
              (std::vector<std::string>{"DamageAttributeDur_Physical", "DamageAttributeReflex_Trap",
                                        "DamageAttributeAbs_Taunt", "DamageAttributeAbs_Fear"}));

    // Global false with XOR true is plain.
    const DamageAttributeStore_Skill plain = Skill("offensiveFireMin,5,\noffensiveFireXOR,1,\n");
    EXPECT_EQ(plain.GetAttributes().size(), 1u);
}

// One generator through base, prefix and suffix, class by class: each record's attribute
// in turn, the base by 20 percent and each affix by its own "lootRandomizerJitter" (20
// percent of 500 moves it by up to 99, 30 by 149, 40 by 199). A weapon's base physical
// damage never jitters; armour's physical damage does.
TEST_F(DamageAttributeStoreTest, EquipmentJittersClassByClassBaseThenPrefixThenSuffix)
{
    const LoadTable base = Record("offensivePhysicalMin,100,\noffensiveFireMin,500,\noffensiveColdMin,5000,\n"
                                  "offensiveGlobalChance,40,\n");
    const LoadTable prefix = Record("lootRandomizerJitter,30,\noffensiveFireMin,500,\noffensiveColdMin,5000,\n");
    const LoadTable suffix = Record("lootRandomizerJitter,40,\noffensiveFireMin,500,\n"
                                    "offensiveColdMin,5000,\noffensiveColdGlobal,1,\n");
    StoreSpreadRecorder recorder;
    recorder.Seed(1234);
    DamageAttributeStore_Equipment weapon;
    weapon.SetRandomGen(&recorder);
    weapon.Load(base, &prefix, &suffix, false);
    EXPECT_EQ(recorder.spreads, (StoreSpreads{{-99, 99}, {-149, 149}, {-199, 199}, {-999, 999}, {-1499, 1499},
                                         {-1999, 1999}}));

    recorder.spreads.clear();
    DamageAttributeStore_Equipment armor;
    armor.SetRandomGen(&recorder);
    armor.Load(base, nullptr, nullptr, true);
    EXPECT_EQ(recorder.spreads, (StoreSpreads{{-19, 19}, {-99, 99}, {-999, 999}}));

    // The same seed gives the same item: the values of seed 1234, pinned.
    EXPECT_EQ(StoreLines(weapon, 1)[0], (std::vector<std::string>{"{100}DamageBasePhysical"}));
    EXPECT_EQ(StoreLines(weapon, 1)[1], (std::vector<std::string>{"ALL 40", ">{5853}DamageCold"}));
    EXPECT_EQ(StoreLines(weapon, 1)[2],
              (std::vector<std::string>{"{465}DamageFire", "{476}DamageFire", "{549}DamageFire",
                                        "{5646}DamageCold", "{4905}DamageCold"}));
}

// Loads again from records the database keeps copy what the first load read from each
// record: every load gives what copies of the records (never kept) give, draws included,
// until a record is registered again with other kinds.
TEST_F(DamageAttributeStoreTest, KeptRecordsLoadAsTheirCopiesUntilRegisteredAgain)
{
    struct Loaded {
        StoreSpreads spreads;
        std::array<std::vector<std::string>, 3> damage, retaliation;
        std::vector<std::string> defense;
        bool operator==(const Loaded&) const = default;
    };
    const auto load = [](const LoadTable& base, const LoadTable& prefix, const LoadTable& suffix) {
        StoreSpreadRecorder recorder;
        recorder.Seed(99);
        DamageAttributeStore_Equipment damage;
        RetaliationAttributeStore_Equipment retaliation;
        DefenseAttributeStore_Equipment defense;
        damage.SetRandomGen(&recorder);
        retaliation.SetRandomGen(&recorder);
        defense.SetRandomGen(&recorder);
        damage.Load(base, &prefix, &suffix, false);
        retaliation.Load(base, &prefix, &suffix, false);
        defense.Load(base, &prefix, &suffix, false, CombatAttributeRegion{});
        std::vector<std::string> kinds;
        for (const auto& attribute : defense.GetAttributes())
            kinds.push_back(attribute->GetClassInfo().GetName());
        return Loaded{recorder.spreads, StoreLines(damage, 1), StoreLines(retaliation, 1), kinds};
    };
    const std::string names[] = {"Records/Kept/Base.dbr", "Records/Kept/Prefix.dbr", "Records/Kept/Suffix.dbr"};
    const std::string first[] = {"offensiveFireMin,500,\ndefensiveFire,30,\n",
                                 "lootRandomizerJitter,30,\noffensiveColdMin,5000,\ndefensiveCold,20,\n",
                                 "lootRandomizerJitter,40,\noffensiveFireMin,500,\nretaliationFireMin,8,\n"};
    const std::string second[] = {"offensiveColdMin,700,\nretaliationFireMin,9,\n", first[1],
                                  "lootRandomizerJitter,40,\ndefensiveFire,10,\noffensiveLifeMin,40,\n"};
    RecordDatabase& records = RecordDatabase::Get();
    for (const auto* texts : {first, second}) {
        const LoadTable* kept[3];
        for (int i = 0; i < 3; ++i)
            kept[i] = records.RegisterRecord(names[i], texts[i]);
        const Loaded copies = load(Record(texts[0]), Record(texts[1]), Record(texts[2]));
        EXPECT_FALSE(copies.spreads.empty());
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(load(*kept[0], *kept[1], *kept[2]), copies) << "round " << round;
    }
    records.Clear();
}

// ---- Copies and moves ---------------------------------------------------------------

TEST_F(DamageAttributeStoreTest, CopiesAreDeepAndMovesLeaveTheSourceEmpty)
{
    const std::string text = "offensiveFireMin,5,\noffensiveFireMax,9,\noffensiveFireChance,50,\n"
                             "offensiveColdMin,7,\noffensiveColdMax,8,\noffensiveColdGlobal,1,\n"
                             "offensiveLightningMin,1,\noffensiveLightningMax,20,\noffensiveLightningChance,30,\n"
                             "offensiveLightningGlobal,1,\noffensiveLightningXOR,1,\n"
                             "offensivePoisonMin,2,\noffensivePoisonChance,70,\noffensivePoisonGlobal,1,\n"
                             "offensivePoisonXOR,1,\n";
    const LoadTable suffix = Record("offensiveGlobalChance,60,\n");
    RandomUniform generator;
    auto load = [&](DamageAttributeStore_Equipment& store) {
        generator.Seed(5);
        store.SetRandomGen(&generator);
        store.Load(Record(text), nullptr, &suffix, true);
    };
    auto attack = [](const DamageAttributeStore& store, uint32_t seed) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(seed);
        store.AddDamageToAccumulator(acc, 1);
        return std::make_pair(StoreObjects(acc.GetDamages()), acc.GetRandomGen().IGenerate(0, 1000000));
    };
    DamageAttributeStore_Equipment reference;
    load(reference);

    auto source = std::make_unique<DamageAttributeStore_Equipment>();
    load(*source);
    DamageAttributeStore_Equipment copy(*source);
    DamageAttributeStore_Equipment assigned;
    assigned = *source;
    source.reset();   // a shared attribute would now be freed twice
    for (const DamageAttributeStore* store : {&copy, &assigned}) {
        EXPECT_EQ(store->GetRandomGen(), nullptr);
        EXPECT_EQ(StoreLines(*store, 1), StoreLines(reference, 1));
        for (uint32_t seed : {1u, 2u, 3u, 4u})
            EXPECT_EQ(attack(*store, seed), attack(reference, seed));
    }

    // Assigning a store to itself, by copy or by move, changes nothing.
    DamageAttributeStore_Equipment& self = copy;
    copy = self;
    copy = std::move(self);
    EXPECT_EQ(StoreLines(copy, 1), StoreLines(reference, 1));
    EXPECT_EQ(attack(copy, 7), attack(reference, 7));

    // A move takes everything over and leaves the source as a new store.
    DamageAttributeStore_Equipment moved(std::move(copy));
    EXPECT_EQ(attack(moved, 8), attack(reference, 8));
    EXPECT_EQ(StoreSize(copy), 0u);
    EXPECT_EQ(attack(copy, 8), attack(DamageAttributeStore_Equipment(), 8));
    assigned = std::move(moved);
    EXPECT_EQ(attack(assigned, 9), attack(reference, 9));
    EXPECT_EQ(StoreSize(moved), 0u);

    // The retaliation stores copy the same way.
    RetaliationAttributeStore_Skill retaliation;
    retaliation.Load(Record("retaliationFireMin,3,\nretaliationGlobalChance,50,\nretaliationColdMin,4,\n"
                            "retaliationColdGlobal,1,\n"));
    RetaliationAttributeStore_Skill retaliationCopy;
    {
        const RetaliationAttributeStore_Skill scoped = retaliation;
        retaliationCopy = scoped;
    }
    EXPECT_EQ(attack(retaliationCopy, 3), attack(retaliation, 3));
}

TEST_F(DamageAttributeStoreTest, ScalingAndCostReachEveryList)
{
    DamageAttributeStore_Skill store = Skill("offensiveFireMin,100,\n"
                                             "offensiveColdMin,200,\noffensiveColdGlobal,1,\n"
                                             "offensivePoisonMin,300,\noffensivePoisonGlobal,1,\n"
                                             "offensivePoisonXOR,1,\n");
    store.ScaleAttributes(10.0f);
    EXPECT_EQ(AttributeLines(*store.GetAttributes()[0], 1), std::vector<std::string>{"{109}DamageFire"});
    EXPECT_EQ(AttributeLines(*store.GetGlobalAndAttributes()[0], 1), std::vector<std::string>{"{219}DamageCold"});
    EXPECT_EQ(AttributeLines(*store.GetGlobalXorAttributes()[0], 1), std::vector<std::string>{"{329}DamagePoison"});
    CostInfo_DamageAttributes cost;
    store.GetCostInfo(cost);
    EXPECT_EQ(cost.count, 3u);
    EXPECT_EQ(cost.avgBonus, 657.0f);
}
