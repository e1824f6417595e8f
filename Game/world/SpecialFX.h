// An effect owned by an object (a projectile's flight trail, a fixed item's glow): made
// from a record, started and stopped with its owner, and at the owner's end either left
// in the world to die out on its own or destroyed with it.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

class Actor;
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
    // The same, the effect carried by its owner (not emitting) until it is released.
    void LoadFX(const std::string& recordName, Actor* owner);
    void StartFx();
    void StopFx();
    // Lets go of the effect: one with particles still alive is left in the world at the
    // coordinates, to delete itself when they are gone; any other is destroyed.
    void ReleaseFx(const WorldCoords& coords);
    void PreLoad();
    // Stops, detaches and destroys the effect.
    void DeleteFx() { Destroy(); }
    bool IsStarted() const { return m_isStarted; }

    // The effect held; null when none is (or it was destroyed from elsewhere, as a
    // shutdown that destroys every object does).
    EffectEntity* GetEffect() const;

private:
    void Destroy();

    uint32_t m_effectId = 0;   // owned until released; kept by id so it never dangles
    bool m_isStarted = false;
};

}  // namespace GAME
