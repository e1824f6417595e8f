// Attribute packs, item stores and racial bonuses from any record text: the input holds
// a base, a prefix and a suffix record. The base loads into a pack and a racial bonus;
// the three records load into an item's character, skill and defence stores with a
// seeded generator, which are then scaled, priced, copied and moved. Accumulations, texts
// and costs run at levels 0, 1 and the largest. Any number that comes out not finite is
// a failure.
//
// The same three records are then an item's: registered under temporary record names,
// the base (with the class the flags choose put first) is created as an item with the
// prefix and suffix as its affixes and the base again as the game-wide item-cost record,
// initialised a second time, priced and dumped; the base's five formula keys of a sword
// are parsed as formulas with the item answering their names, and evaluated.
//
// Input: a seed byte, a flags byte (bit 0: armour; bits 1 to 3: the item's class, 0 for
// the record's own; bit 4: the suffix is also named as the item's relic), the scale
// percent (four bytes of a float; one that is not finite counts as 0), then the records'
// text, the three records separated by zero bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemReplicaInfo.h"
#include "fuzz/FuzzText.h"

using namespace GAME;

namespace {

constexpr size_t kHeaderSize = 6;
constexpr unsigned kLevels[] = {0u, 1u, 4294967295u};

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

void RequireFinite(float value) { Require(std::isfinite(value)); }

void CheckTexts(const std::vector<std::u16string>& lines)
{
    for (const std::u16string& line : lines)
        Require(!ShowsNonFinite(line));
}

void CheckLines(const std::vector<GameTextLine>& lines)
{
    for (const GameTextLine& line : lines)
        Require(!ShowsNonFinite(line.text));
}

void CheckDefenses(const CombatAttributeAccumulator& acc)
{
    for (const CombatAttributeList* list : {&acc.GetDefenses(), &acc.GetDefenseModifiers()}) {
        for (const auto& defense : *list) {
            float absolute = 0.0f, overTime = 0.0f;
            defense->GetTotalDefense(absolute, overTime);
            RequireFinite(absolute);
            RequireFinite(overTime);
            RequireFinite(defense->GetDefense());
            if (const auto* armor = dynamic_cast<const CombatAttributeDefense_AbsorptionProtection*>(defense.get())) {
                RequireFinite(armor->GetProtection());
                RequireFinite(armor->GetAbsorption());
            }
        }
    }
}

void CheckDamages(const CombatAttributeAccumulator& acc)
{
    float absolute = 0.0f, overTime = 0.0f;
    acc.GetTotalDamage(absolute, overTime);
    RequireFinite(absolute);
    RequireFinite(overTime);
}

void CheckCharacters(const CharAttributeAccumulator& acc)
{
    for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type) {
        RequireFinite(acc.GetValue(CharAttributeType(type)));
        RequireFinite(acc.GetModifier(CharAttributeType(type)));
    }
}

void CheckSkills(const SkillAttributeAccumulator& acc)
{
    for (uint32_t type = 0; type < kSkillAttributeTypeCount; ++type)
        RequireFinite(acc.GetValue(SkillAttributeType(type)));
}

void CheckCosts(const CharAttributeStore& characters, const SkillAttributeStore& skills,
                const DefenseAttributeStore& defenses)
{
    CostInfo_CharacterAttributes characterCost;
    characters.GetCostInfo(characterCost);
    for (const CharAttributeCost* cost :
         {&characterCost.primaryValue, &characterCost.secondaryValue, &characterCost.plainValue,
          &characterCost.primaryModifier, &characterCost.secondaryModifier, &characterCost.plainModifier,
          &characterCost.attackSpeed, &characterCost.otherSpeed, &characterCost.attackSpeedModifier,
          &characterCost.otherSpeedModifier})
        RequireFinite(cost->sum);
    CostInfo_SkillAttributes skillCost;
    skills.GetCostInfo(skillCost);
    for (float total : {skillCost.valueSum, skillCost.prefixSuffixSum, skillCost.modifierSum})
        RequireFinite(total);
    CostInfo_DefenseAttributes defenseCost;
    defenses.GetCostInfo(defenseCost);
    for (float total : {defenseCost.protection, defenseCost.absolute, defenseCost.duration, defenseCost.absoluteModifier,
                        defenseCost.durationModifier})
        RequireFinite(total);
}

// The item's three stores at every level.
void Exercise(const CharAttributeStore& characters, const SkillAttributeStore& skills,
              const DefenseAttributeStore& defenses, uint8_t seed)
{
    // The base attack speed's line is a tag the record chooses, shown as it stands: its
    // letters may spell anything, so the character base lines are not searched.
    std::vector<std::u16string> base, bonus, recordChosen;
    for (unsigned level : kLevels) {
        CombatAttributeAccumulator attack;
        attack.SetSeed(seed + level);
        defenses.AddToAccumulator(attack, level);
        CheckDefenses(attack);
        CharAttributeAccumulator characterSums;
        characters.AddToAccumulator(characterSums, level);
        CheckCharacters(characterSums);
        SkillAttributeAccumulator skillSums;
        skillSums.SetSeed(seed);
        skills.AddToAccumulator(skillSums, level);
        CheckSkills(skillSums);
        defenses.CreateText(base, bonus, level);
        defenses.CreateNextText(base, bonus, level, level + 1u);
        characters.CreateText(recordChosen, bonus, level);
        characters.CreateNextText(recordChosen, bonus, level, level + 1u);
        skills.CreateText(bonus, level);
        skills.CreateNextText(bonus, level, level + 1u);
    }
    CheckTexts(base);
    CheckTexts(bonus);
    CheckCosts(characters, skills, defenses);
}

void ExercisePack(const AttributePak& pak, uint8_t seed)
{
    for (unsigned level : kLevels) {
        CombatAttributeAccumulator attack;
        attack.SetSeed(seed);
        pak.GetDefenseAttributes(attack, level);
        pak.GetOffensiveDamageAttributes(attack, level);
        pak.GetOffensiveModifierAttributes(attack, level);
        pak.GetRetaliationAttributes(attack, level);
        CheckDefenses(attack);
        CheckDamages(attack);
        CharAttributeAccumulator characterSums;
        pak.GetCharAttributes(characterSums, level);
        CheckCharacters(characterSums);
        SkillAttributeAccumulator skillSums;
        pak.GetSkillAttributes(skillSums, level);
        CheckSkills(skillSums);
        std::vector<GameTextLine> lines;
        pak.GetUIDisplayText(level, GameTextClass::ItemBonuses, lines);
        CheckLines(lines);
    }
}

void ExerciseRacialBonus(const LoadTable& record)
{
    auto bonus = RacialBonus::CreateFromTable(record);
    if (!bonus)
        return;
    const std::vector<std::string> races = bonus->GetRaces();
    for (unsigned level : kLevels) {
        RacialBonus_Damage damage;
        RacialBonus_Defense defense;
        bonus->ContributeDamage(races, damage, level);
        bonus->ContributeDefense(races, defense, level);
        for (float value : {damage.percent, damage.absolute, defense.percent, defense.absolute})
            RequireFinite(value);
        std::vector<GameTextLine> lines;
        bonus->CreateText(level, GameTextClass::ItemBonuses, lines);
        bonus->CreateNextText(level, level + 1u, GameTextClass::ItemBonuses, lines);
        CheckLines(lines);
    }
}

// ---- The records as an item's --------------------------------------------------------

constexpr const char* kItemRecord = "Records/Fuzz/Item.dbr";
constexpr const char* kPrefixRecord = "Records/Fuzz/ItemPrefix.dbr";
constexpr const char* kSuffixRecord = "Records/Fuzz/ItemSuffix.dbr";
constexpr const char* kItemCostRecord = "Records/Game/ItemCost.dbr";
constexpr const char* kGameEngineRecord = "armorDefensiveAbsorption,0.5,\n";
// The classes the flags may put first in the item's record; 0 keeps the record's own.
constexpr const char* kItemClasses[] = {"",       "Item",         "Weapon",   "WeaponMelee_Sword", "WeaponArmor_Shield",
                                        "Armor", "OneShot_PotionHealth", "ItemRelic"};
// The five formula keys of a sword in an item-cost record.
constexpr const char* kFormulaKeys[] = {"weaponCostEquation", "swordStrengthEquation", "swordDexterityEquation",
                                        "swordIntelligenceEquation", "swordLevelEquation"};

void CheckItemCosts(const ItemEquipment& equipment)
{
    const CostInfo_CharacterAttributes& character = equipment.GetCharCostInfo();
    for (const CharAttributeCost* cost :
         {&character.primaryValue, &character.secondaryValue, &character.plainValue, &character.primaryModifier,
          &character.secondaryModifier, &character.plainModifier, &character.attackSpeed, &character.otherSpeed,
          &character.attackSpeedModifier, &character.otherSpeedModifier})
        RequireFinite(cost->sum);
    for (const CostInfo_DamageAttributes* cost : {&equipment.GetDamageCostInfo(), &equipment.GetRetaliationCostInfo()})
        for (float total : {cost->avgBase, cost->avgPierceRatio, cost->avgBonus, cost->avgOverTime, cost->mod, cost->modDur})
            RequireFinite(total);
}

void ExerciseItem(const std::string_view (&texts)[3], uint8_t seed, uint8_t flags)
{
    RecordDatabase& records = RecordDatabase::Get();
    const char* itemClass = kItemClasses[(flags >> 1) & 7];
    std::string base = *itemClass ? std::string("Class,") + itemClass + ",\n" : std::string();
    base.append(texts[0]);
    const LoadTable* costRecord = records.RegisterRecord(kItemCostRecord, std::string(texts[0]));
    records.RegisterRecord(kItemRecord, base);
    records.RegisterRecord(kPrefixRecord, std::string(texts[1]));
    records.RegisterRecord(kSuffixRecord, std::string(texts[2]));

    ItemReplicaInfo identity;
    identity.baseName = kItemRecord;
    identity.prefixName = kPrefixRecord;
    identity.suffixName = kSuffixRecord;
    if (flags & 0x10)
        identity.relicName = kSuffixRecord;
    identity.seed = seed;
    Item* item = Item::CreateItem(identity);
    if (item) {
        item->InitializeItem();
        item->GetItemCost(false);
        item->GetTotalAttrCostCount();
        item->AreRequirementsMet(nullptr);
        item->DumpCostAttributes();
        if (const auto* equipment = DynamicCast<ItemEquipment>(item))
            CheckItemCosts(*equipment);
    }

    // The item-cost record's formulas, with the item (or nothing) answering their names.
    for (const char* key : kFormulaKeys) {
        DesignerEquation_Algebra formula;
        if (formula.ParseEquation(costRecord->GetString(key, ""), item))
            formula();
    }

    if (item)
        ObjectManager::Get().DestroyObjectEx(item, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    // Every input registers its records afresh: drop the replaced ones.
    records.Clear();
    records.RegisterRecord(kGameEngineRecordName, kGameEngineRecord);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    LoadGameTexts();
    // A game engine for the armour's absorption and the races' names.
    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, kGameEngineRecord);
    InitializeObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return 0;
    const uint8_t seed = data[0];
    const uint8_t flags = data[1];
    const bool armor = (flags & 1) != 0;
    float scale = 0.0f;
    std::memcpy(&scale, data + 2, sizeof(scale));
    if (!std::isfinite(scale))
        scale = 0.0f;

    const std::string_view text(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize);
    LoadTable records[3] = {LoadTable("Records/Fuzz/Base.dbr"), LoadTable("Records/Fuzz/Prefix.dbr"),
                            LoadTable("Records/Fuzz/Suffix.dbr")};
    std::string_view texts[3];
    size_t start = 0;
    for (int i = 0; i < 3 && start <= text.size(); ++i) {
        size_t end = i < 2 ? text.find('\0', start) : std::string_view::npos;
        if (end == std::string_view::npos)
            end = text.size();
        texts[i] = text.substr(start, end - start);
        records[i].Parse(texts[i].data(), texts[i].size(), records[i].GetName());
        start = end + 1;
    }

    AttributePak pak;
    pak.LoadFromTable(records[0]);
    ExercisePack(pak, seed);
    ExerciseRacialBonus(records[0]);

    RandomUniform rng;
    rng.Seed(seed);
    CharAttributeStore_Equipment characters;
    SkillAttributeStore_Equipment skills;
    DefenseAttributeStore_Equipment defenses;
    characters.SetRandomGen(&rng);
    skills.SetRandomGen(&rng);
    defenses.SetRandomGen(&rng);
    characters.Load(records[0], &records[1], &records[2], armor);
    skills.Load(records[0], &records[1], &records[2], armor);
    defenses.Load(records[0], &records[1], &records[2], armor, CombatAttributeRegion_Torso);
    skills.AddJitter(scale);
    if (scale != 0.0f) {
        characters.ScaleAttributes(scale);
        skills.ScaleAttributes(scale);
        defenses.ScaleAttributes(scale);
    }
    characters.SetRandomGen(nullptr);
    skills.SetRandomGen(nullptr);
    defenses.SetRandomGen(nullptr);
    Exercise(characters, skills, defenses, seed);

    // Copies are deep and moves leave their source empty: the copies and the moved-to
    // stores work on after their sources are gone.
    CharAttributeStore_Equipment characterCopy(characters);
    SkillAttributeStore_Equipment skillCopy(skills);
    DefenseAttributeStore_Equipment defenseCopy(defenses);
    CharAttributeStore_Equipment characterMoved(std::move(characters));
    SkillAttributeStore_Equipment skillMoved(std::move(skills));
    DefenseAttributeStore_Equipment defenseMoved(std::move(defenses));
    Require(characters.GetAttributes().empty() && skills.GetAttributes().empty() && defenses.GetAttributes().empty());
    characterMoved = characterCopy;
    Exercise(characterMoved, skillMoved, defenseCopy, seed);

    ExerciseItem(texts, seed, flags);
    return 0;
}
