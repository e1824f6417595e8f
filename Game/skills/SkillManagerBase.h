// The owner of a skill as the skill sees it: every question a skill asks of its
// character goes through this interface, which the character's skill manager answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/combat/SkillAttribute.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class Character;
class CombatAttributeAccumulator;
class Skill;
class SkillServicesBase;
class LoadTable;
class RandomUniform;struct PlayStatsDamageType;
enum Skill_RangeProfile : int32_t;

class SkillManagerBase {
public:
    virtual ~SkillManagerBase() = default;

    // Null unless this peer drives the character's skills.
    virtual SkillServicesBase* GetSkillServices() const = 0;
    virtual Character* GetParent() const = 0;
    // True for a monster's skills: they are enabled as soon as they have a level.
    virtual bool IsMonsterSkill() const = 0;
    // The owner's hand state; 0 without a combat manager.
    virtual EquipManager_HandState GetHandState() const = 0;
    // Whether the owner holds a ranged weapon (a bow or a staff) and the reach of its
    // weapon, as found at the owner's last frame; not ranged and melee by default.
    virtual bool IsRangedWeapon() const { return false; }
    virtual Skill_RangeProfile GetWeaponRangeProfile() const { return Skill_RangeProfile{}; }
    // The types of the weapons in the owner's hands; Weapon_None for an empty hand.
    virtual void GetWeaponTypes(Weapon_Type& right, Weapon_Type& left) const = 0;
    virtual void SubtractMana(float amount) = 0;
    // Takes life from the owner as damage of that kind; nothing by default.
    virtual void SubtractLife(float /*amount*/, const PlayStatsDamageType& /*damageType*/) {}
    virtual float GetCurrentMana() const = 0;
    // Weapon object ids, 0 when none.
    virtual uint32_t GetRightHandWeapon() const = 0;
    virtual uint32_t GetLeftHandWeapon() const = 0;
    // The owner's summed skill attribute of that type from items and other skills.
    virtual float GetTotalSkillAttribute(SkillAttributeType type) const = 0;
    // What the owner's equipment (with the weapon of that id) and skills in force add to
    // one of its attacks: damage, then modifiers.
    virtual void CollectAvailableOffensiveDamageAttributes(uint32_t weaponId,
                                                           CombatAttributeAccumulator& accumulator) const = 0;
    virtual void CollectAvailableOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const = 0;
    // The owner's offensive ability with a bonus.
    virtual float CalculateOffensiveAbility(float bonus) = 0;
    // The owner's speeds are to be computed again: now, or at its next update.
    virtual void ForceSpeedUpdate() {}
    virtual void SetSpeedUpdateNeeded(bool /*needed*/) {}
    // The owner's attack and spell-cast speeds; 1 by default.
    virtual float GetAttackSpeed() const { return 1.0f; }
    virtual float GetSpellCastSpeed() const { return 1.0f; }
    // Enters a skill not yet listed, then installs it on the owner; the other removes a
    // listed skill, then uninstalls it.
    virtual void AddToActiveList(Skill* skill) = 0;
    virtual void RemoveFromActiveList(Skill* skill) = 0;
    // Every active and item skill of the owner shortens its cooldown by `ms` (not below
    // 0); 0 or less ends every cooldown. Nothing by default.
    virtual void RefreshCooldown(int32_t /*ms*/) {}
    // The object id of the owner's pooled basic attack; 0 when it has none.
    virtual uint32_t GetDefaultWPSkillId() const { return 0; }
    // The pooled attack one swing of the weapon pool uses, drawn from `random`; 0 for
    // none.
    virtual uint32_t SelectWeaponPoolSkill(RandomUniform& /*random*/) const { return 0; }
    // A pet kept while it is initialised; null is ignored.
    virtual void PushPetInitialize(Character* pet) = 0;
    virtual void PopPetInitialize(Character* pet) = 0;
    // A skill's weapon enchantment (the latest one registered is shown) and its effect
    // packs on the owner, kept under the skill's id until the skill drops them.
    virtual void AddWeaponEnchantment(uint32_t skillId, const std::string& recordName) = 0;
    virtual void RemoveWeaponEnchantment(uint32_t skillId) = 0;
    virtual void AddCharFxPak(uint32_t skillId, const std::vector<std::string>& names) = 0;
    virtual void RemoveCharFxPak(uint32_t skillId) = 0;
    // The owner's record is read, its skills' resources loaded ahead of use, the owner
    // leaves the world. Nothing by default.
    virtual void Load(const LoadTable& /*table*/) {}
    virtual void PreLoad(bool /*preloadNow*/) {}
    virtual void OnDestroy() {}
};

}  // namespace GAME
