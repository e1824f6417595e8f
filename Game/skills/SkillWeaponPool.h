// A character's plain weapon attack is a pool: the pool skill (a SkillActivatedWeaponPool
// kind) picks, each time it is used, one pooled attack (a Skill_WPAttack kind) weighted by
// the attacks' chance weights, and lets it strike in its place. The pooled attack reports
// back to the pool skill that started it after it has struck; the charging kinds build a
// charge from those reports. The charge lives on the controlling peer and travels as the
// sub-level of the skill's active state; every peer shows the aura or effect of the level
// it received.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class RandomUniform;

// The base of the pool skills.
class SkillActivatedWeaponPool : public SkillActivated {
    GAME_DECLARE_CLASS(SkillActivatedWeaponPool)

public:
    SkillActivatedWeaponPool();

    // The pick of one swing over the owner's pooled attacks (object ids, in list order),
    // with the default pooled attack entered last. An attack counts when it is a skill
    // whose chance weight (as an ordinary pick asks it) is above 0 and whose level is not
    // 0; the default comes in with max(100 - sum, defaultWeight), so it fills the pool up
    // to 100 and keeps its own weight past that. One draw in [0, total], both ends
    // reachable; the first entry whose running sum reaches it wins. 0 for an empty pool.
    static uint32_t PickPoolAttack(const std::vector<uint32_t>& attacks, uint32_t defaultId, unsigned defaultWeight,
                                   RandomUniform& random);
    // The running sums of that pick, in its order, the default last; for the owner's
    // description of its pool and the tests.
    struct PoolEntry {
        uint32_t skillId;
        int64_t runningSum;
    };
    static std::vector<PoolEntry> WeighPool(const std::vector<uint32_t>& attacks, uint32_t defaultId,
                                            unsigned defaultWeight);

    // The weapon's reach as of the last update: the owner's ranged profile for a ranged
    // weapon, else melee.
    void Update(Character& owner, int elapsedMs) override;
    Skill_RangeProfile GetRangeProfile() const override { return m_weaponRange; }
    void PlaySkillSound1(const WorldVec3& position) const override;
    void PlaySkillSound2(const WorldVec3& position) const override;
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    // The owner picks the pooled attack from the seed; the pick learns its parent and
    // runs its own start. False when the pick names no pooled attack.
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& point) override;
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& point) override;
    bool EndAction(Character& attacker) override;

    // A pooled attack that this skill started struck these targets (perhaps none). The
    // base does nothing with it.
    virtual void WPAttackCallback(Character&, const std::vector<uint32_t>&) {}

    // The pooled attack the last use picked; 0 for none.
    uint32_t GetChosenAttackId() const { return m_chosenAttackId; }

protected:
    // The pooled attack the last use picked, while it still names one.
    class Skill_WPAttack* GetChosenAttack() const;

    uint32_t m_chosenAttackId = 0;
    bool m_rangedWeapon = false;
    Skill_RangeProfile m_weaponRange = Skill_RangeMelee;
    TargetLeadingData m_leading;
};

// The basic pool attack: pooled attacks' reports change nothing.
class Skill_WeaponPool_BasicAttack : public SkillActivatedWeaponPool {
    GAME_DECLARE_CLASS(Skill_WeaponPool_BasicAttack)

public:
    Skill_WeaponPool_BasicAttack();
};

// The default weapon attack every character has: always usable, whatever its mana or
// cooldown.
class Skill_WeaponPool_Default : public SkillActivatedWeaponPool {
    GAME_DECLARE_CLASS(Skill_WeaponPool_Default)

public:
    Skill_WeaponPool_Default();

    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
};

// The charge both charging kinds keep on the controlling peer, and the replicated level
// every peer reads.
class SkillWeaponPoolCharge : public SkillActivatedWeaponPool {
public:
    // The charge counts as a fraction of the full charge in the user interface.
    bool IsTrackable(unsigned) const override { return m_chargeLevel > 0; }
    int TrackableRemainingTime(unsigned) const override { return static_cast<int>(m_chargeLevel); }
    int TrackableTotalTime(unsigned) const override { return static_cast<int>(GetFullCharge()); }

    // The charge of the controlling peer and its time left (ms).
    unsigned GetChargeLevel() const { return m_chargeLevel; }
    int GetChargeTimer() const { return m_chargeTimer; }
    // The level every peer received, never negative.
    unsigned GetReplicatedChargeLevel() const;
    // The full charge at the current skill level.
    unsigned GetFullCharge() const;

protected:
    // The record's duration of a charge level as whole milliseconds (clamped).
    int ChargeDurationOf(unsigned level) const;
    // The charge level goes out as the active state's sub-level.
    void SendChargeLevel();
    // Runs the charge timer down on the controlling peer; false elsewhere.
    bool TickChargeTimer(int elapsedMs);
    // Pays the cost of a report that hit something; false for an empty report.
    bool PayForHits(const std::vector<uint32_t>& targets);

    unsigned m_chargeLevel = 0;
    int m_chargeTimer = 0;
};

// Each hit raises the charge; at full charge the next use is the pool skill's own
// finishing blow, which spends it. Without hits the charge runs out after its level's
// duration.
class Skill_WeaponPool_ChargedFinale : public SkillWeaponPoolCharge {
    GAME_DECLARE_CLASS(Skill_WeaponPool_ChargedFinale)

public:
    Skill_WeaponPool_ChargedFinale();

    void Update(Character& owner, int elapsedMs) override;
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    void StopSkill(Character& user) override;
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& point) override;
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& point) override;
    void WPAttackCallback(Character& user, const std::vector<uint32_t>& targets) override;

    // The next use is the finale: the replicated charge has reached the full charge.
    bool IsFinaleDue() const;

private:
    uint32_t m_chargeAura = 0;
};

// Each hit raises the charge up to the full charge; while charged, the skill grants the
// record's attributes read at the charge level. Without hits the charge falls one level
// at a time, each level lasting its own duration.
class Skill_WeaponPool_ChargedLinear : public SkillWeaponPoolCharge {
    GAME_DECLARE_CLASS(Skill_WeaponPool_ChargedLinear)

public:
    Skill_WeaponPool_ChargedLinear();

    void Update(Character& owner, int elapsedMs) override;
    void StopSkill(Character& user) override;
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    void WPAttackCallback(Character& user, const std::vector<uint32_t>& targets) override;
    // The full charge's heading and values in place of the skill level's.
    void CreateUIParameterText(std::vector<GameTextLine>& lines) const override;
    void CreateUINextParameterText(std::vector<GameTextLine>& lines) const override;

private:
    void Raise();
    void Lower();
    void Reset();
    // The level the effects and attributes follow: the replicated one, never past the
    // full charge whatever a peer sent.
    unsigned EffectLevel() const;
    // While charged, the owner collects the record's values at the effect level, then the
    // modifiers'.
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;

    std::vector<uint32_t> m_chargeEffects;   // one per level reached, created on demand
    uint32_t m_shownEffect = 0;
};

// A pooled attack: it never waits for mana or cooldown, weighs in the pick by its
// profile's chance weight at its current level, and adds the resources (sounds, effects,
// modifiers, damage) of the pool skill that started it when that skill shares them.
class Skill_WPAttack : public SkillActivatedWeapon {
    GAME_DECLARE_CLASS(Skill_WPAttack)

public:
    Skill_WPAttack();

    // 0 while the skill is disabled, unless `evenDisabled`; else the profile's weight.
    unsigned GetChanceWeight(bool evenDisabled) const override;
    // The base's test with mana and cooldown ignored.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;

    float GetTotalSkillAttribute(SkillAttributeType type) const override;
    void GetSkillModifierData(SkillProfile_Modifiers& out) const override;
    void AddProjectileModifier(ProjectileBase* projectile) const override;
    void PlaySwipeSound(const WorldVec3& position) const override;
    void PlayHitSound(const WorldVec3& position) const override;
    void CreateTargetFx(const WorldCoords& coords) override;
    void CollectLocalOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectLocalOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;

    // The pool skill that started this attack (0 for none).
    void SetParentSkillId(uint32_t id) { m_parentSkillId = id; }
    uint32_t GetParentSkillId() const { return m_parentSkillId; }

protected:
    // The pool skill that started this attack, while it names one that shares its
    // resources.
    Skill* GetSharingParent() const;

    uint32_t m_parentSkillId = 0;
};

// The pooled attack of the default weapon attack: it strikes with the hand the event
// names and reports the result to its pool skill.
class Skill_WPAttack_BasicAttack : public Skill_WPAttack {
    GAME_DECLARE_CLASS(Skill_WPAttack_BasicAttack)

public:
    Skill_WPAttack_BasicAttack();

    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& point) override;
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
};

}  // namespace GAME
