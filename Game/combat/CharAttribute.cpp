#include "Game/combat/CharAttribute.h"

#include <cmath>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

constexpr const char* kLootJitterKey = "lootRandomizerJitter";
constexpr const char* kBaseAttackSpeedTagKey = "characterBaseAttackSpeedTag";
constexpr const char* kBaseAttackSpeedTagDefault = "CharacterAttackSpeedNotSet";

bool InTable(CharAttributeType type) { return type < kCharAttributeTypeCount; }

std::u16string ValueText(const char* tag, float value)
{
    return LocalizationManager::Instance().Format(tag, static_cast<double>(value));
}

}  // namespace

// ---- Accumulator --------------------------------------------------------------------

void CharAttributeAccumulator::AddValue(CharAttributeType type, float value)
{
    if (InTable(type))
        AddAtPlace(ValuePlace(type), value);
}

void CharAttributeAccumulator::AddModifier(CharAttributeType type, float modifier)
{
    if (InTable(type))
        AddAtPlace(ModifierPlace(type), modifier);
}

float CharAttributeAccumulator::GetValue(CharAttributeType type) const
{
    if (!InTable(type))
        return 0.0f;
    const double value = m_sums[ValuePlace(type)];
    return ToFloatRange(value + std::fabs(value) * m_sums[ModifierPlace(type)] * kLootPercent);
}

float CharAttributeAccumulator::GetModifier(CharAttributeType type) const
{
    return InTable(type) ? m_sums[ModifierPlace(type)] : 0.0f;
}

void CharAttributeAccumulator::Clear() { m_sums.fill(0.0f); }

// ---- Root ---------------------------------------------------------------------------

RTTI_ClassInfo CharAttribute::classInfo("CharAttribute", nullptr, &CharAttribute::RTTI_new);
void* CharAttribute::RTTI_new() { return nullptr; }

CharAttribute::~CharAttribute() = default;

void CharAttribute::LoadBaseTable(const LoadTable& table)
{
    table.GetFloatArray(m_recordKey, m_values);
    if (m_values.size() == 1 && m_values[0] == 0.0f)
        m_values.clear();
}

float CharAttribute::LoadBonus(const LoadTable& table, RandomUniform* rng) const
{
    const float value = table.GetFloat(m_recordKey, 0.0f);
    return rng ? LootJitter(value, table.GetFloat(kLootJitterKey, 0.0f), *rng) : value;
}

void CharAttribute::LoadPrefixTable(const LoadTable& table, RandomUniform* rng) { m_prefixValue = LoadBonus(table, rng); }
void CharAttribute::LoadSuffixTable(const LoadTable& table, RandomUniform* rng) { m_suffixValue = LoadBonus(table, rng); }

void CharAttribute::CreateText(unsigned level, TextList&, TextList& bonusLines) const
{
    if (const float value = GetValue(level); value != 0.0f)
        bonusLines.push_back(ValueText(m_textTag, value));
}

void CharAttribute::CreateNextText(unsigned level, unsigned nextLevel, TextList&, TextList& bonusLines) const
{
    if (const float next = GetValue(nextLevel); next != GetValue(level))
        bonusLines.push_back(ValueText(m_textTag, next));
}

void CharAttribute::SetBaseValue(float value)
{
    m_values.assign(1, value);
    m_prefixValue = 0.0f;
    m_suffixValue = 0.0f;
}

void CharAttribute::AddJitter(float percent, RandomUniform* rng)
{
    if (LootJittersWith(percent, rng))
        LootJitterEach(m_values, percent, *rng);
}

void CharAttribute::ScaleAttribute(float percent)
{
    if (percent == 0.0f)
        return;
    LootScaleEach(m_values, percent);
    m_prefixValue = LootScale(m_prefixValue, percent);
    m_suffixValue = LootScale(m_suffixValue, percent);
}

float CharAttribute::GetValue(unsigned level) const
{
    if (level == 0)
        return 0.0f;
    return AddInRange(AddInRange(PerLevelValue(m_values, level), m_prefixValue), m_suffixValue);
}

void CharAttribute::AddCost(CostInfo_CharacterAttributes& info, CostCategory category, float value, uint32_t count)
{
    if (value == 0.0f)
        return;
    CharAttributeCost& cost = info.*category;
    cost.sum = AddInRange(cost.sum, value);
    cost.count += count;
}

// ---- Families -----------------------------------------------------------------------

void CharAttributeVal::AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const
{
    acc.AddValue(GetType(), GetValue(level));
}

void CharAttributeVal::GetCostInfo(CostInfo_CharacterAttributes& info) const
{
    AddCost(info, GetCostCategory(), GetValue(1));
}

void CharAttributeMod::AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const
{
    acc.AddModifier(GetType(), GetValue(level));
}

void CharAttributeMod::GetCostInfo(CostInfo_CharacterAttributes& info) const
{
    AddCost(info, GetCostCategory(), GetValue(1));
}

// ---- Leaves of their own ------------------------------------------------------------

void CharAttributeMod_AttackSpeed::AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const
{
    const float value = GetValue(level);
    acc.AddModifier(CharAttributeType_AttackSpeed, value);
    acc.AddModifier(CharAttributeType_BaseAttackSpeed, value);
}

void CharAttributeMod_TotalSpeed::AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const
{
    const float value = GetValue(level);
    for (CharAttributeType type : {CharAttributeType_RunSpeed, CharAttributeType_AttackSpeed,
                                   CharAttributeType_BaseAttackSpeed, CharAttributeType_SpellCastSpeed})
        acc.AddModifier(type, value);
}

void CharAttributeMod_TotalSpeed::GetCostInfo(CostInfo_CharacterAttributes& info) const
{
    const float value = GetValue(1);
    AddCost(info, &CostInfo_CharacterAttributes::attackSpeedModifier, MultiplyInRange(value, 2.0f), 2);
    AddCost(info, &CostInfo_CharacterAttributes::otherSpeedModifier, value);
}

void CharAttributeVal_BaseAttackSpeed::LoadBaseTable(const LoadTable& table)
{
    CharAttributeVal::LoadBaseTable(table);
    m_tagText = table.GetString(kBaseAttackSpeedTagKey, kBaseAttackSpeedTagDefault);
}

// The record chooses the tag: the checked formatter logs a tag whose text asks for
// values and shows it as it stands.
void CharAttributeVal_BaseAttackSpeed::CreateText(unsigned, TextList& baseLines, TextList&) const
{
    baseLines.push_back(LocalizationManager::Instance().Format(m_tagText.c_str()));
}

void CharAttributeVal_BaseAttackSpeed::GetCostInfo(CostInfo_CharacterAttributes& info) const
{
    AddCost(info, &CostInfo_CharacterAttributes::attackSpeed, GetValue(1));
}

// ---- Class information --------------------------------------------------------------

GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeVal, CharAttribute)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeMod, CharAttribute)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeValPri, CharAttributeVal)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeValSec, CharAttributeVal)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeValSpeed, CharAttributeVal)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeAttackSpeed, CharAttributeValSpeed)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeOtherSpeed, CharAttributeValSpeed)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributePriMod, CharAttributeMod)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeSecMod, CharAttributeMod)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeAttackSpeedMod, CharAttributeMod)
GAME_IMPLEMENT_ABSTRACT_CLASS(CharAttributeOtherSpeedMod, CharAttributeMod)

#define GAME_IMPLEMENT_CHAR_ATTRIBUTE(Class, Base) \
    GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Base)     \
    std::unique_ptr<CharAttribute> Class::Clone() const { return std::make_unique<Class>(*this); }
#define GAME_DEFINE_CHAR_ATTRIBUTE_KIND(Class, Base, ...) GAME_IMPLEMENT_CHAR_ATTRIBUTE(Class, Base)

GAME_CHAR_ATTRIBUTE_VALUE_KINDS(GAME_DEFINE_CHAR_ATTRIBUTE_KIND)
GAME_CHAR_ATTRIBUTE_MODIFIER_KINDS(GAME_DEFINE_CHAR_ATTRIBUTE_KIND)
GAME_IMPLEMENT_CHAR_ATTRIBUTE(CharAttributeVal_ManaLimitReserve, CharAttributeVal)
GAME_IMPLEMENT_CHAR_ATTRIBUTE(CharAttributeVal_LevelReqReduction, CharAttributeVal)
GAME_IMPLEMENT_CHAR_ATTRIBUTE(CharAttributeMod_AttackSpeed, CharAttributeAttackSpeedMod)
GAME_IMPLEMENT_CHAR_ATTRIBUTE(CharAttributeMod_TotalSpeed, CharAttributeMod)
GAME_IMPLEMENT_CHAR_ATTRIBUTE(CharAttributeVal_BaseAttackSpeed, CharAttributeVal)

#undef GAME_DEFINE_CHAR_ATTRIBUTE_KIND

namespace {

template <class Kind>
std::unique_ptr<CharAttribute> CreateCharAttribute()
{
    return std::make_unique<Kind>();
}

#define GAME_CHAR_ATTRIBUTE_KIND_ENTRY(Class, ...) {#Class, &CreateCharAttribute<Class>},
const CharAttributeKind kCharAttributeKinds[] = {
    GAME_CHAR_ATTRIBUTE_VALUE_KINDS(GAME_CHAR_ATTRIBUTE_KIND_ENTRY)
    GAME_CHAR_ATTRIBUTE_MODIFIER_KINDS(GAME_CHAR_ATTRIBUTE_KIND_ENTRY)
    GAME_CHAR_ATTRIBUTE_KIND_ENTRY(CharAttributeVal_ManaLimitReserve)
    GAME_CHAR_ATTRIBUTE_KIND_ENTRY(CharAttributeVal_LevelReqReduction)
    GAME_CHAR_ATTRIBUTE_KIND_ENTRY(CharAttributeMod_AttackSpeed)
    GAME_CHAR_ATTRIBUTE_KIND_ENTRY(CharAttributeMod_TotalSpeed)
    GAME_CHAR_ATTRIBUTE_KIND_ENTRY(CharAttributeVal_BaseAttackSpeed)
};
#undef GAME_CHAR_ATTRIBUTE_KIND_ENTRY

}  // namespace

std::span<const CharAttributeKind> GetCharAttributeKinds() { return kCharAttributeKinds; }

}  // namespace GAME
