// What every skill of one record shares: its stores and per-level values.
#pragma once

namespace GAME {

class SkillProfile {
public:
    SkillProfile() = default;
};

}  // namespace GAME
