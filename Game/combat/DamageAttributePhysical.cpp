#include "Game/combat/DamageAttributePhysical.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

constexpr const char* kPhysicalMinKey = "offensivePhysicalMin";
constexpr const char* kPhysicalMaxKey = "offensivePhysicalMax";
constexpr const char* kBasePierceRatioKey = "offensivePierceRatioMin";
constexpr const char* kPierceRatioKey = "offensivePierceRatio";

constexpr const char* kPhysicalTag = "DamageBasePhysical";
constexpr const char* kPierceRatioTag = "DamageBasePierceRatio";
constexpr const char* kManaBurnRatioTag = "DamageManaBurnRatio";

// The pierce ratio has a line of its own.
void AppendPierceLine(DamageAttribute::TextList& texts, float pierceRatio)
{
    texts.push_back(LocalizationManager::Instance().Format(kPierceRatioTag, pierceRatio));
}

}  // namespace

// ---- Base physical ------------------------------------------------------------------

DamageAttribute* DamageAttribute_BasePhysical::Create_BasePhysical(DamageAttributeStore& store, const LoadTable& record)
{
    return Load(std::make_unique<DamageAttribute_BasePhysical>(), store, record);
}

DamageAttributeList DamageAttribute_BasePhysical::LoadFromTable(const LoadTable& record)
{
    m_minimum = record.GetFloat(kPhysicalMinKey, 0.0f);
    m_range = std::max(SubtractInRange(record.GetFloat(kPhysicalMaxKey, 0.0f), m_minimum), 0.0f);
    m_pierceRatio = record.GetFloat(kBasePierceRatioKey, 0.0f);
    return DamageAttributeList::Attributes;
}

void DamageAttribute_BasePhysical::AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned, RandomUniform& rng,
                                                          bool) const
{
    const float value = rng.FGenerate(m_minimum, AddInRange(m_minimum, m_range));
    AddDamageObject<CombatAttributeDamage_BasePhysical>(acc, GetType(), value, m_pierceRatio, true);
}

void DamageAttribute_BasePhysical::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        m_minimum = LootScale(m_minimum, percent);
}

void DamageAttribute_BasePhysical::CreateText(TextList& texts1, TextList&, TextList&, unsigned) const
{
    if (!(m_minimum > 0.0f) && !(m_range > 0.0f))
        return;
    std::u16string& line = StartLine();
    const float maximum = m_range > 0.0f ? AddInRange(m_minimum, m_range) : m_minimum;
    AppendAmount(line, kSingleFormatTag, kRangeFormatTag, m_minimum, maximum);
    AppendText(line, kPhysicalTag);
    texts1.emplace_back(line);
    if (m_pierceRatio > 0.0f)
        AppendPierceLine(texts1, m_pierceRatio);
}

void DamageAttribute_BasePhysical::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    const float average = AddInRange(AddInRange(m_minimum, m_minimum), m_range) * kHalf;
    if (average > 0.0f || m_pierceRatio > 0.0f) {
        AddCost(info.avgBase, average);
        ++info.count;
        AddCost(info.avgPierceRatio, m_pierceRatio);
    }
}

// ---- Physical -----------------------------------------------------------------------

DamageAttributeList DamageAttribute_Physical::LoadFromTable(const LoadTable& record)
{
    std::vector<DamageValueRange> ranges;
    ReadRanges(record, kPhysicalMinKey, kPhysicalMaxKey, ranges);
    if (ranges.empty())
        return DamageAttributeList::None;
    m_values.clear();
    m_values.reserve(ranges.size());
    for (const DamageValueRange& range : ranges)
        m_values.push_back({range.Min(), TruncateToUnsigned(range.Range())});
    ReadArray(record, kPierceRatioKey, m_pierceRatio, false);
    LoadChance(record);
    return ChooseList(record);
}

float DamageAttribute_Physical::GetValueMin(unsigned level) const
{
    const Range* range = PerLevelEntry(m_values, level);
    return range ? range->min : 0.0f;
}

float DamageAttribute_Physical::GetValueMax(unsigned level) const
{
    const Range* range = PerLevelEntry(m_values, level);
    return range ? AddInRange(range->min, static_cast<float>(range->range)) : 0.0f;
}

float DamageAttribute_Physical::GetPierceRatio(unsigned level) const { return PerLevelValue(m_pierceRatio, level); }

void DamageAttribute_Physical::AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level,
                                                      RandomUniform& rng, bool force) const
{
    const float chance = ChanceAt(level);
    if (!PassesChance(acc, chance, force))
        return;
    const float drawn = rng.FGenerate(GetValueMin(level), GetValueMax(level));
    const float value = MultiplyInRange(drawn, acc.GetChanceMultiplier(chance));
    AddDamageObject<CombatAttributeDamage_BasePhysical>(acc, GetType(), value, GetPierceRatio(level), false);
}

void DamageAttribute_Physical::ScaleAttribute(float percent)
{
    if (percent == 0.0f)
        return;
    for (Range& range : m_values)
        range.min = Scale(range.min, percent);
}

void DamageAttribute_Physical::AddJitter(float percent, RandomUniform* rng)
{
    if (!JittersWith(percent, rng))
        return;
    for (Range& range : m_values) {
        range.min = Jitter(range.min, percent, *rng);
        range.range = TruncateToUnsigned(Jitter(static_cast<float>(range.range), percent, *rng));
    }
    JitterValues(m_pierceRatio, percent, *rng);
}

void DamageAttribute_Physical::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    const float average = ChanceScaled(HalvedSum(GetValueMin(1), GetValueMax(1)), ChanceAt(1));
    const float pierceRatio = GetPierceRatio(1);
    if (average > 0.0f || pierceRatio > 0.0f) {
        ++info.count;
        AddCost(info.avgBonus, average);
        AddCost(info.avgPierceRatio, pierceRatio);
    }
}

void DamageAttribute_Physical::AppendDamageLine(TextList& texts2, unsigned level) const
{
    std::u16string& line = StartLine();
    AppendChancePrefix(line, ChanceAt(level));
    AppendAmount(line, kSingleFormatTag, kRangeFormatTag, GetValueMin(level), GetValueMax(level));
    AppendText(line, kPhysicalTag);
    texts2.emplace_back(line);
}

void DamageAttribute_Physical::CreateText(TextList&, TextList& texts2, TextList&, unsigned level) const
{
    if (GetValueMin(level) == 0.0f && GetValueMax(level) == 0.0f)
        return;
    AppendDamageLine(texts2, level);
    const float pierceRatio = GetPierceRatio(level);
    if (pierceRatio > 0.0f)
        AppendPierceLine(texts2, pierceRatio);
}

void DamageAttribute_Physical::CreateNextText(TextList&, TextList& texts2, TextList&, unsigned level,
                                              unsigned nextLevel) const
{
    if (GetValueMin(level) == GetValueMin(nextLevel) && GetValueMax(level) == GetValueMax(nextLevel) &&
        ChanceAt(level) == ChanceAt(nextLevel))
        return;
    AppendDamageLine(texts2, nextLevel);
    const float pierceRatio = GetPierceRatio(nextLevel);
    if (pierceRatio > GetPierceRatio(level))
        AppendPierceLine(texts2, pierceRatio);
}

// ---- Mana burn ----------------------------------------------------------------------

DamageAttributeList DamageAttributeAbs_ManaBurn::LoadFromTable(const LoadTable& record)
{
    ReadArray(record, GetLoadDamageRatioTag(), m_damageRatio, false);
    return DamageAttributeAbsBonus::LoadFromTable(record);
}

float DamageAttributeAbs_ManaBurn::GetDamageRatio(unsigned level) const { return PerLevelValue(m_damageRatio, level); }

void DamageAttributeAbs_ManaBurn::AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level,
                                                         RandomUniform& rng, bool force) const
{
    float value = 0.0f;
    if (RollValue(acc, level, rng, force, value))
        AddDamageObject<CombatAttributeAbsDamage_ManaBurn>(acc, GetType(), value, GetDamageRatio(level));
}

void DamageAttributeAbs_ManaBurn::GetText(std::u16string& line, unsigned level) const
{
    DamageAttributeAbsBonus::GetText(line, level);
    const float ratio = GetDamageRatio(level);
    if (ratio > 0.0f)
        AppendText(line, kManaBurnRatioTag, ratio);
}

void DamageAttributeAbs_ManaBurn::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    DamageAttributeAbsBonus::GetNextText(line, level, nextLevel);
    const float ratio = GetDamageRatio(nextLevel);
    if (ratio != GetDamageRatio(level))
        AppendText(line, kManaBurnRatioTag, ratio);
}

}  // namespace GAME
