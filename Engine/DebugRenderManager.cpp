#include "Engine/DebugRenderManager.h"

#include "Engine/Journal.h"
#include "Engine/World.h"

namespace GAME {

DebugRenderManager& DebugRenderManager::Get()
{
    static DebugRenderManager manager;
    return manager;
}

void DebugRenderManager::RenderText(const WorldVec3& position, const std::string& text, const Color& color)
{
    const Vec3& at = position.GetRegionPosition();
    Journal::Get().Record("DebugRenderManager::RenderText", 0, "region %u (%g, %g, %g) (%g, %g, %g, %g) %s",
                          position.GetRegionId(), at.x, at.y, at.z, color.red, color.green, color.blue, color.alpha,
                          text.c_str());
}

}  // namespace GAME
