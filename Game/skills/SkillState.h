// The replicated state of one skill, as skills, skill managers and their packets share it.
// Each is an 8-byte record: the packets carry it as one 32-bit value, its flag bytes and
// zeroed filler.
#pragma once

#include <cstdint>

namespace GAME {

// The persistent state: the skill's level and whether it may be used.
struct SkillState {
    int32_t level = 0;
    bool enabled = false;

    bool operator==(const SkillState&) const = default;
};

// The runtime state: the sub level reached, and whether the skill is active or changing.
struct SkillActiveState {
    int32_t subLevel = 0;
    bool active = false;
    bool transition = false;

    bool operator==(const SkillActiveState&) const = default;
};

static_assert(sizeof(SkillState) == 8 && sizeof(SkillActiveState) == 8, "both travel as 8-byte records");

}  // namespace GAME
