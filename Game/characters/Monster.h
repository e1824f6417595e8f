// A creature driven by an AI controller: hostile creatures, bosses and pets.
#pragma once

#include "Game/characters/Character.h"

namespace GAME {

class Monster : public Character {
    GAME_DECLARE_CLASS(Monster)

public:
    // A monster's skills know they are a monster's before they load.
    void Load(const LoadTable& table) override;

    // The master of a pet; 0 for a creature of its own.
    uint32_t GetMasterId() const { return m_masterId; }
    void SetMasterId(uint32_t id) { m_masterId = id; }
    // A monster rolls what it wears, except on a network client: the server's roll
    // reaches it with the monster.
    bool ShouldLoadLoot() const override { return !IsOnNetworkClient(); }

private:
    uint32_t m_masterId = 0;
};

}  // namespace GAME
