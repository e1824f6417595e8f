#include "host/HostQuestGiver.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/StringUtil.h"
#include "host/HostText.h"

namespace GAME {

namespace {

constexpr const char* kQuestGiverRecord = "Records/Creatures/QuestGiver.dbr";
constexpr uint32_t kRegionId = 1;
// Behind the player, away from the fight, at this fraction of the two bodies' extents
// from the player: they start inside each other and the crowding pushes them apart.
constexpr float kStartOverlap = 0.6f;

Vec3 GroundPosition(const Character& character)
{
    return character.GetCoords().GetPosition().ToWorldSpace();
}

float GroundDistance(const Vec3& a, const Vec3& b)
{
    const float dx = b.x - a.x;
    const float dz = b.z - a.z;
    return std::sqrt(dx * dx + dz * dz);
}

// The mark over a townsman's head, by the kind the game attaches (its effect records hold
// no name); a record of another kind is shown as it is named.
std::string MarkName(const std::string& record)
{
    struct Mark {
        const char* record;
        const char* name;
    };
    static constexpr Mark kMarks[] = {
        {Npc::kQuestion01, "a question mark (style 1)"},       {Npc::kQuestion03, "a question mark (style 3)"},
        {Npc::kExclamation02, "an exclamation mark (style 2)"}, {Npc::kExclamation03, "an exclamation mark (style 3)"},
        {Npc::kAnchor01, "an anchor"},
    };
    if (record.empty())
        return "none";
    for (const Mark& mark : kMarks)
        if (PathEqualsNoCase(record.c_str(), mark.record))
            return mark.name;
    return record;
}

}  // namespace

void HostQuestGiver::PrintPositions(const char* when, const Character& player, const Character& npc)
{
    m_playerShown = GroundPosition(player);
    m_npcShown = GroundPosition(npc);
    std::printf("%s: player at %.2f, %.2f; quest giver at %.2f, %.2f; %.2f apart of %.2f\n", when, m_playerShown.x,
                m_playerShown.z, m_npcShown.x, m_npcShown.z, GroundDistance(m_playerShown, m_npcShown),
                player.GetExtents() + npc.GetExtents());
}

bool HostQuestGiver::Start(uint32_t playerId)
{
    const auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    auto* npc = ObjectManager::Get().CreateObjectFromFile<Npc>(kQuestGiverRecord);
    Region* region = World::Get().GetRegionById(kRegionId);
    if (!player || !npc || !region)
        return false;
    Coords frame;
    frame.origin = player->GetCoords().GetRegionCoords().origin;
    frame.origin.x -= kStartOverlap * (player->GetExtents() + npc->GetExtents());
    World::Get().AddEntity(npc, WorldCoords(region, frame));
    npc->SetPathPosition(WorldVec3(region, frame.origin));
    m_playerId = playerId;
    m_npcId = npc->GetObjectId();
    m_crowded = true;
    std::printf("gamehost: a quest giver, %s (%u), stands inside the player\n", HostName(npc).c_str(), m_npcId);
    PrintPositions("gamehost: before the push", *player, *npc);
    return true;
}

void HostQuestGiver::Update(int frame)
{
    if (frame != kEngageFrame)
        return;
    if (auto* npc = ObjectManager::Get().GetObject<Npc>(m_npcId)) {
        std::printf("quest giver: frame %d: the player engages the quest giver\n", frame);
        npc->OnPlayerInteract(m_playerId, false, false);
    }
}

void HostQuestGiver::AfterFrame(int frame)
{
    const auto* npc = ObjectManager::Get().GetObject<Npc>(m_npcId);
    if (!npc)
        return;
    PrintPush(frame, *npc);
    const std::string mark = MarkName(npc->GetPunctuationRecord());
    if (mark == m_markShown)
        return;
    std::printf("quest giver: frame %d: the mark over its head: %s -> %s\n", frame, m_markShown.c_str(), mark.c_str());
    m_markShown = mark;
}

void HostQuestGiver::PrintPush(int frame, const Npc& npc)
{
    const auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!m_crowded || !player)
        return;
    const Vec3 playerAt = GroundPosition(*player);
    const Vec3 npcAt = GroundPosition(npc);
    // Only the frames in which the two were pushed are shown, until they stand apart.
    if (playerAt.x == m_playerShown.x && playerAt.z == m_playerShown.z && npcAt.x == m_npcShown.x &&
        npcAt.z == m_npcShown.z)
        return;
    char when[32];
    std::snprintf(when, sizeof(when), "quest giver: frame %d: pushed", frame);
    PrintPositions(when, *player, npc);
    // A hair of rounding is allowed: the push ends at the two extents exactly.
    if (GroundDistance(playerAt, npcAt) >= player->GetExtents() + npc.GetExtents() - 0.001f) {
        std::printf("quest giver: frame %d: the player and the quest giver stand apart\n", frame);
        m_crowded = false;
    }
}

}  // namespace GAME
