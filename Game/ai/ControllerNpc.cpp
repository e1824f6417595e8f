#include "Game/ai/ControllerNpc.h"

#include <cmath>

#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Game/ai/ControllerNpcStates.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerNpc2, ControllerAI)
GAME_IMPLEMENT_CLASS(ControllerNpcHerdAnimal, ControllerAI)

namespace {

// A radius from a record: a broken value (negative, not finite, absurd) gives 0.
float NpcRadius(float value) { return value >= 0.0f && value < 1.0e6f ? value : 0.0f; }

// Seconds' worth of milliseconds from a record, truncated; held to about eleven days.
int NpcIdleMs(float value) { return value > 0.0f ? static_cast<int>(std::fmin(value, 1.0e9f)) : 0; }

}  // namespace

ControllerNpc2::ControllerNpc2() { SetIgnoreEquipmentRequirements(true); }

ControllerNpc2::~ControllerNpc2() = default;

void ControllerNpc2::Load(const LoadTable& table)
{
    ControllerAI::Load(table);
    m_socialRadius = NpcRadius(table.GetFloat("npcSocialRadius", 0.0f));
    m_alertRadius = NpcRadius(table.GetFloat("npcAlertRadius", 0.0f));
    m_idleTimeMin = NpcIdleMs(table.GetFloat("npcIdleTimeMin", 0.0f));
    m_idleTimeMax = NpcIdleMs(table.GetFloat("npcIdleTimeMax", 0.0f));
}

void ControllerNpc2::PostParentAttached()
{
    ControllerAI::PostParentAttached();
    const Npc* npc = ObjectManager::Get().GetObject<Npc>(GetParentId());
    if (!npc || npc->GetUniqueId() == UniqueId())
        return;
    if (!InstanceGroupManager::Get().GetNestedMembers(npc->GetUniqueId(), kWanderersGroupType, kWanderPointsGroupType,
                                                      kMaxWanderPoints, m_wanderPoints))
        gEngine->Log(LOG_WARNING, "Npc %s has more than %zu wander points; the first %zu are kept",
                     npc->GetObjectName().c_str(), kMaxWanderPoints, kMaxWanderPoints);
}

void ControllerNpc2::RegisterStates()
{
    AddState("Idle", new ControllerNpcStateIdle(*this));
    AddState("LongIdle", new ControllerNpcStateLongIdle(*this));
    AddState("Wander", new ControllerNpcStateWander(*this));
    AddState("Chat", new ControllerNpcStateChat(*this));
    AddState("WatchAttraction", new ControllerNpcStateWatchAttraction(*this));
    AddState("QuestMove", new ControllerNpcStateQuestMove(*this));
    AddState("QuestWalk", new ControllerNpcStateQuestWalk(*this));
    AddState("QuestPlayAnimation", new ControllerNpcStateQuestPlayAnimation(*this));
}

void ControllerNpc2::InitializeStates() { SetState("Idle", ControllerAIStateData()); }

void ControllerNpc2::DebugRender()
{
    ControllerAI::DebugRender();
    PushDebugRenderText(std::string(16, '-'));
    ControllerAIState* wander = GetState("Wander");
    if (wander && wander != GetExecutingState())
        wander->DebugRender();
}

void ControllerNpc2::OnDebugRenderClick()
{
    m_debugRenderClicked = !m_debugRenderClicked;
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetParentId()))
        npc->OnDebugRenderClick();
}

void ControllerNpc2::GetPlayersInRadius(float radius, std::vector<uint32_t>& out) const
{
    const Character* character = GetParentCharacter();
    if (!character || !(radius > 0.0f))
        return;
    const WorldVec3 at = character->GetCoords().GetPosition();
    std::vector<Entity*> near;
    World::Get().GetEntitiesInSphere(near, at.GetRegion(), Sphere{at.GetRegionPosition(), radius}, EntityList_All);
    for (const Entity* entity : near)
        if (DynamicCast<Player>(entity))
            out.push_back(entity->GetObjectId());
}

uint32_t ControllerNpc2::GetSocialTarget() const
{
    const Character* character = GetParentCharacter();
    if (!character)
        return 0;
    const WorldVec3 at = character->GetCoords().GetPosition();
    std::vector<uint32_t> players;
    GetPlayersInRadius(m_socialRadius, players);
    if (!players.empty())
        return FindClosestActor(at, players);
    GetPlayersInRadius(m_alertRadius, players);
    m_alert = !players.empty();
    return m_alert ? FindClosestActor(at, players) : 0;
}

// ---- Herd animals ------------------------------------------------------------------------

ControllerNpcHerdAnimal::ControllerNpcHerdAnimal() = default;
ControllerNpcHerdAnimal::~ControllerNpcHerdAnimal() = default;

void ControllerNpcHerdAnimal::Load(const LoadTable& table) { ControllerCombat::Load(table); }

void ControllerNpcHerdAnimal::RegisterStates() { AddState("FollowHerd", new ControllerNpcAnimalStateFollowHerd(*this)); }

void ControllerNpcHerdAnimal::RegisterTemporaryStates()
{
    AddTemporaryState("Wiggle", static_cast<ControllerAIState*>(new ControllerNpcAnimalStateWiggle(*this)));
}

void ControllerNpcHerdAnimal::InitializeStates() { SetState("FollowHerd", ControllerAIStateData()); }

}  // namespace GAME
