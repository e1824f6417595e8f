#include "host/HostQuestGiver.h"

#include <cstdio>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Npc.h"

namespace GAME {

namespace {

constexpr const char* kQuestGiverRecord = "Records/Creatures/QuestGiver.dbr";
constexpr uint32_t kRegionId = 1;
// Behind the player, away from the fight.
const Vec3 kQuestGiverPosition{-4.0f, 0.0f, 0.0f};

}  // namespace

bool HostQuestGiver::Start(uint32_t playerId)
{
    auto* npc = ObjectManager::Get().CreateObjectFromFile<Npc>(kQuestGiverRecord);
    Region* region = World::Get().GetRegionById(kRegionId);
    if (!npc || !region)
        return false;
    Coords frame;
    frame.origin = kQuestGiverPosition;
    World::Get().AddEntity(npc, WorldCoords(region, frame));
    npc->SetPathPosition(WorldVec3(region, kQuestGiverPosition));
    m_playerId = playerId;
    m_npcId = npc->GetObjectId();
    std::printf("gamehost: a quest giver (%u) from %s stands at %.0f, %.0f\n", m_npcId, kQuestGiverRecord,
                kQuestGiverPosition.x, kQuestGiverPosition.z);
    return true;
}

void HostQuestGiver::Update(int frame)
{
    if (frame != kEngageFrame)
        return;
    if (auto* npc = ObjectManager::Get().GetObject<Npc>(m_npcId)) {
        std::printf("frame %d: the player engages the quest giver\n", frame);
        npc->OnPlayerInteract(m_playerId, false, false);
    }
}

void HostQuestGiver::AfterFrame(int frame)
{
    const auto* npc = ObjectManager::Get().GetObject<Npc>(m_npcId);
    if (!npc)
        return;
    const std::string& record = npc->GetPunctuationRecord();
    const std::string mark = record.empty() ? "none" : record;
    if (mark == m_markShown)
        return;
    std::printf("frame %d: quest giver mark: %s -> %s\n", frame, m_markShown.c_str(), mark.c_str());
    m_markShown = mark;
}

}  // namespace GAME
