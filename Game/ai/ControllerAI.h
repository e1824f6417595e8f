// The base of every AI and player controller.
#pragma once

#include <cstdint>

#include "Engine/World.h"
#include "Game/ai/ControllerCombat.h"

namespace GAME {

class ControllerAI : public ControllerCombat {
    GAME_DECLARE_CLASS(ControllerAI)

public:
    ControllerAI() = default;
    ~ControllerAI() override;

    // Reactions; nothing happens at this level.
    virtual void Panic(uint32_t /*sourceId*/) {}
    virtual void WakeUp(uint32_t /*sourceId*/) {}
    // The character changed sides.
    virtual void TeamChanged() {}

    // Orders the character passes on: go idle, a quest's move, walk, animation or skill,
    // and another character's request to attack or to move; nothing at this level.
    virtual void GoToIdleState() {}
    virtual void QuestCommandMove(uint32_t /*value*/, const WorldVec3& /*target*/, bool /*flag*/) {}
    virtual void QuestCommandWalk(uint32_t /*value*/, const WorldVec3& /*target*/, bool /*flag*/) {}
    virtual void QuestCommandPlayAnimation(uint32_t /*value*/, bool /*first*/, bool /*second*/) {}
    virtual void QuestCommandUseSkill(uint32_t /*skillId*/, uint32_t /*value*/, bool /*flag*/) {}
    virtual void RequestAttack(uint32_t /*requesterId*/, uint32_t /*targetId*/) {}
    virtual void RequestMove(uint32_t /*requesterId*/, const WorldVec3& /*point*/) {}
    // Another character asks to talk; refused at this level.
    virtual bool RequestConversation(uint32_t /*otherId*/) { return false; }
};

}  // namespace GAME
