// The base of every AI and player controller: a machine of named states. One main state
// is current; temporary states run on top of it for a while and hand control back.
// Everything that happens to the character is offered to the executing state.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Engine/UniqueId.h"
#include "Engine/World.h"
#include "Game/ai/ControllerAIState.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/core/foundation/ProcessRandom.h"

namespace GAME {

class ControllerAIStatePreStart;
class DynamicBarrier;
class Entity;
class LoadTable;
class Region;
class Team;

class ControllerAI : public ControllerCombat {
    GAME_DECLARE_CLASS(ControllerAI)

public:
    // A quest command that came before the states existed, replayed after the first frame.
    struct PreloadQuestAction {
        enum Kind : int { Move = 0, Walk = 1, PlayAnimation = 2, UseSkill = 3, Orient = 4 };
        int kind = Move;
        uint32_t objectId = 0;
        WorldVec3 point;
        bool allowInterruptions = false;
        bool looping = false;
        AnimationSet_Type animation = AnimationSet_None;
        uint32_t secondId = 0;
        std::string name;
    };

    static constexpr float kViewDistanceBeforeLoad = 20.0f;
    static constexpr float kDefaultViewDistance = 15.0f;

    ControllerAI();
    ~ControllerAI() override;

    // "ViewDistance", 15 when absent.
    void Load(const LoadTable& table) override;
    // Registers the states and lets InitializeStates choose the first.
    void InitialUpdate() override;
    // The combat frame, the pops of finished temporary states, the executing state's
    // frame, then the replay of quest commands recorded before the start.
    void Update(int elapsedMs) override;
    // The controller's debug lines, then the executing state's.
    void DebugRender() override;
    void HandleEvent(const Name& eventName) override;

    // ---- Forwarded to the executing state ----
    void LowHealth() override;
    void EndOfPathReached() override;
    void LostSlot() override;
    void ProjectileNotification(uint32_t projectileId) override;
    void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision) override;
    void StunMe(float durationMs) override;
    void TauntMe(float /*value*/, uint32_t /*attackerId*/) override {}
    void UnderAttack(uint32_t attackerId) override;
    void AllyAttacked(uint32_t allyId, uint32_t attackerId) override;
    void CharacterIsDying() override;
    void CharacterIsDead() override;
    virtual void Panic(uint32_t sourceId);
    virtual void WakeUp(uint32_t sourceId);
    // The character changed sides; nothing at this level.
    virtual void TeamChanged() {}
    virtual void RegisterStates() {}
    virtual void RegisterTemporaryStates() {}
    virtual void InitializeStates() {}

    virtual void RequestAttack(uint32_t requesterId, uint32_t targetId);
    virtual void RequestMove(uint32_t requesterId, const WorldVec3& point);
    virtual bool RequestConversation(uint32_t otherId);
    bool IsAvailableForSidelineConversations();
    void RequestSidelineConversation(const WorldVec3& point);
    void NotifySidelineDialogThread();
    void NotifySidelineConversationEnd();

    // Quest commands: the interruption flag is kept, the rest goes to the executing state.
    virtual void QuestCommandMove(uint32_t id, const WorldVec3& point, bool allowInterruptions);
    virtual void QuestCommandWalk(uint32_t id, const WorldVec3& point, bool allowInterruptions);
    virtual void QuestCommandPlayAnimation(uint32_t animation, bool looping, bool allowInterruptions);
    virtual void QuestCommandUseSkill(uint32_t first, uint32_t second, bool allowInterruptions);
    void AddPreloadQuestAction(const PreloadQuestAction& action) { m_preloadQuestActions.push_back(action); }
    const std::vector<PreloadQuestAction>& GetPreloadQuestActions() const { return m_preloadQuestActions; }
    bool GetAllowQuestInterruptions() const { return m_allowQuestInterruptions; }

    // ---- States ----
    virtual void GoToIdleState();
    // Empties the temporary stack without telling any state.
    void ClearTemporaryStates() { m_temporaryStack.clear(); }
    ControllerAIState* GetState(std::string_view name) const;
    ControllerAIState* GetExecutingState() const;
    // The name of the executing state; empty before the first real state.
    std::string GetExecutingStateName() const;
    size_t GetTemporaryDepth() const { return m_temporaryStack.size(); }
    const ControllerAIStateData& GetCurrentStateData() const;
    uint32_t GetCurrentEnemy() const { return GetCurrentStateData().GetEnemyID(); }
    uint32_t GetCurrentAlly() const { return GetCurrentStateData().GetAllyID(); }
    uint32_t GetCurrentSkillID() const { return GetCurrentStateData().GetSkillID(); }
    WorldVec3 GetCurrentPointOfInterest() const { return GetCurrentStateData().GetPointOfInterest(); }

    Character* GetAI() const { return GetParentCharacter(); }
    bool IsMoving() const;
    float GetViewDistance() const { return m_viewDistance; }
    void SetStunTime(int ms) { m_stunTime = static_cast<float>(ms); }
    int GetStunTime() const { return static_cast<int>(m_stunTime); }
    void SetConversationDisinterest(int ms) { m_conversationDisinterest = ms; }
    int GetConversationDisinterest() const { return m_conversationDisinterest; }
    void SetMoveTerrainPoint(const WorldVec3& point) { m_moveTerrainPoint = point; }
    const WorldVec3& GetMoveTerrainPoint() const { return m_moveTerrainPoint; }
    void SetQuestAnimation(AnimationSet_Type type, bool looping)
    {
        m_questAnimation = type;
        m_questAnimationLooping = looping;
    }
    AnimationSet_Type GetQuestAnimation() const { return m_questAnimation; }
    bool GetQuestAnimationLooping() const { return m_questAnimationLooping; }

    // ---- Character actions, each handed to HandleAction ----
    void Idle();
    void LongIdle();
    void PickUp(uint32_t itemId);
    void Use(uint32_t targetId);
    void Chat(uint32_t otherId);
    void TakeStun();
    void Immobilize();
    void TakeTrap();
    void PlayAnimation(AnimationSet_Type type, const Name& name, float speed, bool loop, uint32_t iterations);
    // An attack with the skill of that reference number.
    void UseSkill(uint32_t targetId, const WorldVec3& point, uint32_t skillReference, uint32_t seed,
                  const TargetLeadingData& leading);
    // The same with the skill's object id, turned into its reference number.
    void UseSkillById(uint32_t targetId, const WorldVec3& point, uint32_t skillId, uint32_t seed,
                      const TargetLeadingData& leading);
    void MoveTo(const WorldVec3& point, uint32_t targetId, uint32_t skillId);
    void WalkTo(const WorldVec3& point, uint32_t targetId);
    // Only where the death is this peer's to decide (DecidesDeath).
    void Die();
    // Commands queued on the character.
    void RemoveTrap();
    void SetCausesAnger(bool causes);
    void SetInvincible(bool invincible);
    void SetTeam(const Team& team);

    // ---- Target pickers over a list; none for an empty list ----
    Character* FindClosest(const std::vector<Character*>& characters) const;
    Character* FindStrongest(const std::vector<Character*>& characters) const;
    // The lowest share of life left, below full life: all at full life gives none.
    Character* FindWeakest(const std::vector<Character*>& characters) const;
    Character* FindMostVulnerable(const std::vector<Character*>& /*characters*/) const { return nullptr; }

    // ---- Sight and path tests, for the states ----
    bool IsCharacterAlive(uint32_t id) const;
    // The character of that id; none, with a logged error naming the label, otherwise.
    Character* ValidateObjectId(uint32_t id, const char* label) const;
    void FindAlliesInSight(std::vector<Character*>& out) const;
    void FindEnemiesInSight(std::vector<Character*>& out) const;
    void FindAlliesOfType(std::vector<Character*>& out, const std::string& record) const;
    // Whether nothing static and solid stands between the character and the target.
    bool IsPathClear(uint32_t targetId, Entity*& blocker) const;
    static bool BlocksPath(const Entity* entity);
    // The living barrier hostile to the character that stands nearest to it on the line
    // towards the target; none without a target or such a barrier.
    DynamicBarrier* IsBarrierBlocking(uint32_t targetId) const;
    // The index of the placed entity nearest to the character among those whose unique id
    // resolves and that stand in a region; -1 when none.
    int GetClosest(const std::vector<UniqueId>& ids) const;
    // The entities of class T (or derived from it) whose bounding spheres meet the sphere,
    // appended in the world's order.
    template <class T>
    static void GetObjectsInSphere(std::vector<T*>& out, const Region* region, const Sphere& sphere,
                                   EntityListType type)
    {
        GetObjectsInSphere(out, region, sphere, type, [](T&) { return true; });
    }
    // The same, only those that `keep(T&)` accepts. The class and `keep` are asked inside
    // the world's query, before it stores or sorts anything, so a sphere full of objects
    // turned down costs little; `keep` must leave the world and the object as they are.
    template <class T, class Keep>
    static void GetObjectsInSphere(std::vector<T*>& out, const Region* region, const Sphere& sphere,
                                   EntityListType type, const Keep& keep)
    {
        class Filter final : public FilterFunction<Entity> {
        public:
            explicit Filter(const Keep& keep) : m_keep(keep) {}
            bool operator()(const Entity* entity) const override
            {
                // The world hands out its entities to change; the filter only reads.
                T* object = DynamicCast<T>(const_cast<Entity*>(entity));
                return object && m_keep(*object);
            }

        private:
            const Keep& m_keep;
        };
        // One list reused by every query of the thread: a crowd of monsters asks every frame.
        thread_local std::vector<Entity*> found;
        found.clear();
        World::Get().GetEntitiesInSphere(found, region, sphere, type, Filter(keep));
        for (Entity* entity : found)
            out.push_back(static_cast<T*>(entity));
    }

protected:
    // Only the controller and its states switch states: everything else reaches a state
    // through the events and commands above.
    // Registers a main state (owned); one of the same name is replaced.
    void AddState(std::string_view name, ControllerAIState* state);
    // Registers a temporary state (owned); replacing one is logged.
    void AddTemporaryState(const std::string& name, ControllerAIState* state);
    // Switches the main state; while temporary states run, the switch waits for them.
    void SetState(const std::string& name, const ControllerAIStateData& data);
    // Pushes a temporary state over the executing one.
    void AddTemporaryState(const std::string& name, const ControllerAIStateData& data);

private:
    template <class, class>
    friend class ControllerAIStateT;
    friend void ControllerAIStateHelpers::StunMe(ControllerAI& controller, float durationMs);
    friend void ControllerAIStateHelpers::CharacterIsDying(ControllerAI& controller);
    friend void ControllerAIStateHelpers::CharacterIsDead(ControllerAI& controller);
    // Tests put a controller straight into a state that play reaches only through a long scene.
    friend struct ControllerAITestAccess;

    void ReplayPreloadQuestActions();
    // The other characters within the view distance that are foes (or friends).
    void FindInSight(std::vector<Character*>& out, bool foes) const;
    void ReleaseSlotsForChange(const ControllerAIStateData& newData, bool releaseDefense);
    // Casts the ray from the character to the target's path position into m_rayHits
    // (nearest first); false, with no hits, when the two stand at one point.
    bool CastRayToTarget(const Character& self, Character& target, float& length) const;

    struct StackEntry {
        ControllerAIState* state;
        ControllerAIStateData data;
    };

    // The members every frame reads come first, next to the base's last ones.
    int m_conversationDisinterest = 0;
    ControllerAIState* m_current = nullptr;
    std::vector<StackEntry> m_temporaryStack;   // the top is the back
    std::vector<PreloadQuestAction> m_preloadQuestActions;
    // The main states by name, sorted by name: a controller registers its twenty-odd states
    // once, into one block, and finds them by a binary search.
    std::vector<std::pair<std::string, std::unique_ptr<ControllerAIState>>> m_states;
    std::map<std::string, std::unique_ptr<ControllerAIState>> m_temporaryStates;
    std::unique_ptr<ControllerAIStatePreStart> m_preStart;
    ControllerAIStateData m_currentData;
    float m_viewDistance = kViewDistanceBeforeLoad;
    float m_stunTime = 0.0f;
    WorldVec3 m_moveTerrainPoint;
    AnimationSet_Type m_questAnimation = AnimationSet_None;
    bool m_questAnimationLooping = false;
    bool m_allowQuestInterruptions = false;
    // Reused by the ray tests so that a state asking every frame allocates nothing.
    mutable std::vector<RayIntersection> m_rayHits;
};

// The state before the real states exist: quest commands given then are recorded and
// replayed after the first frame.
class ControllerAIStatePreStart : public ControllerAIStateT<ControllerAI, Character> {
public:
    explicit ControllerAIStatePreStart(ControllerAI& controller) : ControllerAIStateT(controller) {}

    void QuestCommandMove(uint32_t id, const WorldVec3& point) override;
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override;
    void QuestCommandPlayAnimation(AnimationSet_Type animation, bool looping) override;
    // Reached only if a temporary state was pushed and popped before the first real state;
    // it changes nothing.
    void OnBegin() override;
    void OnEnd() override {}
    void OnUpdate(int) override {}
    using ControllerAIStateT::QuestCommandUseSkill;
    void QuestCommandUseSkill(uint32_t first, uint32_t second, std::string& name);
    void QuestCommandOrient(uint32_t id, const WorldVec3& point);

private:
    // Records the command with the controller's interruption flag as it stands now.
    void Record(ControllerAI::PreloadQuestAction action);
    void RecordAt(int kind, uint32_t id, const WorldVec3& point);
};

}  // namespace GAME
