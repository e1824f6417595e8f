#include "Engine/WorldCamera.h"

namespace GAME {

void WorldCamera::Update() {}

void WorldCamera::GetFrustum(WorldFrustum& out, const Viewport&) const
{
    out.region = GetTarget().GetRegion();
    out.planes.clear();
}

}  // namespace GAME
