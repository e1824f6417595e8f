#include "host/HostNpc.h"
#include "host/HostQuestGiver.h"
#include "host/HostText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "Engine/InstanceGroupManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerNpc.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/NpcConversation.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/FixedItem.h"
#include "Game/world/NpcWanderPoint.h"

namespace GAME {

namespace {

constexpr const char* kVillagerRecord = "Records/Creatures/Villager.dbr";
constexpr const char* kDoorRecord = "Records/FixedItems/VillageDoor.dbr";
constexpr const char* kPakRecord = "Records/Conversations/VillagePak.dbr";
constexpr const char* kTownsfolkGiverRecord = "Records/Creatures/QuestGiver.dbr";
constexpr const char* kWanderPointRecord = "Records/Markers/VillageWanderPoint.dbr";
// The level's identities of the villagers and of the points they wander between.
constexpr uint32_t kVillagerUid = 0x56494C00;
constexpr uint32_t kWanderPointUid = 0x57414E00;
// The wander points stand around the village square, the door to the north.
constexpr Vec3 kWanderPoints[] = {{-34.0f, 0.0f, 2.0f}, {-26.0f, 0.0f, 2.0f}, {-30.0f, 0.0f, -3.0f}};
constexpr uint32_t kTownsfolkRegionId = 1;
// The door is part of the level: every host places it under this one id, so that the
// server's change to it reaches the client's door.
constexpr uint32_t kDoorId = 0x0ABC0002;
// Away from the fight, beside each other.
constexpr float kTownsfolkVillageX = -30.0f;

// A townsperson made from the record, here or on the server.
template <const char* const* Record>
struct IsTownsperson : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override
    {
        return entity && entity->IsA<Npc>() && PathEqualsNoCase(entity->GetObjectName().c_str(), *Record);
    }
};
using IsVillager = IsTownsperson<&kVillagerRecord>;
using IsQuestGiver = IsTownsperson<&kTownsfolkGiverRecord>;

std::string HostNpcState(uint32_t npcId)
{
    const auto* npc = ObjectManager::Get().GetObject<Npc>(npcId);
    const auto* controller = npc ? ObjectManager::Get().GetObject<ControllerAI>(npc->GetControllerId()) : nullptr;
    return controller ? controller->GetExecutingStateName() : "";
}

}  // namespace

HostNpc::HostNpc() : m_questListener("GameEvent_QuestComplete", &HostNpc::OnQuestComplete, this) {}

HostNpc::~HostNpc() = default;

void HostNpc::ReadyActions()
{
    // The actions learn their targets as the giver and the door are reported.
    m_hideGiver = std::make_unique<Action_HideNpc>(1, nullptr);
    m_hideGiver->SetTargetRecord(kTownsfolkGiverRecord);
    m_openDoor = std::make_unique<Action_OpenDoor>(2, nullptr);
    m_openDoor->SetTargetRecord(kDoorRecord);
}

bool HostNpc::PlaceDoor(Region& region)
{
    auto* door = ObjectManager::Get().CreateObjectFromFile<FixedItem>(kDoorRecord, kDoorId);
    if (!door)
        return false;
    Coords doorAt;
    doorAt.origin = Vec3{kTownsfolkVillageX, 0.0f, 10.0f};
    World::Get().AddEntity(door, WorldCoords(&region, doorAt));
    m_doorId = door->GetObjectId();
    return true;
}

bool HostNpc::Start()
{
    Region* region = World::Get().GetRegionById(kTownsfolkRegionId);
    if (!region)
        return false;
    ReadyActions();
    // The villagers learn their wander points from the level's groups as they enter the
    // world, so the groups are there first.
    std::vector<UniqueId> points;
    for (size_t i = 0; i < std::size(kWanderPoints); ++i) {
        auto* point = ObjectManager::Get().CreateObjectFromFile<NpcWanderPoint>(kWanderPointRecord);
        if (!point)
            return false;
        UniqueId id;
        id.SetPart(0, kWanderPointUid + static_cast<uint32_t>(i));
        point->SetUniqueId(id);
        if (!World::Get().AddEntity(point, WorldCoords(region, Coords::MakeTranslation(kWanderPoints[i])))) {
            ObjectManager::Get().DestroyObjectEx(point, "HostNpc", __LINE__);
            return false;
        }
        points.push_back(id);
    }
    std::vector<UniqueId> wanderers(2);
    for (size_t i = 0; i < wanderers.size(); ++i)
        wanderers[i].SetPart(0, kVillagerUid + static_cast<uint32_t>(i));
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    const size_t wandererGroup = groups.AddGroup("Villagers", ControllerNpc2::kWanderersGroupType, wanderers);
    const size_t pointGroup = groups.AddGroup("Village square", ControllerNpc2::kWanderPointsGroupType, points);
    groups.AddChildGroup(wandererGroup, pointGroup);
    for (int i = 0; i < 2; ++i) {
        auto* villager = ObjectManager::Get().CreateObjectFromFile<Npc>(kVillagerRecord);
        if (!villager)
            return false;
        villager->SetUniqueId(wanderers[static_cast<size_t>(i)]);
        Coords at;
        at.origin = Vec3{kTownsfolkVillageX - 2.0f * static_cast<float>(i), 0.0f, 6.0f};
        World::Get().AddEntity(villager, WorldCoords(region, at));
        m_villagers.push_back(villager->GetObjectId());
        m_statesShown.emplace_back();
        NpcConversationManager::Get()._MakeEnabled(villager->GetObjectId());
    }
    if (!PlaceDoor(*region))
        return false;
    NpcConversationManager::Get()._EnableConversationPak(kPakRecord);
    std::printf("gamehost: two villagers stand at the village door, %zu wander points around them; %zu "
                "conversation ready\n",
                points.size(), NpcConversationManager::Get().GetAvailableConversations().size());
    return true;
}

bool HostNpc::StartGuest(uint32_t playerId)
{
    Region* region = World::Get().GetRegionById(kTownsfolkRegionId);
    if (!region)
        return false;
    m_guest = true;
    m_playerId = playerId;
    ReadyActions();
    if (!PlaceDoor(*region))
        return false;
    NpcConversationManager::Get()._EnableConversationPak(kPakRecord);
    std::printf("gamehost: the village door stands; the villagers come from the server; %zu conversation ready\n",
                NpcConversationManager::Get().GetAvailableConversations().size());
    return true;
}

void HostNpc::TakeArrivedVillagers()
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, IsVillager(), EntityList_All);
    for (Entity* entity : found) {
        const uint32_t id = entity->GetObjectId();
        if (std::find(m_villagers.begin(), m_villagers.end(), id) != m_villagers.end())
            continue;
        m_villagers.push_back(id);
        m_statesShown.emplace_back();
        NpcConversationManager::Get()._MakeEnabled(id);
    }
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
        std::printf("townsfolk: frame %d: the villagers start a conversation\n", frame);
        return;
    }
    if (!m_conversation)
        return;
    uint32_t speaker = 0;
    std::string tag;
    if (m_conversation->GetNextSpeakerAndSpeech(speaker, tag)) {
        const size_t which = speaker == m_villagers.front() ? 1 : 2;
        std::printf("townsfolk: frame %d: villager %zu says \"%s\"\n", frame, which,
                    HostPlainText(LocalizationManager::Instance().Format(tag.c_str())).c_str());
        return;
    }
    m_conversation->OnEndConverse();
    m_conversation = nullptr;
    std::printf("townsfolk: frame %d: the villagers' conversation ends\n", frame);
}

void HostNpc::EngageGiver(int frame)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, IsQuestGiver(), EntityList_All);
    if (found.empty())
        return;
    std::printf("quest giver: frame %d: the player engages the quest giver\n", frame);
    static_cast<Npc*>(found.front())->OnPlayerInteract(m_playerId, false, false);
}

void HostNpc::AfterFrame(int frame)
{
    if (m_guest) {
        TakeArrivedVillagers();
        if (frame == HostQuestGiver::kEngageFrame)
            EngageGiver(frame);
    }
    for (size_t i = 0; i < m_villagers.size(); ++i) {
        const std::string state = HostNpcState(m_villagers[i]);
        if (state != m_statesShown[i]) {
            std::printf("townsfolk: frame %d: villager %zu is now %s\n", frame, i + 1, state.c_str());
            m_statesShown[i] = state;
        }
    }
    Talk(frame);
    if (!m_questEnded || m_actionsFired)
        return;
    m_actionsFired = true;
    m_hideGiver->Fire(0, false);
    // Where the world's state is decided the door is opened; a client's door is the
    // server's too and opens when the server's change arrives (the server would refuse a
    // client's change to it).
    if (!m_guest)
        m_openDoor->Fire(0, false);
    const auto* giver = ObjectManager::Get().GetObject<Npc>(m_hideGiver->GetTargets().empty() ? 0 : m_hideGiver->GetTargets().front());
    std::printf("townsfolk: frame %d: the quest ended: the quest giver is %s; the door %s\n", frame,
                giver && !giver->GetVisibility() ? "hidden" : "still shown",
                m_openDoor->IsPendingFire() ? "waits" : "is told to open");
}

}  // namespace GAME
