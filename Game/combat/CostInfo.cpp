// The cost records that the attribute stores fill: counts and dumps.
#include "Game/combat/CostInfo.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/DamageAttribute.h"
#include "Game/combat/DefenseAttribute.h"
#include "Game/combat/SkillAttribute.h"

namespace GAME {

void LogCostHeading(const char* heading)
{
    gEngine->Log(LOG_INFO, "%s", heading);
}

void LogCostValue(const char* format, float value)
{
    if (value != 0.0f)
        gEngine->Log(LOG_INFO, format, static_cast<double>(value));
}

void LogCostCount(const char* format, uint32_t count)
{
    if (count != 0)
        gEngine->Log(LOG_INFO, format, count);
}

// ---- Character ----------------------------------------------------------------------

uint32_t CostInfo_CharacterAttributes::GetCount() const
{
    uint64_t total = 0;
    for (const CharAttributeCost* cost : {&primaryValue, &secondaryValue, &plainValue, &primaryModifier,
                                          &secondaryModifier, &plainModifier, &attackSpeed, &otherSpeed,
                                          &attackSpeedModifier, &otherSpeedModifier})
        total += cost->count;
    return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

void CostInfo_CharacterAttributes::Dump() const
{
    struct Line {
        const char* format;
        const CharAttributeCost& cost;
    };
    const Line lines[] = {
        {"   primaryAtt     (%f)   primaryAttCount       (%u)", primaryValue},
        {"   secondaryAtt   (%f)   secondaryAttCount     (%u)", secondaryValue},
        {"   bonus          (%f)   bonusCount            (%u)", plainValue},
        {"   primaryMod     (%f)   primaryModCount       (%u)", primaryModifier},
        {"   secondaryMod   (%f)   secondaryModCount     (%u)", secondaryModifier},
        {"   bonusMod       (%f)   bonusModCount         (%u)", plainModifier},
        {"   attackSpeed    (%f)   attackSpeedCount      (%u)", attackSpeed},
        {"   otherSpeed     (%f)   otherSpeedCount       (%u)", otherSpeed},
        {"   attackSpeedMod (%f)   attackSpeedModCount   (%u)", attackSpeedModifier},
        {"   otherSpeedMod  (%f)   otherSpeedModCount    (%u)", otherSpeedModifier},
    };
    LogCostHeading("Character Cost Attributes");
    for (const Line& line : lines) {
        // A category with a count shows even when its values cancel to 0.
        if (line.cost.sum != 0.0f || line.cost.count != 0)
            gEngine->Log(LOG_INFO, line.format, static_cast<double>(line.cost.sum), line.cost.count);
    }
}

// ---- Skill --------------------------------------------------------------------------

void CostInfo_SkillAttributes::Dump() const
{
    LogCostHeading("Skill Cost Attributes");
    LogCostValue("   base        = %f", valueSum);
    LogCostValue("   bonus       = %f", prefixSuffixSum);
    LogCostValue("   modifier    = %f", modifierSum);
    LogCostCount("   bonusCount  = %u", count);
}

// ---- Defense ------------------------------------------------------------------------

void CostInfo_DefenseAttributes::Dump() const
{
    LogCostHeading("Defense Cost Attributes");
    LogCostValue("   armor           = %f", protection);
    LogCostValue("   base            = %f", absolute);
    LogCostValue("   baseDuration    = %f", duration);
    LogCostValue("   mod             = %f", absoluteModifier);
    LogCostValue("   modDuration     = %f", durationModifier);
    LogCostCount("   count           = %u", count);
}

// ---- Damage and retaliation ---------------------------------------------------------

namespace {

// The lines that the damage and retaliation records share, after their own first lines.
void LogDamageCostTail(const CostInfo_DamageAttributes& info)
{
    LogCostValue("   avgBonus        = %f", info.avgBonus);
    LogCostValue("   avgOverTime     = %f", info.avgOverTime);
    LogCostValue("   mod             = %f", info.mod);
    LogCostValue("   modDur          = %f", info.modDur);
    LogCostCount("   count           = %u", info.count);
}

}  // namespace

void CostInfo_DamageAttributes::Dump() const
{
    LogCostHeading("Damage Cost Attributes");
    if (avgBase != 0.0f || avgPierceRatio != 0.0f)
        gEngine->Log(LOG_INFO, "   avgBase (%f)  avgPierceRatio (%f)", static_cast<double>(avgBase),
                     static_cast<double>(avgPierceRatio));
    LogDamageCostTail(*this);
}

void CostInfo_RetaliationAttributes::Dump() const
{
    LogCostHeading("Retaliation Cost Attributes");
    LogDamageCostTail(*this);
}

}  // namespace GAME
