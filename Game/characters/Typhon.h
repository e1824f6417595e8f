// The chained boss: a monster with four god skills whose effects show on it.
#pragma once

#include <array>

#include "Game/characters/Monster.h"
#include "Game/world/CharFxPak.h"

namespace GAME {

class Typhon : public Monster {
    GAME_DECLARE_CLASS(Typhon)

public:
    static constexpr size_t kGodSkillCount = 4;

    // The effect pack of each god skill, bound to the boss.
    CharFxPak& GetGodSkillEffect(size_t index) { return m_godSkillEffects[index % kGodSkillCount]; }
    // Switches the effects of the four god skills off.
    void DisableSkillEffects();

private:
    std::array<CharFxPak, kGodSkillCount> m_godSkillEffects;
};

}  // namespace GAME
