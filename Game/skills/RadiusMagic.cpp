#include "Game/skills/RadiusMagic.h"

#include <cmath>

#include "Engine/ObjectManager.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(RadiusMagic, Decoration)

void RadiusMagic::SetEffect(float radius, float timeScale)
{
    m_effect.radius = radius;
    m_effect.timeScale = timeScale;
    m_endValue = 2.0f * radius;
}

void RadiusMagic::SetEffect(const RadiusEffect& effect)
{
    m_effect = effect;
    m_endValue = 2.0f * m_effect.radius;
}

float RadiusMagic::GetCurrentRadius() const
{
    return static_cast<float>(m_elapsed) * (1.0f / m_effect.timeScale);
}

void RadiusMagic::UpdateSelf(int elapsedMs)
{
    Decoration::UpdateSelf(elapsedMs);
    AddElapsed(m_elapsed, elapsedMs);
    // A scale of 0 or less would give an infinite, negative or undefined radius that
    // might never pass the end: such a ring has no life to draw and goes at once.
    // A radius that is not a finite number likewise.
    const bool noLife = !(m_effect.timeScale > 0.0f) || !std::isfinite(m_endValue);
    if (!noLife && !(GetCurrentRadius() > m_endValue))
        return;
    // Freed at the end of the frame, after the world's walk has let go of it; nothing
    // of this object is touched after the destroy.
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "RadiusMagic", __LINE__);
}

bool RadiusMagic::GetShaderParam(const Name& name, unsigned, unsigned, float& out) const
{
    static const Name kRadius = Name::Create("radius");
    if (!(name == kRadius))
        return false;
    out = GetCurrentRadius();
    return true;
}

bool RadiusMagic::GetShaderParamFloat4(const Name& name, unsigned, unsigned, float* out) const
{
    static const Name kStrength = Name::Create("strength");
    if (!(name == kStrength) || !out)
        return false;
    // The fraction of the life spent; all of it for a ring without a size.
    const float t = m_endValue > 0.0f ? GetCurrentRadius() / m_endValue : 1.0f;
    const float s = (1.0f - t * t) * 0.03f;
    out[0] = s;
    out[1] = 0.0f;
    out[2] = 0.0f;
    out[3] = s;
    return true;
}

}  // namespace GAME
