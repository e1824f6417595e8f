#include "host/HostNpc.h"

#include <cstdio>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerNpc.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEvents.h"
#include "Game/quests/NpcConversation.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/FixedItem.h"

namespace GAME {

namespace {

constexpr const char* kVillagerRecord = "Records/Creatures/Villager.dbr";
constexpr const char* kDoorRecord = "Records/FixedItems/VillageDoor.dbr";
constexpr const char* kPakRecord = "Records/Conversations/VillagePak.dbr";
constexpr const char* kTownsfolkGiverRecord = "Records/Creatures/QuestGiver.dbr";
constexpr uint32_t kTownsfolkRegionId = 1;
// Away from the fight, beside each other.
constexpr float kTownsfolkVillageX = -30.0f;

std::string HostNpcState(uint32_t npcId)
{
    const auto* npc = ObjectManager::Get().GetObject<Npc>(npcId);
    const auto* controller = npc ? ObjectManager::Get().GetObject<ControllerAI>(npc->GetControllerId()) : nullptr;
    return controller ? controller->GetExecutingStateName() : "";
}

}  // namespace

HostNpc::HostNpc() : m_questListener("GameEvent_QuestComplete", &HostNpc::OnQuestComplete, this) {}

HostNpc::~HostNpc() = default;

bool HostNpc::Start()
{
    Region* region = World::Get().GetRegionById(kTownsfolkRegionId);
    if (!region)
        return false;
    // The actions learn their targets as the giver and the door are reported.
    m_hideGiver = std::make_unique<Action_HideNpc>(1, nullptr);
    m_hideGiver->SetTargetRecord(kTownsfolkGiverRecord);
    m_openDoor = std::make_unique<Action_OpenDoor>(2, nullptr);
    m_openDoor->SetTargetRecord(kDoorRecord);
    for (int i = 0; i < 2; ++i) {
        auto* villager = ObjectManager::Get().CreateObjectFromFile<Npc>(kVillagerRecord);
        if (!villager)
            return false;
        Coords at;
        at.origin = Vec3{kTownsfolkVillageX - 2.0f * static_cast<float>(i), 0.0f, 6.0f};
        World::Get().AddEntity(villager, WorldCoords(region, at));
        m_villagers.push_back(villager->GetObjectId());
        m_statesShown.emplace_back();
        NpcConversationManager::Get()._MakeEnabled(villager->GetObjectId());
    }
    auto* door = ObjectManager::Get().CreateObjectFromFile<FixedItem>(kDoorRecord);
    if (!door)
        return false;
    Coords doorAt;
    doorAt.origin = Vec3{kTownsfolkVillageX, 0.0f, 10.0f};
    World::Get().AddEntity(door, WorldCoords(region, doorAt));
    m_doorId = door->GetObjectId();
    NpcConversationManager::Get()._EnableConversationPak(kPakRecord);
    std::printf("gamehost: two villagers stand at the village door; %zu conversation ready\n",
                NpcConversationManager::Get().GetAvailableConversations().size());
    return true;
}

void HostNpc::OnQuestComplete(const GameEvent_QuestComplete&) { m_questEnded = true; }

void HostNpc::Talk(int frame)
{
    NpcConversationManager& manager = NpcConversationManager::Get();
    if (!m_conversation && frame == kConversationFrame && !manager.GetAvailableConversations().empty()) {
        Conversation* conversation = manager.GetAvailableConversations().front();
        std::vector<uint32_t> free;
        manager.GetAvailableNpcsList(free);
        if (free.size() < conversation->GetNumberOfConversationalists())
            return;
        const auto* first = ObjectManager::Get().GetObject<Npc>(free.front());
        manager.OnStartConversation(conversation, free.data(),
                                    first ? first->GetCoords().GetPosition() : WorldVec3());
        m_conversation = conversation;
        std::printf("frame %d: the villagers start a conversation\n", frame);
        return;
    }
    if (!m_conversation)
        return;
    uint32_t speaker = 0;
    std::string tag;
    if (m_conversation->GetNextSpeakerAndSpeech(speaker, tag)) {
        const size_t which = speaker == m_villagers.front() ? 1 : 2;
        std::printf("frame %d: villager %zu says %s\n", frame, which, tag.c_str());
        return;
    }
    m_conversation->OnEndConverse();
    m_conversation = nullptr;
    std::printf("frame %d: the villagers' conversation ends\n", frame);
}

void HostNpc::AfterFrame(int frame)
{
    for (size_t i = 0; i < m_villagers.size(); ++i) {
        const std::string state = HostNpcState(m_villagers[i]);
        if (state != m_statesShown[i]) {
            std::printf("frame %d: villager %zu is now %s\n", frame, i + 1, state.c_str());
            m_statesShown[i] = state;
        }
    }
    Talk(frame);
    if (!m_questEnded || m_actionsFired)
        return;
    m_actionsFired = true;
    m_hideGiver->Fire(0, false);
    m_openDoor->Fire(0, false);
    const auto* giver = ObjectManager::Get().GetObject<Npc>(m_hideGiver->GetTargets().empty() ? 0 : m_hideGiver->GetTargets().front());
    std::printf("frame %d: the quest ended: the quest giver is %s; the door %s\n", frame,
                giver && !giver->GetVisibility() ? "hidden" : "still shown",
                m_openDoor->IsPendingFire() ? "waits" : "is told to open");
}

}  // namespace GAME
