// The ring or sphere drawn where an area skill strikes: it grows through its shader's
// "radius" parameter, fades through "strength", and removes itself once the radius has
// passed twice the skill's radius. It deals no damage.
#pragma once

#include <cstdint>
#include <string>

#include "Game/world/Decoration.h"

namespace GAME {

struct RadiusEffect {
    float timeScale = 1.0f;   // milliseconds of life per unit of the shader radius
    float radius = 1.0f;      // the skill's radius
    float value1 = 0.0f;      // carried for the renderer's effect
    float value2 = 0.0f;
    std::string name;
};

class RadiusMagic : public Decoration {
    GAME_DECLARE_CLASS(RadiusMagic)

public:
    bool CanCollide(const Entity*) const override { return false; }
    // Grows; past the end value it leaves the world and is destroyed (freed at the end
    // of the frame). A time scale that is not above 0 (or not a number) removes it on
    // its first update.
    void UpdateSelf(int elapsedMs) override;
    // "radius": the present radius. "strength": (s, 0, 0, s) with s falling from 0.03
    // to 0 over the life. Any other name is refused, the output untouched.
    bool GetShaderParam(const Name& name, unsigned mesh, unsigned pass, float& out) const override;
    bool GetShaderParamFloat4(const Name& name, unsigned mesh, unsigned pass, float* out) const override;

    void SetEffect(float radius, float timeScale);
    void SetEffect(const RadiusEffect& effect);
    int32_t GetElapsed() const { return m_elapsed; }
    float GetEndValue() const { return m_endValue; }

protected:
    float GetCurrentRadius() const;

private:
    int32_t m_elapsed = 0;
    RadiusEffect m_effect;
    float m_endValue = 1.0f;
};

}  // namespace GAME
