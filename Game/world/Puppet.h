// A scripted animated figure: it fades in and plays its start animation, idles until it
// is released, then plays its end animation, fades out and removes itself. A telekinesis
// skill shows one at the grip of the object it holds.
#pragma once

#include <cstdint>

#include "Engine/Entity.h"

namespace GAME {

class GraphicsAnim;

class Puppet : public Actor {
    GAME_DECLARE_CLASS(Puppet)

public:
    enum State : int32_t { State_None = 0, State_Starting = 1, State_Idle = 2, State_Ending = 3, State_FadingOut = 4 };
    // Every animation plays at this speed.
    static constexpr float kPlaySpeed = 1.0f;

    Puppet() = default;
    // Gives back the animations it loaded.
    ~Puppet() override;

    // The actor's load; the start, idle and end animations with their speeds, and the
    // fade times (seconds, kept as whole milliseconds).
    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    // After the actor's handling, the end of the start animation begins the idle loop and
    // the end of the end animation the fade out.
    void AnimationCallback(const Name& event) override;
    // The fade tints the mesh; at the end of the fade out the puppet leaves the world and
    // is destroyed.
    void UpdateSelf(int elapsedMs) override;

    // Ready to be moved: idling.
    virtual bool IsReady() const { return m_puppetState == State_Idle; }
    // Fades in and plays the start animation (or idles at once without one).
    virtual void StartAnimating();
    virtual void FadeIn();
    virtual void FadeOut();
    // Plays the end animation (or fades out at once without one); its holder forgets it.
    virtual void ReleaseToWorld();

    State GetPuppetState() const { return m_puppetState; }
    int32_t GetFadeTimer() const { return m_fadeTimerMs; }

private:
    // One animation the puppet plays, loaded with the record.
    struct Player {
        GraphicsAnim* animation = nullptr;
        float speed = 1.0f;   // the record's, kept with the animation
    };
    void LoadPlayer(Player& player, const LoadTable& table, const char* key, const char* speedKey);
    // Plays it on the body; false without an animation.
    bool Play(const Player& player, bool loop);

    State m_puppetState = State_None;
    Player m_start;
    Player m_idle;
    Player m_end;
    int32_t m_fadeTimerMs = 0;
    int32_t m_fadeInMs = 0;
    int32_t m_fadeOutMs = 0;
    bool m_isFadingIn = false;
};

}  // namespace GAME
