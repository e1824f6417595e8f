#include "Engine/GameServices.h"

namespace GAME {

Jukebox& Jukebox::Get()
{
    static Jukebox jukebox;
    return jukebox;
}

void Jukebox::Reset()
{
    *this = Jukebox();
}

AmbianceManager& AmbianceManager::Get()
{
    static AmbianceManager manager;
    return manager;
}

void AmbianceManager::UpdateEnvironmentEffects(const WorldVec3& position)
{
    m_target = position;
    ++m_updates;
}

void AmbianceManager::UpdateEnvironmentEffects(const WorldFrustum&)
{
    ++m_updates;
}

void AmbianceManager::SetSkyAmbientColor(int environment, const Color& color)
{
    if (environment >= 0 && environment < kEnvironmentCount)
        m_skyAmbient[environment] = color;
}

Color AmbianceManager::GetSkyAmbientColor(int environment) const
{
    return environment >= 0 && environment < kEnvironmentCount ? m_skyAmbient[environment] : Color{};
}

void AmbianceManager::Reset()
{
    *this = AmbianceManager();
}

GameInfo& GameInfo::Get()
{
    static GameInfo info;
    return info;
}

void GameInfo::Reset()
{
    *this = GameInfo();
}

GraphicsEngine* GraphicsEngine::Get()
{
    // Made once and never freed: animation sets of objects freed at exit give their
    // animations back after static destructors may have run.
    static GraphicsEngine* engine = new GraphicsEngine();
    return engine;
}

}  // namespace GAME
