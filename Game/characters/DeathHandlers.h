// The kinds of death handler a character's record chooses: the death animation or rag
// doll, dissolving or fading the body, spawning an actor or the character's bones where it
// fell, and a death effect or sound.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Math.h"
#include "Game/characters/DeathHandler.h"

namespace GAME {

// Plays the death animation (or lets the body go limp) and finishes on its "End" or when
// the rag doll has settled.
class DefaultDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void ExternalEvent(const Name& event) override;
    void Finish() override;
};

// "Delete", "Dissolve" and "DissolveOnCallback": removes the body once it is done, after
// dissolving it ("Dissolve" at once, "DissolveOnCallback" on the animation's "dissolve";
// "Delete" never dissolves).
class DissolveActorDeathHandler : public DeathHandler {
public:
    static constexpr float kLightRadius = 10.0f;
    static constexpr float kLightShrinkPerSecond = 5.0f;

    using DeathHandler::DeathHandler;
    ~DissolveActorDeathHandler() override;
    void Execute() override;
    void Update(int ms) override;
    void AnimationCallback(const Name& event) override;
    void ExternalEvent(const Name& event) override;
    // Removes the character from the world and destroys it (freed after the frame).
    void PostProcess() override;
    virtual void StartDissolve();

    uint32_t GetDissolveEffectId() const { return m_effectId; }
    uint32_t GetDissolveLightId() const { return m_lightId; }
    float GetLightRadius() const { return m_lightRadius; }

private:
    // Destroys the light, and leaves the effect in the world where the body lies.
    void ReleaseEffects();

    uint32_t m_effectId = 0;
    uint32_t m_lightId = 0;
    float m_lightRadius = 0.0f;
};

// "Fade": the body's tint fades to black over the dissolve time, then it is removed.
class FadeActorDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    void Execute() override;
    void Update(int ms) override;
    void PostProcess() override;
    void Reset() override;

private:
    Color m_startTint;
    int32_t m_elapsedMs = 0;
    float m_fadeTimeMs = 0.0f;
};

// Spawns the record's actor where the character fell, under the id the die action gave.
class SpawnActorDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void PreLoad() override;
    bool NeedsObjectId() const override { return true; }
    void SetObjectId(unsigned int id) override { m_objectId = id; }
    // Nothing without an id, or when the id is taken or the record makes no character.
    virtual void SpawnActor();

private:
    Character* m_spawned = nullptr;   // only while it is being placed
    uint32_t m_objectId = 0;
};

// Makes the character's bones, carries them on the corpse without their controller until
// the death animation ends, then sets them loose where the corpse lies.
class SpawnMyBonesDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    // Bones still held (their "End" never came) are destroyed with their controller.
    ~SpawnMyBonesDeathHandler() override;
    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void PreLoad() override;
    bool NeedsObjectId() const override { return true; }
    void SetObjectId(unsigned int id) override { m_objectId = id; }

    uint32_t GetBonesId() const { return m_bonesId; }

private:
    uint32_t m_objectId = 0;
    uint32_t m_bonesId = 0;        // held bones, 0 when none
    uint32_t m_controllerId = 0;   // their controller while they are held
};

// Starts the character's death effect at its "Target" and is done.
class PlayEffectDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    void Execute() override;
    uint32_t GetEffectId() const { return m_effectId; }

private:
    uint32_t m_effectId = 0;
};

// Plays the character's death sound and is done.
class PlaySoundDeathHandler : public DeathHandler {
public:
    using DeathHandler::DeathHandler;
    void Execute() override;
};

}  // namespace GAME
