#include "Game/items/ItemCostInfo.h"

#include "Game/combat/CostInfo.h"

namespace GAME {

void CostInfo_SkillAugment::Dump() const
{
    LogCostHeading("Augments Cost Attributes");
    LogCostCount("   augmentLevel    = %u", augmentLevel);
    LogCostCount("   augmentCount    = %u", augmentCount);
}

void CostInfo_ShieldBlock::Dump() const
{
    LogCostHeading("Shield Cost Attributes");
    LogCostValue("   blockChance         = %f", blockChance);
    LogCostValue("   blockDefense        = %f", blockDefense);
    LogCostValue("   blockAbsorption     = %f", blockAbsorption);
    LogCostValue("   blockRecoveryTime   = %f", blockRecoveryTime);
}

}  // namespace GAME
