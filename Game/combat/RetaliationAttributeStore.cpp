#include "Game/combat/RetaliationAttributeStore.h"

#include "Game/combat/RetaliationAttributeKinds.h"

namespace GAME {

namespace {

constexpr const char* kGlobalChanceKey = "retaliationGlobalChance";

template <class Kind>
constexpr DamageAttributeStore::Loader LoadKind = DamageAttributeStore::kLoad<Kind>;

// ---- Load orders: 49 classes; the two store kinds order the elements differently ------

const DamageAttributeStore::Loader kPhysicalAndPierceClasses[] = {
    LoadKind<RetaliationAttributeAbs_Physical>,
    LoadKind<RetaliationAttributeDur_Physical>,
    LoadKind<RetaliationAttributeAbsMod_Physical>,
    LoadKind<RetaliationAttributeDurMod_Physical>,
    LoadKind<RetaliationAttributeAbsMod_PierceRatio>,
    LoadKind<RetaliationAttributeAbs_Pierce>,
    LoadKind<RetaliationAttributeAbsMod_Pierce>,
    LoadKind<RetaliationAttributeDur_Bleeding>,
    LoadKind<RetaliationAttributeDurMod_Bleeding>,
    LoadKind<RetaliationAttributeAbs_ElementalDamage>,
};

const DamageAttributeStore::Loader kColdClasses[] = {
    LoadKind<RetaliationAttributeAbs_Cold>,
    LoadKind<RetaliationAttributeDur_Cold>,
    LoadKind<RetaliationAttributeAbsMod_Cold>,
    LoadKind<RetaliationAttributeDurMod_Cold>,
};

const DamageAttributeStore::Loader kFireClasses[] = {
    LoadKind<RetaliationAttributeAbs_Fire>,
    LoadKind<RetaliationAttributeDur_Fire>,
    LoadKind<RetaliationAttributeAbsMod_Fire>,
    LoadKind<RetaliationAttributeDurMod_Fire>,
};

const DamageAttributeStore::Loader kPoisonClasses[] = {
    LoadKind<RetaliationAttributeAbs_Poison>,
    LoadKind<RetaliationAttributeDur_Poison>,
    LoadKind<RetaliationAttributeAbsMod_Poison>,
    LoadKind<RetaliationAttributeDurMod_Poison>,
};

const DamageAttributeStore::Loader kLightningClasses[] = {
    LoadKind<RetaliationAttributeAbs_Lightning>,
    LoadKind<RetaliationAttributeDur_Lightning>,
    LoadKind<RetaliationAttributeAbsMod_Lightning>,
    LoadKind<RetaliationAttributeDurMod_Lightning>,
};

const DamageAttributeStore::Loader kLifeAndEffectClasses[] = {
    LoadKind<RetaliationAttributeAbs_PercentCurrentLife>,
    LoadKind<RetaliationAttributeAbs_Life>,
    LoadKind<RetaliationAttributeDur_Life>,
    LoadKind<RetaliationAttributeAbsMod_Life>,
    LoadKind<RetaliationAttributeDurMod_Life>,
    LoadKind<RetaliationAttributeDur_LifeLeach>,
    LoadKind<RetaliationAttributeDurMod_LifeLeach>,
    LoadKind<RetaliationAttributeDur_ManaLeach>,
    LoadKind<RetaliationAttributeDurMod_ManaLeach>,
    LoadKind<RetaliationAttributeDur_OffensiveAbility>,
    LoadKind<RetaliationAttributeDurMod_OffensiveAbility>,
    LoadKind<RetaliationAttributeDur_DefensiveAbility>,
    LoadKind<RetaliationAttributeDurMod_DefensiveAbility>,
    LoadKind<RetaliationAttributeDur_OffensiveReduction>,
    LoadKind<RetaliationAttributeDurMod_OffensiveReduction>,
    LoadKind<RetaliationAttributeReflex_Stun>,
    LoadKind<RetaliationAttributeAbsMod_Stun>,
    LoadKind<RetaliationAttributeDur_AttackSpeed>,
    LoadKind<RetaliationAttributeDurMod_AttackSpeed>,
    LoadKind<RetaliationAttributeDur_SpellCastSpeed>,
    LoadKind<RetaliationAttributeDurMod_SpellCastSpeed>,
    LoadKind<RetaliationAttributeDur_RunSpeed>,
    LoadKind<RetaliationAttributeDurMod_RunSpeed>,
};

using ClassRun = std::span<const DamageAttributeStore::Loader>;

// Positions 11 to 26: cold, poison, lightning, fire on items; fire, cold, lightning,
// poison on skills.
const ClassRun kEquipmentOrder[] = {kPhysicalAndPierceClasses, kColdClasses, kPoisonClasses,
                                    kLightningClasses, kFireClasses, kLifeAndEffectClasses};
const ClassRun kSkillOrder[] = {kPhysicalAndPierceClasses, kFireClasses, kColdClasses,
                                kLightningClasses, kPoisonClasses, kLifeAndEffectClasses};

}  // namespace

void RetaliationAttributeStore::SetGlobalChance(const LoadTable& base, const LoadTable* prefix, const LoadTable* suffix)
{
    ReadGlobalChance(kGlobalChanceKey, base, prefix, suffix);
}

void RetaliationAttributeStore_Equipment::Load(const LoadTable& base, const LoadTable* prefix, const LoadTable* suffix,
                                               bool)
{
    Clear();
    SetGlobalChance(base, prefix, suffix);
    LoadClasses(kEquipmentOrder, base, prefix, suffix, kItemJitterPercent);
}

void RetaliationAttributeStore_Skill::Load(const LoadTable& record)
{
    Clear();
    SetGlobalChance(record, nullptr, nullptr);
    LoadClasses(kSkillOrder, record, nullptr, nullptr, kSkillJitterPercent);
}

}  // namespace GAME
