// An animated object a character holds at an attach point.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"

namespace GAME {

class SoundPak;

class Prop : public Actor {
    GAME_DECLARE_CLASS(Prop)

public:
    Prop() = default;
    // Destroys the prop's sound pack.
    ~Prop() override;

    void Load(const LoadTable& table) override;
    // Loads the sound and the animation ahead of their first use.
    void PreLoad(bool preloadNow) override;

    const std::string& GetAttachPoint() const { return m_propAttachPoint; }
    const std::string& GetAnimation() const { return m_animation; }
    float GetAnimationSpeed() const { return m_animationSpeed; }
    SoundPak* GetAnimationSound() const;

private:
    uint32_t m_animationSound = 0;   // object id of the owned sound pack
    std::string m_animation;
    float m_animationSpeed = 1.0f;
    std::string m_propAttachPoint;
};

}  // namespace GAME
