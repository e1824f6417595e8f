// What every skill of one record shares: its stores and per-level values. The game
// engine's profile cache makes one per skill record; skills read it at their level.
#pragma once

#include "Game/combat/DefenseAttributeStore.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class SkillProfile {
public:
    SkillProfile() = default;
    // A copy holds copies of the stores.
    SkillProfile(const SkillProfile&) = default;
    SkillProfile& operator=(const SkillProfile&) = default;
    virtual ~SkillProfile();

    // Reads the profile from the skill's record; the stores never get a generator.
    void LoadProfile(const LoadTable& record);

    // ---- Defences ---------------------------------------------------------------------
    // The defence store's defences at the level.
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const DefenseAttributeStore_Skill& GetDefenseAttrStore() const { return m_defenseAttributes; }

private:
    DefenseAttributeStore_Skill m_defenseAttributes;
};

}  // namespace GAME
