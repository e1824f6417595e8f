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

    // ---- values shown in the skill's texts ------------------------------------------------
    // Per level by the per-level rule (0 at level 0 or without entries).
    unsigned GetMaxChargeLevel(unsigned level) const;
    unsigned GetChanceWeight(unsigned level) const;
    float GetLifeMonitorPercent(unsigned level) const;
    float GetActivationChance(unsigned level) const;
    float GetLifeBonus(unsigned level) const;
    float GetManaBonus(unsigned level) const;
    float GetDamageAbsorption(unsigned level) const;
    float GetDamageAbsorptionPercent(unsigned level) const;
    float GetSkillEnhancement(unsigned level) const;
    // The text tags of the damage kinds an absorption holds off, in record order.
    const std::vector<std::string>& GetQualifyingDamageTags() const { return m_textValues.qualifyingDamageTags; }
    // The character attributes the skill takes from its owner while it is in force.
    const CharAttributeStore_SkillPenalty& GetCharAttrStorePenalty() const { return m_charAttributesPenalty; }
    // ---- end of values shown in the skill's texts -----------------------------------------

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

    // ---- effects, projectiles and pets --------------------------------------------------
    // Per-level names follow the per-level rule; an empty name past no entries.
    const std::string& GetCharFxSelfName(unsigned level) const { return PerLevelName(m_charFxSelfNames, level); }
    const std::string& GetCharFxOtherName(unsigned level) const { return PerLevelName(m_charFxOtherNames, level); }
    const std::string& GetWeaponEnchantment(unsigned level) const { return PerLevelName(m_weaponEnchantments, level); }
    const std::string& GetEndBuffSelfFxPakName(unsigned level) const { return PerLevelName(m_endBuffSelfNames, level); }
    const std::string& GetEndBuffOtherFxPakName(unsigned level) const
    {
        return PerLevelName(m_endBuffOtherNames, level);
    }
    const std::string& GetTargetFxPakName(unsigned level) const { return PerLevelName(m_targetFxPakNames, level); }
    const std::string& GetParticleEffectName1() const { return m_particleEffects[0]; }
    const std::string& GetParticleEffectAttachPoint1() const { return m_particleAttachPoints[0]; }
    const std::string& GetParticleEffectName2() const { return m_particleEffects[1]; }
    const std::string& GetParticleEffectAttachPoint2() const { return m_particleAttachPoints[1]; }
    const std::string& GetParticleEffectName3() const { return m_particleEffects[2]; }
    const std::string& GetParticleEffectAttachPoint3() const { return m_particleAttachPoints[2]; }
    const std::string& GetWarmUpEffectName() const { return m_particleEffects[3]; }
    const std::string& GetWarmUpEffectAttachPoint() const { return m_particleAttachPoints[3]; }
    const std::string& GetCastAuraName() const { return m_castAuraName; }
    const std::string& GetActiveAuraName() const { return m_activeAuraName; }
    // "charBuffFxType": "Fire" 1, "Poison" 2, anything else 0.
    int32_t GetCharBuffFxType() const { return m_charBuffFxType; }
    // The special animation of the skill; empty for none.
    const std::string& GetSpecialAnimationName() const { return m_specialAnimationName; }
    const std::string& GetRagDollEffect() const { return m_ragDoll[0]; }
    const std::string& GetRagDollDirection() const { return m_ragDoll[1]; }
    const std::string& GetRagDollPush() const { return m_ragDoll[2]; }
    const std::string& GetRagDollElevation() const { return m_ragDoll[3]; }
    float GetRagDollAmplification(unsigned level) const { return LevelValue(m_ragDollAmplification, level); }
    // "excludeRacialDamage" negated.
    bool IncludeRacialDamage() const { return !m_excludeRacialDamage; }
    const std::string& GetRadiusMagicName() const { return m_radiusMagicName; }

    const std::string& GetProjectileName(unsigned level) const { return PerLevelName(m_projectileNames, level); }
    // "skillProjectileNumber", 1 when 0 or missing, at most kMaxProjectiles.
    unsigned GetNumberOfProjectiles() const { return m_numberOfProjectiles; }
    bool GetProjectileTargetGroundOnly() const { return m_projectileTargetGroundOnly; }
    bool ProjectileUsesAllDamages() const { return m_projectileUsesAllDamage; }
    const SkillProfile_ProjectileModifiers& GetSkillProjectileModifierData(unsigned level) const;

    const std::string& GetSpawnObject(unsigned level) const { return PerLevelName(m_spawnObjects, level); }
    unsigned GetNumberOfSpawnObjects() const { return static_cast<unsigned>(m_spawnObjects.size()); }
    // Milliseconds; 0 or less lives until killed.
    int GetSpawnObjectTimeToLive(unsigned level) const;
    // 0 means no limit.
    unsigned GetPetLimit(unsigned level) const;
    // Pets per impact or cast, at most kMaxPetBurst.
    unsigned GetPetBurstSpawn(unsigned level) const;

    // Bounds on counts a record gives, so that a careless record cannot make a skill
    // send or spawn without limit.
    static constexpr unsigned kMaxProjectiles = 64;
    static constexpr unsigned kMaxPetBurst = 32;
    // ---- end of effects, projectiles and pets -------------------------------------------

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
    // ---- values shown in the skill's texts ------------------------------------------------
    struct TextValues {
        std::vector<float> maxChargeLevel;
        std::vector<float> chanceWeight;
        std::vector<float> lifeMonitorPercent;
        std::vector<float> activationChance;
        std::vector<float> lifeBonus;
        std::vector<float> manaBonus;
        std::vector<float> damageAbsorption;
        std::vector<float> damageAbsorptionPercent;
        std::vector<float> skillEnhancement;
        std::vector<std::string> qualifyingDamageTags;
    };
    void LoadTextValues(const LoadTable& record);
    TextValues m_textValues;
    CharAttributeStore_SkillPenalty m_charAttributesPenalty;
    // ---- end of values shown in the skill's texts -----------------------------------------
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

    // ---- effects, projectiles and pets --------------------------------------------------
    static const std::string& PerLevelName(const std::vector<std::string>& names, unsigned level);
    static float LevelValue(const std::vector<float>& values, unsigned level);
    void LoadEffectsAndPets(const LoadTable& record);
    std::vector<std::string> m_charFxSelfNames;
    std::vector<std::string> m_charFxOtherNames;
    std::vector<std::string> m_weaponEnchantments;
    std::vector<std::string> m_endBuffSelfNames;
    std::vector<std::string> m_endBuffOtherNames;
    std::vector<std::string> m_targetFxPakNames;
    std::string m_particleEffects[4];        // 1, 2, 3 and the warm-up effect
    std::string m_particleAttachPoints[4];
    std::string m_castAuraName;
    std::string m_activeAuraName;
    int32_t m_charBuffFxType = 0;
    std::string m_specialAnimationName;
    std::string m_ragDoll[4];                // effect, direction, push, elevation
    std::vector<float> m_ragDollAmplification;
    bool m_excludeRacialDamage = false;
    std::string m_radiusMagicName;
    std::vector<std::string> m_projectileNames;
    unsigned m_numberOfProjectiles = 1;
    bool m_projectileTargetGroundOnly = false;
    bool m_projectileUsesAllDamage = false;
    std::vector<SkillProfile_ProjectileModifiers> m_projectileModifiers;   // one per level up to the ultimate
    SkillProfile_ProjectileModifiers m_noProjectileModifiers;
    std::vector<std::string> m_spawnObjects;
    std::vector<float> m_spawnObjectTimeToLive;   // seconds
    std::vector<float> m_petLimit;
    std::vector<float> m_petBurstSpawn;
};

}  // namespace GAME
