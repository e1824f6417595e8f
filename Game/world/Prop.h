// An animated object a character holds at an attach point.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"

namespace GAME {

class GraphicsAnim;
class SoundPak;

class Prop : public Actor {
    GAME_DECLARE_CLASS(Prop)

public:
    Prop() = default;
    // Destroys the prop's sound pack and gives back its animation.
    ~Prop() override;

    void Load(const LoadTable& table) override;
    // Loads the sound and the animation ahead of their first use.
    void PreLoad(bool preloadNow) override;

    // The actor takes the prop at its attach point; the prop's animation loops and its
    // sound plays where the actor stands.
    virtual void AttachProp(Actor& actor);
    // The actor lets the prop go.
    virtual void DetachProp(Actor& actor);

    const std::string& GetAttachPoint() const { return m_propAttachPoint; }
    const GraphicsAnim* GetAnimation() const { return m_animation; }
    float GetAnimationSpeed() const { return m_animationSpeed; }
    SoundPak* GetAnimationSound() const;

private:
    uint32_t m_animationSound = 0;   // object id of the owned sound pack
    GraphicsAnim* m_animation = nullptr;
    float m_animationSpeed = 1.0f;
    std::string m_propAttachPoint;
};

}  // namespace GAME
