// The states of a named-state machine: the argument of a state change, the interface every
// state answers, and the template base that binds a state to its controller and
// character classes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/AnimationSet.h"
#include "Game/core/foundation/AimSolver.h"

namespace GAME {

class Character;
class DynamicBarrier;
class Entity;
class Name;
class UniqueId;
struct CollisionData;
struct ProjectileInfo;

// The argument of a state change: who the state acts against, for whom, with which skill,
// and where.
class ControllerAIStateData {
public:
    ControllerAIStateData() = default;
    ControllerAIStateData(uint32_t enemyId, uint32_t allyId, uint32_t skillId, const WorldVec3& point)
        : m_enemyId(enemyId), m_allyId(allyId), m_skillId(skillId), m_point(point)
    {
    }

    uint32_t GetEnemyID() const { return m_enemyId; }
    uint32_t GetAllyID() const { return m_allyId; }
    uint32_t GetSkillID() const { return m_skillId; }
    const WorldVec3& GetPointOfInterest() const { return m_point; }

private:
    uint32_t m_enemyId = 0;
    uint32_t m_allyId = 0;
    uint32_t m_skillId = 0;
    WorldVec3 m_point;
};

// One state of a controller's machine. Everything the character goes through is offered
// to the executing state; by default a state ignores it.
class ControllerAIState {
public:
    virtual ~ControllerAIState() = default;

    virtual void DebugRender() {}
    virtual bool CloseEnoughToUseSkill(uint32_t enemyId, uint32_t skillId) = 0;
    virtual bool ShouldFindEnemy() const { return false; }
    virtual bool ShouldFindClosestEnemy() const { return false; }
    virtual void EnemyFound(uint32_t /*enemyId*/) {}
    virtual void ClosestEnemyFound(uint32_t /*enemyId*/, float /*distance*/) {}
    virtual void Attacked(uint32_t /*attackerId*/) {}
    virtual void AllyAttacked(uint32_t /*allyId*/, uint32_t /*attackerId*/) {}
    virtual void LowHealth() {}
    virtual void AllyDied(uint32_t /*allyId*/) {}
    virtual void AllyNeedsHelp(uint32_t /*enemyId*/, uint32_t /*allyId*/) {}
    virtual void HandleEvent(const Name& /*event*/) {}
    virtual void EndOfPathReached() {}
    virtual void LostSlot() {}
    virtual void RequestAttack(uint32_t /*requesterId*/, uint32_t /*targetId*/) {}
    virtual void RequestMove(uint32_t /*requesterId*/, const WorldVec3& /*point*/) {}
    virtual bool RequestConversation(uint32_t /*otherId*/) { return false; }
    virtual bool IsAvailableForSidelineConversations() { return false; }
    virtual void RequestSidelineConversation(const WorldVec3& /*point*/) {}
    virtual void NotifySidelineDialogThread() {}
    virtual void NotifySidelineConversationEnd() {}
    virtual void QuestCommandMove(uint32_t /*id*/, const WorldVec3& /*point*/) {}
    virtual void QuestCommandWalk(uint32_t /*id*/, const WorldVec3& /*point*/) {}
    virtual void QuestCommandPlayAnimation(AnimationSet_Type /*animation*/, bool /*looping*/) {}
    virtual void QuestCommandUseSkill(uint32_t /*first*/, uint32_t /*second*/) {}
    virtual void ProjectileNotification(uint32_t /*projectileId*/) {}
    virtual void ProjectileCollisionCallback(const ProjectileInfo& /*info*/, const CollisionData& /*collision*/) {}
    virtual void StunMe(float durationMs) = 0;
    virtual void Panic(uint32_t /*sourceId*/) {}
    virtual void WakeUp(uint32_t /*sourceId*/) {}
    virtual void CharacterIsDying() = 0;
    virtual void CharacterIsDead() = 0;
    virtual void Confused(int /*durationMs*/) {}
    virtual void BeginImmobilize() {}
    virtual void EndImmobilize() {}
    virtual void BeginTrap() {}
    virtual void EndTrap() {}
    virtual void BeginStun() {}
    virtual void EndStun() {}
    virtual bool RespondsToFear() const { return false; }
    virtual bool UsePathPositionAsHome() const { return false; }
    virtual bool SelectPrimaryAction(bool, bool, const WorldVec3&, uint32_t&) { return false; }
    virtual bool SelectSecondaryAction(bool, bool, const WorldVec3&, uint32_t&) { return false; }
    virtual bool ActivateSuperSkill(bool, bool, const WorldVec3&, uint32_t&) { return false; }
    virtual bool RequestUseItem(uint32_t /*itemId*/, bool /*flag*/) { return false; }
    virtual bool RequestReleasePet(uint32_t /*petId*/) { return false; }
    virtual bool RequestUseRelic(uint32_t /*relicId*/, uint32_t /*itemId*/) { return false; }
    virtual bool Done() const = 0;
    virtual void SetDone(bool done) = 0;
    virtual void OnBegin() = 0;
    virtual void OnEnd() = 0;
    virtual void OnUpdate(int elapsedMs) = 0;
    virtual void SkillUsed(uint32_t /*skillId*/) {}
};

// The shared work of every state, with the controller passed in: the template below hands
// its own controller to these, so the logic is compiled once.
class ControllerAI;
namespace ControllerAIStateHelpers {
// The range rule: whether the character is near enough to the enemy to use the skill.
bool CloseEnoughToUseSkill(ControllerAI& controller, ControllerAIState& state, uint32_t enemyId, uint32_t skillId,
                           float tolerance);
void StunMe(ControllerAI& controller, float durationMs);
void CharacterIsDying(ControllerAI& controller);
void CharacterIsDead(ControllerAI& controller);
}  // namespace ControllerAIStateHelpers

// A state bound to a controller class and a character class. The character is looked up
// by the controller's parent id at every use: a character replaced under the same id, or
// one that appears after the state was made, is always the one found.
template <class ControllerT, class CharacterT>
class ControllerAIStateT : public ControllerAIState {
public:
    explicit ControllerAIStateT(ControllerT& controller) : m_controller(&controller) {}

    bool CloseEnoughToUseSkill(uint32_t enemyId, uint32_t skillId) override
    {
        return ControllerAIStateHelpers::CloseEnoughToUseSkill(*m_controller, *this, enemyId, skillId,
                                                               GetSkillUseTolerance(enemyId));
    }
    void StunMe(float durationMs) override { ControllerAIStateHelpers::StunMe(*m_controller, durationMs); }
    void CharacterIsDying() override { ControllerAIStateHelpers::CharacterIsDying(*m_controller); }
    void CharacterIsDead() override { ControllerAIStateHelpers::CharacterIsDead(*m_controller); }
    bool Done() const override { return m_done; }
    void SetDone(bool done) override { m_done = done; }
    virtual void DoorClosed() {}
    virtual void DoorOpened() {}
    // How far inside the skill's reach the character must come; the id is the character
    // the reach is measured to.
    virtual float GetSkillUseTolerance(uint32_t /*targetId*/) const { return 0.5f; }

protected:
    ControllerT* GetController() const { return m_controller; }
    CharacterT* GetCharacter() const { return ObjectManager::Get().GetObject<CharacterT>(m_controller->GetParentId()); }
    float GetViewDistance() const { return m_controller->GetViewDistance(); }
    void SetState(const std::string& name, const ControllerAIStateData& data) { m_controller->SetState(name, data); }
    void AddTemporaryState(const std::string& name, const ControllerAIStateData& data)
    {
        m_controller->AddTemporaryState(name, data);
    }
    void ClearTemporaryStates() { m_controller->ClearTemporaryStates(); }
    uint32_t GetCurrentEnemy() const { return m_controller->GetCurrentEnemy(); }
    uint32_t GetCurrentAlly() const { return m_controller->GetCurrentAlly(); }
    uint32_t GetCurrentSkillID() const { return m_controller->GetCurrentSkillID(); }
    WorldVec3 GetPointOfInterest() const { return m_controller->GetCurrentPointOfInterest(); }
    int GetStunTime() const { return m_controller->GetStunTime(); }
    void KillMe() { m_controller->KillMe(); }
    void Die() { m_controller->Die(); }
    void Idle() { m_controller->Idle(); }
    void LongIdle() { m_controller->LongIdle(); }
    void MoveTo(const WorldVec3& point, uint32_t targetId, uint32_t skillId) { m_controller->MoveTo(point, targetId, skillId); }
    void WalkTo(const WorldVec3& point, uint32_t targetId) { m_controller->WalkTo(point, targetId); }
    void PickUp(uint32_t itemId) { m_controller->PickUp(itemId); }
    void Use(uint32_t targetId) { m_controller->Use(targetId); }
    void Chat(uint32_t otherId) { m_controller->Chat(otherId); }
    void TakeStun() { m_controller->TakeStun(); }
    void PlayAnimation(AnimationSet_Type type, const Name& name, float speed, bool loop, uint32_t iterations)
    {
        m_controller->PlayAnimation(type, name, speed, loop, iterations);
    }
    // Uses the skill through the controller, then tells this state it was used.
    void UseSkill(uint32_t targetId, const WorldVec3& point, uint32_t skillId, uint32_t seed,
                  const TargetLeadingData& leading)
    {
        m_controller->UseSkillById(targetId, point, skillId, seed, leading);
        SkillUsed(skillId);
    }
    bool IsAlive(uint32_t id) const { return m_controller->IsCharacterAlive(id); }
    Character* ValidateObjectId(uint32_t id, const char* label) const { return m_controller->ValidateObjectId(id, label); }
    bool IsPathClear(uint32_t targetId, Entity*& blocker) { return m_controller->IsPathClear(targetId, blocker); }
    DynamicBarrier* IsBarrierBlocking(uint32_t targetId) { return m_controller->IsBarrierBlocking(targetId); }
    int GetClosest(const std::vector<UniqueId>& ids) const { return m_controller->GetClosest(ids); }
    void FindAlliesInSight(std::vector<Character*>& out) { m_controller->FindAlliesInSight(out); }
    void FindEnemiesInSight(std::vector<Character*>& out) { m_controller->FindEnemiesInSight(out); }
    void FindAlliesOfType(std::vector<Character*>& out, const std::string& record)
    {
        m_controller->FindAlliesOfType(out, record);
    }

private:
    ControllerT* m_controller;
    bool m_done = false;
};

}  // namespace GAME
