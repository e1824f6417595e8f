#include "Game/combat/SkillAttribute.h"

#include <cmath>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

namespace {

constexpr const char* kChanceOfTag = "ChanceOfTag";
constexpr const char* kLootJitterKey = "lootRandomizerJitter";
constexpr float kDrawMin = 0.0f;
constexpr float kDrawMax = 100.0f;

bool InTable(SkillAttributeType type) { return type < kSkillAttributeTypeCount; }

// A value counts when its chance is 0, or when the draw does not exceed the chance.
bool Counts(float chance, float draw) { return chance == 0.0f || draw <= chance; }

}  // namespace

// ---- Accumulator --------------------------------------------------------------------

SkillAttributeAccumulator::~SkillAttributeAccumulator() = default;

void SkillAttributeAccumulator::AddValue(SkillAttributeType type, float value)
{
    if (InTable(type))
        m_values[type] = AddInRange(m_values[type], value);
}

void SkillAttributeAccumulator::AddModifier(SkillAttributeType type, float modifier)
{
    if (InTable(type))
        m_modifiers[type] = AddInRange(m_modifiers[type], modifier);
}

float SkillAttributeAccumulator::GetValue(SkillAttributeType type) const
{
    if (!InTable(type))
        return 0.0f;
    const double value = m_values[type];
    return ToFloatRange(value + std::fabs(value) * m_modifiers[type] * kLootPercent);
}

float SkillAttributeAccumulator::GetModifier(SkillAttributeType type) const
{
    return InTable(type) ? m_modifiers[type] : 0.0f;
}

void SkillAttributeAccumulator::TakeSkippedDraws()
{
    for (; m_skippedDraws != 0; --m_skippedDraws)
        m_randomGen.FGenerate(kDrawMin, kDrawMax);
}

void SkillAttributeAccumulator::Clear()
{
    m_values.fill(0.0f);
    m_modifiers.fill(0.0f);
}

// ---- Root ---------------------------------------------------------------------------

RTTI_ClassInfo SkillAttribute::classInfo("SkillAttribute", nullptr, &SkillAttribute::RTTI_new);
void* SkillAttribute::RTTI_new() { return nullptr; }

SkillAttribute::~SkillAttribute() = default;

void SkillAttribute::LoadBaseTable(const LoadTable& table)
{
    table.GetFloatArray(m_valueKey, m_values);
    table.GetFloatArray(m_chanceKey, m_chances);
    if (m_values.size() == 1 && m_values[0] == 0.0f)
        m_values.clear();
}

void SkillAttribute::LoadBonus(const LoadTable& table, RandomUniform* rng, float& value, float& chance) const
{
    value = table.GetFloat(m_valueKey, 0.0f);
    if (rng)
        value = LootJitter(value, table.GetFloat(kLootJitterKey, 0.0f), *rng);
    chance = table.GetFloat(m_chanceKey, 0.0f);
}

void SkillAttribute::LoadPrefixTable(const LoadTable& table, RandomUniform* rng)
{
    LoadBonus(table, rng, m_prefixValue, m_prefixChance);
}

void SkillAttribute::LoadSuffixTable(const LoadTable& table, RandomUniform* rng)
{
    LoadBonus(table, rng, m_suffixValue, m_suffixChance);
}

void SkillAttribute::WriteLine(TextList& lines, float chance, float value) const
{
    LocalizationManager& text = LocalizationManager::Instance();
    std::u16string line;
    if (chance > 0.0f)
        line = text.Format(kChanceOfTag, static_cast<double>(chance));
    line += text.Format(m_textTag, static_cast<double>(value));
    lines.push_back(std::move(line));
}

void SkillAttribute::CreateText(unsigned level, TextList& lines) const
{
    if (const float value = GetValue(level); value > 0.0f)
        WriteLine(lines, GetChance(level), value);
    if (m_prefixValue > 0.0f)
        WriteLine(lines, m_prefixChance, m_prefixValue);
    if (m_suffixValue > 0.0f)
        WriteLine(lines, m_suffixChance, m_suffixValue);
}

void SkillAttribute::CreateNextText(unsigned level, unsigned nextLevel, TextList& lines) const
{
    const float next = GetValue(nextLevel);
    const float nextChance = GetChance(nextLevel);
    if (next != GetValue(level) || nextChance != GetChance(level))
        WriteLine(lines, nextChance, next);
}

void SkillAttribute::AddJitter(float percent, RandomUniform* rng)
{
    if (LootJittersWith(percent, rng))
        LootJitterEach(m_values, percent, *rng);
}

void SkillAttribute::ScaleAttribute(float percent)
{
    if (percent == 0.0f)
        return;
    LootScaleEach(m_values, percent);
    m_prefixValue = LootScale(m_prefixValue, percent);
    m_suffixValue = LootScale(m_suffixValue, percent);
}

float SkillAttribute::GetTotalValue(RandomUniform& rng, unsigned level) const
{
    float total = 0.0f;
    if (const float draw = rng.FGenerate(kDrawMin, kDrawMax); Counts(GetChance(level), draw))
        total = AddInRange(total, GetValue(level));
    if (const float draw = rng.FGenerate(kDrawMin, kDrawMax); Counts(m_prefixChance, draw))
        total = AddInRange(total, m_prefixValue);
    if (const float draw = rng.FGenerate(kDrawMin, kDrawMax); Counts(m_suffixChance, draw))
        total = AddInRange(total, m_suffixValue);
    return total;
}

namespace {
// A chance that decides without the draw: 0 always counts, and no draw exceeds 100.
bool DecidesAlone(float chance) { return chance == 0.0f || chance >= kDrawMax; }
}  // namespace

bool SkillAttribute::IsRollFree(unsigned level) const
{
    return DecidesAlone(GetChance(level)) && DecidesAlone(m_prefixChance) && DecidesAlone(m_suffixChance);
}

bool SkillAttribute::IsModifier() const { return IsA<SkillAttributeMod>(); }

float SkillAttribute::GetValue(unsigned level) const { return PerLevelValue(m_values, level); }
float SkillAttribute::GetChance(unsigned level) const { return PerLevelValue(m_chances, level); }

// ---- Families -----------------------------------------------------------------------

void SkillAttributeVal::AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const
{
    acc.AddValue(GetType(), GetTotalValue(acc.GetRandomGen(), level));
}

// The level-1 value does not include the prefix and suffix, yet they are taken off it:
// items price low this way, and every peer prices alike.
void SkillAttributeVal::GetCostInfo(CostInfo_SkillAttributes& info) const
{
    info.valueSum = AddInRange(info.valueSum, SubtractInRange(SubtractInRange(GetValue(1), GetPrefixValue()),
                                                              GetSuffixValue()));
    for (float bonus : {GetPrefixValue(), GetSuffixValue()}) {
        if (bonus > 0.0f) {
            info.prefixSuffixSum = AddInRange(info.prefixSuffixSum, bonus);
            ++info.count;
        }
    }
}

void SkillAttributeMod::AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const
{
    acc.AddModifier(GetType(), GetTotalValue(acc.GetRandomGen(), level));
}

void SkillAttributeMod::GetCostInfo(CostInfo_SkillAttributes& info) const
{
    info.modifierSum = AddInRange(info.modifierSum, GetValue(1));
    for (float bonus : {GetPrefixValue(), GetSuffixValue()})
        if (bonus > 0.0f)
            ++info.count;
}

// ---- Class information --------------------------------------------------------------

GAME_IMPLEMENT_ABSTRACT_CLASS(SkillAttributeVal, SkillAttribute)
GAME_IMPLEMENT_ABSTRACT_CLASS(SkillAttributeMod, SkillAttribute)

#define GAME_DEFINE_SKILL_ATTRIBUTE_KIND(Class, Base, ...) \
    GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Base)             \
    std::unique_ptr<SkillAttribute> Class::Clone() const { return std::make_unique<Class>(*this); }
GAME_SKILL_ATTRIBUTE_KINDS(GAME_DEFINE_SKILL_ATTRIBUTE_KIND)
#undef GAME_DEFINE_SKILL_ATTRIBUTE_KIND

namespace {

template <class Kind>
std::unique_ptr<SkillAttribute> CreateSkillAttribute()
{
    return std::make_unique<Kind>();
}

#define GAME_SKILL_ATTRIBUTE_KIND_ENTRY(Class, ...) {#Class, &CreateSkillAttribute<Class>},
const SkillAttributeKind kSkillAttributeKinds[] = {GAME_SKILL_ATTRIBUTE_KINDS(GAME_SKILL_ATTRIBUTE_KIND_ENTRY)};
#undef GAME_SKILL_ATTRIBUTE_KIND_ENTRY

}  // namespace

std::span<const SkillAttributeKind> GetSkillAttributeKinds() { return kSkillAttributeKinds; }

}  // namespace GAME
