// The two cost records that no attribute store fills: an item's skill augments and a
// shield's block values. Every field is 0 after a reset.
#pragma once

#include <cstdint>

namespace GAME {

struct CostInfo_SkillAugment {
    uint32_t augmentLevel = 0;
    uint32_t augmentCount = 0;

    void Reset() { *this = CostInfo_SkillAugment(); }
    uint32_t GetCount() const { return augmentCount; }
};

struct CostInfo_ShieldBlock {
    float blockChance = 0.0f;
    float blockDefense = 0.0f;
    float blockAbsorption = 0.0f;
    float blockRecoveryTime = 0.0f;

    void Reset() { *this = CostInfo_ShieldBlock(); }
};

}  // namespace GAME
