#include "host/HostTeleport.h"

#include <cstdio>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeleportActivity.h"
#include "Game/core/TeleportConfirmActivity.h"

namespace GAME {

namespace {

constexpr uint32_t kArenaRegionId = 1;
constexpr uint32_t kShoreRegionId = 2;
// The shore lies well away from the arena, with its own floor.
const Vec3 kShoreOffset{200.0f, 0.0f, 40.0f};
const Vec3 kShoreLanding{12.0f, 0.0f, -6.0f};
constexpr float kRegionHalfSize = 100.0f;
constexpr const char* kQuestionTag = "tagTeleportQuestion";

const char* StateName(int state)
{
    static const char* const names[] = {"start", "dissolving", "loading", "reappearing", "letting go", "finished"};
    return state >= 0 && state <= TeleportActivity::State_Finished ? names[state] : "unknown";
}

ABBox RegionBox()
{
    ABBox box;
    box.center = Vec3{0.0f, 0.0f, 0.0f};
    box.extents = Vec3{kRegionHalfSize, kRegionHalfSize, kRegionHalfSize};
    return box;
}

}  // namespace

void HostTeleport::Start(uint32_t playerId)
{
    m_playerId = playerId;
}

// The arena is given the space it covers and the shore is added only now, so that the run
// before the question is the same with or without the teleport.
Region* HostTeleport::PrepareRegions()
{
    Region* arena = World::Get().GetRegionById(kArenaRegionId);
    if (!arena)
        return nullptr;
    arena->SetBounds(RegionBox());
    Region* shore = World::Get().GetRegionById(kShoreRegionId);
    if (!shore)
        shore = World::Get().AddRegion(kShoreRegionId, "Shore", kShoreOffset);
    if (shore)
        shore->SetBounds(RegionBox());
    return shore;
}

void HostTeleport::PrintPlayer(int frame, const char* what)
{
    const auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player) {
        std::printf("teleport: frame %d: %s; the player is gone\n", frame, what);
        return;
    }
    const WorldVec3 at = player->GetCoords().GetPosition();
    const Vec3 world = at.ToWorldSpace();
    std::printf("teleport: frame %d: %s; player in region %u at %.2f, %.2f, %.2f%s%s%s%s\n", frame, what,
                at.GetRegionId(), world.x, world.y, world.z, player->IsInWorld() ? "" : ", out of the world",
                player->GetMeshInstance().IsDissolving() ? ", dissolving" : "", player->GetMeshInstance().IsUnDissolving() ? ", reappearing" : "",
                player->IsInvincible() ? ", invincible" : "");
}

void HostTeleport::Update(int frame, long long gameTimeMs)
{
    if (m_asked || m_playerId == 0 || gameTimeMs < kAskAtMs)
        return;
    m_asked = true;
    Region* shore = PrepareRegions();
    if (!shore) {
        std::printf("teleport: frame %d: there is no arena to leave\n", frame);
        m_reported = true;
        return;
    }
    auto* question = new TeleportConfirmActivity;
    question->Set(WorldVec3(shore, kShoreLanding), kQuestionTag);
    ActivityManager::Get()->InstallActivity(question);
    m_confirmId = question->GetActivityId();
    // The teleport the answer starts is the next activity installed.
    m_teleportId = m_confirmId + 1;
    const Vec3 world = WorldVec3(shore, kShoreLanding).ToWorldSpace();
    std::printf("teleport: frame %d: the game asks whether to travel to the shore (%.2f, %.2f, %.2f)\n", frame, world.x,
                world.y, world.z);
    PrintPlayer(frame, "before the question");
}

void HostTeleport::AfterFrame(int frame)
{
    if (!m_asked || m_reported)
        return;
    ActivityManager& activities = *ActivityManager::Get();
    auto* teleport = dynamic_cast<TeleportActivity*>(activities.GetActivity(m_teleportId));
    if (teleport) {
        if (teleport->GetState() != m_stateShown) {
            m_stateShown = teleport->GetState();
            char what[64];
            std::snprintf(what, sizeof what, "%s state %d (%s)", teleport->GetClassName(), m_stateShown,
                          StateName(m_stateShown));
            PrintPlayer(frame, what);
        }
    } else if (activities.IsActivityActive(m_confirmId)) {
        m_questionOpen = true;   // installed activities start with the next frame
    } else if (m_questionOpen && m_stateShown < 0 && !m_answerSettled) {
        // The answer came this frame: a teleport it started begins with the next one.
        m_answerSettled = true;
    } else if (m_questionOpen) {
        // The question was answered and whatever it started has run its course.
        PrintPlayer(frame, m_stateShown < 0 ? "the player stays" : "arrived");
        m_reported = true;
    }
    const bool teleportMode = gEngine->IsTeleportMode();
    if (teleportMode != m_teleportModeShown) {
        m_teleportModeShown = teleportMode;
        std::printf("teleport: frame %d: teleport mode %s, rendering %s\n", frame, teleportMode ? "on" : "off",
                    gGameEngine->IsRenderingEnabled() ? "on" : "off");
    }
}

}  // namespace GAME
