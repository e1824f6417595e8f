#include "host/HostFixedItemsNet.h"
#include "host/HostText.h"

#include <cstdio>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/quests/DialogManager.h"
#include "Game/world/FixedItemContainer.h"
#include "Game/world/FixedItemQuestObject.h"
#include "Game/world/FixedItemTeleport.h"

namespace GAME {

namespace {

// Loot lands this near the chest.
constexpr float kNetLootRadius = 6.0f;

struct NetPlayersFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return DynamicCast<Player>(entity) != nullptr; }
};

struct NetItemsFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return DynamicCast<Item>(entity) != nullptr; }
};

// The fixed items and the champion of the host's level, by their records.
struct NetLevelFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override
    {
        for (const HostFixedItems::Placement& placement : HostFixedItems::kLevel)
            if (entity->GetObjectName() == placement.record)
                return true;
        return false;
    }
};

template <class T>
T* PlacedObject(uint32_t id)
{
    return ObjectManager::Get().GetObject<T>(id);
}

}  // namespace

HostFixedItemsNet::~HostFixedItemsNet()
{
    Stop();
}

void HostFixedItemsNet::Start(uint32_t playerId, bool placing)
{
    m_playerId = playerId;
    m_placing = placing;
    m_started = playerId != 0;
    if (!m_started)
        return;
    // Every host knows the records: the server's creations name them.
    HostFixedItems::RegisterRecords();
    // The shrine's blessings are told as events while it is active: a host that runs the
    // whole active phase within one frame (a client that hears its start and its end
    // together) still sees the shrine active at each of them.
    m_shrineUses.Start([this](const GameEvent& event) {
        const auto* use = dynamic_cast<const GameEvent_FixedItemUse*>(&event);
        if (use && m_placed && use->objectId == m_ids[HostFixedItems::kShrine])
            WatchShrine();
    });
}

void HostFixedItemsNet::Stop()
{
    m_shrineUses.Stop();
}

void HostFixedItemsNet::Place()
{
    std::vector<Entity*> players;
    World::Get().GetEntities(players, NetPlayersFilter(), EntityList_All);
    const Player* walker = nullptr;
    for (Entity* entity : players)
        if (entity->GetObjectId() != m_playerId && static_cast<Player*>(entity)->IsAlive())
            walker = static_cast<Player*>(entity);
    if (!walker || !gGameEngine) {
        std::printf("fixed items: no client's player walks the level\n");
        m_started = false;
        return;
    }
    const WorldVec3 base = walker->GetCoords().GetPosition();
    if (!HostFixedItems::BoatDestinationRegion(base.GetRegionId())) {
        std::printf("fixed items: the boat's destination could not be made\n");
        m_started = false;
        return;
    }
    for (int i = 0; i < HostFixedItems::kPlacements; ++i) {
        const HostFixedItems::Placement& placement = HostFixedItems::kLevel[i];
        const WorldVec3 at = HostFixedItems::Beside(base, placement.dx, placement.dz);
        m_ids[i] = ObjectManager::Get().CreateObjectID();
        gGameEngine->CreateEntity(WorldCoords(at.GetRegion(), Coords::MakeTranslation(at.GetRegionPosition())),
                                  placement.record, m_ids[i]);
    }
}

bool HostFixedItemsNet::FindPlaced()
{
    if (m_placed)
        return true;
    if (!m_placing) {
        std::vector<Entity*> found;
        World::Get().GetEntities(found, NetLevelFilter(), EntityList_All);
        for (Entity* entity : found)
            for (int i = 0; i < HostFixedItems::kPlacements; ++i)
                if (entity->GetObjectName() == HostFixedItems::kLevel[i].record && m_ids[i] == 0)
                    m_ids[i] = entity->GetObjectId();
    }
    for (uint32_t id : m_ids)
        if (id == 0 || !ObjectManager::Get().GetObject<Entity>(id))
            return false;
    auto* boat = PlacedObject<FixedItemTeleport>(m_ids[HostFixedItems::kBoat]);
    const Region* shore = boat ? HostFixedItems::BoatDestinationRegion(boat->GetCoords().GetPosition().GetRegionId())
                               : nullptr;
    if (!shore)
        return false;
    HostFixedItems::JoinBoatToLanding(*boat, *shore);
    // What lies by the chest already is no loot of it.
    std::vector<Entity*> items;
    World::Get().GetEntities(items, NetItemsFilter(), EntityList_All);
    for (Entity* item : items)
        m_itemsSeen.insert(item->GetObjectId());
    m_placed = true;
    std::printf("fixed items: a chest guarded by a champion, an auto-closing door, a shrine, a well, a quest object, "
                "the final portal and a boat to region %u stand in the level\n",
                shore->GetId());
    return true;
}

const char* HostFixedItemsNet::KindOf(uint32_t id) const
{
    for (int i = 0; i < HostFixedItems::kPlacements; ++i)
        if (id != 0 && m_ids[i] == id)
            return HostFixedItems::kLevel[i].kind;
    return nullptr;
}

void HostFixedItemsNet::Travelled(const unsigned char* data, size_t size)
{
    if (!m_started || !m_placed)
        return;
    NetPacketType type = 0;
    if (!NetPacketRegistry::PeekType(data, size, type))
        return;
    if (type == UseItemPacket::kType) {
        UseItemPacket packet;
        if (!packet.CopyInbound(data, static_cast<int>(size)))
            return;
        const uint32_t itemId = packet.itemId;
        const char* kind = KindOf(itemId);
        if (!kind)
            return;
        // The server relays a client's action to the others as it applies it: one use.
        std::vector<unsigned char> bytes(data, data + size);
        if (m_lastUseFrame == m_frame && bytes == m_lastUse)
            return;
        m_lastUse = std::move(bytes);
        m_lastUseFrame = m_frame;
        m_walkerId = packet.characterId.GetId();
        std::printf("fixed items: player %u uses the %s\n", m_walkerId, kind);
        // The server slays the champion once the walker has found its chest locked: when
        // its player has walked to the chest and is idle again (AfterFrame).
        const auto* chest = PlacedObject<FixedItemContainer>(m_ids[HostFixedItems::kChest]);
        if (m_placing && itemId == m_ids[HostFixedItems::kChest] && chest && chest->IsLocked())
            m_slayChampion = true;
    } else if (type == FixedItemStateChangeConfigCmdPacket::kType) {
        FixedItemStateChangeConfigCmdPacket packet;
        if (!packet.CopyInbound(data, static_cast<int>(size)))
            return;
        if (const char* kind = KindOf(packet.actorId.GetId()))
            std::printf("fixed items: the %s becomes %s\n", kind, HostFixedItems::StateName(packet.state));
    } else if (type == FixedItemTargetConfigCmdPacket::kType) {
        FixedItemTargetConfigCmdPacket packet;
        if (!packet.CopyInbound(data, static_cast<int>(size)))
            return;
        if (const char* kind = KindOf(packet.actorId.GetId()))
            std::printf("fixed items: the %s takes effect\n", kind);
    }
}

// Each host works the chest's lock out from the monsters it sees.
void HostFixedItemsNet::WatchChest()
{
    const auto* chest = PlacedObject<FixedItemContainer>(m_ids[HostFixedItems::kChest]);
    if (!chest || !chest->HasHadInitialUpdate())
        return;
    const int locked = chest->IsLocked() ? 1 : 0;
    if (locked == m_chestLock)
        return;
    if (m_chestLock < 0 && !locked)
        return;   // its first check comes in its first update
    m_chestLock = locked;
    std::printf("fixed items: the chest is %s\n", locked ? "locked" : "unlocked");
}

// Each host wakes and rests the shrine in its own updates, after the commands that start
// each.
void HostFixedItemsNet::WatchShrine()
{
    const auto* shrine = PlacedObject<FixedItem>(m_ids[HostFixedItems::kShrine]);
    if (!shrine)
        return;
    const int state = static_cast<int>(shrine->GetCurrentState());
    if ((state == FixedItemState_Active || state == FixedItemState_Dormant) && state != m_shrineState) {
        m_shrineState = state;
        std::printf("fixed items: the shrine is %s\n", HostFixedItems::StateName(state));
    }
}

// What lands by the chest after the walk began, in the world's order.
void HostFixedItemsNet::WatchLoot()
{
    const auto* chest = PlacedObject<FixedItemContainer>(m_ids[HostFixedItems::kChest]);
    if (!chest)
        return;
    const WorldVec3 at = chest->GetCoords().GetPosition();
    std::vector<Entity*> items;
    World::Get().GetEntities(items, NetItemsFilter(), EntityList_All);
    for (Entity* entity : items) {
        if (m_itemsSeen.count(entity->GetObjectId()))
            continue;
        if (!entity->IsInWorld() || (entity->GetCoords().GetPosition() - at).LengthSquared() > kNetLootRadius * kNetLootRadius)
            continue;
        m_itemsSeen.insert(entity->GetObjectId());
        std::printf("fixed items: loot from the chest: %s\n", HostName(entity).c_str());
    }
}

void HostFixedItemsNet::AfterFrame(int frame)
{
    if (!m_started)
        return;
    m_frame = frame;
    if (m_placing && frame == kPlaceFrame)
        Place();
    const bool wasPlaced = m_placed;
    if (!m_started || !FindPlaced())
        return;
    if (!wasPlaced)
        m_stepFrame = frame;
    // Once the walker has come to the chest and tried it: its touch finds the chest locked.
    if (m_slayChampion && !m_championSlain && frame > m_lastUseFrame && PlayerIdle(m_walkerId)) {
        m_championSlain = true;
        if (auto* champion = PlacedObject<Monster>(m_ids[HostFixedItems::kChampion])) {
            // No fight with the champion is scripted: the host ends it, and says so.
            std::printf("fixed items: frame %d: the host slays the champion (no blow of the player's)\n", frame);
            champion->SetCurrentLife(0.0f);
            champion->SetLifeState(Character_LifeState_Dead);
        }
    }
    WatchChest();
    WatchLoot();
    WatchShrine();
    // Both hosts see the walker land.
    const uint32_t walkerId = m_placing ? m_walkerId : m_playerId;
    const auto* walker = PlacedObject<Player>(walkerId);
    const auto* boat = PlacedObject<FixedItemTeleport>(m_ids[HostFixedItems::kBoat]);
    if (!m_crossed && walker && boat && walker->IsInWorld() && !walker->GetMeshInstance().IsUnDissolving() &&
        walker->GetCoords().GetPosition().GetRegionId() != boat->GetCoords().GetPosition().GetRegionId()) {
        m_crossed = true;
        std::printf("fixed items: player %u lands in region %u\n", walkerId,
                    walker->GetCoords().GetPosition().GetRegionId());
    }
    if (!m_placing)
        Walk(frame);
}

void HostFixedItemsNet::Next(int frame, Step step)
{
    m_step = step;
    m_stepFrame = frame;
}

void HostFixedItemsNet::Click(int frame, int which)
{
    auto* player = PlacedObject<Player>(m_playerId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    const auto* target = PlacedObject<Entity>(m_ids[which]);
    if (!controller || !target)
        return;
    uint32_t targetId = target->GetObjectId();
    controller->HandleActionFromMouse(true, false, false, false, target->GetCoords().GetPosition(), targetId);
    m_stepFrame = frame;
}

void HostFixedItemsNet::ClickGround(int frame, float dx, float dz)
{
    auto* player = PlacedObject<Player>(m_playerId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    if (!controller)
        return;
    uint32_t none = 0;
    controller->HandleActionFromMouse(true, false, false, false,
                                      HostFixedItems::Beside(player->GetCoords().GetPosition(), dx, dz), none);
    m_stepFrame = frame;
}

bool HostFixedItemsNet::PlayerIdle(uint32_t playerId) const
{
    const auto* player = PlacedObject<Player>(playerId != 0 ? playerId : m_playerId);
    const ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    return !controller || controller->GetExecutingStateName() == "Idle";
}

// The walking host's player: each step waits for what the last one asked to be seen here.
void HostFixedItemsNet::Walk(int frame)
{
    using Items = HostFixedItems;
    const auto* chest = PlacedObject<FixedItemContainer>(m_ids[Items::kChest]);
    const auto* door = PlacedObject<FixedItem>(m_ids[Items::kDoor]);
    const auto* shrine = PlacedObject<FixedItem>(m_ids[Items::kShrine]);
    const auto* portal = PlacedObject<FixedItemTyphonPortal>(m_ids[Items::kPortal]);
    if (!chest || !door || !shrine || !portal) {
        if (m_step != kDone)
            std::printf("fixed items: the level's objects are gone\n");
        m_step = kDone;
        return;
    }
    // A click may be answered at once (a question asked before the console answers
    // it): the step it leads to looks again in the same frame.
    for (int pass = 0; pass < 2; ++pass) {
        const Step before = m_step;
        WalkStep(frame, *chest, *door, *shrine, *portal);
        if (m_step == before)
            break;
    }
    if (m_step != kDone && frame - m_stepFrame > kMaxStepFrames) {
        std::printf("fixed items: step %d of the walk did not happen\n", static_cast<int>(m_step));
        m_step = kDone;
    }
}

void HostFixedItemsNet::WalkStep(int frame, const FixedItem& chest, const FixedItem& door, const FixedItem& shrine,
                                 const FixedItemTyphonPortal& portal)
{
    using Items = HostFixedItems;
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    const DialogManager::Dialog* top = dialogs.PeekTopDialog();
    const bool acted = frame > m_stepFrame;   // a frame has run since the click
    switch (m_step) {
    case kWaiting:
        if (m_chestLock == 1) {
            Click(frame, Items::kChest);
            Next(frame, kTryChest);
        }
        break;
    case kTryChest:
        if (acted && PlayerIdle())
            Next(frame, kAwaitUnlock);
        break;
    case kAwaitUnlock:
        if (m_chestLock == 0) {
            Click(frame, Items::kChest);
            Next(frame, kAwaitOpen);
        }
        break;
    case kAwaitOpen:
        if (chest.GetCurrentState() == FixedItemState_Open) {
            Click(frame, Items::kDoor);
            Next(frame, kAwaitDoorOpen);
        }
        break;
    case kAwaitDoorOpen:
        if (door.GetCurrentState() == FixedItemState_DoorOpen) {
            ClickGround(frame, 40.0f, 30.0f);
            Next(frame, kAwaitDoorClosed);
        }
        break;
    case kAwaitDoorClosed:
        if (door.GetCurrentState() == FixedItemState_DoorClosed) {
            Click(frame, Items::kShrine);
            Next(frame, kAwaitShrineRest);
        }
        break;
    case kAwaitShrineRest:
        if (shrine.GetCurrentState() == FixedItemState_Dormant) {
            Click(frame, Items::kWell);
            Next(frame, kDrink);
        }
        break;
    case kDrink:
        if (acted && PlayerIdle()) {
            Click(frame, Items::kQuestObject);
            Next(frame, kTouch);
        }
        break;
    case kTouch:
        if (acted && PlayerIdle()) {
            Click(frame, Items::kPortal);
            Next(frame, kAskPortal);
        }
        break;
    case kAskPortal:
        // The question is this host's alone: a remote player's use asks nobody.
        if (top && top->party == DialogParty::kFinalPortal) {
            ++m_portalAsked;
            std::printf("fixed items: here the portal asks \"%s\" (time %d); the player says no\n",
                        HostPlainText(top->text).c_str(), m_portalAsked);
            dialogs.RemoveTopDialog();
            dialogs.AddResponse(DialogParty::kFinalPortal, false);
            Next(frame, kAwaitPortal);
        }
        break;
    case kAwaitPortal:
        if (acted && !portal.IsAwaitingAnswer() && PlayerIdle()) {
            std::printf("fixed items: here the portal waits no longer; the level is %s\n",
                        gGameEngine->GetPlayerCompletedLevel() ? "completed" : "not completed");
            Click(frame, m_portalAsked < 2 ? Items::kPortal : Items::kBoat);
            Next(frame, m_portalAsked < 2 ? kAskPortal : kAskBoat);
        }
        break;
    case kAskBoat:
        if (top && top->party == DialogParty::kTeleportConfirm) {
            dialogs.RemoveTopDialog();
            dialogs.AddResponse(DialogParty::kTeleportConfirm, true);
            Next(frame, kCross);
        }
        break;
    case kCross:
        if (m_crossed)
            Next(frame, kDone);
        break;
    case kDone:
        break;
    }
}

}  // namespace GAME
