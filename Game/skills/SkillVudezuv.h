// The boss Vudezuv's light and mirage: the light strikes every marker placed near the
// boss with the skill's area projectile; the mirage summons copies of the boss, moves the
// boss to the place of one of them and makes the foes around lose track of it.
#pragma once

#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Game/skills/SkillAttackKinds.h"
#include "Game/skills/Skill_SpawnPet.h"

namespace GAME {

// A place a designer marks for the light to strike; seen only in the editor.
class LightOfRaMarker : public Actor {
    GAME_DECLARE_CLASS(LightOfRaMarker)

public:
    LightOfRaMarker();
};

class Skill_VudezuvLightOfRa : public Skill_AttackProjectileAreaEffect {
    GAME_DECLARE_CLASS(Skill_VudezuvLightOfRa)

public:
    // Markers within this distance of the boss are struck.
    static constexpr float kMarkerRadius = 40.0f;

    Skill_VudezuvLightOfRa();

    // One area projectile at every marker near the caster; the target is not used.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

class Skill_VudezuvMirage : public Skill_SpawnPet {
    GAME_DECLARE_CLASS(Skill_VudezuvMirage)

public:
    // Foes within this distance of the boss lose track of it.
    static constexpr float kConfusionRadius = 50.0f;

    Skill_VudezuvMirage();

    void Load(const LoadTable& table) override;
    // Usable only while no copy lives.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    void SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned targetId,
                          const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    WorldCoords GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points) override;
    void SetCasterCoords(Character& caster, const WorldCoords& coords) override;
    float GetExtentsMultiplier() const override { return 2.0f; }
    bool SwapCasterWithPet() const override { return true; }
    void PostPetSpawned(Character& caster, Character& pet) override;

    const std::string& GetCasterHintEffect() const { return m_casterHintEffect; }

private:
    std::string m_casterHintEffect;
};

}  // namespace GAME
