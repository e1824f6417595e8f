#include "Game/combat/DamageAttribute.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

// ---- Class information --------------------------------------------------------------

RTTI_ClassInfo DamageAttribute::classInfo("DamageAttribute", nullptr, &DamageAttribute::RTTI_new);
void* DamageAttribute::RTTI_new() { return nullptr; }

// The families: each class and the class it derives from. None is created by name.
#define GAME_DAMAGE_ATTRIBUTE_FAMILIES(X)                                 \
    X(DamageAttributeAbs, DamageAttribute)                                \
    X(DamageAttributeAbsBase, DamageAttributeAbs)                         \
    X(DamageAttributeAbsBaseElemental, DamageAttributeAbsBase)            \
    X(DamageAttributeAbsBonus, DamageAttributeAbs)                        \
    X(DamageAttributeAbsBonusElemental, DamageAttributeAbsBonus)          \
    X(DamageAttributeReflex, DamageAttributeAbsBonus)                     \
    X(DamageAttributeInfluence, DamageAttributeAbsBonus)                  \
    X(DamageAttributeInfluenceHidden, DamageAttributeInfluence)           \
    X(DamageAttributeDur, DamageAttribute)                                \
    X(DamageAttributeDurBase, DamageAttributeDur)                         \
    X(DamageAttributeDurBaseElemental, DamageAttributeDurBase)            \
    X(DamageAttributeDurBonus, DamageAttributeDur)                        \
    X(DamageAttributeDurBonusElemental, DamageAttributeDurBonus)          \
    X(DamageAttributeDurFixed, DamageAttributeDur)                        \
    X(DamageAttributeAbsMod, DamageAttribute)                             \
    X(DamageAttributeAbsModBase, DamageAttributeAbsMod)                   \
    X(DamageAttributeAbsModBonus, DamageAttributeAbsMod)                  \
    X(DamageAttributeDurMod, DamageAttribute)                             \
    X(DamageAttributeDurModBase, DamageAttributeDurMod)                   \
    X(DamageAttributeDurModBonus, DamageAttributeDurMod)

GAME_DAMAGE_ATTRIBUTE_FAMILIES(GAME_IMPLEMENT_ABSTRACT_CLASS)
#undef GAME_DAMAGE_ATTRIBUTE_FAMILIES

namespace {

constexpr const char* kChanceOfTag = "ChanceOfTag";
constexpr const char* kIndentTag = "tagIndent";
constexpr const char* kPerSecondTag = "tagPerSecond";
constexpr const char* kSingleTimeTag = "DamageSingleFormatTime";
constexpr const char* kRangeTimeTag = "DamageRangeFormatTime";
constexpr const char* kFixedSingleTimeTag = "DamageFixedSingleFormatTime";
constexpr const char* kFixedRangeTimeTag = "DamageFixedRangeFormatTime";
constexpr const char* kImprovedTimeTag = "ImprovedTimeFormat";

void ApplyOneZeroRule(std::vector<float>& values)
{
    if (values.size() == 1 && values[0] == 0.0f)
        values.clear();
}

}  // namespace

// ---- Root ---------------------------------------------------------------------------

DamageAttribute::~DamageAttribute() = default;

DamageAttribute* DamageAttribute::Load(std::unique_ptr<DamageAttribute> attribute, DamageAttributeStore& store,
                                       const LoadTable& record)
{
    if (!attribute)
        return nullptr;
    const DamageAttributeList list = attribute->LoadFromTable(record);
    if (list == DamageAttributeList::None)
        return nullptr;
    return Keep(std::move(attribute), list, store);
}

DamageAttribute* DamageAttribute::Keep(std::unique_ptr<DamageAttribute> attribute, DamageAttributeList list,
                                       DamageAttributeStore& store)
{
    DamageAttribute* kept = attribute.get();
    store.Add(list, std::move(attribute));
    return kept;
}

float DamageAttribute::GetChance(unsigned level) const { return ChanceAt(level); }

std::u16string& DamageAttribute::StartLine()
{
    thread_local std::u16string line;
    line.clear();
    return line;
}

void DamageAttribute::CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const
{
    std::u16string& line = StartLine();
    GetText(line, level);
    AppendLine(texts1, texts2, texts3, line);
}

void DamageAttribute::CreateNextText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level,
                                     unsigned nextLevel) const
{
    std::u16string& line = StartLine();
    GetNextText(line, level, nextLevel);
    AppendLine(texts1, texts2, texts3, line);
}

float DamageAttribute::Jitter(float value, float percent, RandomUniform& rng) const
{
    return LootJitter(value, percent, rng);
}

float DamageAttribute::Scale(float value, float percent) const { return LootScale(value, percent); }

void DamageAttribute::LoadChance(const LoadTable& record)
{
    ReadArray(record, GetLoadChanceTag(), m_chance, false);
}

DamageAttributeList DamageAttribute::ChooseList(const LoadTable& record) const
{
    if (!record.GetBool(GetLoadGlobalTag(), false))
        return DamageAttributeList::Attributes;
    return record.GetBool(GetLoadXorTag(), false) ? DamageAttributeList::GlobalXor : DamageAttributeList::GlobalAnd;
}

void DamageAttribute::AppendChancePrefix(std::u16string& line, float chance) const
{
    if (m_hideChanceIndentLine)
        AppendText(line, kIndentTag);
    else if (chance > 0.0f)
        AppendText(line, kChanceOfTag, chance);
}

void DamageAttribute::AppendAmount(std::u16string& line, const char* singleFormatTag, const char* rangeFormatTag,
                                   float min, float max)
{
    if (min == max)
        LocalizationManager::Instance().AppendFormat(line, singleFormatTag, min);
    else
        LocalizationManager::Instance().AppendFormat(line, rangeFormatTag, min, max);
}

void DamageAttribute::AppendText(std::u16string& line, const char* tag)
{
    LocalizationManager::Instance().AppendFormat(line, tag);
}

void DamageAttribute::AppendText(std::u16string& line, const char* tag, float value)
{
    LocalizationManager::Instance().AppendFormat(line, tag, value);
}

void DamageAttribute::AppendLine(TextList& texts1, TextList& texts2, TextList& texts3, std::u16string_view line) const
{
    if (line.empty())
        return;
    switch (GetTextList()) {
    case DamageTextList::First:
        texts1.emplace_back(line);
        break;
    case DamageTextList::Second:
        texts2.emplace_back(line);
        break;
    case DamageTextList::Third:
        texts3.emplace_back(line);
        break;
    }
}

void DamageAttribute::ReadArray(const LoadTable& record, const char* key, std::vector<float>& out, bool oneZeroRule)
{
    record.GetFloatArray(key, out);
    if (oneZeroRule)
        ApplyOneZeroRule(out);
}

void DamageAttribute::ReadRanges(const LoadTable& record, const char* minKey, const char* maxKey,
                                 std::vector<DamageValueRange>& out)
{
    out.clear();
    // Read into buffers kept from call to call: every kind of every store reads its
    // ranges each time it loads, and most records have none.
    thread_local std::vector<float> mins;
    thread_local std::vector<float> maxs;
    ReadArray(record, minKey, mins, true);
    if (mins.empty())
        return;
    ReadArray(record, maxKey, maxs, true);
    out.reserve(mins.size());
    float carried = mins[0];
    for (size_t i = 0; i < mins.size(); ++i) {
        if (i < maxs.size())
            carried = maxs[i];
        out.emplace_back(mins[i], std::max(SubtractInRange(carried, mins[i]), 0.0f));
    }
}

bool DamageAttribute::JittersWith(float& percent, const RandomUniform* rng)
{
    return LootJittersWith(percent, rng);
}

void DamageAttribute::JitterValues(std::vector<float>& values, float percent, RandomUniform& rng) const
{
    for (float& value : values)
        value = Jitter(value, percent, rng);
}

void DamageAttribute::ScaleValues(std::vector<float>& values, float percent) const
{
    for (float& value : values)
        value = Scale(value, percent);
}

void DamageAttribute::JitterRanges(std::vector<DamageValueRange>& ranges, float percent, RandomUniform& rng) const
{
    for (DamageValueRange& range : ranges) {
        const float min = Jitter(range.Min(), percent, rng);
        range = DamageValueRange(min, Jitter(range.Range(), percent, rng));
    }
}

void DamageAttribute::ScaleMinimums(std::vector<DamageValueRange>& ranges, float percent) const
{
    for (DamageValueRange& range : ranges)
        range = DamageValueRange(Scale(range.Min(), percent), range.Range());
}

float DamageAttribute::HalvedSum(float a, float b)
{
    const float sum = AddInRange(a, b);
    return a > 0.0f && b > 0.0f ? sum * kHalf : sum;
}

float DamageAttribute::ChanceScaled(float value, float chance)
{
    return chance > 0.0f ? MultiplyInRange(chance * kLootPercent, value) : value;
}

void DamageAttribute::AddCost(float& total, float value) { total = AddInRange(total, value); }

void DamageAttribute::AddCountedCost(CostInfo_DamageAttributes& info, float CostInfo_DamageAttributes::*total,
                                     float value)
{
    if (value > 0.0f) {
        AddCost(info.*total, value);
        ++info.count;
    }
}

// ---- Absolute damage ----------------------------------------------------------------

DamageAttributeList DamageAttributeAbs::LoadFromTable(const LoadTable& record)
{
    // The values decide first: a record without them is passed over after one look-up.
    ReadRanges(record, GetLoadValueMinTag(), GetLoadValueMaxTag(), m_values);
    if (m_values.empty())
        return DamageAttributeList::None;
    LoadChance(record);
    return ChooseList(record);
}


void DamageAttributeAbs::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        ScaleMinimums(m_values, percent);
}

void DamageAttributeAbs::AddJitter(float percent, RandomUniform* rng)
{
    if (JittersWith(percent, rng))
        JitterRanges(m_values, percent, *rng);
}

float DamageAttributeAbs::GetAverageCost() const
{
    return ChanceScaled(HalvedSum(GetValueMin(1), GetValueMax(1)), ChanceAt(1));
}

void DamageAttributeAbs::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    AddCountedCost(info, &CostInfo_DamageAttributes::avgBonus, GetAverageCost());
}

void DamageAttributeAbs::WriteLine(std::u16string& line, unsigned level) const
{
    AppendChancePrefix(line, ChanceAt(level));
    AppendAmount(line, m_singleFormatTag, m_rangeFormatTag, GetValueMin(level), GetValueMax(level));
    AppendText(line, GetDisplayTag());
}

void DamageAttributeAbs::GetText(std::u16string& line, unsigned level) const
{
    if (GetValueMin(level) != 0.0f || GetValueMax(level) != 0.0f)
        WriteLine(line, level);
}

void DamageAttributeAbs::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    if (GetValueMin(level) != GetValueMin(nextLevel) || GetValueMax(level) != GetValueMax(nextLevel) ||
        ChanceAt(level) != ChanceAt(nextLevel))
        WriteLine(line, nextLevel);
}

void DamageAttributeAbsBase::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    AddCountedCost(info, &CostInfo_DamageAttributes::avgBase, GetAverageCost());
}

// ---- Damage over time ---------------------------------------------------------------

DamageAttributeList DamageAttributeDur::LoadFromTable(const LoadTable& record)
{
    ReadRanges(record, GetLoadValueMinTag(), GetLoadValueMaxTag(), m_values);
    if (m_values.empty())
        return DamageAttributeList::None;
    ReadRanges(record, GetLoadDurationMinTag(), GetLoadDurationMaxTag(), m_durations);
    if (m_durations.empty())
        return DamageAttributeList::None;
    LoadChance(record);
    return ChooseList(record);
}


void DamageAttributeDur::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        ScaleMinimums(m_values, percent);
}

void DamageAttributeDur::AddJitter(float percent, RandomUniform* rng)
{
    if (JittersWith(percent, rng))
        JitterRanges(m_values, percent, *rng);
}

void DamageAttributeDur::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    const float chance = ChanceAt(1);
    const float value = ChanceScaled(HalvedSum(GetValueMin(1), GetValueMax(1)), chance);
    const float duration = ChanceScaled(HalvedSum(GetDurationMin(1), GetDurationMax(1)), chance);
    AddCountedCost(info, &CostInfo_DamageAttributes::avgOverTime, MultiplyInRange(value, duration));
}

bool DamageAttributeDur::HasText(unsigned level) const
{
    return (GetValueMin(level) != 0.0f || GetValueMax(level) != 0.0f) &&
           (GetDurationMin(level) != 0.0f || GetDurationMax(level) != 0.0f);
}

bool DamageAttributeDur::ChangesAt(unsigned level, unsigned nextLevel) const
{
    return GetValueMin(level) != GetValueMin(nextLevel) || GetValueMax(level) != GetValueMax(nextLevel) ||
           GetDurationMin(level) != GetDurationMin(nextLevel) || GetDurationMax(level) != GetDurationMax(nextLevel) ||
           ChanceAt(level) != ChanceAt(nextLevel);
}

void DamageAttributeDur::WriteLine(std::u16string& line, unsigned level, bool holdsValue) const
{
    const float valueMin = GetValueMin(level);
    const float valueMax = GetValueMax(level);
    const float durationMin = GetDurationMin(level);
    const float durationMax = GetDurationMax(level);
    AppendChancePrefix(line, ChanceAt(level));
    if (holdsValue)
        AppendAmount(line, kSingleFormatTag, kRangeFormatTag, valueMin, valueMax);
    else
        AppendAmount(line, kSingleFormatTag, kRangeFormatTag, MultiplyInRange(valueMin, durationMin),
                     MultiplyInRange(valueMax, durationMax));
    AppendText(line, GetDisplayTag());
    if (holdsValue)
        AppendAmount(line, kFixedSingleTimeTag, kFixedRangeTimeTag, durationMin, durationMax);
    else if (durationMin == durationMax && durationMin == 1.0f)
        AppendText(line, kPerSecondTag);
    else
        AppendAmount(line, kSingleTimeTag, kRangeTimeTag, durationMin, durationMax);
}

void DamageAttributeDur::GetText(std::u16string& line, unsigned level) const
{
    if (HasText(level))
        WriteLine(line, level, false);
}

void DamageAttributeDur::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    if (ChangesAt(level, nextLevel))
        WriteLine(line, nextLevel, false);
}

void DamageAttributeDurFixed::GetText(std::u16string& line, unsigned level) const
{
    if (HasText(level))
        WriteLine(line, level, true);
}

void DamageAttributeDurFixed::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    if (ChangesAt(level, nextLevel))
        WriteLine(line, nextLevel, true);
}

// ---- Absolute modifiers -------------------------------------------------------------

DamageAttributeList DamageAttributeAbsMod::LoadFromTable(const LoadTable& record)
{
    ReadArray(record, GetLoadModifierTag(), m_modifiers, true);
    if (m_modifiers.empty())
        return DamageAttributeList::None;
    LoadChance(record);
    return ChooseList(record);
}


void DamageAttributeAbsMod::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        ScaleValues(m_modifiers, percent);
}

void DamageAttributeAbsMod::AddJitter(float percent, RandomUniform* rng)
{
    if (JittersWith(percent, rng))
        JitterValues(m_modifiers, percent, *rng);
}

void DamageAttributeAbsMod::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    AddCountedCost(info, &CostInfo_DamageAttributes::mod, ChanceScaled(GetModifierValue(1), ChanceAt(1)));
}

void DamageAttributeAbsMod::WriteLine(std::u16string& line, unsigned level) const
{
    AppendChancePrefix(line, ChanceAt(level));
    AppendText(line, GetDisplayTag(), GetModifierValue(level));
}

void DamageAttributeAbsMod::GetText(std::u16string& line, unsigned level) const
{
    if (GetModifierValue(level) != 0.0f)
        WriteLine(line, level);
}

void DamageAttributeAbsMod::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    if (GetModifierValue(level) != GetModifierValue(nextLevel) || ChanceAt(level) != ChanceAt(nextLevel))
        WriteLine(line, nextLevel);
}

// ---- Duration modifiers -------------------------------------------------------------

DamageAttributeList DamageAttributeDurMod::LoadFromTable(const LoadTable& record)
{
    ReadArray(record, GetLoadModifierTag(), m_modifiers, true);
    ReadArray(record, GetLoadDurationModifierTag(), m_durationModifiers, true);
    if (m_modifiers.empty() && m_durationModifiers.empty())
        return DamageAttributeList::None;
    LoadChance(record);
    return ChooseList(record);
}


void DamageAttributeDurMod::AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform&,
                                                     bool force) const
{
    const float chance = ChanceAt(level);
    if (!PassesChance(acc, chance, force))
        return;
    const float modifier = MultiplyInRange(GetModifierValue(level), acc.GetChanceMultiplier(chance));
    AddDamageModifierObject<CombatAttributeDurDamageMod>(acc, GetType(), modifier, GetDurationModifierValue(level));
}

void DamageAttributeDurMod::ScaleAttribute(float percent)
{
    if (percent == 0.0f)
        return;
    ScaleValues(m_modifiers, percent);
    ScaleValues(m_durationModifiers, percent);
}

void DamageAttributeDurMod::AddJitter(float percent, RandomUniform* rng)
{
    if (!JittersWith(percent, rng))
        return;
    JitterValues(m_modifiers, percent, *rng);
    JitterValues(m_durationModifiers, percent, *rng);
}

void DamageAttributeDurMod::GetCostInfo(CostInfo_DamageAttributes& info) const
{
    const float chance = ChanceAt(1);
    AddCountedCost(info, &CostInfo_DamageAttributes::mod, ChanceScaled(GetModifierValue(1), chance));
    AddCountedCost(info, &CostInfo_DamageAttributes::modDur, ChanceScaled(GetDurationModifierValue(1), chance));
}

void DamageAttributeDurMod::WriteLine(std::u16string& line, unsigned level) const
{
    AppendChancePrefix(line, ChanceAt(level));
    AppendText(line, GetDisplayTag(), GetModifierValue(level));
    const float durationModifier = GetDurationModifierValue(level);
    if (durationModifier > 0.0f)
        AppendText(line, kImprovedTimeTag, durationModifier);
}

void DamageAttributeDurMod::GetText(std::u16string& line, unsigned level) const
{
    if (GetModifierValue(level) != 0.0f || GetDurationModifierValue(level) != 0.0f)
        WriteLine(line, level);
}

void DamageAttributeDurMod::GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const
{
    if (GetModifierValue(level) != GetModifierValue(nextLevel) ||
        GetDurationModifierValue(level) != GetDurationModifierValue(nextLevel) ||
        ChanceAt(level) != ChanceAt(nextLevel))
        WriteLine(line, nextLevel);
}

}  // namespace GAME
