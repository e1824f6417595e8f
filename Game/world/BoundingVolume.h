// Trigger volumes: invisible spheres placed in a level (or carried by an entity) that
// notice which entities are inside and react when that changes. The base sends the enter
// and exit game events; its kinds lerp the time of day, change the playlists, play a
// sound once, or blow wind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"

namespace GAME {

class BoundingVolume : public Actor {
    GAME_DECLARE_CLASS(BoundingVolume)

public:
    static constexpr float kDefaultRadius = 10.0f;
    static constexpr int kEditorFilterType = 1;
    static constexpr const char* kSphereMesh = "System/Meshes/Sphere.msh";

    BoundingVolume();
    ~BoundingVolume() override;

    void Load(const LoadTable& table) override;
    // Attached to a parent, the volume is in the world when its parent is.
    bool IsInWorld() const override;
    bool CanCollide(const Entity* /*other*/) const override { return false; }
    // The entities inside at the start are recorded without an enter.
    void InitialUpdate() override;
    // Finds who entered and who left since the last update (see the .cpp).
    void UpdateSelf(int elapsedMs) override;

    virtual void OnEnter(uint32_t entityId);
    virtual void OnEnterAction(uint32_t entityId);
    virtual void OnExit(uint32_t entityId);
    virtual void OnExitAction(uint32_t entityId);
    // Box of half side `radius` around the origin.
    virtual ABBox GetObjectSpaceBoundingBox() const;
    // A point in the cube of half side `radius` around the centre, drawn with the
    // process-wide generator (not necessarily inside the sphere); the terrain form sets it
    // down on the floor.
    virtual WorldVec3 GetRandomPointInsideVolume() const;
    virtual WorldVec3 GetRandomTerrainPointInsideVolume() const;

    // The region box: the centre and half sides `radius`.
    ABBox GetRegionBox() const;
    // The region bounding box is the region box.
    void UpdateBoundingBox() override;
    // The box the editor collides with: the region box, unrotated.
    OBBox GetCollisionBox(int /*index*/) const override { return OBBox(GetRegionBox()); }
    // Editor picking: the ray's distance to the sphere (0 from inside) and the point hit,
    // only for a picking surface in editor mode; otherwise (or on a miss) false.
    bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const override;
    // The same picking against any sphere (the nested sets pick their outer reach).
    static bool PickSphere(const WorldRay& ray, int surface, const WorldVec3& centre, float radius, float& distance,
                           WorldVec3& point);

    // Strictly inside: a point on the surface is outside.
    bool IsPointInsideVolume(const WorldVec3& point) const;
    const std::vector<uint32_t>& GetEntitiesInVolume() const { return m_entitiesInVolume; }
    float GetRadius() const { return m_radius; }
    void SetRadius(float radius)
    {
        m_radius = radius;
        UpdateBoundingBox();
    }
    // Where the volume stands: its parent's attach point when carried.
    WorldVec3 GetCentre() const;

protected:
    // The ids of the entities whose bounding spheres meet this sphere, the volume itself
    // left out, sorted ascending.
    void CollectEntitiesInVolume(std::vector<uint32_t>& out) const;
    void AddQueuedEntities();
    void EraseQueuedEntities();
    // Sends one of the three generic entity events with the volume's name and id.
    template <class Event>
    void SendGenericEvent(const char* eventName) const;
    // Follows the parent it is attached to.
    void FollowParent();

private:
    float m_radius = kDefaultRadius;
    std::vector<uint32_t> m_entitiesInVolume;
    std::vector<uint32_t> m_queuedEnterEntities;
    std::vector<uint32_t> m_queuedExitEntities;
    std::vector<uint32_t> m_found;   // the update's query, kept for its capacity
};

// Lerps the time of day from startHour to endHour as the main player goes from the centre
// out to radiusToEndHour, then gives the day-night manager back its own clock.
class BoundingVolumeLerpDaylight : public BoundingVolume {
    GAME_DECLARE_CLASS(BoundingVolumeLerpDaylight)

public:
    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    void OnEnterAction(uint32_t entityId) override;
    void OnExitAction(uint32_t entityId) override;
    // Called by the engine while registered for forced updates.
    void ForcedUpdate(int elapsedMs);

    bool IsActive() const { return m_isActive; }
    float GetMaxPlayerDistance() const { return m_maxPlayerDistance; }

private:
    void ActivateIfPlayer(uint32_t entityId);
    void Activate();
    void Deactivate();

    float m_startHour = 3.0f;
    float m_endHour = 23.0f;
    float m_radiusToEndHour = 0.0f;
    float m_maxPlayerDistance = 0.0f;
    bool m_savedDayNightEnabled = true;
    bool m_isActive = false;
};

// Loads the ambient and music playlists it names when the main player enters.
class BoundingVolumeChangePlaylist : public BoundingVolume {
    GAME_DECLARE_CLASS(BoundingVolumeChangePlaylist)

public:
    void Load(const LoadTable& table) override;
    void OnEnterAction(uint32_t entityId) override;

private:
    std::string m_ambientPlaylist;
    std::string m_musicPlaylist;
};

// Plays its sound once when the main player enters, then leaves the world for good.
class BoundingVolumeSoundFxOneShot : public BoundingVolume {
    GAME_DECLARE_CLASS(BoundingVolumeSoundFxOneShot)

public:
    void Load(const LoadTable& table) override;
    void OnEnterAction(uint32_t entityId) override;

private:
    std::string m_soundPak;
    bool m_spent = false;   // asked to be destroyed: the rest of the update raises nothing more
};

// Wind over the grass around it: while switched on, every update asks the world for grass
// wind around the volume, blowing its way; switched off (as it starts, and nothing in the
// game switches it on) it asks for none. Its enter sends no event.
class BoundingVolumeWind : public BoundingVolume {
    GAME_DECLARE_CLASS(BoundingVolumeWind)

public:
    static constexpr const char* kLoopSound = "Sounds/Ambience/Loops/LoopMountain01.mp3";

    ~BoundingVolumeWind() override;
    void UpdateSelf(int elapsedMs) override;
    void OnEnterAction(uint32_t /*entityId*/) override {}

    // Switched off, the wind it blew stops.
    void SetWindOn(bool on);
    bool IsWindOn() const { return m_on; }
    // The way it blows over the ground (x, z); its length is how hard.
    const Vec2& GetWindDirection() const { return m_direction; }
    const WorldVec3& GetLastPosition() const { return m_lastPosition; }
    float GetSoundVolume() const { return m_soundVolume; }

private:
    Vec2 m_direction{5.0f, 0.0f};
    float m_soundVolume = 0.0f;   // its looping sound (kLoopSound) plays this loud
    bool m_on = false;
    WorldVec3 m_lastPosition;
};

}  // namespace GAME
