// The retaliation attribute kinds: what a character carries to strike back at a melee
// attacker that hits it. Each binds one offensive family to a combat attribute type, to
// record keys of its own ("retaliation..." where the offensive kind reads "offensive...")
// and to a text tag of its own; it loads, rolls, jitters, scales, prices and writes text
// exactly as its family does. They take the Bonus, Fixed and Reflex families, so their
// text goes to the third list, the absolute modifiers' to the second; cold, fire and
// lightning add the plain per-attack classes, not the elemental ones.
//
// Declared from tables of the same columns as the offensive kinds' (DamageAttributeKinds.h),
// one row per kind; DamageAttributeKinds.cpp defines them from the same rows.
#pragma once

#include <span>

#include "Game/combat/DamageAttributeKinds.h"

namespace GAME {

// Absolute and reflex kinds: class, base, type, chance key, XOR key, Global key, minimum
// key, maximum key, text tag, what it adds.
#define GAME_RETALIATION_ABS_KINDS(X) \
    X(RetaliationAttributeAbs_Physical, DamageAttributeAbsBonus, Physical, "retaliationPhysicalChance", "retaliationPhysicalXOR", "retaliationPhysicalGlobal", "retaliationPhysicalMin", "retaliationPhysicalMax", "RetaliationPhysical", FamilyObject) \
    X(RetaliationAttributeAbs_Pierce, DamageAttributeAbsBonus, Pierce, "retaliationPierceChance", "retaliationPierceXOR", "retaliationPierceGlobal", "retaliationPierceMin", "retaliationPierceMax", "RetaliationPierce", FamilyObject) \
    X(RetaliationAttributeAbs_Cold, DamageAttributeAbsBonus, Cold, "retaliationColdChance", "retaliationColdXOR", "retaliationColdGlobal", "retaliationColdMin", "retaliationColdMax", "RetaliationCold", FamilyObject) \
    X(RetaliationAttributeAbs_Fire, DamageAttributeAbsBonus, Fire, "retaliationFireChance", "retaliationFireXOR", "retaliationFireGlobal", "retaliationFireMin", "retaliationFireMax", "RetaliationFire", FamilyObject) \
    X(RetaliationAttributeAbs_Poison, DamageAttributeAbsBonus, Poison, "retaliationPoisonChance", "retaliationPoisonXOR", "retaliationPoisonGlobal", "retaliationPoisonMin", "retaliationPoisonMax", "RetaliationPoison", FamilyObject) \
    X(RetaliationAttributeAbs_Lightning, DamageAttributeAbsBonus, Lightning, "retaliationLightningChance", "retaliationLightningXOR", "retaliationLightningGlobal", "retaliationLightningMin", "retaliationLightningMax", "RetaliationLightning", FamilyObject) \
    X(RetaliationAttributeAbs_Life, DamageAttributeAbsBonus, Life, "retaliationLifeChance", "retaliationLifeXOR", "retaliationLifeGlobal", "retaliationLifeMin", "retaliationLifeMax", "RetaliationLife", FamilyObject) \
    X(RetaliationAttributeAbs_PercentCurrentLife, DamageAttributeAbsBonus, PercentCurrentLife, "retaliationPercentCurrentLifeChance", "retaliationPercentCurrentLifeXOR", "retaliationPercentCurrentLifeGlobal", "retaliationPercentCurrentLifeMin", "retaliationPercentCurrentLifeMax", "RetaliationPercentCurrentLife", CombatAttributeAbsDamage_PercentLife) \
    X(RetaliationAttributeAbs_ElementalDamage, DamageAttributeAbsBonus, ElementalGroup, "retaliationElementalChance", "retaliationElementalXOR", "retaliationElementalGlobal", "retaliationElementalMin", "retaliationElementalMax", "RetaliationElemental", ElementalThirds) \
    X(RetaliationAttributeReflex_Stun, DamageAttributeReflex, Stun, "retaliationStunChance", "retaliationStunXOR", "retaliationStunGlobal", "retaliationStunMin", "retaliationStunMax", "RetaliationStun", FamilyObject)

// Duration kinds: class, base, type, chance key, XOR key, Global key, minimum key,
// maximum key, duration minimum key, duration maximum key, text tag, what it adds.
#define GAME_RETALIATION_DUR_KINDS(X) \
    X(RetaliationAttributeDur_Physical, DamageAttributeDurBonus, Physical, "retaliationSlowPhysicalChance", "retaliationSlowPhysicalXOR", "retaliationSlowPhysicalGlobal", "retaliationSlowPhysicalMin", "retaliationSlowPhysicalMax", "retaliationSlowPhysicalDurationMin", "retaliationSlowPhysicalDurationMax", "RetaliationDurationPhysical", FamilyObject) \
    X(RetaliationAttributeDur_Bleeding, DamageAttributeDurBonus, Bleeding, "retaliationSlowBleedingChance", "retaliationSlowBleedingXOR", "retaliationSlowBleedingGlobal", "retaliationSlowBleedingMin", "retaliationSlowBleedingMax", "retaliationSlowBleedingDurationMin", "retaliationSlowBleedingDurationMax", "RetaliationDurationBleeding", FamilyObject) \
    X(RetaliationAttributeDur_Cold, DamageAttributeDurBonus, Cold, "retaliationSlowColdChance", "retaliationSlowColdXOR", "retaliationSlowColdGlobal", "retaliationSlowColdMin", "retaliationSlowColdMax", "retaliationSlowColdDurationMin", "retaliationSlowColdDurationMax", "RetaliationDurationCold", FamilyObject) \
    X(RetaliationAttributeDur_Fire, DamageAttributeDurBonus, Fire, "retaliationSlowFireChance", "retaliationSlowFireXOR", "retaliationSlowFireGlobal", "retaliationSlowFireMin", "retaliationSlowFireMax", "retaliationSlowFireDurationMin", "retaliationSlowFireDurationMax", "RetaliationDurationFire", FamilyObject) \
    X(RetaliationAttributeDur_Poison, DamageAttributeDurBonus, Poison, "retaliationSlowPoisonChance", "retaliationSlowPoisonXOR", "retaliationSlowPoisonGlobal", "retaliationSlowPoisonMin", "retaliationSlowPoisonMax", "retaliationSlowPoisonDurationMin", "retaliationSlowPoisonDurationMax", "RetaliationDurationPoison", FamilyObject) \
    X(RetaliationAttributeDur_Lightning, DamageAttributeDurBonus, Lightning, "retaliationSlowLightningChance", "retaliationSlowLightningXOR", "retaliationSlowLightningGlobal", "retaliationSlowLightningMin", "retaliationSlowLightningMax", "retaliationSlowLightningDurationMin", "retaliationSlowLightningDurationMax", "RetaliationDurationLightning", FamilyObject) \
    X(RetaliationAttributeDur_Life, DamageAttributeDurBonus, Life, "retaliationSlowLifeChance", "retaliationSlowLifeXOR", "retaliationSlowLifeGlobal", "retaliationSlowLifeMin", "retaliationSlowLifeMax", "retaliationSlowLifeDurationMin", "retaliationSlowLifeDurationMax", "RetaliationDurationLife", FamilyObject) \
    X(RetaliationAttributeDur_LifeLeach, DamageAttributeDurBonus, LifeLeach, "retaliationSlowLifeLeachChance", "retaliationSlowLifeLeachXOR", "retaliationSlowLifeLeachGlobal", "retaliationSlowLifeLeachMin", "retaliationSlowLifeLeachMax", "retaliationSlowLifeLeachDurationMin", "retaliationSlowLifeLeachDurationMax", "RetaliationDurationLifeLeach", FamilyObject) \
    X(RetaliationAttributeDur_ManaLeach, DamageAttributeDurBonus, ManaLeach, "retaliationSlowManaLeachChance", "retaliationSlowManaLeachXOR", "retaliationSlowManaLeachGlobal", "retaliationSlowManaLeachMin", "retaliationSlowManaLeachMax", "retaliationSlowManaLeachDurationMin", "retaliationSlowManaLeachDurationMax", "RetaliationDurationManaLeach", FamilyObject) \
    X(RetaliationAttributeDur_AttackSpeed, DamageAttributeDurFixed, AttackSpeed, "retaliationSlowAttackSpeedChance", "retaliationSlowAttackSpeedXOR", "retaliationSlowAttackSpeedGlobal", "retaliationSlowAttackSpeedMin", "retaliationSlowAttackSpeedMax", "retaliationSlowAttackSpeedDurationMin", "retaliationSlowAttackSpeedDurationMax", "RetaliationDurationAttackSpeed", FamilyObject) \
    X(RetaliationAttributeDur_SpellCastSpeed, DamageAttributeDurFixed, SpellCastSpeed, "retaliationSlowSpellCastSpeedChance", "retaliationSlowSpellCastSpeedXOR", "retaliationSlowSpellCastSpeedGlobal", "retaliationSlowSpellCastSpeedMin", "retaliationSlowSpellCastSpeedMax", "retaliationSlowSpellCastSpeedDurationMin", "retaliationSlowSpellCastSpeedDurationMax", "RetaliationDurationSpellCastSpeed", FamilyObject) \
    X(RetaliationAttributeDur_RunSpeed, DamageAttributeDurFixed, RunSpeed, "retaliationSlowRunSpeedChance", "retaliationSlowRunSpeedXOR", "retaliationSlowRunSpeedGlobal", "retaliationSlowRunSpeedMin", "retaliationSlowRunSpeedMax", "retaliationSlowRunSpeedDurationMin", "retaliationSlowRunSpeedDurationMax", "RetaliationDurationRunSpeed", FamilyObject) \
    X(RetaliationAttributeDur_OffensiveAbility, DamageAttributeDurFixed, OffensiveAbility, "retaliationSlowOffensiveAbilityChance", "retaliationSlowOffensiveAbilityXOR", "retaliationSlowOffensiveAbilityGlobal", "retaliationSlowOffensiveAbilityMin", "retaliationSlowOffensiveAbilityMax", "retaliationSlowOffensiveAbilityDurationMin", "retaliationSlowOffensiveAbilityDurationMax", "RetaliationDurationOffensiveAbility", FamilyObject) \
    X(RetaliationAttributeDur_DefensiveAbility, DamageAttributeDurFixed, DefensiveAbility, "retaliationSlowDefensiveAbilityChance", "retaliationSlowDefensiveAbilityXOR", "retaliationSlowDefensiveAbilityGlobal", "retaliationSlowDefensiveAbilityMin", "retaliationSlowDefensiveAbilityMax", "retaliationSlowDefensiveAbilityDurationMin", "retaliationSlowDefensiveAbilityDurationMax", "RetaliationDurationDefensiveAbility", FamilyObject) \
    X(RetaliationAttributeDur_OffensiveReduction, DamageAttributeDurFixed, OffensiveReduction, "retaliationSlowOffensiveReductionChance", "retaliationSlowOffensiveReductionXOR", "retaliationSlowOffensiveReductionGlobal", "retaliationSlowOffensiveReductionMin", "retaliationSlowOffensiveReductionMax", "retaliationSlowOffensiveReductionDurationMin", "retaliationSlowOffensiveReductionDurationMax", "RetaliationDurationOffensiveReduction", FamilyObject)

// Absolute modifier kinds: class, base, type, chance key, modifier key, XOR key, Global
// key, text tag, what it adds. The XOR and Global keys are those of the absolute or reflex
// kind of the same damage (pierce ratio, which has none, has its own).
#define GAME_RETALIATION_ABS_MOD_KINDS(X) \
    X(RetaliationAttributeAbsMod_Physical, DamageAttributeAbsModBonus, Physical, "retaliationPhysicalModifierChance", "retaliationPhysicalModifier", "retaliationPhysicalXOR", "retaliationPhysicalGlobal", "RetaliationModifierPhysical", FamilyObject) \
    X(RetaliationAttributeAbsMod_PierceRatio, DamageAttributeAbsModBonus, PierceRatio, "retaliationPierceRatioModifierChance", "retaliationPierceRatioModifier", "retaliationPierceRatioXOR", "retaliationPierceRatioGlobal", "RetaliationModifierPierceRatio", FamilyObject) \
    X(RetaliationAttributeAbsMod_Pierce, DamageAttributeAbsModBonus, Pierce, "retaliationPierceModifierChance", "retaliationPierceModifier", "retaliationPierceXOR", "retaliationPierceGlobal", "RetaliationModifierPierce", FamilyObject) \
    X(RetaliationAttributeAbsMod_Cold, DamageAttributeAbsModBonus, Cold, "retaliationColdModifierChance", "retaliationColdModifier", "retaliationColdXOR", "retaliationColdGlobal", "RetaliationModifierCold", FamilyObject) \
    X(RetaliationAttributeAbsMod_Fire, DamageAttributeAbsModBonus, Fire, "retaliationFireModifierChance", "retaliationFireModifier", "retaliationFireXOR", "retaliationFireGlobal", "RetaliationModifierFire", FamilyObject) \
    X(RetaliationAttributeAbsMod_Poison, DamageAttributeAbsModBonus, Poison, "retaliationPoisonModifierChance", "retaliationPoisonModifier", "retaliationPoisonXOR", "retaliationPoisonGlobal", "RetaliationModifierPoison", FamilyObject) \
    X(RetaliationAttributeAbsMod_Lightning, DamageAttributeAbsModBonus, Lightning, "retaliationLightningModifierChance", "retaliationLightningModifier", "retaliationLightningXOR", "retaliationLightningGlobal", "RetaliationModifierLightning", FamilyObject) \
    X(RetaliationAttributeAbsMod_Life, DamageAttributeAbsModBonus, Life, "retaliationLifeModifierChance", "retaliationLifeModifier", "retaliationLifeXOR", "retaliationLifeGlobal", "RetaliationModifierLife", FamilyObject) \
    X(RetaliationAttributeAbsMod_Stun, DamageAttributeAbsModBonus, Stun, "retaliationStunModifierChance", "retaliationStunModifier", "retaliationStunXOR", "retaliationStunGlobal", "RetaliationModifierStun", FamilyObject)

// Duration modifier kinds: class, base, type, chance key, modifier key, duration modifier
// key, XOR key, Global key, text tag. The XOR and Global keys are the duration kind's.
#define GAME_RETALIATION_DUR_MOD_KINDS(X) \
    X(RetaliationAttributeDurMod_Physical, DamageAttributeDurModBonus, Physical, "retaliationSlowPhysicalModifierChance", "retaliationSlowPhysicalModifier", "retaliationSlowPhysicalDurationModifier", "retaliationSlowPhysicalXOR", "retaliationSlowPhysicalGlobal", "RetaliationDurationModifierPhysical") \
    X(RetaliationAttributeDurMod_Bleeding, DamageAttributeDurModBonus, Bleeding, "retaliationSlowBleedingModifierChance", "retaliationSlowBleedingModifier", "retaliationSlowBleedingDurationModifier", "retaliationSlowBleedingXOR", "retaliationSlowBleedingGlobal", "RetaliationDurationModifierBleeding") \
    X(RetaliationAttributeDurMod_Cold, DamageAttributeDurModBonus, Cold, "retaliationSlowColdModifierChance", "retaliationSlowColdModifier", "retaliationSlowColdDurationModifier", "retaliationSlowColdXOR", "retaliationSlowColdGlobal", "RetaliationDurationModifierCold") \
    X(RetaliationAttributeDurMod_Fire, DamageAttributeDurModBonus, Fire, "retaliationSlowFireModifierChance", "retaliationSlowFireModifier", "retaliationSlowFireDurationModifier", "retaliationSlowFireXOR", "retaliationSlowFireGlobal", "RetaliationDurationModifierFire") \
    X(RetaliationAttributeDurMod_Poison, DamageAttributeDurModBonus, Poison, "retaliationSlowPoisonModifierChance", "retaliationSlowPoisonModifier", "retaliationSlowPoisonDurationModifier", "retaliationSlowPoisonXOR", "retaliationSlowPoisonGlobal", "RetaliationDurationModifierPoison") \
    X(RetaliationAttributeDurMod_Lightning, DamageAttributeDurModBonus, Lightning, "retaliationSlowLightningModifierChance", "retaliationSlowLightningModifier", "retaliationSlowLightningDurationModifier", "retaliationSlowLightningXOR", "retaliationSlowLightningGlobal", "RetaliationDurationModifierLightning") \
    X(RetaliationAttributeDurMod_Life, DamageAttributeDurModBonus, Life, "retaliationSlowLifeModifierChance", "retaliationSlowLifeModifier", "retaliationSlowLifeDurationModifier", "retaliationSlowLifeXOR", "retaliationSlowLifeGlobal", "RetaliationDurationModifierLife") \
    X(RetaliationAttributeDurMod_AttackSpeed, DamageAttributeDurModBonus, AttackSpeed, "retaliationSlowAttackSpeedModifierChance", "retaliationSlowAttackSpeedModifier", "retaliationSlowAttackSpeedDurationModifier", "retaliationSlowAttackSpeedXOR", "retaliationSlowAttackSpeedGlobal", "RetaliationDurationModifierAttackSpeed") \
    X(RetaliationAttributeDurMod_SpellCastSpeed, DamageAttributeDurModBonus, SpellCastSpeed, "retaliationSlowSpellCastSpeedModifierChance", "retaliationSlowSpellCastSpeedModifier", "retaliationSlowSpellCastSpeedDurationModifier", "retaliationSlowSpellCastSpeedXOR", "retaliationSlowSpellCastSpeedGlobal", "RetaliationDurationModifierSpellCastSpeed") \
    X(RetaliationAttributeDurMod_RunSpeed, DamageAttributeDurModBonus, RunSpeed, "retaliationSlowRunSpeedModifierChance", "retaliationSlowRunSpeedModifier", "retaliationSlowRunSpeedDurationModifier", "retaliationSlowRunSpeedXOR", "retaliationSlowRunSpeedGlobal", "RetaliationDurationModifierRunSpeed") \
    X(RetaliationAttributeDurMod_LifeLeach, DamageAttributeDurModBonus, LifeLeach, "retaliationSlowLifeLeachModifierChance", "retaliationSlowLifeLeachModifier", "retaliationSlowLifeLeachDurationModifier", "retaliationSlowLifeLeachXOR", "retaliationSlowLifeLeachGlobal", "RetaliationDurationModifierLifeLeach") \
    X(RetaliationAttributeDurMod_ManaLeach, DamageAttributeDurModBonus, ManaLeach, "retaliationSlowManaLeachModifierChance", "retaliationSlowManaLeachModifier", "retaliationSlowManaLeachDurationModifier", "retaliationSlowManaLeachXOR", "retaliationSlowManaLeachGlobal", "RetaliationDurationModifierManaLeach") \
    X(RetaliationAttributeDurMod_OffensiveAbility, DamageAttributeDurModBonus, OffensiveAbility, "retaliationSlowOffensiveAbilityModifierChance", "retaliationSlowOffensiveAbilityModifier", "retaliationSlowOffensiveAbilityDurationModifier", "retaliationSlowOffensiveAbilityXOR", "retaliationSlowOffensiveAbilityGlobal", "RetaliationDurationModifierOffensiveAbility") \
    X(RetaliationAttributeDurMod_DefensiveAbility, DamageAttributeDurModBonus, DefensiveAbility, "retaliationSlowDefensiveAbilityModifierChance", "retaliationSlowDefensiveAbilityModifier", "retaliationSlowDefensiveAbilityDurationModifier", "retaliationSlowDefensiveAbilityXOR", "retaliationSlowDefensiveAbilityGlobal", "RetaliationDurationModifierDefensiveAbility") \
    X(RetaliationAttributeDurMod_OffensiveReduction, DamageAttributeDurModBonus, OffensiveReduction, "retaliationSlowOffensiveReductionModifierChance", "retaliationSlowOffensiveReductionModifier", "retaliationSlowOffensiveReductionDurationModifier", "retaliationSlowOffensiveReductionXOR", "retaliationSlowOffensiveReductionGlobal", "RetaliationDurationModifierOffensiveReduction")

GAME_RETALIATION_ABS_KINDS(GAME_DECLARE_DAMAGE_ABS_KIND)
GAME_RETALIATION_DUR_KINDS(GAME_DECLARE_DAMAGE_DUR_KIND)
GAME_RETALIATION_ABS_MOD_KINDS(GAME_DECLARE_DAMAGE_ABS_MOD_KIND)
GAME_RETALIATION_DUR_MOD_KINDS(GAME_DECLARE_DAMAGE_DUR_MOD_KIND)

// Every retaliation kind by name, the four tables in order: 10 absolute and reflex, 15
// duration, 9 absolute modifier and 15 duration modifier kinds.
std::span<const DamageAttributeKind> GetRetaliationAttributeKinds();

}  // namespace GAME
