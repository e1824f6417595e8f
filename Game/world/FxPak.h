// A package of effects placed once at a point (an impact, the end of a buff): on its
// first update it makes its mesh and particle effects there and plays its sound, and on
// the next update with time passing it leaves the world and is destroyed. The effects it
// made live on by themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"

namespace GAME {

class SoundPak;

// A plain entity that asks the world's walk for a frame.
class FxPak : public Entity {
    GAME_DECLARE_CLASS(FxPak)

public:
    FxPak();
    ~FxPak() override;

    // "particleEffectNames", "meshEffectNames", "activateSound".
    void Load(const LoadTable& table) override;
    // Makes the effects (once), then plays the sound at the pak.
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    // Puts each named effect into the world at the pak and forgets the names, so the
    // effects are made once.
    virtual void LoadResources();
    // Half sides 1 around the position.
    void UpdateBoundingBox() override;

    SoundPak* GetActivateSound() const;

private:
    std::vector<std::string> m_particleEffectNames;
    std::vector<std::string> m_meshEffectNames;
    uint32_t m_activateSound = 0;   // owned, by id
};

}  // namespace GAME
