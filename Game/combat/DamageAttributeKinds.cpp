// The offensive and the retaliation kinds are defined here from their tables, with the
// same macros and per-attack groups.
#include "Game/combat/DamageAttributeKinds.h"

#include <type_traits>

#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/RetaliationAttributeKinds.h"

namespace GAME {

namespace {

// A kind whose per-attack object is its family's.
struct FamilyObject {};

// Elemental damage: a third of the rolled value to each of cold, fire and lightning, as
// plain absolute damage.
struct ElementalThirds {
    static constexpr float kThird = 0.33333334f;
    static void Add(CombatAttributeAccumulator& acc, float value)
    {
        const float third = MultiplyInRange(value, kThird);
        for (CombatAttributeType type : {CombatAttributeType_Cold, CombatAttributeType_Fire, CombatAttributeType_Lightning})
            AddDamageObject<CombatAttributeAbsDamage>(acc, type, third);
    }
};

// Total speed: the full value and duration slow each of attack, spell cast and run speed.
struct SpeedSplit {
    static void Add(CombatAttributeAccumulator& acc, float value, float duration)
    {
        for (CombatAttributeType type :
             {CombatAttributeType_AttackSpeed, CombatAttributeType_SpellCastSpeed, CombatAttributeType_RunSpeed})
            AddDamageObject<CombatAttributeDurFixedDamage>(acc, type, value, duration);
    }
};

// The elemental modifier: the full modifier to each of cold, fire and lightning.
struct ElementalModifiers {
    static void Add(CombatAttributeAccumulator& acc, float modifier)
    {
        for (CombatAttributeType type : {CombatAttributeType_Cold, CombatAttributeType_Fire, CombatAttributeType_Lightning})
            AddDamageModifierObject<CombatAttributeAbsDamageMod>(acc, type, modifier);
    }
};

// What a kind adds for a roll: its family's per-attack class, or its own objects.
template <class Adds, class Base>
using KindObjects = std::conditional_t<std::is_same_v<Adds, FamilyObject>, typename Base::PerAttack, Adds>;

template <class Kind>
std::unique_ptr<DamageAttribute> Create()
{
    return std::make_unique<Kind>();
}

}  // namespace

#define GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(Class, Base) \
    GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Base)      \
    std::unique_ptr<DamageAttribute> Class::Clone() const { return std::make_unique<Class>(*this); }

// Each kind's roll names its objects and its type outright.
#define GAME_DEFINE_DAMAGE_ABS_MOD_KIND(Class, Base, Type, Chance, Modifier, Xor, Global, Display, Adds)           \
    GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(Class, Base)                                                                 \
    void Class::AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform&,         \
                                         bool force) const                                                       \
    {                                                                                                            \
        AddRolledModifier<KindObjects<Adds, Base>>(acc, level, force, CombatAttributeType_##Type);               \
    }

#define GAME_DEFINE_DAMAGE_DUR_MOD_KIND(Class, Base, ...) GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(Class, Base)

#define GAME_DEFINE_DAMAGE_ROLLED_KIND(Class, Base, Type, Adds)                                                   \
    GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(Class, Base)                                                                 \
    void Class::AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform& rng,       \
                                       bool force) const                                                         \
    {                                                                                                            \
        AddRolled<KindObjects<Adds, Base>>(acc, level, rng, force, CombatAttributeType_##Type);                  \
    }
#define GAME_DEFINE_DAMAGE_ABS_KIND(Class, Base, Type, Chance, Xor, Global, Min, Max, Display, Adds) \
    GAME_DEFINE_DAMAGE_ROLLED_KIND(Class, Base, Type, Adds)
#define GAME_DEFINE_DAMAGE_DUR_KIND(Class, Base, Type, Chance, Xor, Global, Min, Max, DurationMin, DurationMax, \
                                    Display, Adds)                                                             \
    GAME_DEFINE_DAMAGE_ROLLED_KIND(Class, Base, Type, Adds)

GAME_DAMAGE_ABS_MOD_KINDS(GAME_DEFINE_DAMAGE_ABS_MOD_KIND)
GAME_DAMAGE_DUR_MOD_KINDS(GAME_DEFINE_DAMAGE_DUR_MOD_KIND)
GAME_DAMAGE_ABS_KINDS(GAME_DEFINE_DAMAGE_ABS_KIND)
GAME_DAMAGE_DUR_KINDS(GAME_DEFINE_DAMAGE_DUR_KIND)
GAME_RETALIATION_ABS_KINDS(GAME_DEFINE_DAMAGE_ABS_KIND)
GAME_RETALIATION_DUR_KINDS(GAME_DEFINE_DAMAGE_DUR_KIND)
GAME_RETALIATION_ABS_MOD_KINDS(GAME_DEFINE_DAMAGE_ABS_MOD_KIND)
GAME_RETALIATION_DUR_MOD_KINDS(GAME_DEFINE_DAMAGE_DUR_MOD_KIND)

GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(DamageAttribute_BasePhysical, DamageAttribute)
GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(DamageAttribute_Physical, DamageAttribute)
GAME_IMPLEMENT_DAMAGE_ATTRIBUTE(DamageAttributeAbs_ManaBurn, DamageAttributeAbsBonus)

namespace {

#define GAME_DAMAGE_KIND_ENTRY(Class, ...) {#Class, &Create<Class>, &DamageAttribute::Load<Class>},
const DamageAttributeKind kKinds[] = {
    GAME_DAMAGE_ABS_MOD_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_DAMAGE_DUR_MOD_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_DAMAGE_ABS_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_DAMAGE_DUR_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_DAMAGE_KIND_ENTRY(DamageAttribute_BasePhysical)
    GAME_DAMAGE_KIND_ENTRY(DamageAttribute_Physical)
    GAME_DAMAGE_KIND_ENTRY(DamageAttributeAbs_ManaBurn)
};
const DamageAttributeKind kRetaliationKinds[] = {
    GAME_RETALIATION_ABS_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_RETALIATION_DUR_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_RETALIATION_ABS_MOD_KINDS(GAME_DAMAGE_KIND_ENTRY)
    GAME_RETALIATION_DUR_MOD_KINDS(GAME_DAMAGE_KIND_ENTRY)
};
#undef GAME_DAMAGE_KIND_ENTRY

}  // namespace

std::span<const DamageAttributeKind> GetDamageAttributeKinds() { return kKinds; }
std::span<const DamageAttributeKind> GetRetaliationAttributeKinds() { return kRetaliationKinds; }

}  // namespace GAME
