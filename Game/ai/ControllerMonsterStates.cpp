// The monster's standard reactions and its combat states: start-up, idling, pursuit, the
// attack and the detours round it (the obstacle walk, repositioning, waiting for a free
// attack position, dodging).
#include "Game/ai/ControllerMonsterStates.h"

#include <cmath>

#include "Engine/Entity.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterHidden.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/world/DynamicBarrier.h"
#include "Game/items/Weapon.h"

namespace GAME {

namespace {
constexpr int kPursueRecheckMs = 200;
constexpr float kTwoPi = 6.2831855f;
// The cosine-free "ahead" test of the waiting emote compares the dot product with this.
constexpr float kWaitEmoteAhead = 0.5236f;
constexpr float kWaitMinCentreDistance = 4.0f;

}  // namespace

bool IsMonsterAnimationEnd(const Name& event) { return event == Actor::EndEvent(); }

// ---- The base ---------------------------------------------------------------------------------

template <class C, class T>
void ControllerMonsterState<C, T>::BeginImmobilize()
{
    this->ClearTemporaryStates();
    this->SetState("Immobile", ControllerAIStateData());
}

template <class C, class T>
void ControllerMonsterState<C, T>::BeginTrap()
{
    this->ClearTemporaryStates();
    this->SetState("Trapped", ControllerAIStateData());
}

template <class C, class T>
void ControllerMonsterState<C, T>::BeginStun()
{
    this->ClearTemporaryStates();
    this->SetState("Stunned", ControllerAIStateData());
}

template <class C, class T>
void ControllerMonsterState<C, T>::Panic(uint32_t scarerId)
{
    DefaultPanicResponse(scarerId);
}

template <class C, class T>
void ControllerMonsterState<C, T>::SkillUsed(uint32_t skillId)
{
    this->GetController()->NoteSkillUsed(skillId);
}

template <class C, class T>
uint32_t ControllerMonsterState<C, T>::GetLeaderId() const
{
    const T* monster = this->GetCharacter();
    return monster ? monster->GetLeader() : 0;
}

template <class C, class T>
bool ControllerMonsterState<C, T>::ShouldBuffSelf() const
{
    return this->GetController()->GetKeys().buffSelfBehavior != SkillUse_Never;
}

template <class C, class T>
void ControllerMonsterState<C, T>::BuffBestAlly()
{
    C& controller = *this->GetController();
    const uint32_t skillId = controller.GetBuffOtherSkillId();
    const Skill* skill = ObjectManager::Get().GetObject<Skill>(skillId);
    if (!skill || !skill->IsSkillEnabled())
        return;
    const uint32_t allyId = controller.ChooseBestAllyToBuff();
    if (allyId != 0 && skill->IsValidTarget(allyId))
        this->AddTemporaryState("UseSkillOnAlly", Data(0, allyId, skillId));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultEnemyFoundResponse(uint32_t enemyId)
{
    C& controller = *this->GetController();
    if (enemyId == this->GetCurrentEnemy() || !controller.IsEnemyValid(enemyId))
        return;
    const ControllerMonster::Keys& keys = controller.GetKeys();
    this->SetState("Pursue", Data(enemyId, 0, controller.ChooseBestSkill(enemyId, false)));
    if (ShouldBuffSelf()) {
        if (const uint32_t buff = controller.ChooseBestBuffSelfSkill())
            this->AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), buff));
    }
    if (keys.buffAllyBehavior == SkillUse_WhenEnemyIsSeen)
        BuffBestAlly();
    const int draw = GAME::rand() % 100;
    T* monster = this->GetCharacter();
    if (monster && monster->GetAlertSoundChance() >= static_cast<float>(draw) && controller.ShouldPlayRallyOrAlert())
        monster->PlayNetSound(monster->GetAlertSound());
    if (keys.leaderBehavior == Lead_WhenEnemyIsSeen)
        CallForFollowers();
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultClosestEnemyFoundResponse(uint32_t enemyId, float /*distance*/)
{
    C& controller = *this->GetController();
    if (controller.GetKeys().fleeBehavior == Flee_WhenEnemyClose && controller.CanFlee())
        this->SetState("Flee", Data(enemyId));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultAttackedResponse(uint32_t attackerId)
{
    if (attackerId == this->GetCurrentEnemy())
        return;
    C& controller = *this->GetController();
    const ControllerMonster::Keys& keys = controller.GetKeys();
    if (keys.leaderBehavior == Lead_OnDamage)
        CallForFollowers();
    if (ShouldBuffSelf()) {
        const uint32_t buff = controller.ChooseBestBuffSelfSkill();
        if (keys.buffSelfBehavior == SkillUse_WhenEnemyIsSeen && buff)
            this->AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), buff));
    }
    if (keys.fleeBehavior == Flee_OnDamage && controller.CanFlee())
        this->SetState("Flee", Data(attackerId));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultAllyAttackedResponse(uint32_t allyId, uint32_t attackerId)
{
    HealAllyWhenAttacked(allyId);
    C& controller = *this->GetController();
    const uint32_t draw = static_cast<uint32_t>(GAME::rand() % 100);
    if (draw >= controller.GetChanceToRespondToDistressCall())
        return;
    if (attackerId == this->GetCurrentEnemy() || !controller.IsEnemyValid(attackerId) ||
        !controller.ShouldCareAboutDistressCall(allyId))
        return;
    this->SetState("Pursue", Data(attackerId, allyId, controller.ChooseBestSkill(attackerId, false)));
    if (ShouldBuffSelf()) {
        if (const uint32_t buff = controller.ChooseBestBuffSelfSkill())
            this->AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), buff));
    }
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultAllyNeedsHelpResponse(uint32_t enemyId, uint32_t /*allyId*/)
{
    C& controller = *this->GetController();
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const uint32_t draw = static_cast<uint32_t>(GAME::rand() % 100);
    if (draw >= keys.chanceToRespondToDistressCall)
        return;
    BuffBestAlly();
    if (ShouldBuffSelf()) {
        const uint32_t buff = controller.ChooseBestBuffSelfSkill();
        if (keys.buffSelfBehavior == SkillUse_WhenEnemyIsSeen && buff)
            this->AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), buff));
    }
    if (controller.IsEnemyValid(enemyId))
        this->SetState("Pursue", Data(enemyId, 0, controller.ChooseBestSkill(enemyId, false)));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultAllyDiedResponse(uint32_t allyId)
{
    if (allyId != 0 && allyId == GetLeaderId())
        JoinLeader(0);
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultLowHealthResponse()
{
    C& controller = *this->GetController();
    const uint32_t enemy = this->GetCurrentEnemy();
    if (controller.GetKeys().fleeBehavior == Flee_OnLowHealth && controller.CanFlee())
        this->SetState("Flee", Data(enemy));
    else if (controller.GetBerserkSkillId() != 0 && enemy != 0)
        this->SetState("Pursue", Data(enemy, 0, controller.GetBerserkSkillId()));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultConfusedResponse(int ms)
{
    C& controller = *this->GetController();
    if (ms > controller.GetConfusedTime()) {
        controller.SetConfusedTime(ms);
        this->SetState("Confused", ControllerAIStateData());
    }
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultPanicResponse(uint32_t scarerId)
{
    this->SetState("Panic", Data(scarerId));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultRequestAttackResponse(uint32_t requesterId, uint32_t targetId)
{
    C& controller = *this->GetController();
    if (requesterId == 0 || requesterId != GetLeaderId() || !controller.IsEnemyValid(targetId))
        return;
    controller.SetMostHatedEnemy(targetId);
    this->SetState("Pursue", Data(targetId, 0, controller.ChooseBestSkill(targetId, false)));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultRequestMoveResponse(uint32_t requesterId, const WorldVec3& point)
{
    if (requesterId == 0 || requesterId != GetLeaderId())
        return;
    C& controller = *this->GetController();
    controller.ClearAnger();
    controller.SetMoveTerrainPoint(point);
    this->SetState("Move", Data(0, requesterId));
}

template <class C, class T>
bool ControllerMonsterState<C, T>::DefaultRequestConversationResponse(uint32_t partnerId)
{
    const C& controller = *this->GetController();
    if (!ObjectManager::Get().GetObject<Monster>(partnerId))
        return false;
    TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    if (!teams || teams->IsFoe(controller.GetParentId(), partnerId))
        return false;
    this->SetState("Roam", Data(0, partnerId));
    return true;
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultQuestCommandMoveResponse(uint32_t /*id*/, const WorldVec3& point)
{
    T* monster = this->GetCharacter();
    if (monster && monster->CanMoveTo(point, kMonsterMoveTolerance)) {
        this->GetController()->SetMoveTerrainPoint(point);
        this->SetState("QuestMove", ControllerAIStateData());
    } else {
        gEngine->Log(LOG_WARNING, "Quest cannot move %s to point", monster ? monster->GetObjectName().c_str() : "");
    }
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultQuestCommandWalkResponse(uint32_t /*id*/, const WorldVec3& point)
{
    T* monster = this->GetCharacter();
    if (monster && monster->CanMoveTo(point, kMonsterMoveTolerance)) {
        this->GetController()->SetMoveTerrainPoint(point);
        this->SetState("QuestWalk", ControllerAIStateData());
    }
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultQuestCommandPlayAnimationResponse(AnimationSet_Type animation, bool looping)
{
    // The type comes from a quest file or a peer: one outside the animation table is no
    // command at all.
    if (animation < AnimationSet_None || animation >= AnimationSet_Count) {
        gEngine->Log(LOG_WARNING, "Quest animation type %d is out of range", static_cast<int>(animation));
        return;
    }
    this->GetController()->SetQuestAnimation(animation, looping);
    this->SetState("QuestPlayAnimation", ControllerAIStateData());
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultQuestCommandUseSkillResponse(uint32_t skillId, uint32_t targetId)
{
    this->SetState("QuestUseSkill", Data(targetId, targetId, skillId));
}

template <class C, class T>
void ControllerMonsterState<C, T>::DefaultProjectileNotificationResponse(uint32_t projectileId)
{
    C& controller = *this->GetController();
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const uint32_t draw = static_cast<uint32_t>(GAME::rand() % 100);
    if (draw >= keys.dodgeChance)
        return;
    const ProjectileBase* projectile = ObjectManager::Get().GetObject<ProjectileBase>(projectileId);
    T* monster = this->GetCharacter();
    if (!projectile || !monster)
        return;
    const WorldVec3 from = projectile->GetInfo().launchCoords.GetPosition();
    if (WorldDistance(from, monster->GetPathPosition()) < monster->GetExtents() + keys.minDodgeDistance)
        return;
    WorldVec3 point;
    if (PickRandomPointInVicinity(point, *monster, monster->GetCoords().GetPosition(), keys.dodgeDistance,
                                  keys.dodgeDistance, keys.dodgeDistance - 0.1f, keys.maxYViewDistance))
        this->SetState("DodgeAttack", Data(this->GetCurrentEnemy(), this->GetCurrentAlly(), 0, point));
}

template <class C, class T>
void ControllerMonsterState<C, T>::CallForFollowers()
{
    C& controller = *this->GetController();
    T* monster = this->GetCharacter();
    if (!monster)
        return;
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const WorldVec3 from = monster->GetPathPosition();
    std::vector<Character*> friends;
    controller.GetFriendsInSphere(friends, from.GetRegion(), Sphere{from.GetRegionPosition(), keys.leaderDistance});
    for (Character* other : friends) {
        if (controller.GetFollowersJoined() >= keys.maxFollowers)
            break;
        other->JoinMe(controller.GetParentId(), -1, false);
        controller.SetFollowersJoined(controller.GetFollowersJoined() + 1);
    }
}

template <class C, class T>
void ControllerMonsterState<C, T>::JoinLeader(uint32_t leaderId)
{
    T* monster = this->GetCharacter();
    if (!monster || monster->GetLeader() == leaderId)
        return;
    // Joining "no leader" is leaving the current one: the monster's own join refuses an
    // id that names nobody.
    if (leaderId == 0)
        monster->UnJoinLeader();
    else
        monster->JoinMe(leaderId, -1, false);
}

template <class C, class T>
void ControllerMonsterState<C, T>::HealAllyWhenAttacked(uint32_t allyId)
{
    C& controller = *this->GetController();
    const uint32_t heal = controller.GetHealSkillId();
    if (heal == 0 || !controller.ShouldHealAlly(allyId))
        return;
    const Character* ally = ObjectManager::Get().GetObject<Character>(allyId);
    if (!ally)
        return;
    const float total = ally->GetTotalCharAttribute(static_cast<CharAttributeType>(4));
    if (!(total > 0.0f))
        return;
    const float fraction = ally->GetCurrentLife() / total;
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const uint32_t percent = allyId == GetLeaderId() ? keys.healLeaderHealthPercentage : keys.healAllyHealthPercentage;
    if (static_cast<float>(percent) * 0.01f > fraction)
        this->AddTemporaryState("UseSkillOnAlly", Data(0, allyId, heal));
}

template <class C, class T>
bool ControllerMonsterState<C, T>::PickRandomPointInVicinity(WorldVec3& out, T& character, const WorldVec3& centre,
                                                             float minRadius, float maxRadius, float minDistance,
                                                             float verticalLimit)
{
    const WorldVec3 from = character.GetPathPosition();
    for (int attempt = 0; attempt < 5; ++attempt) {
        const float radius = RandomFloat(minRadius, maxRadius);
        const float angle = RandomFloat(0.0f, kTwoPi);
        WorldVec3 point = centre;
        if (!point.IsValid() || !point.TranslateToFloor(Vec3{radius * std::cos(angle), 0.0f, radius * std::sin(angle)}))
            continue;
        if (verticalLimit != 0.0f && std::fabs(point.GetRegionPosition().y - from.GetRegionPosition().y) >= verticalLimit)
            continue;
        if (!(WorldDistance(point, from) > minDistance) || !character.CanMoveTo(point, kMonsterMoveTolerance))
            continue;
        out = point;
        return true;
    }
    gEngine->Log(LOG_ERROR, "Monster failed to PickRandomPointInVicinity");
    return false;
}

template <class C, class T>
bool ControllerMonsterState<C, T>::StartMove(const WorldVec3& point, uint32_t targetId, uint32_t skillId, bool walk)
{
    if (m_moveStarting)
        return false;   // a move started from the refusal of another: give up
    m_moveStarting = true;
    m_moveRefused = false;
    if (walk)
        this->WalkTo(point, targetId);
    else
        this->MoveTo(point, targetId, skillId);
    m_moveStarting = false;
    return !m_moveRefused;
}

template <class C, class T>
bool ControllerMonsterState<C, T>::EndOfPathFromStart()
{
    if (!m_moveStarting)
        return false;
    m_moveRefused = true;
    return true;
}

template class ControllerMonsterState<ControllerMonster, Monster>;
template class ControllerMonsterState<ControllerMonsterHidden, Monster>;
template class ControllerMonsterStateDefaults<ControllerMonster, Monster>;

// ---- Startup ----------------------------------------------------------------------------------

void ControllerMonsterStateStartup::OnBegin()
{
    Monster* monster = GetCharacter();
    if (!monster || !monster->CanPlayAnimation(AnimationSet_Spawn)) {
        SetState("Idle", ControllerAIStateData());
        UseInitialSkill();
        return;
    }
    if (!m_spawnPlayed) {
        m_spawnPlayed = true;
        PlayAnimation(AnimationSet_Spawn, Name(), 1.0f, false, 1);
    }
}

void ControllerMonsterStateStartup::HandleEvent(const Name& event)
{
    if (!IsMonsterAnimationEnd(event))
        return;
    SetState("Idle", ControllerAIStateData());
    if (m_spawnPlayed)
        UseInitialSkill();
}

void ControllerMonsterStateStartup::UseInitialSkill()
{
    ControllerMonster& controller = *GetController();
    if (controller.GetInitialSkillId() != 0)
        AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), controller.GetInitialSkillId()));
}

// ---- Idle -------------------------------------------------------------------------------------

void ControllerMonsterStateIdle::OnBegin()
{
    const uint32_t leader = GetLeaderId();
    if (leader != 0 && IsAlive(leader)) {
        SetState("DefendLeader", Data(0, leader));
        return;
    }
    Idle();
    const ControllerMonster::Keys& keys = GetController()->GetKeys();
    m_roamTimerMs = static_cast<int>(
        RandomFloat(static_cast<float>(keys.minTimeBeforeRoam), static_cast<float>(keys.maxTimeBeforeRoam)));
}

void ControllerMonsterStateIdle::OnUpdate(int elapsedMs)
{
    ControllerMonster& controller = *GetController();
    // The record's word first: a monster that never roams reads no animation set.
    if (controller.GetKeys().roamBehavior != Roam_Roam || !controller.CanMove())
        return;
    m_roamTimerMs -= elapsedMs;
    if (m_roamTimerMs >= 0)
        return;
    if (GetLeaderId() != 0)
        SetState("Wander", ControllerAIStateData());
    else if (controller.GetPatrolPoints().empty())
        SetState("Roam", ControllerAIStateData());
    else
        SetState("Patrol", ControllerAIStateData());
}

// ---- Shared combat steps ----------------------------------------------------------------------

bool ControllerMonsterStateCombat::PathClearTo(uint32_t enemyId)
{
    Entity* blocker = nullptr;
    return IsPathClear(enemyId, blocker);
}

void ControllerMonsterStateCombat::EngageNewEnemy(uint32_t enemyId)
{
    if (enemyId == GetCurrentEnemy())
        return;
    const uint32_t skill = GetController()->ChooseBestSkill(enemyId, false);
    const bool attack = CloseEnoughToUseSkill(enemyId, skill) && PathClearTo(enemyId);
    SetState(attack ? "Attack" : "Pursue", Data(enemyId, 0, skill));
}

void ControllerMonsterStateCombat::AttackOr(const char* fallback)
{
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    if (CloseEnoughToUseSkill(enemy, skill) && PathClearTo(enemy))
        SetState("Attack", Data(enemy, 0, skill));
    else
        SetState(fallback, Data(enemy));
}

void ControllerMonsterStateCombat::RequestAttackUnlessCurrent(uint32_t requesterId, uint32_t targetId)
{
    if (targetId != GetCurrentEnemy())
        DefaultRequestAttackResponse(requesterId, targetId);
}

// ---- Pursue -----------------------------------------------------------------------------------

void ControllerMonsterStatePursue::OnBegin()
{
    ControllerMonster& controller = *GetController();
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    if (!controller.CanMove()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    if (!controller.IsEnemyValid(enemy)) {
        SetState("Return", Data(enemy));
        return;
    }
    if (controller.ShouldEmoteBeforePursuing()) {
        controller.SetEmoted();
        SetState("EmoteBeforePursue", Data(enemy));
        return;
    }
    Monster* monster = GetCharacter();
    Character* target = ObjectManager::Get().GetObject<Character>(enemy);
    if (!monster || !target) {
        SetState("Return", Data(enemy));
        return;
    }
    const WorldVec3 point = monster->GetMoveToPoint(enemy, skill, target->GetPathPosition());
    if (!point.IsValid()) {
        SetState("WaitToAttack", Data(enemy, 0, skill));
        return;
    }
    if (CloseEnoughToUseSkill(enemy, skill)) {
        SetState(PathClearTo(enemy) ? "Attack" : "NavigateObstacle", Data(enemy, 0, skill));
        return;
    }
    if (!monster->AlreadyThere(point) && monster->CanMoveTo(point, GetSkillUseTolerance(enemy))) {
        m_pursuitTimerMs = controller.GetPursuitTime();
        m_recheckTimerMs = kPursueRecheckMs;
        if (StartMove(point, enemy, skill, false))
            return;
    }
    SetState("Idle", ControllerAIStateData());
}

ControllerMonsterStatePursue::Counters& ControllerMonsterStatePursue::GetCounters()
{
    static Counters counters;
    return counters;
}

void ControllerMonsterStatePursue::OnUpdate(int elapsedMs)
{
    ControllerMonster& controller = *GetController();
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    Monster* monster = GetCharacter();
    if (monster && gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Single) {
        uint32_t targetId = 0, characterSkill = 0;
        WorldVec3 targetPoint;
        monster->GetCurrentAttackTarget(targetId, targetPoint, characterSkill);
        if (characterSkill != skill)
            gEngine->Log(LOG_ERROR, "Pursue - controller skill (%d) doesn't match character skill (%d) in monster %s",
                         static_cast<int>(skill), static_cast<int>(characterSkill),
                         monster->GetObjectName().c_str());
    }
    if (controller.GetPursuitTime() != 0) {
        m_pursuitTimerMs -= elapsedMs;
        if (m_pursuitTimerMs < 0) {
            SetState("Return", Data(enemy));
            return;
        }
    }
    if (!controller.IsEnemyValid(enemy)) {
        SetState("Return", Data(enemy));
        return;
    }
    m_recheckTimerMs -= elapsedMs;
    if (m_recheckTimerMs < 0) {
        const Skill* current = ObjectManager::Get().GetObject<Skill>(skill);
        const uint32_t best = current && current->ShouldMonsterSkillBeInterruptedWhilePursuing()
                                  ? controller.ChooseBestSkill(enemy, false)
                                  : skill;
        if (best != skill) {
            SetState("Pursue", Data(enemy, 0, best));
            return;
        }
        m_recheckTimerMs = kPursueRecheckMs;
    }
    ++GetCounters().barrierTests;
    if (DynamicBarrier* barrier = controller.IsBarrierBlocking(enemy); barrier && barrier->GetObjectId() != enemy) {
        const uint32_t barrierId = barrier->GetObjectId();
        controller.SetMostHatedEnemy(barrierId);
        SetState("Pursue", Data(barrierId, 0, controller.ChooseBestSkill(barrierId, false)));
        return;
    }
    ++GetCounters().rangeTests;
    if (CloseEnoughToUseSkill(enemy, skill))
        SetState(PathClearTo(enemy) ? "Attack" : "NavigateObstacle", Data(enemy, 0, skill));
}

void ControllerMonsterStatePursue::LostSlot()
{
    const uint32_t enemy = GetCurrentEnemy();
    Monster* monster = GetCharacter();
    Character* target = ObjectManager::Get().GetObject<Character>(enemy);
    WorldVec3 point;
    if (monster && target)
        point = monster->GetMoveToPoint(enemy, GetCurrentSkillID(), target->GetPathPosition());
    if (!point.IsValid())
        SetState("WaitToAttack", Data(enemy));
}

// ---- EmoteBeforePursue ------------------------------------------------------------------------

void ControllerMonsterStateEmoteBeforePursue::OnBegin()
{
    if (!GetController()->IsEnemyValid(GetCurrentEnemy())) {
        SetState("Return", Data(GetCurrentEnemy()));
        return;
    }
    PlayAnimation(AnimationSet_Special, Name("Emote"), 1.0f, false, 1);
}

void ControllerMonsterStateEmoteBeforePursue::HandleEvent(const Name& event)
{
    if (!IsMonsterAnimationEnd(event))
        return;
    const uint32_t enemy = GetCurrentEnemy();
    SetState("Pursue", Data(enemy, 0, GetController()->ChooseBestSkill(enemy, false)));
}

// ---- NavigateObstacle -------------------------------------------------------------------------

void ControllerMonsterStateNavigateObstacle::OnBegin()
{
    const uint32_t enemy = GetCurrentEnemy();
    Character* target = ValidateObjectId(enemy, "NavigateObstacle");
    if (!target || !target->IsAlive()) {
        SetState("Return", Data(enemy));
        return;
    }
    Monster* monster = GetCharacter();
    const WorldVec3 point = target->GetPathPosition();
    if (!monster || !monster->CanMoveTo(point, kMonsterMoveTolerance) || monster->AlreadyThere(point) ||
        !StartMove(point, 0, 0, false))
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateNavigateObstacle::OnUpdate(int /*elapsedMs*/)
{
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    const bool clear = PathClearTo(enemy);
    if (clear && CloseEnoughToUseSkill(enemy, skill))
        SetState("Attack", Data(enemy, 0, skill));
    else if (clear)
        SetState("Pursue", Data(enemy, 0, skill));
}

// ---- Attack -----------------------------------------------------------------------------------

void ControllerMonsterStateAttack::OnBegin()
{
    m_reposition = false;
    AttackEnemy();
}

void ControllerMonsterStateAttack::AttackEnemy()
{
    const uint32_t enemy = GetCurrentEnemy();
    if (!GetController()->IsEnemyValid(enemy)) {
        SetState("Return", Data(enemy));
        return;
    }
    Character* target = ValidateObjectId(enemy, "Attack");
    if (!target)
        return;
    TargetLeadingData leading;
    const WorldVec3 aim = LeadingAimPoint(*target, leading);
    UseSkill(enemy, aim, GetCurrentSkillID(), static_cast<uint32_t>(GAME::rand()), leading);
}

WorldVec3 ControllerMonsterStateAttack::LeadingAimPoint(Character& target, TargetLeadingData& leading)
{
    const WorldVec3 position = target.GetPathPosition();
    Monster* monster = GetCharacter();
    if (!monster || !GetController()->LeadTarget() || !monster->GetSkillManager().IsRangedWeapon())
        return position;
    ObjectManager& objects = ObjectManager::Get();
    float projectileSpeed = 0.0f;
    if (const Weapon* weapon = objects.GetObject<Weapon>(monster->GetSkillManager().GetLeftHandWeapon()))
        projectileSpeed = ProjectileBase::GetRecordTotalSpeed(weapon->GetProjectileName());
    // An activated skill's swing comes before the shot: the target moves on meanwhile.
    float extraTime = 0.0f;
    const AnimationSet* animations = monster->GetAnimationSet();
    const float attackSpeed = monster->GetAttackSpeed();
    if (objects.GetObject<SkillActivated>(GetCurrentSkillID()) && animations && attackSpeed > 0.0f)
        extraTime = 0.3f * animations->GetAnimSpeed(AnimationSet_Attack) / attackSpeed;
    const WorldVec3 heading = target.GetPathTarget();
    const Vec3 velocity = heading.IsValid() ? (heading - position).Unit() * target.GetSpeed() : Vec3{};
    const WorldVec3 intercept =
        ComputeInterceptPoint(position, velocity, monster->GetPathPosition(), projectileSpeed, extraTime);
    // Without a solution the monster shoots where the target stands.
    if (!intercept.IsValid())
        return position;
    leading.leading = 1;
    leading.attackerId = monster->GetObjectId();
    leading.targetId = target.GetObjectId();
    return intercept;
}

void ControllerMonsterStateAttack::OnUpdate(int /*elapsedMs*/)
{
    if (!GetController()->IsEnemyValid(GetCurrentEnemy()))
        SetState("Return", Data(GetCurrentEnemy()));
}

void ControllerMonsterStateAttack::HandleEvent(const Name& event)
{
    if (!IsMonsterAnimationEnd(event))
        return;
    ControllerMonster& controller = *GetController();
    const ControllerMonster::Keys& keys = controller.GetKeys();
    const uint32_t enemy = GetCurrentEnemy();
    const uint32_t current = GetCurrentSkillID();
    Monster* monster = GetCharacter();
    if (const uint32_t leaderId = GetLeaderId()) {
        Character* leader = ObjectManager::Get().GetObject<Character>(leaderId);
        if (leader && monster && controller.CanMove() && keys.teleportToLeaderDistance != 0.0f &&
            WorldDistance(leader->GetPathPosition(), monster->GetPathPosition()) > keys.teleportToLeaderDistance) {
            controller.TeleportToLeader(leader);
            return;
        }
    }
    if (ShouldBuffSelf()) {
        if (const uint32_t buff = controller.ChooseBestBuffSelfSkill()) {
            AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), buff));
            SetState("Return", Data(enemy));
            return;
        }
    }
    const uint32_t next = controller.GetChainNextSkill();
    if (controller.GetChainInitialSkill() == current && current != 0 && next != 0) {
        switch (controller.GetChainBehavior()) {
        case 0:
            SetState("Attack", Data(enemy, 0, next));
            return;
        case 1:
            AddTemporaryState("UseSkillOnAlly", Data(0, GetLeaderId(), next));
            return;
        case 2:
            AddTemporaryState("UseSkillOnAlly", Data(0, controller.GetParentId(), next));
            return;
        default:
            break;
        }
    }
    const uint32_t skill = controller.ChooseBestSkill(enemy, false);
    if (CloseEnoughToUseSkill(enemy, skill) && PathClearTo(enemy)) {
        // Setting "Attack" again ends and begins this state anew: that begin is the next attack.
        const bool reposition = m_reposition && skill == current;
        SetState(reposition ? "RepositionForAttack" : "Attack", Data(enemy, 0, skill));
    } else {
        SetState("Pursue", Data(enemy, 0, skill));
    }
}

void ControllerMonsterStateAttack::ProjectileCollisionCallback(const ProjectileInfo& /*info*/,
                                                               const CollisionData& /*collision*/)
{
    const uint32_t draw = static_cast<uint32_t>(GAME::rand() % 100);
    m_reposition = draw < GetController()->GetRepositionChance() && GetController()->CanMove();
}

void ControllerMonsterStateAttack::Attacked(uint32_t attackerId)
{
    ControllerMonster& controller = *GetController();
    if (controller.GetKeys().fleeBehavior == Flee_OnDamage && controller.CanFlee())
        SetState("Flee", Data(attackerId));
}

void ControllerMonsterStateAttack::LostSlot()
{
    const uint32_t enemy = GetCurrentEnemy();
    SetState("Pursue", Data(enemy, 0, GetController()->ChooseBestSkill(enemy, false)));
}

// ---- RepositionForAttack ----------------------------------------------------------------------

void ControllerMonsterStateRepositionForAttack::OnBegin()
{
    ControllerMonster& controller = *GetController();
    Monster* monster = GetCharacter();
    WorldVec3 point;
    if (monster && controller.IsEnemyValid(GetCurrentEnemy()) &&
        PickRandomPointInVicinity(point, *monster, monster->GetPathPosition(), 3.0f, 5.0f, 3.0f,
                                  controller.GetKeys().maxYViewDistance) &&
        StartMove(controller.GetClosestMovePoint(point), 0, 0, false))
        return;
    SetState("Return", Data(GetCurrentEnemy()));
}

void ControllerMonsterStateRepositionForAttack::OnEnd() { GetController()->ReleaseMoveGoal(); }

// ---- WaitToAttack -----------------------------------------------------------------------------

void ControllerMonsterStateWaitToAttack::OnBegin()
{
    m_centre = WorldVec3();
    m_radius = 0.0f;
    m_pauseMs = 0;
    m_waiting = false;
    m_checkMs = kCheckMs;
    if (!EmoteOrRoam())
        SetState("Idle", ControllerAIStateData());
}

bool ControllerMonsterStateWaitToAttack::EmoteOrRoam()
{
    ControllerMonster& controller = *GetController();
    const int draw = GAME::rand() % 100;
    if (static_cast<uint32_t>(draw) >= controller.GetKeys().emoteWhenWaitingChance)
        return StartRoaming();
    Monster* monster = GetCharacter();
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (monster && enemy) {
        const Vec3 toEnemy = enemy->GetCoords().GetPosition() - monster->GetCoords().GetPosition();
        if (Dot(monster->GetCoords().GetRegionCoords().zAxis, toEnemy) > kWaitEmoteAhead &&
            monster->CanPlayAnimation(AnimationSet_Fidget) && GAME::rand() % 2 == 0) {
            PlayAnimation(AnimationSet_Fidget, Name(), 1.0f, false, 1);
            m_waiting = true;
            return true;
        }
    }
    Idle();
    m_pauseMs = RandomInt(controller.GetKeys().minEmoteTime, controller.GetKeys().maxEmoteTime);
    m_waiting = true;
    return true;
}

bool ControllerMonsterStateWaitToAttack::StartRoaming()
{
    m_waiting = false;
    Monster* monster = GetCharacter();
    const Character* enemy = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!monster || !enemy)
        return false;
    if (!m_centre.IsValid()) {
        const WorldVec3 own = monster->GetPathPosition();
        const WorldVec3 theirs = enemy->GetCoords().GetPosition();
        float distance = WorldDistance(own, theirs);
        if (distance < kWaitMinCentreDistance) {
            distance = kWaitMinCentreDistance;
            m_centre = theirs;
            m_centre.Translate(theirs - own);
        } else {
            m_centre = own;
        }
        m_radius = distance * 0.5f;
    }
    const float limit = GetController()->GetKeys().maxYViewDistance;
    for (int round = 0; round < 3; ++round) {
        WorldVec3 point;
        // A walk that cannot start ends at once; taking that end for an arrival would roam
        // again from inside this walk, without end when the monster never emotes.
        if (PickRandomPointInVicinity(point, *monster, m_centre, m_radius, m_radius, 0.0f, limit))
            return StartMove(point, 0, 0, true);
    }
    return false;
}

void ControllerMonsterStateWaitToAttack::OnUpdate(int elapsedMs)
{
    ControllerMonster& controller = *GetController();
    const uint32_t enemy = GetCurrentEnemy();
    m_checkMs -= elapsedMs;
    if (m_checkMs < 0) {
        if (!controller.IsEnemyValid(enemy)) {
            SetState("Return", Data(enemy));
            return;
        }
        const uint32_t skill = controller.ChooseBestSkill(enemy, false);
        Monster* monster = GetCharacter();
        Character* target = ObjectManager::Get().GetObject<Character>(enemy);
        if (monster && target && monster->GetMoveToPoint(enemy, skill, target->GetPathPosition()).IsValid()) {
            SetState("Pursue", Data(enemy, 0, skill));
            return;
        }
        m_checkMs = kCheckMs;
    }
    if (m_pauseMs >= 1 && m_waiting) {
        m_pauseMs -= elapsedMs;
        if (m_pauseMs <= 0 && !StartRoaming())
            SetState("Idle", ControllerAIStateData());
    }
}

void ControllerMonsterStateWaitToAttack::EndOfPathReached()
{
    if (EndOfPathFromStart())
        return;
    if (!EmoteOrRoam())
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateWaitToAttack::HandleEvent(const Name& event)
{
    if (!IsMonsterAnimationEnd(event) || !m_waiting)
        return;
    Monster* monster = GetCharacter();
    if (monster && monster->CanPlayAnimation(AnimationSet_Fidget) && !StartRoaming())
        SetState("Idle", ControllerAIStateData());
}

void ControllerMonsterStateWaitToAttack::RequestAttack(uint32_t requester, uint32_t target)
{
    if (target != GetCurrentEnemy())
        DefaultRequestAttackResponse(requester, target);
}

// ---- DodgeAttack ------------------------------------------------------------------------------

void ControllerMonsterStateDodgeAttack::OnBegin()
{
    const WorldVec3 point = GetPointOfInterest();
    Monster* monster = GetCharacter();
    if (!monster || !monster->CanMoveTo(point, kMonsterMoveTolerance) || !StartMove(point, 0, 0, false))
        SetState("Return", Data(GetCurrentEnemy()));
}

}  // namespace GAME
