// The spatial side of a character: running and walking along paths, its attack target
// and the point from which to reach it, the slots around it, turning, stopping and
// teleporting, its size and shape, its speeds, and the commands quests and other
// characters give it through its controller.
#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/PhysicsEngine.h"
#include "Game/ai/ControllerAI.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/TeamManager.h"
#include "Game/items/Item.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"


namespace GAME {

namespace {

constexpr float kFollowTolerance = 0.05f;     // of the way to the goal, before a new path
constexpr float kCompletePathTolerance = 0.1f;
constexpr float kMoveToTolerance = 0.5f;
constexpr float kMeetingDistance = 1.0f;      // beyond both extents, walking to a friend
constexpr float kDefenseSlotDistance = 2.0f;  // beyond both extents
constexpr float kMinRotationDirection = 0.2f;
constexpr float kChatHeight = 2.3f;
constexpr float kConversationSide = 0.9f;
constexpr float kStaticOccluderOffset = 0.003f;

// Every skill has the melee range class until skills read theirs from their records:
// its reach is the game's melee range and it needs an attack slot.
float SkillRange(const Skill* skill)
{
    if (!skill)
        return 0.0f;
    return gGameEngine ? gGameEngine->GetMeleeRange() : 0.0f;
}
bool SkillNeedsAttackSlot(const Skill* skill) { return skill != nullptr; }

float Distance(const WorldVec3& a, const WorldVec3& b) { return (a - b).Length(); }

// The direction flattened onto the ground and made unit; zero when nothing is left.
Vec3 Flattened(const Vec3& direction) { return Vec3(direction.x, 0.0f, direction.z).Unit(); }

}  // namespace

// ---- Move and walk ------------------------------------------------------------------------

bool Character::StartPathTo(const WorldVec3& point, bool& complete)
{
    complete = false;
    if (!point.IsValid() || !IsAlive())
        return false;
    bool alreadyThere = false;
    if (!m_movementManager->SetNewPathTarget(GetPathPosition(), point, alreadyThere))
        return false;
    const Path* path = m_movementManager->GetPath();
    complete = !alreadyThere && path && path->GetEnd().IsValid() &&
               Distance(path->GetEnd(), point) <= kCompletePathTolerance;
    return true;
}

void Character::MoveTo(const WorldVec3& point, float)
{
    bool complete = false;
    if (!StartPathTo(point, complete) || !complete)
        return;
    m_targetSpineCurve = 0.0f;
    if (m_actionState == Character_ActionState_Move)
        return;
    SetActionState(Character_ActionState_Move);
    if (!m_currentAnimationSet ||
        !m_currentAnimationSet->PlayAnimation(*this, AnimationSet_Run, Name::noName, GetRunSpeed(), true, 0)) {
        ResetMovementManager();
        SetActionState(Character_ActionState_ForcedStop);
    }
}

void Character::WalkTo(const WorldVec3& point, float)
{
    bool complete = false;
    if (!StartPathTo(point, complete))
        return;
    if (!complete)
        if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
            controller->EndOfPathReached();
    m_targetSpineCurve = 0.0f;
    if (m_actionState == Character_ActionState_Walk)
        return;
    SetActionState(Character_ActionState_Walk);
    if (!m_currentAnimationSet ||
        !m_currentAnimationSet->PlayAnimation(*this, AnimationSet_Walk, Name::noName, 1.0f, true, 1))
        CharacterStopMoving();
}

WorldVec3 Character::GetPathPosition() { return m_movementManager->GetPathPosition(); }

WorldVec3 Character::GetPathTarget() const
{
    return m_actionState == Character_ActionState_Move ? m_movementManager->GetPathTarget() : WorldVec3();
}

const Path* Character::GetPath() const { return m_movementManager->GetPath(); }

float Character::GetSpeed() const { return m_movementManager ? m_movementManager->CalculateSpeed() : 0.0f; }

void Character::SetPathPosition(const WorldVec3& point)
{
    m_movementManager->SetPathPosition(point);
    if (!point.IsValid())
        return;
    Coords frame = GetCoords().GetRegionCoords();
    frame.origin = point.GetRegionPosition();
    World::Get().SetCoords(this, WorldCoords(point.GetRegion(), frame));
}

void Character::SetPathPositionNotCoords(const WorldVec3& point) { m_movementManager->SetPathPositionNoJump(point); }

void Character::UpdatePathPosition(const WorldVec3& position) { m_movementManager->UpdatePathPosition(position); }

bool Character::CanMoveTo(const WorldVec3& point, float tolerance)
{
    return m_movementManager->CanMoveTo(GetPathPosition(), point, tolerance, 0.0f);
}

bool Character::AlreadyThere(const WorldVec3& point)
{
    return m_movementManager->AlreadyThere(GetPathPosition(), point);
}

WorldVec3 Character::GetFurthestMoveToPoint(const WorldVec3& target)
{
    return m_movementManager->GetFurthestMoveToPoint(target);
}

void Character::ResetMovementManager()
{
    if (m_movementManager)
        m_movementManager->Reset();
}

void Character::FollowPath(int elapsedMs)
{
    if (!m_movementManager->Update(elapsedMs))
        CharacterStopMoving();
}

void Character::CharacterStopMoving()
{
    if (IsMoving()) {
        m_actionHandler->Stop();
        m_movementManager->ClearPath();
        SetActionState(Character_ActionState_ForcedStop);
    }
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
        controller->EndOfPathReached();
}

void Character::CharacterStop()
{
    m_actionHandler->Stop();
    ResetMovementManager();
    SetActionState(Character_ActionState_ForcedStop);
}

void Character::GoIdle()
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->GoToIdleState();
}

void Character::GetPathGenerationParams(Vec3& generation, float& a, float& b, float& c, float& d)
{
    generation = Vec3(0.1f, 0.4f, 0.5f);
    a = 1.0f;
    b = 0.0f;
    c = 0.0f;
    d = 0.0f;
}

float Character::GetPathSlowdownLength() const { return gGameEngine ? gGameEngine->GetPathSlowdownLength() : 0.0f; }

bool Character::OccludesPathing() const { return IsAlive() && !m_invisible; }

// ---- Following a target -------------------------------------------------------------------

void Character::UpdatePath()
{
    if (!m_movementManager->HasAttackTarget())
        return;   // id 0: no object
    Character* target = ObjectManager::Get().GetObject<Character>(m_attackTargetId);
    if (!target)
        return;
    const WorldVec3 goal = GetMoveToPoint(m_attackTargetId, m_attackSkillId, target->GetPathPosition());
    const WorldVec3 own = GetPathPosition();
    if (goal.IsValid() && !(goal == own)) {
        const WorldVec3 current = m_movementManager->GetPathTarget();
        if (current.IsValid() && Distance(current, goal) <= kFollowTolerance * Distance(own, goal))
            return;
        bool alreadyThere = false;
        if (m_movementManager->SetNewPathTarget(own, goal, alreadyThere))
            return;
    }
    CharacterStopMoving();
}

void Character::SetCurrentAttackTarget(uint32_t targetId, const WorldVec3& point, uint32_t skillReference)
{
    m_attackTargetId = targetId;
    m_movementManager->SetHasAttackTarget(targetId != 0);
    m_attackTargetPoint = point;
    m_attackSkillId = m_skillManager->GetSkillIdFromReference(skillReference);
}

void Character::GetCurrentAttackTarget(uint32_t& targetId, WorldVec3& point, uint32_t& skillId) const
{
    targetId = m_attackTargetId;
    point = m_attackTargetPoint;
    skillId = m_attackSkillId;
}

// Approaches the goal to `distance`: along a path when the point found can be reached,
// else along the straight line from the path position, else nowhere.
WorldVec3 Character::ApproachPoint(const WorldVec3& goal, float distance)
{
    const WorldVec3 point = m_movementManager->GetPointAwayFromGoal(goal, distance);
    if (point.IsValid() && CanMoveTo(point, kMoveToTolerance))
        return point;
    WorldVec3 straight = GetPathPosition();
    if (!straight.IsValid() || !goal.IsValid())
        return WorldVec3();
    const Vec3 toGoal = goal - straight;
    straight.Translate(toGoal.Unit() * std::max(0.0f, toGoal.Length() - distance));
    return straight;
}

WorldVec3 Character::GetMoveToPoint(uint32_t targetId, uint32_t skillId, const WorldVec3& targetPoint)
{
    if (targetId == GetObjectId())
        return GetPathPosition();
    ObjectManager& objects = ObjectManager::Get();
    const Skill* skill = objects.GetObject<Skill>(skillId);
    Object* object = objects.GetObject(targetId);
    Character* target = DynamicCast<Character>(object);
    const float extents = GetExtents();

    if (!target) {
        if (const FixedItem* fixedItem = DynamicCast<FixedItem>(object))
            return fixedItem->GetUsePoint(*this);
        if (const auto* marker = DynamicCast<StrategicMovementBase>(object))
            return marker->GetMoveToPoint(*this);
        if (const Entity* entity = DynamicCast<Entity>(object)) {
            WorldVec3 goal = entity->GetCoords().GetPosition();
            // A static obstacle is approached from this side, the goal just off its centre.
            if (entity->IsStatic() && goal.IsValid())
                goal.Translate((GetPathPosition() - goal) * kStaticOccluderOffset);
            return ApproachPoint(goal, extents + entity->GetBoundingRadius());
        }
        return ApproachPoint(targetPoint, SkillRange(skill));
    }

    const float both = extents + target->GetExtents();
    const WorldVec3 targetPosition = target->GetPathPosition();
    const TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    if (teams && teams->IsFriend(*this, *target)) {
        if (m_actionState == Character_ActionState_Walk) {
            WorldVec3 meeting = targetPosition;
            if (!meeting.IsValid())
                return WorldVec3();
            meeting.Translate((GetPathPosition() - targetPosition).Unit() * (both + kMeetingDistance));
            return CanMoveTo(meeting, kMoveToTolerance) ? meeting : WorldVec3();
        }
        WorldVec3 slot;
        target->RequestDefenseSlot(slot, GetObjectId(), false);
        return slot;
    }
    if (!skill)
        return ApproachPoint(targetPosition, both);
    if (SkillNeedsAttackSlot(skill) && !IsA<Player>()) {
        WorldVec3 slot;
        target->RequestAttackSlot(slot, GetObjectId(), skillId);
        return slot;
    }
    return ApproachPoint(targetPosition, SkillRange(skill) + both);
}

// ---- Slots --------------------------------------------------------------------------------

MovementGoalManager& Character::GetMovementGoalManager() { return MovementGoalManager::Get(); }

float Character::GetTargetDistance(uint32_t attackerId, uint32_t targetId, uint32_t skillId)
{
    ObjectManager& objects = ObjectManager::Get();
    const Character* attacker = objects.GetObject<Character>(attackerId);
    const Skill* skill = objects.GetObject<Skill>(skillId);
    if (!attacker || !skill)
        return 0.0f;
    float distance = attacker->GetExtents() + SkillRange(skill);
    if (const Character* target = objects.GetObject<Character>(targetId))
        distance += target->GetExtents();
    return distance;
}

bool Character::NearTarget(uint32_t targetId, float range)
{
    Character* target = ObjectManager::Get().GetObject<Character>(targetId);
    if (!target)
        return false;
    const WorldVec3 own = GetPathPosition();
    const WorldVec3 theirs = target->GetPathPosition();
    if (!own.IsValid() || !theirs.IsValid())
        return false;
    return Distance(own, theirs) <= GetExtents() + target->GetExtents() + range;
}

void Character::RequestAttackSlot(WorldVec3& point, uint32_t attackerId, uint32_t skillId)
{
    m_attackSlots->RequestSlot(point, attackerId, GetTargetDistance(GetObjectId(), attackerId, skillId), false);
}

void Character::RequestDefenseSlot(WorldVec3& point, uint32_t otherId, bool skipReachTest)
{
    const Character* other = ObjectManager::Get().GetObject<Character>(otherId);
    if (!other)
        return;
    m_defenseSlots->RequestSlot(point, otherId, GetExtents() + other->GetExtents() + kDefenseSlotDistance,
                                skipReachTest);
}

void Character::ReleaseAttackSlot(uint32_t id) { m_attackSlots->ReleaseSlot(id); }
void Character::ReleaseDefenseSlot(uint32_t id) { m_defenseSlots->ReleaseSlot(id); }

void Character::LostSlot()
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
        controller->LostSlot();
}

void Character::ProjectileNotification(uint32_t projectileId)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
        controller->ProjectileNotification(projectileId);
}

void Character::ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(m_controllerId))
        controller->ProjectileCollisionCallback(info, collision);
}

void Character::RequestAttack(uint32_t requesterId, uint32_t skillId)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->RequestAttack(requesterId, skillId);
}

void Character::RequestMove(uint32_t requesterId, const WorldVec3& point)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->RequestMove(requesterId, point);
}

void Character::AllowDualWieldWeapons(bool allow)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCharacter>(m_controllerId))
        controller->AllowDualWieldWeapons(allow);
}

// ---- Quest commands -----------------------------------------------------------------------

void Character::QuestCommandMove(uint32_t value, const WorldVec3& target, bool flag)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->QuestCommandMove(value, target, flag);
}

void Character::QuestCommandWalk(uint32_t value, const WorldVec3& target, bool flag)
{
    if (!CanWalk())
        return;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->QuestCommandWalk(value, target, flag);
}

void Character::QuestCommandPlayAnimation(uint32_t value, bool first, bool second)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->QuestCommandPlayAnimation(value, first, second);
}

void Character::QuestCommandUseSkill(const std::string& skillName, uint32_t value, bool flag)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->QuestCommandUseSkill(m_skillManager->FindSkillId(skillName), value, flag);
}

void Character::SendQuestMoveCompletedEvent() const
{
    GameEvent_MoveCompleted event;
    event.objectName = GetObjectName();
    EventManager::Get().Send(event, "GameEvent_MoveCompleted");
}

void Character::SendQuestAnimationCompletedEvent() const
{
    GameEvent_AnimationCompleted event;
    event.objectName = GetObjectName();
    EventManager::Get().Send(event, "GameEvent_AnimationCompleted");
}

// ---- Turning ------------------------------------------------------------------------------

void Character::RotateTowardsTarget(bool on) { m_rotateTowardsTarget = on && !m_disallowRotation; }

void Character::RotateTowards(int elapsedMs, const Vec3& direction, WorldCoords& coords)
{
    if (direction.Length() < kMinRotationDirection)
        return;
    const Coords& current = coords.GetRegionCoords();
    // The new axes follow from these inputs alone; the same inputs as the last turn's give
    // its axes again.
    const float fastest = GetMaxRotationSpeed();
    const float slowest = GetMinRotationSpeed();
    CharacterMovementManager::Turn& turn = m_movementManager->GetTurn();
    const CharacterMovementManager::Turn::Inputs inputs{elapsedMs, fastest, slowest, direction, current.zAxis};
    if (!turn.Matches(inputs, m_disallowRotation)) {
        const Vec3 wanted = Flattened(direction);
        Vec3 facing = Flattened(current.zAxis);
        if (!m_disallowRotation && wanted.LengthSquared() > 0.0f) {
            if (facing.LengthSquared() == 0.0f) {
                facing = wanted;
            } else {
                const float c = std::clamp(Dot(facing, wanted), -1.0f, 1.0f);
                const float speed = fastest + (slowest - fastest) * (c + 1.0f) * 0.5f;
                const float step = speed * static_cast<float>(elapsedMs) * 0.001f;
                if (std::acos(c) <= step) {
                    facing = wanted;
                } else {
                    // Positive turns about the up axis carry the facing toward the side its
                    // cross product with the wanted direction points up from.
                    const float side = Cross(facing, wanted).y >= 0.0f ? 1.0f : -1.0f;
                    facing = Coords::MakeRotation(Vec3(0.0f, 1.0f, 0.0f), side * step).TransformVector(facing);
                }
            }
        }
        const bool turned = facing.LengthSquared() > 0.0f;
        const Coords axes = turned ? Coords::LookAlong(Vec3{}, facing, Vec3(0.0f, 1.0f, 0.0f)) : Coords();
        turn = {true, m_disallowRotation, turned, inputs, axes.xAxis, axes.yAxis, axes.zAxis};
    }
    if (turn.turned) {
        Coords frame;
        frame.xAxis = turn.xAxis;
        frame.yAxis = turn.yAxis;
        frame.zAxis = turn.zAxis;
        frame.origin = current.origin;
        coords = WorldCoords(coords.GetRegion(), frame);
    }
    World::Get().SetCoords(this, coords);
}

// ---- Teleport and restore -----------------------------------------------------------------

void Character::TeleportToLocation(const WorldCoords& coords)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCharacter>(m_controllerId)) {
        controller->Teleport(coords);
        return;
    }
    CharacterStopMoving();
    World::Get().SetCoords(this, coords);
    ResetMovementManager();
}

void Character::SetInitialStateInfo(Character_ActionState action, const WorldVec3& target, uint32_t targetValue,
                                    uint32_t skillId)
{
    m_initialAction = action;
    m_initialTarget = target;
    m_initialTargetValue = targetValue;
    m_initialSkillId = skillId;
}

void Character::RestoreLifeState()
{
    if (m_lifeState == Character_LifeState_Dead || m_lifeState == Character_LifeState_Dying) {
        if (m_currentAnimationSet)
            m_currentAnimationSet->Cancel();
        if (GetVisibility())
            SetVisibility(false);
        PhysicsEngine::Get().RemoveEntity(GetObjectId());
        return;
    }
    if (!ReplayInitialAction() && m_currentAnimationSet)
        m_currentAnimationSet->PlayAnimation(*this, AnimationSet_AttackIdle, Name::noName, 1.0f, true, 0);
    m_initialAction = Character_ActionState_Unknown;
}

// A run or walk under way when the character was saved or replicated starts again.
bool Character::ReplayInitialAction()
{
    if (m_initialAction != Character_ActionState_Move && m_initialAction != Character_ActionState_Walk)
        return false;
    if (m_initialAction == Character_ActionState_Move)
        m_actionHandler->Execute(new MoveToAction(GetObjectId(), GetPathPosition(), m_initialTarget,
                                                  m_initialTargetValue,
                                                  m_skillManager->GetSkillReferenceNumber(m_initialSkillId),
                                                  GetRunSpeed()));
    else
        m_actionHandler->Execute(new WalkAction(GetObjectId(), GetPathPosition(), m_initialTarget,
                                                m_initialTargetValue));
    return true;
}

// ---- Shape --------------------------------------------------------------------------------

float Character::GetExtents() const
{
    switch (m_pathingSize) {
    case CharacterPathingSize_Medium:
        return 1.0f;
    case CharacterPathingSize_Large:
        return 1.75f;
    default:
        return 0.5f;
    }
}

void Character::SetExtentsLarge()
{
    m_pathingSize = CharacterPathingSize_Large;
    AdjustBoundingValue(1.0f);
}

void Character::SetExtentsSmall()
{
    m_pathingSize = CharacterPathingSize_Small;
    AdjustBoundingValue(-1.0f);
}

int Character::GetEffectIndex() const
{
    const int size = m_pathingSize;
    return size >= CharacterPathingSize_Small && size <= CharacterPathingSize_Large ? size : 0;
}

float Character::GetPathMass() const { return IsMoving() ? m_pathMass : 2.0f * m_pathMass; }

bool Character::CanCollide(const Entity* other) const
{
    return !other || !(other->IsA<Item>() || other->IsA<Character>());
}

Sphere Character::GetRegionBoundingSphere() const
{
    return Sphere{GetCoords().GetRegionCoords().origin, GetExtents()};
}

WorldCoords Character::GetFootCoords(bool left) const
{
    static const Name kLeftFoot("Bone_L_Foot");
    static const Name kRightFoot("Bone_R_Foot");
    const WorldVec3 foot = GetAttachPointPosition(left ? kLeftFoot : kRightFoot);
    Coords frame = GetCoords().GetRegionCoords();
    frame.origin = foot.GetRegionPosition();
    return WorldCoords(foot.GetRegion(), frame);
}

WorldCoords Character::GetChatCoords() const
{
    Coords frame = GetCoords().GetRegionCoords();
    frame.origin.y += 2.0f * GetHeightValue() + kChatHeight;
    return WorldCoords(GetRegion(), frame);
}

void Character::GetConversationPartnerLocation(std::vector<WorldVec3>& out) const
{
    const Coords& frame = GetCoords().GetRegionCoords();
    const Vec3 side = frame.xAxis * kConversationSide;
    out.emplace_back(GetRegion(), frame.origin + side);
    out.emplace_back(GetRegion(), frame.origin - side);
}

void Character::SetPointOfInterest(const Vec3& point)
{
    m_pointOfInterest = point;
    m_hasPointOfInterest = true;
}

void Character::SetBreastSupport(float support) { m_breastSupport = std::clamp(support, 0.0f, 1.0f); }

// ---- Speeds -------------------------------------------------------------------------------

float Character::GetRunSpeed() const
{
    const float speed = m_combatManager->GetRunSpeed(GetTotalCharAttribute(CharAttributeType_RunSpeed));
    return m_useAbsoluteRunSpeedCap ? CapAbsoluteRunSpeed(speed) : CapRunSpeed(speed);
}

float Character::CapAbsoluteRunSpeed(float speed) const
{
    if (!gGameEngine)
        return speed;
    const LoadTable& database = gGameEngine->GetDatabase();
    const auto difficulty = static_cast<unsigned>(gGameEngine->GetGameDifficulty());
    const float minPercent = database.GetFloat("absoluteRunSpeedCapMin", difficulty, 0.0f);
    const float maxPercent = database.GetFloat("absoluteRunSpeedCapMax", difficulty, 0.0f);
    if (!(minPercent > 0.0f) || !(maxPercent > 0.0f))
        return speed;
    const float base = m_bio->GetBaseCharAttribute(CharAttributeType_RunSpeed);
    const float low = minPercent * 0.01f * base;
    const float high = maxPercent * 0.01f * base;
    // A record whose minimum lies above its maximum holds the speed at the maximum.
    return std::min(std::max(speed, low), high);
}

float Character::GetAttackSpeed() const
{
    const float attackSpeed = GetTotalCharAttribute(CharAttributeType_AttackSpeed);
    float baseAttackSpeed = GetTotalCharAttribute(CharAttributeType_BaseAttackSpeed);
    if (m_combatManager->GetHandState() == EquipManager_DualWielded)
        baseAttackSpeed *= 0.5f;
    return CapAttackSpeed(m_combatManager->GetAttackSpeed(attackSpeed + baseAttackSpeed));
}

float Character::GetSpellCastSpeed() const
{
    return CapSpellCastSpeed(
        m_combatManager->ContributeSpellCastSpeed(GetTotalCharAttribute(CharAttributeType_SpellCastSpeed)));
}

void Character::SkillWarmUp(uint32_t skillId, bool end)
{
    const bool began = m_skillManager->SkillWarmUp(skillId, end);
    if (end) {
        if (m_useAbsoluteRunSpeedCap) {
            m_useAbsoluteRunSpeedCap = false;
            ForceSpeedUpdate();
        }
    } else if (began) {
        m_useAbsoluteRunSpeedCap = true;
        ForceSpeedUpdate();
    }
}

void Character::ForceSpeedUpdate()
{
    m_bio->Update(*this, 0);
    if (!m_currentAnimationSet)
        return;
    if (m_actionState == Character_ActionState_Move)
        m_currentAnimationSet->AdjustAnimation(*this, GetRunSpeed());
    else if (m_actionState == Character_ActionState_Attack)
        m_currentAnimationSet->AdjustAnimation(*this, SkillManager::AttackAnimationSpeed(GetAttackSpeed()));
}

float Character::CapSpeed(float speed, const char* minKey, const char* maxKey, CharAttributeType base) const
{
    if (!gGameEngine)
        return speed;
    const LoadTable& record = gGameEngine->GetDatabase();
    const auto difficulty = static_cast<unsigned>(Player::DifficultyIndex());
    const float min = record.GetFloat(minKey, difficulty, 0.0f);
    const float max = record.GetFloat(maxKey, difficulty, 0.0f);
    if (!(min > 0.0f) || !(max > 0.0f))
        return speed;
    const float baseValue = GetCharacterBio().GetBaseCharAttribute(base);
    const float low = min * 0.01f * baseValue;
    const float high = max * 0.01f * baseValue;
    return std::min(std::max(speed, low), high);
}

}  // namespace GAME
