// The boss held in chains: a monster that carries its chains, an actor of their own,
// attached to it from its first update. Quest commands make it break the chains, wait and
// walk into a portal; its animation events do the visible work and open the portals near
// it.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/characters/Monster.h"

namespace GAME {

// The chains: how they dissolve when they break, and the effect burst at each of their
// three beam points.
class TyphonChains : public Actor {
    GAME_DECLARE_CLASS(TyphonChains)

public:
    void Load(const LoadTable& table) override;
    // The chains dissolve with their effect; without a burst effect no beam bursts show.
    void BreakChains();

    const std::string& GetBurstEffect() const { return m_burstFx; }
    const std::string& GetDissolveEffect() const { return m_dissolveEffect; }

private:
    std::string m_dissolveEffect;
    float m_dissolveTime = 1.0f;
    std::string m_dissolveTexture;
    int32_t m_dissolveRed = 255;
    int32_t m_dissolveGreen = 255;
    int32_t m_dissolveBlue = 255;
    std::string m_burstFx;
};

class TyphonChained : public Monster {
    GAME_DECLARE_CLASS(TyphonChained)

public:
    // The monster's keys, then its chains made from "chains" (kept only when they are
    // chains).
    void Load(const LoadTable& table) override;
    // Puts the chains on the character.
    void InitialUpdate() override;
    // "BreakTheChains" breaks the chains, "OpenPortal" unlocks the portals near the
    // character and "EnterPortal" dissolves it.
    void AnimationCallback(const Name& event) override;
    // The chains go with the character, attached or not.
    void OnDestroy() override;

    TyphonChains* GetChains() const;
    bool AreChainsAttached() const { return m_chainsAttached; }
    // Portals nearer than this open when the character's animation says so.
    static constexpr float kPortalRadius = 40.0f;

private:
    uint32_t m_chains = 0;   // owned, by object id
    bool m_chainsAttached = false;
};

class ControllerTyphonChained : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerTyphonChained)

public:
    // Exactly its own five states, none of the monster's.
    void RegisterStates() override;
};

class ControllerTyphonChainedState : public MonsterState {
public:
    using MonsterState::MonsterState;
    bool ShouldFindEnemy() const override { return false; }
    bool ShouldFindClosestEnemy() const override { return false; }
};

class ControllerTyphonChainedStateStartup : public ControllerTyphonChainedState {
public:
    using ControllerTyphonChainedState::ControllerTyphonChainedState;
    void OnBegin() override;
};

class ControllerTyphonChainedStateChained : public ControllerTyphonChainedState {
public:
    using ControllerTyphonChainedState::ControllerTyphonChainedState;
    void OnBegin() override { Idle(); }
    void QuestCommandPlayAnimation(AnimationSet_Type, bool) override;
};

class ControllerTyphonChainedStateBreakingTheChains : public ControllerTyphonChainedState {
public:
    using ControllerTyphonChainedState::ControllerTyphonChainedState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
};

class ControllerTyphonChainedStateWaitToWalk : public ControllerTyphonChainedState {
public:
    using ControllerTyphonChainedState::ControllerTyphonChainedState;
    void OnBegin() override { LongIdle(); }
    void QuestCommandMove(uint32_t id, const WorldVec3& point) override;
    void QuestCommandWalk(uint32_t id, const WorldVec3& point) override { QuestCommandMove(id, point); }
};

class ControllerTyphonChainedStateWalkToPortal : public ControllerTyphonChainedState {
public:
    using ControllerTyphonChainedState::ControllerTyphonChainedState;
    void OnBegin() override { WalkTo(GetPointOfInterest(), 0); }
    void EndOfPathReached() override;
};

}  // namespace GAME
