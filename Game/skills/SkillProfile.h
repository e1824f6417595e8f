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
#include "Engine/Name.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillProfileModifiers.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class SkillAttributeAccumulator;

class SkillProfile {
public:
    SkillProfile() = default;
    // Copies are deep: each store copies by its own rule (a move leaves the source's
    // stores empty).
    SkillProfile(const SkillProfile&) = default;
    SkillProfile(SkillProfile&&) = default;
    SkillProfile& operator=(const SkillProfile&) = default;
    SkillProfile& operator=(SkillProfile&&) = default;
    virtual ~SkillProfile() = default;

    // Loads the profile from its skill record. Its stores are never given a generator.
    // Loaded once: a second load appends to the lists.
    virtual void LoadProfile(const LoadTable& record);

    // ---- Names and level limits -------------------------------------------------------
    // "Invalid Skill Profile" until loaded.
    const std::string& GetDisplayNameTag() const { return m_displayNameTag; }
    const std::string& GetBaseDescriptionTag() const { return m_baseDescriptionTag; }
    const std::vector<std::string>& GetSkillDependancy() const { return m_skillDependancy; }
    const std::string& GetUpBitmapName() const { return m_upBitmapName; }
    const std::string& GetDownBitmapName() const { return m_downBitmapName; }
    const std::vector<std::string>& GetConnectorsOn() const { return m_connectorsOn; }
    const std::vector<std::string>& GetConnectorsOff() const { return m_connectorsOff; }
    bool AllowsWarmUp() const { return m_allowsWarmUp; }
    // What points can buy, and the bound including levels added by items (never below
    // the maximum level), as the record gives them (a negative one is 0).
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
    // True when the record names no damage kind, or names this one.
    bool IsQualifyingDamage(CombatAttributeType type) const;

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
    const std::string& GetPuppetName() const { return m_puppetName; }

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
    void GetCharAttributesPenalty(CharAttributeAccumulator& accumulator, unsigned level) const;
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
    CharacterBuff GetCharBuffFxType() const { return m_charBuffFxType; }
    // The special animation of the skill; the empty name for none.
    const Name& GetSpecialAnimationName() const { return m_specialAnimationName; }
    const std::string& GetRagDollEffect() const { return m_ragDoll[0]; }
    const std::string& GetRagDollDirection() const { return m_ragDoll[1]; }
    const std::string& GetRagDollPush() const { return m_ragDoll[2]; }
    const std::string& GetRagDollElevation() const { return m_ragDoll[3]; }
    float GetRagDollAmplification(unsigned level) const { return LevelValue(m_ragDollAmplification, level); }
    // "excludeRacialDamage" negated.
    bool IncludeRacialDamage() const { return !m_excludeRacialDamage; }
    const std::string& GetRadiusMagicName() const { return m_radiusMagicName; }
    const std::string& GetRadiusEffectName() const { return m_radiusEffectName; }
    // "expansionTime" in milliseconds.
    float GetRadiusTime(unsigned level) const { return MillisecondsOf(m_expansionTime, level); }
    // "actorScaleTime" in whole milliseconds.
    int GetActorScaleTime() const { return m_actorScaleTime; }
    float GetActorScale() const { return m_actorScale; }
    bool GetNotDispelSetting() const { return m_notDispelable; }
    const std::string& GetSpellAuraName() const { return m_spellAuraName; }
    // 1.0 at level 0 or without entries.
    float GetSpellAuraDuration(unsigned level) const;
    const std::string& GetChargeAuraName(unsigned level) const { return PerLevelName(m_chargeAuraNames, level); }
    const std::string& GetProjModImpactFxPakName(unsigned level) const
    {
        return PerLevelName(m_projModImpactFxPakNames, level);
    }
    // "skillChargeDuration" in milliseconds.
    float GetChargeDuration(unsigned level) const { return MillisecondsOf(m_chargeDuration, level); }
    const std::string& GetBonusEffectName() const { return m_bonusEffectName; }
    float GetSparkGap(unsigned level) const { return LevelValue(m_sparkGap, level); }
    float GetSparkChance(unsigned level) const { return LevelValue(m_sparkChance, level); }
    unsigned GetSparkMaxNumber(unsigned level) const;
    const std::string& GetLightningName() const { return m_lightningName; }
    const std::vector<std::string>& GetRacialProfile() const { return m_racialProfile; }
    // Contagion: whole milliseconds between spreads (1000 by default), the radius (2.0),
    // the targets per spread and the spreads (1 each).
    int GetContagionInterval(unsigned level) const;
    float GetContagionRadius(unsigned level) const;
    unsigned GetContagionLimit(unsigned level) const;
    unsigned GetContagionMaxSpread(unsigned level) const;

    const std::string& GetProjectileName(unsigned level) const { return PerLevelName(m_projectileNames, level); }
    // Whole milliseconds a projectile lives after a hit and after a miss.
    int GetProjectileHitTimeToLive(unsigned level) const;
    int GetProjectileMissTimeToLive(unsigned level) const;
    // "skillProjectileNumber", 1 when 0 or missing, at most kMaxProjectiles.
    unsigned GetNumberOfProjectiles() const { return m_numberOfProjectiles; }
    bool GetProjectileTargetGroundOnly() const { return m_projectileTargetGroundOnly; }
    bool ProjectileUsesAllDamages() const { return m_projectileUsesAllDamage; }
    const SkillProfile_ProjectileModifiers& GetSkillProjectileModifierData(unsigned level) const;

    const std::string& GetSpawnObject(unsigned level) const { return PerLevelName(m_spawnObjects, level); }
    unsigned GetNumberOfSpawnObjects() const { return static_cast<unsigned>(m_spawnObjects.size()); }
    // Milliseconds; 0 or less lives until killed.
    int GetSpawnObjectTimeToLive(unsigned level) const;
    unsigned GetSpawnObjectsNumberOfRings(unsigned level) const;
    float GetSpawnObjectsSpacingAngle() const { return m_spawnSpacingAngle; }
    float GetSpawnObjectsDistanceInnerCircle() const { return m_spawnInnerCircleDistance; }
    float GetSpawnObjectsDistanceIncrement() const { return m_spawnDistanceIncrement; }
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
    std::vector<SkillProfile_Modifiers> m_modifiers;   // per level, see LoadProfile
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
    std::string m_upBitmapName;
    std::string m_downBitmapName;
    std::vector<std::string> m_connectorsOn;
    std::vector<std::string> m_connectorsOff;
    bool m_allowsWarmUp = false;
    std::vector<CombatAttributeType> m_qualifyingDamage;   // a type may stand twice
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
    std::string m_puppetName;
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
    // A level's seconds in milliseconds, held to the float range.
    static float MillisecondsOf(const std::vector<float>& seconds, unsigned level);
    void LoadEffectsAndPets(const LoadTable& record);
    void LoadQualifyingDamage(const LoadTable& record);
    void LoadProjectileAndRadius(const LoadTable& record);
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
    CharacterBuff m_charBuffFxType = CharacterBuff_None;
    Name m_specialAnimationName;
    std::string m_ragDoll[4];                // effect, direction, push, elevation
    std::vector<float> m_ragDollAmplification;
    bool m_excludeRacialDamage = false;
    std::string m_radiusMagicName;
    std::string m_radiusEffectName;
    std::vector<float> m_expansionTime;   // seconds
    int m_actorScaleTime = 0;             // milliseconds
    float m_actorScale = 0.0f;
    bool m_notDispelable = false;
    std::string m_spellAuraName;
    std::vector<float> m_spellAuraDuration;
    std::vector<std::string> m_chargeAuraNames;
    std::vector<std::string> m_projModImpactFxPakNames;
    std::vector<float> m_chargeDuration;   // seconds
    std::string m_bonusEffectName;
    std::vector<float> m_sparkGap;
    std::vector<float> m_sparkChance;
    std::vector<float> m_sparkMaxNumber;
    std::string m_lightningName;
    std::vector<std::string> m_racialProfile;
    std::vector<float> m_contagionInterval;   // seconds
    std::vector<float> m_contagionRadius;
    std::vector<float> m_contagionLimit;
    std::vector<float> m_contagionMaxSpread;
    std::vector<std::string> m_projectileNames;
    std::vector<float> m_projectileHitTimeToLive;    // seconds
    std::vector<float> m_projectileMissTimeToLive;   // seconds
    unsigned m_numberOfProjectiles = 1;
    bool m_projectileTargetGroundOnly = false;
    bool m_projectileUsesAllDamage = false;
    std::vector<SkillProfile_ProjectileModifiers> m_projectileModifiers;   // as m_modifiers
    SkillProfile_ProjectileModifiers m_noProjectileModifiers;
    std::vector<std::string> m_spawnObjects;
    std::vector<float> m_spawnObjectTimeToLive;   // seconds
    std::vector<float> m_spawnRings;
    float m_spawnSpacingAngle = 0.0f;
    float m_spawnInnerCircleDistance = 0.0f;
    float m_spawnDistanceIncrement = 0.0f;
    std::vector<float> m_petLimit;
    std::vector<float> m_petBurstSpawn;
};

}  // namespace GAME
