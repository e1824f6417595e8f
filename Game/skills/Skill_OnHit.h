// Skills set off by what happens to their owner rather than by a use: self-buffs that
// start when the owner is struck (armed by the player, or always ready) or when its life
// runs low, and an armed ring that strikes the owner's foes around it when it is struck.
// The peer that drives the owner decides and sends each start and end as an active
// state; every peer applies it when the state comes back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/combat/CombatFilter.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

class CombatManager;

// The one-time bonus of a skill's record at its current level ("skillLifeBonus",
// "skillManaBonus", "skillBonusEffectName") given to the character.
void GiveSkillBonus(const Skill& skill, Character& to);

// The membership of a skill's damage filter in its owner's combat manager, so that the
// filter always leaves the manager it joined, whatever happens to the skill.
class HeldCombatFilter {
public:
    HeldCombatFilter() = default;
    // A copy joins nothing.
    HeldCombatFilter(const HeldCombatFilter&) {}
    HeldCombatFilter& operator=(const HeldCombatFilter&) { return *this; }

    void Join(Character& owner, CombatFilter* filter);
    void Leave(CombatFilter* filter);
    bool IsHeld() const { return m_holder != nullptr; }

private:
    CombatManager* m_holder = nullptr;   // the owner's, while joined
};

// An armed toggle that acts when its owner is struck: the player's use arms and disarms
// it; while armed it pays no mana for its availability and keeps a cooldown of its own.
class SkillOnHitArmed : public SkillActivatedBuffSelf {
public:
    SkillOnHitArmed();

    bool IsSkillOnHitActive() const override { return m_armed; }
    bool IsTrackable(unsigned) const override { return m_armed; }
    // The use, on the driving peer: arms or disarms and sends the active state.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    bool IsArmed() const { return m_armed; }
    int32_t GetOwnCooldown() const { return m_cooldownLeft; }

protected:
    // The draw of a blow: a float in [0.1, 100.0] from the game's generator against the
    // record's chance at the current level, which counts as 0 while the cooldown runs.
    bool ChanceWon() const;
    // Counts the own cooldown down by the frame.
    void CountCooldown(int elapsedMs);
    // Disarms on the driving peer and sends the inactive state; false when not armed.
    bool Disarm();

    bool m_armed = false;
    int32_t m_cooldownLeft = 0;   // ms
};

// While armed, each blow on the owner may start a timed buff; while it runs the record's
// values count for the owner, and its end starts the skill's own cooldown.
class Skill_OnHitBuffSelf : public SkillOnHitArmed {
    GAME_DECLARE_CLASS(Skill_OnHitBuffSelf)

public:
    Skill_OnHitBuffSelf();

    void Update(Character& owner, int elapsedMs) override;
    void OnHitActivation(Character& owner, const ParametersCombat& params) override;
    bool TrackableTimed(unsigned) const override { return m_buffRemaining > 0; }
    int TrackableRemainingTime(unsigned) const override { return m_buffRemaining > 0 ? m_buffRemaining : 1; }
    int TrackableTotalTime(unsigned) const override { return m_buffRemaining > 0 ? m_buffTotal : 1; }
    // While armed the penalty; while the buff runs the attributes and the modifiers' too.
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const override;
    // Disarms; a running buff's time is kept and counts on once armed again.
    void StopSkill(Character& owner) override;
    void ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored) override;

    int32_t GetBuffRemaining() const { return m_buffRemaining; }

protected:
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;

private:
    int32_t m_buffTotal = 0;       // ms
    int32_t m_buffRemaining = 0;   // ms
};

// A self-buff that starts by itself and shields its owner while it runs: qualifying
// damage loses the record's percent, then at most its absorption per blow; its start
// gives a one-time life and mana bonus, its end starts the cooldown.
class SkillTriggeredSelfBuff : public Skill, public CombatFilter {
public:
    SkillTriggeredSelfBuff() { m_repeatable = false; }

    void UnInstall(Character* owner) override;
    void OnDestroy() override;
    bool TrackableTimed(unsigned) const override { return m_buffRemaining > 0; }
    int TrackableRemainingTime(unsigned) const override { return m_buffRemaining > 0 ? m_buffRemaining : 1; }
    int TrackableTotalTime(unsigned) const override { return m_buffRemaining > 0 ? m_buffTotal : 1; }
    // While the buff runs: the record's attributes (without the penalty), then the
    // modifiers'.
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored) override;

    float ModifyDamage(float damage, CombatAttributeType type) override;
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return false; }

    int32_t GetBuffRemaining() const { return m_buffRemaining; }
    float GetAbsorption() const { return m_absorption; }

protected:
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;
    // Sends the running state and sets the buff's time from the modifier data.
    void StartBuff(SkillServicesBase& services);
    // The owner's effects of a start, before the bonus; none by default.
    virtual void OnBuffStart(Character&) {}

    int32_t m_buffTotal = 0;       // ms
    int32_t m_buffRemaining = 0;   // ms
    float m_absorption = 0.0f;
    float m_absorptionPercent = 0.0f;

private:
    HeldCombatFilter m_filter;
};

// Always ready: each blow on its owner may start the buff (an integer draw in 0..100
// against the chance), unless one runs.
class Skill_PassiveOnHitBuffSelf : public SkillTriggeredSelfBuff {
    GAME_DECLARE_CLASS(Skill_PassiveOnHitBuffSelf)

public:
    Skill_PassiveOnHitBuffSelf();

    void Update(Character& owner, int elapsedMs) override;
    void OnHitActivation(Character& owner, const ParametersCombat& params) override;
    bool IsSkillOnHitActive() const override { return GetCurrentLevel() > 0; }
    bool IsTrackable(unsigned) const override { return m_buffRemaining > 0; }
    void StopSkill(Character& owner) override;
};

// Starts when its owner's life falls to the record's percent; the buff lasts while the
// life stays there, and its time runs from the first frame the life is back above.
class Skill_PassiveOnLifeBuffSelf : public SkillTriggeredSelfBuff {
    GAME_DECLARE_CLASS(Skill_PassiveOnLifeBuffSelf)

public:
    Skill_PassiveOnLifeBuffSelf();

    void Update(Character& owner, int elapsedMs) override;
    bool IsTrackable(unsigned) const override { return m_triggered; }
    bool TrackableTimed(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned i) const override { return m_lifeBack ? SkillTriggeredSelfBuff::TrackableRemainingTime(i) : 1; }
    int TrackableTotalTime(unsigned i) const override { return m_lifeBack ? SkillTriggeredSelfBuff::TrackableTotalTime(i) : 1; }
    void StopSkill(Character& owner) override;
    void ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored) override;

    bool IsTriggered() const { return m_triggered; }
    bool IsLifeBack() const { return m_lifeBack; }

protected:
    void OnBuffStart(Character& owner) override;

private:
    bool m_triggered = false;
    bool m_lifeBack = false;
};

// While armed, a blow on its owner may send out a ring from where the owner stands: the
// foes within the skill's target radius at that moment are struck as the ring, growing
// one unit per "expansionTime", reaches each.
class Skill_OnHitAttackRadius : public SkillOnHitArmed {
    GAME_DECLARE_CLASS(Skill_OnHitAttackRadius)

public:
    Skill_OnHitAttackRadius();

    void Update(Character& owner, int elapsedMs) override;
    void OnHitActivation(Character& owner, const ParametersCombat& params) override;
    // While armed: character (with the penalty), skill, retaliation, defence and racial
    // defence values; nothing offensive.
    void CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator&) const override {}
    void CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator&) const override {}
    void CollectPassiveRacialBonusDamage(const std::vector<std::string>&, RacialBonus_Damage&) const override {}
    // Every peer strikes the listed characters from the ring's centre.
    void TargetResult(Character& owner, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned, bool) override;
    // Strikes every foe its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
    void StopSkill(Character& owner) override;
    void ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restored) override;
    // The ring drawn at the centre (its radius magic) and the record's effect there.
    virtual void CreateVisualEffect(const WorldCoords& centre, float radius, int timeMs);

    const std::vector<uint32_t>& GetPendingTargets() const { return m_ring.pendingTargets; }

protected:
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;

private:
    ExpandingRing m_ring{.elapsedMs = 1, .msPerUnit = 1, .centre = {}, .pendingTargets = {}};
};

}  // namespace GAME
