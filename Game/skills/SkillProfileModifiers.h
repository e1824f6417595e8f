// The per-level numbers of a skill that its modifiers and items add to, apart from the
// profile that holds them per level: a skill keeps their sums.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class LoadTable;
// ---- skill texts --------------------------------------------------------------------------
enum class GameTextClass : int32_t;
struct GameTextLine;
// ---- end of skill texts -------------------------------------------------------------------

// The per-level numbers of a skill that skill attributes and items add to. All zero when
// constructed; a skill sums its own and its modifiers' with +=.
struct SkillProfile_Modifiers {
    float manaCost = 0.0f;
    float activeLifeCost = 0.0f;
    float activeManaCost = 0.0f;
    float activeDuration = 0.0f;   // seconds
    float targetRadius = 0.0f;
    float targetAngle = 0.0f;
    uint32_t targetNumber = 0;
    float cooldownTime = 0.0f;     // seconds
    float speedAcceleration = 0.0f;
    float explosionRadius = 0.0f;
    float projectileLaunchRotation = 0.0f;
    uint32_t projectileLaunchNumber = 0;
    float projectilePiercing = 0.0f;

    // The numbers of level index `index` (level index + 1): each key's array entry at the
    // index, 0 past the array or for a key the record does not give. A negative count is 0.
    void Load(const LoadTable& record, unsigned index);
    // Inline: every skill's update sums its own and its modifiers' numbers.
    SkillProfile_Modifiers& operator+=(const SkillProfile_Modifiers& other);
    // ---- skill texts ----------------------------------------------------------------------
    // A line of that class for the mana cost, the target number and the launch number
    // when not 0 and for the other numbers when above 0; called on the next level's numbers,
    // a line when the mana cost, either count or the explosion radius differs from the
    // current level's, or another number grows. Cooldown and launch rotation show none.
    void CreateUIText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    void CreateUINextText(const SkillProfile_Modifiers& current, std::vector<GameTextLine>& lines) const;
    // ---- end of skill texts ---------------------------------------------------------------
};

// The per-level numbers a skill hands its projectiles: explosion, fragments and
// piercing. All zero (and no fragments) when constructed.
struct SkillProfile_ProjectileModifiers {
    float explosionRadius = 0.0f;
    std::string fragmentsName;   // one record for every level
    uint32_t fragmentsMin = 0;
    uint32_t fragmentsMax = 0;
    float piercingChance = 0.0f;

    // A fragment count of a record or a peer past this is cut to it (and logged): each
    // fragment is a projectile of its own, so a careless count of a million would exhaust
    // the machine; any count a design asks for stands.
    static constexpr uint32_t kMaxFragments = 256;

    // The numbers of level index `index`; counts are capped and a negative one is 0.
    void Load(const LoadTable& record, unsigned index);
    // Adds the radius, both counts and the chance; keeps its own fragments name.
    SkillProfile_ProjectileModifiers& operator+=(const SkillProfile_ProjectileModifiers& other)
    {
        explosionRadius += other.explosionRadius;
        fragmentsMin += other.fragmentsMin;
        fragmentsMax += other.fragmentsMax;
        piercingChance += other.piercingChance;
        return *this;
    }
    // ---- skill texts ----------------------------------------------------------------------
    // The explosion radius and the piercing chance when above 0, the fragment counts when
    // the fewest is not 0; for the next level, those that differ from the current level's.
    void CreateUIText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    void CreateUINextText(const SkillProfile_ProjectileModifiers& current, std::vector<GameTextLine>& lines) const;
    // ---- end of skill texts ---------------------------------------------------------------
};

inline SkillProfile_Modifiers& SkillProfile_Modifiers::operator+=(const SkillProfile_Modifiers& other)
{
    manaCost += other.manaCost;
    activeLifeCost += other.activeLifeCost;
    activeManaCost += other.activeManaCost;
    activeDuration += other.activeDuration;
    targetRadius += other.targetRadius;
    targetAngle += other.targetAngle;
    targetNumber += other.targetNumber;
    cooldownTime += other.cooldownTime;
    speedAcceleration += other.speedAcceleration;
    explosionRadius += other.explosionRadius;
    projectileLaunchRotation += other.projectileLaunchRotation;
    projectileLaunchNumber += other.projectileLaunchNumber;
    projectilePiercing += other.projectilePiercing;
    return *this;
}

}  // namespace GAME
