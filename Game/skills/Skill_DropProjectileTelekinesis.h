// The boss's dropped throwables: an area-effect projectile attack whose projectiles fall
// from above, out of the drop zones around the boss when there are any, else from around
// the caster. Each drop first blows up the throwables left lying near the boss.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/skills/SkillAttackKinds.h"

namespace GAME {

class Skill_DropProjectileTelekinesis : public Skill_AttackProjectileAreaEffect {
    GAME_DECLARE_CLASS(Skill_DropProjectileTelekinesis)

public:
    static constexpr size_t kMaxProjectileNames = 5;
    // Drop zones this close to the caster are used.
    static constexpr float kDropZoneRadius = 20.0f;
    // Throwables left lying this close to the caster are blown up by a drop.
    static constexpr float kClearRadius = 30.0f;
    static constexpr int kShakeMs = 2000;
    static constexpr float kShakeStrength = 2.0f;

    Skill_DropProjectileTelekinesis();

    // The activated skill's keys, then the drop's.
    void Load(const LoadTable& table) override;
    // Above a drop zone (its radius across) or above the caster (the drop offset across),
    // between the drop height and the height plus its deviation; drawn with rand(), which
    // the peers need not agree on.
    WorldCoords GetLaunchPoint(Character& caster, const Name& event) const override;
    // Blows up the throwables lying near the caster, shakes the camera and lets a
    // telekinesis projectile fall; false for any other projectile.
    bool DoSpecialProjectileGo(Character& caster, ProjectileBase& projectile) override;
    // The loaded names in turn by index; the skill's projectile without them.
    std::string GetSpecialProjectileName(unsigned index) const override;
    unsigned GetNumProjectiles() const override { return m_numProjectiles; }

    float GetDropOffset() const { return m_dropOffset; }
    float GetDropHeight() const { return m_dropHeight; }
    float GetDropHeightDeviation() const { return m_dropHeightDeviation; }
    const std::vector<std::string>& GetProjectileNames() const { return m_projectileNames; }

private:
    float m_dropOffset = 10.0f;
    float m_dropHeight = 14.0f;
    float m_dropHeightDeviation = 0.0f;
    unsigned m_numProjectiles = 3;
    std::vector<std::string> m_projectileNames;   // at most kMaxProjectileNames, none empty
};

}  // namespace GAME
