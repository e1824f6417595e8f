// One melee attack resolved end to end: a player's attack of physical, fire, cold and
// lightning damage is built and processed on the attacker's side, then a monster in
// armour with four resistances and a shield resolves it with the bundled combat record
// (dodge, hit roll, block, defences, damage, statistics, register of damage). The second
// run adds retaliation and half the hit reflected. Every heap allocation is counted.
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/WeaponArmor_Shield.h"

#include "AllocationCounter.h"

namespace GAME {

// Armour whose defences (and retaliation) are held as objects and cloned per attack into
// the attack's own storage, the way attribute stores add theirs.
class BenchArmor : public ItemEquipment {
    GAME_DECLARE_CLASS(BenchArmor)

public:
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const override
    {
        for (const auto& defense : defenses)
            accumulator.AddDefense(accumulator.Clone(*defense));
    }
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override
    {
        for (const auto& damage : retaliation)
            accumulator.AddDamage(accumulator.Clone(*damage));
    }

    std::vector<std::unique_ptr<CombatAttribute>> defenses;
    std::vector<std::unique_ptr<CombatAttribute>> retaliation;
};
GAME_IMPLEMENT_CLASS(BenchArmor, ItemEquipment)

}  // namespace GAME

namespace {

using namespace GAME;

constexpr float kLife = 1.0e9f;

// The build names the data folder by its full path: __FILE__ may be relative to the build
// folder, which would make the data root depend on where the program is run from (and,
// run from elsewhere, every record missing and every attack a miss).
std::string DataRoot() { return GAME_DATA_DIR; }

// The object world one benchmark runs in, made from the bundled data and torn down after.
struct ObjectWorld {
    ObjectWorld()
    {
        RecordDatabase::Get().SetDataRoot(DataRoot());
        InitializeObjects();
    }
    ~ObjectWorld()
    {
        ObjectManager::Get().DestroyAllObjects();
        ShutdownObjects();
    }
};

// Both sides live long with the bundled combat record; a human attacks an undead defender.
void PrepareCombatants(Player& attacker, Monster& defender)
{
    for (Character* character : {static_cast<Character*>(&attacker), static_cast<Character*>(&defender)}) {
        character->SetLifeLimit(kLife);
        character->SetCurrentLife(kLife);
        character->GetCombatManager().LoadRecord("Records/Game/Combat.dbr");
    }
    attacker.SetRace({"Human"});
    defender.SetRace({"Undead"});
    defender.SetTotalCharAttribute(CharAttributeType_DefensiveAbility, 90.0f);
}

// The defender wears the armour and holds a shield.
void EquipArmorAndShield(Monster& defender, const ItemEquipment& armor)
{
    auto* shield = DynamicCast<WeaponArmor_Shield>(ObjectManager::Get().CreateObject("WeaponArmor_Shield"));
    shield->SetShieldValues(30.0f, 25.0f, 40.0f, 0.0f);
    EquipManager& equipment = defender.GetCombatManager().GetEquipManager();
    equipment.AttachItemAction(armor.GetObjectId(), EquipLocation_UpperBody);
    equipment.AttachItemAction(shield->GetObjectId(), EquipLocation_LeftHand);
}

// Builds (and, if resolve, resolves) one attack per iteration; reports allocations, rate
// and the share of hits.
template <class ArenaT>
void MeasureAttacks(benchmark::State& state, ArenaT& arena, bool resolve)
{
    int hits = 0;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        ParametersCombat params = arena.BuildAttack();
        if (resolve)
            hits += arena.defender->TakeAttack(params) ? 1 : 0;
        arena.defender->SetCurrentLife(kLife);
        arena.attacker->SetCurrentLife(kLife);
    }
    ReportAllocations(state, before, "allocs_per_attack");
    state.counters["attacks_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["hit_share"] = benchmark::Counter(static_cast<double>(hits) / static_cast<double>(state.iterations()));
}

struct Arena {
    Player* attacker = nullptr;
    Monster* defender = nullptr;
    RandomUniform source;

    explicit Arena(bool answers)
    {
        ObjectManager& objects = ObjectManager::Get();
        attacker = DynamicCast<Player>(objects.CreateObject("Player"));
        defender = DynamicCast<Monster>(objects.CreateObject("Monster"));
        PrepareCombatants(*attacker, *defender);
        attacker->SetTotalCharAttribute(CharAttributeType_Strength, 120.0f);
        attacker->SetTotalCharAttribute(CharAttributeType_Intelligence, 80.0f);
        defender->SetTotalCharAttribute(CharAttributeType_DodgePercent, 5.0f);
        defender->SetTotalCharAttribute(CharAttributeType_EnergyAbsorptionPercent, 10.0f);

        auto* armor = DynamicCast<BenchArmor>(objects.CreateObject("BenchArmor"));
        armor->defenses.push_back(std::make_unique<CombatAttributeDefense_AbsorptionProtection>(
            40.0f, 60.0f, CombatAttributeRegion_Torso));
        for (CombatAttributeType type : {CombatAttributeType_Fire, CombatAttributeType_Cold,
                                         CombatAttributeType_Lightning, CombatAttributeType_Poison})
            armor->defenses.push_back(std::make_unique<CombatAttributeAbsDefense>(type, 20.0f));
        if (answers) {
            armor->defenses.push_back(std::make_unique<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, 50.0f));
            armor->retaliation.push_back(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 12.0f));
        }
        EquipArmorAndShield(*defender, *armor);
        source.Seed(1234567);
    }

    // What the attacker's skill does: the attack's damage, processed on its side.
    ParametersCombat BuildAttack()
    {
        ParametersCombat params(source);
        params.attackerId = attacker->GetObjectId();
        params.combatType = ParametersCombatStyle::Probability;
        params.offensiveAbility = 140.0f;
        params.manaCost = 12.0f;
        CombatAttributeAccumulator& accumulator = params.accumulator;
        accumulator.AddDamage(
            params.Make<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, 120.0f, 20.0f, true));
        accumulator.AddDamage(params.Make<CombatAttributeAbsDamageElemental>(CombatAttributeType_Fire, 30.0f));
        accumulator.AddDamage(params.Make<CombatAttributeAbsDamageElemental>(CombatAttributeType_Cold, 25.0f));
        accumulator.AddDamage(params.Make<CombatAttributeAbsDamageElemental>(CombatAttributeType_Lightning, 20.0f));
        accumulator.ProcessDamage(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
        return params;
    }
};


void RunAttacks(benchmark::State& state, bool answers, bool resolve)
{
    ObjectWorld world;
    Arena arena(answers);
    MeasureAttacks(state, arena, resolve);
}

void BM_AttackEndToEnd(benchmark::State& state) { RunAttacks(state, false, true); }
void BM_AttackWithRetaliationAndReflection(benchmark::State& state) { RunAttacks(state, true, true); }
// The attacker's side alone, to read the defender's share off the two above.
void BM_BuildAttackOnly(benchmark::State& state) { RunAttacks(state, false, false); }

BENCHMARK(BM_AttackEndToEnd);
BENCHMARK(BM_AttackWithRetaliationAndReflection);
BENCHMARK(BM_BuildAttackOnly);

}  // namespace

// ---- An attack between characters equipped from records -----------------------------
//
// The attacker's sword is an item rebuilt from its base, prefix and suffix records and a
// seed; the defender, made from its own record, wears armour rebuilt the same way (its
// protection, resistances and retaliation) and the rest of the bundled outfit, holds a shield, knows a passive skill and
// takes the monster attribute pack's defences. Every damage and defence of the attack
// comes from attribute stores, added in the attack's storage.
// (Its includes stand here, with the benchmark they serve.)

#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// A monster whose game-balance defences come from the game engine's monster pack.
class BenchPackMonster : public Monster {
    GAME_DECLARE_CLASS(BenchPackMonster)

public:
    static constexpr unsigned kBalanceLevel = 2;
    void ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const override
    {
        gGameEngine->GetMonsterAttributePak().GetDefenseAttributes(accumulator, kBalanceLevel);
    }
};
GAME_IMPLEMENT_CLASS(BenchPackMonster, Monster)

}  // namespace GAME

namespace {

ItemEquipment* CreateBenchItem(const char* base, const char* prefix, const char* suffix, uint32_t seed)
{
    ItemReplicaInfo replica;
    replica.baseName = base;
    replica.prefixName = prefix;
    replica.suffixName = suffix;
    replica.seed = seed;
    return DynamicCast<ItemEquipment>(Item::CreateItem(replica));
}

struct StoreArena {
    Player* attacker = nullptr;
    BenchPackMonster* defender = nullptr;
    ItemEquipment* sword = nullptr;
    RandomUniform source;

    StoreArena()
    {
        ObjectManager& objects = ObjectManager::Get();
        attacker = DynamicCast<Player>(objects.CreateObject("Player"));
        defender = DynamicCast<BenchPackMonster>(objects.CreateObject("BenchPackMonster"));
        defender->Load(*objects.LoadTableFile("Records/Creatures/ArenaMonster.dbr"));
        PrepareCombatants(*attacker, *defender);

        sword = CreateBenchItem("Records/Item/ArenaSword.dbr", "Records/Item/Affix/PrefixKeen.dbr",
                                "Records/Item/Affix/SuffixOfEmbers.dbr", 777);
        attacker->GetCombatManager().GetEquipManager().AttachItemAction(sword->GetObjectId(), EquipLocation_RightHand);

        // Armour with protection, resistances and retaliation.
        ItemEquipment* armor = CreateBenchItem("Records/Item/ArenaMail.dbr", "Records/Item/Affix/PrefixSturdy.dbr",
                                               "Records/Item/Affix/SuffixOfWarding.dbr", 4711);
        EquipArmorAndShield(*defender, *armor);
        // The rest of the bundled outfit.
        EquipManager& equipment = defender->GetCombatManager().GetEquipManager();
        for (const auto& [record, location] : {std::pair{"Records/Item/Armor/Helm.dbr", EquipLocation_Head},
                                              std::pair{"Records/Item/Armor/Greaves.dbr", EquipLocation_LowerBody},
                                              std::pair{"Records/Item/Armor/Armband.dbr", EquipLocation_Forearm},
                                              std::pair{"Records/Item/Armor/Ring.dbr", EquipLocation_Finger},
                                              std::pair{"Records/Item/Armor/Amulet.dbr", EquipLocation_Neck}})
            if (ItemEquipment* piece = CreateBenchItem(record, "", "", 99))
                equipment.AttachItemAction(piece->GetObjectId(), location);
        auto* toughness = objects.CreateObjectFromFile<Skill>("Records/Skills/ArenaToughness.dbr");
        toughness->SetSkillLevel(2);
        defender->GetSkillManager().AddToActiveList(toughness);
        source.Seed(1234567);
    }

    // What the attacker's weapon skill does: the sword's damage, then its modifiers,
    // processed on the attacker's side.
    ParametersCombat BuildAttack()
    {
        ParametersCombat params(source);
        params.attackerId = attacker->GetObjectId();
        params.combatType = ParametersCombatStyle::Probability;
        params.offensiveAbility = 140.0f;
        sword->GetOffensiveDamageAttributes(params.accumulator);
        sword->GetOffensiveModifierAttributes(params.accumulator);
        params.accumulator.ProcessDamage(*attacker, 0.0f, 0.0f, 0.0f, 0.0f);
        return params;
    }
};

void BM_AttackFromStores(benchmark::State& state)
{
    ObjectWorld world;
    StoreArena arena;
    size_t defenses = 0;
    {
        // What the defender's stores add to one attack, counted once.
        CombatAttributeAccumulator probe;
        probe.SetSeed(1);
        arena.defender->GetAllDefenseAttributes(probe);
        defenses = probe.GetDefenses().size() + probe.GetDefenseModifiers().size();
    }
    MeasureAttacks(state, arena, true);
    state.counters["defenses_per_attack"] = benchmark::Counter(static_cast<double>(defenses));
}

BENCHMARK(BM_AttackFromStores);

}  // namespace
