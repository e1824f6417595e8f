// The concrete damage attribute kinds: each binds a family to one combat attribute type,
// to the record keys it loads from and to the text tag it shows with. Each table is
// declared once, one row per kind; DamageAttributeKinds.cpp defines the rows' class
// information, Clone and per-attack objects from the same tables.
//
// The last column of the absolute, duration and absolute modifier tables names what the
// kind adds to an attack for a roll: FamilyObject (its family's per-attack class), a
// per-attack class of its own, or a group that spreads one roll over several types.
#pragma once

#include <span>

#include "Game/combat/DamageAttribute.h"

namespace GAME {

// Absolute modifier kinds: class, base, type, chance key, modifier key, XOR key, Global
// key, text tag, what it adds.
#define GAME_DAMAGE_ABS_MOD_KINDS(X) \
    X(DamageAttributeAbsMod_Physical, DamageAttributeAbsModBase, Physical, "offensivePhysicalModifierChance", "offensivePhysicalModifier", "offensivePhysicalXOR", "offensivePhysicalGlobal", "DamageModifierPhysical", FamilyObject) \
    X(DamageAttributeAbsMod_PierceRatio, DamageAttributeAbsModBase, PierceRatio, "offensivePierceRatioModifierChance", "offensivePierceRatioModifier", "offensivePierceRatioXOR", "offensivePierceRatioGlobal", "DamageModifierPierceRatio", FamilyObject) \
    X(DamageAttributeAbsMod_Pierce, DamageAttributeAbsModBase, Pierce, "offensivePierceModifierChance", "offensivePierceModifier", "offensivePierceXOR", "offensivePierceGlobal", "DamageModifierPierce", FamilyObject) \
    X(DamageAttributeAbsMod_Bleeding, DamageAttributeAbsModBase, Bleeding, "offensiveBleedingModifierChance", "offensiveBleedingModifier", "offensiveBleedingXOR", "offensiveBleedingGlobal", "DamageModifierBleeding", FamilyObject) \
    X(DamageAttributeAbsMod_Cold, DamageAttributeAbsModBase, Cold, "offensiveColdModifierChance", "offensiveColdModifier", "offensiveColdXOR", "offensiveColdGlobal", "DamageModifierCold", FamilyObject) \
    X(DamageAttributeAbsMod_Fire, DamageAttributeAbsModBase, Fire, "offensiveFireModifierChance", "offensiveFireModifier", "offensiveFireXOR", "offensiveFireGlobal", "DamageModifierFire", FamilyObject) \
    X(DamageAttributeAbsMod_Poison, DamageAttributeAbsModBase, Poison, "offensivePoisonModifierChance", "offensivePoisonModifier", "offensivePoisonXOR", "offensivePoisonGlobal", "DamageModifierPoison", FamilyObject) \
    X(DamageAttributeAbsMod_Lightning, DamageAttributeAbsModBase, Lightning, "offensiveLightningModifierChance", "offensiveLightningModifier", "offensiveLightningXOR", "offensiveLightningGlobal", "DamageModifierLightning", FamilyObject) \
    X(DamageAttributeAbsMod_Life, DamageAttributeAbsModBase, Life, "offensiveLifeModifierChance", "offensiveLifeModifier", "offensiveLifeXOR", "offensiveLifeGlobal", "DamageModifierLife", FamilyObject) \
    X(DamageAttributeAbsMod_Stun, DamageAttributeAbsModBonus, Stun, "offensiveStunModifierChance", "offensiveStunModifier", "offensiveStunXOR", "offensiveStunGlobal", "DamageModifierStun", FamilyObject) \
    X(DamageAttributeAbsMod_ManaBurn, DamageAttributeAbsModBase, ManaBurn, "offensiveManaBurnRatioAdderChance", "offensiveManaBurnRatioAdder", "offensiveManaBurnXOR", "offensiveManaBurnGlobal", "DamageModifierManaBurn", FamilyObject) \
    X(DamageAttributeAbsMod_Elemental, DamageAttributeAbsModBase, ElementalGroup, "offensiveElementalModifierChance", "offensiveElementalModifier", "offensiveElementalXOR", "offensiveElementalGlobal", "DamageModifierElemental", ElementalModifiers)

// Duration modifier kinds: class, base, type, chance key, modifier key, duration modifier
// key, XOR key, Global key, text tag.
#define GAME_DAMAGE_DUR_MOD_KINDS(X) \
    X(DamageAttributeDurMod_Physical, DamageAttributeDurModBase, Physical, "offensiveSlowPhysicalModifierChance", "offensiveSlowPhysicalModifier", "offensiveSlowPhysicalDurationModifier", "offensiveSlowPhysicalXOR", "offensiveSlowPhysicalGlobal", "DamageDurationModifierPhysical") \
    X(DamageAttributeDurMod_Bleeding, DamageAttributeDurModBase, Bleeding, "offensiveSlowBleedingModifierChance", "offensiveSlowBleedingModifier", "offensiveSlowBleedingDurationModifier", "offensiveSlowBleedingXOR", "offensiveSlowBleedingGlobal", "DamageDurationModifierBleeding") \
    X(DamageAttributeDurMod_Cold, DamageAttributeDurModBase, Cold, "offensiveSlowColdModifierChance", "offensiveSlowColdModifier", "offensiveSlowColdDurationModifier", "offensiveSlowColdXOR", "offensiveSlowColdGlobal", "DamageDurationModifierCold") \
    X(DamageAttributeDurMod_Fire, DamageAttributeDurModBase, Fire, "offensiveSlowFireModifierChance", "offensiveSlowFireModifier", "offensiveSlowFireDurationModifier", "offensiveSlowFireXOR", "offensiveSlowFireGlobal", "DamageDurationModifierFire") \
    X(DamageAttributeDurMod_Poison, DamageAttributeDurModBase, Poison, "offensiveSlowPoisonModifierChance", "offensiveSlowPoisonModifier", "offensiveSlowPoisonDurationModifier", "offensiveSlowPoisonXOR", "offensiveSlowPoisonGlobal", "DamageDurationModifierPoison") \
    X(DamageAttributeDurMod_Lightning, DamageAttributeDurModBase, Lightning, "offensiveSlowLightningModifierChance", "offensiveSlowLightningModifier", "offensiveSlowLightningDurationModifier", "offensiveSlowLightningXOR", "offensiveSlowLightningGlobal", "DamageDurationModifierLightning") \
    X(DamageAttributeDurMod_Life, DamageAttributeDurModBase, Life, "offensiveSlowLifeModifierChance", "offensiveSlowLifeModifier", "offensiveSlowLifeDurationModifier", "offensiveSlowLifeXOR", "offensiveSlowLifeGlobal", "DamageDurationModifierLife") \
    X(DamageAttributeDurMod_AttackSpeed, DamageAttributeDurModBonus, AttackSpeed, "offensiveSlowAttackSpeedModifierChance", "offensiveSlowAttackSpeedModifier", "offensiveSlowAttackSpeedDurationModifier", "offensiveSlowAttackSpeedXOR", "offensiveSlowAttackSpeedGlobal", "DamageDurationModifierAttackSpeed") \
    X(DamageAttributeDurMod_SpellCastSpeed, DamageAttributeDurModBonus, SpellCastSpeed, "offensiveSlowSpellCastSpeedModifierChance", "offensiveSlowSpellCastSpeedModifier", "offensiveSlowSpellCastSpeedDurationModifier", "offensiveSlowSpellCastSpeedXOR", "offensiveSlowSpellCastSpeedGlobal", "DamageDurationModifierSpellCastSpeed") \
    X(DamageAttributeDurMod_RunSpeed, DamageAttributeDurModBonus, RunSpeed, "offensiveSlowRunSpeedModifierChance", "offensiveSlowRunSpeedModifier", "offensiveSlowRunSpeedDurationModifier", "offensiveSlowRunSpeedXOR", "offensiveSlowRunSpeedGlobal", "DamageDurationModifierRunSpeed") \
    X(DamageAttributeDurMod_LifeLeach, DamageAttributeDurModBase, LifeLeach, "offensiveSlowLifeLeachModifierChance", "offensiveSlowLifeLeachModifier", "offensiveSlowLifeLeachDurationModifier", "offensiveSlowLifeLeachXOR", "offensiveSlowLifeLeachGlobal", "DamageDurationModifierLifeLeach") \
    X(DamageAttributeDurMod_ManaLeach, DamageAttributeDurModBase, ManaLeach, "offensiveSlowManaLeachModifierChance", "offensiveSlowManaLeachModifier", "offensiveSlowManaLeachDurationModifier", "offensiveSlowManaLeachXOR", "offensiveSlowManaLeachGlobal", "DamageDurationModifierManaLeach") \
    X(DamageAttributeDurMod_OffensiveAbility, DamageAttributeDurModBonus, OffensiveAbility, "offensiveSlowOffensiveAbilityModifierChance", "offensiveSlowOffensiveAbilityModifier", "offensiveSlowOffensiveAbilityDurationModifier", "offensiveSlowOffensiveAbilityXOR", "offensiveSlowOffensiveAbilityGlobal", "DamageDurationModifierOffensiveAbility") \
    X(DamageAttributeDurMod_DefensiveAbility, DamageAttributeDurModBonus, DefensiveAbility, "offensiveSlowDefensiveAbilityModifierChance", "offensiveSlowDefensiveAbilityModifier", "offensiveSlowDefensiveAbilityDurationModifier", "offensiveSlowDefensiveAbilityXOR", "offensiveSlowDefensiveAbilityGlobal", "DamageDurationModifierDefensiveAbility") \
    X(DamageAttributeDurMod_OffensiveReduction, DamageAttributeDurModBonus, OffensiveReduction, "offensiveSlowOffensiveReductionModifierChance", "offensiveSlowOffensiveReductionModifier", "offensiveSlowOffensiveReductionDurationModifier", "offensiveSlowOffensiveReductionXOR", "offensiveSlowOffensiveReductionGlobal", "DamageDurationModifierOffensiveReduction")

// Absolute, reflex and influence kinds: class, base, type, chance key, XOR key, Global
// key, minimum key, maximum key, text tag, what it adds.
#define GAME_DAMAGE_ABS_KINDS(X) \
    X(DamageAttributeReflex_Stun, DamageAttributeReflex, Stun, "offensiveStunChance", "offensiveStunXOR", "offensiveStunGlobal", "offensiveStunMin", "offensiveStunMax", "DamageStun", FamilyObject) \
    X(DamageAttributeReflex_Freeze, DamageAttributeReflex, Freeze, "offensiveFreezeChance", "offensiveFreezeXOR", "offensiveFreezeGlobal", "offensiveFreezeMin", "offensiveFreezeMax", "DamageFreeze", FamilyObject) \
    X(DamageAttributeReflex_Petrify, DamageAttributeReflex, Petrify, "offensivePetrifyChance", "offensivePetrifyXOR", "offensivePetrifyGlobal", "offensivePetrifyMin", "offensivePetrifyMax", "DamagePetrify", FamilyObject) \
    X(DamageAttributeReflex_Trap, DamageAttributeReflex, Trap, "offensiveTrapChance", "offensiveTrapXOR", "offensiveTrapGlobal", "offensiveTrapMin", "offensiveTrapMax", "DamageTrap", FamilyObject) \
    X(DamageAttributeAbs_Taunt, DamageAttributeInfluenceHidden, Taunt, "offensiveTauntChance", "offensiveTauntXOR", "offensiveTauntGlobal", "offensiveTauntMin", "offensiveTauntMax", "DamageTaunt", CombatAttributeInfluenceDamage_Taunt) \
    X(DamageAttributeAbs_Convert, DamageAttributeInfluence, Convert, "offensiveConvertChance", "offensiveConvertXOR", "offensiveConvertGlobal", "offensiveConvertMin", "offensiveConvertMax", "DamageConvert", CombatAttributeInfluenceDamage_Convert) \
    X(DamageAttributeAbs_Fear, DamageAttributeInfluence, Fear, "offensiveFearChance", "offensiveFearXOR", "offensiveFearGlobal", "offensiveFearMin", "offensiveFearMax", "DamageFear", CombatAttributeInfluenceDamage_Fear) \
    X(DamageAttributeAbs_Confusion, DamageAttributeInfluence, Confusion, "offensiveConfusionChance", "offensiveConfusionXOR", "offensiveConfusionGlobal", "offensiveConfusionMin", "offensiveConfusionMax", "DamageConfusion", CombatAttributeInfluenceDamage_Confusion) \
    X(DamageAttributeAbs_PercentCurrentLife, DamageAttributeAbsBonus, PercentCurrentLife, "offensivePercentCurrentLifeChance", "offensivePercentCurrentLifeXOR", "offensivePercentCurrentLifeGlobal", "offensivePercentCurrentLifeMin", "offensivePercentCurrentLifeMax", "DamagePercentCurrentLife", CombatAttributeAbsDamage_PercentLife) \
    X(DamageAttributeAbs_Disruption, DamageAttributeInfluence, Disruption, "offensiveDisruptionChance", "offensiveDisruptionXOR", "offensiveDisruptionGlobal", "offensiveDisruptionMin", "offensiveDisruptionMax", "DamageDisruption", CombatAttributeAbsDamage_Disruption) \
    X(DamageAttributeAbs_LifeLeech, DamageAttributeAbsBonus, LifeLeach, "offensiveLifeLeechChance", "offensiveLifeLeechXOR", "offensiveLifeLeechGlobal", "offensiveLifeLeechMin", "offensiveLifeLeechMax", "DamageLifeLeech", CombatAttributeAbsDamage_LifeLeech) \
    X(DamageAttributeAbsBase_Cold, DamageAttributeAbsBaseElemental, Cold, "offensiveBaseColdChance", "offensiveBaseColdXOR", "offensiveBaseColdGlobal", "offensiveBaseColdMin", "offensiveBaseColdMax", "tagDamageBaseCold", FamilyObject) \
    X(DamageAttributeAbsBase_Fire, DamageAttributeAbsBaseElemental, Fire, "offensiveBaseFireChance", "offensiveBaseFireXOR", "offensiveBaseFireGlobal", "offensiveBaseFireMin", "offensiveBaseFireMax", "tagDamageBaseFire", FamilyObject) \
    X(DamageAttributeAbsBase_Poison, DamageAttributeAbsBase, Poison, "offensiveBasePoisonChance", "offensiveBasePoisonXOR", "offensiveBasePoisonGlobal", "offensiveBasePoisonMin", "offensiveBasePoisonMax", "tagDamageBasePoison", FamilyObject) \
    X(DamageAttributeAbsBase_Lightning, DamageAttributeAbsBaseElemental, Lightning, "offensiveBaseLightningChance", "offensiveBaseLightningXOR", "offensiveBaseLightningGlobal", "offensiveBaseLightningMin", "offensiveBaseLightningMax", "tagDamageBaseLightning", FamilyObject) \
    X(DamageAttributeAbsBase_Life, DamageAttributeAbsBase, Life, "offensiveBaseLifeChance", "offensiveBaseLifeXOR", "offensiveBaseLifeGlobal", "offensiveBaseLifeMin", "offensiveBaseLifeMax", "tagDamageBaseVitality", FamilyObject) \
    X(DamageAttributeAbs_Pierce, DamageAttributeAbsBonus, Pierce, "offensivePierceChance", "offensivePierceXOR", "offensivePierceGlobal", "offensivePierceMin", "offensivePierceMax", "DamagePierce", FamilyObject) \
    X(DamageAttributeAbs_Cold, DamageAttributeAbsBonusElemental, Cold, "offensiveColdChance", "offensiveColdXOR", "offensiveColdGlobal", "offensiveColdMin", "offensiveColdMax", "DamageCold", FamilyObject) \
    X(DamageAttributeAbs_Fire, DamageAttributeAbsBonusElemental, Fire, "offensiveFireChance", "offensiveFireXOR", "offensiveFireGlobal", "offensiveFireMin", "offensiveFireMax", "DamageFire", FamilyObject) \
    X(DamageAttributeAbs_Poison, DamageAttributeAbsBonus, Poison, "offensivePoisonChance", "offensivePoisonXOR", "offensivePoisonGlobal", "offensivePoisonMin", "offensivePoisonMax", "DamagePoison", FamilyObject) \
    X(DamageAttributeAbs_Lightning, DamageAttributeAbsBonusElemental, Lightning, "offensiveLightningChance", "offensiveLightningXOR", "offensiveLightningGlobal", "offensiveLightningMin", "offensiveLightningMax", "DamageLightning", FamilyObject) \
    X(DamageAttributeAbs_Life, DamageAttributeAbsBonus, Life, "offensiveLifeChance", "offensiveLifeXOR", "offensiveLifeGlobal", "offensiveLifeMin", "offensiveLifeMax", "DamageLife", FamilyObject) \
    X(DamageAttributeAbs_ElementalDamage, DamageAttributeAbsBonus, ElementalGroup, "offensiveElementalChance", "offensiveElementalXOR", "offensiveElementalGlobal", "offensiveElementalMin", "offensiveElementalMax", "DamageElemental", ElementalThirds) \
    X(DamageAttributeAbs_BonusPhysical, DamageAttributeAbsBonus, Physical, "offensiveBonusPhysicalChance", "offensiveBonusPhysicalXOR", "offensiveBonusPhysicalGlobal", "offensiveBonusPhysicalMin", "offensiveBonusPhysicalMax", "DamageBonusPhysical", CombatAttributeDamage_BonusPhysical)

// Duration kinds: class, base, type, chance key, XOR key, Global key, minimum key,
// maximum key, duration minimum key, duration maximum key, text tag, what it adds.
#define GAME_DAMAGE_DUR_KINDS(X) \
    X(DamageAttributeDur_Physical, DamageAttributeDurBase, Physical, "offensiveSlowPhysicalChance", "offensiveSlowPhysicalXOR", "offensiveSlowPhysicalGlobal", "offensiveSlowPhysicalMin", "offensiveSlowPhysicalMax", "offensiveSlowPhysicalDurationMin", "offensiveSlowPhysicalDurationMax", "DamageDurationPhysical", FamilyObject) \
    X(DamageAttributeDur_Bleeding, DamageAttributeDurBase, Bleeding, "offensiveSlowBleedingChance", "offensiveSlowBleedingXOR", "offensiveSlowBleedingGlobal", "offensiveSlowBleedingMin", "offensiveSlowBleedingMax", "offensiveSlowBleedingDurationMin", "offensiveSlowBleedingDurationMax", "DamageDurationBleeding", FamilyObject) \
    X(DamageAttributeDur_Cold, DamageAttributeDurBaseElemental, Cold, "offensiveSlowColdChance", "offensiveSlowColdXOR", "offensiveSlowColdGlobal", "offensiveSlowColdMin", "offensiveSlowColdMax", "offensiveSlowColdDurationMin", "offensiveSlowColdDurationMax", "DamageDurationCold", FamilyObject) \
    X(DamageAttributeDur_Fire, DamageAttributeDurBaseElemental, Fire, "offensiveSlowFireChance", "offensiveSlowFireXOR", "offensiveSlowFireGlobal", "offensiveSlowFireMin", "offensiveSlowFireMax", "offensiveSlowFireDurationMin", "offensiveSlowFireDurationMax", "DamageDurationFire", FamilyObject) \
    X(DamageAttributeDur_Poison, DamageAttributeDurBase, Poison, "offensiveSlowPoisonChance", "offensiveSlowPoisonXOR", "offensiveSlowPoisonGlobal", "offensiveSlowPoisonMin", "offensiveSlowPoisonMax", "offensiveSlowPoisonDurationMin", "offensiveSlowPoisonDurationMax", "DamageDurationPoison", FamilyObject) \
    X(DamageAttributeDur_Lightning, DamageAttributeDurBaseElemental, Lightning, "offensiveSlowLightningChance", "offensiveSlowLightningXOR", "offensiveSlowLightningGlobal", "offensiveSlowLightningMin", "offensiveSlowLightningMax", "offensiveSlowLightningDurationMin", "offensiveSlowLightningDurationMax", "DamageDurationLightning", FamilyObject) \
    X(DamageAttributeDur_Life, DamageAttributeDurBase, Life, "offensiveSlowLifeChance", "offensiveSlowLifeXOR", "offensiveSlowLifeGlobal", "offensiveSlowLifeMin", "offensiveSlowLifeMax", "offensiveSlowLifeDurationMin", "offensiveSlowLifeDurationMax", "DamageDurationLife", FamilyObject) \
    X(DamageAttributeDur_LifeLeach, DamageAttributeDurBase, LifeLeach, "offensiveSlowLifeLeachChance", "offensiveSlowLifeLeachXOR", "offensiveSlowLifeLeachGlobal", "offensiveSlowLifeLeachMin", "offensiveSlowLifeLeachMax", "offensiveSlowLifeLeachDurationMin", "offensiveSlowLifeLeachDurationMax", "DamageDurationLifeLeach", FamilyObject) \
    X(DamageAttributeDur_ManaLeach, DamageAttributeDurBase, ManaLeach, "offensiveSlowManaLeachChance", "offensiveSlowManaLeachXOR", "offensiveSlowManaLeachGlobal", "offensiveSlowManaLeachMin", "offensiveSlowManaLeachMax", "offensiveSlowManaLeachDurationMin", "offensiveSlowManaLeachDurationMax", "DamageDurationManaLeach", FamilyObject) \
    X(DamageAttributeDur_OffensiveAbility, DamageAttributeDurFixed, OffensiveAbility, "offensiveSlowOffensiveAbilityChance", "offensiveSlowOffensiveAbilityXOR", "offensiveSlowOffensiveAbilityGlobal", "offensiveSlowOffensiveAbilityMin", "offensiveSlowOffensiveAbilityMax", "offensiveSlowOffensiveAbilityDurationMin", "offensiveSlowOffensiveAbilityDurationMax", "DamageDurationOffensiveAbility", FamilyObject) \
    X(DamageAttributeDur_DefensiveAbility, DamageAttributeDurFixed, DefensiveAbility, "offensiveSlowDefensiveAbilityChance", "offensiveSlowDefensiveAbilityXOR", "offensiveSlowDefensiveAbilityGlobal", "offensiveSlowDefensiveAbilityMin", "offensiveSlowDefensiveAbilityMax", "offensiveSlowDefensiveAbilityDurationMin", "offensiveSlowDefensiveAbilityDurationMax", "DamageDurationDefensiveAbility", FamilyObject) \
    X(DamageAttributeDur_OffensiveReduction, DamageAttributeDurFixed, OffensiveReduction, "offensiveSlowOffensiveReductionChance", "offensiveSlowOffensiveReductionXOR", "offensiveSlowOffensiveReductionGlobal", "offensiveSlowOffensiveReductionMin", "offensiveSlowOffensiveReductionMax", "offensiveSlowOffensiveReductionDurationMin", "offensiveSlowOffensiveReductionDurationMax", "DamageDurationOffensiveReduction", FamilyObject) \
    X(DamageAttributeDur_DefensiveReduction, DamageAttributeDurFixed, DefensiveReduction, "offensiveSlowDefensiveReductionChance", "offensiveSlowDefensiveReductionXOR", "offensiveSlowDefensiveReductionGlobal", "offensiveSlowDefensiveReductionMin", "offensiveSlowDefensiveReductionMax", "offensiveSlowDefensiveReductionDurationMin", "offensiveSlowDefensiveReductionDurationMax", "DamageDurationDefensiveReduction", FamilyObject) \
    X(DamageAttributeDur_TotalDamageReductionPercent, DamageAttributeDurFixed, TotalDamageReductionPercent, "offensiveTotalDamageReductionPercentChance", "offensiveTotalDamageReductionPercentXOR", "offensiveTotalDamageReductionPercentGlobal", "offensiveTotalDamageReductionPercentMin", "offensiveTotalDamageReductionPercentMax", "offensiveTotalDamageReductionPercentDurationMin", "offensiveTotalDamageReductionPercentDurationMax", "DamageTotalDamageReductionPercent", FamilyObject) \
    X(DamageAttributeDur_TotalDamageReductionAbsolute, DamageAttributeDurFixed, TotalDamageReductionAbsolute, "offensiveTotalDamageReductionAbsoluteChance", "offensiveTotalDamageReductionAbsoluteXOR", "offensiveTotalDamageReductionAbsoluteGlobal", "offensiveTotalDamageReductionAbsoluteMin", "offensiveTotalDamageReductionAbsoluteMax", "offensiveTotalDamageReductionAbsoluteDurationMin", "offensiveTotalDamageReductionAbsoluteDurationMax", "DamageTotalDamageReductionAbsolute", FamilyObject) \
    X(DamageAttributeDur_TotalResistanceReductionPercent, DamageAttributeDurFixed, TotalResistanceReductionPercent, "offensiveTotalResistanceReductionPercentChance", "offensiveTotalResistanceReductionPercentXOR", "offensiveTotalResistanceReductionPercentGlobal", "offensiveTotalResistanceReductionPercentMin", "offensiveTotalResistanceReductionPercentMax", "offensiveTotalResistanceReductionPercentDurationMin", "offensiveTotalResistanceReductionPercentDurationMax", "DamageTotalResistanceReductionPercent", FamilyObject) \
    X(DamageAttributeDur_TotalResistanceReductionAbsolute, DamageAttributeDurFixed, TotalResistanceReductionAbsolute, "offensiveTotalResistanceReductionAbsoluteChance", "offensiveTotalResistanceReductionAbsoluteXOR", "offensiveTotalResistanceReductionAbsoluteGlobal", "offensiveTotalResistanceReductionAbsoluteMin", "offensiveTotalResistanceReductionAbsoluteMax", "offensiveTotalResistanceReductionAbsoluteDurationMin", "offensiveTotalResistanceReductionAbsoluteDurationMax", "DamageTotalResistanceReductionAbsolute", FamilyObject) \
    X(DamageAttributeDur_Fumble, DamageAttributeDurFixed, Fumble, "offensiveFumbleChance", "offensiveFumbleXOR", "offensiveFumbleGlobal", "offensiveFumbleMin", "offensiveFumbleMax", "offensiveFumbleDurationMin", "offensiveFumbleDurationMax", "DamageDurationFumble", FamilyObject) \
    X(DamageAttributeDur_ProjectileFumble, DamageAttributeDurFixed, ProjectileFumble, "offensiveProjectileFumbleChance", "offensiveProjectileFumbleXOR", "offensiveProjectileFumbleGlobal", "offensiveProjectileFumbleMin", "offensiveProjectileFumbleMax", "offensiveProjectileFumbleDurationMin", "offensiveProjectileFumbleDurationMax", "DamageDurationProjectileFumble", FamilyObject) \
    X(DamageAttributeDur_TotalSpeed, DamageAttributeDurFixed, TotalSpeed, "offensiveSlowTotalSpeedChance", "offensiveSlowTotalSpeedXOR", "offensiveSlowTotalSpeedGlobal", "offensiveSlowTotalSpeedMin", "offensiveSlowTotalSpeedMax", "offensiveSlowTotalSpeedDurationMin", "offensiveSlowTotalSpeedDurationMax", "DamageDurationTotalSpeed", SpeedSplit) \
    X(DamageAttributeDur_AttackSpeed, DamageAttributeDurFixed, AttackSpeed, "offensiveSlowAttackSpeedChance", "offensiveSlowAttackSpeedXOR", "offensiveSlowAttackSpeedGlobal", "offensiveSlowAttackSpeedMin", "offensiveSlowAttackSpeedMax", "offensiveSlowAttackSpeedDurationMin", "offensiveSlowAttackSpeedDurationMax", "DamageDurationAttackSpeed", FamilyObject) \
    X(DamageAttributeDur_SpellCastSpeed, DamageAttributeDurFixed, SpellCastSpeed, "offensiveSlowSpellCastSpeedChance", "offensiveSlowSpellCastSpeedXOR", "offensiveSlowSpellCastSpeedGlobal", "offensiveSlowSpellCastSpeedMin", "offensiveSlowSpellCastSpeedMax", "offensiveSlowSpellCastSpeedDurationMin", "offensiveSlowSpellCastSpeedDurationMax", "DamageDurationSpellCastSpeed", FamilyObject) \
    X(DamageAttributeDur_RunSpeed, DamageAttributeDurFixed, RunSpeed, "offensiveSlowRunSpeedChance", "offensiveSlowRunSpeedXOR", "offensiveSlowRunSpeedGlobal", "offensiveSlowRunSpeedMin", "offensiveSlowRunSpeedMax", "offensiveSlowRunSpeedDurationMin", "offensiveSlowRunSpeedDurationMax", "DamageDurationRunSpeed", FamilyObject)

// What every kind answers: its type and the keys that every family reads.
#define GAME_DAMAGE_KIND_COMMON(Class, Type, Chance, Xor, Global, Display)                 \
    GAME_DECLARE_DAMAGE_ATTRIBUTE(Class)                                                  \
public:                                                                                   \
    CombatAttributeType GetType() const override { return CombatAttributeType_##Type; }  \
                                                                                          \
protected:                                                                                \
    const char* GetLoadChanceTag() const override { return Chance; }                     \
    const char* GetLoadXorTag() const override { return Xor; }                           \
    const char* GetLoadGlobalTag() const override { return Global; }                     \
    const char* GetDisplayTag() const override { return Display; }

#define GAME_DECLARE_DAMAGE_ABS_MOD_KIND(Class, Base, Type, Chance, Modifier, Xor, Global, Display, Adds) \
    class Class final : public Base {                                                                         \
        GAME_DAMAGE_KIND_COMMON(Class, Type, Chance, Xor, Global, Display)                              \
        const char* GetLoadModifierTag() const override { return Modifier; }                            \
                                                                                                        \
    public:                                                                                             \
        void AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng, \
                                      bool force) const override;                                       \
    };

#define GAME_DECLARE_DAMAGE_DUR_MOD_KIND(Class, Base, Type, Chance, Modifier, DurationModifier, Xor, Global, Display) \
    class Class final : public Base {                                                                                      \
        GAME_DAMAGE_KIND_COMMON(Class, Type, Chance, Xor, Global, Display)                                           \
        const char* GetLoadModifierTag() const override { return Modifier; }                                         \
        const char* GetLoadDurationModifierTag() const override { return DurationModifier; }                         \
    };

#define GAME_DECLARE_DAMAGE_ABS_KIND(Class, Base, Type, Chance, Xor, Global, Min, Max, Display, Adds)    \
    class Class final : public Base {                                                                          \
        GAME_DAMAGE_KIND_COMMON(Class, Type, Chance, Xor, Global, Display)                               \
        const char* GetLoadValueMinTag() const override { return Min; }                                  \
        const char* GetLoadValueMaxTag() const override { return Max; }                                  \
                                                                                                         \
    public:                                                                                              \
        void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,    \
                                    bool force) const override;                                          \
    };

#define GAME_DECLARE_DAMAGE_DUR_KIND(Class, Base, Type, Chance, Xor, Global, Min, Max, DurationMin, DurationMax, \
                                     Display, Adds)                                                            \
    class Class final : public Base {                                                                                \
        GAME_DAMAGE_KIND_COMMON(Class, Type, Chance, Xor, Global, Display)                                     \
        const char* GetLoadValueMinTag() const override { return Min; }                                        \
        const char* GetLoadValueMaxTag() const override { return Max; }                                        \
        const char* GetLoadDurationMinTag() const override { return DurationMin; }                             \
        const char* GetLoadDurationMaxTag() const override { return DurationMax; }                             \
                                                                                                               \
    public:                                                                                                    \
        void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,          \
                                    bool force) const override;                                                \
    };

// The declaring macros stay defined: the retaliation kinds (RetaliationAttributeKinds.h)
// are declared from tables of the same columns.
GAME_DAMAGE_ABS_MOD_KINDS(GAME_DECLARE_DAMAGE_ABS_MOD_KIND)
GAME_DAMAGE_DUR_MOD_KINDS(GAME_DECLARE_DAMAGE_DUR_MOD_KIND)
GAME_DAMAGE_ABS_KINDS(GAME_DECLARE_DAMAGE_ABS_KIND)
GAME_DAMAGE_DUR_KINDS(GAME_DECLARE_DAMAGE_DUR_KIND)

// Every concrete damage attribute kind by name: the four tables in order, then the
// physical damage and mana burn kinds.
struct DamageAttributeKind {
    const char* name;
    std::unique_ptr<DamageAttribute> (*create)();
    // DamageAttribute::Load of the kind: a record without its values costs no allocation.
    DamageAttribute* (*load)(DamageAttributeStore& store, const LoadTable& record);
};
std::span<const DamageAttributeKind> GetDamageAttributeKinds();

}  // namespace GAME
