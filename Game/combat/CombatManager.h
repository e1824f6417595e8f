// The combat manager of one character: it resolves every attack that reaches the
// character (hit roll, defences, shield, damage, retaliation, reflection, life leech),
// evaluates the combat formulas of the combat record, and owns the character's damage
// over time and equipment.
#pragma once

#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/EquipManager.h"

namespace GAME {

struct Bonus;
class Character;
class CombatAttributeAccumulator;
class CombatFilter;
class LoadTable;
class ParametersCombat;
class RandomUniform;
class SkillManager;

// The log channel of the combat trace; 0 (off) unless the host sets it. Exported under
// its plain name, so the host finds it by name ("gLog" and the channel).
extern "C" int gLogCombat;

enum CombatManager_State : int32_t {
    CombatManager_NotInCombat = 0,
    CombatManager_InCombat = 1,
};

// The combat record's formulas, in the manager's order. The record keys (two of them
// spelt as the records have always spelt them) are in CombatManager.cpp.
enum CombatFormula : int {
    CombatFormula_PhysicalDamage,
    CombatFormula_PierceDamage,
    CombatFormula_ElementalDamage,
    CombatFormula_ElementalDurationDamage,
    CombatFormula_PhysicalDefenseDamageAtMost,     // damage <= summed protection
    CombatFormula_PhysicalDefenseDamageGreater,    // damage > summed protection
    CombatFormula_OffensiveAbility,
    CombatFormula_DefensiveAbility,
    CombatFormula_ProbabilityToHit,
    CombatFormula_MeleeBlock,
    CombatFormula_ProjectileBlock,
    CombatFormula_ShieldReductionDamageGreater,    // damage > shield defence
    CombatFormula_ShieldReductionDamageAtMost,     // damage <= shield defence
    CombatFormula_NormalPTH,
    CombatFormula_Count
};

class CombatManager : public EquationInterface_Algebra {
public:
    static constexpr int32_t kCombatStateDurationMs = 8000;
    static constexpr float kCertainHitThreshold = 99.0f;
    static constexpr float kPthRollScale = 99.0f;      // the miss roll: a draw in [0, 1) times this
    static constexpr float kNormalModifier = 0.75f;    // without the normal formula
    static constexpr int kLadderSteps = 6;
    static constexpr float kAvoidanceRollMax = 100.0f;   // dodge, deflection, fumble: [0, this)
    static constexpr float kBlockRollMin = 1.0f;
    static constexpr float kBlockRollMax = 100.0f;
    static constexpr float kRagdollPushScale = 3.0f;   // absolute damage times this over the life limit
    static constexpr int kCriticalHitTextOption = 2;   // the engine option that shows critical hits

    CombatManager();
    ~CombatManager() override;
    CombatManager(const CombatManager&) = delete;
    CombatManager& operator=(const CombatManager&) = delete;

    // ---- Owner, records ------------------------------------------------------------
    // The owning character (not owned); the equipment and damage-over-time managers
    // learn it too.
    void AssignParent(Character* owner);
    Character* GetCharacter() const { return m_owner; }
    // The character's own record: equipment, then the hand and foot damage ranges.
    void Load(const LoadTable& table);
    void PreLoad(bool flag) { m_equipment.PreLoad(flag); }
    // The combat record: hit regions, formulas and the probability-to-hit ladder. A
    // second load replaces what the first loaded.
    void LoadRecord(const std::string& recordName);
    void LoadRecord(const LoadTable& table);

    // ---- Frame ---------------------------------------------------------------------
    // Counts down the in-combat and block-recovery timers and runs damage over time.
    void Update(int elapsedMs);

    // ---- Attacks -------------------------------------------------------------------
    // What became of the latest attack the owner took (TakeAttack), for those who show it:
    // whether it missed or met an invulnerable owner, whether the shield blocked a share of
    // it, what of its damage the skills' filters took and what reached the owner's life.
    struct AttackReport {
        enum class Outcome : uint8_t { None, Missed, Invulnerable, Hit };
        Outcome outcome = Outcome::None;
        bool blocked = false;
        float absorbed = 0.0f;     // taken by the filters of skills in force
        uint32_t absorbedBy = 0;   // the object id of the last skill whose filter took some; 0: none
        float lifeTaken = 0.0f;    // the damage that reached the owner's life
    };
    // Complete once the attack is resolved: its answers (UnderAttack) already read it.
    const AttackReport& GetAttackReport() const { return m_attackReport; }
    // Resolves one attack on the owner. True when it hit (reached the damage stage).
    bool TakeAttack(ParametersCombat& params, SkillManager& skills);
    // Applies one amount of damage to the owner. Nothing to apply counts as done (true);
    // false when racial defence or a filter let nothing through.
    bool ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType);
    // Gathers life leech during the current attack.
    void ApplyLifeLeech(float percent) { m_lifeLeechPercent += percent; }
    float GetLifeLeechPercent() const { return m_lifeLeechPercent; }
    // Gives a bonus to the character with that id, when it still exists.
    void GiveBonus(const Bonus& bonus, uint32_t characterId);

    // While one lives, the damage the owner takes from `attacker` is registered with the
    // engine in one go when it ends, as the damage of a hit is. Damage from another
    // attacker meanwhile is registered at once, after what was collected before it, so
    // the register learns every amount in the order it was taken.
    class DamageRegisteredTogether;

    // Filters of the owner's skills in force (not owned). A filter is held once.
    void AddCombatFilter(CombatFilter* filter);
    void RemoveCombatFilter(CombatFilter* filter);
    // The filters held, in list order.
    const std::vector<CombatFilter*>& GetCombatFilters() const { return m_combatFilters; }

    void ImDying();
    void ImDead() {}

    // ---- Accessors -----------------------------------------------------------------
    DurationDamageManager& GetDurationDamageMgr() { return m_durationDamage; }
    EquipManager& GetEquipManager() { return m_equipment; }
    const EquipManager& GetEquipManager() const { return m_equipment; }
    // The attached items as the attack being resolved looked them up; null outside one.
    const EquippedItems* GetEquipmentOfAttack() const { return m_attackEquipment; }
    bool IsPoisoned() const { return m_durationDamage.IsPoisoned(); }
    uint32_t GetAttackerId() const { return m_attackerId; }
    void SetAttacker(uint32_t id) { m_attackerId = id; }
    CombatManager_State GetCombatState() const { return m_combatState; }
    int32_t GetCombatStateTimer() const { return m_combatStateTimer; }
    int32_t GetBlockRecoveryTimer() const { return m_blockRecoveryTimer; }
    const std::vector<uint32_t>& GetAttachedItems() const { return m_equipment.GetAttachedItems(); }
    // Equipment forwards. Attaching and detaching also make the owner's skills find its
    // weapons again.
    void AttachItemAction(uint32_t itemId, EquipLocations location);
    void DetachItemAction(uint32_t itemId);
    WorldCoords GetAttachCoords(EquipLocations location) const { return m_equipment.GetAttachCoords(location); }
    EquipManager_HandState GetHandState() const { return m_equipment.GetHandState(); }
    uint32_t GetRightHandWeapon() const { return m_equipment.GetRightHandWeapon(); }
    uint32_t GetLeftHandWeapon() const { return m_equipment.GetLeftHandWeapon(); }
    uint32_t GetLeftHandShield() const { return m_equipment.GetLeftHandShield(); }
    uint32_t GetEquipmentArmorId() const { return m_equipment.GetArmorId(); }
    // The region's chance as loaded (a whole number); 0 for a region not in the table.
    float GetRegionChance(CombatAttributeRegion region) const;
    bool HasFormula(CombatFormula formula) const { return m_formulas[formula] != nullptr; }

    // Hand-to-hand damage: a draw in the hand range from the attack's own generator,
    // added as base physical damage when positive.
    void GetHandHitDamage(CombatAttributeAccumulator& accumulator);
    void GetHandHitDamage(float& min, float& max) const;

    // ---- What the owner's debuffs take off (fixed damage-over-time levels) ----------
    float GetRunSpeed(float speed) const;
    float GetAttackSpeed(float speed) const;
    float ContributeSpellCastSpeed(float speed) const;
    float ContributeOffensiveAbility(float value) const;
    float ContributeDefensiveAbility(float value) const;
    float ContributeOffensiveReduction() const;
    float ContributeDefensiveReduction() const;
    float ContributeFumbleDamage() const;
    float ContributeProjectileFumbleDamage() const;
    float ContributeTotalDamageReductionPercent() const;
    float ContributeTotalDamageReductionAbsolute() const;
    float ContributeTotalResistanceReductionPercent() const;
    float ContributeTotalResistanceReductionAbsolute() const;

    // ---- Combat formulas -----------------------------------------------------------
    // The designer variables by their exact names; GetDesignerVariable reads through the
    // same binding and leaves the value alone for an unknown name.
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    float DesignerCalculatePhysicalDamage(float damage);
    float DesignerCalculatePierceDamage(float damage);
    float DesignerCalculateElementalDamage(float damage);
    float DesignerCalculateElementalDurationDamage(float damage);
    float DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption, float bonus);
    float DesignerCalculateOffensiveAbility(float bonus);
    float DesignerCalculateDefensiveAbility(float bonus);
    float DesignerCalculateProbabilityToHit(float offensiveAbility, float defensiveAbility);
    bool DesignerCalculateMeleeBlockChance(float blockChance, float modifiers, float pth, RandomUniform& random);
    bool DesignerCalculateProjectileBlockChance(float blockChance, float modifiers, float pth, RandomUniform& random);
    float DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense, float shieldAbsorption);

    // ---- The rolls of an attack ----------------------------------------------------
    // The damage modifier of a melee hit: 0 a miss, above 1 a critical hit.
    float CalculateDamageModifier(float pth, float random);
    bool CanIDodgeAttack(RandomUniform& random);
    bool CanIDeflectProjectile(RandomUniform& random);
    CombatAttributeRegion PickRegion(RandomUniform& random) const;

private:
    struct AttackContext;
    struct DesignerVariables {
        float physicalDamage = 0.0f;
        float pierceDamage = 0.0f;
        float elementalDamage = 0.0f;
        float sumProtection = 0.0f;
        float sumAbsorption = 0.0f;
        float bonus = 0.0f;
        float offensiveAbility = 0.0f;
        float offensiveAbilityModifier = 0.0f;
        float defensiveAbility = 0.0f;
        float defensiveAbilityModifier = 0.0f;
        float probabilityToHit = 0.0f;
        float blockChance = 0.0f;
        float blockChanceModifier = 0.0f;
        float shieldDefense = 0.0f;
        float shieldAbsorption = 0.0f;
        float damage = 0.0f;
    };
    struct RegionChance {
        CombatAttributeRegion region;
        uint32_t chance;
    };
    struct LadderStep {
        float threshold = 0.0f;
        float damageModifier = 0.0f;
    };

    void EquipmentChanged();
    // Loading.
    void ClearRecord();
    // What a combat record gives, read once and kept with the record: every monster of a
    // record loads the same regions, formulas and ladder.
    struct KeptRecord;
    static std::shared_ptr<const KeptRecord> GetKeptRecord(const LoadTable& table);
    static void ReadRegions(const LoadTable& table, KeptRecord& read);
    static void ReadFormulas(const LoadTable& table, KeptRecord& read);
    static void ReadLadder(const LoadTable& table, KeptRecord& read);
    void BindFormulas(const KeptRecord& read);
    // The formula's value, or `fallback` when it is absent.
    float Evaluate(CombatFormula formula, float fallback) const;
    // What a formula's result counts for in combat: a result that is not a finite number
    // counts as 0, with a warning the first time that formula gives one.
    float FiniteFormulaResult(CombatFormula formula, float value) const
    {
        return std::isfinite(value) ? value : NonFiniteFormulaResult(formula, value);
    }
    float NonFiniteFormulaResult(CombatFormula formula, float value) const;
    // Calls `visit` on each combat filter in list order until it returns true; true when
    // one did. See CombatManagerAttack.cpp.
    template <class Visit>
    bool ForEachCombatFilter(Visit visit);
    // The cold parts of ApplyDamage: an amount that is no damage (warned about when it is
    // not a finite number), and the walk over the filters.
    bool ApplyNoDamage(float amount);
    bool FilterDamage(float& damage, CombatAttributeType combatAttributeType);
    float FixedDamage(CombatAttributeType type) const { return m_durationDamage.GetFixedDamage(type); }
    float LadderModifier(float value) const;
    bool RollBlock(bool melee, float blockChance, float modifiers, float pth, RandomUniform& random);
    bool RollAvoidance(float chance, RandomUniform& random, const char* caused, const char* notMet);

    // The steps of TakeAttack (CombatManagerAttack.cpp).
    void KeepArrivedAttack(AttackContext& attack);
    void KeepAttackForReflection(AttackContext& attack);
    void TraceAttackStart(AttackContext& attack);
    void RollHit(AttackContext& attack);
    void TestInvulnerability(AttackContext& attack);
    void ResolveHit(AttackContext& attack);
    void ResolveHitSteps(AttackContext& attack);
    void TryShieldBlock(AttackContext& attack);
    void ApplyRagdollPush(AttackContext& attack, float absoluteDamage);
    void CreditHitStatistics(AttackContext& attack);
    void PlayHitSounds(AttackContext& attack);
    void ShowCriticalHit(AttackContext& attack);
    void AbsorbEnergy(AttackContext& attack);
    void AnswerAttack(AttackContext& attack, SkillManager& skills);
    void ReturnLifeLeech(AttackContext& attack);
    void Retaliation(AttackContext& attack, SkillManager& skills);
    void ReflectCombatDamage(ParametersCombat& copy, uint32_t targetId);
    // Resolves an answer (retaliation or reflection) on its target and credits the
    // damage it dealt to the owner's statistics.
    void SendAnswer(ParametersCombat& answer, Character& target, PlayStatsDamageKind kind);
    // The engine's damage register learns the damage of a hit in one go, at the end of
    // the hit, in the order it was taken (CombatManagerAttack.cpp).
    struct DamageToRegister {
        static constexpr size_t kAmounts = 16;
        uint32_t attackerId = 0;
        size_t count = 0;
        std::array<float, kAmounts> amounts;
    };
    // Collects into `pending` from now on; what an outer collection holds is registered
    // first. Returns the outer one, which `EndRegisterTogether` restores.
    DamageToRegister* BeginRegisterTogether(DamageToRegister& pending, uint32_t attackerId);
    void EndRegisterTogether(DamageToRegister& pending, DamageToRegister* outer);
    void RegisterDamage(float damage);
    void FlushDamageToRegister(DamageToRegister& pending);

    Character* m_owner = nullptr;
    // What an update reads, in the cache lines of the damage over time's own members.
    CombatManager_State m_combatState = CombatManager_NotInCombat;
    int32_t m_combatStateTimer = 0;
    int32_t m_blockRecoveryTimer = 0;
    DurationDamageManager m_durationDamage;
    EquipManager m_equipment;
    float m_handHitDamageMin = 0.0f;
    float m_handHitDamageMax = 0.0f;
    float m_footHitDamageMin = 0.0f;
    float m_footHitDamageMax = 0.0f;
    int32_t m_combatStateDuration = kCombatStateDurationMs;
    uint32_t m_attackerId = 0;
    float m_lifeLeechPercent = 0.0f;
    std::vector<RegionChance> m_regionChances;
    uint32_t m_regionChanceTotal = 0;
    DesignerVariables m_vars;
    std::array<std::unique_ptr<DesignerEquation_Algebra>, CombatFormula_Count> m_formulas;
    float m_certainHitThreshold = kCertainHitThreshold;
    std::array<LadderStep, kLadderSteps> m_ladder{};
    std::vector<CombatFilter*> m_combatFilters;
    uint32_t m_combatFiltersChanged = 0;   // counts additions and removals
    RacialBonus_Defense m_racialBonusDefense;
    // Warnings already given: a formula (by slot) or damage (the last bit) that was not
    // a finite number.
    static constexpr size_t kDamageWarning = CombatFormula_Count;
    mutable std::bitset<CombatFormula_Count + 1> m_nonFiniteWarned;
    DamageToRegister* m_damageToRegister = nullptr;   // while a hit is resolved
    AttackReport m_attackReport;
    bool m_reporting = false;   // while an attack's own damage is resolved (m_attackReport)
    const EquippedItems* m_attackEquipment = nullptr;  // while an attack is resolved
};

class CombatManager::DamageRegisteredTogether {
public:
    DamageRegisteredTogether(CombatManager& manager, uint32_t attacker)
        : m_manager(manager), m_outer(manager.BeginRegisterTogether(m_pending, attacker))
    {
    }
    ~DamageRegisteredTogether() { m_manager.EndRegisterTogether(m_pending, m_outer); }
    DamageRegisteredTogether(const DamageRegisteredTogether&) = delete;
    DamageRegisteredTogether& operator=(const DamageRegisteredTogether&) = delete;

private:
    CombatManager& m_manager;
    DamageToRegister m_pending;
    DamageToRegister* m_outer;
};

}  // namespace GAME
