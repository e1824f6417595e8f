// A buff its user switches on and off: while on, its record's passive attributes count
// for the user, an upkeep in life and mana is paid every frame (the buff stops when the
// mana is gone), and qualifying damage the user takes loses a percent and then up to the
// absorption per hit. The switch is replicated: the driving peer flips it and sends the
// active state, and every peer applies it (costs, effects, the one-time bonus).
#pragma once

#include <string>
#include <vector>

#include "Game/combat/CombatFilter.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

class CombatManager;

class Skill_BuffSelfToggled : public SkillActivatedBuffSelf, public CombatFilter {
    GAME_DECLARE_CLASS(Skill_BuffSelfToggled)

public:
    Skill_BuffSelfToggled();
    Skill_BuffSelfToggled(const Skill_BuffSelfToggled& other);
    Skill_BuffSelfToggled& operator=(const Skill_BuffSelfToggled& other);

    // Joins the user's filters (once); uninstalling or destroying it takes it out again.
    void Install(Character* user) override;
    void UnInstall(Character* user) override;
    void OnDestroy() override;
    // The cooldown, then the upkeep while the buff is on.
    void Update(Character& user, int elapsedMs) override;
    bool IsTrackable(unsigned) const override { return m_switchedOn; }
    // Switched off by force (its owner, a dispel, the mana gone): on the driving peer the
    // inactive state goes out.
    void StopSkill(Character& user) override;
    // Applies a switch on every peer: unless restoring, the costs, the sound and, when
    // switched on, the target effect, the life and mana bonus (once per switch-on) and the
    // secondary skills; then the effects, the speeds and the absorption.
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    // The user's switch, on the driving peer only: flips and sends the active state.
    void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    float ModifyDamage(float damage, CombatAttributeType type) override;
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return false; }

    bool IsSwitchedOn() const { return m_switchedOn; }

protected:
    virtual void InitializeBuff();
    // While on and not suppressed, the owner collects the record's values at the current
    // level, then the modifiers'.
    bool CollectsOwnValues() const override { return true; }
    std::optional<unsigned> CollectedLevel() const override;

    bool m_switchedOn = false;
    int32_t m_remaining = 0;
    // Read by the collectors: written through SetCollected.
    bool m_passivesSuppressed = false;
    float m_absorption = 0.0f;
    float m_absorptionTotal = 0.0f;
    float m_absorptionPercent = 0.0f;

private:
    bool Collecting() const { return m_activeState.active && !m_passivesSuppressed; }
    void LeaveFilters();
    CombatManager* m_filterHolder = nullptr;   // the user's, while installed
};

}  // namespace GAME
