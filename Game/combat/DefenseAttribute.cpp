#include "Game/combat/DefenseAttribute.h"

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

// ---- Class information --------------------------------------------------------------

RTTI_ClassInfo DefenseAttribute::classInfo("DefenseAttribute", nullptr, &DefenseAttribute::RTTI_new);
void* DefenseAttribute::RTTI_new() { return nullptr; }

GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttribute_Typical, DefenseAttribute)
GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttributeAbs, DefenseAttribute_Typical)
GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttributeAbsRestricted, DefenseAttributeAbs)
GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttributeDur, DefenseAttribute_Typical)
GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttributeAbsMod, DefenseAttribute_Typical)
GAME_IMPLEMENT_ABSTRACT_CLASS(DefenseAttributeDurMod, DefenseAttribute_Typical)

namespace {

constexpr const char* kChanceOfTag = "ChanceOfTag";

}  // namespace

// ---- Root ---------------------------------------------------------------------------

DefenseAttribute::~DefenseAttribute() = default;

bool DefenseAttribute::LoadFromTable(const LoadTable& table, bool)
{
    table.GetFloatArray(m_chanceKey, m_chances);
    return true;
}

void DefenseAttribute::AppendText(std::u16string& line, const char* tag, float value)
{
    line += LocalizationManager::Instance().Format(tag, static_cast<double>(value));
}

// ---- The typical kinds --------------------------------------------------------------

bool DefenseAttribute_Typical::LoadFromTable(const LoadTable& table, bool keepEmpty)
{
    DefenseAttribute::LoadFromTable(table, keepEmpty);
    table.GetFloatArray(m_valueKey, m_values);
    if (m_values.size() == 1 && m_values[0] == 0.0f)
        m_values.clear();
    if (m_values.empty()) {
        if (!keepEmpty)
            return false;
        m_values.push_back(0.0f);
    }
    return true;
}

void DefenseAttribute_Typical::WriteLine(TextList& lines, float chance, float value) const
{
    std::u16string line;
    if (chance > 0.0f)
        AppendText(line, kChanceOfTag, chance);
    AppendText(line, m_textTag, value);
    lines.push_back(std::move(line));
}

void DefenseAttribute_Typical::CreateText(unsigned level, TextList&, TextList& bonusLines) const
{
    const float value = GetValue(level);
    if (m_textTag && value != 0.0f)
        WriteLine(bonusLines, GetChance(level), value);
}

void DefenseAttribute_Typical::CreateNextText(unsigned level, unsigned nextLevel, TextList&,
                                              TextList& bonusLines) const
{
    const float next = GetValue(nextLevel);
    const float nextChance = GetChance(nextLevel);
    if (!m_textTag || (GetValue(level) == next && GetChance(level) == nextChance))
        return;
    WriteLine(bonusLines, nextChance, next);
}

void DefenseAttribute_Typical::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        LootScaleEach(m_values, percent);
}

void DefenseAttribute_Typical::AddJitter(float percent, RandomUniform* rng)
{
    if (LootJittersWith(percent, rng))
        LootJitterEach(m_values, percent, *rng);
}

float DefenseAttribute_Typical::GetCostValue() const
{
    const float value = GetValue(1);
    const float chance = GetChance(1);
    return chance > 0.0f ? LootPercentOf(chance, value) : value;
}

void DefenseAttribute_Typical::AddCost(CostInfo_DefenseAttributes& info,
                                       float CostInfo_DefenseAttributes::*total) const
{
    const float value = GetCostValue();
    if (value != 0.0f) {
        info.*total = AddInRange(info.*total, value);
        ++info.count;
    }
}

// ---- Protection and absorption ------------------------------------------------------

void DefenseAttribute_BaseProtectionAbsorption::Create_BaseAbsorptionProtection(
    DefenseAttributeStore& store, const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix,
    float jitter, CombatAttributeRegion region)
{
    auto attribute = std::make_unique<DefenseAttribute_BaseProtectionAbsorption>();
    if (!attribute->LoadFromTable(table, prefix, suffix, false))
        return;
    attribute->SetRegion(region);
    attribute->AddJitter(jitter, store.GetRandomGen());
    store.AddAttribute(std::move(attribute));
}

bool DefenseAttribute_BaseProtectionAbsorption::LoadFromTable(const LoadTable& table, bool)
{
    if (gGameEngine)
        m_absorption = gGameEngine->GetArmorDefensiveAbsorption();
    table.GetFloatArray(kProtectionKey, m_protection);
    return true;
}

bool DefenseAttribute_BaseProtectionAbsorption::LoadFromTable(const LoadTable& table, const LoadTable* prefix,
                                                              const LoadTable* suffix, bool keepEmpty)
{
    if (prefix)
        m_prefixProtection = prefix->GetFloat(kProtectionKey, 0.0f);
    if (suffix)
        m_suffixProtection = suffix->GetFloat(kProtectionKey, 0.0f);
    return LoadFromTable(table, keepEmpty);
}

float DefenseAttribute_BaseProtectionAbsorption::GetTotalProtection(unsigned level) const
{
    return AddInRange(AddInRange(GetProtection(level), m_suffixProtection), m_prefixProtection);
}

void DefenseAttribute_BaseProtectionAbsorption::CreateText(unsigned level, TextList& baseLines,
                                                           TextList& bonusLines) const
{
    std::u16string line;
    if (const float protection = GetProtection(level); protection != 0.0f) {
        AppendText(line, kProtectionTag, protection);
        baseLines.push_back(std::move(line));
    }
    if (const float bonus = AddInRange(m_suffixProtection, m_prefixProtection); bonus != 0.0f) {
        line.clear();
        AppendText(line, kProtectionBonusTag, bonus);
        bonusLines.push_back(std::move(line));
    }
}

void DefenseAttribute_BaseProtectionAbsorption::AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level,
                                                                 RandomUniform&, bool) const
{
    const float total = GetTotalProtection(level);
    if (total > 0.0f && m_absorption > 0.0f)
        acc.AddNewDefense<CombatAttributeDefense_AbsorptionProtection>(m_absorption, total, m_region);
}

void DefenseAttribute_BaseProtectionAbsorption::ScaleAttribute(float percent)
{
    if (percent != 0.0f)
        LootScaleEach(m_protection, percent);
}

void DefenseAttribute_BaseProtectionAbsorption::AddJitter(float percent, RandomUniform* rng)
{
    if (!LootJittersWith(percent, rng))
        return;
    if (m_prefixProtection > 0.0f)
        m_prefixProtection = Jitter(m_prefixProtection, percent, *rng);
    if (m_suffixProtection > 0.0f)
        m_suffixProtection = Jitter(m_suffixProtection, percent, *rng);
}

void DefenseAttribute_BaseProtectionAbsorption::GetCostInfo(CostInfo_DefenseAttributes& info) const
{
    const float total = GetTotalProtection(1);
    if (total != 0.0f) {
        info.protection = AddInRange(info.protection, total);
        ++info.count;
    }
}

void DefenseAttribute_SkillProtectionAbsorption::CreateText(unsigned level, TextList&, TextList& bonusLines) const
{
    if (const float protection = GetProtection(level); protection != 0.0f) {
        std::u16string line;
        AppendText(line, kProtectionTag, protection);
        bonusLines.push_back(std::move(line));
    }
}

void DefenseAttribute_SkillProtectionAbsorption::CreateNextText(unsigned level, unsigned nextLevel, TextList&,
                                                                TextList& bonusLines) const
{
    const float next = GetProtection(nextLevel);
    if (SubtractInRange(next, GetProtection(level)) != 0.0f) {
        std::u16string line;
        AppendText(line, kProtectionTag, next);
        bonusLines.push_back(std::move(line));
    }
}

}  // namespace GAME
