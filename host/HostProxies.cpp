#include "host/HostProxies.h"

#include <cstdio>
#include <vector>

#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/Filters.h"
#include "host/HostText.h"

namespace GAME {

namespace {

constexpr const char* kLevelCreatures = "Records/Creatures/Level/";

struct LevelPlacement {
    const char* record;
    Vec3 where;
};
// The proxy well away from the fight, the ambush beside the path between the player (at
// the origin) and the monster (10 along x).
constexpr LevelPlacement kLevel[] = {
    {"Records/Proxies/FieldProxy.dbr", {40.0f, 0.0f, 0.0f}},
    {"Records/Proxies/PathAmbush.dbr", {5.0f, 0.0f, 14.0f}},
};
// The shore the bundled teleport loads (its region and landing, as the teleport gives
// them): the music changes where the player lands.
constexpr uint32_t kShoreRegionId = 2;
constexpr LevelPlacement kShoreMusic = {"Records/Volumes/ShoreMusic.dbr", {12.0f, 0.0f, -6.0f}};

bool PlaceLevelObject(const LevelPlacement& placement, Region* region)
{
    auto* entity = ObjectManager::Get().CreateObjectFromFile<Entity>(placement.record);
    if (!entity || !World::Get().AddEntity(entity, WorldCoords(region, Coords::MakeTranslation(placement.where)))) {
        std::printf("level: %s could not be placed\n", placement.record);
        return false;
    }
    std::printf("level: %s placed in region %u at (%.2f, %.2f, %.2f)\n", placement.record, region->GetId(),
                placement.where.x, placement.where.y, placement.where.z);
    return true;
}

}  // namespace

bool HostProxies::Start(uint32_t playerId)
{
    const Player* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player || !player->GetRegion())
        return false;
    for (const LevelPlacement& placement : kLevel)
        if (!PlaceLevelObject(placement, player->GetRegion()))
            return false;
    m_serving = true;
    return true;
}

// The shore is loaded only when the teleport takes the player there.
void HostProxies::PlaceShoreVolume()
{
    if (!m_serving || m_shoreMusicPlaced)
        return;
    if (Region* shore = World::Get().GetRegionById(kShoreRegionId))
        m_shoreMusicPlaced = PlaceLevelObject(kShoreMusic, shore);
}

void HostProxies::AfterFrame(int frame)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, FilterGetSpawnObjects(), EntityList_All);
    for (Entity* entity : found) {
        const auto* monster = DynamicCast<Monster>(entity);
        if (!monster || monster->GetObjectName().rfind(kLevelCreatures, 0) != 0 ||
            !m_seen.insert(monster->GetObjectId()).second)
            continue;
        const Vec3 at = monster->GetCoords().GetRegionCoords().origin;
        std::printf("level: frame %d: monster %u %s at (%.2f, %.2f, %.2f)\n", frame, monster->GetObjectId(),
                    HostName(monster).c_str(), at.x, at.y, at.z);
    }
    PlaceShoreVolume();
    const std::string& music = Jukebox::Get().GetMusicPlaylist();
    if (music != m_music) {
        m_music = music;
        std::printf("level: frame %d: the music playlist is now %s\n", frame, music.c_str());
    }
}

}  // namespace GAME
