#include "host/HostFixedItems.h"

#include <algorithm>
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
#include "Engine/Localization.h"
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
#include "host/HostEventTap.h"
#include "host/HostText.h"

namespace GAME {

namespace {

constexpr const char* kChestLoot = "Records/Host/Level/ChestLoot.dbr";
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

template <class T>
T* PlaceLevelObject(const HostFixedItems::Placement& placement, const WorldVec3& base)
{
    T* object = ObjectManager::Get().CreateObjectFromFile<T>(placement.record);
    if (!object)
        return nullptr;
    const WorldVec3 at = HostFixedItems::Beside(base, placement.dx, placement.dz);
    if (!World::Get().AddEntity(object, WorldCoords(at.GetRegion(), Coords::MakeTranslation(at.GetRegionPosition())))) {
        ObjectManager::Get().DestroyObjectEx(object, "HostFixedItems", __LINE__);
        return nullptr;
    }
    return object;
}

// Counts the uses the game announces of one object while it lives.
class FixedItemUseCount {
public:
    explicit FixedItemUseCount(uint32_t objectId)
    {
        m_tap.Start([this, objectId](const GameEvent& event) {
            if (const auto* use = dynamic_cast<const GameEvent_FixedItemUse*>(&event); use && use->objectId == objectId)
                ++m_uses;
        });
    }

    int GetUses() const { return m_uses; }

private:
    int m_uses = 0;
    HostEventTap m_tap;
};

// The walk's own frames: the game's update and the engine's, as the session's loop runs them.
class FixedItemWalk {
public:
    FixedItemWalk(uint32_t playerId, int stepMs)
        : m_playerId(playerId), m_stepMs(stepMs), m_maxStepFrames(HostFixedItems::MaxStepFrames(stepMs))
    {
    }

    Player* GetPlayer() const { return ObjectManager::Get().GetObject<Player>(m_playerId); }
    int GetFrame() const { return m_frame; }
    long long GetGameTimeMs() const { return static_cast<long long>(m_frame) * m_stepMs; }

    void Frame()
    {
        ++m_frame;
        gGameEngine->Update(m_stepMs);
        gEngine->UpdateFrame(m_stepMs);
    }
    // Frames until the condition holds; false (printed) when it never does.
    bool RunUntil(const char* what, const std::function<bool()>& done)
    {
        for (int i = 0; i < m_maxStepFrames; ++i) {
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
    int m_maxStepFrames;
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
        std::printf("fixed items: %s: %s\n", what, HostName(item).c_str());
    }
}

}  // namespace

const HostFixedItems::Placement HostFixedItems::kLevel[kPlacements] = {
    {"Records/Host/Level/Chest.dbr", "chest", 8.0f, 0.0f},
    {"Records/Host/Level/Champion.dbr", "champion", 11.0f, 2.0f},
    {"Records/Host/Level/Door.dbr", "door", 16.0f, 12.0f},
    {"Records/Host/Level/Shrine.dbr", "shrine", 0.0f, 8.0f},
    {"Records/Host/Level/Well.dbr", "well", 0.0f, -8.0f},
    {"Records/Host/Level/Boat.dbr", "boat", -8.0f, -8.0f},
    {"Records/Host/Level/QuestObject.dbr", "quest object", -10.0f, 4.0f},
    {"Records/Host/Level/Portal.dbr", "portal", -10.0f, 14.0f},
};

void HostFixedItems::RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    GraphicsEngine::Get()->RegisterAnimation(kChestOpen, "length,30,\nframeRate,30,\nevent,15,lootGen,\n");
    GraphicsEngine::Get()->RegisterAnimation(kDoorOpen, "length,15,\nframeRate,30,\n");
    GraphicsEngine::Get()->RegisterAnimation(kDoorClose, "length,15,\nframeRate,30,\n");
    records.RegisterRecord(kChestLoot, "Class,LootRecord,\nnumSpawnMinEquation,1+0,\nnumSpawnMaxEquation,2+0,\n"
                                       "goldGeneratorLevel,5,\nloot1Chance,1,\nloot1Name1,Records/Loot/ArenaChest.dbr,\n"
                                       "loot1Weight1,1,\n");
    records.RegisterRecord(kLevel[kChest].record,
                           std::string("Class,FixedItemContainer,\nmesh,Chest.msh,\ndescription,tagChest,\n"
                                       "LockedRadius,5,\nLockedClassification,Champion,\n"
                                       "openAnimation,") +
                               kChestOpen + ",\nopenAnimationSpeed,1,\ntables," + kChestLoot +
                               ",\ngoldGenerator,Records/Loot/Gold/ArenaGold.dbr,\ngoldGeneratorChance,100,\n"
                               "perPartyMemberDropItemName,Records/Item/OneShot/HealthPotion.dbr,\n");
    // The champion carries its own life: the balance pak adds none while one player plays
    // alone, and a champion without life would die in its first frame and free the chest.
    records.RegisterRecord(kLevel[kChampion].record,
                           "Class,Monster,\nmonsterClassification,Champion,\ncharacterLife,50,\n");
    records.RegisterRecord(kLevel[kDoor].record, std::string("Class,FixedItemDoor,\nautoClose,1,\nopenAnimation,") +
                                                     kDoorOpen + ",\nopenAnimationSpeed,1,\ncloseAnimation," +
                                                     kDoorClose + ",\ncloseAnimationSpeed,1,\n");
    records.RegisterRecord(kLevel[kShrine].record,
                           "Class,FixedItemShrine,\nshrineActiveTime,1,\nshrineDormantTime,2,\n"
                           "shrineSampleTime,0.5,\nshrineRadius,10,\noneTimeUse,1,\nbonusGoldPoints,25,\n");
    records.RegisterRecord(kLevel[kWell].record, "Class,FixedItemWell,\ndescription,tagWell,\n");
    records.RegisterRecord(kLevel[kBoat].record, "Class,FixedItemTeleport,\nstaticPortal,1,\ntextTag,tagSBoatQuestion,\n");
    // Armed: its uses tell the quests.
    records.RegisterRecord(kLevel[kQuestObject].record, "Class,FixedItemQuestObject,\nlocked,1,\n");
    records.RegisterRecord(kLevel[kPortal].record, "Class,FixedItemTyphonPortal,\n");
}

const char* HostFixedItems::StateName(uint32_t state)
{
    static const char* const kNames[] = {"none",    "closed",  "open",      "idle",     "waking", "active",
                                         "winding down", "dormant", "recharging", "closed",  "open"};
    return state < std::size(kNames) ? kNames[state] : "?";
}

Region* HostFixedItems::BoatDestinationRegion(uint32_t regionId)
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

void HostFixedItems::JoinBoatToLanding(FixedItemTeleport& boat, const Region& destination)
{
    UniqueId boatId, landingId;
    boatId.SetPart(0, kBoatUid);
    landingId.SetPart(0, kLandingUid);
    boat.SetUniqueId(boatId);
    InstanceGroupManager::Get().RegisterEntityData(landingId, {destination.GetId(), kLevelLanding});
    InstanceGroupManager::Get().AddGroup("HostBoat", "Boat", {boatId, landingId});
}

WorldVec3 HostFixedItems::Beside(const WorldVec3& base, float dx, float dz)
{
    Vec3 position = base.GetRegionPosition();
    position.x += dx;
    position.z += dz;
    return WorldVec3(base.GetRegion(), position);
}

int HostFixedItems::MaxStepFrames(int stepMs)
{
    return std::max(kMaxStepFrames, stepMs > 0 ? (kMinStepMs + stepMs - 1) / stepMs : kMaxStepFrames);
}

int HostFixedItems::Run(uint32_t playerId, int stepMs)
{
    FixedItemWalk walk(playerId, stepMs);
    Player* player = walk.GetPlayer();
    if (!player || !player->IsInWorld() || !player->IsAlive() || !gGameEngine) {
        std::printf("fixed items: no living player walks the level\n");
        return walk.GetFrame();
    }
    RegisterRecords();
    const WorldVec3 base = player->GetPathPosition();
    auto* chest = PlaceLevelObject<FixedItemContainer>(kLevel[kChest], base);
    auto* champion = PlaceLevelObject<Monster>(kLevel[kChampion], base);
    auto* door = PlaceLevelObject<FixedItemDoorBase>(kLevel[kDoor], base);
    auto* shrine = PlaceLevelObject<FixedItemShrine>(kLevel[kShrine], base);
    auto* well = PlaceLevelObject<FixedItemWell>(kLevel[kWell], base);
    auto* boat = PlaceLevelObject<FixedItemTeleport>(kLevel[kBoat], base);
    auto* questObject = PlaceLevelObject<FixedItemQuestObject>(kLevel[kQuestObject], base);
    auto* portal = PlaceLevelObject<FixedItemTyphonPortal>(kLevel[kPortal], base);
    Region* other = BoatDestinationRegion(base.GetRegionId());
    if (!chest || !champion || !door || !shrine || !well || !boat || !questObject || !portal || !other) {
        std::printf("fixed items: the level's objects could not be placed\n");
        return walk.GetFrame();
    }
    JoinBoatToLanding(*boat, *other);
    std::printf("fixed items: a chest guarded by a champion, an auto-closing door, a shrine, a well, a quest object, "
                "the final portal and a boat to region %u stand around the player\n",
                other->GetId());
    walk.Frame();

    // The chest: locked while the champion stands by it, opened once it has gone.
    std::printf("fixed items: the chest is %s and %s\n", StateName(chest->GetCurrentState()),
                chest->IsLocked() ? "locked" : "unlocked");
    walk.ClickOn(*chest);
    walk.UntilIdle("the player's try at the locked chest");
    std::printf("fixed items: the player tries the chest: it stays %s\n", StateName(chest->GetCurrentState()));
    // No fight with the champion is scripted: the host takes it away, and says so.
    std::printf("fixed items: the host removes the champion from the world (no blow of the player's)\n");
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
        std::printf("fixed items: the player opens the chest: %s\n", StateName(chest->GetCurrentState()));
    walk.Frame();
    PrintNewItems("loot from the chest", seen);

    // The door opens to a click and closes once nobody stands near it.
    walk.ClickOn(*door);
    const bool doorOpened =
        walk.RunUntil("the door's opening", [door] { return door->GetCurrentState() == FixedItemState_DoorOpen; });
    if (doorOpened)
        std::printf("fixed items: the player opens the door: %s\n", StateName(door->GetCurrentState()));
    Vec3 away = base.GetRegionPosition();
    away.x += 40.0f;
    away.z += 30.0f;
    walk.Click(WorldVec3(base.GetRegion(), away), 0);
    if (doorOpened &&
        walk.RunUntil("the door's closing", [door] { return door->GetCurrentState() == FixedItemState_DoorClosed; }))
        std::printf("fixed items: the player walks away and the door closes behind it\n");

    // The shrine blesses the player's side while it is active, once.
    const uint32_t moneyBefore = player->GetCurrentMoney();
    walk.ClickOn(*shrine);
    if (walk.RunUntil("the shrine's waking", [shrine] { return shrine->GetCurrentState() == FixedItemState_Active; }))
        std::printf("fixed items: the player prays at the shrine: %s\n", StateName(shrine->GetCurrentState()));
    if (walk.RunUntil("the shrine's rest", [shrine] { return shrine->GetCurrentState() == FixedItemState_Dormant; }))
        std::printf("fixed items: the blessing ends: %s, of interest %s; the player's money %u -> %u\n",
                    StateName(shrine->GetCurrentState()), shrine->IsOfInterest() ? "yes" : "no", moneyBefore,
                    player->GetCurrentMoney());

    // The well is only a well.
    walk.ClickOn(*well);
    walk.UntilIdle("the player's drink");
    std::printf("fixed items: the player drinks at the well: %s, of interest %s\n", StateName(well->GetCurrentState()),
                well->IsOfInterest() ? "yes" : "no");

    // The quest object is armed: each touch tells the quests.
    {
        const FixedItemUseCount uses(questObject->GetObjectId());
        walk.ClickOn(*questObject);
        walk.UntilIdle("the player's touch of the quest object");
        std::printf("fixed items: the player touches the quest object: %s, of interest %s, %d use told\n",
                    questObject->IsLocked() ? "armed" : "unarmed", questObject->IsOfInterest() ? "yes" : "no",
                    uses.GetUses());
    }

    // The final portal asks whether the game ends here; a no lets it be asked again.
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    for (int time = 1; time <= 2; ++time) {
        walk.ClickOn(*portal);
        walk.UntilIdle("the player's step to the portal");
        const DialogManager::Dialog* question = dialogs.PeekTopDialog();
        if (!question || question->party != DialogParty::kFinalPortal) {
            std::printf("fixed items: the portal did not ask\n");
            break;
        }
        std::printf("fixed items: the portal asks \"%s\" (time %d); the player says no\n",
                    HostPlainText(question->text).c_str(), time);
        dialogs.RemoveTopDialog();
        dialogs.AddResponse(DialogParty::kFinalPortal, false);
        if (walk.RunUntil("the portal's taking the answer", [portal] { return !portal->IsAwaitingAnswer(); }))
            std::printf("fixed items: the portal waits no longer; the level is %s\n",
                        gGameEngine->GetPlayerCompletedLevel() ? "completed" : "not completed");
    }

    // The boat asks first and carries the player on a yes.
    walk.ClickOn(*boat);
    const bool asked = walk.RunUntil("the boat's question", [&dialogs] {
        const DialogManager::Dialog* top = dialogs.PeekTopDialog();
        return top && top->party == DialogParty::kTeleportConfirm;
    });
    if (asked) {
        const DialogManager::Dialog* question = dialogs.PeekTopDialog();
        std::printf("fixed items: the boat asks \"%s\"; the player says yes\n",
                    question ? HostPlainText(question->text).c_str() : boat->GetTextTag().c_str());
        dialogs.RemoveTopDialog();
        dialogs.AddResponse(DialogParty::kTeleportConfirm, true);
        const uint32_t to = other->GetId();
        if (walk.RunUntil("the crossing", [&walk, to] {
                Player* traveller = walk.GetPlayer();
                return traveller && traveller->IsInWorld() && traveller->GetPathPosition().GetRegionId() == to &&
                       !traveller->GetMeshInstance().IsUnDissolving();
            }))
            std::printf("fixed items: the boat carries the player to region %u\n", to);
    }
    // The objects by what they are, not by their ids: the ids count every object the
    // game made before the walk, and the lone game and a server make them at their own
    // times (the quest's shrine, the items' sparkles), so the ids differ between them.
    // Its frames are not among the run's (--frames): it plays them after the run's, or within
    // one of a level's.
    std::printf("fixed items: the walk took %d frames of its own, apart from the run's (%.1f s of game time); "
                "chest %s, door %s, shrine %s\n",
                walk.GetFrame(), static_cast<double>(walk.GetGameTimeMs()) / 1000.0,
                StateName(chest->GetCurrentState()), StateName(door->GetCurrentState()),
                StateName(shrine->GetCurrentState()));
    return walk.GetFrame();
}

}  // namespace GAME
