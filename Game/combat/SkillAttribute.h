// Skill attributes: bonuses to how a character's skills work (shorter cooldowns, cheaper
// mana costs, faster projectiles) from items, skills and attribute packs. Every value (per
// level, and the fixed prefix and suffix values of an item) comes with a chance in
// percent, rolled each time the attributes are summed into a SkillAttributeAccumulator
// with the accumulator's own seeded generator.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Engine/Object.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

class LoadTable;

enum SkillAttributeType : uint32_t {
    SkillAttributeType_CooldownReduction = 1,
    SkillAttributeType_ManaCostReduction = 2,
    SkillAttributeType_ProjectileSpeedModifier = 3,
};

// Types run from 0 to 3; 0 is not used by any attribute.
inline constexpr uint32_t kSkillAttributeTypeCount = 4;

// The sums of one occasion, drawn with its own generator (seeded by the caller).
class SkillAttributeAccumulator {
public:
    SkillAttributeAccumulator() = default;
    virtual ~SkillAttributeAccumulator();

    // A type outside the table is ignored.
    virtual void AddValue(SkillAttributeType type, float value);
    virtual void AddModifier(SkillAttributeType type, float modifier);

    void SetSeed(uint32_t seed)
    {
        m_randomGen.Seed(seed);
        m_skippedDraws = 0;
    }
    // The generator, with every skipped draw taken first.
    RandomUniform& GetRandomGen()
    {
        if (m_skippedDraws != 0)
            TakeSkippedDraws();
        m_drawn = true;
        return m_randomGen;
    }
    // Whether anything asked for the generator: when not, the sums are the same whatever
    // the seed.
    bool HasDrawn() const { return m_drawn; }
    // Forgets that the generator was asked for: HasDrawn then tells of what follows.
    void ForgetDrawn() { m_drawn = false; }
    // Draws whose outcome could not change a sum: they are taken only when a later
    // attribute needs the generator, so that its draws are the same as if they had been
    // taken in turn.
    void SkipDraws(uint32_t count) { m_skippedDraws += count; }
    // The skipped draws not taken yet.
    uint32_t GetSkippedDraws() const { return m_skippedDraws; }
    // value + |value| x modifier x 0.01; 0 outside the table.
    float GetValue(SkillAttributeType type) const;
    float GetModifier(SkillAttributeType type) const;
    // The sums only; the generator goes on.
    void Clear();

private:
    std::array<float, kSkillAttributeTypeCount> m_values{};
    std::array<float, kSkillAttributeTypeCount> m_modifiers{};
    RandomUniform m_randomGen;
    uint32_t m_skippedDraws = 0;
    bool m_drawn = false;

    void TakeSkippedDraws();
};

// The totals that item pricing reads: every field is 0 after construction and after
// Reset; attributes only add. The count is the number of prefix and suffix bonuses.
struct CostInfo_SkillAttributes {
    float valueSum = 0.0f;          // the base values
    float prefixSuffixSum = 0.0f;   // the bonuses
    float modifierSum = 0.0f;
    uint32_t count = 0;

    void Reset() { *this = CostInfo_SkillAttributes(); }
    uint32_t GetCount() const { return count; }
    // The heading, then a line for each field that is not 0 (log level 0).
    void Dump() const;
};

#define GAME_DECLARE_SKILL_ATTRIBUTE(Class)                 \
    GAME_DECLARE_CLASS(Class)                               \
public:                                                     \
    std::unique_ptr<SkillAttribute> Clone() const override; \
                                                            \
private:

class SkillAttribute {
public:
    using TextList = std::vector<std::u16string>;

    SkillAttribute(const SkillAttribute&) = default;
    SkillAttribute(SkillAttribute&&) = default;
    SkillAttribute& operator=(const SkillAttribute&) = delete;
    virtual ~SkillAttribute();

    // The root of the family's own class tree ("SkillAttribute", no parent): these are
    // not engine objects.
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    virtual std::unique_ptr<SkillAttribute> Clone() const = 0;

    // Values and chances per level; a lone value 0 counts as none.
    virtual void LoadBaseTable(const LoadTable& table);
    // The fixed value and chance of a prefix or suffix record; with a generator the
    // value is jittered by the record's own "lootRandomizerJitter".
    virtual void LoadPrefixTable(const LoadTable& table, RandomUniform* rng);
    virtual void LoadSuffixTable(const LoadTable& table, RandomUniform* rng);
    // Up to three lines: the level's value, the prefix's and the suffix's, each when
    // above 0, each after its chance when that is above 0.
    virtual void CreateText(unsigned level, TextList& lines) const;
    // One line for the next level when its value or chance differs.
    virtual void CreateNextText(unsigned level, unsigned nextLevel, TextList& lines) const;
    // Draws with the accumulator's own generator.
    virtual void AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const = 0;
    // The values per level only; nothing unless the percent is above 0 and there is a
    // generator.
    virtual void AddJitter(float percent, RandomUniform* rng);
    // The values per level, the prefix and the suffix value; not the chances.
    virtual void ScaleAttribute(float percent);
    virtual void GetCostInfo(CostInfo_SkillAttributes& info) const = 0;

    SkillAttributeType GetType() const { return m_type; }
    bool IsNotEmpty() const { return !m_values.empty() || m_prefixValue != 0.0f || m_suffixValue != 0.0f; }
    // Always three draws from 0 to 100, in the order level, prefix, suffix; each value
    // counts when its chance is 0 or the draw is at most the chance.
    static constexpr uint32_t kDrawsPerTotal = 3;
    float GetTotalValue(RandomUniform& rng, unsigned level) const;
    // True when no draw can change the level's total: each of the three chances is 0 or
    // at least 100 (a draw never exceeds 100).
    bool IsRollFree(unsigned level) const;
    // The number of levels with their own value or chance; past it the last one holds.
    unsigned GetLevelCount() const
    {
        return static_cast<unsigned>(m_values.size() > m_chances.size() ? m_values.size() : m_chances.size());
    }
    // Whether the attribute adds to its type's modifier sum rather than its value sum.
    bool IsModifier() const;

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    SkillAttribute(SkillAttributeType type, const char* chanceKey, const char* valueKey, const char* textTag)
        : m_type(type), m_chanceKey(chanceKey), m_valueKey(valueKey), m_textTag(textTag)
    {
    }

    // Neither includes the prefix or suffix.
    float GetValue(unsigned level) const;
    float GetChance(unsigned level) const;
    float GetPrefixValue() const { return m_prefixValue; }
    float GetPrefixChance() const { return m_prefixChance; }
    float GetSuffixValue() const { return m_suffixValue; }
    float GetSuffixChance() const { return m_suffixChance; }

private:
    void LoadBonus(const LoadTable& table, RandomUniform* rng, float& value, float& chance) const;
    void WriteLine(TextList& lines, float chance, float value) const;

    SkillAttributeType m_type;
    std::vector<float> m_values;
    std::vector<float> m_chances;
    float m_prefixValue = 0.0f;
    float m_prefixChance = 0.0f;
    float m_suffixValue = 0.0f;
    float m_suffixChance = 0.0f;
    const char* m_chanceKey;   // not owned
    const char* m_valueKey;    // not owned
    const char* m_textTag;     // not owned
};

// Adds to the value sum of its type; priced by its level-1 value less the prefix and
// suffix values, which are priced apart.
class SkillAttributeVal : public SkillAttribute {
    GAME_DECLARE_CLASS(SkillAttributeVal)

public:
    void AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const override;
    void GetCostInfo(CostInfo_SkillAttributes& info) const override;

protected:
    using SkillAttribute::SkillAttribute;
};

// Adds to the modifier sum of its type.
class SkillAttributeMod : public SkillAttribute {
    GAME_DECLARE_CLASS(SkillAttributeMod)

public:
    void AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const override;
    void GetCostInfo(CostInfo_SkillAttributes& info) const override;

protected:
    using SkillAttribute::SkillAttribute;
};

// The leaves: class, family, type, value key (the chance key is the same followed by
// "Chance"), text tag.
#define GAME_SKILL_ATTRIBUTE_KINDS(X) \
    X(SkillAttributeVal_CooldownReduction, SkillAttributeVal, CooldownReduction, "skillCooldownReduction", "SkillCooldownReduction") \
    X(SkillAttributeVal_ManaCostReduction, SkillAttributeVal, ManaCostReduction, "skillManaCostReduction", "SkillManaCostReduction") \
    X(SkillAttributeVal_ProjectileSpeedModifier, SkillAttributeVal, ProjectileSpeedModifier, "skillProjectileSpeedModifier", "SkillProjectileSpeedModifier") \
    X(SkillAttributeMod_CooldownReduction, SkillAttributeMod, CooldownReduction, "skillCooldownReductionModifier", "SkillCooldownReductionModifier") \
    X(SkillAttributeMod_ManaCostReduction, SkillAttributeMod, ManaCostReduction, "skillManaCostReductionModifier", "SkillManaCostReductionModifier")

#define GAME_DECLARE_SKILL_ATTRIBUTE_KIND(Class, Base, Type, ValueKey, Tag)                   \
    class Class final : public Base {                                                        \
        GAME_DECLARE_SKILL_ATTRIBUTE(Class)                                                  \
    public:                                                                                  \
        Class() : Base(SkillAttributeType_##Type, ValueKey "Chance", ValueKey, Tag) {}       \
    };

GAME_SKILL_ATTRIBUTE_KINDS(GAME_DECLARE_SKILL_ATTRIBUTE_KIND)

#undef GAME_DECLARE_SKILL_ATTRIBUTE_KIND

struct SkillAttributeKind {
    const char* name;
    std::unique_ptr<SkillAttribute> (*create)();
};
// The five leaves, in table (and load) order.
std::span<const SkillAttributeKind> GetSkillAttributeKinds();

}  // namespace GAME
