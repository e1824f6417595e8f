// A skill that summons pets: monsters made from the skill's spawn object at places the
// driving peer chose, joined to the caster and kept in the skill's list (oldest first)
// until they die or are released. Kinds may move the caster to one of the places and
// treat each new pet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_SpawnPet : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_SpawnPet)

public:
    Skill_SpawnPet();

    void Update(Character& caster, int elapsedMs) override;
    // Runs on every peer: moves the caster (when the kind swaps it with a pet), pays the
    // cost once, makes one pet per id at the place of the same index (the caster's
    // coordinates once the places run out), then starts the secondary skills.
    void SkillSpawnObject(Character& caster, const WorldCoords& casterCoords, unsigned targetId,
                          const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    void StopSkill(Character& caster) override;
    // The skill needs no target.
    bool GetValidTarget(const Character&, unsigned& target, const WorldVec3&, bool, float) const override
    {
        target = 0;
        return true;
    }
    void PreLoadResources() override;
    // On the driving peer: finds room for the caster and each pet around the caster and
    // sends the spawn with fresh ids.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    virtual void SpawnPet(Character& caster, const WorldCoords& coords, unsigned objectId, unsigned seed);
    virtual void ReleasePets(Character& caster);
    virtual void ReleaseOnePet(Character& caster);
    // Where the caster stands after the spawn; may take a place out of `points`. The
    // base drops the first place (the caster's own) and keeps the caster where it is.
    virtual WorldCoords GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points);
    virtual void SetCasterCoords(Character&, const WorldCoords&) {}
    // The room reserved per pet is its extents times this.
    virtual float GetExtentsMultiplier() const { return 1.5f; }
    virtual bool SwapCasterWithPet() const { return false; }
    virtual bool ShouldJoinWithParent() const { return true; }
    // Pets made on one cast: the burst of the current level, at least 1.
    virtual unsigned GetNumPets(Character& caster) const;
    // The pet record at the current level (the argument is not read).
    virtual std::string GetSpawnObject(unsigned level) const;
    virtual void PostPetSpawned(Character&, Character&) {}

    const std::vector<uint32_t>& GetPets() const { return m_pets; }

protected:
    // The burst of the current level, at least 1.
    unsigned GetBurst() const;

    std::vector<uint32_t> m_pets;        // oldest first
    std::vector<uint32_t> m_otherPets;   // kept for kinds
};

// The monsters' kind: a cast only tops the group up to the burst, and the skill cannot be
// used while the group is full.
class Skill_SpawnPetMonster : public Skill_SpawnPet {
    GAME_DECLARE_CLASS(Skill_SpawnPetMonster)

public:
    Skill_SpawnPetMonster();

    // Pets that died or no longer exist leave the group, so that it can be topped up.
    void Update(Character& caster, int elapsedMs) override;
    // Usable only while the group holds fewer pets than the burst.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    // What the group lacks of the burst; 0 when it is full.
    unsigned GetNumPets(Character& caster) const override;
};

}  // namespace GAME
