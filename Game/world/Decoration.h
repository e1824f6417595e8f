// Placed scenery that plays its animations and sounds: a decoration plays its main
// animation and, after each run, an idle animation drawn from its bands of chances; it
// plays sounds on named animation events, carries one randomly chosen attached object and
// optionally a trigger volume. An apparatus is a decoration that also answers a random
// pause time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Game/characters/AnimationSound.h"
#include "Game/world/SoundObject.h"

namespace GAME {

class GraphicsAnim;

class Decoration : public Actor {
    GAME_DECLARE_CLASS(Decoration)

public:
    static constexpr int kRandomAnimations = 5;
    static constexpr int kDecorationSounds = 4;
    static constexpr int kAttachObjects = 4;
    static constexpr int kBlendMs = 250;
    static constexpr float kMaxFadeLevel = 0.5f;

    struct RandomAnimation {
        GraphicsAnim* animation = nullptr;
        float chance = 0.0f;   // in percent: one band of the draw from 0 to 100
    };

    Decoration();
    // Gives back its animations and destroys what it attached.
    ~Decoration() override;

    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    // Both sounds start (the ambient one not looping) and the main animation starts on the body.
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    // Event sounds; at the end of a run the next animation is drawn and played.
    void AnimationCallback(const Name& event) override;
    bool IsStatic() const override { return !m_allowPathing; }
    bool ShouldServerSpawn() const override { return false; }
    virtual bool IncludeInMinimap() const { return true; }
    virtual bool GetIsPartOfLevel() const { return true; }

    virtual void SetInvisible() { m_isFadingOut = true; }
    virtual void SetVisible() { m_isFadingOut = false; }

    // An actor made from the record is attached at the point; an empty name attaches
    // nothing. The decoration owns what it attaches.
    void AttachObject(const std::string& name, const std::string& point);
    // The animation to play after a run: the first band of chances the draw from 0 to 100
    // falls in, the main animation beyond the last band; null without a main animation.
    const GraphicsAnim* GetRandomAnimation() const;

    float GetFadeLevel() const { return m_fadeLevel; }
    const GraphicsAnim* GetMainAnimation() const { return m_mainAnimation; }
    const GraphicsAnim* GetCurrentAnimation() const { return m_currentAnimation; }
    const std::vector<RandomAnimation>& GetRandomAnimations() const { return m_randomAnimations; }
    const AnimationSound& GetAnimationSound() const { return m_animationSound; }
    const SoundAmbient& GetAmbient() const { return m_ambient; }
    const SoundPeriodic& GetPeriodic() const { return m_periodic; }
    // The ids of the objects it attached (the chosen object, the trigger volume).
    const std::vector<uint32_t>& GetOwnedAttachments() const { return m_owned; }

private:
    void PlayOnBody(const GraphicsAnim* animation);
    void ReleaseAnimations();

    bool m_isFadingOut = false;
    float m_fadeLevel = 0.0f;
    GraphicsAnim* m_mainAnimation = nullptr;
    const GraphicsAnim* m_currentAnimation = nullptr;
    std::vector<RandomAnimation> m_randomAnimations;
    AnimationSound m_animationSound;
    SoundAmbient m_ambient;
    SoundPeriodic m_periodic;
    bool m_allowPathing = false;
    std::vector<uint32_t> m_owned;
};

class Apparatus : public Decoration {
    GAME_DECLARE_CLASS(Apparatus)

public:
    // The decoration's keys, then the pause bounds (seconds, kept as whole milliseconds).
    void Load(const LoadTable& table) override;
    // A whole number of milliseconds between the bounds, both included; bounds given the
    // wrong way round are put in order first.
    int GetPauseTime() const;
    int GetPauseTimeMin() const { return m_pauseTimeMinMs; }
    int GetPauseTimeMax() const { return m_pauseTimeMaxMs; }

private:
    int m_pauseTimeMinMs = 0;
    int m_pauseTimeMaxMs = 0;
};

}  // namespace GAME
