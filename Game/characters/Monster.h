// A creature driven by an AI controller: hostile creatures, bosses and pets.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Monster : public Character {
    GAME_DECLARE_CLASS(Monster)

public:
    // The character this monster follows (a pet's master); 0 for none.
    uint32_t GetLeader() const { return m_leader; }
    void SetLeader(uint32_t leader) { m_leader = leader; }

private:
    uint32_t m_leader = 0;
};

}  // namespace GAME
