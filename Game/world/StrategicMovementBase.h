// Level objects the local player discovers by walking near them and that then light up
// for good: map markers, respawn shrines and teleport shrines. What the player has
// discovered is kept on the Player as lists of unique ids; each point's look is worked
// out from those lists for the local player.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/UniqueId.h"

namespace GAME {

class AnimationSound;
class BinaryReader;
class BinaryWriter;
class DynamicObstacle;
class GraphicsAnim;
class Light;
class Player;
class SoundPak;
struct MinimapGameNugget;

enum StrategicMovementBaseState : uint32_t {
    StrategicMovementBaseState_None = 0,
    StrategicMovementBaseState_Editor = 1,
    StrategicMovementBaseState_Unqualified = 2,   // not part of the map data
    StrategicMovementBaseState_Dormant = 3,       // not yet discovered (or not current)
    StrategicMovementBaseState_Active = 4,        // discovered (a respawn shrine: current)
};

class StrategicMovementBase : public Tile {
    GAME_DECLARE_CLASS(StrategicMovementBase)

public:
    static constexpr int kSoundCount = 5;       // "sound1" .. "sound5"
    static constexpr int kRecheckIntervalMs = 250;
    static constexpr StrategicMovementBaseState kLastState = StrategicMovementBaseState_Active;

    StrategicMovementBase();
    ~StrategicMovementBase() override;

    // ---- Engine actor ---------------------------------------------------------------
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void InitialUpdate() override;
    // Dormant: discovered by the local player coming near; Active: the light fades in and
    // the state is worked out again every 250 ms; None: worked out again at once.
    void UpdateSelf(int elapsedMs) override;
    void AnimationCallback(const Name& event) override;
    void OnRemoveFromLevel() override;
    bool IsStatic() const override { return true; }
    bool ShouldServerSpawn() const override { return false; }
    virtual bool ShouldSaveState() const { return true; }
    // The state, as 4 bytes.
    virtual void SaveState(BinaryWriter& writer);
    // Reads the state and applies it at once. False (nothing applied, logged) when the
    // blob ends early or holds no state.
    virtual bool RestoreState(BinaryReader& reader);

    // ---- Operations -------------------------------------------------------------------
    // Where a character moves to reach the point: its own position.
    virtual WorldVec3 GetMoveToPoint(uint32_t actorId) const;
    WorldVec3 GetMoveToPoint(const Entity& mover) const { return GetMoveToPoint(mover.GetObjectId()); }
    // A character asks to use the point; the base does nothing with it.
    virtual void RequestToUse(uint32_t actorId);
    virtual bool IsOfInterest() const { return m_state != StrategicMovementBaseState_Unqualified; }
    // The point's name from its "description" tag, yellow ("^y") when highlighted.
    virtual std::u16string GetGameDescription(bool highlighted) const;
    // Acts on the characters near the point (a respawn shrine heals them); the base does
    // nothing. Executed from StrategicMovementTargetConfigCmd.
    virtual void HandleTargets(const std::vector<uint32_t>& targets);

    // The point's identity in the level, the one the player's lists keep.
    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    void SetUniqueId(const UniqueId& id) { m_uniqueId = id; }
    // Gives the point a fresh identity when it has none.
    void EnsureUniqueId();

    StrategicMovementBaseState GetState() const { return m_state; }
    float GetBindDistance() const { return m_bindDistance; }
    int GetLightFadeInTime() const { return m_lightFadeInTime; }
    int GetLightFadeTimer() const { return m_lightFadeTimer; }
    Light* GetLight() const;
    SoundPak* GetDormantSound() const { return FindSound(m_dormantSound); }
    SoundPak* GetDormantToActiveSound() const { return FindSound(m_dormantToActiveSound); }
    SoundPak* GetActiveSound() const { return FindSound(m_activeSound); }
    size_t GetPathObstacleCount() const { return m_pathObstacles.size(); }
    // The point's entries on the detail map: none here; the shrines give theirs.
    virtual void AppendDetailMapData(std::vector<MinimapGameNugget>& /*out*/) const {}

protected:
    // One detail-map entry of that kind: the point's name, position and facing.
    void AppendDetailMapNugget(int kind, std::vector<MinimapGameNugget>& out) const;
    virtual void SetState(StrategicMovementBaseState state, bool instant);
    // The state the point has for the local player; None without one.
    virtual StrategicMovementBaseState DetermineStateFromPlayer() const { return StrategicMovementBaseState_None; }
    // The local player came near: true when the point lights up for it.
    virtual bool InstallOnPlayerProximity(Player& /*player*/) { return false; }
    virtual void RemoveAndDestroyAttachments();
    virtual bool QualifyMapData() const;
    virtual void CreatePathObstacle();
    virtual void RemovePathObstacle();

    // The local player (the game engine's player id); null without one.
    static Player* FindLocalPlayer();
    void SetCheckMapData(bool check) { m_checkMapData = check; }
    int GetElapsed() const { return m_elapsed; }

private:
    static SoundPak* FindSound(uint32_t id);
    void UpdateDormant();
    void UpdateActive();
    void PlayStateAnimation(GraphicsAnim* animation, bool loop, bool instant);
    void StartLoopingSound(SoundPak* sound);

    float m_animationSpeed = 1.0f;
    float m_instantAnimationSpeed = 100.0f;
    int m_soundFadeTime = 10;   // ms
    int m_recheckInterval = kRecheckIntervalMs;
    float m_bindDistance = 0.0f;
    std::unique_ptr<AnimationSound> m_animationSounds;
    std::string m_soundNames[kSoundCount];
    GraphicsAnim* m_dormantAnimation = nullptr;   // loads of the graphics engine's
    GraphicsAnim* m_activeAnimation = nullptr;
    float m_dormantAnimationSpeed = 0.0f;
    float m_activeAnimationSpeed = 0.0f;
    uint32_t m_dormantSound = 0;   // owned sound packs, by id
    uint32_t m_dormantToActiveSound = 0;
    uint32_t m_activeSound = 0;
    StrategicMovementBaseState m_state = StrategicMovementBaseState_None;
    std::string m_descriptionTag;
    std::string m_lightName;
    std::string m_lightAttachPointName;
    int m_lightFadeInTime = 1;   // ms, never below 1
    uint32_t m_light = 0;        // attached child, by id
    int m_lightFadeTimer = 0;
    int m_recheckTimer = 0;
    int m_elapsed = 0;
    bool m_checkMapData = true;
    bool m_suppressAnimationSounds = false;
    std::vector<std::unique_ptr<DynamicObstacle>> m_pathObstacles;
    UniqueId m_uniqueId;
};

}  // namespace GAME
