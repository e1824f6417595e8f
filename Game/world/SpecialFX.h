// An effect owned by an object (a projectile's flight trail, a fixed item's glow): made
// from a record, started and stopped with its owner, and at the owner's end either left
// in the world to die out on its own or destroyed with it.
#pragma once

#include <string>

namespace GAME {

class EffectEntity;
class WorldCoords;

class SpecialFX {
public:
    SpecialFX() = default;
    // Destroys the effect it still holds.
    ~SpecialFX();
    SpecialFX(const SpecialFX&) = delete;
    SpecialFX& operator=(const SpecialFX&) = delete;

    // Makes the effect from its record, replacing (and destroying) any held; an empty
    // name or a record of another class leaves none.
    void LoadFX(const std::string& recordName);
    void StartFx();
    void StopFx();
    // Lets go of the effect: one with particles still alive is left in the world at the
    // coordinates, to delete itself when they are gone; any other is destroyed.
    void ReleaseFx(const WorldCoords& coords);
    void PreLoad();

    EffectEntity* GetEffect() const { return m_effect; }

private:
    void Destroy();

    EffectEntity* m_effect = nullptr;   // owned until released
};

}  // namespace GAME
