// A skill of a character: created by class name from its skill record, it shares the
// per-level values of its record through the game engine's profile cache. For now it
// carries what gathering a character's defences needs: its level, whether it is
// enabled, its profile and its passive defence collection.
#pragma once

#include <cstdint>

#include "Engine/Object.h"

namespace GAME {

class CharAttributeAccumulator;
class CharAttributeContribution;
class CombatAttributeAccumulator;
class SkillProfile;

class Skill : public Object {
    GAME_DECLARE_CLASS(Skill)

public:
    // Takes the profile of the skill's record from the game engine's cache.
    void Load(const LoadTable& table) override;

    // The level the skill acts at; 0 while it has no points. A kind whose current level
    // changes other than through SetSkillLevel calls RefreshPassiveContribution.
    virtual unsigned GetCurrentLevel() const { return m_skillLevel; }
    unsigned GetSkillLevel() const { return m_skillLevel; }
    void SetSkillLevel(unsigned level)
    {
        m_skillLevel = level;
        RefreshPassiveContribution();
    }
    // Enabled and above level 0.
    bool IsSkillEnabled() const { return m_enabled && GetCurrentLevel() > 0; }
    void SetSkillEnabled(bool enabled)
    {
        m_enabled = enabled;
        RefreshPassiveContribution();
    }

    // Null until the skill has loaded with a game engine present.
    const SkillProfile* GetSkillProfile() const { return m_profile; }
    void SetSkillProfile(const SkillProfile* profile)
    {
        m_profile = profile;
        RefreshPassiveContribution();
    }

    // What the skill adds to its owner's defences when an attack reaches the owner; the
    // base adds nothing.
    virtual void CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    // What the skill adds to its owner's character attribute totals: the contribution of
    // its current level, null when it adds nothing. Kept from the last change of level,
    // state or profile, since every character update reads it for every skill.
    const CharAttributeContribution* GetPassiveCharContribution() const { return m_passiveChar; }
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const;
    // Finds the contribution again from the level, state and profile.
    void RefreshPassiveContribution() { m_passiveChar = FindPassiveCharContribution(); }

protected:
    // The contribution at the current level and state; the base adds nothing.
    virtual const CharAttributeContribution* FindPassiveCharContribution() const { return nullptr; }

private:
    const SkillProfile* m_profile = nullptr;   // owned by the game engine's cache
    const CharAttributeContribution* m_passiveChar = nullptr;   // owned by the profile
    unsigned m_skillLevel = 0;
    bool m_enabled = true;
};

// A skill that acts without being used: while enabled it adds its profile's values at
// its current level to its owner.
class Skill_Passive : public Skill {
    GAME_DECLARE_CLASS(Skill_Passive)

public:
    void CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;

protected:
    const CharAttributeContribution* FindPassiveCharContribution() const override;
};

}  // namespace GAME
