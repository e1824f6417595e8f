// The game engine's target searches: which characters a skill or a projectile may pick
// around a point, along a ray or in a cone.
#include <algorithm>

#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/core/TeamManager.h"
#include "Game/world/DynamicBarrier.h"

namespace GAME {

void GameEngine::FilterInvalidTargets(const Team& team, const std::vector<Entity*>& candidates,
                                      std::vector<unsigned>& out, unsigned exclude, bool friends) const
{
    for (Entity* entity : candidates) {
        auto* character = DynamicCast<Character>(entity);
        if (!character || !character->HasHadInitialUpdate())
            continue;
        if (!character->IsAlive() || character->IsHiding() || character->IsA<Npc>())
            continue;
        if (friends) {
            if (!team.IsFriend(character->GetTeam()) || character->IsA<DynamicBarrier>())
                continue;
        } else if (!team.IsFoe(character->GetTeam())) {
            continue;
        }
        if (character->GetObjectId() != exclude)
            out.push_back(character->GetObjectId());
    }
}

void GameEngine::GetTargetsInRadius(const Team& team, const WorldVec3& centre, float radius, std::vector<unsigned>& out,
                                    unsigned exclude, bool friends) const
{
    if (!centre.IsValid())
        return;
    thread_local std::vector<Entity*> candidates;
    candidates.clear();
    World::Get().GetEntitiesInSphere(candidates, centre.GetRegion(), Sphere{centre.GetRegionPosition(), radius},
                                     EntityList_Dynamic);
    FilterInvalidTargets(team, candidates, out, exclude, friends);
    if (m_showTargetSpheres)
        World::Get().RenderDebugSphere(centre, radius, Color{1.0f, 0.3f, 0.3f, 1.0f});
}

void GameEngine::GetTargetsInRadius(const Character& character, const WorldVec3& centre, float radius,
                                    std::vector<unsigned>& out, unsigned exclude, bool friends) const
{
    GetTargetsInRadius(character.GetTeam(), centre, radius, out, exclude, friends);
}

void GameEngine::GetAllTargetsInRadius(const Team& team, const WorldVec3& centre, float radius,
                                       std::vector<unsigned>& out, unsigned exclude) const
{
    GetTargetsInRadius(team, centre, radius, out, exclude, true);
    GetTargetsInRadius(team, centre, radius, out, exclude, false);
}

void GameEngine::GetTargetsAlongRay(const Team& team, const WorldRay& ray, float length, std::vector<unsigned>& out,
                                    unsigned exclude, bool friends) const
{
    thread_local std::vector<RayIntersection> hits;
    thread_local std::vector<Entity*> candidates;
    hits.clear();
    candidates.clear();
    World::Get().GetAllIntersections(hits, ray.origin, ray.direction, length);
    for (const RayIntersection& hit : hits)
        candidates.push_back(hit.entity);
    FilterInvalidTargets(team, candidates, out, exclude, friends);
}

void GameEngine::GetTargetsInCone(const Team& team, const WorldVec3& apex, const Vec3& direction, float angleDegrees,
                                  float length, std::vector<unsigned>& out, unsigned exclude, bool friends) const
{
    thread_local std::vector<Entity*> candidates;
    candidates.clear();
    World::Get().GetEntitiesInCone(candidates, apex, direction, angleDegrees * 0.017453292f, length,
                                   EntityList_Dynamic);
    FilterInvalidTargets(team, candidates, out, exclude, friends);
}

unsigned GameEngine::PickObject(const std::vector<unsigned>& candidates, const std::vector<unsigned>& excluded)
{
    std::vector<unsigned> left;
    for (unsigned id : candidates)
        if (std::find(excluded.begin(), excluded.end(), id) == excluded.end())
            left.push_back(id);
    if (left.empty())
        return 0;
    const int index = m_random.IGenerate(0, static_cast<int>(left.size()) - 1);
    return index >= 0 && static_cast<size_t>(index) < left.size() ? left[static_cast<size_t>(index)] : 0;
}

}  // namespace GAME
