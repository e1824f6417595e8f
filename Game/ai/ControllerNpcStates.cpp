#include "Game/ai/ControllerNpcStates.h"

#include <cmath>
#include <limits>

#include "Engine/Entity.h"
#include "Engine/Name.h"
#include "Game/ai/ControllerNpc.h"
#include "Game/ai/ControllerNpcHerder.h"
#include "Game/characters/Npc.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/NpcWanderPoint.h"

namespace GAME {

namespace {

constexpr float kNpcReachTolerance = 0.5f;

// The wander point placed under that identity, if it is in the world.
NpcWanderPoint* FindWanderPoint(const UniqueId& id)
{
    class ByUniqueId : public FilterFunction<Entity> {
    public:
        explicit ByUniqueId(const UniqueId& id) : m_id(id) {}
        bool operator()(const Entity* entity) const override
        {
            const auto* point = DynamicCast<NpcWanderPoint>(entity);
            return point && point->GetUniqueId() == m_id;
        }

    private:
        const UniqueId& m_id;
    };
    std::vector<Entity*> found;
    World::Get().GetEntities(found, ByUniqueId(id), EntityList_All);
    return found.empty() ? nullptr : DynamicCast<NpcWanderPoint>(found.front());
}

ControllerAIStateData NpcStateAlly(uint32_t allyId) { return ControllerAIStateData(0, allyId, 0, WorldVec3()); }

}  // namespace

// ---- Quest commands, the same in every state ---------------------------------------------

void ControllerNpcStateBase::QuestCommandMove(uint32_t, const WorldVec3& point)
{
    GetController()->SetMoveTerrainPoint(point);
    SetState("QuestMove", ControllerAIStateData());
}

void ControllerNpcStateBase::QuestCommandWalk(uint32_t, const WorldVec3& point)
{
    Npc* npc = GetCharacter();
    if (!npc || !npc->CanMoveTo(point, kNpcReachTolerance))
        return;
    GetController()->SetMoveTerrainPoint(point);
    SetState("QuestWalk", ControllerAIStateData());
}

void ControllerNpcStateBase::QuestCommandPlayAnimation(AnimationSet_Type animation, bool looping)
{
    GetController()->SetQuestAnimation(animation, looping);
    SetState("QuestPlayAnimation", ControllerAIStateData());
}

bool ControllerNpcStateBase::ChatWithSocialTarget()
{
    const Npc* npc = GetCharacter();
    const uint32_t target = npc ? npc->GetSocialTarget() : 0;
    if (target == 0)
        return false;
    SetState("Chat", NpcStateAlly(target));
    return true;
}

int ControllerNpcStateBase::DrawIdleWait() const
{
    return RandomInt(GetController()->GetIdleTimeMin(), GetController()->GetIdleTimeMax());
}

// ---- Idle, long idle, chat ---------------------------------------------------------------

void ControllerNpcStateIdle::OnBegin()
{
    Idle();
    m_wait = DrawIdleWait();
}

void ControllerNpcStateIdle::OnUpdate(int elapsedMs)
{
    const Npc* npc = GetCharacter();
    if (!npc || ChatWithSocialTarget())
        return;
    m_wait -= elapsedMs;
    if (m_wait <= 0)
        SetState(npc->CanWalk() ? "Wander" : "LongIdle", ControllerAIStateData());
}

void ControllerNpcStateIdle::DebugRender()
{
    GetController()->PushDebugRenderText("Wait Time: " + std::to_string(m_wait));
}

void ControllerNpcStateLongIdle::OnBegin()
{
    LongIdle();
    m_wait = DrawIdleWait();
}

void ControllerNpcStateLongIdle::OnUpdate(int elapsedMs)
{
    if (!GetCharacter() || ChatWithSocialTarget())
        return;
    m_wait -= elapsedMs;
    if (m_wait <= 0)
        SetState("Idle", ControllerAIStateData());
}

void ControllerNpcStateChat::OnBegin() { Chat(GetCurrentAlly()); }

void ControllerNpcStateChat::OnUpdate(int)
{
    const Npc* npc = GetCharacter();
    if (npc && npc->GetSocialTarget() == 0)
        SetState("Idle", ControllerAIStateData());
}

// ---- Wander ------------------------------------------------------------------------------

void ControllerNpcStateWander::OnBegin()
{
    const Npc* npc = GetCharacter();
    unsigned closest = 0;
    if (npc && npc->CanWalk() && FindClosestPoint(closest)) {
        GetController()->SetCurrentWanderPoint(closest);
        if (WalkToCurrentPoint()) {
            m_attraction = 0;
            m_attractionCountdown = kFirstAttractionSearchMs;
            return;
        }
    }
    SetState("Idle", ControllerAIStateData());
}

bool ControllerNpcStateWander::FindClosestPoint(unsigned& index)
{
    const Npc* npc = GetCharacter();
    const std::vector<UniqueId>& points = GetController()->GetWanderPoints();
    if (!npc || points.empty())
        return false;
    const Vec3 at = npc->GetCoords().GetPosition().ToWorldSpace();
    float best = std::numeric_limits<float>::infinity();
    bool found = false;
    for (unsigned i = 0; i < points.size(); ++i) {
        const NpcWanderPoint* point = FindWanderPoint(points[i]);
        if (!point)
            continue;
        const float distance = (point->GetCoords().GetPosition().ToWorldSpace() - at).Length();
        if (distance < best) {
            best = distance;
            index = i;
            found = true;
        }
    }
    return found;
}

bool ControllerNpcStateWander::WalkToCurrentPoint()
{
    Npc* npc = GetCharacter();
    const std::vector<UniqueId>& points = GetController()->GetWanderPoints();
    if (!npc || points.empty())
        return false;
    const unsigned start = GetController()->GetCurrentWanderPoint();
    const NpcWanderPoint* marker = nullptr;
    for (size_t step = 0; step < points.size() && !marker; ++step)
        marker = FindWanderPoint(points[(start + step) % points.size()]);
    if (!marker || !marker->GetCoords().GetRegion())
        return false;
    const float radius = marker->GetRadius();
    WorldVec3 goal = marker->GetCoords().GetPosition();
    Vec3 position = goal.GetRegionPosition();
    position.x += RandomFloat(-radius, radius);
    position.z += RandomFloat(-radius, radius);
    goal.SetRegionPosition(position);
    const float floor = World::Get().GetFloorHeightBelow(goal);
    if (std::isfinite(floor)) {
        position.y = floor;
        goal.SetRegionPosition(position);
    }
    if (!npc->CanMoveTo(goal, kNpcReachTolerance))
        return false;
    WalkTo(goal, 0);
    return true;
}

uint32_t ControllerNpcStateWander::FindAttraction()
{
    const Npc* npc = GetCharacter();
    if (!npc || !npc->CanBeAttracted())
        return 0;
    const WorldVec3 spawn = npc->GetSpawnPoint().GetPosition();
    std::vector<Entity*> near;
    World::Get().GetEntitiesInSphere(near, spawn.GetRegion(), Sphere{spawn.GetRegionPosition(), kAttractionRadius},
                                     EntityList_All);
    for (const Entity* entity : near) {
        const Npc* other = DynamicCast<Npc>(entity);
        if (other && other != npc && other->IsNpcAttractor())
            return other->GetObjectId();
    }
    return 0;
}

void ControllerNpcStateWander::OnUpdate(int elapsedMs)
{
    Npc* npc = GetCharacter();
    if (!npc || m_attraction != 0)
        return;
    m_attractionCountdown -= elapsedMs;
    if (m_attractionCountdown >= 0)
        return;
    const uint32_t attraction = FindAttraction();
    if (Character* attractor = attraction ? ObjectManager::Get().GetObject<Character>(attraction) : nullptr) {
        WorldVec3 slot;
        attractor->RequestDefenseSlot(slot, npc->GetObjectId(), false);
        if (slot.GetRegion() && npc->CanMoveTo(slot, kNpcReachTolerance)) {
            m_attraction = attraction;
            WalkTo(slot, attraction);
        }
    }
    m_attractionCountdown = GAME::rand() % 4001 + 1000;
}

void ControllerNpcStateWander::EndOfPathReached()
{
    if (m_attraction != 0) {
        SetState("WatchAttraction", NpcStateAlly(m_attraction));
        return;
    }
    ControllerNpc2& controller = *GetController();
    const size_t count = controller.GetWanderPoints().size();
    if (count != 0)
        controller.SetCurrentWanderPoint(static_cast<unsigned>((controller.GetCurrentWanderPoint() + 1) % count));
    if (!WalkToCurrentPoint())
        SetState("Idle", ControllerAIStateData());
}

void ControllerNpcStateWander::LostSlot() { SetState("Idle", ControllerAIStateData()); }

void ControllerNpcStateWander::DebugRender()
{
    GetController()->PushDebugRenderText("Attraction: " + std::to_string(m_attraction) +
                                         " Countdown: " + std::to_string(m_attractionCountdown));
}

// ---- Watching an attraction --------------------------------------------------------------

void ControllerNpcStateWatchAttraction::OnBegin()
{
    const Npc* attraction = ObjectManager::Get().GetObject<Npc>(GetCurrentAlly());
    if (!attraction) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    m_watch = attraction->GetAttractionTime();
    if (m_watch == 0)
        m_watch = GAME::rand() % 10001 + 10000;
}

void ControllerNpcStateWatchAttraction::OnUpdate(int elapsedMs)
{
    m_watch -= elapsedMs;
    if (m_watch < 0)
        SetState("Idle", ControllerAIStateData());
}

void ControllerNpcStateWatchAttraction::OnEnd()
{
    Character* attraction = ObjectManager::Get().GetObject<Character>(GetCurrentAlly());
    if (attraction)
        attraction->ReleaseDefenseSlot(GetController()->GetParentId());
}

void ControllerNpcStateWatchAttraction::LostSlot() { SetState("Idle", ControllerAIStateData()); }

// ---- Quest commands in progress ----------------------------------------------------------

void ControllerNpcStateQuestGo::OnBegin()
{
    Npc* npc = GetCharacter();
    if (!npc)
        return;
    const WorldVec3 point = GetController()->GetMoveTerrainPoint();
    if (npc->CanMoveTo(point, kNpcReachTolerance)) {
        if (m_walk)
            WalkTo(point, 0);
        else
            MoveTo(point, 0, 0);
        return;
    }
    npc->SetPathPosition(point);
    SetState("Idle", ControllerAIStateData());
}

void ControllerNpcStateQuestGo::OnEnd()
{
    if (Npc* npc = GetCharacter())
        npc->Enqueue(new QuestMoveCompletedConfigCmd(npc->GetObjectId()));
}

void ControllerNpcStateQuestGo::EndOfPathReached() { SetState("Idle", ControllerAIStateData()); }

void ControllerNpcStateQuestGo::QuestCommandMove(uint32_t id, const WorldVec3& point)
{
    if (m_walk)
        ControllerNpcStateBase::QuestCommandMove(id, point);
}

void ControllerNpcStateQuestGo::QuestCommandWalk(uint32_t id, const WorldVec3& point)
{
    if (!m_walk)
        ControllerNpcStateBase::QuestCommandWalk(id, point);
}

void ControllerNpcStateQuestPlayAnimation::OnBegin()
{
    const ControllerNpc2& controller = *GetController();
    PlayAnimation(controller.GetQuestAnimation(), Name(), 1.0f, controller.GetQuestAnimationLooping(), 0);
}

void ControllerNpcStateQuestPlayAnimation::OnUpdate(int) { ChatWithSocialTarget(); }

void ControllerNpcStateQuestPlayAnimation::HandleEvent(const Name& event)
{
    if (event == Actor::EndEvent() && !GetController()->GetQuestAnimationLooping())
        SetState("Idle", ControllerAIStateData());
}

void ControllerNpcStateQuestPlayAnimation::OnEnd()
{
    if (Npc* npc = GetCharacter())
        npc->Enqueue(new QuestAnimationCompletedConfigCmd(npc->GetObjectId()));
}

// ---- Alert -------------------------------------------------------------------------------

void ControllerNpcStateAlert::OnBegin()
{
    if (Npc* npc = GetCharacter())
        npc->SetChatEnable(true);
}

void ControllerNpcStateAlert::OnEnd()
{
    if (Npc* npc = GetCharacter())
        npc->SetChatEnable(false);
}

void ControllerNpcStateAlert::OnUpdate(int)
{
    if (GetController()->GetSocialTarget() == 0)
        SetState("Idle", ControllerAIStateData());
}

// ---- Herds -------------------------------------------------------------------------------

void ControllerNpcAnimalStateWiggle::OnBegin() { this->Idle(); }

void ControllerNpcAnimalStateWiggle::HandleEvent(const Name& event)
{
    if (event == Actor::EndEvent())
        this->SetDone(true);
}

}  // namespace GAME
