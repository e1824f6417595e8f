// A particle emitter made from an effect record. There is no particle output: the entity
// keeps whether it emits, so effect owners and tests can follow it.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class EffectEntity : public Entity {
    GAME_DECLARE_CLASS(EffectEntity)

public:
    EffectEntity() = default;
    ~EffectEntity() override;

    virtual void StartEmitting() { m_emitting = true; }
    virtual void StopEmitting() { m_emitting = false; }
    bool IsEmitting() const { return m_emitting; }
    // Back to the state before the first emission.
    virtual void Reset() { m_emitting = false; }
    // Whether particles emitted earlier are still alive; with no particles simulated,
    // only while emitting.
    virtual bool HasActiveParticles() const { return m_emitting; }
    // Loads what the effect shows; nothing to load without particle output.
    void PreLoad(bool /*preloadNow*/) override {}

    // Places the effect in the world. With `selfDeleting` the effect is destroyed once it
    // stops emitting and has no particles left.
    virtual bool AddToWorld(const WorldCoords& coords, bool selfDeleting);
    bool IsSelfDeleting() const { return m_selfDeleting; }

private:
    bool m_emitting = false;
    bool m_selfDeleting = false;
};

}  // namespace GAME
