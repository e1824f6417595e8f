// The defence attribute leaves: each binds a family to one combat attribute type, to the
// record key it loads its values from (its chance key is the same followed by "Chance")
// and to the tag of its line. Each table is declared once, one row per leaf;
// DefenseAttributeKinds.cpp defines the rows' class information, Clone and per-attack
// objects from the same tables.
//
// Columns: class, family, type, value key, text tag (nullptr: the leaf writes no text),
// what it adds to an attack: FamilyObject (its family's per-attack class), a per-attack
// class of its own, or a group that spreads one value over several types.
#pragma once

#include <memory>
#include <span>

#include "Game/combat/DefenseAttribute.h"

namespace GAME {

// Absolute resistances, the status-effect resistances and the other absolute kinds.
#define GAME_DEFENSE_ABS_KINDS(X) \
    X(DefenseAttributeAbs_Physical, DefenseAttributeAbs, Physical, "defensivePhysical", "DefensePhysical", FamilyObject) \
    X(DefenseAttributeAbs_Pierce, DefenseAttributeAbs, Pierce, "defensivePierce", "DefensePierce", FamilyObject) \
    X(DefenseAttributeAbs_Cold, DefenseAttributeAbs, Cold, "defensiveCold", "DefenseCold", FamilyObject) \
    X(DefenseAttributeAbs_Fire, DefenseAttributeAbs, Fire, "defensiveFire", "DefenseFire", FamilyObject) \
    X(DefenseAttributeAbs_Poison, DefenseAttributeAbs, Poison, "defensivePoison", "DefensePoison", FamilyObject) \
    X(DefenseAttributeAbs_Lightning, DefenseAttributeAbs, Lightning, "defensiveLightning", "DefenseLightning", FamilyObject) \
    X(DefenseAttributeAbs_Life, DefenseAttributeAbs, Life, "defensiveLife", "DefenseLife", FamilyObject) \
    X(DefenseAttributeAbs_Disruption, DefenseAttributeAbs, Disruption, "defensiveDisruption", "DefenseDisruption", FamilyObject) \
    X(DefenseAttributeAbs_Bleeding, DefenseAttributeAbs, Bleeding, "defensiveBleeding", "DefenseBleeding", FamilyObject) \
    X(DefenseAttributeAbs_LifeLeach, DefenseAttributeAbs, LifeLeach, "defensiveSlowLifeLeach", "DefenseLifeLeach", FamilyObject) \
    X(DefenseAttributeAbs_ManaLeach, DefenseAttributeAbs, ManaLeach, "defensiveSlowManaLeach", "DefenseManaLeach", FamilyObject) \
    X(DefenseAttributeAbs_PercentCurrentLife, DefenseAttributeAbs, PercentCurrentLife, "defensivePercentCurrentLife", nullptr, FamilyObject) \
    X(DefenseAttributeAbs_ManaBurnRatio, DefenseAttributeAbs, ManaBurnRatio, "defensiveManaBurnRatio", nullptr, FamilyObject) \
    X(DefenseAttributeAbs_ElementalResistance, DefenseAttributeAbs, ElementalGroup, "defensiveElementalResistance", "DefenseElementalResistance", ElementalResistances) \
    X(DefenseAttributeAbs_Stun, DefenseAttributeAbsRestricted, Stun, "defensiveStun", "DefenseStun", FamilyObject) \
    X(DefenseAttributeAbs_Trap, DefenseAttributeAbsRestricted, Trap, "defensiveTrap", "DefenseTrap", FamilyObject) \
    X(DefenseAttributeAbs_Freeze, DefenseAttributeAbsRestricted, Freeze, "defensiveFreeze", "DefenseFreeze", FamilyObject) \
    X(DefenseAttributeAbs_Petrify, DefenseAttributeAbsRestricted, Petrify, "defensivePetrify", "DefensePetrify", FamilyObject) \
    X(DefenseAttributeAbs_Taunt, DefenseAttributeAbsRestricted, Taunt, "defensiveTaunt", "DefenseTaunt", FamilyObject) \
    X(DefenseAttributeAbs_Convert, DefenseAttributeAbsRestricted, Convert, "defensiveConvert", "DefenseConvert", FamilyObject) \
    X(DefenseAttributeAbs_Fear, DefenseAttributeAbsRestricted, Fear, "defensiveFear", "DefenseFear", FamilyObject) \
    X(DefenseAttributeAbs_Confusion, DefenseAttributeAbsRestricted, Confusion, "defensiveConfusion", "DefenseConfusion", FamilyObject) \
    X(DefenseAttributeMisc_BlockModifier, DefenseAttributeAbs, BlockModifier, "defensiveBlockModifier", "DefenseBlockModifier", CombatAttributeDefenseMisc) \
    X(DefenseAttributeMisc_Reflect, DefenseAttributeAbs, Reflect, "defensiveReflect", "DefenseReflect", CombatAttributeDefenseMisc)

// Duration resistances.
#define GAME_DEFENSE_DUR_KINDS(X) \
    X(DefenseAttributeDur_Physical, DefenseAttributeDur, Physical, "defensivePhysicalDuration", "DefensePhysicalDuration", FamilyObject) \
    X(DefenseAttributeDur_Cold, DefenseAttributeDur, Cold, "defensiveColdDuration", "DefenseColdDuration", FamilyObject) \
    X(DefenseAttributeDur_Fire, DefenseAttributeDur, Fire, "defensiveFireDuration", "DefenseFireDuration", FamilyObject) \
    X(DefenseAttributeDur_Poison, DefenseAttributeDur, Poison, "defensivePoisonDuration", "DefensePoisonDuration", FamilyObject) \
    X(DefenseAttributeDur_Lightning, DefenseAttributeDur, Lightning, "defensiveLightningDuration", "DefenseLightningDuration", FamilyObject) \
    X(DefenseAttributeDur_Life, DefenseAttributeDur, Life, "defensiveLifeDuration", "DefenseLifeDuration", FamilyObject) \
    X(DefenseAttributeDur_Bleeding, DefenseAttributeDur, Bleeding, "defensiveBleedingDuration", "DefenseBleedingDuration", FamilyObject) \
    X(DefenseAttributeDur_LifeLeach, DefenseAttributeDur, LifeLeach, "defensiveSlowLifeLeachDuration", "DefenseLifeLeachDuration", FamilyObject) \
    X(DefenseAttributeDur_ManaLeach, DefenseAttributeDur, ManaLeach, "defensiveSlowManaLeachDuration", "DefenseManaLeachDuration", FamilyObject)

// Absolute modifiers.
#define GAME_DEFENSE_ABS_MOD_KINDS(X) \
    X(DefenseAttributeAbsMod_Physical, DefenseAttributeAbsMod, Physical, "defensivePhysicalModifier", "DefensePhysicalModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Pierce, DefenseAttributeAbsMod, Pierce, "defensivePierceModifier", "DefensePierceModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Cold, DefenseAttributeAbsMod, Cold, "defensiveColdModifier", "DefenseColdModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Fire, DefenseAttributeAbsMod, Fire, "defensiveFireModifier", "DefenseFireModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Poison, DefenseAttributeAbsMod, Poison, "defensivePoisonModifier", "DefensePoisonModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Lightning, DefenseAttributeAbsMod, Lightning, "defensiveLightningModifier", "DefenseLightningModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Life, DefenseAttributeAbsMod, Life, "defensiveLifeModifier", "DefenseLifeModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Bleeding, DefenseAttributeAbsMod, Bleeding, "defensiveBleedingModifier", "DefenseBleedingModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_LifeLeach, DefenseAttributeAbsMod, LifeLeach, "defensiveSlowLifeLeachModifier", "DefenseLifeLeachModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_ManaLeach, DefenseAttributeAbsMod, ManaLeach, "defensiveSlowManaLeachModifier", "DefenseManaLeachModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Absorption, DefenseAttributeAbsMod, Absorption, "defensiveAbsorptionModifier", "DefenseAbsorptionModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Protection, DefenseAttributeAbsMod, Protection, "defensiveProtectionModifier", "DefenseProtectionModifier", FamilyObject) \
    X(DefenseAttributeAbsMod_Stun, DefenseAttributeAbsMod, Stun, "defensiveStunModifier", "DefenseStunModifier", FamilyObject)

// Duration modifiers.
#define GAME_DEFENSE_DUR_MOD_KINDS(X) \
    X(DefenseAttributeDurMod_Physical, DefenseAttributeDurMod, Physical, "defensivePhysicalDurationModifier", "DefensePhysicalDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Cold, DefenseAttributeDurMod, Cold, "defensiveColdDurationModifier", "DefenseColdDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Fire, DefenseAttributeDurMod, Fire, "defensiveFireDurationModifier", "DefenseFireDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Poison, DefenseAttributeDurMod, Poison, "defensivePoisonDurationModifier", "DefensePoisonDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Lightning, DefenseAttributeDurMod, Lightning, "defensiveLightningDurationModifier", "DefenseLightningDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Life, DefenseAttributeDurMod, Life, "defensiveLifeDurationModifier", "DefenseLifeDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_Bleeding, DefenseAttributeDurMod, Bleeding, "defensiveBleedingDurationModifier", "DefenseBleedingDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_LifeLeach, DefenseAttributeDurMod, LifeLeach, "defensiveSlowLifeLeachDurationModifier", "DefenseLifeLeachDurationModifier", FamilyObject) \
    X(DefenseAttributeDurMod_ManaLeach, DefenseAttributeDurMod, ManaLeach, "defensiveSlowManaLeachDurationModifier", "DefenseManaLeachDurationModifier", FamilyObject)

// Every leaf: its type, keys and tag, and its per-attack objects made in one call.
#define GAME_DECLARE_DEFENSE_KIND(Class, Base, Type, ValueKey, TextTag, Adds)                           \
    class Class final : public Base {                                                                  \
        GAME_DECLARE_DEFENSE_ATTRIBUTE(Class)                                                          \
    public:                                                                                            \
        Class() : Base(CombatAttributeType_##Type, ValueKey "Chance", ValueKey, TextTag) {}            \
        void AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,      \
                              bool skipChance) const override;                                         \
        LevelNumbers GetLevelNumbers(unsigned level) const override;                                   \
    };

GAME_DEFENSE_ABS_KINDS(GAME_DECLARE_DEFENSE_KIND)
GAME_DEFENSE_DUR_KINDS(GAME_DECLARE_DEFENSE_KIND)
GAME_DEFENSE_ABS_MOD_KINDS(GAME_DECLARE_DEFENSE_KIND)
GAME_DEFENSE_DUR_MOD_KINDS(GAME_DECLARE_DEFENSE_KIND)

#undef GAME_DECLARE_DEFENSE_KIND

// Every defence attribute class by name: the four tables in order, then the two
// protection classes.
struct DefenseAttributeKind {
    const char* name;
    std::unique_ptr<DefenseAttribute> (*create)();
};
std::span<const DefenseAttributeKind> GetDefenseAttributeKinds();

}  // namespace GAME
