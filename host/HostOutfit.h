// What the staged fight's monster wears and knows: a breastplate rolled from its base,
// prefix and suffix records at a fixed seed, and a passive skill that toughens it. With
// the resistances of its own record they make its defences. Also prints the player
// attribute pack's lines and the breastplate's tool-tip.
#pragma once

#include <cstdint>

namespace GAME {

class Character;

class HostOutfit {
public:
    // Equips the monster and teaches it the skill; false when a record is missing.
    bool Dress(Character& monster);
    // Destroys the breastplate and the skill.
    void Undress();

    static void PrintPlayerPack();
    void PrintToolTip() const;

private:
    uint32_t m_armorId = 0;
    uint32_t m_skillId = 0;
};

}  // namespace GAME
