// Sums of racial bonuses: extra damage against, or defence from, creatures of named
// races. Callers zero them and let each bonus add its share.
#pragma once

namespace GAME {

struct RacialBonus_Damage {
    float percent = 0.0f;
    float absolute = 0.0f;
};

// Against the current attacker; the combat manager spends the absolute part as a pool
// across the damage of one attack.
struct RacialBonus_Defense {
    float percent = 0.0f;
    float absolute = 0.0f;
};

}  // namespace GAME
