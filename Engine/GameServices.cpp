#include "Engine/GameServices.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GraphicsCanvas.h"
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

DayNightManager& DayNightManager::Get()
{
    static DayNightManager manager;
    return manager;
}

EditorFilter& EditorFilter::Get()
{
    static EditorFilter filter;
    return filter;
}

void EditorFilter::Add(uint32_t objectId, int type)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_types[objectId] = type;
}

void EditorFilter::Remove(uint32_t objectId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_types.erase(objectId);
}

int EditorFilter::GetType(uint32_t objectId) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = m_types.find(objectId);
    return found == m_types.end() ? -1 : found->second;
}

size_t EditorFilter::GetCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_types.size();
}

void EditorFilter::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_types.clear();
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

void GraphicsEngine::SetScreenSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        gEngine->Log(LOG_WARNING, "GraphicsEngine: screen size %d x %d has no area; ignored", width, height);
        return;
    }
    m_screenWidth = width;
    m_screenHeight = height;
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

GraphicsMesh* GraphicsEngine::FindOrMakeMesh(const std::string& name)
{
    std::unique_ptr<GraphicsMesh>& mesh = m_meshes[RecordDatabase::NormalizeName(name)];
    if (!mesh)
        mesh = std::make_unique<GraphicsMesh>(name);
    return mesh.get();
}

const GraphicsMesh* GraphicsEngine::GetMesh(const std::string& name)
{
    if (name.empty())
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    return FindOrMakeMesh(name);
}

void GraphicsEngine::RegisterMesh(const std::string& name, const ABBox& box, const std::vector<ABBox>& hitBoxes)
{
    if (name.empty())
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    FindOrMakeMesh(name)->SetData(box, hitBoxes);
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

bool GraphicsEngine::LoadTexture(const std::string& name)
{
    if (name.empty())
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_textures[RecordDatabase::NormalizeName(name)];
    return true;
}

void GraphicsEngine::UnloadTexture(const std::string& name)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = m_textures.find(RecordDatabase::NormalizeName(name));
    if (found == m_textures.end()) {
        if (!name.empty())
            gEngine->Log(LOG_WARNING, "GraphicsEngine: texture \"%s\" unloaded but not loaded", name.c_str());
        return;
    }
    if (--found->second == 0)
        m_textures.erase(found);
}

unsigned GraphicsEngine::GetTextureLoadCount(const std::string& name) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = m_textures.find(RecordDatabase::NormalizeName(name));
    return found == m_textures.end() ? 0u : found->second;
}

void GraphicsEngine::ReloadAllResources(bool)
{
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_reloads;
}

// ---- Loading indicator -----------------------------------------------------------------

namespace {
constexpr float kPieFadeSeconds = 0.25f;
}

PieOmatic::PieOmatic(const std::string& greyTexture, const std::string& colourTexture)
    : m_grey(greyTexture), m_colour(colourTexture)
{
    GraphicsEngine::Get()->LoadTexture(m_grey);
    GraphicsEngine::Get()->LoadTexture(m_colour);
}

PieOmatic::~PieOmatic()
{
    GraphicsEngine::Get()->UnloadTexture(m_grey);
    GraphicsEngine::Get()->UnloadTexture(m_colour);
}

void PieOmatic::Update(int ms)
{
    if (ms <= 0)
        return;
    const float step = static_cast<float>(ms) * 0.001f / kPieFadeSeconds;
    m_alpha = m_fadingIn ? std::min(1.0f, m_alpha + step) : std::max(0.0f, m_alpha - step);
}

void PieOmatic::Render(GraphicsCanvas& canvas, int x, int y) const
{
    if (m_alpha <= 0.0f)
        return;
    canvas.RenderTexture(m_grey, x, y, m_alpha);
    canvas.RenderTexture(m_colour, x, y, m_alpha);
}

}  // namespace GAME
