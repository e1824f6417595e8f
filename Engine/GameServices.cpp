#include "Engine/GameServices.h"

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"

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

void GraphicsEngine::RegisterMeshRigidBodies(const std::string& mesh, const std::vector<MeshRigidBody>& bodies)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const std::string key = RecordDatabase::NormalizeName(mesh);
    if (bodies.empty())
        m_meshBodies.erase(key);
    else
        m_meshBodies[key] = bodies;
}

const std::vector<GraphicsEngine::MeshRigidBody>* GraphicsEngine::GetMeshRigidBodies(const std::string& mesh) const
{
    if (mesh.empty())
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = m_meshBodies.find(RecordDatabase::NormalizeName(mesh));
    return found == m_meshBodies.end() ? nullptr : &found->second;
}

void GraphicsEngine::ClearMeshRigidBodies()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_meshBodies.clear();
}

void GraphicsEngine::SetPreLoadFrustum(const WorldFrustum& frustum)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_preLoadFrustum = frustum;
    m_hasPreLoadFrustum = true;
}

void GraphicsEngine::ClearPreLoadFrustum()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_preLoadFrustum = WorldFrustum();
    m_hasPreLoadFrustum = false;
}

bool GraphicsEngine::IsInPreLoadFrustum(const Entity& entity) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_hasPreLoadFrustum)
        return true;
    // The planes are in the frustum's region: the entity is measured from that region's
    // offset, wherever it stands.
    Vec3 position = entity.GetCoords().GetPosition().ToWorldSpace();
    if (m_preLoadFrustum.region)
        position = position - m_preLoadFrustum.region->GetOffset();
    const float radius = entity.GetBoundingRadius();
    for (const Plane& plane : m_preLoadFrustum.planes)
        if (!(Dot(plane.normal, position) + plane.distance >= -radius))
            return false;   // also a position that is not a number
    return true;
}

}  // namespace GAME
