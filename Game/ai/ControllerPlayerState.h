// The base of the player's states: what a left or right click means for the object under
// the cursor, and how a request for an object, a skill or a point becomes a named state.
// The concrete states (ControllerPlayerStates.h) pass most requests on to the defaults here.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerAIState.h"
#include "Game/ai/ControllerPlayer.h"

namespace GAME {

class FixedItem;
class Item;
class Npc;
class Player;
class StrategicMovementBase;

class ControllerPlayerState : public ControllerAIStateT<ControllerPlayer, Player> {
public:
    using ControllerAIStateT::ControllerAIStateT;

    // The left button: an NPC, item, fixed item or marker gets its request (false); else
    // the primary hot-slot skill, then the default skill (false when one was taken); else a
    // move request (true).
    bool SelectPrimaryAction(bool inPlace, bool second, const WorldVec3& point, uint32_t& target) override;
    // The right button: the secondary slot's skill (the default skill only for a skill that
    // asks for it) or its potion; never a move, always false.
    bool SelectSecondaryAction(bool inPlace, bool second, const WorldVec3& point, uint32_t& target) override;
    // The active hot slot's skill, when a slot is active.
    bool ActivateSuperSkill(bool inPlace, bool second, const WorldVec3& point, uint32_t& target) override;

    virtual bool RequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                                    uint32_t& target) = 0;
    virtual void RequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc) = 0;
    virtual void RequestItemAction(bool inPlace, bool second, const WorldVec3& point, const Item* item) = 0;
    virtual void RequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point,
                                        const FixedItem* fixedItem) = 0;
    virtual void RequestStrategicMovementAction(bool inPlace, bool second, const WorldVec3& point,
                                                const StrategicMovementBase* marker) = 0;
    virtual void RequestMoveAction(bool inPlace, bool second, const WorldVec3& point) = 0;

protected:
    bool DefaultRequestSkillAction(bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                                   uint32_t& target);
    void DefaultRequestNpcAction(bool inPlace, bool second, const WorldVec3& point, const Npc* npc);
    void DefaultRequestItemAction(bool inPlace, bool second, const WorldVec3& point, const Item* item);
    void DefaultRequestFixedItemAction(bool inPlace, bool second, const WorldVec3& point, const FixedItem* fixedItem);
    void DefaultRequestStrategicMovementAction(bool inPlace, bool second, const WorldVec3& point,
                                               const StrategicMovementBase* marker);
    void DefaultRequestMoveAction(bool inPlace, bool second, const WorldVec3& point);
    bool DefaultRequestUseItemAction(uint32_t itemId, bool remove);
    bool DefaultRequestReleasePetAction(uint32_t petId);
    bool DefaultRequestUseRelicAction(uint32_t relicId, uint32_t itemId);
    void DefaultBeginImmobilizeAction();
    void DefaultBeginTrapAction();
    void DefaultBeginStunAction();

    void EngageNpc(uint32_t npcId, bool first, bool second);
    void PickupItem(uint32_t itemId) { PickUp(itemId); }

    // The player's id; 0 when it is gone.
    uint32_t GetPlayerId() const;
    // The object id the state works on (the ally field).
    uint32_t GetObjectOfState() const { return GetCurrentAlly(); }
    // Uses the state's skill on its target (at the target's path position), or at the
    // state's point without one, with a seed from rand(). False when a target is set but
    // is no character any more: nothing is used then.
    bool UseSkillOfState();

    // The shared target choice of the default and the trapped skill request: the target
    // by the skill's target type; false for an enemy skill with no enemy but an ally.
    bool ChooseSkillTarget(uint32_t skillId, uint32_t& target) const;
};

}  // namespace GAME
