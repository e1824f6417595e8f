// The states of the non-player controllers. Every townsfolk state answers quest commands
// the same way (move, walk, play an animation) unless it is already doing that command;
// the herd states ignore everything.
#pragma once

#include <cstdint>
#include <string>

#include "Game/ai/ControllerAIState.h"
#include "Game/ai/ControllerNpc.h"
#include "Game/ai/ControllerNpcHerder.h"

namespace GAME {

class Npc;

class ControllerNpcStateBase : public ControllerAIStateT<ControllerNpc2, Npc> {
public:
    using ControllerAIStateT::ControllerAIStateT;
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override;
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override;
    void QuestCommandPlayAnimation(AnimationSet_Type animation, bool looping) override;
    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int) override {}

protected:
    // Goes to "Chat" with the character's social target; false when it names none.
    bool ChatWithSocialTarget();
    // A wait drawn between the controller's idle times.
    int DrawIdleWait() const;
};

class ControllerNpcStateIdle : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void DebugRender() override;
    int GetWait() const { return m_wait; }

private:
    int m_wait = 0;
};

class ControllerNpcStateLongIdle : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;

private:
    int m_wait = 0;
};

class ControllerNpcStateChat : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
};

class ControllerNpcStateWander : public ControllerNpcStateBase {
public:
    static constexpr int kFirstAttractionSearchMs = 10000;
    static constexpr float kAttractionRadius = 5.0f;

    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void LostSlot() override;
    void DebugRender() override;

private:
    // Walks to a point round the current wander point; false when none can be reached.
    bool WalkToCurrentPoint();
    // The nearest wander point, as an index into the controller's list.
    bool FindClosestPoint(unsigned& index);
    uint32_t FindAttraction();

    int m_attractionCountdown = 0;
    uint32_t m_attraction = 0;
};

class ControllerNpcStateWatchAttraction : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void OnEnd() override;
    void LostSlot() override;

private:
    int m_watch = 0;
};

// Runs ("QuestMove") or walks ("QuestWalk") to the move terrain point; an unreachable
// point places the character there at once. Ending tells the quests the move is over.
class ControllerNpcStateQuestGo : public ControllerNpcStateBase {
public:
    ControllerNpcStateQuestGo(ControllerNpc2& controller, bool walk) : ControllerNpcStateBase(controller), m_walk(walk) {}
    void OnBegin() override;
    void OnEnd() override;
    void EndOfPathReached() override;
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override;
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override;

private:
    bool m_walk;
};

class ControllerNpcStateQuestMove : public ControllerNpcStateQuestGo {
public:
    explicit ControllerNpcStateQuestMove(ControllerNpc2& controller) : ControllerNpcStateQuestGo(controller, false) {}
};

class ControllerNpcStateQuestWalk : public ControllerNpcStateQuestGo {
public:
    explicit ControllerNpcStateQuestWalk(ControllerNpc2& controller) : ControllerNpcStateQuestGo(controller, true) {}
};

class ControllerNpcStateQuestPlayAnimation : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void OnEnd() override;
    void HandleEvent(const Name& event) override;
    void QuestCommandPlayAnimation(AnimationSet_Type, bool) override {}
};

// Registered by no controller: chat is switched on while a player is about.
class ControllerNpcStateAlert : public ControllerNpcStateBase {
public:
    using ControllerNpcStateBase::ControllerNpcStateBase;
    void OnBegin() override;
    void OnEnd() override;
    void OnUpdate(int elapsedMs) override;
};

// ---- Herds: placeholders that ignore everything -----------------------------------------

template <class ControllerT>
class ControllerNpcHerdStateBase : public ControllerAIStateT<ControllerT, Npc> {
public:
    using ControllerAIStateT<ControllerT, Npc>::ControllerAIStateT;
    void OnBegin() override {}
    void OnEnd() override {}
    void OnUpdate(int) override {}
};

class ControllerNpcAnimalStateFollowHerd : public ControllerNpcHerdStateBase<ControllerNpcHerdAnimal> {
public:
    using ControllerNpcHerdStateBase::ControllerNpcHerdStateBase;
};

// Temporary: one idle action, done at the animation's end.
class ControllerNpcAnimalStateWiggle : public ControllerNpcHerdStateBase<ControllerNpcHerdAnimal> {
public:
    using ControllerNpcHerdStateBase::ControllerNpcHerdStateBase;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
};

class ControllerNpcStateDirectHerd : public ControllerNpcHerdStateBase<ControllerNpcHerder> {
public:
    using ControllerNpcHerdStateBase::ControllerNpcHerdStateBase;
};

}  // namespace GAME
