#include "Engine/GraphicsMesh.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/World.h"

namespace GAME {

GraphicsMesh::GraphicsMesh(std::string name) : m_name(std::move(name))
{
    m_box.extents = Vec3{kDefaultHalfSize, kDefaultHalfSize, kDefaultHalfSize};
    m_hitBoxes.push_back(m_box);
}

void GraphicsMesh::SetData(const ABBox& box, const std::vector<ABBox>& hitBoxes)
{
    m_box = box;
    if (hitBoxes.empty()) {
        m_hitBoxes.assign(1, box);
        return;
    }
    size_t count = hitBoxes.size();
    if (count > kMaxHitBoxes) {
        gEngine->Log(LOG_WARNING, "GraphicsMesh %s: %zu hit boxes, only the first %zu kept", m_name.c_str(), count,
                     kMaxHitBoxes);
        count = kMaxHitBoxes;
    }
    m_hitBoxes.assign(hitBoxes.begin(), hitBoxes.begin() + static_cast<std::ptrdiff_t>(count));
}

// ---- GraphicsMeshInstance ----------------------------------------------------------------

void GraphicsMeshInstance::SetMesh(const std::string& meshName)
{
    m_meshName = meshName;
    m_mesh = GraphicsEngine::Get()->GetMesh(meshName);
}

OBBox GraphicsMeshInstance::GetRegionSpaceBoundingBox() const
{
    if (!m_mesh)
        return OBBox(m_coords, Vec3{});
    const ABBox& box = m_mesh->GetObjectSpaceBoundingBox();
    Coords frame = m_coords;
    frame.origin = m_coords.TransformPoint(box.center);
    return OBBox(frame, box.extents);
}

void GraphicsMeshInstance::AddToScene(const Region* region)
{
    if (!m_mesh)
        return;
    ++m_sceneCount;
    const Vec3& at = m_coords.origin;
    Journal::Get().Record("GraphicsMeshInstance::AddToScene", m_ownerId, "%s region %u at %g %g %g",
                          m_meshName.c_str(), region ? region->GetId() : 0u, static_cast<double>(at.x),
                          static_cast<double>(at.y), static_cast<double>(at.z));
}

void GraphicsMeshInstance::BeginDissolve(float red, float green, float blue, float seconds, const std::string& texture)
{
    StartDissolve(false, red, green, blue, seconds, texture);
}

void GraphicsMeshInstance::BeginUnDissolve(float red, float green, float blue, float seconds,
                                           const std::string& texture)
{
    StartDissolve(true, red, green, blue, seconds, texture);
}

void GraphicsMeshInstance::StartDissolve(bool reverse, float red, float green, float blue, float seconds,
                                         const std::string& texture)
{
    m_dissolving = !reverse;
    m_unDissolving = reverse;
    m_dissolveColor = Color{red, green, blue, 1.0f};
    m_dissolveSeconds = seconds;
    m_dissolveTexture = texture;
    m_dissolveElapsedMs = 0;
    Journal::Get().Record(reverse ? "GraphicsMeshInstance::BeginUnDissolve" : "GraphicsMeshInstance::BeginDissolve",
                          m_ownerId, "%g %g %g over %g s through %s", static_cast<double>(red),
                          static_cast<double>(green), static_cast<double>(blue), static_cast<double>(seconds),
                          texture.c_str());
}

// Whether the dissolve's time has run (at once for a length of 0 or less, or not a number).
static bool DissolveTimeRun(float seconds, int64_t elapsedMs)
{
    if (!(seconds > 0.0f))
        return true;
    return static_cast<double>(elapsedMs) >= static_cast<double>(seconds) * 1000.0;
}

bool GraphicsMeshInstance::IsDissolved() const
{
    return m_dissolving && DissolveTimeRun(m_dissolveSeconds, m_dissolveElapsedMs);
}

bool GraphicsMeshInstance::IsUnDissolving() const
{
    return m_unDissolving && !DissolveTimeRun(m_dissolveSeconds, m_dissolveElapsedMs);
}

void GraphicsMeshInstance::AdvanceDissolve(int elapsedMs)
{
    if ((m_dissolving || m_unDissolving) && elapsedMs > 0)
        m_dissolveElapsedMs += elapsedMs;
}

}  // namespace GAME
