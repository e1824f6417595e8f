#include "Game/items/ItemEquipment.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/RecordKeptReads.h"
#include "Game/core/foundation/ViewKeyed.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/ItemSet.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemEquipment, Item)

namespace {

// The skill store's own jitter, drawn after every draw of the five loads.
constexpr float kSkillJitterPercent = 20.0f;

// A prefix or suffix record, when the identity names one that resolves.
const LoadTable* OpenAffix(const std::string& recordName)
{
    return recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
}

// True when the record names a relic class; tested before anything is created, since the
// name comes from a save or a peer.
bool IsRelicRecord(const std::string& recordName)
{
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return false;
    const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(table->GetString("Class", ""));
    return info && info->IsA(&ItemRelic::GetStaticClassInfo());
}

// A 64-bit amount held at the largest 32-bit whole number.
uint32_t HoldToUnsigned(uint64_t value)
{
    return static_cast<uint32_t>(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}

// A requirement formula's value: never below 0, rounded half up, held in range.
uint32_t RequirementFrom(float value) { return TruncateToUnsigned(static_cast<double>(std::max(value, 0.0f)) + 0.5); }

const float kZero = 0.0f;

enum ComputedVariable { Computed_TotalAttCount, Computed_ItemBaseCost };

// The names the cost formulas go by in the log, in CostKey order.
constexpr const char* kCostEquationLabels[] = {"itemCostEquation", "itemStrengthEquation", "itemDexterityEquation",
                                               "itemIntelligenceEquation", "levelRequirementEquation"};
static_assert(std::size(kCostEquationLabels) == ItemEquipment::CostKey_Count);

// One formula of a cost record under one key name; a look-up names the key by a view.
struct CostFormulaView {
    const LoadTable* record;
    std::string_view key;
    bool operator==(const CostFormulaView&) const = default;
};

struct CostFormulaKey {
    const LoadTable* record;
    std::string key;
    CostFormulaView View() const { return {record, key}; }
};

struct HashCostFormulaView {
    size_t operator()(const CostFormulaView& key) const
    {
        return std::hash<const void*>()(key.record) * 31u ^ std::hash<std::string_view>()(key.key);
    }
};
using CostFormulaKeyHash = ViewKeyHash<CostFormulaKey, CostFormulaView, HashCostFormulaView>;
using CostFormulaKeyEqual = ViewKeyEqual<CostFormulaKey, CostFormulaView>;

// A cost formula as the first item to read it compiled it, bound to that item (never
// read again); none for an empty text. A text that did not parse is
// logged for every item, as compiling it again would.
struct KeptCostFormula {
    BoundFormulaModel model;
    bool failed = false;
};

using KeptCostFormulas = RecordKeptMap<CostFormulaKey, KeptCostFormula, CostFormulaKeyHash, CostFormulaKeyEqual>;

KeptCostFormulas& KeptFormulas()
{
    thread_local KeptCostFormulas kept(512);
    return kept;
}

// The fields ItemEquipment::Load reads from an item's record, kept per kept record with
// the record's own cost record (opened when named; a record opened lives as long as the
// records that named it, until the records change).
struct EquipmentRecordFields {
    std::string itemNameTag;
    std::string itemStyleTag;
    std::string itemQualityTag;
    std::string bitmapName;
    std::string femaleBitmapName;
    float attributeScalePercent = 0.0f;
    std::string itemSetName;
    bool hidePrefixName = false;
    bool hideSuffixName = false;
    std::string costRecordName;
    const LoadTable* costs = nullptr;
};

using KeptEquipmentFields = RecordKeptMap<const LoadTable*, std::shared_ptr<const EquipmentRecordFields>>;

KeptEquipmentFields& KeptFieldReads()
{
    thread_local KeptEquipmentFields kept(1024);
    return kept;
}

// What every item of a record reads from it for its augments and its racial bonus (none
// when it gives none), kept per kept record. A record with a broken augment level is read
// afresh by every item, which logs it.
using KeptAugments = RecordKeptMap<const LoadTable*, std::shared_ptr<const ItemSkillAugment::RecordAugments>>;
using KeptRacialBonuses = RecordKeptMap<const LoadTable*, std::shared_ptr<const RacialBonus>>;

KeptAugments& KeptAugmentReads()
{
    thread_local KeptAugments kept(1024);
    return kept;
}

KeptRacialBonuses& KeptRacialBonusReads()
{
    thread_local KeptRacialBonuses kept(1024);
    return kept;
}

float ComputeVariable(const void* context, int key)
{
    const auto* item = static_cast<const ItemEquipment*>(context);
    return key == Computed_TotalAttCount ? static_cast<float>(item->GetTotalAttrCostCount())
                                         : static_cast<float>(item->GetBaseItemCost());
}

}  // namespace

ItemEquipment::ItemEquipment() = default;

void ItemEquipment::LoadAttributeStores(const AttributeStores& stores, RandomUniform& generator, const LoadTable& base,
                                        const LoadTable* prefix, const LoadTable* suffix, bool armor,
                                        bool baseProtection, CombatAttributeRegion region)
{
    stores.character.SetRandomGen(&generator);
    stores.character.Load(base, prefix, suffix, armor);
    stores.skill.SetRandomGen(&generator);
    stores.skill.Load(base, prefix, suffix, armor);
    stores.damage.SetRandomGen(&generator);
    stores.damage.Load(base, prefix, suffix, armor);
    stores.retaliation.SetRandomGen(&generator);
    stores.retaliation.Load(base, prefix, suffix, armor);
    stores.defense.SetRandomGen(&generator);
    stores.defense.Load(base, prefix, suffix, baseProtection, region);
}

namespace {

// Every kind's cost keys, by the kind's cost key and requirement stem. The names the map
// views are kept in `names`, whose strings never move.
struct KindCostKeyTable {
    std::mutex lock;
    std::deque<std::string> names;
    std::map<std::pair<std::string_view, std::string_view>, ItemEquipment::CostKeys> kinds;
};

KindCostKeyTable& KindCostKeyTables()
{
    static KindCostKeyTable table;
    return table;
}

}  // namespace

void ItemEquipment::SetKindKeys(const char* costKey, const char* requirementStem, uint32_t firstKindReduction)
{
    const std::string_view cost = costKey ? costKey : "";
    const std::string_view stem = requirementStem ? requirementStem : "";
    KindCostKeyTable& table = KindCostKeyTables();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.kinds.find({cost, stem});
        if (found == table.kinds.end()) {
            const std::string_view ownCost = table.names.emplace_back(cost);
            const std::string_view ownStem = table.names.emplace_back(stem);
            CostKeys keys;
            keys[CostKey_Cost] = ownCost;
            const char* const suffixes[] = {"StrengthEquation", "DexterityEquation", "IntelligenceEquation",
                                            "LevelEquation"};
            for (int key = CostKey_Strength; key <= CostKey_Level; ++key)
                if (!stem.empty())
                    keys[key] = std::string(stem) + suffixes[key - CostKey_Strength];
            found = table.kinds.emplace(std::make_pair(ownCost, ownStem), std::move(keys)).first;
        }
        m_costKeys = &found->second;
    }
    const auto reduction = [firstKindReduction](uint32_t offset) {
        return CharAttributeType(firstKindReduction == 0 ? 0 : firstKindReduction + offset);
    };
    m_kindReductions = {reduction(0), reduction(1), reduction(2)};
}

namespace {
std::atomic<uint32_t> gAttributeRevision{0};
}  // namespace

uint32_t ItemEquipment::GetAttributeRevision() { return gAttributeRevision.load(std::memory_order_acquire); }

void ItemEquipment::AttributesChanged() { gAttributeRevision.fetch_add(1, std::memory_order_acq_rel); }

void ItemEquipment::OnDestroy()
{
    AttributesChanged();
    Item::OnDestroy();
}

ItemEquipment::~ItemEquipment()
{
    if (ItemRelic* relic = GetRelic())
        ObjectManager::Get().DestroyObjectEx(relic, "ItemEquipment", __LINE__);
    m_relicId = 0;
}

// ---- Loading ---------------------------------------------------------------------------

void ItemEquipment::Load(const LoadTable& table)
{
    Item::Load(table);
    // An item made under an id a wearer lists may be found where none was.
    AttributesChanged();
    const std::shared_ptr<const EquipmentRecordFields> fields =
        ReadKept(KeptFieldReads(), table, [](const LoadTable& record) {
        auto read = std::make_shared<EquipmentRecordFields>();
        read->itemNameTag = record.GetString("itemNameTag", "");
        read->itemStyleTag = record.GetString("itemStyleTag", "");
        read->itemQualityTag = record.GetString("itemQualityTag", "");
        read->bitmapName = record.GetString("bitmap", "");
        read->femaleBitmapName = record.GetString("bitmapFemale", "");
        read->attributeScalePercent = record.GetFloat("attributeScalePercent", 0.0f);
        read->itemSetName = record.GetString("itemSetName", "");
        read->hidePrefixName = record.GetBool("hidePrefixName", false);
        read->hideSuffixName = record.GetBool("hideSuffixName", false);
        read->costRecordName = record.GetString("itemCostName", "");
        if (!read->costRecordName.empty())
            read->costs = ObjectManager::Get().LoadTableFile(read->costRecordName);
        return read;
    });
    m_itemNameTag = fields->itemNameTag;
    m_itemStyleTag = fields->itemStyleTag;
    m_itemQualityTag = fields->itemQualityTag;
    m_bitmapName = fields->bitmapName;
    m_femaleBitmapName = fields->femaleBitmapName;
    m_attributeScalePercent = fields->attributeScalePercent;
    m_itemSetName = fields->itemSetName;
    m_hidePrefixName = fields->hidePrefixName;
    m_hideSuffixName = fields->hideSuffixName;
    LoadSkillAugments(table);

    // The record's own cost record was opened with the fields; without one, the game's
    // (which may change with the game) or the default is opened now.
    const LoadTable* costs = fields->costs;
    if (fields->costRecordName.empty()) {
        std::string costRecord;
        if (gGameEngine)
            costRecord = gGameEngine->GetDatabase().GetString("itemCostName", "");
        if (costRecord.empty())
            costRecord = kDefaultItemCostRecord;
        costs = ObjectManager::Get().LoadTableFile(costRecord);
    }
    if (!costs)
        return;
    for (int key = CostKey_Cost; key < CostKey_Count; ++key)
        SetCostEquation(static_cast<CostKey>(key), *costs);
}

std::unique_ptr<DesignerEquation_Algebra>& ItemEquipment::CostEquation(CostKey key)
{
    switch (key) {
    case CostKey_Strength: return m_strengthEquation;
    case CostKey_Dexterity: return m_dexterityEquation;
    case CostKey_Intelligence: return m_intelligenceEquation;
    case CostKey_Level: return m_levelRequirementEquation;
    case CostKey_Cost:
    case CostKey_Count: break;
    }
    return m_costEquation;
}

// Every item of a kind reads the same formulas of one cost record, and every item binds a
// name to the same member: the first item to read a formula of a kept record compiles it,
// and the others copy that program, moved onto themselves.
void ItemEquipment::SetCostEquation(CostKey key, const LoadTable& costs)
{
    std::unique_ptr<DesignerEquation_Algebra>& slot = CostEquation(key);
    static const std::string kNoKey;
    const std::string& name = m_costKeys ? (*m_costKeys)[key] : kNoKey;
    if (name.empty()) {
        slot.reset();
        return;
    }
    // Only kept records' formulas are kept, and a kept record outlives its formulas: a
    // table found is the record it was read from.
    const KeptCostFormulas::Map& kept = KeptFormulas().Current();
    if (const auto found = kept.find(CostFormulaView{&costs, name}); found != kept.end()) {
        const KeptCostFormula& formula = found->second;
        slot.reset();
        if (formula.failed) {
            gEngine->Log(LOG_WARNING, "-=- Item Equation load failure : %s ", kCostEquationLabels[key]);
        } else if (formula.model) {
            slot = std::make_unique<DesignerEquation_Algebra>();
            formula.model.CopyTo(*slot, this);
        }
        return;
    }
    const char* text = costs.GetString(name.c_str(), "");
    SetEquation(slot, text, kCostEquationLabels[key]);
    if (!RecordKept::IsKept(costs))
        return;
    KeptCostFormula formula;
    formula.failed = !slot && text && *text;
    if (slot)
        formula.model.Keep(*slot, this);
    KeptFormulas().ForAdding().emplace(CostFormulaKey{&costs, name}, std::move(formula));
}

void ItemEquipment::SetEquation(std::unique_ptr<DesignerEquation_Algebra>& slot, const std::string& text,
                                const char* key)
{
    slot.reset();
    if (text.empty())
        return;
    auto equation = std::make_unique<DesignerEquation_Algebra>();
    const std::shared_ptr<const EqNode<float>> tree = DesignerEquation_Algebra::KeptTree(text);
    if (!tree || !equation->BindTree(*tree, this)) {
        gEngine->Log(LOG_WARNING, "-=- Item Equation load failure : %s ", key);
        return;
    }
    slot = std::move(equation);
}

void ItemEquipment::SetItemCostEquation(const std::string& text)
{
    SetEquation(m_costEquation, text, kCostEquationLabels[CostKey_Cost]);
}
void ItemEquipment::SetStrengthEquation(const std::string& text)
{
    SetEquation(m_strengthEquation, text, kCostEquationLabels[CostKey_Strength]);
}
void ItemEquipment::SetDexterityEquation(const std::string& text)
{
    SetEquation(m_dexterityEquation, text, kCostEquationLabels[CostKey_Dexterity]);
}
void ItemEquipment::SetIntelligenceEquation(const std::string& text)
{
    SetEquation(m_intelligenceEquation, text, kCostEquationLabels[CostKey_Intelligence]);
}
void ItemEquipment::SetLevelRequirementEquation(const std::string& text)
{
    SetEquation(m_levelRequirementEquation, text, kCostEquationLabels[CostKey_Level]);
}

DesignerVariableSlot<float> ItemEquipment::BindDesignerVariable(const char* name)
{
    const DesignerVariableSlot<float> own = Item::BindDesignerVariable(name);
    if (own.GetKind() != DesignerVariableSlot<float>::Kind::Unknown)
        return own;
    using Slot = DesignerVariableSlot<float>;
    const CostInfo_CharacterAttributes& c = m_charCost;
    return FindDesignerVariable<float>(
        name,
        {
            {"itemAttrScale", Slot::Of(m_attributeScalePercent)},
            {"charPrimaryAtt", Slot::Of(c.primaryValue.sum)},
            {"charPrimaryAttCount", Slot::OfUnsigned(c.primaryValue.count)},
            {"charSecondaryAtt", Slot::Of(c.secondaryValue.sum)},
            {"charSecondaryAttCount", Slot::OfUnsigned(c.secondaryValue.count)},
            {"charBonus", Slot::Of(c.plainValue.sum)},
            {"charBonusCount", Slot::OfUnsigned(c.plainValue.count)},
            {"charPrimaryMod", Slot::Of(c.primaryModifier.sum)},
            {"charPrimaryModCount", Slot::OfUnsigned(c.primaryModifier.count)},
            {"charSecondaryMod", Slot::Of(c.secondaryModifier.sum)},
            {"charSecondaryModCount", Slot::OfUnsigned(c.secondaryModifier.count)},
            {"charBonusMod", Slot::Of(c.plainModifier.sum)},
            {"charBonusModCount", Slot::OfUnsigned(c.plainModifier.count)},
            {"charAttackSpeed", Slot::Of(c.attackSpeed.sum)},
            {"charAttackSpeedCount", Slot::OfUnsigned(c.attackSpeed.count)},
            {"charOtherSpeed", Slot::Of(c.otherSpeed.sum)},
            {"charOtherSpeedCount", Slot::OfUnsigned(c.otherSpeed.count)},
            {"charAttackSpeedMod", Slot::Of(c.attackSpeedModifier.sum)},
            {"charAttackSpeedModCount", Slot::OfUnsigned(c.attackSpeedModifier.count)},
            {"charOtherSpeedMod", Slot::Of(c.otherSpeedModifier.sum)},
            {"charOtherSpeedModCount", Slot::OfUnsigned(c.otherSpeedModifier.count)},
            {"skillAttrBase", Slot::Of(m_skillCost.valueSum)},
            {"skillAttrBonus", Slot::Of(m_skillCost.prefixSuffixSum)},
            {"skillAttrModifier", Slot::Of(m_skillCost.modifierSum)},
            {"skillAttrBonusCount", Slot::OfUnsigned(m_skillCost.count)},
            {"defenseAttrArmor", Slot::Of(m_defenseCost.protection)},
            {"defenseAttrBase", Slot::Of(m_defenseCost.absolute)},
            {"defenseAttrBaseDuration", Slot::Of(m_defenseCost.duration)},
            {"defenseAttrMod", Slot::Of(m_defenseCost.absoluteModifier)},
            {"defenseAttrModDuration", Slot::Of(m_defenseCost.durationModifier)},
            {"defenseAttrCount", Slot::OfUnsigned(m_defenseCost.count)},
            {"damageAvgBase", Slot::Of(m_damageCost.avgBase)},
            {"damageAvgPierceRatio", Slot::Of(m_damageCost.avgPierceRatio)},
            {"damageAvgBonus", Slot::Of(m_damageCost.avgBonus)},
            {"damageAvgOverTime", Slot::Of(m_damageCost.avgOverTime)},
            {"damageMod", Slot::Of(m_damageCost.mod)},
            {"damageModDur", Slot::Of(m_damageCost.modDur)},
            {"damageCount", Slot::OfUnsigned(m_damageCost.count)},
            {"retaliationAvgBonus", Slot::Of(m_retaliationCost.avgBonus)},
            {"retaliationAvgOverTime", Slot::Of(m_retaliationCost.avgOverTime)},
            {"retaliationMod", Slot::Of(m_retaliationCost.mod)},
            {"retaliationModDur", Slot::Of(m_retaliationCost.modDur)},
            {"retaliationCount", Slot::OfUnsigned(m_retaliationCost.count)},
            {"skillAugmentLevel", Slot::OfUnsigned(m_augmentCost.augmentLevel)},
            {"skillAugmentCount", Slot::OfUnsigned(m_augmentCost.augmentCount)},
            {"shieldBlockChance", Slot::Of(m_shieldBlockCost.blockChance)},
            {"shieldBlockDefense", Slot::Of(m_shieldBlockCost.blockDefense)},
            {"shieldBlockAbsorption", Slot::Of(m_shieldBlockCost.blockAbsorption)},
            {"shieldBlockRecoveryTime", Slot::Of(m_shieldBlockCost.blockRecoveryTime)},
            {"totalAttCount", Slot::Computed(&ComputeVariable, this, Computed_TotalAttCount)},
            {"charAttrBase", Slot::Of(kZero)},
            {"charAttrBonus", Slot::Of(kZero)},
            {"charAttrModifier", Slot::Of(kZero)},
            {"charAttrSpeed", Slot::Of(kZero)},
            {"charAttrBonusCount", Slot::Of(kZero)},
            {"itemBaseCost", Slot::Computed(&ComputeVariable, this, Computed_ItemBaseCost)},
            {"itemPrefixCost", Slot::OfUnsigned(m_prefixCost)},
            {"itemSuffixCost", Slot::OfUnsigned(m_suffixCost)},
        });
}

// ---- Rebuilding from the identity --------------------------------------------------------

void ItemEquipment::RestoreRecordValues()
{
    ResetToRecordValues();
    m_racialBonuses.clear();
    m_prefixDisplayTag.clear();
    m_suffixDisplayTag.clear();
    m_prefixCost = 0;
    m_suffixCost = 0;
    m_marketAdjustmentPercent = 0.0f;
    m_cost = 0;
    m_charContribution.Clear();
    AttributesChanged();
}

void ItemEquipment::ReadAffix(const LoadTable& affix, std::string& displayTag, uint32_t& cost, float& scale,
                              uint32_t& levelRequirement, bool hideName)
{
    displayTag = affix.GetString("lootRandomizerName", "");
    cost = static_cast<uint32_t>(std::max(affix.GetInt("lootRandomizerCost", 0), 0));
    scale = affix.GetFloat("lootRandomizerScale", 0.0f);
    levelRequirement = static_cast<uint32_t>(std::max(affix.GetInt("levelRequirement", 0), 0));
    m_marketAdjustmentPercent += affix.GetFloat("marketAdjustmentPercent", 0.0f);
    LoadSkillAugments(affix);
    SetItemClassification(affix);
    if (hideName)
        displayTag.clear();
}

void ItemEquipment::InitializeItem()
{
    // A worn item's augments come off its wearer before they are rebuilt (the granted
    // skills are made anew) and go back on after; the relic is swapped by AddRelic.
    Character* wearer = GetCharacter();
    if (wearer)
        m_skillAugment.RemoveFromCharacter(*wearer);
    m_skillAugment.Clear();
    RestoreRecordValues();

    // 1, 2: the three records.
    Item::InitializeItem();
    const ItemReplicaInfo& identity = GetItemReplicaInfo();
    const LoadTable* base = ObjectManager::Get().LoadTableFile(GetObjectName());
    if (!base)
        return;
    LoadSkillAugments(*base);
    const LoadTable* prefix = OpenAffix(identity.prefixName);
    const LoadTable* suffix = OpenAffix(identity.suffixName);

    // 3: racial bonuses, prefix, suffix, then base.
    if (prefix)
        CreateItemRacialBonus(*prefix);
    if (suffix)
        CreateItemRacialBonus(*suffix);
    CreateItemRacialBonus(*base);

    // 4, 5: one generator; each store draws after the stores before it.
    RandomUniform generator;
    generator.Seed(identity.seed);
    LoadAttributeStores({m_charAttributes, m_skillAttributes, m_damageAttributes, m_retaliationAttributes,
                         m_defenseAttributes},
                        generator, *base, prefix, suffix, m_armor, m_baseProtection, m_armorRegion);

    // 6, 7: the affixes' names, costs, scales, level requirements and market adjustment.
    float prefixScale = 0.0f;
    float suffixScale = 0.0f;
    uint32_t prefixLevel = 0;
    uint32_t suffixLevel = 0;
    if (prefix)
        ReadAffix(*prefix, m_prefixDisplayTag, m_prefixCost, prefixScale, prefixLevel, m_hidePrefixName);
    if (suffix)
        ReadAffix(*suffix, m_suffixDisplayTag, m_suffixCost, suffixScale, suffixLevel, m_hideSuffixName);

    // 8: scaling only when the sum is not exactly 0.
    const float scale = prefixScale + suffixScale + m_attributeScalePercent;
    if (scale != 0.0f) {
        m_charAttributes.ScaleAttributes(scale);
        m_skillAttributes.ScaleAttributes(scale);
        m_damageAttributes.ScaleAttributes(scale);
        m_retaliationAttributes.ScaleAttributes(scale);
        m_defenseAttributes.ScaleAttributes(scale);
    }

    // 9: the skill store's jitter, after every draw of the loads.
    m_skillAttributes.AddJitter(kSkillJitterPercent);
    m_charContribution.Build(m_charAttributes, kAttributeLevel);
    AttributesChanged();

    // 10: the cost records.
    m_charCost.Reset();
    m_charAttributes.GetCostInfo(m_charCost);
    m_skillCost.Reset();
    m_skillAttributes.GetCostInfo(m_skillCost);
    m_defenseCost.Reset();
    m_defenseAttributes.GetCostInfo(m_defenseCost);
    m_damageCost.Reset();
    m_damageAttributes.GetCostInfo(m_damageCost);
    m_retaliationCost.Reset();
    m_retaliationAttributes.GetCostInfo(m_retaliationCost);
    m_augmentCost.Reset();
    m_skillAugment.GetCostInfo(m_augmentCost);

    // 11: the cost, in double precision and held in range.
    if (m_costEquation) {
        const double value = (*m_costEquation)();
        const double percent = static_cast<double>(m_marketAdjustmentPercent) + GetItemCostScalePercent();
        m_cost = TruncateToUnsigned(value + value * percent * 0.01 + 0.5);
    }

    // 12: requirements the record leaves at 0 come from the formulas; the affixes may
    // raise the level requirement.
    auto fromFormula = [](uint32_t& requirement, const std::unique_ptr<DesignerEquation_Algebra>& formula) {
        if (requirement == 0 && formula)
            requirement = RequirementFrom((*formula)());
    };
    fromFormula(m_strengthRequirement, m_strengthEquation);
    fromFormula(m_dexterityRequirement, m_dexterityEquation);
    fromFormula(m_intelligenceRequirement, m_intelligenceEquation);
    fromFormula(m_levelRequirement, m_levelRequirementEquation);
    m_levelRequirement = std::max({m_levelRequirement, prefixLevel, suffixLevel});

    // 13: the game engine holds one set per record.
    if (!m_itemSetName.empty() && gGameEngine)
        gGameEngine->LoadItemSet(m_itemSetName);

    // 14, 15: granted skills, then the relic the identity names.
    m_skillAugment.CreateItemSkills();
    AddRelic(identity.relicName, identity.relicBonus, identity.var1);

    // 16: the generator lived only for this call.
    m_charAttributes.SetRandomGen(nullptr);
    m_skillAttributes.SetRandomGen(nullptr);
    m_damageAttributes.SetRandomGen(nullptr);
    m_retaliationAttributes.SetRandomGen(nullptr);
    m_defenseAttributes.SetRandomGen(nullptr);

    if (wearer)
        m_skillAugment.ApplyToCharacter(*wearer);

    // 17: the kind's own keys.
    InitializeEquipmentSpecial(prefix, suffix);
}

void ItemEquipment::CreateItemRacialBonus(const LoadTable& table)
{
    const std::shared_ptr<const RacialBonus> bonus =
        ReadKept(KeptRacialBonusReads(), table, [](const LoadTable& record) -> std::shared_ptr<const RacialBonus> {
            return RacialBonus::CreateFromTable(record);
        });
    if (bonus)
        m_racialBonuses.push_back(std::make_unique<RacialBonus>(*bonus));
}

void ItemEquipment::LoadSkillAugments(const LoadTable& table)
{
    const KeptAugments::Map& kept = KeptAugmentReads().Current();
    if (const auto found = kept.find(&table); found != kept.end()) {
        m_skillAugment.Add(*found->second);
        return;
    }
    ItemSkillAugment::RecordAugments read = ItemSkillAugment::ReadRecord(table);
    m_skillAugment.Add(read);
    if (!read.broken && RecordKept::IsKept(table)) {
        auto kept = std::make_shared<const ItemSkillAugment::RecordAugments>(std::move(read));
        KeptAugmentReads().ForAdding().emplace(&table, std::move(kept));
    }
}

// ---- Relic ---------------------------------------------------------------------------------

ItemRelic* ItemEquipment::GetRelic() const
{
    return m_relicId ? ObjectManager::Get().GetObject<ItemRelic>(m_relicId) : nullptr;
}

// The relic's skill augments reach the wearer; its attributes come through the getters.
void ItemEquipment::InstallRelic(Character& character)
{
    if (ItemRelic* relic = GetRelic())
        relic->InstallOnCharacter(character);
}

void ItemEquipment::RemoveRelic(Character& character)
{
    if (ItemRelic* relic = GetRelic())
        relic->RemoveFromCharacter(character);
}

void ItemEquipment::AddRelic(const std::string& name, const std::string& bonus, uint32_t level)
{
    Character* wearer = GetCharacter();
    if (ItemRelic* relic = GetRelic()) {
        if (wearer)
            RemoveRelic(*wearer);
        ObjectManager::Get().DestroyObjectEx(relic, "ItemEquipment", __LINE__);
    }
    m_relicId = 0;
    AttributesChanged();

    if (!name.empty()) {
        ItemReplicaInfo relicIdentity;
        relicIdentity.baseName = name;
        relicIdentity.relicBonus = bonus;
        relicIdentity.var1 = level;
        Item* created = IsRelicRecord(name) ? Item::CreateItem(relicIdentity) : nullptr;
        if (created && created->IsA<ItemRelic>()) {
            m_relicId = created->GetObjectId();
            AttributesChanged();
        }
        else if (created)
            ObjectManager::Get().DestroyObjectEx(created, "ItemEquipment", __LINE__);
        else
            gEngine->Log(LOG_WARNING, "Item \"%s\": \"%s\" is no relic; the relic slot stays empty",
                         GetObjectName().c_str(), name.c_str());
    }
    // The identity names what was asked for, an empty slot included, so that a save or
    // a peer never brings back a relic that was taken out.
    const ItemReplicaInfo& current = GetItemReplicaInfo();
    if (current.relicName != name || current.relicBonus != bonus || current.var1 != level) {
        ItemReplicaInfo identity = current;
        identity.relicName = name;
        identity.relicBonus = bonus;
        identity.var1 = level;
        SetItemReplicaInfo(identity);
    }
    if (wearer && HasRelic())
        InstallRelic(*wearer);
}

void ItemEquipment::UpdateReplicaInfo()
{
    const ItemRelic* relic = GetRelic();
    if (!relic)
        return;
    ItemReplicaInfo identity = GetItemReplicaInfo();
    const ItemReplicaInfo& relicIdentity = relic->GetItemReplicaInfo();
    identity.relicName = relic->GetObjectName();
    identity.relicBonus = relicIdentity.relicBonus;
    identity.var1 = relicIdentity.var1;
    SetItemReplicaInfo(identity);
    if (Character* wearer = GetCharacter()) {
        RemoveRelic(*wearer);
        InstallRelic(*wearer);
    }
}

// ---- Attachment ------------------------------------------------------------------------------

void ItemEquipment::AttachItem(Character& character, const std::string& bone)
{
    Item::AttachItem(character, bone);
    m_skillAugment.ApplyToCharacter(character);
    if (!m_itemSetName.empty())
        character.AddItemToSet(m_itemSetName, GetObjectName());
    if (HasRelic())
        InstallRelic(character);
}

void ItemEquipment::DetachItem(Character& character)
{
    Item::DetachItem(character);
    m_skillAugment.RemoveFromCharacter(character);
    if (!m_itemSetName.empty())
        character.RemoveItemFromSet(m_itemSetName, GetObjectName());
    if (HasRelic())
        RemoveRelic(character);
}

// ---- Getters: the stores' values, then the relic's ------------------------------------------

void ItemEquipment::GetCharAttributes(CharAttributeAccumulator& accumulator) const
{
    m_charContribution.AddToAccumulator(accumulator);
    if (const ItemRelic* relic = GetRelic())
        relic->GetCharAttributes(accumulator);
}

void ItemEquipment::GetSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    m_skillAttributes.AddToAccumulator(accumulator, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->GetSkillAttributes(accumulator);
}

void ItemEquipment::GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_damageAttributes.AddDamageToAccumulator(accumulator, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->GetOffensiveDamageAttributes(accumulator);
}

void ItemEquipment::GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_damageAttributes.AddModifierToAccumulator(accumulator, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->GetOffensiveModifierAttributes(accumulator);
}

void ItemEquipment::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_retaliationAttributes.AddDamageToAccumulator(accumulator, kAttributeLevel);
    m_retaliationAttributes.AddModifierToAccumulator(accumulator, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->GetRetaliationAttributes(accumulator);
}

void ItemEquipment::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->GetDefenseAttributes(accumulator);
}

void ItemEquipment::ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    for (const std::unique_ptr<RacialBonus>& racial : m_racialBonuses)
        racial->ContributeDamage(races, bonus, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->ContributeRacialBonusDamage(races, bonus);
}

void ItemEquipment::ContributeRacialBonusDefense(const std::vector<std::string>& races,
                                                 RacialBonus_Defense& bonus) const
{
    for (const std::unique_ptr<RacialBonus>& racial : m_racialBonuses)
        racial->ContributeDefense(races, bonus, kAttributeLevel);
    if (const ItemRelic* relic = GetRelic())
        relic->ContributeRacialBonusDefense(races, bonus);
}

// ---- Requirements and cost -------------------------------------------------------------------

uint32_t ItemEquipment::GetLevelRequirement() const
{
    const ItemRelic* relic = GetRelic();
    return relic ? std::max(m_levelRequirement, relic->GetLevelRequirement()) : m_levelRequirement;
}

uint32_t ItemEquipment::GetStrengthRequirement() const
{
    const ItemRelic* relic = GetRelic();
    return relic ? std::max(m_strengthRequirement, relic->GetStrengthRequirement()) : m_strengthRequirement;
}

uint32_t ItemEquipment::GetDexterityRequirement() const
{
    const ItemRelic* relic = GetRelic();
    return relic ? std::max(m_dexterityRequirement, relic->GetDexterityRequirement()) : m_dexterityRequirement;
}

uint32_t ItemEquipment::GetIntelligenceRequirement() const
{
    const ItemRelic* relic = GetRelic();
    return relic ? std::max(m_intelligenceRequirement, relic->GetIntelligenceRequirement())
                 : m_intelligenceRequirement;
}

float ItemEquipment::ReductionOf(const Character& character, CharAttributeType kind, CharAttributeType cls) const
{
    float reduction = kind != 0 ? character.GetTotalCharAttribute(kind) : 0.0f;
    if (cls != 0)
        reduction += character.GetTotalCharAttribute(cls);
    return reduction;
}

ItemEquipment::RequirementInputs ItemEquipment::GetRequirementInputs(const Character* character) const
{
    RequirementInputs inputs;
    if (!character)
        return inputs;
    inputs.have = {character->GetTotalCharAttribute(CharAttributeType_Strength),
                   character->GetTotalCharAttribute(CharAttributeType_Dexterity),
                   character->GetTotalCharAttribute(CharAttributeType_Intelligence)};
    inputs.reduction = {ReductionOf(*character, m_kindReductions.strength, m_classReductions.strength),
                        ReductionOf(*character, m_kindReductions.dexterity, m_classReductions.dexterity),
                        ReductionOf(*character, m_kindReductions.intelligence, m_classReductions.intelligence)};
    const float global = character->GetTotalCharAttribute(CharAttributeType_GlobalReqReduction);
    if (global > 0.0f)
        for (float& reduction : inputs.reduction)
            reduction += global;
    return inputs;
}

bool ItemEquipment::AreRequirementsMet(const Character* character) const
{
    if (!Item::AreRequirementsMet(character))
        return false;
    const RequirementInputs inputs = GetRequirementInputs(character);
    return MeetsRequirements(inputs.have[0], static_cast<float>(GetStrengthRequirement()), inputs.reduction[0]) &&
           MeetsRequirements(inputs.have[1], static_cast<float>(GetDexterityRequirement()), inputs.reduction[1]) &&
           MeetsRequirements(inputs.have[2], static_cast<float>(GetIntelligenceRequirement()), inputs.reduction[2]);
}

void ItemEquipment::GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIRequirementText(character, lines);
    const RequirementInputs inputs = GetRequirementInputs(character);
    GenerateRequirementText(inputs.have[0], static_cast<float>(GetStrengthRequirement()), inputs.reduction[0],
                            "Strength", lines);
    GenerateRequirementText(inputs.have[1], static_cast<float>(GetDexterityRequirement()), inputs.reduction[1],
                            "Dexterity", lines);
    GenerateRequirementText(inputs.have[2], static_cast<float>(GetIntelligenceRequirement()), inputs.reduction[2],
                            "Intelligence", lines);
}

uint32_t ItemEquipment::GetItemCost(bool flag) const
{
    const ItemRelic* relic = GetRelic();
    return relic ? HoldToUnsigned(uint64_t{m_cost} + relic->GetItemCost(flag)) : m_cost;
}

uint32_t ItemEquipment::GetTotalAttrCostCount() const
{
    return HoldToUnsigned(uint64_t{m_charCost.GetCount()} + m_skillCost.GetCount() + m_defenseCost.GetCount() +
                          m_damageCost.GetCount() + m_retaliationCost.GetCount() + m_augmentCost.GetCount());
}

void ItemEquipment::DumpCostAttributes() const
{
    Item::DumpCostAttributes();
    m_charCost.Dump();
    m_skillCost.Dump();
    m_defenseCost.Dump();
    m_damageCost.Dump();
    m_retaliationCost.Dump();
    m_augmentCost.Dump();
    m_shieldBlockCost.Dump();
    gEngine->Log(LOG_INFO, "Total Attr Count %f", static_cast<double>(GetTotalAttrCostCount()));
    if (m_costEquation) {
        const float value = (*m_costEquation)();
        gEngine->Log(LOG_INFO, "^bCalculated Cost: %f, Rounded Cost: %f", static_cast<double>(value),
                     static_cast<double>(TruncateToUnsigned(static_cast<double>(value) + 0.5)));
    }
}

ItemClassification ItemEquipment::GetItemClassification() const
{
    const ItemRelic* relic = GetRelic();
    return relic ? relic->GetItemClassification() : Item::GetItemClassification();
}

// ---- Art and text ------------------------------------------------------------------------------

Texture* ItemEquipment::GetBitmap()
{
    const bool female = GetGender() == Character_Gender_Female && !m_femaleBitmapName.empty();
    std::unique_ptr<Texture>& texture = female ? m_femaleBitmap : m_bitmap;
    if (!texture)
        texture = std::make_unique<Texture>(female ? m_femaleBitmapName : m_bitmapName);
    return texture.get();
}

Texture* ItemEquipment::GetUIBitmapOverlay()
{
    ItemRelic* relic = GetRelic();
    return relic ? relic->GetRelicOverlayBitmap() : nullptr;
}

void ItemEquipment::GetUIDisplayText_RacialBonus(std::vector<GameTextLine>& lines) const
{
    for (const std::unique_ptr<RacialBonus>& racial : m_racialBonuses)
        racial->CreateText(kAttributeLevel, GameTextClass::ItemBonuses, lines);
}

void ItemEquipment::GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIDisplayText(character, lines);
    CreateUIAttributeText(lines);
    GetUIDisplayText_RacialBonus(lines);
    m_skillAugment.CreateText(GameTextClass::ItemBonuses, lines);
    if (const ItemSet* set = m_itemSetName.empty() || !gGameEngine ? nullptr : gGameEngine->GetItemSet(m_itemSetName)) {
        lines.emplace_back(GameTextClass::Default, u" ", false);
        set->GetUIDisplayText(character ? character->GetItemsInSet(m_itemSetName) : std::vector<std::string>(), lines);
    }
    if (const ItemRelic* relic = GetRelic()) {
        lines.emplace_back(GameTextClass::Default, u"", false);
        relic->GetBoundUIDisplayText(character, lines);
    }
    lines.emplace_back(GameTextClass::Default, u"", false);
    GetUIRequirementText(character, lines);
}

}  // namespace GAME
