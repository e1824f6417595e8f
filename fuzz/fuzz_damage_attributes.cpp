// Damage attributes from any record text: every kind loads from it, then takes jitter and
// scaling (both percents from the input), writes its texts at levels 0, 1 and the
// largest, adds its cost, and adds its damage and modifiers to a seeded attack. Then the
// text is split into a base, a prefix and a suffix record, and every store kind (offensive
// and retaliation, equipment as weapon and as armour, skill, and a skill profile) loads
// from them, is scaled, priced, written and offered to attacks at the same levels; the
// weapon's store is written at every level and copied, moved and assigned to itself. Any
// number that comes out not finite is a failure.
//
// Nothing an input makes outlives it (the text lists keep only their capacity): the next
// input starts from the same state, and the fuzzer has no leak to look for.
//
// Input: the jitter percent, the scale percent (each four bytes of a float; one that is
// not finite counts as 0) and a seed byte, then the record text; a NUL byte ends the base
// record and a second one the prefix record.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/RetaliationAttributeKinds.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/skills/SkillProfile.h"
#include "fuzz/FuzzText.h"
#include "fuzz/FuzzOptions.h"

using namespace GAME;

namespace {

constexpr size_t kHeaderSize = 9;
constexpr unsigned kLevels[] = {0u, 1u, 4294967295u};

float FiniteFloat(const uint8_t* bytes)
{
    float value = 0.0f;
    std::memcpy(&value, bytes, sizeof(value));
    return std::isfinite(value) ? value : 0.0f;
}

void Require(bool finite)
{
    if (!finite)
        std::abort();
}

void RequireFinite(float value) { Require(std::isfinite(value)); }

// The object as class T when it is one. The family's own class tree answers with a walk
// of a few parents; a dynamic_cast compares the names of the C++ classes on the way, and
// every such comparison is a traced string compare here.
template <class T>
const T* As(const CombatAttribute& object)
{
    return object.IsA<T>() ? static_cast<const T*>(&object) : nullptr;
}

// The amount every kind that carries one holds: absolute, over time and bonus physical.
const CombatAttributeDamageAmount* AmountOf(const CombatAttribute& object)
{
    if (const auto* absolute = As<CombatAttributeAbsDamage>(object))
        return absolute;
    if (const auto* dot = As<CombatAttributeDurDamage>(object))
        return dot;
    return As<CombatAttributeDamage_BonusPhysical>(object);
}

void CheckObjects(const CombatAttributeList& objects)
{
    for (const auto& object : objects) {
        float absolute = 0.0f;
        float overTime = 0.0f;
        object->GetTotalDamage(absolute, overTime);
        RequireFinite(absolute);
        RequireFinite(overTime);
        if (const auto* amount = AmountOf(*object))
            RequireFinite(amount->GetDamage());
        if (const auto* dot = As<CombatAttributeDurDamage>(*object))
            RequireFinite(dot->GetDuration());
        if (const auto* burn = As<CombatAttributeAbsDamage_ManaBurn>(*object))
            RequireFinite(burn->GetRatio());
        if (const auto* hit = As<CombatAttributeDamage_BasePhysical>(*object)) {
            RequireFinite(hit->GetPhysical());
            RequireFinite(hit->GetPierceRatio());
        }
    }
}

// The three text lists, kept from check to check with their capacity. Checking empties
// them: lines left over would outlive the input, and an input that ends with more
// allocations than it freed is run again by the fuzzer to look for a leak.
struct TextLists {
    DamageAttribute::TextList first, second, third;

    void Check()
    {
        for (DamageAttribute::TextList* lines : {&first, &second, &third}) {
            for (const std::u16string& line : *lines)
                Require(!ShowsNonFinite(line));
            lines->clear();
        }
    }
};

TextLists& EmptyTexts()
{
    static TextLists texts;
    return texts;
}

// The texts of every level and of the level after it, from an attribute or a store.
template <class Source>
void CheckLevelTexts(const Source& source)
{
    TextLists& texts = EmptyTexts();
    for (unsigned level : kLevels) {
        source.CreateText(texts.first, texts.second, texts.third, level);
        source.CreateNextText(texts.first, texts.second, texts.third, level, level + 1u);
    }
    texts.Check();
}

void Exercise(DamageAttribute& attribute, float jitter, float scale, uint8_t seed)
{
    RandomUniform rng;
    rng.Seed(seed);
    attribute.AddJitter(jitter, &rng);
    attribute.ScaleAttribute(scale);

    CheckLevelTexts(attribute);
    // A hidden chance writes a fixed indent in place of the chance and changes no other
    // number, so one text shows it; every level's texts are checked above.
    attribute.SetHideChanceIndentLine(true);
    TextLists& hidden = EmptyTexts();
    attribute.CreateText(hidden.first, hidden.second, hidden.third, kLevels[0]);
    hidden.Check();

    CostInfo_DamageAttributes cost;
    attribute.GetCostInfo(cost);
    attribute.GetCostInfo(cost);
    for (float total : {cost.avgBase, cost.avgPierceRatio, cost.avgBonus, cost.avgOverTime, cost.mod, cost.modDur})
        RequireFinite(total);

    for (unsigned level : kLevels) {
        RequireFinite(attribute.GetChance(level));
        for (bool force : {false, true}) {
            CombatAttributeAccumulator acc;
            acc.SetSeed(seed + level);
            attribute.AddDamageToAccumulator(acc, level, acc.GetRandomGen(), force);
            attribute.AddModifierToAccumulator(acc, level, acc.GetRandomGen(), force);
            CheckObjects(acc.GetDamages());
        }
    }
}

void Offer(const DamageAttributeStore& store, uint8_t seed)
{
    for (unsigned level : kLevels) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(seed + level);
        store.AddDamageToAccumulator(acc, level);
        store.AddModifierToAccumulator(acc, level);
        CheckObjects(acc.GetDamages());
    }
}

// Scaled, then priced: every cost total must be finite.
template <class Store>
void ScaleAndPrice(Store& store, float scale)
{
    store.ScaleAttributes(scale);
    CostInfo_DamageAttributes cost;
    store.GetCostInfo(cost);
    for (float total : {cost.avgBase, cost.avgPierceRatio, cost.avgBonus, cost.avgOverTime, cost.mod, cost.modDur})
        RequireFinite(total);
}

// Scaled, priced and offered to attacks at every level, and written at level 1 (where a
// prefix's and a suffix's global chance show).
void CheckStore(DamageAttributeStore& store, float scale, uint8_t seed)
{
    ScaleAndPrice(store, scale);
    Offer(store, seed);
    TextLists& texts = EmptyTexts();
    store.CreateText(texts.first, texts.second, texts.third, 1u);
    store.CreateNextText(texts.first, texts.second, texts.third, 1u, 2u);
    texts.Check();
}

// As CheckStore, and written at every level; then copied, moved and assigned to itself, and
// the copy offered again. The last copies go when the function returns.
template <class Store>
void ExerciseStore(Store& store, float scale, uint8_t seed)
{
    ScaleAndPrice(store, scale);
    CheckLevelTexts(store);
    Offer(store, seed);

    Store copy(store);
    Store& self = copy;
    copy = self;
    Store moved(std::move(copy));
    Require(copy.GetAttributes().empty() && copy.GetGlobalAndAttributes().empty() &&
            copy.GetGlobalXorAttributes().empty());
    moved = std::move(self);   // self is the emptied copy
    moved = store;
    Offer(moved, seed);
}

// A store kind's copy, move and assignments, on empty stores.
template <class Store>
void CopyEmpty()
{
    Store store;
    Store copy(store);
    copy = store;
    Store moved(std::move(copy));
    moved = std::move(store);
}

// The records of the input text: a base, then a prefix and a suffix when NUL bytes end
// the ones before.
struct FuzzRecords {
    LoadTable base{"Records/Fuzz.dbr"};
    LoadTable prefix{"Records/FuzzPrefix.dbr"};
    LoadTable suffix{"Records/FuzzSuffix.dbr"};
    bool hasPrefix = false;
    bool hasSuffix = false;

    explicit FuzzRecords(std::string_view text)
    {
        LoadTable* records[] = {&base, &prefix, &suffix};
        for (int i = 0; i < 3; ++i) {
            const size_t end = i < 2 ? text.find('\0') : std::string_view::npos;
            const std::string_view part = text.substr(0, end);
            records[i]->Parse(part.data(), part.size(), records[i]->GetName());
            if (end == std::string_view::npos)
                return;
            text.remove_prefix(end + 1);
            (i == 0 ? hasPrefix : hasSuffix) = true;
        }
    }
};

void ExerciseStores(const FuzzRecords& records, float scale, uint8_t seed)
{
    const LoadTable* prefix = records.hasPrefix ? &records.prefix : nullptr;
    const LoadTable* suffix = records.hasSuffix ? &records.suffix : nullptr;
    // One generator lends every item load its jitter, in the order weapon, item
    // retaliation, armour.
    RandomUniform generator;
    generator.Seed(seed);
    DamageAttributeStore_Equipment weapon;
    weapon.SetRandomGen(&generator);
    weapon.Load(records.base, prefix, suffix, false);
    weapon.SetRandomGen(nullptr);
    // An item's retaliation loads the same classes whether it is armour or not: one load a
    // run, the flag from the seed.
    RetaliationAttributeStore_Equipment retaliation;
    retaliation.SetRandomGen(&generator);
    retaliation.Load(records.base, prefix, suffix, (seed & 1u) != 0);
    retaliation.SetRandomGen(nullptr);
    DamageAttributeStore_Equipment armour;
    armour.SetRandomGen(&generator);
    armour.Load(records.base, prefix, suffix, true);
    armour.SetRandomGen(nullptr);

    // The weapon's store holds what only a weapon loads, the prefix's and suffix's global
    // chances and both groups: it is written at every level and copied. Every store kind
    // shares that code, and every class writes its texts at every level above, so the
    // others are checked at level 1; their own copies and assignments are made empty.
    ExerciseStore(weapon, scale, seed);
    CheckStore(retaliation, scale, seed);
    CheckStore(armour, scale, seed);
    CopyEmpty<RetaliationAttributeStore_Equipment>();

    // The profile loads a skill's offensive and retaliation stores from the record with the
    // rest: those are the skill stores exercised, copied out of it.
    SkillProfile profile;
    profile.LoadProfile(records.base);
    DamageAttributeStore_Skill skill(profile.GetDamageAttrStore());
    CheckStore(skill, scale, seed);
    RetaliationAttributeStore_Skill skillRetaliation(profile.GetRetaliationAttrStore());
    CheckStore(skillRetaliation, scale, seed);
    CopyEmpty<DamageAttributeStore_Skill>();
    CopyEmpty<RetaliationAttributeStore_Skill>();

    SkillProfile copy(profile);
    profile = SkillProfile();
    for (unsigned level : kLevels) {
        CombatAttributeAccumulator acc;
        acc.SetSeed(seed);
        copy.GetRetaliationAttributes(acc, level);
        CheckObjects(acc.GetDamages());
    }
}

}  // namespace

// AddressSanitizer holds freed memory back from reuse for 256 MB of later frees unless told
// otherwise. A record of every key frees a few MB (its values, attributes, stores and
// texts), so 32 MB still holds everything freed during the last several inputs, and every
// use after free within an input is caught as before; with the default, a tenth of a long
// run went to faulting in fresh pages. ASAN_OPTIONS still overrides.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=32";
}

// Every key of every kind is read from each input, so an input's cost grows with its
// length: inputs are kept short, and the seed naming every key is split into parts.
constexpr size_t kMaxInputLength = 2048;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv, kMaxInputLength);
    gEngine->SetLogSink([](const LogLine&) {});
    LoadGameTexts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return 0;
    const float jitter = FiniteFloat(data);
    const float scale = FiniteFloat(data + 4);
    const uint8_t seed = data[8];
    const FuzzRecords records(
        std::string_view(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize));

    DamageAttributeStore store;
    for (auto kinds : {GetDamageAttributeKinds(), GetRetaliationAttributeKinds()})
        for (const DamageAttributeKind& kind : kinds)
            kind.load(store, records.base);
    for (const auto* list : {&store.GetAttributes(), &store.GetGlobalAndAttributes(), &store.GetGlobalXorAttributes()})
        for (const auto& attribute : *list)
            Exercise(*attribute, jitter, scale, seed);

    ExerciseStores(records, scale, seed);
    return 0;
}
