// The volumes a boss carries around its body: attached to the boss, they know it as
// their owner.
#pragma once

#include <cstdint>

#include "Game/world/BoundingVolume.h"

namespace GAME {

class Monster;

class BoundingVolumeBossMonster : public BoundingVolume {
    GAME_DECLARE_CLASS(BoundingVolumeBossMonster)

public:
    void SetOwner(uint32_t ownerId, Monster* owner)
    {
        m_ownerId = ownerId;
        m_owner = owner;
    }
    uint32_t GetOwnerId() const { return m_ownerId; }
    Monster* GetOwner() const { return m_owner; }

private:
    uint32_t m_ownerId = 0;
    Monster* m_owner = nullptr;
};

}  // namespace GAME
