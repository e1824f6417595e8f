// A set of up to four nested trigger spheres that act together: the set listens to the
// enter and exit events of its spheres and reacts by the index of the sphere (0 the
// innermost). Kinds play event music or follow a boss.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/EventManager.h"
#include "Game/core/GameEvents.h"

namespace GAME {

// A plain entity with no body of its own; it asks the world's walk for a frame, as it needs
// its update to attach its spheres.
class BoundingVolumeMultiple : public Entity {
    GAME_DECLARE_CLASS(BoundingVolumeMultiple)

public:
    static constexpr int kMaxVolumes = 4;
    // Radii this close to 0 make no sphere.
    static constexpr float kMinRadius = 0.0001f;

    struct Volume {
        uint32_t volumeId = 0;
        float radius = 0.0f;
        bool attached = false;
    };

    BoundingVolumeMultiple();
    ~BoundingVolumeMultiple() override;

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    bool CanCollide(const Entity* /*other*/) const override { return false; }

    // Sorts the spheres by radius and attaches each that still exists to the parent; a
    // parent in the world takes them into the world with it.
    virtual void AttachVolumes(Entity* parent);
    virtual void OnEnterVolume(int /*index*/) {}
    virtual void OnExitVolume(int /*index*/) {}

    // Creates one sphere of that radius; nothing when it cannot be made.
    void AddVolume(float radius);
    const std::vector<Volume>& GetVolumes() const { return m_volumes; }
    // The outermost radius plus 1, or 1 for an empty set.
    float GetOuterReach() const;
    // The region box around the set turned as it stands: the axis-aligned box around a
    // cube of half side GetOuterReach.
    ABBox GetRegionBox() const;
    // The region bounding box is the region box; it follows the spheres the set holds.
    void UpdateBoundingBox() override;
    // The box the editor collides with: the set's frame, half sides those of the region
    // box times the outermost radius (none for a set without spheres).
    OBBox GetCollisionBox(int index) const override;
    // Editor picking against the sphere of the outer reach, as a single volume picks.
    bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const override;
    bool IsDone() const { return m_isDone; }
    const std::string& GetEventMusicFile() const { return m_eventMusicFile; }

protected:
    void OnEnterEvent(const GameEvent_EnterBoundingVolume& event);
    void OnExitEvent(const GameEvent_ExitBoundingVolume& event);
    // The index of the sphere of that id; -1 when it is not one of the set's.
    int FindVolume(uint32_t volumeId) const;
    // The same for an event of a player while the set listens; -1 otherwise.
    int FindPlayerVolume(uint32_t volumeId, uint32_t entityId) const;

    std::string m_eventMusicFile;
    std::vector<Volume> m_volumes;
    bool m_isDone = false;

private:
    GameEventListener<BoundingVolumeMultiple, GameEvent_EnterBoundingVolume> m_enterHandler;
    GameEventListener<BoundingVolumeMultiple, GameEvent_ExitBoundingVolume> m_exitHandler;
};

// Fades the music out in the middle sphere (and in again on leaving it) and starts the
// event music once the player reaches the innermost.
class BoundingVolumeMusicEvent : public BoundingVolumeMultiple {
    GAME_DECLARE_CLASS(BoundingVolumeMusicEvent)

public:
    static constexpr int kFadeOutMs = 5000;

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    void OnEnterVolume(int index) override;
    void OnExitVolume(int index) override;

private:
    bool m_attachPending = true;
};

}  // namespace GAME
