#include "Game/core/Bonus.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {

constexpr const char* kLifePointsKey = "bonusLifePoints";
constexpr const char* kLifePercentKey = "bonusLifePercent";
constexpr const char* kManaPointsKey = "bonusManaPoints";
constexpr const char* kManaPercentKey = "bonusManaPercent";
constexpr const char* kGoldPointsKey = "bonusGoldPoints";
constexpr const char* kSkillPointsKey = "bonusSkillPoints";
constexpr const char* kAttributePointsKey = "bonusAttributePoints";
constexpr const char* kExperiencePointsKey = "bonusExperiencePoints";
constexpr const char* kEffectNameKey = "bonusEffectName";

// A count of points. A negative count in a record would turn into billions of points:
// it is logged and read as 0.
uint32_t ReadPoints(const LoadTable& table, const char* key)
{
    const int value = table.GetInt(key, 0);
    if (value >= 0)
        return static_cast<uint32_t>(value);
    gEngine->Log(LOG_WARNING, "Bonus: %s of %s is negative (%d); read as 0", key, table.GetName().c_str(), value);
    return 0;
}

// At most this many percent of a limit: the whole of it.
constexpr float kMaxPercent = 100.0f;

float BoundedAmount(float amount, float most)
{
    return std::isfinite(amount) && amount > 0.0f ? std::min(amount, most) : 0.0f;
}

}  // namespace

void Bonus::Load(const LoadTable& table)
{
    lifePoints = table.GetFloat(kLifePointsKey, 0.0f);
    lifePercent = table.GetFloat(kLifePercentKey, 0.0f);
    manaPoints = table.GetFloat(kManaPointsKey, 0.0f);
    manaPercent = table.GetFloat(kManaPercentKey, 0.0f);
    goldPoints = ReadPoints(table, kGoldPointsKey);
    skillPoints = ReadPoints(table, kSkillPointsKey);
    attributePoints = ReadPoints(table, kAttributePointsKey);
    experiencePoints = ReadPoints(table, kExperiencePointsKey);
    effectName = table.GetString(kEffectNameKey, "");
}

// Summed in 64 bits, so that large amounts add up instead of wrapping.
float Bonus::GetTotal(float lifeBase, float manaBase) const
{
    const uint64_t total = uint64_t{TruncateToUnsigned(lifePoints)} + TruncateToUnsigned(lifePercent * lifeBase) +
                           TruncateToUnsigned(manaPoints) + TruncateToUnsigned(manaPercent * manaBase) + goldPoints +
                           skillPoints + attributePoints + experiencePoints;
    return static_cast<float>(total);
}

Bonus Bonus::Bounded() const
{
    Bonus bounded = *this;
    constexpr float kAnyAmount = std::numeric_limits<float>::max();
    bounded.lifePoints = BoundedAmount(lifePoints, kAnyAmount);
    bounded.lifePercent = BoundedAmount(lifePercent, kMaxPercent);
    bounded.manaPoints = BoundedAmount(manaPoints, kAnyAmount);
    bounded.manaPercent = BoundedAmount(manaPercent, kMaxPercent);
    return bounded;
}

}  // namespace GAME
