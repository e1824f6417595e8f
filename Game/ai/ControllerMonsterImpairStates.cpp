// The states that take a monster out of its normal behaviour: flight, panic, paralysis,
// confusion, immobilisation, traps, stuns, fear, dying and death.
#include "Game/ai/ControllerMonsterStates.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/Skill.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {
// A friend this near is no shelter to flee to.
constexpr float kFleeFriendMinDistance = 3.0f;
constexpr int kParalysisMs = 4000;
constexpr int kParalysisSteps = 25;

// The unit vector from one position to another; zero when they coincide or either has
// no region.
Vec3 ImpairDirection(const WorldVec3& from, const WorldVec3& to)
{
    const Vec3 v = to - from;
    const float length = v.Length();
    return length > 0.0f ? v * (1.0f / length) : Vec3{};
}

// The position moved away along the direction by the distance, with the sideways jitter
// of a fleeing or scared monster.
WorldVec3 ImpairRunPoint(const WorldVec3& from, const Vec3& direction, float distance)
{
    const float r1 = RandomFloat(-1.0f, 1.0f);
    const float r2 = RandomFloat(-1.0f, 1.0f);
    WorldVec3 point = from;
    point.Translate(Vec3{direction.x * distance + r2, direction.y * distance, direction.z * distance + r1});
    return point;
}

bool ImpairSkillReady(const Skill& skill) { return static_cast<int>(skill.GetReason()) == 0; }
}  // namespace

// ---- Flee -------------------------------------------------------------------------------------

bool ControllerMonsterStateFlee::FindFleePoint(WorldVec3& out)
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!monster || !enemy)
        return false;
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const WorldVec3 own = monster->GetPathPosition();
    const Vec3 away = ImpairDirection(const_cast<Character*>(enemy)->GetPathPosition(), own);
    switch (keys.fleeTarget) {
    case FleeTarget_TowardsAllies: {
        const WorldVec3 home = controller.GetHomePosition();
        std::vector<Character*> friends;
        if (home.IsValid())
            controller.GetFriendsInSphere(friends, home.GetRegion(), Sphere{home.GetRegionPosition(), keys.roamDistance});
        for (Character* other : friends) {
            if (!DynamicCast<Monster>(other))
                continue;
            const WorldVec3 theirs = other->GetPathPosition();
            const Vec3 toFriend = theirs - own;
            if (!(Dot(away, toFriend) > 0.0f) || !(toFriend.Length() > kFleeFriendMinDistance))
                continue;
            const float extents = monster->GetExtents() + other->GetExtents();
            out = theirs;
            out.Translate(ImpairDirection(own, theirs) * RandomFloat(extents, 2.0f * extents));
            return true;
        }
        out = ImpairRunPoint(own, away, keys.fleeDistance);
        return true;
    }
    case FleeTarget_AwayFromEnemy:
        out = ImpairRunPoint(own, away, keys.fleeDistance);
        return true;
    case FleeTarget_TowardsHome:
        out = controller.GetHomePosition();
        return out.IsValid();
    default:
        return false;
    }
}

void ControllerMonsterStateFlee::OnBegin()
{
    ControllerMonster& controller = *GetController();
    controller.IncrementFleeCount();
    WorldVec3 point;
    Monster* monster = GetCharacter();
    m_fled = false;
    if (monster && FindFleePoint(point)) {
        monster->PlayNetSound(monster->GetFleeSound());
        m_fled = true;
        m_fleeMs = controller.GetFleeTime();
        if (StartMove(point, 0, 0, false))
            return;
    }
    SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateFlee::OnUpdate(int elapsedMs)
{
    m_fleeMs -= elapsedMs;
    if (m_fleeMs < 0)
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateFlee::OnEnd()
{
    ControllerMonster& controller = *GetController();
    controller.ResetFleeTimer();
    if (!m_fled)
        return;
    m_fled = false;
    const ControllerMonster::Keys& keys = controller.GetKeys();
    if (keys.clearAngerWhenFleeing)
        controller.ClearAnger();
    Monster* monster = GetCharacter();
    if (keys.resetOriginAfterFleeing && monster)
        monster->SetSpawnPoint(monster->GetCoords());
}

// ---- Panic ------------------------------------------------------------------------------------

void ControllerMonsterStatePanic::OnBegin()
{
    Monster* monster = GetCharacter();
    const Character* scarer = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (monster && scarer && scarer->IsAlive() && scarer->GetTeam().IsFoe(monster->GetTeam())) {
        const WorldVec3 own = monster->GetCoords().GetPosition();
        const Vec3 away = ImpairDirection(scarer->GetCoords().GetPosition(), own);
        WorldVec3 target = own;
        if (target.TranslateToFloor(away * kRunDistance) && monster->CanMoveTo(target, kMonsterMoveTolerance) &&
            StartMove(target, 0, 0, false))
            return;
    }
    SetState("Idle", ControllerAIStateData());
}

// ---- Paralyze ---------------------------------------------------------------------------------

void ControllerMonsterStateParalyze::OnBegin()
{
    PlayAnimation(AnimationSet_Stun, Name(), 1.0f, true, 1);
    Monster* monster = GetCharacter();
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!monster || !enemy) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    const float distance = WorldDistance(monster->GetCoords().GetPosition(), enemy->GetCoords().GetPosition());
    // The distance is bounded before it becomes an integer: a far or broken position
    // paralyses for the full time.
    const int steps = std::isfinite(distance) && distance < 1.0e6f ? static_cast<int>(distance) % kParalysisSteps : 0;
    m_paralysisMs = static_cast<int>((1.0 - steps * 0.04) * static_cast<double>(kParalysisMs));
}

void ControllerMonsterStateParalyze::OnUpdate(int elapsedMs)
{
    Monster* monster = GetCharacter();
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    m_paralysisMs -= elapsedMs;
    if (m_paralysisMs < 1)
        SetState("Panic", Data(GetCurrentEnemy()));
    if (!monster || !enemy)
        return;
    const WorldCoords own = monster->GetCoords();
    WorldCoords turned = own;
    monster->RotateTowards(elapsedMs, own.GetPosition() - enemy->GetCoords().GetPosition(), turned);
}

// ---- Confused ---------------------------------------------------------------------------------

void ControllerMonsterStateConfused::OnBegin()
{
    const uint32_t self = GetController()->GetParentId();
    if (Monster* monster = GetCharacter())
        monster->Enqueue(new StartStopDamageEffectConfigCmd(self, true, static_cast<CombatAttributeType>(kEffectType)));
    WalkRandomly();
    m_randomAttackMs = 1000 + GAME::rand() % 2000;
}

void ControllerMonsterStateConfused::WalkRandomly()
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    if (!monster || !controller.CanMove())
        return;
    WorldVec3 point;
    if (PickRandomPointInVicinity(point, *monster, controller.GetHomePosition(), 2.0f * monster->GetExtents(), 7.0f,
                                  1.0f, controller.GetKeys().maxYViewDistance))
        StartMove(point, 0, 0, monster->CanWalk());
}

void ControllerMonsterStateConfused::OnUpdate(int elapsedMs)
{
    ControllerMonster& controller = *GetController();
    controller.SetConfusedTime(controller.GetConfusedTime() - elapsedMs);
    if (controller.GetConfusedTime() < 0) {
        SetState("Return", ControllerAIStateData());
        return;
    }
    m_randomAttackMs -= elapsedMs;
    if (m_randomAttackMs >= 0)
        return;
    Monster* monster = GetCharacter();
    WorldVec3 point;
    if (monster && PickRandomPointInVicinity(point, *monster, controller.GetHomePosition(),
                                             2.0f * monster->GetExtents(), 5.0f, 1.0f,
                                             controller.GetKeys().maxYViewDistance))
        AddTemporaryState("UseSkillOnPoint", Data(0, 0, controller.ChooseBestSkill(0, false), point));
}

void ControllerMonsterStateConfused::OnEnd()
{
    const uint32_t self = GetController()->GetParentId();
    if (Monster* monster = GetCharacter())
        monster->Enqueue(new StartStopDamageEffectConfigCmd(self, false, static_cast<CombatAttributeType>(kEffectType)));
}

// ---- Immobile, trapped, stunned ---------------------------------------------------------------

void ControllerMonsterStateImmobile::OnBegin() { GetController()->Immobilize(); }

void ControllerMonsterStateTrapped::OnBegin() { GetController()->TakeTrap(); }

void ControllerMonsterStateTrapped::EndTrap()
{
    GetController()->RemoveTrap();
    SetState("Return", ControllerAIStateData());
}

void ControllerMonsterStateTrapped::EnemyFound(uint32_t enemyId)
{
    if (const uint32_t skill = GetController()->ChooseBestSkill(enemyId, true))
        SetState("TrappedAttack", Data(enemyId, 0, skill));
}

void ControllerMonsterStateTrappedAttack::OnBegin()
{
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!enemy) {
        SetState("Trapped", ControllerAIStateData());
        return;
    }
    UseSkill(GetCurrentEnemy(), const_cast<Character*>(enemy)->GetPathPosition(), GetCurrentSkillID(),
             static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
}

void ControllerMonsterStateTrappedAttack::HandleEvent(const Name& event)
{
    if (IsMonsterAnimationEnd(event))
        SetState("Trapped", ControllerAIStateData());
}

void ControllerMonsterStateTrappedAttack::EndTrap()
{
    GetController()->RemoveTrap();
    SetState("Return", ControllerAIStateData());
}

void ControllerMonsterStateStunned::OnBegin() { TakeStun(); }

// ---- Scared -----------------------------------------------------------------------------------

bool ControllerMonsterStateScared::FindRunToPoint(WorldVec3& out)
{
    Monster* monster = GetCharacter();
    Character* scarer = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!monster)
        return false;
    if (!scarer) {
        gEngine->Log(LOG_ERROR, "%s is scared of an invalid enemy.", monster->GetObjectName().c_str());
        return false;
    }
    const WorldVec3 own = monster->GetPathPosition();
    const Vec3 away = ImpairDirection(scarer->GetPathPosition(), own);
    const float distance = GetController()->GetFleeDistance();
    bool found = false;
    for (int attempt = 0; attempt < 5 && !found; ++attempt) {
        const WorldVec3 moved = ImpairRunPoint(own, away, distance);
        WorldVec3 point = own;
        if (point.TranslateToFloor(moved - own) && monster->CanMoveTo(point, kMonsterMoveTolerance)) {
            out = point;
            found = true;
        }
    }
    m_runMs = static_cast<int>(RandomFloat(1000.0f, 2000.0f));
    return found;
}

void ControllerMonsterStateScared::Hide()
{
    Idle();
    m_runMs = 0;
    m_hideMs = static_cast<int>(RandomFloat(500.0f, 1000.0f));
}

void ControllerMonsterStateScared::RunOrHide()
{
    WorldVec3 point;
    if (!FindRunToPoint(point) || !StartMove(point, 0, 0, false))
        Hide();
}

void ControllerMonsterStateScared::OnBegin()
{
    m_runMs = 0;
    m_hideMs = 0;
    WorldVec3 point;
    Monster* monster = GetCharacter();
    if (monster && FindRunToPoint(point)) {
        monster->PlayNetSound(monster->GetFleeSound());
        if (StartMove(point, 0, 0, false))
            return;
    }
    Hide();
}

void ControllerMonsterStateScared::OnUpdate(int elapsedMs)
{
    if (!GetController()->StillScared()) {
        SetState("Return", ControllerAIStateData());
        return;
    }
    if (m_hideMs > 0) {
        m_hideMs -= elapsedMs;
        if (m_hideMs > 0)
            return;
    }
    m_runMs -= elapsedMs;
    if (m_runMs < 0)
        RunOrHide();
}

// ---- Dying and dead ---------------------------------------------------------------------------

void ControllerMonsterStateDying::OnBegin()
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    if (monster && monster->IsAlive())
        Die();
    controller.CreateDropMiscItems();
    Skill* skill = ObjectManager::Get().GetObject<Skill>(controller.GetDyingSkillId());
    if (!monster || !skill || !ImpairSkillReady(*skill))
        return;
    const WorldVec3 where = monster->GetPathPosition();
    UseSkill(0, where, controller.GetDyingSkillId(), static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
    const uint32_t self = controller.GetParentId();
    monster->Enqueue(new ActivateSkillConfigCmd(self, monster->GetSkillReferenceNumber(controller.GetDyingSkillId()),
                                                self, where));
}

void ControllerMonsterStateDead::OnBegin()
{
    Proxy* treasure = GetController()->GetTreasureProxy();
    Monster* monster = GetCharacter();
    if (treasure && monster)
        World::Get().AddEntity(treasure, monster->GetCoords());
}

}  // namespace GAME
