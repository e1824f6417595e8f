// A set of items that gives more the more of its pieces a character wears.
#pragma once

namespace GAME {

class CharAttributeAccumulator;
class CombatAttributeAccumulator;
class SkillAttributeAccumulator;

class ItemSet {
public:
    virtual ~ItemSet() = default;

    // What the set adds for `pieces` worn pieces; nothing in the base.
    virtual void ContributeCharAttributes(CharAttributeAccumulator&, unsigned /*pieces*/) const {}
    virtual void ContributeSkillAttributes(SkillAttributeAccumulator&, unsigned /*pieces*/) const {}
    virtual void ContributeDefenseAttributes(CombatAttributeAccumulator&, unsigned /*pieces*/) const {}
    virtual void ContributeOffensiveDamageAttributes(CombatAttributeAccumulator&, unsigned /*pieces*/) const {}
    virtual void ContributeOffensiveModifierAttributes(CombatAttributeAccumulator&, unsigned /*pieces*/) const {}
    virtual void ContributeRetaliationAttributes(CombatAttributeAccumulator&, unsigned /*pieces*/) const {}
};

}  // namespace GAME
