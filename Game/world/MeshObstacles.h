// The path obstacles of a placed object's mesh: one per hit box, while it stands in the
// world. Characters walk around them.
#pragma once

#include <memory>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/PathFinder.h"

namespace GAME {

using MeshObstacleList = std::vector<std::unique_ptr<DynamicObstacle>>;

inline void RemoveMeshObstacles(MeshObstacleList& obstacles)
{
    for (const auto& obstacle : obstacles)
        obstacle->Detach();
    obstacles.clear();
}

// Builds the obstacles again. An actor's mesh has one hit box here, its box in its region;
// an actor without a mesh (or out of the world) blocks nothing.
inline void BuildMeshObstacles(const Actor& actor, MeshObstacleList& obstacles)
{
    RemoveMeshObstacles(obstacles);
    if (!actor.IsInWorld() || actor.GetMeshName().empty())
        return;
    auto obstacle = std::make_unique<DynamicObstacle>(actor.GetRegion(), actor.GetRegionBoundingBox());
    obstacle->Attach();
    obstacles.push_back(std::move(obstacle));
}

}  // namespace GAME
