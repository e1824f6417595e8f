#include "Game/world/Puppet.h"

#include <algorithm>
#include <utility>

#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Puppet, Actor)

Puppet::~Puppet()
{
    for (Player* player : {&m_start, &m_idle, &m_end})
        GraphicsEngine::Get()->UnloadAnimation(std::exchange(player->animation, nullptr));
}

void Puppet::LoadPlayer(Player& player, const LoadTable& table, const char* key, const char* speedKey)
{
    GraphicsEngine::Get()->UnloadAnimation(std::exchange(player.animation, nullptr));
    const std::string name = table.GetString(key, "");
    if (!name.empty())
        player.animation = GraphicsEngine::Get()->LoadAnimation(name);
    player.speed = table.GetFloat(speedKey, 1.0f);
}

void Puppet::Load(const LoadTable& table)
{
    Actor::Load(table);
    LoadPlayer(m_start, table, "startAnimation", "startAnimationSpeed");
    LoadPlayer(m_idle, table, "idleAnimation", "idleAnimationSpeed");
    LoadPlayer(m_end, table, "endAnimation", "endAnimationSpeed");
    m_fadeInMs = SecondsToMs(table.GetFloat("fadeInTime", 0.0f));
    m_fadeOutMs = SecondsToMs(table.GetFloat("fadeOutTime", 0.0f));
}

// The animations are loaded with the record: nothing is left to load ahead.
void Puppet::PreLoad(bool /*preloadNow*/) {}

// The record's speeds are kept with the animations, but every animation plays at its own
// rate: a figure the skill holds keeps pace with the hold, not with the record.
bool Puppet::Play(const Player& player, bool loop)
{
    if (!player.animation)
        return false;
    PlayAnimation(0, player.animation, loop, kPlaySpeed, 0);
    return true;
}

void Puppet::StartAnimating()
{
    FadeIn();
    if (Play(m_start, false)) {
        m_puppetState = State_Starting;
        return;
    }
    Play(m_idle, true);
    m_puppetState = State_Idle;
}

void Puppet::ReleaseToWorld()
{
    if (Play(m_end, false)) {
        m_puppetState = State_Ending;
        return;
    }
    FadeOut();
    m_puppetState = State_FadingOut;
}

void Puppet::FadeIn()
{
    m_fadeTimerMs = m_fadeInMs;
    m_isFadingIn = true;
}

void Puppet::FadeOut()
{
    m_fadeTimerMs = m_fadeOutMs;
    m_isFadingIn = false;
}

void Puppet::AnimationCallback(const Name& event)
{
    Actor::AnimationCallback(event);
    if (event != EndEvent())
        return;
    if (m_puppetState == State_Starting) {
        Play(m_idle, true);
        m_puppetState = State_Idle;
    } else if (m_puppetState == State_Ending) {
        FadeOut();
        m_puppetState = State_FadingOut;
    }
}

void Puppet::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    if (m_fadeTimerMs > 0) {
        AddElapsed(m_fadeTimerMs, -elapsedMs);
        const int32_t length = m_isFadingIn ? m_fadeInMs : m_fadeOutMs;
        const float part = static_cast<float>(m_fadeTimerMs) / static_cast<float>(length);
        const float shade = std::clamp(m_isFadingIn ? 1.0f - part : part, 0.0f, 1.0f);
        SetTintColor(Color{shade, shade, shade, 1.0f});
    }
    if (m_puppetState == State_FadingOut && m_fadeTimerMs < 1) {
        m_puppetState = State_None;
        World::Get().RemoveEntity(this);
        ObjectManager::Get().DestroyObjectEx(this, "Puppet", __LINE__);
    }
}

}  // namespace GAME
