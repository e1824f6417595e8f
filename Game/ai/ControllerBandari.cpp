#include "Game/ai/ControllerBandari.h"

#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/ObjectManager.h"
#include "Engine/UniqueIdMap.h"
#include "Game/ai/ControllerTerracotta.h"
#include "Game/characters/Monster.h"
#include "Game/world/Proxy.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerVudezuv, ControllerMonster)
GAME_IMPLEMENT_CLASS(ControllerAlly, ControllerMonster)
GAME_IMPLEMENT_CLASS(ControllerBandari, ControllerMonster)

namespace {

constexpr const char* kBandariGroup = "Bandari";
constexpr const char* kBandariPointsGroup = "Bandari Teleport Points";
constexpr const char* kWarriorsGroup = "Terracotta Warriors";

// The warrior's controller marches, when it is a warrior's.
void MarchMonster(uint32_t monsterId)
{
    const auto* monster = ObjectManager::Get().GetObject<Monster>(monsterId);
    if (!monster)
        return;
    if (auto* warrior = ObjectManager::Get().GetObject<ControllerTerracotta>(monster->GetControllerId()))
        warrior->AttackMarch();
}

}  // namespace

void ControllerVudezuv::Load(const LoadTable& table)
{
    ControllerCombat::Load(table);
}

void ControllerBandari::PostParentAttached()
{
    ControllerMonster::PostParentAttached();
    // A placed monster is found by its own unique id, one from a proxy by the proxy's.
    UniqueId holder;
    if (!UniqueIdMap::Get().FindUniqueId(GetParentId(), holder)) {
        const Proxy* proxy = GetProxy();
        if (!proxy)
            return;
        holder = proxy->GetUniqueId();
    }
    // The teleport points are the members of the "points" groups nested in the monster's group.
    constexpr size_t kMaxTeleportPoints = 256;
    m_points.clear();
    if (!InstanceGroupManager::Get().GetNestedMembers(holder, kBandariGroup, kBandariPointsGroup, kMaxTeleportPoints,
                                                      m_points))
        gEngine->Log(LOG_WARNING, "Bandari has more than %zu teleport points; the first %zu are kept", kMaxTeleportPoints,
                     kMaxTeleportPoints);
}

void ControllerBandari::InitialUpdate()
{
    ControllerMonster::InitialUpdate();
    if (const Character* monster = GetParentCharacter())
        m_startingLife = monster->GetCurrentLife();
}

bool ControllerBandari::IsBelowNextThreshold(float life) const
{
    const size_t count = m_points.size();
    if (m_next >= count || !(m_startingLife > 0.0f))
        return false;
    const float threshold = static_cast<float>(count - m_next) / static_cast<float>(count + 1);
    return life / m_startingLife < threshold;
}

void ControllerBandari::Update(int elapsedMs)
{
    ControllerMonster::Update(elapsedMs);
    if (!m_armed)
        return;
    const Character* monster = GetParentCharacter();
    if (monster && IsBelowNextThreshold(monster->GetCurrentLife()))
        TeleportToNextPoint();
}

bool ControllerBandari::ClosestEnemyFoundOverride(uint32_t /*enemyId*/, float /*distance*/)
{
    if (!m_armed || m_next >= m_points.size())
        return false;
    return TeleportToNextPoint();
}

void ControllerBandari::Teleported(const WorldCoords& coords)
{
    m_armed = true;
    if (Character* monster = GetParentCharacter())
        monster->SetSpawnPoint(coords);
    ClearAnger();
}

bool ControllerBandari::TeleportToNextPoint()
{
    if (m_next >= m_points.size())
        return false;
    const UniqueId& pointId = m_points[m_next];
    const Entity* point = UniqueIdMap::Get().GetEntity(pointId);
    if (!point)
        return false;
    SetWarriorsMarching(pointId);
    AddTemporaryState("UseSkillOnPoint",
                      ControllerAIStateData(0, 0, GetSpecialAttack5SkillId(), point->GetCoords().GetPosition()));
    ++m_next;
    m_armed = false;
    return true;
}

void ControllerBandari::SetWarriorsMarching(const UniqueId& point)
{
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    std::vector<uint32_t> marching;
    std::vector<const InstanceGroup*> holding;
    groups.LockGroupList();
    groups.GetGroupsThatContain(point, holding);
    for (const InstanceGroup* pointsGroup : holding) {
        if (pointsGroup->type != kBandariPointsGroup)
            continue;
        for (const InstanceGroup* warriors : pointsGroup->children) {
            if (warriors->type != kWarriorsGroup)
                continue;
            for (const UniqueId& member : warriors->members) {
                Entity* placed = UniqueIdMap::Get().GetEntity(member);
                if (DynamicCast<Monster>(placed))
                    marching.push_back(placed->GetObjectId());
                else if (const auto* proxy = DynamicCast<Proxy>(placed))
                    proxy->GetPlacedObjects(marching);
            }
        }
    }
    groups.UnlockGroupList();
    for (uint32_t monsterId : marching)
        MarchMonster(monsterId);
}

}  // namespace GAME
