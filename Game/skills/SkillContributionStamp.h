// What the passive collections over a character's skills depend on, as a skill manager
// finds it at one moment: two valid stamps that are equal mean that every collection adds
// the same values in the same order, so totals summed at the first still stand.
#pragma once

#include <cstdint>

namespace GAME {

struct SkillContributionStamp {
    uint32_t contributions = 0;   // Skill::GetContributionRevision
    uint32_t lists = 0;           // the changes of the manager's active list, buffs and item skills
    // The manager held its contributing skills found; a stamp that is not valid stands for
    // nothing, not even for itself.
    bool valid = false;

    bool operator==(const SkillContributionStamp&) const = default;
    // Whether totals kept at `kept` still stand now (this being the current stamp).
    bool Keeps(const SkillContributionStamp& kept) const { return valid && *this == kept; }
};

}  // namespace GAME
