// The path obstacles of a placed object's mesh: one per hit box, while it stands in the
// world. Characters walk around them.
#pragma once

#include <memory>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/GraphicsMesh.h"
#include "Engine/PathFinder.h"

namespace GAME {

using MeshObstacleList = std::vector<std::unique_ptr<DynamicObstacle>>;

inline void RemoveMeshObstacles(MeshObstacleList& obstacles)
{
    for (const auto& obstacle : obstacles)
        obstacle->Detach();
    obstacles.clear();
}

// Builds the obstacles again: one for each hit box of the mesh the actor shows, the box
// placed where the actor's mesh instance stands. An actor without a mesh (or out of the
// world) blocks nothing.
inline void BuildMeshObstacles(const Actor& actor, MeshObstacleList& obstacles)
{
    RemoveMeshObstacles(obstacles);
    const GraphicsMesh* mesh = actor.GetMeshInstance().GetMesh();
    if (!actor.IsInWorld() || !mesh)
        return;
    for (unsigned i = 0; i < mesh->GetNumHitBoxes(); ++i) {
        auto obstacle =
            std::make_unique<DynamicObstacle>(actor.GetRegion(), actor.GetCollisionBox(static_cast<int>(i)));
        obstacle->Attach();
        obstacles.push_back(std::move(obstacle));
    }
}

}  // namespace GAME
