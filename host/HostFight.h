// A small staged fight for the bundled run: a player and a monster stand in one region
// and the player strikes once a second with a sword whose damage attributes come from its
// records, as its weapon skill will once characters fight on their own. The monster, made
// from its own record, wears armour rolled from its base, prefix and suffix records that
// protects it and strikes back, and knows a passive skill. With the combat channel on,
// each attack's trace is printed.
#pragma once

#include <cstdint>

namespace GAME {

class HostFight {
public:
    // Places the two fighters; false when the game has no combat record.
    bool Start();
    uint32_t GetPlayerId() const { return m_playerId; }
    // Advances the fight by one frame; prints the outcome of each attack.
    void Update(int frame, int ms);
    void Stop();

private:
    uint32_t m_playerId = 0;
    uint32_t m_monsterId = 0;
    uint32_t m_swordId = 0;
    uint32_t m_armorId = 0;
    uint32_t m_skillId = 0;
    int m_sinceAttack = 0;
    int m_attacks = 0;
    bool m_reportedDeath = false;
};

}  // namespace GAME
