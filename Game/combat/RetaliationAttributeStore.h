// The retaliation attributes that one record gives: what a character strikes back with
// when a melee attacker hits it. A retaliation store is a damage attribute store in all but
// its global chance key ("retaliationGlobalChance") and its classes, the retaliation kinds;
// its lists, rolls, text, scaling, cost and copies are the damage attribute store's.
#pragma once

#include "Game/combat/DamageAttributeStore.h"

namespace GAME {

class RetaliationAttributeStore : public DamageAttributeStore {
public:
    // Reads "retaliationGlobalChance" as the offensive store reads its own key: the
    // record's array only while the store has none; a given prefix's or suffix's value.
    void SetGlobalChance(const LoadTable& base, const LoadTable* prefix, const LoadTable* suffix);
};

// The retaliation of an equipment item: base record jittered by 20 percent, prefix and
// suffix by their own jitter. The armour flag is taken and not used: every item loads the
// same classes.
class RetaliationAttributeStore_Equipment : public RetaliationAttributeStore {
public:
    virtual void Load(const LoadTable& base, const LoadTable* prefix, const LoadTable* suffix, bool armor);
};

// The retaliation of a skill or an attribute pack: no prefix or suffix, no jitter. Its
// elements load fire, cold, lightning, poison where an item's load cold, poison,
// lightning, fire.
class RetaliationAttributeStore_Skill : public RetaliationAttributeStore {
public:
    virtual void Load(const LoadTable& record);
};

}  // namespace GAME
