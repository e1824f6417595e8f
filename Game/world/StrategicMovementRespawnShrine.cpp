#include "Game/world/StrategicMovementRespawnShrine.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementRespawnShrine, StrategicMovementBase)

void StrategicMovementRespawnShrine::Load(const LoadTable& table)
{
    StrategicMovementBase::Load(table);
    m_healthAbsolute = table.GetFloat("healthAbsolute", 0.0f);
    m_healthPercent = table.GetFloat("healthPercent", 0.0f);
}

StrategicMovementBaseState StrategicMovementRespawnShrine::DetermineStateFromPlayer() const
{
    const Player* player = FindLocalPlayer();
    if (!player)
        return StrategicMovementBaseState_None;
    return player->IsCurrentRespawnPoint(GetUniqueId()) ? StrategicMovementBaseState_Active
                                                        : StrategicMovementBaseState_Dormant;
}

// A shrine already known is made current by use, not by coming near.
bool StrategicMovementRespawnShrine::InstallOnPlayerProximity(Player& player)
{
    if (player.IsRespawnUIDKnown(GetUniqueId()))
        return false;
    player.AddRespawnUID(GetUniqueId());
    return true;
}

void StrategicMovementRespawnShrine::RequestToUse(uint32_t actorId)
{
    Player* player = ObjectManager::Get().GetObject<Player>(actorId);
    if (!player || !player->IsControllingCharacter() || GetState() != StrategicMovementBaseState_Dormant)
        return;
    player->AddRespawnUID(GetUniqueId());
    SetState(StrategicMovementBaseState_Active, false);
}

void StrategicMovementRespawnShrine::UpdateSelf(int elapsedMs)
{
    StrategicMovementBase::UpdateSelf(elapsedMs);
    if (IsInWorld())
        Update(elapsedMs);
}

void StrategicMovementRespawnShrine::Update(int /*elapsedMs*/)
{
    if ((gEngine && gEngine->IsEditorMode()) || !gGameEngine || !gGameEngine->IsServerOrSingle())
        return;
    m_healTimer -= GetElapsed();
    if (m_healTimer >= 1)
        return;
    m_healTimer = m_healInterval;
    if (m_healthPercent <= 0.0f && m_healthAbsolute <= 0.0f)
        return;
    std::vector<Entity*> near;
    World::Get().GetEntitiesInSphere(near, GetRegion(), Sphere{GetCoords().GetRegionCoords().origin, GetBindDistance()},
                                     EntityList_All);
    std::vector<uint32_t> ids;
    for (Entity* entity : near)
        if (DynamicCast<Character>(entity))
            ids.push_back(entity->GetObjectId());
    if (!ids.empty())
        Enqueue(new StrategicMovementTargetConfigCmd(GetObjectId(), ids));
}

void StrategicMovementRespawnShrine::HandleTargets(const std::vector<uint32_t>& targets)
{
    Bonus bonus;
    bonus.lifePoints = m_healthAbsolute;
    bonus.lifePercent = m_healthPercent;
    bonus.effectName = kHealEffect;
    bonus.source = GetObjectId();
    for (uint32_t id : targets)
        if (Character* character = ObjectManager::Get().GetObject<Character>(id))
            character->TakeBonus(bonus, true, PlayStatsLifeType_Unknown);
}

void StrategicMovementRespawnShrine::AppendDetailMapData(std::vector<MinimapGameNugget>& out) const
{
    AppendDetailMapNugget(kMinimapKind, out);
}

}  // namespace GAME
