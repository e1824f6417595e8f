#include "Game/world/ZoneManager.h"

#include "Engine/World.h"

namespace GAME {

ZoneManager& ZoneManager::Get()
{
    static ZoneManager manager;
    return manager;
}

void ZoneManager::SetActForRegion(uint32_t regionId, ZonePage act)
{
    if (regionId != 0)
        m_acts[regionId] = act;
}

ZonePage ZoneManager::GetActFromRegion(const Region* region) const
{
    if (!region)
        return 0;
    auto it = m_acts.find(region->GetId());
    return it == m_acts.end() ? 0 : it->second;
}

}  // namespace GAME
