// What every skill of one record shares: its stores and per-level values. A profile is
// held by value (the game engine keeps one), and a copy holds copies of its stores.
#pragma once

#include <string>
#include <vector>

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RacialBonus.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillProfileModifiers.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class SkillAttributeAccumulator;

class SkillProfile {
public:
    SkillProfile() = default;

    // Loads the profile from its skill record. Its stores are never given a generator.
    void LoadProfile(const LoadTable& record);

    // ---- Names and level limits -------------------------------------------------------
    // "Invalid Skill Profile" until loaded.
    const std::string& GetDisplayNameTag() const { return m_displayNameTag; }
    const std::string& GetBaseDescriptionTag() const { return m_baseDescriptionTag; }
    const std::vector<std::string>& GetSkillDependancy() const { return m_skillDependancy; }
    // What points can buy, and the bound including levels added by items (never below
    // the maximum level).
    unsigned GetMaxLevel() const { return m_maxLevel; }
    unsigned GetUltimateLevel() const { return m_ultimateLevel; }
    bool GetPetDisplayable() const { return m_petDisplayable; }
    // The mastery level the skill's tier asks for (the game-wide table's, read at load).
    unsigned GetMasteryLevelRequirement() const { return m_masteryLevelRequirement; }

    // ---- Weapons ----------------------------------------------------------------------
    // The weapon types the skill may be used with; empty for any.
    const std::vector<Weapon_Type>& GetQualifyingWeapons() const { return m_qualifyingWeapons; }
    // The skill asks for a weapon in each hand.
    bool GetQualifyingDualWeapons() const { return m_qualifyingDualWeapons; }

    // ---- Sounds and props (record names, empty for none) ------------------------------
    const std::string& GetWarmUpSoundName() const { return m_soundNames[0]; }
    const std::string& GetSwipeSoundName() const { return m_soundNames[1]; }
    const std::string& GetHitSoundName() const { return m_soundNames[2]; }
    const std::string& GetActivateSoundName() const { return m_soundNames[3]; }
    const std::string& GetDeactivateSoundName() const { return m_soundNames[4]; }
    const std::string& GetCastSoundName() const { return m_soundNames[5]; }
    const std::string& GetUnCastSoundName() const { return m_soundNames[6]; }
    const std::string& GetSkillSound1Name() const { return m_soundNames[7]; }
    const std::string& GetSkillSound2Name() const { return m_soundNames[8]; }
    const std::string& GetPropName1() const { return m_propName1; }
    const std::string& GetPropName2() const { return m_propName2; }

    // ---- Per-level numbers ------------------------------------------------------------
    // The modifiers of a level; all zero at level 0 or without entries, the last entry
    // past the end.
    const SkillProfile_Modifiers& GetSkillModifierData(unsigned level) const;
    // The skill attributes the skill grants at a level.
    void GetSkillAttributes(SkillAttributeAccumulator& accumulator, unsigned level) const;
    const SkillAttributeStore_Skill& GetSkillAttrStore() const { return m_skillAttributes; }

    // ---- Damage and retaliation -------------------------------------------------------
    // The damage store's damage, and its modifiers, at the level.
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const DamageAttributeStore_Skill& GetDamageAttrStore() const { return m_damageAttributes; }
    // The racial bonus at the level against the other side's races.
    void GetRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus, unsigned level) const;
    void GetRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus,
                               unsigned level) const;
    const RacialBonus& GetRacialBonus() const { return m_racialBonus; }
    // The retaliation of the skill at a level: the store's damage, then its modifiers.
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const RetaliationAttributeStore_Skill& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    // ---- end of damage and retaliation ------------------------------------------------

    // ---- Defences ---------------------------------------------------------------------
    // The defence store's defences at the level.
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const DefenseAttributeStore_Skill& GetDefenseAttrStore() const { return m_defenseAttributes; }
    // ---- end of defences --------------------------------------------------------------

    // The character attributes of the skill at a level (what it adds to its owner's totals).
    void GetCharAttributes(CharAttributeAccumulator& accumulator, unsigned level) const;
    // The same as a list of additions; null at level 0 (or without contributions).
    const CharAttributeContribution* GetCharContribution(unsigned level) const;
    const CharAttributeStore_Skill& GetCharAttrStore() const { return m_charAttributes; }

private:
    // The skill attributes' additions of each level whose chances leave nothing to the
    // draws (entry 0 for level 0, the last for every level past it): added as they stand,
    // with the draws they would have taken skipped. A level that needs its draws goes to
    // the store.
    struct SkillAttributeAddition {
        SkillAttributeType type;
        bool modifier;
        float total;
    };
    struct SkillAttributeLevel {
        bool rollFree = false;
        uint32_t first = 0;
    };
    void BuildSkillAttributeLevels();

    // What every skill update reads, first and together: the modifiers, the skill
    // attributes and the weapons a skill needs.
    std::vector<SkillProfile_Modifiers> m_modifiers;   // one per level up to the ultimate
    std::vector<SkillAttributeLevel> m_skillAttributeLevels;
    std::vector<SkillAttributeAddition> m_skillAttributeAdditions;
    uint32_t m_skillAttributeCount = 0;
    unsigned m_maxLevel = 0;
    unsigned m_ultimateLevel = 0;
    bool m_qualifyingDualWeapons = false;
    std::vector<Weapon_Type> m_qualifyingWeapons;

    std::string m_displayNameTag = "Invalid Skill Profile";
    std::string m_baseDescriptionTag = "Invalid Skill Profile";
    std::vector<std::string> m_skillDependancy;
    bool m_petDisplayable = false;
    unsigned m_masteryLevelRequirement = 0;
    std::string m_soundNames[9];
    std::string m_propName1;
    std::string m_propName2;
    SkillProfile_Modifiers m_noModifiers;
    SkillAttributeStore_Skill m_skillAttributes;
    DamageAttributeStore_Skill m_damageAttributes;
    DefenseAttributeStore_Skill m_defenseAttributes;
    RetaliationAttributeStore_Skill m_retaliationAttributes;
    CharAttributeStore_Skill m_charAttributes;
    RacialBonus m_racialBonus;
    std::vector<CharAttributeContribution> m_charContributions;   // levels 1, 2, ... of the store
};

}  // namespace GAME
