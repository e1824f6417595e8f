#include "Game/items/loot/LootDynWeight.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <typeinfo>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LootItemTable_DynWeight, LootBase)

namespace {

// What the formulas read for the players: the table is worked out for one player.
const float kOnePlayer = 1.0f;

int ClampSigned(int64_t value, int64_t low, int64_t high)
{
    return static_cast<int>(std::min(std::max(value, low), high));
}

}  // namespace

LootItemTable_DynWeight::~LootItemTable_DynWeight() = default;

namespace {

// What every table made from one record reads of it: read once and kept with the record.
struct KeptDynWeightRecord {
    struct Formula {
        std::string text;   // empty: absent
        std::shared_ptr<const EqNode<float>> tree;   // null when the text does not parse
        // The formula as bound for the first table of the class that bound it, at that
        // table's address; later tables take a copy moved onto themselves.
        mutable BoundFormulaModel model;
    };
    struct Row {
        size_t at;   // the name in `names`
        size_t length;
        uint32_t level;
    };
    uint32_t defaultWeight = 0;
    std::vector<float> bellSlope;
    Formula formulas[3];
    std::string names;
    std::vector<Row> rows;
    uint32_t lowestItemLevel = LootItemTable_DynWeight::kNoLowestLevel;
    uint32_t highestItemLevel = 0;
};

constexpr const char* kFormulaKeys[3] = {"minItemLevelEquation", "maxItemLevelEquation", "targetLevelEquation"};
const char kKeptDynWeightKind = 0;

KeptDynWeightRecord ReadDynWeightRecord(const LoadTable& table)
{
    KeptDynWeightRecord read;
    read.defaultWeight = TruncateToUnsigned(table.GetFloat("defaultWeight", 0.0f));
    table.GetFloatArray("bellSlope", read.bellSlope);
    for (size_t i = 0; i < std::size(kFormulaKeys); ++i) {
        KeptDynWeightRecord::Formula& formula = read.formulas[i];
        formula.text = table.GetString(kFormulaKeys[i], "");
        if (!formula.text.empty())
            formula.tree = DesignerEquation_Algebra::KeptTree(formula.text);
    }
    const LoadTable::Value* names = table.FindValue("itemNames");
    if (!names)
        return read;
    size_t length = 0;
    for (const std::string& name : names->entries)
        length += name.size();
    read.names.reserve(length);
    read.rows.reserve(names->entries.size());
    ObjectManager& objects = ObjectManager::Get();
    for (const std::string& name : names->entries) {
        if (name.empty())
            continue;
        const LoadTable* item = objects.LoadTableFile(name);
        const uint32_t level = item ? static_cast<uint32_t>(std::max(item->GetInt("itemLevel", 0), 0)) : 0;
        read.lowestItemLevel = std::min(read.lowestItemLevel, level);
        read.highestItemLevel = std::max(read.highestItemLevel, level);
        read.rows.push_back({read.names.size(), name.size(), level});
        read.names += name;
    }
    return read;
}

}  // namespace

void LootItemTable_DynWeight::LoadFormula(const void* kept, const char* key, DesignerEquation_Algebra& formula,
                                          bool& present)
{
    const auto& read = *static_cast<const KeptDynWeightRecord::Formula*>(kept);
    present = false;
    if (read.text.empty())
        return;
    if (read.model) {
        read.model.CopyTo(formula, this);
        present = formula.IsValid();
    } else if (read.tree) {
        present = formula.BindTree(*read.tree, this);
        // Only a table of this very class binds each name to the same place in every one.
        if (present && typeid(*this) == typeid(LootItemTable_DynWeight))
            read.model.Keep(formula, this);
    } else {
        // A text that does not parse is tried again so that the formula is left empty.
        present = formula.ParseEquation(read.text.c_str(), this);
    }
    if (!present)
        gEngine->Log(LOG_WARNING, "-=- LootItemTable_DynWeight:: Equation  load failure : %s ", key);
}

void LootItemTable_DynWeight::Load(const LoadTable& table)
{
    // Every table made from a record reads the same values, formulas and item levels.
    std::shared_ptr<const KeptDynWeightRecord> read =
        RecordKept::Get<KeptDynWeightRecord>(table, &kKeptDynWeightKind, 0, ReadDynWeightRecord);
    m_defaultWeight = read->defaultWeight;
    m_bellSlope = read->bellSlope;
    LoadFormula(&read->formulas[0], kFormulaKeys[0], m_minLevelFormula, m_hasMinLevel);
    LoadFormula(&read->formulas[1], kFormulaKeys[1], m_maxLevelFormula, m_hasMaxLevel);
    LoadFormula(&read->formulas[2], kFormulaKeys[2], m_targetLevelFormula, m_hasTargetLevel);
    m_entries.clear();
    m_lowestItemLevel = read->lowestItemLevel;
    m_highestItemLevel = read->highestItemLevel;
    m_processed = false;
    // The entries view the kept names, which the table holds while it lives.
    m_entries.reserve(read->rows.size());
    for (const KeptDynWeightRecord::Row& row : read->rows)
        m_entries.push_back({std::string_view(read->names).substr(row.at, row.length), row.level, m_defaultWeight,
                             false});
    m_read = std::move(read);
}

DesignerVariableSlot<float> LootItemTable_DynWeight::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    return FindDesignerVariable<float>(name, {
                                                 {"minPlayerLevel", Slot::Of(kOnePlayer)},
                                                 {"maxPlayerLevel", Slot::Of(kOnePlayer)},
                                                 {"numberOfPlayers", Slot::Of(kOnePlayer)},
                                                 {"gameDifficulty", Slot::OfUnsigned(m_gameDifficulty)},
                                                 {"parentLevel", Slot::OfUnsigned(m_parentLevel)},
                                                 {"averagePlayerLevel", Slot::OfUnsigned(m_averagePlayerLevel)},
                                             });
}

// The formula's value rounded half up and held to the items' levels; 0 (then held) for
// a formula that is absent.
int LootItemTable_DynWeight::LevelFromFormula(const DesignerEquation_Algebra& formula, bool present) const
{
    const int value = present ? TruncateToInt(static_cast<double>(formula()) + 0.5) : 0;
    return ClampSigned(value, m_lowestItemLevel, m_highestItemLevel);
}

void LootItemTable_DynWeight::ComputeWeights()
{
    if (m_processed)
        return;
    m_processed = true;
    m_gameDifficulty = gGameEngine ? static_cast<uint32_t>(gGameEngine->GetGameDifficulty()) : 0;
    const int64_t minLevel = LevelFromFormula(m_minLevelFormula, m_hasMinLevel);
    const int64_t maxLevel = LevelFromFormula(m_maxLevelFormula, m_hasMaxLevel);
    bool anyValid = false;
    for (Entry& entry : m_entries) {
        entry.valid = minLevel <= entry.level && entry.level <= maxLevel;
        anyValid = anyValid || entry.valid;
    }
    if (!anyValid && !m_entries.empty()) {
        // Nothing in the window: the highest level below it drops instead, else the first.
        size_t fallback = 0;
        int64_t best = 0;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const int64_t level = m_entries[i].level;
            if (level < minLevel && level > best) {
                best = level;
                fallback = i;
            }
        }
        m_entries[fallback].valid = true;
    }
    const int64_t target = LevelFromFormula(m_targetLevelFormula, m_hasTargetLevel);
    uint64_t total = 0;
    for (Entry& entry : m_entries) {
        if (!entry.valid)
            continue;
        const uint64_t distance = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(entry.level) - target));
        if (distance < m_bellSlope.size()) {
            const int64_t scaled = static_cast<int64_t>(TruncateToInt(m_bellSlope[distance])) * entry.weight / 100;
            entry.weight = static_cast<uint32_t>(std::clamp<int64_t>(scaled, 0, UINT32_MAX));
        }
        total += entry.weight;
    }
    m_weightsFit = LootWeightsFit(total, "LootItemTable_DynWeight", GetObjectName());
    m_totalWeight = m_weightsFit ? static_cast<uint32_t>(total) : 0;
}

void LootItemTable_DynWeight::GetLootName(std::string& base, std::string& prefix, std::string& suffix,
                                          RandomUniform& random, int& /*depth*/)
{
    ComputeWeights();
    if (m_entries.empty() || !m_weightsFit)
        return;
    const uint32_t roll = static_cast<uint32_t>(random.IGenerate(0, static_cast<int>(m_totalWeight) - 1));
    uint32_t sum = 0;
    const Entry* winner = nullptr;
    for (const Entry& entry : m_entries) {
        if (!entry.valid)
            continue;
        sum += entry.weight;
        if (roll < sum) {
            winner = &entry;
            break;
        }
    }
    if (!winner)
        return;
    base = winner->name;
    PickAffixes(prefix, suffix, random, false);
}

void LootItemTable_DynWeight::OverrideTest(std::string& base, std::string& prefix, std::string& suffix,
                                           RandomUniform& random)
{
    if (m_entries.empty())
        return;
    base = m_entries[NextTestRow(m_entries.size())].name;
    PickAffixes(prefix, suffix, random, true);
}

}  // namespace GAME
