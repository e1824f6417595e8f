// The self buffs built on the toggled one: a buff that switches itself off after its
// duration, a shield whose absorption is a pool that switches it off once spent, and three
// duration buffs that add one thing each: a change of size (colossus), a rooted user
// (immobilize) and immunity to attackers of chosen races (invulnerable). Like the toggled
// buff, each is switched on the driving peer and applied on every peer from its active
// state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/skills/SkillBuffSelf.h"

namespace GAME {

// The combat channel's lines of the shield's own filter.
inline constexpr char kShieldIgnoredLog[] = "^bShield: Ignored non-qualified damage (%f)";
inline constexpr char kShieldPoolLog[] = "^bShield: Absorbed (%f) of (%f) damage, shield remaining (%f)";

class Skill_BuffSelfDuration : public Skill_BuffSelfToggled {
    GAME_DECLARE_CLASS(Skill_BuffSelfDuration)

public:
    Skill_BuffSelfDuration();

    // The toggled update; then, on the driving peer, the time runs down and below 1 ms
    // the buff switches off.
    void Update(Character& user, int elapsedMs) override;
    bool TrackableTimed(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned) const override { return m_remaining; }
    int TrackableTotalTime(unsigned) const override { return m_total; }
    // Switches on (never off) for "skillActiveDuration".
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

protected:
    int32_t m_total = 0;
};

class Skill_BuffSelfShield : public Skill_BuffSelfToggled {
    GAME_DECLARE_CLASS(Skill_BuffSelfShield)

public:
    Skill_BuffSelfShield();

    // The toggled update; then, on the driving peer, a shield in force whose pool is spent
    // switches off.
    void Update(Character& user, int elapsedMs) override;
    bool TrackableTimed(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned) const override;
    int TrackableTotalTime(unsigned) const override;
    // Never usable while switched on; otherwise mana and cooldown both count.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    // Qualifying damage loses the percent, then what the pool holds, which it spends.
    float ModifyDamage(float damage, CombatAttributeType type) override;

    float GetShieldLeft() const { return m_absorption; }
};

class Skill_BuffSelfColossus : public Skill_BuffSelfDuration {
    GAME_DECLARE_CLASS(Skill_BuffSelfColossus)

public:
    Skill_BuffSelfColossus();

    // The duration update; the passives wait while the size changes.
    void Update(Character& user, int elapsedMs) override;
    // The toggled switch, then the size heads for "actorScale" (on) or the base scale
    // (off) over "actorScaleTime"; a restored state takes the size at once.
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    // One step of the size change, or (`finish`) the target size at once.
    virtual void Scale(Character& user, int elapsedMs, bool finish);

    bool IsScaling() const { return m_scaling; }

private:
    bool m_scaling = false;
    int32_t m_scaleTime = 0;
    float m_targetScale = 0.0f;
    float m_scaleDelta = 0.0f;
};

class Skill_BuffSelfImmobilize : public Skill_BuffSelfDuration {
    GAME_DECLARE_CLASS(Skill_BuffSelfImmobilize)

public:
    Skill_BuffSelfImmobilize();

    // The duration update; while in force, every 100 ms a short immobilizing effect.
    void Update(Character& user, int elapsedMs) override;

private:
    int32_t m_tick = 0;
    int32_t m_tickInterval = 100;
    float m_holdDuration = 0.25f;   // seconds
};

class Skill_BuffSelfInvulnerable : public Skill_BuffSelfDuration {
    GAME_DECLARE_CLASS(Skill_BuffSelfInvulnerable)

public:
    Skill_BuffSelfInvulnerable();

    // While in force: against everyone when "racialProfile" is empty, else against an
    // attacker of a listed race.
    bool ProvidesInvulnerability(const std::vector<std::string>& attackerRaces) override;
};

}  // namespace GAME
