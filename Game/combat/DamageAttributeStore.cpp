#include "Game/combat/DamageAttributeStore.h"

#include <utility>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/core/foundation/RecordKeptReads.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

constexpr const char* kGlobalChanceKey = "offensiveGlobalChance";
constexpr const char* kLootJitterKey = "lootRandomizerJitter";

// A global roll draws a percent from 0 to 100; a chance of this or more always passes and
// its header shows no number.
constexpr float kGlobalRollMin = 0.0f;
constexpr float kGlobalRollMax = 100.0f;

constexpr const char* kAllChanceTag = "GlobalChanceOfAllTag";
constexpr const char* kAllPercentChanceTag = "GlobalPercentChanceOfAllTag";
constexpr const char* kOneChanceTag = "GlobalChanceOfOneTag";
constexpr const char* kOnePercentChanceTag = "GlobalPercentChanceOfOneTag";

template <class Kind>
constexpr DamageAttributeStore::Loader LoadKind = DamageAttributeStore::kLoad<Kind>;

// ---- Load orders ------------------------------------------------------------------------

// A weapon's base and bonus damage (after its base physical damage).
const DamageAttributeStore::Loader kWeaponBaseClasses[] = {
    LoadKind<DamageAttributeAbsBase_Fire>,
    LoadKind<DamageAttributeAbsBase_Cold>,
    LoadKind<DamageAttributeAbsBase_Lightning>,
    LoadKind<DamageAttributeAbsBase_Poison>,
    LoadKind<DamageAttributeAbsBase_Life>,
    LoadKind<DamageAttributeAbs_BonusPhysical>,
};

// Armour's and jewellery's physical damage.
const DamageAttributeStore::Loader kArmorBaseClasses[] = {
    LoadKind<DamageAttribute_Physical>,
};

// A skill's physical damage and physical damage over time.
const DamageAttributeStore::Loader kSkillBaseClasses[] = {
    LoadKind<DamageAttribute_Physical>,
    LoadKind<DamageAttributeDur_Physical>,
};

// The damage, modifiers and reductions that items and skills load in the same order.
const DamageAttributeStore::Loader kSharedClasses[] = {
    LoadKind<DamageAttributeAbsMod_Physical>,
    LoadKind<DamageAttributeDurMod_Physical>,
    LoadKind<DamageAttributeAbsMod_PierceRatio>,
    LoadKind<DamageAttributeAbs_Pierce>,
    LoadKind<DamageAttributeAbsMod_Pierce>,
    LoadKind<DamageAttributeDur_Bleeding>,
    LoadKind<DamageAttributeAbsMod_Bleeding>,
    LoadKind<DamageAttributeDurMod_Bleeding>,
    LoadKind<DamageAttributeAbs_ElementalDamage>,
    LoadKind<DamageAttributeAbsMod_Elemental>,
    LoadKind<DamageAttributeAbs_Fire>,
    LoadKind<DamageAttributeDur_Fire>,
    LoadKind<DamageAttributeAbsMod_Fire>,
    LoadKind<DamageAttributeDurMod_Fire>,
    LoadKind<DamageAttributeAbs_Cold>,
    LoadKind<DamageAttributeDur_Cold>,
    LoadKind<DamageAttributeAbsMod_Cold>,
    LoadKind<DamageAttributeDurMod_Cold>,
    LoadKind<DamageAttributeAbs_Lightning>,
    LoadKind<DamageAttributeDur_Lightning>,
    LoadKind<DamageAttributeAbsMod_Lightning>,
    LoadKind<DamageAttributeDurMod_Lightning>,
    LoadKind<DamageAttributeAbs_Poison>,
    LoadKind<DamageAttributeDur_Poison>,
    LoadKind<DamageAttributeAbsMod_Poison>,
    LoadKind<DamageAttributeDurMod_Poison>,
    LoadKind<DamageAttributeAbs_PercentCurrentLife>,
    LoadKind<DamageAttributeAbs_Life>,
    LoadKind<DamageAttributeDur_Life>,
    LoadKind<DamageAttributeAbsMod_Life>,
    LoadKind<DamageAttributeDurMod_Life>,
    LoadKind<DamageAttributeAbs_LifeLeech>,
    LoadKind<DamageAttributeDur_LifeLeach>,
    LoadKind<DamageAttributeDurMod_LifeLeach>,
    LoadKind<DamageAttributeAbs_ManaBurn>,
    LoadKind<DamageAttributeAbsMod_ManaBurn>,
    LoadKind<DamageAttributeDur_ManaLeach>,
    LoadKind<DamageAttributeDurMod_ManaLeach>,
    LoadKind<DamageAttributeDur_OffensiveAbility>,
    LoadKind<DamageAttributeDurMod_OffensiveAbility>,
    LoadKind<DamageAttributeDur_DefensiveAbility>,
    LoadKind<DamageAttributeDurMod_DefensiveAbility>,
    LoadKind<DamageAttributeDur_OffensiveReduction>,
    LoadKind<DamageAttributeDurMod_OffensiveReduction>,
    LoadKind<DamageAttributeDur_DefensiveReduction>,
    LoadKind<DamageAttributeDur_TotalDamageReductionPercent>,
    LoadKind<DamageAttributeDur_TotalDamageReductionAbsolute>,
    LoadKind<DamageAttributeDur_TotalResistanceReductionPercent>,
    LoadKind<DamageAttributeDur_TotalResistanceReductionAbsolute>,
    LoadKind<DamageAttributeDur_Fumble>,
    LoadKind<DamageAttributeDur_ProjectileFumble>,
};

// An item's effects: no trap, taunt or fear.
const DamageAttributeStore::Loader kEquipmentEffectClasses[] = {
    LoadKind<DamageAttributeReflex_Stun>,
    LoadKind<DamageAttributeAbsMod_Stun>,
    LoadKind<DamageAttributeReflex_Freeze>,
    LoadKind<DamageAttributeReflex_Petrify>,
    LoadKind<DamageAttributeAbs_Convert>,
    LoadKind<DamageAttributeAbs_Confusion>,
};

// Slower speeds, after the effects.
const DamageAttributeStore::Loader kSpeedClasses[] = {
    LoadKind<DamageAttributeDur_TotalSpeed>,
    LoadKind<DamageAttributeDur_AttackSpeed>,
    LoadKind<DamageAttributeDurMod_AttackSpeed>,
    LoadKind<DamageAttributeDur_SpellCastSpeed>,
    LoadKind<DamageAttributeDurMod_SpellCastSpeed>,
    LoadKind<DamageAttributeDur_RunSpeed>,
    LoadKind<DamageAttributeDurMod_RunSpeed>,
};

// An item's disruption comes last.
const DamageAttributeStore::Loader kEquipmentLastClasses[] = {
    LoadKind<DamageAttributeAbs_Disruption>,
};

// A skill's effects, disruption first.
const DamageAttributeStore::Loader kSkillEffectClasses[] = {
    LoadKind<DamageAttributeAbs_Disruption>,
    LoadKind<DamageAttributeReflex_Stun>,
    LoadKind<DamageAttributeAbsMod_Stun>,
    LoadKind<DamageAttributeReflex_Trap>,
    LoadKind<DamageAttributeReflex_Freeze>,
    LoadKind<DamageAttributeReflex_Petrify>,
    LoadKind<DamageAttributeAbs_Taunt>,
    LoadKind<DamageAttributeAbs_Convert>,
    LoadKind<DamageAttributeAbs_Fear>,
    LoadKind<DamageAttributeAbs_Confusion>,
};

using ClassRun = std::span<const DamageAttributeStore::Loader>;

// The attributes kept records gave in each load order, as read, before any draw: every
// item made from a record loads its stores afresh, and copying what was read costs less
// than reading the record's keys again. Records are named by records, so they are few.
using KeptDamageKindReads = RecordLoadReads<DamageAttributeStore::DamageKindRead>::Kept;

KeptDamageKindReads& KeptDamageReads()
{
    thread_local KeptDamageKindReads kept(4096);
    return kept;
}

// Each store kind's classes: weapon 71 (after its base physical damage), armour 66,
// skill 70.
const ClassRun kWeaponOrder[] = {kWeaponBaseClasses, kSharedClasses, kEquipmentEffectClasses, kSpeedClasses,
                                 kEquipmentLastClasses};
const ClassRun kArmorOrder[] = {kArmorBaseClasses, kSharedClasses, kEquipmentEffectClasses, kSpeedClasses,
                                kEquipmentLastClasses};
const ClassRun kSkillOrder[] = {kSkillBaseClasses, kSharedClasses, kSkillEffectClasses, kSpeedClasses};

// A group member's lines show an indent instead of its own chance while it writes them.
class HiddenChance {
public:
    explicit HiddenChance(DamageAttribute& attribute) : m_attribute(attribute)
    {
        m_attribute.SetHideChanceIndentLine(true);
    }
    ~HiddenChance() { m_attribute.SetHideChanceIndentLine(false); }
    HiddenChance(const HiddenChance&) = delete;
    HiddenChance& operator=(const HiddenChance&) = delete;

private:
    DamageAttribute& m_attribute;
};

void AppendAll(DamageAttributeStore::TextList& to, DamageAttributeStore::TextList& from)
{
    for (std::u16string& line : from)
        to.push_back(std::move(line));
}

// A group's lines, each member's with an indent in place of its chance, under a header of
// the group's chance; nothing, not even the header, when no member writes a line.
template <class MakeLines>
void WriteGroup(const OwnedAttributeList<DamageAttribute>& group, DamageAttributeStore::TextList& texts2,
                float chance, const char* certainTag, const char* percentTag, MakeLines makeLines)
{
    if (group.empty())
        return;
    DamageAttributeStore::TextList lines1, lines2, lines3;
    for (const auto& member : group) {
        HiddenChance hidden(*member);
        makeLines(*member, lines1, lines2, lines3);
    }
    if (lines1.empty() && lines2.empty() && lines3.empty())
        return;
    LocalizationManager& text = LocalizationManager::Instance();
    texts2.push_back(chance >= kGlobalRollMax ? text.Format(certainTag)
                                              : text.Format(percentTag, static_cast<double>(chance)));
    AppendAll(texts2, lines1);
    AppendAll(texts2, lines2);
    AppendAll(texts2, lines3);
}

}  // namespace

// ---- Construction, copies and moves -------------------------------------------------

DamageAttributeStore::DamageAttributeStore(const DamageAttributeStore& other)
    : m_globalXorAttributes(other.m_globalXorAttributes),
      m_globalAndAttributes(other.m_globalAndAttributes),
      m_attributes(other.m_attributes),
      m_globalChance(other.m_globalChance),
      m_prefixGlobalChance(other.m_prefixGlobalChance),
      m_suffixGlobalChance(other.m_suffixGlobalChance)
{
    IndexPasses();
}

DamageAttributeStore::DamageAttributeStore(DamageAttributeStore&& other) noexcept { TakeFrom(other); }

DamageAttributeStore& DamageAttributeStore::operator=(const DamageAttributeStore& other)
{
    if (this != &other) {
        DamageAttributeStore copy(other);
        TakeFrom(copy);
    }
    return *this;
}

DamageAttributeStore& DamageAttributeStore::operator=(DamageAttributeStore&& other) noexcept
{
    if (this != &other)
        TakeFrom(other);
    return *this;
}

DamageAttributeStore::~DamageAttributeStore() = default;

// Everything of the other's but its generator, which is lent to one store for one load;
// the other is left as a new store.
void DamageAttributeStore::TakeFrom(DamageAttributeStore& other) noexcept
{
    m_globalXorAttributes = std::move(other.m_globalXorAttributes);
    m_globalAndAttributes = std::move(other.m_globalAndAttributes);
    m_attributes = std::move(other.m_attributes);
    m_damagePass = std::exchange(other.m_damagePass, {});
    m_modifierPass = std::exchange(other.m_modifierPass, {});
    m_randomGen = nullptr;
    other.m_randomGen = nullptr;
    m_globalChance = std::exchange(other.m_globalChance, {});
    m_prefixGlobalChance = std::exchange(other.m_prefixGlobalChance, 0.0f);
    m_suffixGlobalChance = std::exchange(other.m_suffixGlobalChance, 0.0f);
}

// ---- Lists --------------------------------------------------------------------------

void DamageAttributeStore::AddGlobalXorAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    m_globalXorAttributes.Add(std::move(attribute));
}

void DamageAttributeStore::AddGlobalAndAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    m_globalAndAttributes.Add(std::move(attribute));
}

void DamageAttributeStore::AddAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    if (!attribute)
        return;
    const unsigned passes = attribute->GetPasses();
    const DamageAttribute* added = attribute.get();
    m_attributes.Add(std::move(attribute));
    if (passes & DamageAttribute::kDamagePass)
        m_damagePass.push_back(added);
    if (passes & DamageAttribute::kModifierPass)
        m_modifierPass.push_back(added);
}

void DamageAttributeStore::IndexPasses()
{
    m_damagePass.clear();
    m_modifierPass.clear();
    for (const auto& attribute : m_attributes) {
        const unsigned passes = attribute->GetPasses();
        if (passes & DamageAttribute::kDamagePass)
            m_damagePass.push_back(attribute.get());
        if (passes & DamageAttribute::kModifierPass)
            m_modifierPass.push_back(attribute.get());
    }
}

void DamageAttributeStore::Add(DamageAttributeList list, std::unique_ptr<DamageAttribute> attribute)
{
    switch (list) {
    case DamageAttributeList::Attributes:
        AddAttribute(std::move(attribute));
        break;
    case DamageAttributeList::GlobalAnd:
        AddGlobalAndAttribute(std::move(attribute));
        break;
    case DamageAttributeList::GlobalXor:
        AddGlobalXorAttribute(std::move(attribute));
        break;
    case DamageAttributeList::None:
        break;
    }
}

void DamageAttributeStore::Clear()
{
    m_globalXorAttributes.Clear();
    m_globalAndAttributes.Clear();
    m_attributes.Clear();
    m_damagePass.clear();
    m_modifierPass.clear();
}

// ---- Global chance ------------------------------------------------------------------

void DamageAttributeStore::SetGlobalChance(const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix)
{
    ReadGlobalChance(kGlobalChanceKey, record, prefix, suffix);
}

void DamageAttributeStore::ReadGlobalChance(const char* key, const LoadTable& record, const LoadTable* prefix,
                                            const LoadTable* suffix)
{
    if (m_globalChance.empty())
        record.GetFloatArray(key, m_globalChance);
    if (prefix)
        m_prefixGlobalChance = prefix->GetFloat(key, 0.0f);
    if (suffix)
        m_suffixGlobalChance = suffix->GetFloat(key, 0.0f);
}

// ---- Loading ------------------------------------------------------------------------

void DamageAttributeStore::AddRead(const DamageKindRead& read, float jitter)
{
    std::unique_ptr<DamageAttribute> copy = read.attribute->Clone();
    DamageAttribute* added = copy.get();
    Add(read.list, std::move(copy));
    added->AddJitter(jitter, m_randomGen);
}

void DamageAttributeStore::LoadClass(Loader load, const LoadTable& record, float jitter, size_t index,
                                     DamageKindReads* reads)
{
    const size_t before[] = {m_attributes.Items().size(), m_globalAndAttributes.Items().size(),
                             m_globalXorAttributes.Items().size()};
    DamageAttribute* attribute = load(*this, record);
    if (!attribute)
        return;
    if (reads) {
        // The list the load chose is the one that grew.
        DamageAttributeList list = DamageAttributeList::Attributes;
        if (m_globalAndAttributes.Items().size() != before[1])
            list = DamageAttributeList::GlobalAnd;
        else if (m_globalXorAttributes.Items().size() != before[2])
            list = DamageAttributeList::GlobalXor;
        reads->push_back({index, attribute->Clone(), list});
    }
    attribute->AddJitter(jitter, m_randomGen);
}

void DamageAttributeStore::LoadClasses(LoadOrder order, const LoadTable& record, const LoadTable* prefix,
                                       const LoadTable* suffix, float jitter)
{
    const LoadTable* const records[] = {&record, prefix, suffix};
    const float jitters[] = {jitter, prefix ? prefix->GetFloat(kLootJitterKey, 0.0f) : 0.0f,
                             suffix ? suffix->GetFloat(kLootJitterKey, 0.0f) : 0.0f};
    RecordLoadReads<DamageKindRead> reads(KeptDamageReads(), records, order.data());
    const auto add = [&](int i, const DamageKindRead& read) { AddRead(read, jitters[i]); };
    if (reads.AllKnown()) {
        reads.ApplyAllKnown(add);
        return;
    }
    size_t index = 0;
    for (ClassRun run : order) {
        for (Loader load : run) {
            for (int i = 0; i < 3; ++i) {
                if (!records[i])
                    continue;
                if (reads.IsKnown(i))
                    reads.ApplyKnown(i, index, [&](const DamageKindRead& read) { add(i, read); });
                else
                    LoadClass(load, *records[i], jitters[i], index, reads.Reading(i));
            }
            ++index;
        }
    }
    reads.Keep();
}

void DamageAttributeStore_Equipment::Load(const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix,
                                          bool armor)
{
    Clear();
    SetGlobalChance(record, prefix, suffix);
    if (armor) {
        LoadClasses(kArmorOrder, record, prefix, suffix, kItemJitterPercent);
        return;
    }
    DamageAttribute_BasePhysical::Create_BasePhysical(*this, record);
    LoadClasses(kWeaponOrder, record, prefix, suffix, kItemJitterPercent);
}

void DamageAttributeStore_Skill::Load(const LoadTable& record)
{
    Clear();
    SetGlobalChance(record, nullptr, nullptr);
    LoadClasses(kSkillOrder, record, nullptr, nullptr, kSkillJitterPercent);
}

// ---- An attack ----------------------------------------------------------------------

// The plain list skips attributes that add nothing in the pass (they draw nothing either),
// so the draws and the objects come in the same order as when every attribute is visited.
void DamageAttributeStore::AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const
{
    Offer(acc, level, m_damagePass,
          [&acc, level](const DamageAttribute& attribute, RandomUniform& rng, bool force) {
              attribute.AddDamageToAccumulator(acc, level, rng, force);
          });
}

void DamageAttributeStore::AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const
{
    Offer(acc, level, m_modifierPass,
          [&acc, level](const DamageAttribute& attribute, RandomUniform& rng, bool force) {
              attribute.AddModifierToAccumulator(acc, level, rng, force);
          });
}

template <class Contribute>
void DamageAttributeStore::Offer(CombatAttributeAccumulator& acc, unsigned level, const PassList& plain,
                                 Contribute contribute) const
{
    RandomUniform& rng = acc.GetRandomGen();
    for (const DamageAttribute* attribute : plain)
        contribute(*attribute, rng, false);
    const float chance = GetGlobalChance(level);
    if (!(chance > 0.0f))
        return;
    if (rng.FGenerate(kGlobalRollMin, kGlobalRollMax) > chance)
        return;
    for (const auto& attribute : m_globalAndAttributes)
        contribute(*attribute, rng, true);
    if (m_globalXorAttributes.empty())
        return;
    if (const DamageAttribute* picked = PickXorMember(rng, level))
        contribute(*picked, rng, true);
}

// One member by weight (its chance for the level), the weights summed in single precision;
// a pick on the boundary of two members goes to the earlier one.
const DamageAttribute* DamageAttributeStore::PickXorMember(RandomUniform& rng, unsigned level) const
{
    float total = 0.0f;
    for (const auto& attribute : m_globalXorAttributes)
        total += attribute->GetChance(level);
    const float pick = rng.FGenerate(0.0f, total);
    float running = 0.0f;
    for (const auto& attribute : m_globalXorAttributes) {
        running += attribute->GetChance(level);
        if (pick <= running)
            return attribute.get();
    }
    return nullptr;
}

void DamageAttributeStore::ScaleAttributes(float factor)
{
    for (const OwnedList* list : {&m_globalXorAttributes, &m_globalAndAttributes, &m_attributes})
        for (const auto& attribute : *list)
            attribute->ScaleAttribute(factor);
}

void DamageAttributeStore::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    for (const OwnedList* list : {&m_globalXorAttributes, &m_globalAndAttributes, &m_attributes})
        for (const auto& attribute : *list)
            attribute->GetCostInfo(info);
}

// ---- Text ---------------------------------------------------------------------------

void DamageAttributeStore::CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const
{
    auto lines = [level](const DamageAttribute& attribute, TextList& t1, TextList& t2, TextList& t3) {
        attribute.CreateText(t1, t2, t3, level);
    };
    for (const auto& attribute : m_attributes)
        lines(*attribute, texts1, texts2, texts3);
    const float chance = GetGlobalChance(level);
    WriteGroup(m_globalAndAttributes, texts2, chance, kAllChanceTag, kAllPercentChanceTag, lines);
    WriteGroup(m_globalXorAttributes, texts2, chance, kOneChanceTag, kOnePercentChanceTag, lines);
}

void DamageAttributeStore::CreateNextText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level,
                                          unsigned nextLevel) const
{
    auto lines = [level, nextLevel](const DamageAttribute& attribute, TextList& t1, TextList& t2, TextList& t3) {
        attribute.CreateNextText(t1, t2, t3, level, nextLevel);
    };
    for (const auto& attribute : m_attributes)
        lines(*attribute, texts1, texts2, texts3);
    const float chance = GetGlobalChance(nextLevel);
    WriteGroup(m_globalAndAttributes, texts2, chance, kAllChanceTag, kAllPercentChanceTag, lines);
    WriteGroup(m_globalXorAttributes, texts2, chance, kOneChanceTag, kOnePercentChanceTag, lines);
}

}  // namespace GAME
