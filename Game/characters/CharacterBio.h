// A character's life and mana and its character attributes. Every frame the bio rebuilds
// the attribute totals (its own base, equipment, skills), regenerates life and mana by the
// designer formulas of "Records/Game/HealthManaRegen.dbr", feeds healing and mana gains in
// slowly from storage pools and drains spent mana over time. It supplies the variables of
// its two formulas.
#pragma once

#include <cstdint>
#include <memory>

#include "Game/combat/CharAttribute.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/skills/SkillContributionStamp.h"

namespace GAME {

struct Bonus;
class Character;
class CombatAttributeAccumulator;
class IOStream;
class LoadTable;

// The bio's network and copy image.
struct CharacterBioReplicaInfo {
    uint32_t currentLife = 0;   // truncated
    uint32_t currentMana = 0;
    bool tainted = false;
    uint32_t baseLife = 0;
    uint32_t baseMana = 0;
    uint32_t baseStrength = 0;
    uint32_t baseDexterity = 0;
    uint32_t baseIntelligence = 0;
};

// A bio value as the image holds it: truncated, NaN and negatives 0, values above the
// range the largest.
uint32_t ToBioImage(float value);

class CharacterBio : public EquationInterface_Algebra {
public:
    static constexpr const char* kRegenRecord = "Records/Game/HealthManaRegen.dbr";

    CharacterBio();
    ~CharacterBio() override;
    // The formulas read the bio's variables in place: the bio stays where it was made.
    CharacterBio(const CharacterBio&) = delete;
    CharacterBio& operator=(const CharacterBio&) = delete;

    // The character's record (its accelerated regeneration, base attributes and base
    // resistances) and the regeneration record; without the latter every rate stays 0.
    void Load(const LoadTable& record);

    // The first totals; called once.
    void InitialUpdate(Character& character);
    // The totals, and an untainted bio's life and mana at their limits: what its next
    // update would leave. The character calls it as it is placed in the world, so that it
    // stands there whole before its first frame, and damage taken before that frame comes
    // off a full life.
    void FillBeforeFirstUpdate(Character& character);
    // One frame: totals, life and mana ratios, then regeneration, feeding and draining.
    void Update(Character& character, int ms);
    // Rebuilds the totals: base, equipment, skills (at the game's difficulty for the base).
    void UpdateResources(Character& character);

    // ---- Life and mana --------------------------------------------------------------
    // Current values never read below 0.
    float GetCurrentLife() const;
    float GetCurrentMana() const;
    // Sets the value as it stands (tests, the host, a restored image); it counts as a
    // change of the bio.
    void SetCurrentLife(float life);
    void SetCurrentMana(float mana);
    // The life and mana values of the totals.
    float GetLifeLimit() const { return m_read.lifeLimit; }
    float GetManaLimit() const { return m_read.manaLimit; }
    // Current plus the waiting pool, within [0, limit].
    float GetLifePotential() const;
    float GetManaPotential() const;
    // The mana held back by skills in force, less its reduction.
    float GetManaReserve() const;

    // At once, up to the limit.
    void AddLifeFast(float amount);
    void AddManaFast(float amount);
    // Into the storage pools, fed in over time; each pool holds its storage multiple of
    // the (usable) limit.
    void AddLifeSlow(float amount);
    void AddManaSlow(float amount);
    float GetLifeSlow() const { return m_lifeStoragePool; }
    float GetManaSlow() const { return m_manaStoragePool; }
    // Takes life; a negative amount takes nothing. The damage of the frame is counted.
    void SubtractLife(float amount);
    // Spent mana: it leaves over time at the drain rate.
    void SubtractMana(float amount);
    float GetManaDrainPool() const { return m_manaDrainPool; }
    // Life taken since the frame's update last looked.
    float GetLifeDamageThisFrame() const { return m_lifeDamageThisFrame; }

    // The bio's half of a bonus: life and mana percents and points; the life points go to
    // the pool when `slow`.
    void TakeBonus(const Bonus& bonus, bool slow);
    // The life the bonus would add below the limit.
    float GetBonusLifeAmount(const Bonus& bonus) const;

    // ---- Attributes -------------------------------------------------------------------
    // The base store's value of the type grows by the amount; the bio counts as changed.
    void IncrementBaseAttribute(CharAttributeType type, float amount);
    // Makes the base store's value of the type `value` (a type the store lacks joins it;
    // a type outside the table is ignored). The totals follow at the next rebuild.
    void SetBaseCharAttribute(CharAttributeType type, float value);
    float GetAttribute(CharAttributeType type) const { return m_totalAttributes.GetValue(type); }
    float GetModifier(CharAttributeType type) const { return m_totalAttributes.GetModifier(type); }
    float GetTotalCharAttribute(CharAttributeType type) const { return GetAttribute(type); }
    float GetTotalCharModifier(CharAttributeType type) const { return GetModifier(type); }
    const CharAttributeAccumulator& GetCharAttributes() const { return m_totalAttributes; }
    // The base store's contribution at the game's difficulty.
    void GetBaseCharAttributes(CharAttributeAccumulator& accumulator) const;
    float GetBaseCharAttribute(CharAttributeType type) const { return m_baseAttributeSums.GetValue(type); }
    const CharAttributeStore_Bio& GetBaseAttrStore() const { return m_baseAttributes; }

    // The base resistances at the level of the game's difficulty (Normal 1, Epic 2,
    // Legendary 3): the character's record holds one entry per difficulty.
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    const DefenseAttributeStore_Character& GetDefenseAttrStore() const { return m_defenseAttributes; }

    // ---- Image, flags and save ----------------------------------------------------------
    void GetCurrentBioStats(CharacterBioReplicaInfo& info) const;
    // Current life, mana and the tainted flag; with `restoreBase` also the five base values.
    void RestoreCurrentBioStats(const CharacterBioReplicaInfo& info, bool restoreBase);
    void SetAcceleratedLifeRegen(bool accelerated) { m_acceleratedLifeRegen = accelerated; }
    // The next update refills life and mana.
    void ReloadValues() { m_reloadValues = true; }
    // The next update keeps the life and mana ratios.
    void BalanceHasChanged() { m_balanceChanged = true; }
    // Marks the bio changed, once it has had its first update.
    void BioIsTainted();
    bool GetTaintedBio() const { return m_tainted; }
    bool IsInitialised() const { return m_initialised; }
    // Base strength, dexterity, intelligence, life and mana; a value read as 0 leaves the
    // base as loaded.
    void StreamProperties(IOStream& stream);

    // Formula variables: "elapsedTime", "lifeRegen", "lifeRegenMod", "lifeTotal",
    // "manaRegen", "manaRegenMod", "manaTotal", "intelligence", "charLevel".
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

private:
    struct KeptFormula;
    void LoadFormula(const LoadTable& table, const char* key, KeptFormula& formula);
    float Evaluate(KeptFormula& formula);

    // The values of the totals that every update reads, taken whenever the totals are
    // summed (each as the totals give it), so that they sit together in one line rather
    // than across the totals.
    struct TotalsRead {
        float lifeLimit = 0.0f;
        float manaLimit = 0.0f;
        float manaReserve = 0.0f;
        float intelligence = 0.0f;
        float lifeRegen = 0.0f;
        float lifeRegenModifier = 0.0f;
        float manaRegen = 0.0f;
        float manaRegenModifier = 0.0f;
    } m_read;
    void ReadTotals();
    // Life and mana at their limits, the pools and the frame's damage empty.
    void Refill();
    float m_healthOverStorageLimit = 0.0f;
    float m_healthFeedRate = 0.0f;
    float m_manaOverStorageLimit = 0.0f;
    float m_manaFeedRate = 0.0f;
    float m_manaDrainRate = 0.0f;
    float m_currentLife = 0.0f;
    float m_lifeStoragePool = 0.0f;
    float m_lifeDamageThisFrame = 0.0f;
    float m_acceleratedLifeRegenPercent = 0.0f;
    bool m_acceleratedLifeRegen = false;
    float m_currentMana = 0.0f;
    float m_manaStoragePool = 0.0f;
    float m_manaDrainPool = 0.0f;
    CharAttributeStore_Bio m_baseAttributes;
    CharAttributeAccumulator m_totalAttributes;
    CharAttributeAccumulator m_baseAttributeSums;
    // The difficulty level the base sums were last filled for; 0 when the base store has
    // changed since. The sums are what the unchanged store adds onto empty sums, so they
    // are filled again only when this differs from the level of the update.
    unsigned m_baseSumsLevel = 0;
    // The base sums with the worn equipment's attributes added, as they stood at the
    // equipment's attribute revision kept beside them; summed again when the base sums
    // are (always on the first update, as the level starts at 0) or when the revision
    // moved (the equipment adds no differently otherwise).
    CharAttributeAccumulator m_equipSums;
    uint32_t m_equipSumsRevision = 0;
    // The totals stand while nothing they add has changed since they were summed: not the
    // equipment sums, nor the skills' contributions (their stamp), nor the shared packs
    // the item sets and the game balance read. A frame that finds them standing touches
    // neither a skill nor an item.
    SkillContributionStamp m_totalsSkills;
    uint32_t m_totalsShared = 0;
    struct FormulaVariables {
        float elapsedTime = 0.0f;
        float lifeRegen = 0.0f;
        float manaRegen = 0.0f;
        float lifeRegenModifier = 0.0f;
        float manaRegenModifier = 0.0f;
        float manaTotal = 0.0f;
        float lifeTotal = 0.0f;
        float intelligence = 0.0f;
        uint32_t charLevel = 0;
    } m_variables;
    // A formula with its value at the variables it was last evaluated at. Its names read
    // nothing but the variables (when `pure`), so with the very same variables (bit for
    // bit) it gives the same value and is not run again. A name the bio does not know is
    // warned of at every evaluation: such a formula is run every time.
    struct KeptFormula {
        std::unique_ptr<DesignerEquation_Algebra> formula;
        bool pure = false;
        bool kept = false;
        FormulaVariables inputs;
        float value = 0.0f;
    };
    KeptFormula m_lifeRegenFormula;
    KeptFormula m_manaRegenFormula;
    // While a formula is bound: false once a name it reads is not one of the variables.
    bool m_bindingPure = true;
    DefenseAttributeStore_Character m_defenseAttributes;
    bool m_tainted = false;
    bool m_reloadValues = false;
    bool m_balanceChanged = false;
    float m_lifeModifier = 0.0f;
    bool m_lifeModifierChanged = false;
    float m_manaModifier = 0.0f;
    bool m_manaModifierChanged = false;
    bool m_initialised = false;
};

}  // namespace GAME
