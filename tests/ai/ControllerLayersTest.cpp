// The layers every controller shares, on real characters: the equipment refresh, the
// life watch and the kill sequence, the animation events, teleports, respawns, the debug
// lines, the bundled controller records, the dynamic barrier and the process-wide draws.
#include <cmath>
#include <functional>

#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/Journal.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Npc.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/world/DynamicBarrier.h"

using namespace GAME;

namespace {

class ControllerLayersTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        region = World::Get().AddRegion(1, "Layers");
    }
    void TearDown() override
    {
        UnregisterCharacterActionDispatch();
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        ConnectionManager::Get().SetTransport(nullptr);
        gEngine->SetCharacterDataLogEnabled(false);
        EngineTest::TearDown();
    }
    // A character of its own record (these keys, that class) placed at (x, 0, z).
    template <class T = Character>
    T* Make(const std::string& keys, const char* kind = "Monster", float x = 0.0f, float z = 0.0f, uint32_t id = 0)
    {
        const std::string name = "Records/Test/Layer" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + kind + ",\n" + keys);
        T* character = ObjectManager::Get().CreateObjectFromFile<T>(name, id);
        EXPECT_TRUE(World::Get().AddEntity(character, WorldCoords(region, Coords::LookAlong({x, 0, z}, {1, 0, 0},
                                                                                           {0, 1, 0}))));
        return character;
    }
    ControllerCombat* Control(Character& character)
    {
        auto* controller = DynamicCast<ControllerCombat>(ObjectManager::Get().CreateObject("ControllerCombat"));
        controller->AttachParent(character.GetObjectId());
        return controller;
    }
    size_t ItemsAround(const Character& character) const
    {
        std::vector<Entity*> found;
        World::Get().GetEntitiesInSphere(found, region, Sphere{character.GetCoords().GetRegionCoords().origin, 10.0f},
                                         EntityList_All);
        return static_cast<size_t>(
            std::count_if(found.begin(), found.end(), [](Entity* e) { return DynamicCast<Item>(e) != nullptr; }));
    }

    Region* region = nullptr;
    int records = 0;
};

TEST_F(ControllerLayersTest, EquipmentRefreshesOnTheFirstUpdateThenEvery250MsWhateverTheFrame)
{
    struct Row {
        int frameMs;
        int framesToRefresh;   // after the first update's refresh
    };
    for (const Row row : {Row{16, 16}, Row{100, 3}, Row{300, 1}}) {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
        player->SetIsControllingCharacter(true);
        player->SetInvincible(true);   // a player without life would be handed its death
        ControllerPlayer* controller = player->GetPlayerController();
        ASSERT_NE(controller, nullptr);
        EquipmentCtrl& equipment = controller->GetEquipmentCtrl();
        ItemReplicaInfo info;
        info.baseName = "Records/Item/Armor/Ring.dbr";   // needs strength 55
        const uint32_t ring = Item::CreateItem(info)->GetObjectId();
        player->GetInventory().AddItemToInventory(ring, true);
        player->SetCharLevel(20);
        player->SetTotalCharAttribute(CharAttributeType_Dexterity, 60.0f);
        player->SetTotalCharAttribute(CharAttributeType_Intelligence, 60.0f);
        player->SetTotalCharAttribute(CharAttributeType_Strength, 60.0f);
        ASSERT_TRUE(equipment.AutoInsertItem(ring));
        player->SetTotalCharAttribute(CharAttributeType_Strength, 10.0f);
        controller->Update(row.frameMs);
        EXPECT_FALSE(equipment.IsItemAttached(ring)) << row.frameMs;
        player->SetTotalCharAttribute(CharAttributeType_Strength, 60.0f);
        for (int frame = 1; frame <= row.framesToRefresh; ++frame) {
            controller->Update(row.frameMs);
            EXPECT_EQ(equipment.IsItemAttached(ring), frame == row.framesToRefresh) << row.frameMs << " " << frame;
        }
    }
}

TEST_F(ControllerLayersTest, KillMeDropsGoldThenDiesAndAnnouncesOnlyForALivingMortal)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Gold.dbr",
                                         "goldAmountEquation,40+0,\ngoldValueMax,1000,\ngoldSplitMin,1,\n"
                                         "goldSplitMax,1,\ngoldActors,Records/Item/OneShot/Gold.dbr,\n");
    struct Row {
        const char* kind;
        Character_LifeState state;
        const char* chance;
        size_t gold;
        bool dies;
    };
    const Row rows[] = {
        {"Monster", Character_LifeState_Alive, "100", 1, true},
        {"Monster", Character_LifeState_Alive, "0", 0, true},   // generator records, no chance
        {"Monster", Character_LifeState_Dead, "100", 0, false},
        {"Npc", Character_LifeState_Alive, "100", 0, false},
    };
    float x = 0.0f;
    for (const Row& row : rows) {
        Character* character = Make(std::string("characterLife,100,\ngoldGenerator,Records/Test/Gold.dbr,\n"
                                                "goldGeneratorChance,") + row.chance + ",\n",
                                    row.kind, x += 50.0f);
        character->SetLifeState(row.state);
        ControllerCombat* controller = Control(*character);
        EventCapture events;
        events.Keep<GameEvent_CreatureStartDeath>("GameEvent_CreatureStartDeath");
        controller->KillMe();
        EXPECT_EQ(ItemsAround(*character), row.gold) << row.kind << " " << row.chance;
        const auto sent = events.Kept<GameEvent_CreatureStartDeath>("GameEvent_CreatureStartDeath");
        ASSERT_EQ(sent.size(), row.dies ? 1u : 0u) << row.kind;
        if (!row.dies) {
            EXPECT_EQ(character->GetLifeState(), row.state);
            continue;
        }
        EXPECT_EQ(sent[0].objectId, character->GetObjectId());
        EXPECT_EQ(character->GetLifeState(), Character_LifeState_Dying);
        EXPECT_EQ(character->GetActionHandler()->GetActionType(), CharacterActionType_Die);
    }
}

TEST_F(ControllerLayersTest, TheLifeWatchSoundsLowHealthAndKillsAtNoLifeUnlessInvincible)
{
    Character* monster = Make("characterLife,100,\nlowHealthTriggerLevel,10,\nlowHealthResetLevel,50,\n");
    ControllerCombat* controller = Control(*monster);
    monster->SetLifeLimit(100.0f);
    monster->SetCurrentLife(100.0f);
    controller->Update(16);
    EXPECT_FALSE(monster->IsLowHealthTriggered());
    monster->SetCurrentLife(5.0f);
    controller->Update(16);
    EXPECT_TRUE(monster->IsLowHealthTriggered());
    EXPECT_TRUE(monster->IsAlive());

    monster->SetCurrentLife(0.0f);
    monster->SetInvincible(true);
    controller->Update(16);
    EXPECT_TRUE(monster->IsAlive());
    monster->SetInvincible(false);
    EventCapture events;
    controller->Update(16);
    EXPECT_EQ(monster->GetLifeState(), Character_LifeState_Dying);
    controller->Update(16);   // dying: no second death
    EXPECT_EQ(events.Count("GameEvent_CreatureStartDeath"), 1u);
}

TEST_F(ControllerLayersTest, ShowAndHideAreCommandsOnEveryPeerAndOtherEventsAreIgnored)
{
    Character* monster = Make("characterLife,100,\n");
    ControllerCombat* controller = Control(*monster);
    controller->HandleEvent(Name("hide"));
    EXPECT_TRUE(monster->GetVisibility());   // not before the commands run
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_FALSE(monster->GetVisibility());
    controller->HandleEvent(Name("End"));
    controller->HandleEvent(Name("show"));
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_TRUE(monster->GetVisibility());
}

TEST_F(ControllerLayersTest, AClientDecidesOnlyItsOwnCharactersDeathsAndTakesTheOthersFromTheServer)
{
    constexpr int kClient = 3;
    RecordingTransport transport;
    ConnectionManager& connections = ConnectionManager::Get();
    connections.SetTransport(&transport);
    transport.Connect(ConnectionManager::kServerHost);
    connections.SetLocalHostId(kClient);
    engine->SetAsNetworkClient();
    RegisterCharacterActionDispatch();
    const std::string keys = "characterLife,100,\ngoldGenerator,Records/Test/Gold.dbr,\ngoldGeneratorChance,100,\n";
    RecordDatabase::Get().RegisterRecord("Records/Test/Gold.dbr",
                                         "goldAmountEquation,40+0,\ngoldValueMax,1000,\ngoldSplitMin,1,\n"
                                         "goldSplitMax,1,\ngoldActors,Records/Item/OneShot/Gold.dbr,\n");
    // The server's monster: its life gone here, it still lives until the server says.
    Character* monster = Make(keys, "Monster", 0.0f, 0.0f, 0x77);
    ControllerCombat* controller = Control(*monster);
    monster->SetControllerId(controller->GetObjectId());
    monster->SetCurrentLife(0.0f);
    EventCapture events;
    controller->Update(16);
    controller->KillMe();
    EXPECT_FALSE(controller->DecidesDeath());
    EXPECT_TRUE(monster->IsAlive());
    EXPECT_EQ(ItemsAround(*monster), 0u);
    EXPECT_EQ(events.Count("GameEvent_CreatureStartDeath"), 0u);
    EXPECT_TRUE(transport.sent.empty());
    DiePacket death;
    death.characterId = monster->GetObjectId();
    const uint32_t size = death.PrepareOutBuffer();
    EXPECT_TRUE(connections.HandleIncoming(ConnectionManager::kServerHost, death.GetOutBuffer(), size));
    EXPECT_EQ(monster->GetLifeState(), Character_LifeState_Dying);
    EXPECT_EQ(monster->GetActionHandler()->GetActionType(), CharacterActionType_Die);

    // A pet of the client's own, made under its host number: the client decides, and tells the server.
    const uint32_t petId = (uint32_t{kClient} << ConnectionManager::kPlayerIdShift) | 0x42;
    Character* pet = Make("characterLife,100,\n", "Monster", 50.0f, 0.0f, petId);
    ControllerCombat* petController = Control(*pet);
    pet->SetCurrentLife(0.0f);
    petController->Update(16);
    EXPECT_EQ(pet->GetLifeState(), Character_LifeState_Dying);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::Server);
    DiePacket told;
    ASSERT_TRUE(told.CopyInbound(transport.sent[0].bytes.data(), static_cast<int>(transport.sent[0].bytes.size())));
    EXPECT_EQ(told.characterId, petId);
}

TEST_F(ControllerLayersTest, ATeleportTellsThePeersThenSetsTheCharacterOnTheFloor)
{
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    engine->SetAsNetworkServer();
    Character* monster = Make("characterLife,100,\n");
    ControllerCombat* controller = Control(*monster);
    LogCapture log;
    controller->Teleport(WorldCoords(region, Coords::LookAlong({3, 2, 4}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_EQ(monster->GetPathPosition(), WorldVec3(region, Vec3(3.0f, 0.0f, 4.0f)));
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::AllClients);
    UpdatePositionPacket packet;
    ASSERT_TRUE(packet.CopyInbound(transport.sent[0].bytes.data(), static_cast<int>(transport.sent[0].bytes.size())));
    EXPECT_EQ(packet.entityId, monster->GetObjectId());
    EXPECT_EQ(packet.targetCoords.GetRegionCoords().origin, Vec3(3.0f, 2.0f, 4.0f));
    EXPECT_TRUE(log.Texts().empty());

    // Below the floor there is nothing to stand on: logged, and the point used as it is.
    controller->Teleport(WorldCoords(region, Coords::LookAlong({1, -3, 1}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_TRUE(log.Contains("Could Not Translate To Floor"));
    EXPECT_EQ(monster->GetPathPosition(), WorldVec3(region, Vec3(1.0f, -3.0f, 1.0f)));

    // A client that plays a teleport of the server's character tells nobody; one of its
    // own it tells the server.
    constexpr int kClient = 3;
    transport.sent.clear();
    transport.Connect(ConnectionManager::kServerHost);
    ConnectionManager::Get().SetLocalHostId(kClient);
    engine->SetAsNetworkClient();
    controller->Teleport(WorldCoords(region, Coords::LookAlong({5, 0, 5}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_EQ(monster->GetPathPosition(), WorldVec3(region, Vec3(5.0f, 0.0f, 5.0f)));
    EXPECT_TRUE(transport.sent.empty());
    Character* pet = Make("characterLife,100,\n", "Monster", 0.0f, 0.0f,
                          (uint32_t{kClient} << ConnectionManager::kPlayerIdShift) | 0x42);
    Control(*pet)->Teleport(WorldCoords(region, Coords::LookAlong({6, 0, 6}, {1, 0, 0}, {0, 1, 0})));
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::Server);
}

TEST_F(ControllerLayersTest, ARandomDropLandsOneAndAQuarterUnitsAwayOnEveryPeer)
{
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    engine->SetAsNetworkServer();
    Character* monster = Make("characterLife,100,\n");
    ControllerCombat* controller = Control(*monster);
    controller->SendDropItemRandom(0);
    EXPECT_EQ(gEngine->RunActorCommands(), 0);
    auto* item = DynamicCast<Item>(ObjectManager::Get().CreateObject("Item"));
    monster->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    controller->SendDropItemRandom(item->GetObjectId());
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_TRUE(item->IsInWorld());
    ASSERT_EQ(transport.sent.size(), 1u);
    DropItemConfigCmdPacket packet;
    ASSERT_TRUE(packet.CopyInbound(transport.sent[0].bytes.data(), static_cast<int>(transport.sent[0].bytes.size())));
    EXPECT_EQ(packet.itemId, item->GetObjectId());
    EXPECT_NEAR(std::hypot(packet.offset1, packet.offset2), 1.25f, 1e-5f);
}

TEST_F(ControllerLayersTest, EachRequestIsOneCommandOnTheCharacterAndNoneWithoutIt)
{
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    engine->SetAsNetworkServer();
    Character* monster = Make("characterLife,100,\n");
    ControllerCombat* controller = Control(*monster);
    const uint32_t item = 4242;   // no such item: each command finds nothing to act on
    struct Row {
        const char* name;
        std::function<void()> request;
        NetPacketType type;
    };
    const Row rows[] = {
        {"attach", [&] { controller->SendEquipAttachAction(item, EquipLocation_RightHand); }, AttachItemConfigCmdPacket::kType},
        {"detach", [&] { controller->SendEquipDetachAction(item); }, DetachItemConfigCmdPacket::kType},
        {"drop from", [&] { controller->SendDropFromEquipLocation(item, EquipLocation_LeftHand, true); },
         DropItemFromEquipLocConfigCmdPacket::kType},
        {"pick up", [&] { controller->PickupItem(item); }, PickupItemConfigCmdPacket::kType},
        {"remove", [&] { controller->SendRemoveItemFromInventory(item); }, RemoveInventoryItemConfigCmdPacket::kType},
        {"strength", [&] { controller->IncrementCharacterStrength(); }, IncBaseStrengthConfigCmdPacket::kType},
        {"intelligence", [&] { controller->IncrementCharacterIntelligence(); },
         IncBaseIntelligenceConfigCmdPacket::kType},
        {"dexterity", [&] { controller->IncrementCharacterDexterity(); }, IncBaseDexterityConfigCmdPacket::kType},
        {"life", [&] { controller->IncrementCharacterLife(); }, IncBaseLifeConfigCmdPacket::kType},
        {"life 7", [&] { controller->IncrementCharacterLife(7); }, IncBaseLifeConfigCmdPacket::kType},
        {"mana", [&] { controller->IncrementCharacterMana(); }, IncBaseManaConfigCmdPacket::kType},
        {"mana 7", [&] { controller->IncrementCharacterMana(7); }, IncBaseManaConfigCmdPacket::kType},
    };
    for (const Row& row : rows) {
        transport.sent.clear();
        row.request();
        EXPECT_EQ(gEngine->RunActorCommands(), 1) << row.name;
        ASSERT_EQ(transport.sent.size(), 1u) << row.name;
        EXPECT_EQ(transport.sent[0].Type(), row.type) << row.name;
    }
    controller->SendRemoveItemFromInventory(0);
    controller->SetParentId(987654);
    for (const Row& row : rows)
        row.request();
    EXPECT_EQ(gEngine->RunActorCommands(), 0);
}

TEST_F(ControllerLayersTest, ARespawnIsTheOneActionTheDeadTake)
{
    Character* monster = Make("characterLife,100,\n");
    ControllerCombat* controller = Control(*monster);
    monster->SetLifeState(Character_LifeState_Dead);
    controller->RespawnMe();   // a dead character accepts the respawn
    EXPECT_EQ(monster->GetActionHandler()->GetActionType(), CharacterActionType_Respawn);
}

TEST_F(ControllerLayersTest, DebugLinesStandAboveTheCharacterAndNameTheActions)
{
    Character* monster = Make("characterLife,100,\n", "Monster", 3.7f, -4.2f);
    ControllerCombat* controller = Control(*monster);
    std::vector<std::string> actions;
    controller->GetActionsAsStrings(actions);
    EXPECT_EQ(actions, (std::vector<std::string>{"Current Action: (no text)", "Pending Action: (none)",
                                                 "Queued Action: (none)"}));
    controller->SetQueuedAction(new IdleAction(monster->GetObjectId()));
    actions.clear();
    controller->GetActionsAsStrings(actions);
    EXPECT_EQ(actions.back(), "Queued Action: IdleAction");

    // Drawn only while the data log is on and the character asks for it.
    Journal::Get().Clear();
    controller->Update(16);
    monster->SetDoDebugRender(true);
    controller->Update(16);
    EXPECT_EQ(Journal::Get().Count("DebugRenderManager::RenderText"), 0u);
    gEngine->SetCharacterDataLogEnabled(true);
    controller->Update(16);
    std::vector<std::string> drawn;
    for (const JournalEntry& entry : Journal::Get().GetEntries())
        if (entry.call == "DebugRenderManager::RenderText")
            drawn.push_back(entry.detail);
    const std::string id = std::to_string(monster->GetObjectId());
    EXPECT_EQ(drawn, (std::vector<std::string>{"region 1 (3.7, 2.5, -4.2) (0.2, 1, 0.2, 1) Object Id: " + id,
                                               "region 1 (3.7, 2.8, -4.2) (0.2, 1, 0.2, 1) Position: 3, 0, -4"}));
    EXPECT_TRUE(controller->GetDebugRenderText().empty());
}

TEST_F(ControllerLayersTest, TheClosestActorIsTheFirstOfTheNearestThatExist)
{
    Character* far = Make("", "Monster", 10.0f);
    Character* nearA = Make("", "Monster", 2.0f);
    Character* nearB = Make("", "Monster", -2.0f);
    ControllerCombat* controller = Control(*far);
    const uint32_t item = controller->GetObjectId();   // an object, but no actor
    const WorldVec3 origin(region, Vec3{});
    EXPECT_EQ(controller->FindClosestActor(origin, {}), 0u);
    EXPECT_EQ(controller->FindClosestActor(origin, {987654, item}), 0u);
    EXPECT_EQ(controller->FindClosestActor(origin, {far->GetObjectId(), nearB->GetObjectId(), nearA->GetObjectId()}),
              nearB->GetObjectId());
    EXPECT_EQ(controller->FindClosestActor(origin, {987654, nearA->GetObjectId(), nearB->GetObjectId()}),
              nearA->GetObjectId());
}

TEST_F(ControllerLayersTest, TheBundledControllerRecordsMakeTheirClasses)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Records/Controllers/Monster/DefaultControllerAI.dbr", "ControllerMonster"},
        {"Records/Controllers/Npc/Npc2Controller.dbr", "ControllerNpc2"},
        {"Records/Controllers/Player/PlayerController.dbr", "ControllerPlayer"},
        {"Records/Controllers/Player/CharacterControllerStub.dbr", "ControllerCombat"},
        {"Records/Controllers/Editor/EditorController.dbr", "ControllerCombat"},
    };
    for (const auto& [record, kind] : rows) {
        Object* made = ObjectManager::Get().CreateObjectFromFile(record);
        ASSERT_NE(made, nullptr) << record;
        EXPECT_STREQ(made->GetClassInfo().GetName(), kind) << record;
    }
}

TEST_F(ControllerLayersTest, ABarrierIsACharacterThatAngersNoOneAndIsNobodysFriend)
{
    Character* barrier = Make("characterLife,100,\n", "DynamicBarrier", 1.0f);
    Character* ambient = Make("characterLife,100,\n", "AmbientCharacter", -1.0f);
    barrier->SetCausesAnger(true);
    EXPECT_FALSE(barrier->CausesAnger());
    EXPECT_TRUE(barrier->IsA<AmbientCharacter>());
    EXPECT_TRUE(barrier->IsA<Character>());
    EXPECT_FALSE(ambient->IsA<DynamicBarrier>());
    gEngine->UpdateFrame(16);   // their initial updates: both join the monsters
    std::vector<unsigned> friends;
    engine->GetTargetsInRadius(TeamManager::DefaultMonsterTeam(), WorldVec3(region, Vec3{}), 5.0f, friends, 0, true);
    EXPECT_EQ(friends, std::vector<unsigned>{ambient->GetObjectId()});
}

TEST_F(ControllerLayersTest, TheProcessWideDrawsRepeatFromASeedAndKeepTheirRanges)
{
    SeedProcessRandom(1);
    std::vector<int> draws;
    for (int i = 0; i < 4; ++i)
        draws.push_back(RandomInt(0, 99));
    EXPECT_EQ(draws, (std::vector<int>{41, 67, 34, 0}));   // 41, 18467, 6334, 26500
    EXPECT_EQ(RandomInt(5, 5), 5);
    EXPECT_EQ(RandomInt(7, 3), 7);
    float low = 1.0f, high = 0.0f;
    for (int i = 0; i < 20000; ++i) {
        const float value = RandomFloat(-2.0f, 2.0f);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_GE(low, -2.0f);
    EXPECT_LE(high, 2.0f);
    EXPECT_LT(low, -1.99f);
    EXPECT_GT(high, 1.99f);
}

}  // namespace
