#include "host/HostFixedItems.h"

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/quests/DialogManager.h"
#include "Game/world/FixedItemContainer.h"
#include "Game/world/FixedItemDoor.h"
#include "Game/world/FixedItemQuestObject.h"
#include "Game/world/FixedItemShrine.h"
#include "Game/world/FixedItemTeleport.h"

namespace GAME {

namespace {

constexpr const char* kChest = "Records/Host/Level/Chest.dbr";
constexpr const char* kChestLoot = "Records/Host/Level/ChestLoot.dbr";
constexpr const char* kChampion = "Records/Host/Level/Champion.dbr";
constexpr const char* kDoor = "Records/Host/Level/Door.dbr";
constexpr const char* kShrine = "Records/Host/Level/Shrine.dbr";
constexpr const char* kWell = "Records/Host/Level/Well.dbr";
constexpr const char* kBoat = "Records/Host/Level/Boat.dbr";
constexpr const char* kChestOpen = "HostChestOpen.anm";
constexpr const char* kDoorOpen = "HostDoorOpen.anm";
constexpr const char* kDoorClose = "HostDoorClose.anm";
// Both hosts give the boat and its landing these identities.
constexpr uint32_t kBoatUid = 0x424F4154;
constexpr uint32_t kLandingUid = 0x4C414E44;
constexpr uint32_t kLevelArenaRegionId = 1;
constexpr uint32_t kLevelShoreRegionId = 2;
const Vec3 kLevelShoreOffset{200.0f, 0.0f, 40.0f};
const Vec3 kLevelLanding{12.0f, 0.0f, -6.0f};
constexpr float kLevelRegionHalfSize = 100.0f;

void RegisterFixedItemRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    GraphicsEngine::Get()->RegisterAnimation(kChestOpen, "length,30,\nframeRate,30,\nevent,15,lootGen,\n");
    GraphicsEngine::Get()->RegisterAnimation(kDoorOpen, "length,15,\nframeRate,30,\n");
    GraphicsEngine::Get()->RegisterAnimation(kDoorClose, "length,15,\nframeRate,30,\n");
    records.RegisterRecord(kChestLoot, "Class,LootRecord,\nnumSpawnMinEquation,1+0,\nnumSpawnMaxEquation,2+0,\n"
                                       "goldGeneratorLevel,5,\nloot1Chance,1,\nloot1Name1,Records/Loot/ArenaChest.dbr,\n"
                                       "loot1Weight1,1,\n");
    records.RegisterRecord(kChest, std::string("Class,FixedItemContainer,\nmesh,Chest.msh,\ndescription,tagChest,\n"
                                               "LockedRadius,5,\nLockedClassification,Champion,\n"
                                               "openAnimation,") +
                                       kChestOpen + ",\nopenAnimationSpeed,1,\ntables," + kChestLoot +
                                       ",\ngoldGenerator,Records/Loot/Gold/ArenaGold.dbr,\ngoldGeneratorChance,100,\n"
                                       "perPartyMemberDropItemName,Records/Item/OneShot/HealthPotion.dbr,\n");
    records.RegisterRecord(kChampion, "Class,Monster,\nmonsterClassification,Champion,\n");
    records.RegisterRecord(kDoor, std::string("Class,FixedItemDoor,\nautoClose,1,\nopenAnimation,") + kDoorOpen +
                                      ",\nopenAnimationSpeed,1,\ncloseAnimation," + kDoorClose +
                                      ",\ncloseAnimationSpeed,1,\n");
    records.RegisterRecord(kShrine, "Class,FixedItemShrine,\nshrineActiveTime,1,\nshrineDormantTime,2,\n"
                                    "shrineSampleTime,0.5,\nshrineRadius,10,\noneTimeUse,1,\nbonusGoldPoints,25,\n");
    records.RegisterRecord(kWell, "Class,FixedItemWell,\ndescription,tagWell,\n");
    records.RegisterRecord(kBoat, "Class,FixedItemTeleport,\nstaticPortal,1,\ntextTag,tagSBoatQuestion,\n");
}

template <class T>
T* PlaceLevelObject(const char* record, const WorldVec3& base, float dx, float dz)
{
    T* object = ObjectManager::Get().CreateObjectFromFile<T>(record);
    if (!object)
        return nullptr;
    Vec3 position = base.GetRegionPosition();
    position.x += dx;
    position.z += dz;
    if (!World::Get().AddEntity(object, WorldCoords(base.GetRegion(), Coords::MakeTranslation(position)))) {
        ObjectManager::Get().DestroyObjectEx(object, "HostFixedItems", __LINE__);
        return nullptr;
    }
    return object;
}

const char* FixedItemStateName(FixedItem_State state)
{
    static const char* const kNames[] = {"none",    "closed",  "open",      "idle",     "waking", "active",
                                         "winding down", "dormant", "recharging", "door closed", "door open"};
    return state < std::size(kNames) ? kNames[state] : "?";
}

// The walk's own frames: the game's update and the engine's, as the session's loop runs them.
class FixedItemWalk {
public:
    FixedItemWalk(uint32_t playerId, int stepMs) : m_playerId(playerId), m_stepMs(stepMs) {}

    Player* GetPlayer() const { return ObjectManager::Get().GetObject<Player>(m_playerId); }
    int GetFrame() const { return m_frame; }

    void Frame()
    {
        ++m_frame;
        gGameEngine->Update(m_stepMs);
        gEngine->UpdateFrame(m_stepMs);
    }
    // Frames until the condition holds; false (printed) when it never does.
    bool RunUntil(const char* what, const std::function<bool()>& done)
    {
        for (int i = 0; i < HostFixedItems::kMaxStepFrames; ++i) {
            if (done())
                return true;
            Frame();
        }
        if (done())
            return true;
        std::printf("fixed items: %s did not happen\n", what);
        return false;
    }
    // A primary click on the object, or on the ground when `objectId` is 0.
    void Click(const WorldVec3& point, uint32_t objectId)
    {
        Player* player = GetPlayer();
        ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
        if (!controller)
            return;
        uint32_t target = objectId;
        controller->HandleActionFromMouse(true, false, false, false, point, target);
    }
    void ClickOn(const Entity& entity) { Click(entity.GetCoords().GetPosition(), entity.GetObjectId()); }
    // Until the player has done what the click asked and stands idle again.
    bool UntilIdle(const char* what)
    {
        Frame();
        return RunUntil(what, [this] {
            const Player* player = GetPlayer();
            const ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
            return !controller || controller->GetExecutingStateName() == "Idle";
        });
    }

private:
    uint32_t m_playerId;
    int m_stepMs;
    int m_frame = 0;
};

struct AnyItemFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return DynamicCast<Item>(entity) != nullptr; }
};

// The items lying in the world that were not there before, in the world's order.
void PrintNewItems(const char* what, std::set<uint32_t>& seen)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, AnyItemFilter(), EntityList_All);
    for (Entity* entity : found) {
        const auto* item = static_cast<const Item*>(entity);
        if (!seen.insert(item->GetObjectId()).second || !what)
            continue;
        const ItemReplicaInfo& info = item->GetItemReplicaInfo();
        std::printf("fixed items: %s: %s%s%s%s%s (%u)\n", what, info.baseName.c_str(),
                    info.prefixName.empty() ? "" : ", prefix ", info.prefixName.c_str(),
                    info.suffixName.empty() ? "" : ", suffix ", info.suffixName.c_str(), info.var1);
    }
}

Region* BoatDestinationRegion(uint32_t regionId)
{
    const uint32_t otherId = regionId == kLevelShoreRegionId ? kLevelArenaRegionId : kLevelShoreRegionId;
    Region* other = World::Get().GetRegionById(otherId);
    if (!other && otherId == kLevelShoreRegionId)
        other = World::Get().AddRegion(kLevelShoreRegionId, "Shore", kLevelShoreOffset);
    if (other) {
        ABBox box;
        box.extents = Vec3{kLevelRegionHalfSize, kLevelRegionHalfSize, kLevelRegionHalfSize};
        other->SetBounds(box);
    }
    return other;
}

}  // namespace

int HostFixedItems::Run(uint32_t playerId, int stepMs)
{
    FixedItemWalk walk(playerId, stepMs);
    Player* player = walk.GetPlayer();
    if (!player || !player->IsInWorld() || !player->IsAlive() || !gGameEngine) {
        std::printf("fixed items: no living player walks the level\n");
        return walk.GetFrame();
    }
    RegisterFixedItemRecords();
    const WorldVec3 base = player->GetPathPosition();
    auto* chest = PlaceLevelObject<FixedItemContainer>(kChest, base, 8.0f, 0.0f);
    auto* champion = PlaceLevelObject<Monster>(kChampion, base, 11.0f, 2.0f);
    auto* door = PlaceLevelObject<FixedItemDoorBase>(kDoor, base, 16.0f, 12.0f);
    auto* shrine = PlaceLevelObject<FixedItemShrine>(kShrine, base, 0.0f, 8.0f);
    auto* well = PlaceLevelObject<FixedItemWell>(kWell, base, 0.0f, -8.0f);
    auto* boat = PlaceLevelObject<FixedItemTeleport>(kBoat, base, -8.0f, -8.0f);
    Region* other = BoatDestinationRegion(base.GetRegionId());
    if (!chest || !champion || !door || !shrine || !well || !boat || !other) {
        std::printf("fixed items: the level's objects could not be placed\n");
        return walk.GetFrame();
    }
    UniqueId boatId, landingId;
    boatId.SetPart(0, kBoatUid);
    landingId.SetPart(0, kLandingUid);
    boat->SetUniqueId(boatId);
    InstanceGroupManager::Get().RegisterEntityData(landingId, {other->GetId(), kLevelLanding});
    InstanceGroupManager::Get().AddGroup("HostBoat", "Boat", {boatId, landingId});
    std::printf("fixed items: a chest guarded by a champion, an auto-closing door, a shrine, a well and a boat to "
                "region %u stand around the player\n",
                other->GetId());
    walk.Frame();

    // The chest: locked while the champion stands by it, opened once it has gone.
    std::printf("fixed items: the chest is %s and %s\n", FixedItemStateName(chest->GetCurrentState()),
                chest->IsLocked() ? "locked" : "unlocked");
    walk.ClickOn(*chest);
    walk.UntilIdle("the player's try at the locked chest");
    std::printf("fixed items: the player tries the chest: it stays %s\n", FixedItemStateName(chest->GetCurrentState()));
    World::Get().RemoveEntity(champion);
    ObjectManager::Get().DestroyObjectEx(champion, "HostFixedItems", __LINE__);
    if (walk.RunUntil("the chest's unlocking", [chest] { return !chest->IsLocked(); }))
        std::printf("fixed items: the champion has gone and the chest unlocks\n");
    std::set<uint32_t> seen;
    PrintNewItems(nullptr, seen);
    walk.ClickOn(*chest);
    auto* rules = dynamic_cast<FixedItemContainerController*>(chest->GetController());
    if (walk.RunUntil("the chest's opening",
                      [rules] { return rules && rules->GetContainerState() == FixedItemContainerController::Opened; }))
        std::printf("fixed items: the player opens the chest: %s\n", FixedItemStateName(chest->GetCurrentState()));
    walk.Frame();
    PrintNewItems("loot from the chest", seen);

    // The door opens to a click and closes once nobody stands near it.
    walk.ClickOn(*door);
    if (walk.RunUntil("the door's opening", [door] { return door->GetCurrentState() == FixedItemState_DoorOpen; }))
        std::printf("fixed items: the player opens the door: %s\n", FixedItemStateName(door->GetCurrentState()));
    Vec3 away = base.GetRegionPosition();
    away.x += 40.0f;
    away.z += 30.0f;
    walk.Click(WorldVec3(base.GetRegion(), away), 0);
    if (walk.RunUntil("the door's closing", [door] { return door->GetCurrentState() == FixedItemState_DoorClosed; }))
        std::printf("fixed items: the player walks away and the door closes behind it\n");

    // The shrine blesses the player's side while it is active, once.
    const uint32_t moneyBefore = player->GetCurrentMoney();
    walk.ClickOn(*shrine);
    if (walk.RunUntil("the shrine's waking", [shrine] { return shrine->GetCurrentState() == FixedItemState_Active; }))
        std::printf("fixed items: the player prays at the shrine: %s\n", FixedItemStateName(shrine->GetCurrentState()));
    if (walk.RunUntil("the shrine's rest", [shrine] { return shrine->GetCurrentState() == FixedItemState_Dormant; }))
        std::printf("fixed items: the blessing ends: %s, of interest %s; the player's money %u -> %u\n",
                    FixedItemStateName(shrine->GetCurrentState()), shrine->IsOfInterest() ? "yes" : "no", moneyBefore,
                    player->GetCurrentMoney());

    // The well is only a well.
    walk.ClickOn(*well);
    walk.UntilIdle("the player's drink");
    std::printf("fixed items: the player drinks at the well: %s, of interest %s\n", FixedItemStateName(well->GetCurrentState()),
                well->IsOfInterest() ? "yes" : "no");

    // The boat asks first and carries the player on a yes.
    walk.ClickOn(*boat);
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    const bool asked = walk.RunUntil("the boat's question", [&dialogs] {
        const DialogManager::Dialog* top = dialogs.PeekTopDialog();
        return top && top->party == DialogParty::kTeleportConfirm;
    });
    if (asked) {
        std::printf("fixed items: the boat asks \"%s\"; the player says yes\n", boat->GetTextTag().c_str());
        dialogs.RemoveTopDialog();
        dialogs.AddResponse(DialogParty::kTeleportConfirm, true);
        const uint32_t to = other->GetId();
        if (walk.RunUntil("the crossing", [&walk, to] {
                Player* traveller = walk.GetPlayer();
                return traveller && traveller->IsInWorld() && traveller->GetPathPosition().GetRegionId() == to &&
                       !traveller->IsUnDissolving();
            }))
            std::printf("fixed items: the boat carries the player to region %u\n", to);
    }
    // The objects by what they are, not by their ids: the ids count every object the
    // game made before the walk, and the lone game and a server make them at their own
    // times (the quest's shrine, the items' sparkles), so the ids differ between them.
    std::printf("fixed items: the walk took %d frames; chest %s, door %s, shrine %s\n", walk.GetFrame(),
                FixedItemStateName(chest->GetCurrentState()), FixedItemStateName(door->GetCurrentState()),
                FixedItemStateName(shrine->GetCurrentState()));
    return walk.GetFrame();
}

}  // namespace GAME
