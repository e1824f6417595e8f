#include <climits>
#include <cmath>

#include "EngineFixture.h"
#include "Engine/Localization.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/items/Item.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/FixedItem.h"

namespace GAME {

// A character that writes down the quest commands it is given.
class CommandedCharacter : public Character {
    GAME_DECLARE_CLASS(CommandedCharacter)

public:
    void QuestCommandMove(uint32_t value, const WorldVec3&, bool) override
    {
        commands.push_back("move " + std::to_string(value));
    }
    void QuestCommandUseSkill(const std::string& skill, uint32_t, bool) override
    {
        commands.push_back("skill " + skill);
    }

    std::vector<std::string> commands;
};
GAME_IMPLEMENT_CLASS(CommandedCharacter, Character)

}  // namespace GAME

using namespace GAME;
using ::testing::_;

namespace {

constexpr const char* kSwordRecord = "Records/Test/Sword.dbr";

class NetworkInterfaceTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kSwordRecord, "Class,Item,\ndescription,tagSword,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Sound.dbr", "Class,SoundPak,\n");
        LocalizationManager::Instance().RegisterTags(
            "SimpleStringFormat=<%s>\ntagSword=Sword\ntagJoined=%s joined\ntagCount=%d items\n");
        region = World::Get().AddRegion(1, "test");
        inbound = engine->GetInboundNetworkInterface();
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    static ItemReplicaInfo Sword(uint32_t seed, uint32_t objectId = 0)
    {
        ItemReplicaInfo info;
        info.objectId = objectId;
        info.baseName = kSwordRecord;
        info.seed = seed;
        return info;
    }
    WorldCoords At(const Vec3& point) const { return WorldCoords(region, Coords::MakeTranslation(point)); }

    Region* region = nullptr;
    GameEngineNetworkInterface* inbound = nullptr;
};

TEST_F(NetworkInterfaceTest, RoleSwitchReachesCallersThatAskEachTime)
{
    // The services modules read the engine's slot at every call.
    GameEngineClientServicesModule* services = engine->GetClientServices();
    EXPECT_EQ(services->GetNetworkInterface(), engine->GetInboundNetworkInterface());
    Player* player = MakeMainPlayer();

    engine->SetAsNetworkClient();
    EXPECT_NE(services->GetNetworkInterface(), engine->GetInboundNetworkInterface());
    EXPECT_EQ(services->GetNetworkInterface(), engine->GetNetworkInterface());
    services->GetNetworkInterface()->GiveGoldToPlayer(player->GetObjectId(), 50);   // sent, not applied
    EXPECT_EQ(player->GetCurrentMoney(), 0u);
    EXPECT_EQ(engine->GetServerServices()->GetPlayerManager(), nullptr);
    EXPECT_EQ(engine->GetServerServices()->GetMarketServer(9), nullptr);

    engine->SetAsNetworkStub();
    services->GetNetworkInterface()->GiveGoldToPlayer(player->GetObjectId(), 50);
    EXPECT_EQ(player->GetCurrentMoney(), 50u);
}

TEST_F(NetworkInterfaceTest, GoldBelowOneIsTakenAsItsMagnitude)
{
    Player* player = MakeMainPlayer();
    const uint32_t id = player->GetObjectId();
    player->AddMoney(3000000000u);   // the purse holds at most 2,000,000,000

    inbound->GiveGoldToPlayer(id, 0);
    EXPECT_EQ(player->GetCurrentMoney(), 2000000000u);
    inbound->GiveGoldToPlayer(id, -500);
    EXPECT_EQ(player->GetCurrentMoney(), 1999999500u);
    inbound->GiveGoldToPlayer(id, INT_MIN);   // the purse stops at 0
    EXPECT_EQ(player->GetCurrentMoney(), 0u);
    inbound->GiveGoldToPlayer(id + 1, 10);    // nobody: nothing happens
    EXPECT_EQ(player->GetCurrentMoney(), 0u);
}

TEST_F(NetworkInterfaceTest, TwoPeersDropTheSameItemAlike)
{
    const WorldCoords where = At({10.0f, 2.0f, -4.0f});
    // Two peers apply the same creation; the ids differ only because both live here.
    GameEngineInboundInterface peerA, peerB;
    peerA.CreateItem(0, where, Sword(4711, 100), nullptr);
    peerB.CreateItem(0, where, Sword(4711, 200), nullptr);
    Item* a = ObjectManager::Get().GetObject<Item>(100);
    Item* b = ObjectManager::Get().GetObject<Item>(200);
    ASSERT_TRUE(a && b && a->IsInWorld() && b->IsInWorld());

    const Coords& frameA = a->GetCoords().GetRegionCoords();
    const Coords& frameB = b->GetCoords().GetRegionCoords();
    EXPECT_EQ(frameA.origin, frameB.origin);
    EXPECT_EQ(frameA.GetRotation(), frameB.GetRotation());
    // Half a unit out, one unit up, turned about the vertical only.
    const Vec3 offset = frameA.origin - Vec3{10.0f, 2.0f, -4.0f};
    EXPECT_NEAR(std::hypot(offset.x, offset.z), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(offset.y, 1.0f);
    EXPECT_EQ(frameA.yAxis, (Vec3{0.0f, 1.0f, 0.0f}));

    PhysicsEngine::EntityState stateA, stateB;
    ASSERT_TRUE(PhysicsEngine::Get().GetEntityState(100, stateA));
    ASSERT_TRUE(PhysicsEngine::Get().GetEntityState(200, stateB));
    EXPECT_EQ(stateA.angularVelocity, stateB.angularVelocity);
    for (float spin : {stateA.angularVelocity.x, stateA.angularVelocity.y, stateA.angularVelocity.z}) {
        EXPECT_GE(spin, -8.0f);
        EXPECT_LT(spin, 8.0f);
    }
    EXPECT_EQ(stateA.linearVelocity, (Vec3{0.0f, 4.0f, 0.0f}));
    EXPECT_EQ(stateA.maxFallVelocity, -25.0f);
    EXPECT_EQ(a->GetPhysicsType(), 2);

    // Another seed lands elsewhere.
    peerA.CreateItem(0, where, Sword(4712, 300), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject<Item>(300)->GetCoords().GetRegionCoords().origin, frameA.origin);
}

TEST_F(NetworkInterfaceTest, DroppedItemIsThrownStraightUpWhereverItFalls)
{
    // Far from the region's origin the drop point must not become the throw.
    const Vec3 points[] = {{50.0f, 0.0f, 80.0f}, {-75.0f, 3.0f, 0.5f}, {0.0f, 0.0f, 0.0f}};
    uint32_t id = 600;
    for (const Vec3& point : points) {
        SCOPED_TRACE(id);
        inbound->CreateItem(0, At(point), Sword(4711, id), nullptr);
        PhysicsEngine::EntityState state;
        ASSERT_TRUE(PhysicsEngine::Get().GetEntityState(id, state));
        EXPECT_EQ(state.linearVelocity, (Vec3{0.0f, 4.0f, 0.0f}));
        ++id;
    }
}

TEST_F(NetworkInterfaceTest, CreatedItemGoesToItsReceiverOrIsDestroyed)
{
    Player* player = MakeMainPlayer();
    std::u16string name;
    inbound->CreateItem(player->GetObjectId(), At({}), Sword(7, 500), &name);
    EXPECT_EQ(name, u"<Sword>");
    EXPECT_EQ(player->GetInventoryItems(), (std::vector<uint32_t>{500}));
    EXPECT_EQ(ObjectManager::Get().GetObject<Item>(500)->GetItemReplicaInfo().seed, 7u);

    LogCapture log;
    const size_t before = ObjectManager::Get().GetObjectCount();
    inbound->CreateItem(999, At({}), Sword(7, 501), nullptr);
    EXPECT_TRUE(log.Contains("GameEngine: Unable to resolve character (999) to give item (501)"));
    EXPECT_EQ(ObjectManager::Get().GetObject(501), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);
    EXPECT_EQ(World::Get().GetEntityCount(), 0u);

    // Dropped where the world cannot take it: destroyed as well.
    inbound->CreateItem(0, WorldCoords(), Sword(7, 502), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(502), nullptr);
    PhysicsEngine::EntityState state;
    EXPECT_FALSE(PhysicsEngine::Get().GetEntityState(502, state));
}

TEST_F(NetworkInterfaceTest, CreatedEntityIsPlacedOrDestroyed)
{
    const size_t before = ObjectManager::Get().GetObjectCount();
    inbound->CreateEntity(At({}), "", 77);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before);

    inbound->CreateEntity(At({1.0f, 0.0f, 0.0f}), kSwordRecord, 0);
    ASSERT_EQ(World::Get().GetEntityCount(), 1u);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), before + 1);

    LogCapture log;
    inbound->CreateEntity(At({}), "Records/Test/Sound.dbr", 78);   // not an entity
    inbound->CreateEntity(WorldCoords(), kSwordRecord, 79);         // nowhere to stand
    EXPECT_EQ(ObjectManager::Get().GetObject(78), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(79), nullptr);
    EXPECT_TRUE(log.Contains(
        "GameEngine: object \"Records/Test/Sound.dbr\" (78) could not be placed in the world; destroyed"));
    EXPECT_EQ(World::Get().GetEntityCount(), 1u);
}

TEST_F(NetworkInterfaceTest, QuestMessageFlagChoosesThePath)
{
    gEngine->RegisterLogChannel(kQuestLogChannel);
    LogCapture log;
    inbound->HandleQuestMessagePacket(1, true, {1, 2, 3}, 0);
    inbound->HandleQuestMessagePacket(1, false, {4}, 0);
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{"QuestRepository: condition set received (3 words)",
                                        "QuestRepository: 3 condition ids of a received set name nothing here, skipped",
                                        "QuestRepository: message received (1 words)",
                                        "QuestRepository: a message of 1 words is short of its head, dropped"}));
}

TEST_F(NetworkInterfaceTest, ClientRoleLeavesTheHostSideAlone)
{
    PlayerNetBasicInfo newcomer = Roster({5}).front();
    PlayerNetHeartbeatInfo heartbeat;
    heartbeat.playerId = 5;
    heartbeat.level = 9;

    engine->SetAsNetworkClient();
    GameEngineNetworkInterface* network = engine->GetInboundNetworkInterface();
    network->CtoS_AddNewPlayer(newcomer);
    network->CtoS_SinglePlayerHeartbeat(heartbeat);
    network->C2S_MarketUpdateRequest(9);
    network->C2S_MarketPurchaseRequest(9, 1, 2, 3, 5);
    network->C2S_MarketSellBack(9, 1, 2, 3, 5);

    engine->SetAsNetworkStub();
    PlayerManagerServer* host = engine->GetPlayerManagerServer();
    EXPECT_EQ(host->GetNumberOfPlayers(), 0u);
    network->CtoS_AddNewPlayer(newcomer);
    network->CtoS_AddNewPlayer(newcomer);   // already there
    network->CtoS_SinglePlayerHeartbeat(heartbeat);
    ASSERT_EQ(host->GetNumberOfPlayers(), 1u);
    EXPECT_EQ(host->GetPlayerInfos().front().level, 9);
    EXPECT_EQ(host->GetPlayerInfos().front().playerName, u"P5");   // the heartbeat keeps the name
}

TEST_F(NetworkInterfaceTest, RemoteMessagesFillOnlyFittingTags)
{
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({5}));
    DialogManager& dialogs = engine->GetDialogManager();

    inbound->DisplayMessageRemote(1, 5, true, "tagJoined");
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"P5 joined"}));

    LogCapture log;
    inbound->DisplayMessageRemote(1, 5, true, "tagCount");   // takes a number, not a name
    EXPECT_EQ(engine->TakeTopNotification().texts, (std::vector<std::u16string>{u"%d items"}));
    EXPECT_TRUE(log.Contains("Localization: text tag \"tagCount\" does not take a name; shown as plain text"));

    inbound->DisplayMessageRemote(1, 0, false, "tagSword");   // no player: through the wrapper
    inbound->DisplayWMessageRemote(1, false, u"ready text");
    ASSERT_EQ(dialogs.GetNumDialog(), 2u);
    EXPECT_EQ(dialogs.PeekTopDialog()->text, u"<Sword>");
    EXPECT_EQ(dialogs.PeekTopDialog()->party, DialogParty::kNoAnswer);
    dialogs.RemoveTopDialog();
    EXPECT_EQ(dialogs.PeekTopDialog()->text, u"ready text");
}

TEST_F(NetworkInterfaceTest, QuestCommandsReachTheirTargets)
{
    auto* character = DynamicCast<CommandedCharacter>(ObjectManager::Get().CreateObject("CommandedCharacter"));
    auto* chest = DynamicCast<FixedItem>(ObjectManager::Get().CreateObject("FixedItem"));
    std::string skill = "Records/Skills/Leap.dbr";

    inbound->QuestCommandMove(character->GetObjectId(), 3, WorldVec3(), false);
    inbound->QuestCommandUseSkill(character->GetObjectId(), skill, 0, true);
    inbound->QuestCommandMove(chest->GetObjectId(), 4, WorldVec3(), false);   // not a character
    inbound->QuestCommandLockFixedItem(chest->GetObjectId(), true);
    inbound->QuestCommandLockFixedItem(character->GetObjectId(), true);     // not a fixed item

    EXPECT_EQ(character->commands, (std::vector<std::string>{"move 3", "skill Records/Skills/Leap.dbr"}));
    EXPECT_TRUE(chest->IsLocked());
}

}  // namespace
