// A point non-player characters wander around, within its radius; invisible outside the
// editor.
#pragma once

#include "Engine/Entity.h"
#include "Engine/UniqueId.h"

namespace GAME {

class NpcWanderPoint : public Actor {
    GAME_DECLARE_CLASS(NpcWanderPoint)

public:
    static constexpr int kEditorFilterType = 6;
    // A record's radius above this is taken as this.
    static constexpr float kMaxRadius = 100.0f;

    NpcWanderPoint();
    ~NpcWanderPoint() override;

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    float GetRadius() const { return m_radius; }
    // The identity the level placed it under; instance groups list it by this.
    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    void SetUniqueId(const UniqueId& id) { m_uniqueId = id; }
    // Editor picking against the sphere of its radius, as trigger volumes do.
    bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const override;

private:
    float m_radius = 1.0f;
    UniqueId m_uniqueId;
};

}  // namespace GAME
