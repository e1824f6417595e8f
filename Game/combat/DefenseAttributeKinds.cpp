#include "Game/combat/DefenseAttributeKinds.h"

#include <type_traits>

namespace GAME {

namespace {

// A leaf whose per-attack object is its family's.
struct FamilyObject {};

// The elemental resistance: the full value as an absolute resistance to cold, fire and
// lightning, after the one chance test.
struct ElementalResistances {
    static void Add(CombatAttributeAccumulator& acc, float value)
    {
        for (CombatAttributeType type : {CombatAttributeType_Cold, CombatAttributeType_Fire, CombatAttributeType_Lightning})
            acc.AddNewDefense<CombatAttributeAbsDefense>(type, value);
    }
};

// What a leaf adds for an attack: its family's per-attack class, or its own objects.
template <class Adds, class Base>
using KindObjects = std::conditional_t<std::is_same_v<Adds, FamilyObject>, typename Base::PerAttack, Adds>;

template <class Kind>
std::unique_ptr<DefenseAttribute> Create()
{
    return std::make_unique<Kind>();
}

}  // namespace

#define GAME_IMPLEMENT_DEFENSE_ATTRIBUTE(Class, Base) \
    GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Base)       \
    std::unique_ptr<DefenseAttribute> Class::Clone() const { return std::make_unique<Class>(*this); }

#define GAME_DEFINE_DEFENSE_KIND(Class, Base, Type, ValueKey, TextTag, Adds)                                   \
    GAME_IMPLEMENT_DEFENSE_ATTRIBUTE(Class, Base)                                                             \
    void Class::AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level, RandomUniform&,              \
                                 bool skipChance) const                                                       \
    {                                                                                                         \
        AddRolled<KindObjects<Adds, Base>>(acc, level, skipChance, CombatAttributeType_##Type);               \
    }                                                                                                         \
    DefenseAttribute::LevelNumbers Class::GetLevelNumbers(unsigned level) const                               \
    {                                                                                                         \
        return NumbersOf<KindObjects<Adds, Base>>(level, CombatAttributeType_##Type);                         \
    }

GAME_DEFENSE_ABS_KINDS(GAME_DEFINE_DEFENSE_KIND)
GAME_DEFENSE_DUR_KINDS(GAME_DEFINE_DEFENSE_KIND)
GAME_DEFENSE_ABS_MOD_KINDS(GAME_DEFINE_DEFENSE_KIND)
GAME_DEFENSE_DUR_MOD_KINDS(GAME_DEFINE_DEFENSE_KIND)

#undef GAME_DEFINE_DEFENSE_KIND

GAME_IMPLEMENT_DEFENSE_ATTRIBUTE(DefenseAttribute_BaseProtectionAbsorption, DefenseAttribute)
GAME_IMPLEMENT_DEFENSE_ATTRIBUTE(DefenseAttribute_SkillProtectionAbsorption, DefenseAttribute_BaseProtectionAbsorption)

namespace {

#define GAME_DEFENSE_KIND_ENTRY(Class, ...) {#Class, &Create<Class>},
const DefenseAttributeKind kKinds[] = {
    GAME_DEFENSE_ABS_KINDS(GAME_DEFENSE_KIND_ENTRY)
    GAME_DEFENSE_DUR_KINDS(GAME_DEFENSE_KIND_ENTRY)
    GAME_DEFENSE_ABS_MOD_KINDS(GAME_DEFENSE_KIND_ENTRY)
    GAME_DEFENSE_DUR_MOD_KINDS(GAME_DEFENSE_KIND_ENTRY)
    GAME_DEFENSE_KIND_ENTRY(DefenseAttribute_BaseProtectionAbsorption)
    GAME_DEFENSE_KIND_ENTRY(DefenseAttribute_SkillProtectionAbsorption)
};
#undef GAME_DEFENSE_KIND_ENTRY

}  // namespace

std::span<const DefenseAttributeKind> GetDefenseAttributeKinds() { return kKinds; }

}  // namespace GAME
