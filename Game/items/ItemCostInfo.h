// The two cost records that no attribute store fills: an item's skill augments and a
// shield's block values. Every field is 0 after construction and after a reset.
#pragma once

#include <cstdint>

namespace GAME {

struct CostInfo_SkillAugment {
    uint32_t augmentLevel = 0;
    uint32_t augmentCount = 0;

    void Reset() { *this = CostInfo_SkillAugment(); }
    uint32_t GetCount() const { return augmentCount; }
    // The heading, then a line for each field that is not 0 (log level 0).
    void Dump() const;
};

struct CostInfo_ShieldBlock {
    float blockChance = 0.0f;
    float blockDefense = 0.0f;
    float blockAbsorption = 0.0f;
    float blockRecoveryTime = 0.0f;

    void Reset() { *this = CostInfo_ShieldBlock(); }
    // The heading, then a line for each field that is not 0 (log level 0). The record
    // has no count.
    void Dump() const;
};

}  // namespace GAME
