#include "Game/core/RespawnActivity.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/network/NetworkRegionLoader.h"

namespace GAME {

namespace {
// Below this the overlay counts as gone.
constexpr float kInvisibleAlpha = 0.0001f;
}  // namespace

RespawnActivityBase::RespawnActivityBase(bool local, const char* className)
    : LoadingActivity(className), m_local(local)
{
    if (m_local)
        LockMouse();
}

RespawnActivityBase::~RespawnActivityBase()
{
    m_loader.reset();   // unregisters it
}

void RespawnActivityBase::Set(const WorldVec3& where, unsigned int player)
{
    m_position = where;
    m_playerId = player;
    StartLoader();
}

void RespawnActivityBase::AdoptLoader(std::unique_ptr<NetworkRegionLoaderBase> loader)
{
    m_loader = std::move(loader);
    m_loader->Initialize(m_position, m_playerId);
}

void RespawnLocalClientActivity::StartLoader()
{
    AdoptLoader(std::make_unique<NRLoaderClient>());
}

void RespawnLocalServerActivity::StartLoader()
{
    AdoptLoader(std::make_unique<NRLoaderHost>());
}

void RespawnNonLocalServerActivity::StartLoader()
{
    AdoptLoader(std::make_unique<NRLoaderServer>());
}

void RespawnActivityBase::SetState(int state)
{
    m_state = state;
    m_elapsed = 0;
    // Done with loading: the loader goes now rather than with the fade, so that the
    // player's next respawn finds its own loader registered first.
    if (state == kDone)
        m_loader.reset();
}

void RespawnActivityBase::FadeIn()
{
    m_indicator.FadeIn();
    m_targetAlpha = 1.0f;
}

void RespawnActivityBase::FadeOut()
{
    m_indicator.FadeOut();
    m_targetAlpha = 0.0f;
    m_fadeDelay = 1;
}

void RespawnActivityBase::StepOverlay(int ms)
{
    if (m_currentAlpha != m_targetAlpha && m_fadeDelay < 1) {
        const float step = static_cast<float>(ms) * 0.001f;
        const float distance = m_targetAlpha - m_currentAlpha;
        if (std::fabs(distance) < step)
            m_currentAlpha = m_targetAlpha;
        else
            m_currentAlpha += distance > 0.0f ? step : -step;
    }
    if (m_fadeDelay > 0)
        --m_fadeDelay;
}

void RespawnActivityBase::EndLoadScreen()
{
    gEngine->SetTeleportMode(false);
    if (gGameEngine)
        gGameEngine->SetRenderingEnabled(true, RenderingDisable_Respawn);
}

void RespawnActivityBase::Update(int ms)
{
    ms = std::max(ms, 0);
    m_elapsed = m_elapsed > INT_MAX - ms ? INT_MAX : m_elapsed + ms;
    if (m_loader && m_loader->HasPlayer())
        m_loader->Update();
    m_indicator.Update(ms);
    StepOverlay(ms);

    if (m_state == kDone)
        return;
    // Taken once: repeated on every update it would restart the fade's delay each time,
    // so the overlay never cleared and the activity never finished.
    if (!ObjectManager::Get().GetObject<Player>(m_playerId)) {
        if (m_local) {
            EndLoadScreen();
            RaiseNeedsSleep();
        }
        FadeOut();
        SetState(kDone);
        return;
    }

    switch (m_state) {
    case kFadingOut:
        FadeIn();
        if (m_elapsed >= kFadeTime) {
            if (m_local) {
                gEngine->SetTeleportMode(true);
                if (gGameEngine)
                    gGameEngine->SetRenderingEnabled(false, RenderingDisable_Respawn);
                RaiseNeedsSleep();
            }
            SetState(kLoading);
        }
        break;
    case kLoading:
        if (!m_loaded) {
            if (m_loader && !m_loader->IsDone())
                break;
            m_loaded = true;
            // The time spent waiting counts toward the period, but only within a period.
            m_elapsed %= m_loadingPeriod;
        }
        if (m_elapsed >= m_loadingPeriod) {
            if (m_local) {
                EndLoadScreen();
                m_complete = true;
            }
            FadeOut();
            SetState(kDone);
        }
        break;
    default:
        break;
    }
}

bool RespawnActivityBase::IsFinished()
{
    return m_state == kDone && m_currentAlpha < kInvisibleAlpha;
}

void RespawnActivityBase::Render(GraphicsCanvas& canvas)
{
    if (m_local)
        RenderOverlay(canvas, m_currentAlpha > kInvisibleAlpha ? m_currentAlpha : 0.0f, m_state == kLoading);
}

}  // namespace GAME
