// The objects placed in levels that characters use where they stand: chests, doors,
// shrines, portals, traps. A quest can lock one so that nobody can use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/EventManager.h"

namespace GAME {

// The replicated state of a fixed item: one enumeration for every kind, each kind using
// its own range. Values stay below 128 (the replication byte keeps 7 bits of it).
enum FixedItem_State : uint32_t {
    FixedItemState_None = 0,
    FixedItemState_Closed = 1,
    FixedItemState_Open = 2,
    FixedItemState_Idle = 3,
    FixedItemState_IdleToActive = 4,
    FixedItemState_Active = 5,
    FixedItemState_ActiveToDormant = 6,
    FixedItemState_Dormant = 7,
    FixedItemState_DormantToIdle = 8,
    FixedItemState_DoorClosed = 9,
    FixedItemState_DoorOpen = 10,
    FixedItemState_DoorOpenByTrigger = 11,
};

// A player used a fixed item: the item's record name, the user's id and the item's id.
struct GameEvent_FixedItemUse : GameEvent {
    std::string objectName;
    uint32_t actorId = 0;
    uint32_t objectId = 0;
};

class FixedItem : public Actor {
    GAME_DECLARE_CLASS(FixedItem)

public:
    bool ShouldServerSpawn() const override { return true; }

    // The item's use took effect on its user and on the targets. A player user is
    // announced with "GameEvent_FixedItemUse".
    virtual void UseOnTarget(uint32_t actorId, const std::vector<uint32_t>& targets);
    // The item's skill acts on the targets; an item without a skill does nothing.
    virtual void UseSkillOnTargets(uint32_t actorId, const std::vector<uint32_t>& targets);
    // Puts the item into a state. The base knows no state and ignores every one; the kinds
    // take the states of their own range (instant: without animation; withEffects: with
    // sounds and effects).
    virtual void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects);

    // A character asks to use the item (a click, or a use action replayed from a peer).
    // The plain item carries no controller and no locked sound, so it answers nothing; the
    // kinds answer it.
    virtual void RequestToUse(uint32_t /*actorId*/) {}

    virtual void SetLock(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }

    // Where a character stands to use the fixed item; the item's own position until the
    // kinds place their use points.
    virtual WorldVec3 GetUsePoint(const Entity& /*user*/) const { return GetCoords().GetPosition(); }

private:
    bool m_locked = false;
};

}  // namespace GAME
