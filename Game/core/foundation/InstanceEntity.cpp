#include "Game/core/foundation/InstanceEntity.h"

#include "Engine/InstanceGroupManager.h"

namespace GAME {

bool GetInstanceEntityPosition(const UniqueId& id, WorldVec3& out)
{
    const InstanceEntityData* data = InstanceGroupManager::Get().GetEntityData(id);
    if (!data)
        return false;
    Region* region = World::Get().GetRegionById(data->regionId);
    if (!region)
        return false;
    out = WorldVec3(region, data->position);
    return true;
}

}  // namespace GAME
