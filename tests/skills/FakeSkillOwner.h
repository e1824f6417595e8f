// A skill owner for the skill tests: its mana, weapons and lists are the test's to set
// and read, and it records what its skills register on it and send once it is made
// their services.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

class FakeOwner : public SkillManagerBase, public SkillServicesBase {
public:
    struct Sent { uint32_t skillId; int32_t level; bool enabled; };
    void SendSkillStateUpdate(uint32_t id, const SkillState& s) override { sent.push_back({id, s.level, s.enabled}); }
    void SendSkillActiveUpdate(uint32_t, const SkillActiveState&) override {}
    void SetParent(Actor*) override {}
    void Dead() override {}
    // What the skills sent, with the hit iteration each send carried.
    struct Shot { uint32_t skillId; WorldCoords launch; uint32_t targetId; WorldVec3 point; uint32_t seed, weaponId, hit; };
    struct Result { uint32_t skillId; std::vector<uint32_t> targets; WorldCoords coords; uint32_t seed, value; bool melee; };
    struct Spawn {
        uint32_t skillId;
        WorldCoords coords;
        std::vector<WorldCoords> places;
        std::vector<uint32_t> ids;
        uint32_t targetId = 0;
        uint32_t seed = 0;
    };
    void SendTargetResult(uint32_t id, const std::vector<uint32_t>& targets, const WorldCoords& coords, uint32_t seed,
                          uint32_t value, bool melee) override
    {
        results.push_back({id, targets, coords, seed, value, melee});
    }
    void SendCreateProjectile(uint32_t id, const WorldCoords& launch, uint32_t target, const WorldVec3& point,
                              uint32_t seed, uint32_t weaponId) override
    {
        shots.push_back({id, launch, target, point, seed, weaponId, GetHitIteration()});
    }
    void SendSpawnObject(uint32_t id, const WorldCoords& coords, uint32_t targetId,
                         const std::vector<WorldCoords>& places, const std::vector<uint32_t>& ids,
                         uint32_t seed) override
    {
        spawns.push_back({id, coords, places, ids, targetId, seed});
    }
    void CreateUpdateSkillBuff(const SkillBuffTransfer&, const std::vector<Weapon_Type>&, bool) override {}
    void RemoveSkillBuff(const std::string&) override {}
    SkillServicesBase* GetSkillServices() const override { return services; }
    Character* GetParent() const override { return parent; }
    bool IsMonsterSkill() const override { return false; }
    EquipManager_HandState GetHandState() const override { return EquipManager_Unarmed; }
    void GetWeaponTypes(Weapon_Type& r, Weapon_Type& l) const override { r = right, l = left; }
    void SubtractMana(float amount) override { mana -= amount; }
    float GetCurrentMana() const override { return mana; }
    uint32_t GetRightHandWeapon() const override { return rightWeapon; }
    uint32_t GetLeftHandWeapon() const override { return leftWeapon; }
    float GetTotalSkillAttribute(SkillAttributeType) const override { return 0.0f; }
    void AddToActiveList(Skill* skill) override { active.push_back(skill->GetObjectId()); }
    void RemoveFromActiveList(Skill* skill) override { std::erase(active, skill->GetObjectId()); }
    void CollectAvailableOffensiveDamageAttributes(uint32_t, CombatAttributeAccumulator&) const override {}
    void CollectAvailableOffensiveModifierAttributes(CombatAttributeAccumulator&) const override {}
    float CalculateOffensiveAbility(float) override { return 0.0f; }
    void PushPetInitialize(Character* pet) override { pets.push_back(pet); }
    void PopPetInitialize(Character* pet) override { std::erase(pets, pet); }
    void AddWeaponEnchantment(uint32_t, const std::string& name) override { enchantment = name; }
    void RemoveWeaponEnchantment(uint32_t) override { enchantment.clear(); }
    void AddCharFxPak(uint32_t, const std::vector<std::string>& names) override { packs = names; }
    void RemoveCharFxPak(uint32_t) override { packs.clear(); }

    SkillServicesBase* services = nullptr;
    Weapon_Type right = Weapon_None;
    Weapon_Type left = Weapon_None;
    float mana = 100.0f;
    std::vector<uint32_t> active;
    std::vector<Sent> sent;
    std::vector<Shot> shots;
    std::vector<Result> results;
    std::vector<Spawn> spawns;
    Character* parent = nullptr;
    uint32_t rightWeapon = 0;
    uint32_t leftWeapon = 0;
    std::vector<Character*> pets;          // kept for initialisation
    std::string enchantment;               // the weapon enchantment shown
    std::vector<std::string> packs;        // the effect packs shown
};

// Object ids as a peer's command would carry them: fresh, never yet taken.
inline std::vector<uint32_t> FreshIds(size_t n)
{
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < n; ++i)
        ids.push_back(ObjectManager::Get().CreateObjectID());
    return ids;
}

}  // namespace GAME
