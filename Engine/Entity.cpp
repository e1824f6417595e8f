#include "Engine/Entity.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/PhysicsEngine.h"

namespace GAME {

namespace {
// Entities are tested as spheres of this radius unless told otherwise.
constexpr float kDefaultBoundingRadius = 0.5f;
}

GAME_IMPLEMENT_CLASS(Entity, Object)
GAME_IMPLEMENT_CLASS(Actor, Entity)
GAME_IMPLEMENT_CLASS(Light, Entity)
GAME_IMPLEMENT_CLASS(Tile, Entity)
GAME_IMPLEMENT_CLASS(LineEffect, Entity)
GAME_IMPLEMENT_CLASS(ChaosBeam, LineEffect)
GAME_IMPLEMENT_CLASS(SoundPak, Object)

Entity::Entity() : m_boundingRadius(kDefaultBoundingRadius) {}

Entity::~Entity()
{
    // An entity freed while placed (one never handed to the object manager) must not
    // stay behind in the world's list.
    if (m_inWorld)
        World::Get().RemoveEntity(this);
}

void Entity::SetAttachPoint(const Name& name, const Vec3& offset)
{
    for (auto& [pointName, pointOffset] : m_attachPoints) {
        if (pointName == name) {
            pointOffset = offset;
            return;
        }
    }
    m_attachPoints.emplace_back(name, offset);
}

WorldVec3 Entity::GetAttachPointPosition(const Name& name) const
{
    const Coords& frame = m_coords.GetRegionCoords();
    for (const auto& [pointName, offset] : m_attachPoints) {
        if (pointName == name)
            return WorldVec3(m_coords.GetRegion(), frame.TransformPoint(offset));
    }
    return m_coords.GetPosition();
}

void Entity::OnDestroy()
{
    Object::OnDestroy();
    if (m_inWorld)
        World::Get().RemoveEntity(this);
    PhysicsEngine::Get().RemoveEntity(GetObjectId());
}

// ---- Actor ------------------------------------------------------------------------------

Actor::Actor() = default;
Actor::~Actor() = default;

void Actor::InitialUpdate() {}
void Actor::UpdateSelf(int) {}
void Actor::PreAnimationUpdate(int) {}
void Actor::AnimationCallback(const Name&) {}

void Actor::SetScale(float scale)
{
    if (!std::isfinite(scale) || scale <= 0.0f) {
        gEngine->Log(LOG_WARNING, "Actor %u: scale %g ignored", GetObjectId(), static_cast<double>(scale));
        return;
    }
    m_currentScale = scale;
}

void Actor::SetBoundingValue(float value)
{
    if (!std::isfinite(value)) {
        gEngine->Log(LOG_WARNING, "Actor %u: bounding value %g ignored", GetObjectId(), static_cast<double>(value));
        return;
    }
    m_boundingValue = value;
}

void Actor::SetHeightValue(float value)
{
    if (!std::isfinite(value) || value < 0.0f) {
        gEngine->Log(LOG_WARNING, "Actor %u: height value %g ignored", GetObjectId(), static_cast<double>(value));
        return;
    }
    m_heightValue = value;
}

// ---- SoundPak ---------------------------------------------------------------------------

void SoundPak::PreLoad(bool) { ++m_preLoadCount; }

}  // namespace GAME
