// The states that carry out quest commands (move, walk, play an animation, use a skill),
// the temporary states in which a monster uses a skill on an ally or a point, and the
// hidden monster with its start-up state.
#include "Game/ai/ControllerMonsterStates.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterHidden.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/Skill.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerMonsterHidden, ControllerMonster)

namespace {
bool QuestSkillNotReady(const Skill* skill) { return skill && static_cast<int>(skill->GetReason()) != 0; }
}  // namespace

// ---- The quest states -------------------------------------------------------------------------

bool ControllerMonsterStateQuestMove::Interruptible() const { return GetController()->GetAllowQuestInterruptions(); }

void ControllerMonsterStateQuestMove::EnemyFound(uint32_t id)
{
    if (Interruptible())
        DefaultEnemyFoundResponse(id);
}

void ControllerMonsterStateQuestMove::ClosestEnemyFound(uint32_t id, float d)
{
    if (Interruptible())
        DefaultClosestEnemyFoundResponse(id, d);
}

void ControllerMonsterStateQuestMove::Attacked(uint32_t id)
{
    if (Interruptible())
        DefaultAttackedResponse(id);
}

void ControllerMonsterStateQuestMove::AllyAttacked(uint32_t ally, uint32_t attacker)
{
    if (Interruptible())
        DefaultAllyAttackedResponse(ally, attacker);
}

void ControllerMonsterStateQuestMove::LowHealth()
{
    if (Interruptible())
        DefaultLowHealthResponse();
}

void ControllerMonsterStateQuestMove::AllyDied(uint32_t ally)
{
    if (Interruptible())
        DefaultAllyDiedResponse(ally);
}

void ControllerMonsterStateQuestMove::AllyNeedsHelp(uint32_t enemy, uint32_t ally)
{
    if (Interruptible())
        DefaultAllyNeedsHelpResponse(enemy, ally);
}

void ControllerMonsterStateQuestMove::RequestAttack(uint32_t requester, uint32_t target)
{
    if (Interruptible())
        DefaultRequestAttackResponse(requester, target);
}

void ControllerMonsterStateQuestMove::RequestMove(uint32_t requester, const WorldVec3& point)
{
    if (Interruptible())
        DefaultRequestMoveResponse(requester, point);
}

void ControllerMonsterStateQuestMove::ProjectileNotification(uint32_t id)
{
    if (Interruptible())
        DefaultProjectileNotificationResponse(id);
}

void ControllerMonsterStateQuestMove::Confused(int ms)
{
    if (Interruptible())
        DefaultConfusedResponse(ms);
}

void ControllerMonsterStateQuestMove::OnBegin()
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    if (!monster)
        return;
    const WorldVec3 target = controller.GetClosestMovePoint(controller.GetMoveTerrainPoint());
    const Vec3& at = target.GetRegionPosition();
    // The point comes from a quest or a peer: one that is no place is not gone to.
    if (!target.IsValid() || !std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z)) {
        gEngine->Log(LOG_WARNING, "Quest cannot move %s to point", monster->GetObjectName().c_str());
        SetState("Idle", ControllerAIStateData());
        return;
    }
    // A point the monster cannot reach: it is put there, so the quest goes on.
    if (!monster->CanMoveTo(target, kMonsterMoveTolerance) || !StartMove(target, 0, 0, ShouldWalk())) {
        monster->SetPathPosition(target);
        SetState("Idle", ControllerAIStateData());
    }
}

void ControllerMonsterStateQuestMove::EndOfPathReached()
{
    if (EndOfPathFromStart())
        return;
    if (Monster* monster = GetCharacter())
        monster->SetSpawnPoint(monster->GetCoords());
    SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateQuestMove::OnEnd()
{
    ControllerMonster& controller = *GetController();
    controller.ReleaseMoveGoal();
    Monster* monster = GetCharacter();
    if (!monster)
        return;
    monster->Enqueue(new QuestMoveCompletedConfigCmd(controller.GetParentId()));
    monster->SetSpawnPoint(monster->GetCoords());
}

void ControllerMonsterStateQuestMove::QueueAnimationCompleted()
{
    if (Monster* monster = GetCharacter())
        monster->Enqueue(new QuestAnimationCompletedConfigCmd(GetController()->GetParentId()));
}

void ControllerMonsterStateQuestPlayAnimation::OnBegin()
{
    ControllerMonster& controller = *GetController();
    PlayAnimation(controller.GetQuestAnimation(), Name(), 1.0f, controller.GetQuestAnimationLooping(), 1);
}

void ControllerMonsterStateQuestPlayAnimation::HandleEvent(const Name& event)
{
    if (IsMonsterAnimationEnd(event) && !GetController()->GetQuestAnimationLooping())
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateQuestUseSkill::OnBegin()
{
    Monster* monster = GetCharacter();
    const uint32_t skillId = GetCurrentSkillID();
    if (!monster)
        return;
    if (QuestSkillNotReady(ObjectManager::Get().GetObject<Skill>(skillId))) {
        gEngine->Log(LOG_ERROR, "Skill is not ready in ControllerMonsterStateQuestUseSkill - %s",
                     monster->GetObjectName().c_str());
        return;
    }
    const uint32_t targetId = GetCurrentEnemy();
    if (Character* target = ObjectManager::Get().GetObject<Character>(targetId))
        UseSkill(targetId, target->GetPathPosition(), skillId, static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
    else
        UseSkill(monster->GetObjectId(), monster->GetPathPosition(), skillId, static_cast<uint32_t>(GAME::rand()),
                 TargetLeadingData());
}

void ControllerMonsterStateQuestUseSkill::HandleEvent(const Name& event)
{
    if (IsMonsterAnimationEnd(event))
        SetState("Idle", ControllerAIStateData());
}

// ---- Using a skill on an ally or a point -------------------------------------------------------

Skill* ControllerMonsterStateUseSkillOnAlly::ReadySkillOrDone()
{
    // A skill that is gone cannot end with an animation: the state would never end.
    Skill* skill = ObjectManager::Get().GetObject<Skill>(GetCurrentSkillID());
    if (!skill || QuestSkillNotReady(skill)) {
        SetDone(true);
        return nullptr;
    }
    return skill;
}

void ControllerMonsterStateUseSkillOnAlly::OnBegin()
{
    if (!ReadySkillOrDone())
        return;
    const uint32_t allyId = GetCurrentAlly();
    Character* ally = ObjectManager::Get().GetObject<Character>(allyId);
    if (!ally) {
        SetDone(true);
        return;
    }
    UseSkill(allyId, ally->GetPathPosition(), GetCurrentSkillID(), static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
}

void ControllerMonsterStateUseSkillOnAlly::HandleEvent(const Name& event)
{
    if (IsMonsterAnimationEnd(event))
        SetDone(true);
}

void ControllerMonsterStateUseSkillOnPoint::OnBegin()
{
    if (!ReadySkillOrDone())
        return;
    UseSkill(0, GetPointOfInterest(), GetCurrentSkillID(), static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
}

// ---- The hidden monster ------------------------------------------------------------------------

void ControllerMonsterHidden::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    const float distance = table.GetFloat("appearDistance", kDefaultAppearDistance);
    if (std::isfinite(distance) && distance >= 0.0f) {
        m_appearDistance = distance;
    } else {
        gEngine->Log(LOG_WARNING, "ControllerMonsterHidden: appearDistance is not a usable distance");
        m_appearDistance = kDefaultAppearDistance;
    }
}

void ControllerMonsterHidden::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Startup", new ControllerMonsterStateHidden(*this));
}

void ControllerMonsterStateHidden::OnBegin()
{
    Monster* monster = GetCharacter();
    if (monster && monster->GetPoppedOut()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    m_target = 0;
    LongIdle();
}

void ControllerMonsterStateHidden::OnUpdate(int /*elapsedMs*/)
{
    Monster* monster = GetCharacter();
    TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    if (m_target != 0 || !monster || !teams)
        return;
    const WorldVec3 spawn = monster->GetSpawnPoint().GetPosition();
    if (!spawn.IsValid())
        return;
    std::vector<Character*> near;
    ControllerAI::GetObjectsInSphere(near, spawn.GetRegion(), Sphere{spawn.GetRegionPosition(), GetViewDistance()},
                                     EntityList_Dynamic);
    std::erase_if(near, [&](Character* other) {
        return other == monster || !teams->IsFoe(monster->GetTeam(), other->GetTeam());
    });
    const Character* closest = GetController()->FindClosest(near);
    if (!closest ||
        !(WorldDistance(closest->GetCoords().GetPosition(), monster->GetCoords().GetPosition()) <
          GetController()->GetAppearDistance()))
        return;
    m_target = closest->GetObjectId();
    PlayAnimation(AnimationSet_Spawn, Name(), 1.0f, false, 1);
    monster->SetPoppedOut(true);
}

void ControllerMonsterStateHidden::HandleEvent(const Name& event)
{
    if (!IsMonsterAnimationEnd(event) || m_target == 0)
        return;
    ControllerMonsterHidden& controller = *GetController();
    controller.TauntMe(100.0f, m_target);
    SetState("Pursue", Data(m_target, 0, controller.ChooseBestSkill(m_target, false)));
}

}  // namespace GAME
