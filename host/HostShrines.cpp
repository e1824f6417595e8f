#include "host/HostShrines.h"

#include <cstdio>
#include <string>

#include "Engine/EventManager.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/world/StrategicMovementRespawnShrine.h"
#include "Game/world/StrategicMovementTeleportShrine.h"

namespace GAME {

namespace {

constexpr const char* kRespawnRecord = "Records/Host/RespawnShrine.dbr";
constexpr const char* kTeleportRecord = "Records/Host/TeleportShrine.dbr";
// Both hosts give the shrines these identities, so a player's lists name the same places.
constexpr uint32_t kRespawnUid = 0x5348524E;
constexpr uint32_t kTeleportUid = 0x53485254;
constexpr float kShrineOffset = 2.0f;   // beside the player, within the bind distance

const char* StateName(int state)
{
    static const char* const kNames[] = {"none", "editor", "unqualified", "dormant", "active"};
    return state >= 0 && state <= static_cast<int>(StrategicMovementBase::kLastState) ? kNames[state] : "?";
}

// A shrine of the record beside `where`, known to the level's map data.
StrategicMovementBase* PlaceShrine(const char* record, uint32_t uid, const WorldVec3& where, float offset)
{
    auto* shrine = ObjectManager::Get().CreateObjectFromFile<StrategicMovementBase>(record);
    if (!shrine)
        return nullptr;
    UniqueId id;
    id.SetPart(0, uid);
    shrine->SetUniqueId(id);
    Vec3 position = where.GetRegionPosition();
    position.x += offset;
    InstanceGroupManager::Get().RegisterEntityData(id, {where.GetRegionId(), position});
    if (!World::Get().AddEntity(shrine, WorldCoords(where.GetRegion(), Coords::MakeTranslation(position)))) {
        ObjectManager::Get().DestroyObjectEx(shrine, "HostShrines", __LINE__);
        return nullptr;
    }
    return shrine;
}

}  // namespace

// Prints the teleport menu the shrine opens.
struct HostShrines::Menu : EventHandlerInterface {
    void HandleEvent(const GameEvent& event, const Name&) override
    {
        std::printf("gamehost: the teleport menu opens at shrine %u\n",
                    static_cast<const GameEvent_ActivateTeleportMenu&>(event).objectId);
    }
};

HostShrines::HostShrines() : m_menu(std::make_unique<Menu>()) {}

HostShrines::~HostShrines() { EventManager::Get().UnRegisterAll(m_menu.get()); }

bool HostShrines::Start(uint32_t playerId)
{
    const Player* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player || !player->IsInWorld())
        return false;
    m_playerId = playerId;
    // No heal: the shrines stand beside the fight and must not change it.
    RecordDatabase::Get().RegisterRecord(kRespawnRecord, "Class,StrategicMovementRespawnShrine,\nbindDistance,5,\n");
    RecordDatabase::Get().RegisterRecord(kTeleportRecord,
                                         "Class,StrategicMovementTeleportShrine,\nbindDistance,5,\nlightFadeInTime,1,\n");
    const WorldVec3 where = player->GetCoords().GetPosition();
    const StrategicMovementBase* respawn = PlaceShrine(kRespawnRecord, kRespawnUid, where, kShrineOffset);
    const StrategicMovementBase* teleport = PlaceShrine(kTeleportRecord, kTeleportUid, where, -kShrineOffset);
    if (!respawn || !teleport)
        return false;
    m_respawnId = respawn->GetObjectId();
    m_teleportId = teleport->GetObjectId();
    EventManager::Get().Register("GameEvent_ActivateTeleportMenu", m_menu.get());
    std::printf("gamehost: a respawn shrine and a teleport shrine stand beside the player\n");
    return true;
}

void HostShrines::AfterFrame(int frame)
{
    ObjectManager& objects = ObjectManager::Get();
    const auto* respawn = objects.GetObject<StrategicMovementRespawnShrine>(m_respawnId);
    auto* teleport = objects.GetObject<StrategicMovementTeleportShrine>(m_teleportId);
    Player* player = objects.GetObject<Player>(m_playerId);
    if (!respawn || !teleport || !player)
        return;
    if (static_cast<int>(respawn->GetState()) != m_respawnState) {
        m_respawnState = static_cast<int>(respawn->GetState());
        std::printf("shrines: frame %d: the respawn shrine is %s; it %s the player's respawn point\n", frame,
                    StateName(m_respawnState), player->IsCurrentRespawnPoint(respawn->GetUniqueId()) ? "is" : "is not");
    }
    if (static_cast<int>(teleport->GetState()) != m_teleportState) {
        m_teleportState = static_cast<int>(teleport->GetState());
        std::printf("shrines: frame %d: the teleport shrine is %s; the player %s discovered it\n", frame,
                    StateName(m_teleportState), player->IsTeleportUIDKnown(teleport->GetUniqueId()) ? "has" : "has not");
    }
    if (!m_used && m_teleportState == StrategicMovementBaseState_Active) {
        m_used = true;
        teleport->RequestToUse(m_playerId);
    }
}

}  // namespace GAME
