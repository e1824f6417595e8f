// The objects placed in levels that characters use where they stand: chests, doors,
// shrines, portals, traps. A quest can lock one so that nobody can use it.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class FixedItem : public Actor {
    GAME_DECLARE_CLASS(FixedItem)

public:
    bool ShouldServerSpawn() const override { return true; }

    virtual void SetLock(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }

    // Where a character stands to use the fixed item; the item's own position until the
    // kinds place their use points.
    virtual WorldVec3 GetUsePoint(const Entity& /*user*/) const { return GetCoords().GetPosition(); }

private:
    bool m_locked = false;
};

}  // namespace GAME
