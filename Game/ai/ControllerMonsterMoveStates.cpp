// The monster's movement states: roaming round its spawn point, wandering round its
// leader, patrolling, going home, following and guarding a leader, and going where the
// leader sends it.
#include "Game/ai/ControllerMonsterStates.h"

#include <limits>

#include "Engine/Engine.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/foundation/InstanceEntity.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"

namespace GAME {

namespace {
// A patrol point this near the monster is where it already stands.
constexpr float kPatrolPointReached = 1.0f;
}  // namespace

// ---- Roam -------------------------------------------------------------------------------------

bool ControllerMonsterStateRoam::StartRoaming()
{
    Monster* monster = GetCharacter();
    if (!monster)
        return false;
    const ControllerMonster::Keys& keys = GetController()->GetKeys();
    WorldVec3 point;
    if (!PickRandomPointInVicinity(point, *monster, monster->GetSpawnPoint().GetPosition(), 2.0f * monster->GetExtents(),
                                   keys.roamDistance, keys.minRoamDistance, keys.maxYViewDistance))
        return false;
    return StartMove(GetController()->GetClosestMovePoint(point), 0, 0, true);
}

void ControllerMonsterStateRoam::OnBegin()
{
    if (!StartRoaming())
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateRoam::OnEnd() { GetController()->ReleaseMoveGoal(); }

void ControllerMonsterStateRoam::EndOfPathReached()
{
    if (EndOfPathFromStart())
        return;
    if (GAME::rand() % 100 >= kRoamAgainChance || !StartRoaming())
        SetState("Idle", ControllerAIStateData());
}

// ---- Wander -----------------------------------------------------------------------------------

void ControllerMonsterStateWander::OnBegin()
{
    Monster* monster = GetCharacter();
    Character* leader = ValidateObjectId(GetLeaderId(), "FollowLeader");
    WorldVec3 point;
    if (monster && leader) {
        const ControllerMonster::Keys& keys = GetController()->GetKeys();
        if (PickRandomPointInVicinity(point, *monster, leader->GetPathPosition(),
                                      monster->GetExtents() + leader->GetExtents(), keys.wanderDistance,
                                      keys.minWanderDistance, keys.maxYViewDistance) &&
            StartMove(GetController()->GetClosestMovePoint(point), 0, 0, true))
            return;
    }
    SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateWander::OnEnd() { GetController()->ReleaseMoveGoal(); }

bool ControllerMonsterStateWander::LeaderCheck()
{
    const uint32_t leaderId = GetLeaderId();
    Character* leader = ValidateObjectId(leaderId, "Wander");
    Monster* monster = GetCharacter();
    if (!leader || !monster) {
        SetState("Idle", ControllerAIStateData());
        return true;
    }
    if (WorldDistance(leader->GetPathPosition(), monster->GetPathPosition()) > GetController()->GetWanderDistance()) {
        SetState("Return", Data(0, leaderId));
        return true;
    }
    return false;
}

void ControllerMonsterStateWanderPause::OnBegin()
{
    Idle();
    m_pauseMs = 3 + GAME::rand() % 9997;
}

void ControllerMonsterStateWanderPause::OnUpdate(int elapsedMs)
{
    if (LeaderCheck())
        return;
    m_pauseMs -= elapsedMs;
    if (m_pauseMs < 0)
        SetState("Wander", ControllerAIStateData());
}

// ---- Return -----------------------------------------------------------------------------------

void ControllerMonsterStateReturn::OnBegin()
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    if (!monster)
        return;
    if (const uint32_t leader = GetLeaderId()) {
        SetState("FollowLeader", Data(0, leader));
        return;
    }
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const WorldVec3 home = controller.GetHomePosition();
    if (keys.maxPursuitDistance != 0.0f && WorldDistance(monster->GetPathPosition(), home) > keys.maxPursuitDistance &&
        monster->CanMoveTo(home, kMonsterMoveTolerance)) {
        controller.ClearAnger();
        MoveTo(home, 0, 0);
        return;
    }
    const uint32_t hated = controller.GetMostHatedEnemy();
    if (controller.IsEnemyValid(hated)) {
        SetState("Pursue", Data(hated, 0, controller.ChooseBestSkill(hated, false)));
        return;
    }
    if (monster->AlreadyThere(home)) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    const WorldVec3 spawn = monster->GetSpawnPoint().GetPosition();
    if (!monster->CanMoveTo(spawn, kMonsterMoveTolerance)) {
        gEngine->Log(LOG_ERROR, "Monster %s can't return home.", monster->GetObjectName().c_str());
        monster->SetSpawnPoint(monster->GetCoords());
        SetState("Idle", ControllerAIStateData());
        return;
    }
    if (!StartMove(spawn, 0, 0, ShouldWalk()))
        SetState("Idle", ControllerAIStateData());
}

// ---- Patrol -----------------------------------------------------------------------------------

void ControllerMonsterStatePatrol::OnBegin()
{
    m_idleMs = 0;
    ControllerMonster& controller = *GetController();
    const std::vector<UniqueId>& points = controller.GetPatrolPoints();
    Monster* monster = GetCharacter();
    if (monster && !points.empty()) {
        // The nearest point that still exists becomes the current one.
        const WorldVec3 from = monster->GetPathPosition();
        size_t nearest = points.size();
        float best = std::numeric_limits<float>::max();
        for (size_t i = 0; i < points.size(); ++i) {
            WorldVec3 position;
            if (!GetInstanceEntityPosition(points[i], position))
                continue;
            const float distance = WorldDistance(from, position);
            if (distance < best) {
                best = distance;
                nearest = i;
            }
        }
        if (nearest < points.size()) {
            controller.SetCurrentPatrolPoint(nearest);
            if (MoveToCurrentPoint()) {
                if (controller.GetKeys().leaderBehavior == Lead_OnPatrol)
                    CallForFollowers();
                return;
            }
        }
    }
    SetState("Return", ControllerAIStateData());
}

bool ControllerMonsterStatePatrol::MoveToCurrentPoint()
{
    ControllerMonster& controller = *GetController();
    const std::vector<UniqueId>& points = controller.GetPatrolPoints();
    Monster* monster = GetCharacter();
    if (!monster || points.empty())
        return false;
    const size_t start = controller.GetCurrentPatrolPoint() % points.size();
    size_t index = start;
    do {
        WorldVec3 position;
        if (GetInstanceEntityPosition(points[index], position) &&
            WorldDistance(position, monster->GetPathPosition()) > kPatrolPointReached &&
            monster->CanMoveTo(position, kMonsterMoveTolerance))
            return StartMove(position, 0, 0, true);
        index = (index + 1) % points.size();
    } while (index != start);
    return false;
}

void ControllerMonsterStatePatrol::MoveToNextPoint()
{
    ControllerMonster& controller = *GetController();
    const size_t count = controller.GetPatrolPoints().size();
    if (count != 0)
        controller.SetCurrentPatrolPoint((controller.GetCurrentPatrolPoint() + 1) % count);
    if (!MoveToCurrentPoint())
        SetState("Return", ControllerAIStateData());
}

void ControllerMonsterStatePatrol::EndOfPathReached()
{
    if (EndOfPathFromStart())
        return;
    const ControllerMonster::Keys& keys = GetController()->GetKeys();
    m_idleMs = static_cast<uint32_t>(GAME::rand() % 100) < keys.chanceToIdleOnPatrol ? GetController()->GetPatrolIdleTime() : 0;
    if (m_idleMs != 0)
        Idle();
    else
        MoveToNextPoint();
}

void ControllerMonsterStatePatrol::OnUpdate(int elapsedMs)
{
    if (m_idleMs <= 0)
        return;
    m_idleMs -= elapsedMs;
    if (m_idleMs < 1) {
        m_idleMs = 0;
        MoveToNextPoint();
    }
}

// ---- Following and guarding a leader ------------------------------------------------------------

void ControllerMonsterStateLeaderBound::AllyDied(uint32_t allyId)
{
    const bool current = allyId == GetCurrentAlly();
    DefaultAllyDiedResponse(allyId);
    if (current)
        SetState("Return", ControllerAIStateData());
}

void ControllerMonsterStateLeaderBound::TeleportWhenFar(Character& leader)
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    const float limit = controller.GetTeleportToLeaderDistance();
    if (monster && controller.CanMove() && limit != 0.0f &&
        WorldDistance(leader.GetPathPosition(), monster->GetPathPosition()) > limit)
        controller.TeleportToLeader(&leader);
}

bool ControllerMonsterStateLeaderBound::FollowPointFor(Character& leader, WorldVec3& point)
{
    Monster* monster = GetCharacter();
    if (!monster)
        return false;
    point = monster->GetMoveToPoint(GetCurrentAlly(), 0, leader.GetPathPosition());
    return point.IsValid() && !monster->AlreadyThere(point);
}

void ControllerMonsterStateFollowLeader::OnBegin()
{
    const uint32_t ally = GetCurrentAlly();
    Character* leader = ValidateObjectId(GetLeaderId(), "FollowLeader");
    if (!leader || !leader->IsAlive()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    WorldVec3 point;
    Monster* monster = GetCharacter();
    if (FollowPointFor(*leader, point) && monster->CanMoveTo(point, kMonsterMoveTolerance) &&
        StartMove(point, ally, 0, false))
        return;
    SetState("DefendLeader", Data(0, ally));
}

void ControllerMonsterStateFollowLeader::OnUpdate(int /*elapsedMs*/)
{
    if (!IsAlive(GetCurrentAlly())) {
        SetState("Return", ControllerAIStateData());
        return;
    }
    if (Character* leader = ObjectManager::Get().GetObject<Character>(GetLeaderId()))
        TeleportWhenFar(*leader);
}

void ControllerMonsterStateDefendLeader::OnBegin()
{
    Character* ally = ValidateObjectId(GetCurrentAlly(), "DefendLeader");
    if (!ally || !ally->IsAlive()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    m_distanceTestMs = 300 + GAME::rand() % 400;
    Idle();
    m_wanderMs = 3000 + GAME::rand() % 7000;
}

void ControllerMonsterStateDefendLeader::OnUpdate(int elapsedMs)
{
    Character* leader = ValidateObjectId(GetLeaderId(), "DefendLeader");
    if (!leader || !leader->IsAlive()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    TeleportWhenFar(*leader);
    if (GetController()->GetExecutingState() != this)
        return;
    m_distanceTestMs -= elapsedMs;
    if (m_distanceTestMs < 0) {
        WorldVec3 point;
        if (FollowPointFor(*leader, point)) {
            SetState("FollowLeader", Data(0, leader->GetObjectId()));
            return;
        }
        m_distanceTestMs = 300 + GAME::rand() % 400;
    }
    m_wanderMs -= elapsedMs;
    if (m_wanderMs < 0)
        SetState("Wander", ControllerAIStateData());
}

// ---- Move -------------------------------------------------------------------------------------

void ControllerMonsterStateMove::OnBegin()
{
    Monster* monster = GetCharacter();
    const WorldVec3 point = GetController()->GetMoveTerrainPoint();
    if (monster && point.IsValid() && monster->CanMoveTo(point, kMonsterMoveTolerance)) {
        monster->PlayNetSound(monster->GetPetAcknowledgeSound());
        if (StartMove(point, 0, 0, false))
            return;
    }
    SetState("Idle", ControllerAIStateData());
}

}  // namespace GAME
