#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeTestUtil.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DefenseAttributeKinds.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillProfile.h"
#include "tests/TestDraws.h"

using namespace GAME;

// An accumulator whose chance tests pass or fail as told, counting them.
class DefenseChanceAccumulator : public CombatAttributeAccumulator {
public:
    bool EvaluateChance(float chance) override
    {
        chances.push_back(chance);
        return passes;
    }
    bool passes = true;
    std::vector<float> chances;
};

class DefenseAttributeTest : public ::testing::Test {
protected:
    static constexpr unsigned kTop = 4294967295u;

    void SetUp() override
    {
        LocalizationManager::Instance().Clear();
        LocalizationManager::Instance().RegisterTags("ChanceOfTag=[%.0f]\n"
                                                     "DefenseAbsorptionProtection=Armor %g\n"
                                                     "DefenseAbsorptionProtectionBonus=Armor+ %g\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        RecordDatabase::Get().Clear();
    }

    static std::unique_ptr<DefenseAttribute> Make(const std::string& name)
    {
        return MakeNamed(GetDefenseAttributeKinds(), name);
    }
    static std::unique_ptr<DefenseAttribute> Loaded(const std::string& name, const std::string& text,
                                                    bool keepEmpty = false)
    {
        auto attribute = Make(name);
        EXPECT_TRUE(attribute->LoadFromTable(Record(text), keepEmpty)) << name;
        return attribute;
    }
    static float DefenseValue(const CombatAttribute& defense)
    {
        float absolute = 0.0f, overTime = 0.0f;
        defense.GetTotalDefense(absolute, overTime);
        return absolute + overTime;
    }
    static std::vector<std::string> Names(const DefenseAttributeStore& store) { return ClassNames(store.GetAttributes()); }
    static std::pair<std::vector<std::string>, std::vector<std::string>> Texts(const DefenseAttributeStore& store,
                                                                               unsigned level)
    {
        DefenseAttribute::TextList base, bonus;
        store.CreateText(base, bonus, level);
        return {Utf8Lines(base), Utf8Lines(bonus)};
    }
    static std::vector<std::string> BonusLines(const DefenseAttribute& attribute, unsigned level)
    {
        DefenseAttribute::TextList base, bonus;
        attribute.CreateText(level, base, bonus);
        EXPECT_TRUE(base.empty());
        return Utf8Lines(bonus);
    }
};

// ---- Every leaf ---------------------------------------------------------------------

// Every leaf from a record of only its keys. The record writer's key follows the class
// name: "defensive", "Slow" for the leaches, the type, then "Duration" and "Modifier" as
// the family has them; the tag is the key with "Defense" for "defensive" and no "Slow".
TEST_F(DefenseAttributeTest, EveryLeafReadsItsKeysAndAddsItsDefence)
{
    const std::string restricted = " Stun Trap Freeze Petrify Taunt Convert Fear Confusion ";
    size_t leaves = 0;
    for (const DefenseAttributeKind& kind : GetDefenseAttributeKinds()) {
        const std::string name = kind.name;
        const size_t bar = name.find('_');
        const std::string family = name.substr(16, bar - 16);   // after "DefenseAttribute"
        const std::string typeName = name.substr(bar + 1);
        if (family.empty() || typeName == "ElementalResistance")
            continue;   // the protection classes and the elemental resistance: below
        ++leaves;
        SCOPED_TRACE(name);
        const bool modifier = family.find("Mod") != std::string::npos;
        const std::string stem = typeName + (family.rfind("Dur", 0) == 0 ? "Duration" : "") + (modifier ? "Modifier" : "");
        const bool slow = typeName == "LifeLeach" || typeName == "ManaLeach";
        const std::string key = std::string("defensive") + (slow ? "Slow" : "") + stem;
        const std::string tag = "Defense" + stem;
        const std::string perAttack = family == "Misc"   ? "CombatAttributeDefenseMisc"
                                      : family == "Dur"    ? "CombatAttributeDurDefense"
                                      : family == "AbsMod" ? "CombatAttributeAbsDefenseMod"
                                      : family == "DurMod" ? "CombatAttributeDurDefenseMod"
                                      : restricted.find(" " + typeName + " ") != std::string::npos
                                          ? "CombatAttributeAbsDefenseRestricted"
                                          : "CombatAttributeAbsDefense";
        CombatAttributeType type = CombatAttributeType_ManaBurnRatio;   // the one type without a word
        for (uint32_t t = 0; t < kCombatAttributeTypeLast; ++t)
            if (GetCombatAttributeTypeWord(CombatAttributeType(t)) == "CombatAttributeType_" + typeName)
                type = CombatAttributeType(t);
        LocalizationManager::Instance().RegisterTags(tag + "=" + tag + " %g\n");

        auto attribute = Make(name);
        EXPECT_FALSE(attribute->LoadFromTable(Record("defensiveOther,5,\n"), false));
        attribute = Loaded(name, key + ",20,\n" + key + "Chance,30,\n");
        EXPECT_EQ(attribute->GetChance(1), 30.0f);
        EXPECT_EQ(attribute->GetType(), type);
        const bool silent = type == CombatAttributeType_PercentCurrentLife || type == CombatAttributeType_ManaBurnRatio;
        EXPECT_EQ(BonusLines(*attribute, 1),
                  silent ? std::vector<std::string>{} : std::vector<std::string>{"[30]" + tag + " 20"});

        DefenseChanceAccumulator acc;
        RandomUniform unused;
        attribute->AddToAccumulator(acc, 1, unused, false);
        EXPECT_EQ(acc.chances, std::vector<float>{30.0f});
        const CombatAttributeList& added = modifier ? acc.GetDefenseModifiers() : acc.GetDefenses();
        const CombatAttributeList& other = modifier ? acc.GetDefenses() : acc.GetDefenseModifiers();
        ASSERT_EQ(added.size(), 1u);
        EXPECT_TRUE(other.empty());
        EXPECT_EQ(added[0]->GetClassInfo().GetName(), perAttack);
        EXPECT_EQ(added[0]->GetType(), type);
        if (!modifier) {
            EXPECT_EQ(DefenseValue(*added[0]), 20.0f);
        }
    }
    EXPECT_EQ(leaves, 54u);
}

TEST_F(DefenseAttributeTest, ElementalResistanceTestsOnceForItsThreeDefences)
{
    LocalizationManager::Instance().RegisterTags("DefenseElementalResistance=Elemental %g\n");
    auto elemental = Loaded("DefenseAttributeAbs_ElementalResistance",
                            "defensiveElementalResistance,20,\ndefensiveElementalResistanceChance,40,\n");
    EXPECT_EQ(BonusLines(*elemental, 1), std::vector<std::string>{"[40]Elemental 20"});
    RandomUniform unused;
    DefenseChanceAccumulator acc;
    elemental->AddToAccumulator(acc, 1, unused, false);
    EXPECT_EQ(acc.chances.size(), 1u);
    ASSERT_EQ(acc.GetDefenses().size(), 3u);
    const CombatAttributeType types[] = {CombatAttributeType_Cold, CombatAttributeType_Fire, CombatAttributeType_Lightning};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(acc.GetDefenses()[i]->GetClassInfo().GetName(), "CombatAttributeAbsDefense");
        EXPECT_EQ(acc.GetDefenses()[i]->GetType(), types[i]);
        EXPECT_EQ(DefenseValue(*acc.GetDefenses()[i]), 20.0f);
    }
    DefenseChanceAccumulator failing;
    failing.passes = false;
    elemental->AddToAccumulator(failing, 1, unused, false);
    EXPECT_EQ(failing.chances.size(), 1u);
    EXPECT_TRUE(failing.GetDefenses().empty());
    // Skipping the chance adds them without a test.
    DefenseChanceAccumulator skipped;
    skipped.passes = false;
    elemental->AddToAccumulator(skipped, 1, unused, true);
    EXPECT_TRUE(skipped.chances.empty());
    EXPECT_EQ(skipped.GetDefenses().size(), 3u);
}

// ---- Values, jitter, scaling, texts and costs ---------------------------------------

TEST_F(DefenseAttributeTest, ValuesByLevelAndTheLoneZero)
{
    auto fire = Loaded("DefenseAttributeAbs_Fire", "defensiveFire,10;20;30,\n");
    auto& typical = static_cast<DefenseAttribute_Typical&>(*fire);
    EXPECT_EQ(typical.GetValue(0), 0.0f);
    EXPECT_EQ(typical.GetValue(1), 10.0f);
    EXPECT_EQ(typical.GetValue(3), 30.0f);
    EXPECT_EQ(typical.GetValue(7), 30.0f);
    EXPECT_EQ(typical.GetValue(kTop), 30.0f);

    EXPECT_FALSE(Make("DefenseAttributeAbs_Fire")->LoadFromTable(Record("defensiveFire,0,\n"), false));
    auto kept = Loaded("DefenseAttributeAbs_Fire", "defensiveFire,0,\n", true);
    auto empty = Loaded("DefenseAttributeAbs_Fire", "", true);
    for (const auto* attribute : {kept.get(), empty.get()}) {
        CombatAttributeAccumulator acc;
        attribute->AddToAccumulator(acc, 2, acc.GetRandomGen(), false);
        ASSERT_EQ(acc.GetDefenses().size(), 1u);
        EXPECT_EQ(DefenseValue(*acc.GetDefenses()[0]), 0.0f);
    }
    // Two zeros are values.
    EXPECT_TRUE(Make("DefenseAttributeAbs_Fire")->LoadFromTable(Record("defensiveFire,0;0,\n"), false));
}

// The arithmetic of one draw and one scale step is the loot arithmetic's own (tested
// with the damage attributes); here: one draw per non-zero level, the held percent, no
// draw without a percent or a generator, and scaling that leaves the chance.
TEST_F(DefenseAttributeTest, JitterDrawsPerLevelAndScaleMovesOnlyValues)
{
    auto fire = Loaded("DefenseAttributeAbs_Fire", "defensiveFire,100;0.5;0,\ndefensiveFireChance,50,\n");
    FixedDrawRandom rng;
    rng.draws = {-19, 1};
    fire->AddJitter(20.0f, &rng);
    EXPECT_EQ(rng.spreads, (std::vector<std::pair<int, int>>{{-19, 19}, {-1, 1}}));
    auto& typical = static_cast<DefenseAttribute_Typical&>(*fire);
    EXPECT_EQ(typical.GetValue(1), 81.0f);
    EXPECT_EQ(typical.GetValue(2), 1.5f);
    EXPECT_EQ(typical.GetValue(3), 0.0f);
    fire->AddJitter(80.0f, &rng);   // held to 50: 50 x 0.01 x 81 is 40.49
    EXPECT_EQ(rng.spreads[2], (std::pair<int, int>{-40, 40}));
    const size_t draws = rng.spreads.size();
    fire->AddJitter(0.0f, &rng);
    fire->AddJitter(-5.0f, &rng);
    fire->AddJitter(20.0f, nullptr);
    EXPECT_EQ(rng.spreads.size(), draws);

    auto scaled = Loaded("DefenseAttributeAbs_Fire", "defensiveFire,100,\ndefensiveFireChance,50,\n");
    scaled->ScaleAttribute(10.0f);
    EXPECT_EQ(static_cast<DefenseAttribute_Typical&>(*scaled).GetValue(1), 109.0f);
    EXPECT_EQ(scaled->GetChance(1), 50.0f);
}

TEST_F(DefenseAttributeTest, ValuesAtTheEndsOfTheFloatRangeStayFinite)
{
    const float largest = std::numeric_limits<float>::max();
    auto fire = Loaded("DefenseAttributeAbs_Fire", "defensiveFire,3e38;-3e38,\ndefensiveFireChance,100,\n");
    RandomUniform rng;
    rng.Seed(5);
    fire->AddJitter(50.0f, &rng);
    fire->ScaleAttribute(1.0e30f);
    auto& typical = static_cast<DefenseAttribute_Typical&>(*fire);
    EXPECT_TRUE(std::isfinite(typical.GetValue(1)));
    EXPECT_TRUE(std::isfinite(typical.GetValue(2)));
    CostInfo_DefenseAttributes cost;
    fire->GetCostInfo(cost);
    fire->GetCostInfo(cost);
    EXPECT_TRUE(std::isfinite(cost.absolute));
    EXPECT_LE(cost.absolute, largest);

    // Two sources of one resistance near the top of the range merge to the largest
    // float, not to infinity.
    DefenseAttributeStore_Skill twice;
    twice.Load(Record("defensiveFire,3e38,\n"));
    CombatAttributeAccumulator merged;
    twice.AddToAccumulator(merged, 1);
    twice.AddToAccumulator(merged, 1);
    ASSERT_EQ(merged.GetDefenses().size(), 1u);
    EXPECT_EQ(DefenseValue(*merged.GetDefenses()[0]), largest);

    DefenseAttributeStore_Equipment store;
    store.SetRandomGen(&rng);
    const LoadTable suffix = Record("defensiveProtection,3e38,\nlootRandomizerJitter,1e30,\n");
    store.Load(Record("defensiveProtection,3e38,\n"), nullptr, &suffix, true, CombatAttributeRegion_Torso);
    ASSERT_EQ(store.GetAttributes().size(), 1u);
    const auto& armor = static_cast<const DefenseAttribute_BaseProtectionAbsorption&>(store.GetAttributes()[0]);
    CostInfo_DefenseAttributes armorCost;
    armor.GetCostInfo(armorCost);
    EXPECT_TRUE(std::isfinite(armorCost.protection));
}

TEST_F(DefenseAttributeTest, TextsWriteTheChanceAndTheNextLevelWhatChanges)
{
    LocalizationManager::Instance().RegisterTags("DefenseCold=Cold %g\n");
    auto cold = Loaded("DefenseAttributeAbs_Cold", "defensiveCold,10;10;0,\ndefensiveColdChance,0;5;5,\n");
    EXPECT_EQ(BonusLines(*cold, 1), std::vector<std::string>{"Cold 10"});
    EXPECT_EQ(BonusLines(*cold, 2), std::vector<std::string>{"[5]Cold 10"});
    EXPECT_EQ(BonusLines(*cold, 3), std::vector<std::string>{});
    auto next = [&](unsigned level, unsigned nextLevel) {
        DefenseAttribute::TextList base, bonus;
        cold->CreateNextText(level, nextLevel, base, bonus);
        EXPECT_TRUE(base.empty());
        return Utf8Lines(bonus);
    };
    EXPECT_EQ(next(1, 2), std::vector<std::string>{"[5]Cold 10"});
    EXPECT_EQ(next(2, 2), std::vector<std::string>{});
    EXPECT_EQ(next(2, 3), std::vector<std::string>{"[5]Cold 0"});

    const std::pair<const char*, std::string> silentKinds[] = {
        {"DefenseAttributeAbs_ManaBurnRatio", "defensiveManaBurnRatio"},
        {"DefenseAttributeAbs_PercentCurrentLife", "defensivePercentCurrentLife"}};
    for (const auto& [silent, key] : silentKinds) {
        auto attribute = Loaded(silent, key + ",10;20,\n");
        EXPECT_EQ(BonusLines(*attribute, 1), std::vector<std::string>{});
        DefenseAttribute::TextList base, bonus;
        attribute->CreateNextText(1, 2, base, bonus);
        EXPECT_TRUE(base.empty() && bonus.empty());
        CostInfo_DefenseAttributes cost;
        attribute->GetCostInfo(cost);
        EXPECT_EQ(cost.absolute, 10.0f);
        EXPECT_EQ(cost.count, 1u);
    }
}

TEST_F(DefenseAttributeTest, CostsWeighTheChanceAndGoToTheFamilyTotal)
{
    CostInfo_DefenseAttributes cost;
    Loaded("DefenseAttributeAbs_Fire", "defensiveFire,40,\ndefensiveFireChance,50,\n")->GetCostInfo(cost);
    EXPECT_EQ(cost.absolute, 20.0f);
    Loaded("DefenseAttributeAbs_Stun", "defensiveStun,40,\n")->GetCostInfo(cost);
    EXPECT_EQ(cost.absolute, 60.0f);
    Loaded("DefenseAttributeDur_Fire", "defensiveFireDuration,7,\n")->GetCostInfo(cost);
    Loaded("DefenseAttributeAbsMod_Fire", "defensiveFireModifier,3,\n")->GetCostInfo(cost);
    Loaded("DefenseAttributeDurMod_Fire", "defensiveFireDurationModifier,2,\n")->GetCostInfo(cost);
    Loaded("DefenseAttributeMisc_Reflect", "defensiveReflect,5,\n")->GetCostInfo(cost);
    Loaded("DefenseAttributeAbs_Cold", "defensiveCold,0;9,\n")->GetCostInfo(cost);   // 0 at level 1: no count
    EXPECT_EQ(cost.absolute, 65.0f);
    EXPECT_EQ(cost.duration, 7.0f);
    EXPECT_EQ(cost.absoluteModifier, 3.0f);
    EXPECT_EQ(cost.durationModifier, 2.0f);
    EXPECT_EQ(cost.protection, 0.0f);
    EXPECT_EQ(cost.count, 6u);
}

// ---- The stores ---------------------------------------------------------------------

TEST_F(DefenseAttributeTest, StoresLoadTheirKindsInTheirOrder)
{
    RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    const LoadTable* every = RecordDatabase::Get().Load("Records/Item/EveryDefenseKey.dbr");
    ASSERT_NE(every, nullptr);
    RecordDatabase::Get().SetDataRoot("");

    DefenseAttributeStore_Equipment item;
    item.Load(*every, nullptr, nullptr, true, CombatAttributeRegion_Head);
    DefenseAttributeStore_Skill skill;
    skill.Load(*every);
    DefenseAttributeStore_Character character;
    character.Load(*every);
    const std::vector<std::string> itemNames = Names(item);
    const std::vector<std::string> skillNames = Names(skill);
    ASSERT_EQ(itemNames.size(), 53u);
    ASSERT_EQ(skillNames.size(), 56u);
    EXPECT_EQ(itemNames.front(), "DefenseAttribute_BaseProtectionAbsorption");
    EXPECT_EQ(skillNames.front(), "DefenseAttribute_SkillProtectionAbsorption");
    // An item loads absolute modifier before duration physical; a skill the other way.
    EXPECT_EQ(std::vector<std::string>(itemNames.begin() + 4, itemNames.begin() + 6),
              (std::vector<std::string>{"DefenseAttributeAbsMod_Physical", "DefenseAttributeDur_Physical"}));
    EXPECT_EQ(std::vector<std::string>(skillNames.begin() + 4, skillNames.begin() + 6),
              (std::vector<std::string>{"DefenseAttributeDur_Physical", "DefenseAttributeAbsMod_Physical"}));
    // Otherwise the same order; only skills hold convert, mana burn ratio and percent of
    // current life.
    std::vector<std::string> skillOnly;
    std::vector<std::string> common;
    for (size_t i = 1; i < skillNames.size(); ++i) {
        const std::string& name = skillNames[i];
        if (name == "DefenseAttributeAbs_Convert" || name == "DefenseAttributeAbs_ManaBurnRatio" ||
            name == "DefenseAttributeAbs_PercentCurrentLife")
            skillOnly.push_back(name);
        else if (i != 4 && i != 5)
            common.push_back(name);
    }
    EXPECT_EQ(skillOnly, (std::vector<std::string>{"DefenseAttributeAbs_Convert", "DefenseAttributeAbs_ManaBurnRatio",
                                                   "DefenseAttributeAbs_PercentCurrentLife"}));
    std::vector<std::string> itemCommon(itemNames.begin() + 1, itemNames.end());
    itemCommon.erase(itemCommon.begin() + 3, itemCommon.begin() + 5);
    EXPECT_EQ(itemCommon, common);
    EXPECT_EQ(skillNames.back(), "DefenseAttributeAbs_PercentCurrentLife");
    EXPECT_EQ(Names(character).size(), 12u);

    // Loading again replaces; an item without its flag has no base protection.
    item.Load(Record("defensiveFire,5,\ndefensiveProtection,10,\n"), nullptr, nullptr, false, CombatAttributeRegion_Head);
    EXPECT_EQ(Names(item), std::vector<std::string>{"DefenseAttributeAbs_Fire"});
}

TEST_F(DefenseAttributeTest, EmptyRecordsGiveOneSilentSkillProtectionAndTwelveZeroResistances)
{
    DefenseAttributeStore_Skill skill;
    skill.Load(Record(""));
    ASSERT_EQ(Names(skill), std::vector<std::string>{"DefenseAttribute_SkillProtectionAbsorption"});
    EXPECT_EQ(Texts(skill, 1), (std::pair<std::vector<std::string>, std::vector<std::string>>{}));
    CombatAttributeAccumulator acc;
    skill.AddToAccumulator(acc, 1);
    EXPECT_TRUE(acc.GetDefenses().empty());

    DefenseAttributeStore_Character character;
    character.Load(Record(""));
    CombatAttributeAccumulator attack;
    character.AddToAccumulator(attack, 1);
    ASSERT_EQ(attack.GetDefenses().size(), 12u);
    for (const auto& defense : attack.GetDefenses())
        EXPECT_EQ(DefenseValue(*defense), 0.0f);
}

TEST_F(DefenseAttributeTest, PrefixAndSuffixJitterByTheirOwnRecordsAndTheSameSeedRebuildsTheSameValues)
{
    const LoadTable base = Record("defensiveFire,40,\n");
    const LoadTable prefix = Record("defensiveFire,40,\nlootRandomizerJitter,10,\n");
    const LoadTable suffix = Record("defensiveFire,40,\n");
    FixedDrawRandom rng;
    DefenseAttributeStore_Equipment store;
    store.SetRandomGen(&rng);
    store.Load(base, &prefix, &suffix, false, CombatAttributeRegion_FullyProtected);
    // Base at 20 percent, prefix at its own 10, the suffix without a key not at all.
    EXPECT_EQ(rng.spreads, (std::vector<std::pair<int, int>>{{-7, 7}, {-3, 3}}));
    EXPECT_EQ(store.GetAttributes().size(), 3u);

    auto values = [&](uint32_t seed) {
        RandomUniform seeded;
        seeded.Seed(seed);
        DefenseAttributeStore_Equipment item;
        item.SetRandomGen(&seeded);
        item.Load(base, &prefix, &suffix, false, CombatAttributeRegion_FullyProtected);
        std::vector<float> out;
        for (const auto& attribute : item.GetAttributes())
            out.push_back(static_cast<const DefenseAttribute_Typical&>(*attribute).GetValue(1));
        return out;
    };
    EXPECT_EQ(values(11), values(11));
    EXPECT_EQ(values(11)[2], 40.0f);
}

TEST_F(DefenseAttributeTest, StoresCopyDeepAndMoveAway)
{
    DefenseAttributeStore_Skill store;
    store.Load(Record("defensiveFire,10;20,\ndefensiveCold,5,\n"));
    RandomUniform rng;
    store.SetRandomGen(&rng);
    auto copy = std::make_unique<DefenseAttributeStore_Skill>(store);
    EXPECT_EQ(copy->GetRandomGen(), nullptr);
    DefenseAttributeStore_Skill assigned;
    assigned.Load(Record("defensiveLife,1,\n"));
    assigned = store;
    assigned = static_cast<const DefenseAttributeStore_Skill&>(assigned);
    for (const DefenseAttributeStore* other : {static_cast<const DefenseAttributeStore*>(copy.get()),
                                               static_cast<const DefenseAttributeStore*>(&assigned)}) {
        ASSERT_EQ(Names(*other), Names(store));
        for (size_t i = 0; i < store.GetAttributes().size(); ++i)
            EXPECT_NE(&other->GetAttributes()[i], &store.GetAttributes()[i]);
    }
    DefenseAttributeStore_Skill moved(std::move(*copy));
    EXPECT_TRUE(copy->GetAttributes().empty());
    copy.reset();
    CombatAttributeAccumulator acc;
    moved.AddToAccumulator(acc, 2);
    ASSERT_EQ(acc.GetDefenses().size(), 2u);
    EXPECT_EQ(DefenseValue(*acc.GetDefenses()[0]), 20.0f);
    DefenseAttributeStore_Skill target;
    target = std::move(moved);
    EXPECT_TRUE(moved.GetAttributes().empty());
    EXPECT_EQ(target.GetAttributes().size(), 3u);

    // A skill profile's copy copies its defence store.
    SkillProfile profile;
    profile.LoadProfile(Record("defensivePoison,30,\n"));
    auto profileCopy = std::make_unique<SkillProfile>(profile);
    SkillProfile kept(*profileCopy);
    profileCopy.reset();
    CombatAttributeAccumulator fromProfile;
    kept.GetDefenseAttributes(fromProfile, 1);
    ASSERT_EQ(fromProfile.GetDefenses().size(), 1u);
    EXPECT_EQ(fromProfile.GetDefenses()[0]->GetType(), CombatAttributeType_Poison);
}

// A store keeps each attribute's numbers of the level last asked for. What it adds must
// stay what the attributes themselves add (chance tests, chance multiplier, objects, in
// order) whichever level comes next and whatever changes the store meanwhile.
TEST_F(DefenseAttributeTest, StoresAddWhatTheirAttributesAddAcrossLevelsAndChanges)
{
    class Doubling : public DefenseChanceAccumulator {
    public:
        float GetChanceMultiplier(float) override { return 2.0f; }
    };
    using Added = std::vector<std::pair<CombatAttributeType, float>>;
    const auto listed = [](const Doubling& acc) {
        Added out;
        for (const CombatAttributeList* list : {&acc.GetDefenses(), &acc.GetDefenseModifiers()})
            for (const auto& object : *list)
                out.emplace_back(object->GetType(), DefenseValue(*object));
        return out;
    };
    // Through the store, and attribute by attribute; both with the same chances.
    const auto check = [&](const DefenseAttributeStore& store, unsigned level, bool passes, size_t expected) {
        Doubling viaStore, viaAttributes;
        viaStore.passes = viaAttributes.passes = passes;
        store.AddToAccumulator(viaStore, level);
        for (const auto& attribute : store.GetAttributes())
            attribute->AddToAccumulator(viaAttributes, level, viaAttributes.GetRandomGen(), false);
        EXPECT_EQ(listed(viaStore), listed(viaAttributes)) << "level " << level;
        EXPECT_EQ(viaStore.chances, viaAttributes.chances) << "level " << level;
        EXPECT_EQ(viaStore.GetDefenses().size() + viaStore.GetDefenseModifiers().size(), expected);
    };

    auto store = std::make_unique<DefenseAttributeStore_Skill>();
    store->Load(Record("defensiveFire,10;20;30,\ndefensiveFireChance,0;50;0,\ndefensiveCold,5,\n"
                       "defensiveColdModifier,5;6;7,\ndefensiveElementalResistance,1;2,\n"));
    check(*store, 1, true, 4);   // fire and cold merge into the elemental resistance's
    check(*store, 2, true, 4);
    check(*store, 2, false, 4);   // the fire's chance fails: the elemental's fire holds it
    check(*store, 1, true, 4);
    store->ScaleAttributes(50.0f);
    check(*store, 1, true, 4);
    store->AddAttribute(Loaded("DefenseAttributeAbs_Poison", "defensivePoison,8,\n"));
    check(*store, 1, true, 5);

    // A copy keeps no numbers that lead back to the original.
    auto copy = std::make_unique<DefenseAttributeStore_Skill>(*store);
    DefenseAttributeStore_Skill assigned;
    assigned.Load(Record("defensiveLife,1,\n"));
    check(assigned, 1, true, 1);
    assigned = *copy;
    store.reset();
    check(*copy, 1, true, 5);
    check(assigned, 1, true, 5);
    DefenseAttributeStore_Skill moved(std::move(*copy));
    copy.reset();
    check(moved, 3, true, 5);

    moved.Clear();
    check(moved, 3, true, 0);
    moved.Load(Record("defensiveBleeding,3,\n"));
    check(moved, 3, true, 1);
}

// ---- With the game engine: absorption and difficulty ---------------------------------

class DefenseAttributeEngineTest : public DefenseAttributeTest {
protected:
    void SetUp() override
    {
        DefenseAttributeTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "armorDefensiveAbsorption,0.5,\n");
        InitializeSeededObjects();
    }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        DefenseAttributeTest::TearDown();
    }
};

TEST_F(DefenseAttributeEngineTest, ArmourProtectsWithTheGameWideAbsorption)
{
    const LoadTable base = Record("defensiveProtection,10;12,\n");
    const LoadTable prefix = Record("defensiveProtection,4,\n");
    DefenseAttributeStore_Equipment armor;
    armor.Load(base, &prefix, nullptr, true, CombatAttributeRegion_Torso);
    ASSERT_EQ(armor.GetAttributes().size(), 1u);
    CombatAttributeAccumulator acc;
    armor.AddToAccumulator(acc, 1);
    ASSERT_EQ(acc.GetDefenses().size(), 1u);
    const auto& piece = static_cast<const CombatAttributeDefense_AbsorptionProtection&>(*acc.GetDefenses()[0]);
    EXPECT_EQ(piece.GetProtection(), 14.0f);
    EXPECT_EQ(piece.GetAbsorption(), 0.5f);
    EXPECT_EQ(piece.GetRegion(), CombatAttributeRegion_Torso);
    EXPECT_EQ(Texts(armor, 2), (std::pair<std::vector<std::string>, std::vector<std::string>>{{"Armor 12"}, {"Armor+ 4"}}));
    CostInfo_DefenseAttributes cost;
    armor.GetCostInfo(cost);
    EXPECT_EQ(cost.protection, 14.0f);
    EXPECT_EQ(cost.count, 1u);
    // Scaling moves the array only.
    armor.ScaleAttributes(50.0f);
    EXPECT_EQ(Texts(armor, 1).first, std::vector<std::string>{"Armor 14"});
    EXPECT_EQ(Texts(armor, 1).second, std::vector<std::string>{"Armor+ 4"});

    // Without protection of its own, the prefix's 5 still protects; only the bonus line.
    DefenseAttributeStore_Equipment bare;
    const LoadTable five = Record("defensiveProtection,5,\n");
    bare.Load(Record(""), &five, nullptr, true, CombatAttributeRegion_Legs);
    CombatAttributeAccumulator bareAttack;
    bare.AddToAccumulator(bareAttack, 1);
    ASSERT_EQ(bareAttack.GetDefenses().size(), 1u);
    EXPECT_EQ(static_cast<const CombatAttributeDefense_AbsorptionProtection&>(*bareAttack.GetDefenses()[0]).GetProtection(),
              5.0f);
    EXPECT_EQ(Texts(bare, 1), (std::pair<std::vector<std::string>, std::vector<std::string>>{{}, {"Armor+ 5"}}));

    // A skill's protection covers every region and shows the next level's.
    DefenseAttributeStore_Skill skill;
    skill.Load(Record("defensiveProtection,8;8;20,\n"));
    CombatAttributeAccumulator skillAttack;
    skill.AddToAccumulator(skillAttack, 1);
    ASSERT_EQ(skillAttack.GetDefenses().size(), 1u);
    EXPECT_EQ(static_cast<const CombatAttributeDefense_AbsorptionProtection&>(*skillAttack.GetDefenses()[0]).GetRegion(),
              CombatAttributeRegion_FullyProtected);
    EXPECT_EQ(Texts(skill, 1).second, std::vector<std::string>{"Armor 8"});
    DefenseAttribute::TextList base2, bonus2;
    skill.CreateNextText(base2, bonus2, 1, 2);
    EXPECT_TRUE(bonus2.empty());
    skill.CreateNextText(base2, bonus2, 2, 3);
    EXPECT_EQ(Utf8Lines(bonus2), std::vector<std::string>{"Armor 20"});
}

TEST_F(DefenseAttributeEngineTest, TheBioReadsItsResistancesAtTheDifficulty)
{
    CharacterBio bio;
    bio.Load(Record("defensiveFire,10;25,\ndefensivePierce,7,\n"));
    auto fireAt = [&]() {
        CombatAttributeAccumulator acc;
        bio.GetDefenseAttributes(acc);
        EXPECT_EQ(acc.GetDefenses().size(), 12u);
        return std::make_pair(acc.GetTotalDefenseType(CombatAttributeType_Fire),
                              acc.GetTotalDefenseType(CombatAttributeType_Pierce));
    };
    EXPECT_EQ(fireAt(), std::make_pair(10.0f, 7.0f));
    gGameEngine->SetGameDifficulty(GameDifficulty_Epic);
    EXPECT_EQ(fireAt(), std::make_pair(25.0f, 7.0f));
    gGameEngine->SetGameDifficulty(GameDifficulty_Legendary);
    EXPECT_EQ(fireAt(), std::make_pair(25.0f, 7.0f));
    gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
}

// Monsters and players hold every defence of an attack below their own cap of the game's
// record, at the game's difficulty; a restricted defence ignores reductions, not the cap.
TEST_F(DefenseAttributeEngineTest, DefencesHoldBelowTheCapOfTheSideAtTheDifficulty)
{
    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName,
                                         "monsterDefenseCap,80;70;60,\nplayerDefenseCap,75;65,\n");
    gGameEngine->LoadFromDatabase(kGameEngineRecordName);
    auto* monster = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    ASSERT_TRUE(monster && player);
    const auto held = [](Character& side) {
        CombatAttributeAccumulator acc;
        acc.AddDefense(acc.Make<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 90.0f));
        acc.AddDefense(acc.Make<CombatAttributeAbsDefenseRestricted>(CombatAttributeType_Stun, 95.0f));
        acc.AddDefense(acc.Make<CombatAttributeDurDefense>(CombatAttributeType_Fire, 99.0f));
        acc.ProcessDefense(side, 0.0f, 0.0f, 50.0f, 0.0f);
        std::vector<float> values;
        for (const auto& defense : acc.GetDefenses())
            values.push_back(defense->GetDefense());
        return values;
    };
    EXPECT_EQ(held(*monster), (std::vector<float>{45.0f, 80.0f, 80.0f}));
    EXPECT_EQ(held(*player), (std::vector<float>{45.0f, 75.0f, 75.0f}));
    gGameEngine->SetGameDifficulty(GameDifficulty_Epic);
    EXPECT_EQ(held(*monster), (std::vector<float>{45.0f, 70.0f, 70.0f}));
    gGameEngine->SetGameDifficulty(GameDifficulty_Legendary);
    EXPECT_EQ(held(*monster), (std::vector<float>{45.0f, 60.0f, 60.0f}));
    EXPECT_EQ(held(*player), (std::vector<float>{45.0f, 95.0f, 99.0f}));   // no cap at this difficulty
    gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
}
