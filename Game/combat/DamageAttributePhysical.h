// The three damage attribute kinds that carry data beyond their family's: a weapon's base
// physical damage, physical damage per level, and mana burn.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/combat/DamageAttribute.h"

namespace GAME {

// The base physical damage of a weapon: one fixed range with a pierce ratio, read from
// the weapon's base record alone. It ignores levels and chances and always applies, and
// never takes jitter.
class DamageAttribute_BasePhysical final : public DamageAttribute {
    GAME_DECLARE_DAMAGE_ATTRIBUTE(DamageAttribute_BasePhysical)

public:
    // Loads a weapon's base physical damage into the store; it always loads, even at 0
    // to 0 (a weapon always carries one).
    static DamageAttribute* Create_BasePhysical(DamageAttributeStore& store, const LoadTable& record);

    float GetChance(unsigned) const override { return 0.0f; }
    CombatAttributeType GetType() const override { return CombatAttributeType_Unknown; }
    // Two lines in the first list: the damage, then the pierce ratio; no chance prefix.
    void CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const override;
    void CreateNextText(TextList&, TextList&, TextList&, unsigned, unsigned) const override {}
    // No chance and no multiplier: one draw between the ends.
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override;
    void AddModifierToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kDamagePass; }
    // The minimum moves; the range and the pierce ratio stay.
    void ScaleAttribute(float percent) override;
    void AddJitter(float, RandomUniform*) override {}
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    const char* GetLoadChanceTag() const override { return kNotUsed; }
    const char* GetLoadXorTag() const override { return kNotUsed; }
    const char* GetLoadGlobalTag() const override { return kNotUsed; }
    const char* GetDisplayTag() const override { return kNotUsed; }
    float Jitter(float, float, RandomUniform&) const override { return 0.0f; }
    float Scale(float, float) const override { return 0.0f; }
    DamageTextList GetTextList() const override { return DamageTextList::First; }

private:
    static constexpr const char* kNotUsed = "Not Used";

    float m_minimum = 0.0f;
    float m_range = 0.0f;
    float m_pierceRatio = 0.0f;   // percent of the physical damage that pierces
};

// Physical damage with a pierce ratio per level (skills, and items other than weapons).
// The spread above the minimum is a whole number.
class DamageAttribute_Physical final : public DamageAttribute {
    GAME_DECLARE_DAMAGE_ATTRIBUTE(DamageAttribute_Physical)

public:
    struct Range {
        float min = 0.0f;
        uint32_t range = 0;
    };

    CombatAttributeType GetType() const override { return CombatAttributeType_Physical; }
    // The damage line, then the pierce line, both in the second list.
    void CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const override;
    // The damage line when damage or chance change; the pierce line only when the ratio
    // rises.
    void CreateNextText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level,
                        unsigned nextLevel) const override;
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override;
    void AddModifierToAccumulator(CombatAttributeAccumulator&, unsigned, RandomUniform&, bool) const override {}
    unsigned GetPasses() const override { return kDamagePass; }
    void ScaleAttribute(float percent) override;
    // Each minimum, then its range, level by level; then every pierce ratio.
    void AddJitter(float percent, RandomUniform* rng) override;
    void GetCostInfo(CostInfo_DamageAttributes& info) const override;

protected:
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    const char* GetLoadChanceTag() const override { return "offensivePhysicalChance"; }
    const char* GetLoadXorTag() const override { return "offensivePhysicalXOR"; }
    const char* GetLoadGlobalTag() const override { return "offensivePhysicalGlobal"; }
    const char* GetDisplayTag() const override { return ""; }
    DamageTextList GetTextList() const override { return DamageTextList::Second; }
    float GetValueMin(unsigned level) const;
    float GetValueMax(unsigned level) const;
    float GetPierceRatio(unsigned level) const;

private:
    void AppendDamageLine(TextList& texts2, unsigned level) const;

    std::vector<Range> m_values;
    std::vector<float> m_pierceRatio;
};

// An absolute mana drain with a ratio per level of the burnt mana dealt as damage.
class DamageAttributeAbs_ManaBurn final : public DamageAttributeAbsBonus {
    GAME_DECLARE_DAMAGE_ATTRIBUTE(DamageAttributeAbs_ManaBurn)

public:
    CombatAttributeType GetType() const override { return CombatAttributeType_ManaBurn; }
    // The ratio of the level goes with the drain.
    void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,
                                bool force) const override;

protected:
    // The ratio (no one-zero rule), then the values as every absolute kind reads them.
    DamageAttributeList LoadFromTable(const LoadTable& record) override;
    const char* GetLoadChanceTag() const override { return "offensiveManaBurnChance"; }
    const char* GetLoadXorTag() const override { return "offensiveManaBurnXOR"; }
    const char* GetLoadGlobalTag() const override { return "offensiveManaBurnGlobal"; }
    const char* GetDisplayTag() const override { return "DamageManaDrain"; }
    const char* GetLoadValueMinTag() const override { return "offensiveManaBurnDrainMin"; }
    const char* GetLoadValueMaxTag() const override { return "offensiveManaBurnDrainMax"; }
    // The absolute line, then the ratio (even when the absolute part wrote nothing).
    void GetText(std::u16string& line, unsigned level) const override;
    // The next level's absolute line, then its ratio when the ratio changes.
    void GetNextText(std::u16string& line, unsigned level, unsigned nextLevel) const override;
    float GetDamageRatio(unsigned level) const;
    const char* GetLoadDamageRatioTag() const { return "offensiveManaBurnDamageRatio"; }

private:
    std::vector<float> m_damageRatio;
};

}  // namespace GAME
