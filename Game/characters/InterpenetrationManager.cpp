#include "Game/characters/InterpenetrationManager.h"

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"
#include "Game/characters/Character.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameCamera.h"

namespace GAME {

namespace {

constexpr int kMaxPasses = 3;
// Ground distances at or below this give no direction to push along.
constexpr float kMinSeparation = 0.0001f;

}  // namespace

void InterpenetrationManager::Push(Body& body, const Vec3& offset)
{
    const WorldCoords& coords = body.character->GetCoords();
    WorldVec3 position = coords.GetPosition();
    if (!position.TranslateToFloor(offset))
        return;
    Coords moved = coords.GetRegionCoords();
    moved.origin = position.GetRegionPosition();
    if (World::Get().SetCoords(body.character, WorldCoords(coords.GetRegion(), moved)))
        body.position = body.character->GetCoords().GetPosition().ToWorldSpace();
}

void InterpenetrationManager::FixupCharacterCollisions(const GameCamera& camera)
{
    if (gEngine->IsEditorMode())
        return;
    const GraphicsEngine* graphics = GraphicsEngine::Get();
    const Viewport viewport{0, 0, graphics->GetScreenWidth(), graphics->GetScreenHeight()};
    // Kept from frame to frame (its planes are made again in place), emptied first so that
    // nothing of the last frame's is ever read.
    thread_local WorldFrustum frustum;
    frustum.region = nullptr;
    frustum.planes.clear();
    camera.GetFrustum(frustum, viewport);
    m_entities.clear();
    World::Get().GetEntitiesInFrustum(m_entities, frustum, EntityList_Dynamic);

    // A dead or hidden character takes part in no pair, so it is left out at once; what
    // the pairs read of the others cannot change while they are pushed.
    m_bodies.clear();
    for (Entity* entity : m_entities) {
        auto* character = DynamicCast<Character>(entity);
        if (!character || !character->IsAlive() || !character->GetVisibility())
            continue;
        m_bodies.push_back({character, character->GetCoords().GetPosition().ToWorldSpace(), character->GetExtents(),
                            character->GetPathMass(), character->IsA<Npc>()});
    }

    const size_t count = m_bodies.size();
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool moved = false;
        for (size_t i = 0; i < count; ++i) {
            Body& a = m_bodies[i];
            for (size_t j = i + 1; j < count; ++j) {
                Body& b = m_bodies[j];
                const float dx = b.position.x - a.position.x;
                const float dz = b.position.z - a.position.z;
                const float reach = a.extents + b.extents;
                const float squared = dx * dx + dz * dz;
                // Apart (most pairs), or on the same spot on the ground: nothing to push.
                if (!(squared < reach * reach) || squared <= kMinSeparation * kMinSeparation)
                    continue;
                if (a.npc && b.npc)
                    continue;
                const float length = std::sqrt(squared);
                const Vec3 direction{dx / length, 0.0f, dz / length};
                moved = true;
                const float share = a.mass == 0.0f ? 0.0f : b.mass == 0.0f ? 1.0f : b.mass / (a.mass + b.mass);
                const float depth = reach - length;
                if (a.mass != 0.0f)
                    Push(a, direction * (-depth * share));
                if (b.mass != 0.0f)
                    Push(b, direction * (depth * (1.0f - share)));
            }
        }
        if (!moved)
            break;
    }
}

}  // namespace GAME
