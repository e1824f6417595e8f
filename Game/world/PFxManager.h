// A character's book of particle and mesh effects, keyed by effect object id. The
// character's own effect operations forward here.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace GAME {

class Actor;

class PFxManager {
public:
    struct PFxEffect {
        std::string attachPoint;
        bool isAttached = false;
        bool isEmitting = false;
        bool isRemoved = false;
    };

    PFxManager() = default;
    // Destroys every effect that is not attached (attached ones go with the actor).
    virtual ~PFxManager();
    PFxManager(const PFxManager&) = delete;
    PFxManager& operator=(const PFxManager&) = delete;

    void AttachActor(Actor* actor) { m_actor = actor; }
    Actor* GetActor() const { return m_actor; }
    // The owner's flag of whether the book holds a particle effect, which is all Update
    // walks: kept up to date from now on, so that the owner may skip Update while it is
    // false without reading the manager.
    void KeepBusyFlag(bool* busy)
    {
        m_busy = busy;
        NoteBusy();
    }

    // Lets removed effects die out: detaches stopped effects without particles and
    // destroys removed ones once detached.
    void Update(int elapsedMs);

    // The new effect's id; 0 for an empty name or a record that makes no effect entity.
    uint32_t AddParticleEffect(const std::string& recordName, const std::string& attachPoint);
    void StartParticleEffect(uint32_t effectId);
    void StopParticleEffect(uint32_t effectId);
    // Stops the effect and marks it removed; it goes once its particles are gone. The
    // caller's id becomes 0.
    void RemoveParticleEffect(uint32_t& effectId);

    // Mesh effects: the same book for animated meshes.
    uint32_t AddMeshEffect(const std::string& recordName);
    void StartMeshEffect(uint32_t effectId);
    void StopMeshEffect(uint32_t effectId);
    void RemoveMeshEffect(uint32_t& effectId);

    // A fire-and-forget effect at the attach point; not entered in the book.
    void OneShotParticleEffect(const std::string& recordName, const std::string& attachPoint);

    const PFxEffect* FindParticleEffect(uint32_t effectId) const;
    const PFxEffect* FindMeshEffect(uint32_t effectId) const;
    size_t GetParticleEffectCount() const { return m_particleEffects.size(); }

private:
    void NoteBusy()
    {
        if (m_busy)
            *m_busy = !m_particleEffects.empty();
    }

    Actor* m_actor = nullptr;
    bool* m_busy = nullptr;
    std::map<uint32_t, PFxEffect> m_particleEffects;
    std::map<uint32_t, PFxEffect> m_meshEffects;
};

}  // namespace GAME
