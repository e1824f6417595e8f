// A particle emitter made from an effect record. There is no particle output: the entity
// keeps whether it emits, so effect owners and tests can follow it.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

// An actor, so that the world's walk reaches a self-deleting effect and it can end itself.
class EffectEntity : public Actor {
    GAME_DECLARE_CLASS(EffectEntity)

public:
    // With no particles simulated, a self-deleting effect lives by fixed platform times:
    // it emits for at most kSelfDeletingEmissionMs after it is added, and the particles
    // of an emission live kParticleLifeMs after the emission stops. Short, so that the
    // impact and released flight effects of many projectiles never pile up.
    static constexpr int kSelfDeletingEmissionMs = 1000;
    static constexpr int kParticleLifeMs = 500;

    EffectEntity() = default;
    ~EffectEntity() override;

    virtual void StartEmitting();
    virtual void StopEmitting();
    bool IsEmitting() const { return m_emitting; }
    // Back to the state before the first emission.
    virtual void Reset();
    // Whether particles emitted earlier are still alive: while emitting, and, for an
    // effect in the world as self-deleting, kParticleLifeMs of the world's frames after
    // the emission stops.
    virtual bool HasActiveParticles() const { return m_emitting || (m_selfDeleting && m_particleLifeMs > 0); }
    // Loads what the effect shows; nothing to load without particle output.
    void PreLoad(bool /*preloadNow*/) override {}

    // Places the effect in the world. With `selfDeleting` the effect, once it stops
    // emitting (or its emission time has run out) and has no particles left, leaves the
    // world and is destroyed (freed at the end of the frame). An effect whose emission
    // was stopped before it is placed (one left behind by its owner) ends the same way
    // whatever `selfDeleting` says: nothing would ever start or free it again.
    virtual bool AddToWorld(const WorldCoords& coords, bool selfDeleting);
    bool IsSelfDeleting() const { return m_selfDeleting; }

    // Counts the emission and particle times of a self-deleting effect and ends it.
    void UpdateSelf(int elapsedMs) override;

private:
    bool m_emitting = false;
    bool m_stopped = false;   // StopEmitting ran since the last StartEmitting
    bool m_selfDeleting = false;
    int m_emissionLeftMs = kSelfDeletingEmissionMs;
    int m_particleLifeMs = 0;
};

}  // namespace GAME
