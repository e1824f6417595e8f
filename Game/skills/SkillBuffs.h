// Buffs that live on the character they affect: created by the holder's skill manager
// from a caster's grant, they add their record's attributes while active, filter the
// damage the holder takes, count their time down and leave through the holder's skill
// services. The kinds add a harmful tick (debuffs), spreading (contagion), short holding
// pulses (trap, freeze, immobilize) and a shield that wears out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/combat/CombatFilter.h"
#include "Game/core/Team.h"
#include "Game/skills/Skill.h"

namespace GAME {

class Character;
class CombatManager;

// The shield's log lines, shared by every skill that filters damage by percent and cap.
inline constexpr char kShieldReducedLog[] = "^bShield: Reduced (%f) Damage by (%f%%) percent, remaining damage (%f)";
inline constexpr char kShieldAbsorbedLog[] = "^bShield: Absorbed (%f) of (%f) damage, max absorption (%f)";

// Takes `percent` percent off the damage (when above 0), then at most `absorption` (when
// above 0), logging each step on the combat channel; returns what passes.
float ShieldFilterDamage(float damage, float percent, float absorption);

// A holding effect of that type on the holder for `seconds`, closed at once.
void HoldPulse(Character& holder, CombatAttributeType type, float seconds);
// Counts `counter` down by `elapsedMs`; below 1 it starts again at `interval` and the
// answer is true.
bool PulseDue(int& counter, int interval, int elapsedMs);

class SkillBuff : public Skill, public CombatFilter {
    GAME_DECLARE_CLASS(SkillBuff)

public:
    SkillBuff();
    SkillBuff(const SkillBuff& other);
    SkillBuff& operator=(const SkillBuff& other);
    // Destroyed while still installed (its manager going away): it leaves its holder's
    // filters at once, so no attack reaches it before it is freed.
    void OnDestroy() override;

    // Joins the target's filters (once), raises all its skills by the record's
    // enhancement and switches the buff-on-other effects on; UnInstall undoes each.
    void Install(Character* target) override;
    void UnInstall(Character* target) override;
    // Counts the time down unless the buff never runs out (total 0); once below 0 the
    // buff asks its holder's services, on every update until it is gone, to remove it.
    void Update(Character& owner, int elapsedMs) override;
    // The sub-level of the active state: the caster's level.
    unsigned GetCurrentLevel() const override;
    bool IsTempTrackable(unsigned) const override { return true; }
    int TrackableRemainingTime(unsigned) const override { return 1; }
    int TrackableTotalTime(unsigned) const override { return 1; }
    // While active: the record's values at the buff's level, then the modifiers'.
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const override;
    void CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveRacialBonusDamage(const std::vector<std::string>& races,
                                         RacialBonus_Damage& bonus) const override;
    void CollectPassiveRacialBonusDefense(const std::vector<std::string>& races,
                                          RacialBonus_Defense& bonus) const override;
    // Sounds (unless restoring), cast effects by the active flag, speeds, absorption.
    void ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restoring) override;
    virtual void DispelBuff(Character&) {}
    virtual void DispelDeBuff(Character&) {}

    // The filter: qualifying damage loses the percent, then at most the absorption.
    float ModifyDamage(float damage, CombatAttributeType type) override;
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return false; }

    void SetCasterId(uint32_t id) { m_casterId = id; }
    uint32_t GetCasterId() const { return m_casterId; }
    void SetTimeToLive(int ms)
    {
        m_timeToLive = ms;
        m_totalTimeToLive = ms;
    }
    int GetTimeToLive() const { return m_timeToLive; }
    int GetTotalTimeToLive() const { return m_totalTimeToLive; }
    // What a copy of this buff made elsewhere is to live for: 0 when it never runs out,
    // else the time left, at least 1 ms (a buff at or below 0 is on its way out).
    int GetReplicaTimeToLive() const;
    // A time to live a peer sent: 0 never runs out; a negative one is a timed buff at
    // its end (1 ms).
    static int BoundedTimeToLive(int32_t ms) { return ms < 0 ? 1 : ms; }
    float GetDamageAbsorption() const { return m_damageAbsorption; }
    float GetDamageAbsorptionPercent() const { return m_damageAbsorptionPercent; }

protected:
    virtual void InitializeBuff();
    // Asks the holder's services to take this buff off; nothing without services.
    void RequestRemoval();
    // The holder's services are asked to remove it unless the record forbids dispels.
    void DispelUnlessProtected();

    uint32_t m_casterId = 0;
    float m_damageAbsorption = 0.0f;
    float m_damageAbsorptionPercent = 0.0f;
    int m_timeToLive = 0;
    int m_totalTimeToLive = 0;
    int m_skillEnhancement = 0;

private:
    template <class Collect>
    void CollectWhileActive(Collect collect) const;
    // The filter list it joined (its holder's combat manager), null while not installed.
    CombatManager* m_filterHolder = nullptr;
};

class SkillBuff_Passive : public SkillBuff {
    GAME_DECLARE_CLASS(SkillBuff_Passive)

public:
    SkillBuff_Passive();
    void DispelBuff(Character&) override { DispelUnlessProtected(); }
};

// Holds its holder with an immobilize effect renewed in short pulses.
class SkillBuff_BuffImmobilize : public SkillBuff_Passive {
    GAME_DECLARE_CLASS(SkillBuff_BuffImmobilize)

public:
    SkillBuff_BuffImmobilize();
    void Update(Character& owner, int elapsedMs) override;

private:
    int m_pulseCounter = 0;
    int m_pulseInterval = 100;
    float m_pulseDuration = 0.25f;
};

// A pool of absorption: once what it took away reaches the absorption, the next update
// removes it.
class SkillBuff_PassiveShield : public SkillBuff_Passive {
    GAME_DECLARE_CLASS(SkillBuff_PassiveShield)

public:
    SkillBuff_PassiveShield();
    float ModifyDamage(float damage, CombatAttributeType type) override;
    float GetShieldLeft() const { return m_shieldLeft; }

protected:
    void InitializeBuff() override;

private:
    float m_shieldLeft = 0.0f;
};

// Harms its holder once a second, the first time on its first update: the buff's own
// damage at its level, rolled from the holder's id, as an attack by the caster.
class SkillBuff_Debuf : public SkillBuff {
    GAME_DECLARE_CLASS(SkillBuff_Debuf)

public:
    SkillBuff_Debuf();
    void Update(Character& holder, int elapsedMs) override;
    // Its damage reaches the holder through its ticks, not through the holder's attacks.
    void CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator&) const override {}
    void CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator&) const override {}
    void DispelDeBuff(Character&) override { DispelUnlessProtected(); }

private:
    int m_tickCounter = 0;
    int m_tickInterval = 1000;
};

// Spreads to the holder's friends around it, at most "contagionLimit" per spread and
// "contagionMaxSpread" in all; a character that already carries it does not count.
class SkillBuff_Contageous : public SkillBuff_Debuf {
    GAME_DECLARE_CLASS(SkillBuff_Contageous)

public:
    SkillBuff_Contageous();
    void Install(Character* target) override;
    void Update(Character& holder, int elapsedMs) override;
    int GetSpreadLeft() const { return m_spreadLeft; }

private:
    int m_contagionCounter = 0;
    int m_spreadLeft = 0;
    Team m_holderTeam;
};

// Holds its holder with a trap effect renewed in short pulses; the holder's trap
// resistance shortens it at install.
class SkillBuff_DebufTrap : public SkillBuff_Debuf {
    GAME_DECLARE_CLASS(SkillBuff_DebufTrap)

public:
    SkillBuff_DebufTrap();
    void Install(Character* target) override;
    void Update(Character& holder, int elapsedMs) override;

protected:
    virtual void ApplyBuffDamage(Character& holder);
    virtual float GetResistance(CombatAttributeAccumulator& accumulator);
    // The effect type the pulses renew and the resistance is read for.
    virtual CombatAttributeType PulseType() const;

private:
    float m_pulseDuration = 0.25f;
    int m_pulseCounter = 0;
    int m_pulseInterval = 100;
};

class SkillBuff_DebufFreeze : public SkillBuff_DebufTrap {
    GAME_DECLARE_CLASS(SkillBuff_DebufFreeze)

public:
    SkillBuff_DebufFreeze();

protected:
    void ApplyBuffDamage(Character& holder) override { SkillBuff_DebufTrap::ApplyBuffDamage(holder); }
    float GetResistance(CombatAttributeAccumulator& accumulator) override
    {
        return SkillBuff_DebufTrap::GetResistance(accumulator);
    }
    CombatAttributeType PulseType() const override;
};

}  // namespace GAME
