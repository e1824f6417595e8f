// Buffs that reach characters other than their user. An attack aura strikes the foes
// around its user once a second while on; a radius buff hands its buff record (or, for a
// debuff, to foes) to the characters around its user once a second, each hand-out lasting
// 1.5 s so that a character that stays keeps it and one that leaves loses it; a buff on
// others gives one ally, or every ally within a radius, the buff for a duration. The
// driving peer gathers the characters and sends them as a target result; every peer
// applies it, and switches travel as active states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_BuffAttackRadiusToggled : public SkillActivatedBuffSelf {
    GAME_DECLARE_CLASS(Skill_BuffAttackRadiusToggled)

public:
    Skill_BuffAttackRadiusToggled();

    // The cooldown, the upkeep while on, and on the driving peer the pulse: every
    // second (the first one second after the switch-on) the foes within
    // "skillTargetRadius" go out as a target result.
    void Update(Character& user, int elapsedMs) override;
    bool IsTrackable(unsigned) const override { return m_switchedOn; }
    // While on: the record's character (then penalties), skill, retaliation, defence and
    // racial defence values, then the modifiers'; no offensive values.
    void CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator&) const override {}
    void CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator&) const override {}
    void CollectPassiveRacialBonusDamage(const std::vector<std::string>&, RacialBonus_Damage&) const override {}
    // One attack on every listed character, rolled from the seed; then the secondaries.
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    void StopSkill(Character& user) override;
    // Unless restoring: the costs and the sound; then the effects and the speeds.
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    // Strikes every foe its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
    // The user's switch, on the driving peer: flips and sends the active state.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    bool IsSwitchedOn() const { return m_switchedOn; }

protected:
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;
    // The state goes out as (0, on, false).
    void SendSwitch(bool on);

    int32_t m_pulseInterval = 1000;
    bool m_switchedOn = false;
    int32_t m_remaining = 0;
    int32_t m_pulseTimer = 0;

private:
    std::vector<uint32_t> m_gathered;   // the pulse's targets, kept to spare a list each second
};

class Skill_BuffAttackRadiusDuration : public Skill_BuffAttackRadiusToggled {
    GAME_DECLARE_CLASS(Skill_BuffAttackRadiusDuration)

public:
    Skill_BuffAttackRadiusDuration();

    // The toggled update; then the time runs down and below 1 ms the aura switches off.
    void Update(Character& user, int elapsedMs) override;
    bool TrackableTimed(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned) const override { return m_remaining; }
    int TrackableTotalTime(unsigned) const override { return m_total; }
    // Switches on (never off) for "skillActiveDuration".
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

private:
    int32_t m_total = 0;
};

class Skill_BuffRadius : public SkillActivatedBuffSelf {
    GAME_DECLARE_CLASS(Skill_BuffRadius)

public:
    // How long each hand-out lasts: longer than the pulse, so that it holds from one
    // pulse to the next.
    static constexpr int32_t kBuffDurationMs = 1500;

    Skill_BuffRadius();

    // Reads only "buffSkillName": the skill's resources and numbers are the buff record's,
    // and "debufSkill" there makes it a debuff that goes to foes.
    void Load(const LoadTable& table) override;
    void Update(Character& user, int elapsedMs) override;
    // Reaches every character its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
    bool IsTrackable(unsigned) const override { return m_switchedOn; }
    bool HasIconDisplay(unsigned) const override { return m_isDebuff && m_switchedOn; }
    bool TrackableTimed(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned) const override { return m_remaining; }
    int TrackableTotalTime(unsigned) const override { return m_total; }
    // While on, only the record's penalties: the benefit goes to the others.
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const override;
    // The first hand-out (`initial`) gives each character the life and mana bonus (not
    // for a debuff) and starts the secondaries once; each pulse hands the buff over.
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool initial) override;
    void StopSkill(Character& user) override;
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    // Switches on for "skillActiveDuration" with a first hand-out at once, then starts
    // the secondaries.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    // Counts the duration down; switches off when it is over or the weapons no longer
    // qualify.
    virtual void UpdateSkillController(SkillServicesBase* services, int elapsedMs);

    bool IsSwitchedOn() const { return m_switchedOn; }
    bool IsDebuff() const { return m_isDebuff; }
    const std::string& GetBuffSkillName() const { return m_buffSkillName; }

protected:
    // The characters within "skillTargetRadius" of the user (foes for a debuff) go out as
    // a target result; false when there were none.
    bool HandOut(Character& user, SkillServicesBase& services, bool initial);
    void SwitchOff(SkillServicesBase& services);

    int32_t m_total = 0;
    int32_t m_pulseInterval = 1000;
    int32_t m_buffDuration = kBuffDurationMs;
    bool m_switchedOn = false;
    int32_t m_remaining = 0;
    int32_t m_pulseTimer = 0;
    std::string m_buffSkillName;
    bool m_isDebuff = false;

private:
    std::vector<uint32_t> m_gathered;   // the pulse's targets, kept to spare a list each second
};

class Skill_BuffRadiusToggled : public Skill_BuffRadius {
    GAME_DECLARE_CLASS(Skill_BuffRadiusToggled)

public:
    Skill_BuffRadiusToggled();

    bool TrackableTimed(unsigned) const override { return false; }
    // Flips: on with a first hand-out (no secondaries), or off.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    // No duration: off only when the weapons no longer qualify.
    void UpdateSkillController(SkillServicesBase* services, int elapsedMs) override;
};

class Skill_BuffOther : public SkillActivatedBuffOther {
    GAME_DECLARE_CLASS(Skill_BuffOther)

public:
    Skill_BuffOther();

    // As the radius buff's: only "buffSkillName", whose record gives the numbers.
    void Load(const LoadTable& table) override;
    // The sound, then each listed character gets the target effect, the buff for
    // "skillActiveDuration" and the life and mana bonus; then the secondaries.
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // A character that does not carry the buff yet.
    bool IsValidTarget(unsigned id) const override;
    // Reaches every character its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
    // The allies within "skillTargetRadius" of the user, or without a radius the chosen
    // target, go out as a target result.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    const std::string& GetBuffSkillName() const { return m_buffSkillName; }

private:
    std::string m_buffSkillName;
};

}  // namespace GAME
