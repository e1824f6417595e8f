// The sickle-bearing boss, its controller and the zones its dropped projectiles fall
// from. The boss's sickle can be torn from its hand and blown up once the chains it was
// burning through are gone.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/characters/Monster.h"

namespace GAME {

struct WorldRay;

// The monster controller whose attack is not ended by the end of an attack animation
// while a telekinesis attack is still running.
class ControllerZoverad : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerZoverad)

public:
    void RegisterStates() override;
};

class ControllerZoveradStateAttack : public ControllerMonsterStateAttack {
public:
    using ControllerMonsterStateAttack::ControllerMonsterStateAttack;
    void HandleEvent(const Name& event) override;
};

// The monster controller under a name of its own, for pets.
class ControllerPet : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerPet)

public:
    void RegisterStates() override { ControllerMonster::RegisterStates(); }
    void RegisterTemporaryStates() override { ControllerMonster::RegisterTemporaryStates(); }
};

class Zoverad : public Monster {
    GAME_DECLARE_CLASS(Zoverad)

public:
    // The monster's keys, then the effect of the sickle's explosion.
    void Load(const LoadTable& table) override;
    // The monster's state, then whether the sickle is gone; a boss restored without it
    // loses it again, without the explosion.
    void SaveState(BinaryWriter& writer) override;
    void RestoreState(BinaryReader& reader) override;
    // The monster's dying, then the idle telekinesis projectiles near it explode.
    void CharacterIsDying() override;
    static constexpr float kProjectileBlastRadius = 30.0f;
    // The weapon of the right hand (else of the left) leaves the hand and the inventory;
    // with `explode` the explosion shows at the hand; the controller goes idle. The
    // commands are queued only where the boss's skills decide (the peer with its skill
    // services): every peer runs them from there.
    void UnequipAndExplodeSickle(bool explode);
    bool IsSickleGone() const { return m_sickleGone; }

private:
    std::string m_sickleExplosion;
    bool m_sickleGone = false;
};

// An invisible marker (shown only in editor mode) with a radius, where projectiles fall.
class ZoveradDropZone : public Actor {
    GAME_DECLARE_CLASS(ZoveradDropZone)

public:
    ZoveradDropZone();
    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    // Editor picking against the sphere of its radius; outside the editor never hit.
    bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const override;
    bool CanCollide(const Entity*) const override { return false; }
    bool OccludesPathing() const override { return false; }
    float GetRadius() const { return m_radius; }

private:
    float m_radius = 1.0f;
};

}  // namespace GAME
