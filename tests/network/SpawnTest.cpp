// Characters made on every peer through the spawn container, with who may spawn what;
// packets that name objects not there yet, held and retried; hosts joining and leaving
// as the transport's connection events tell.
#include "Engine/NetPacketRegistry.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/items/Item.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"
#include "Game/skills/Skill.h"
#include "tests/network/EngineKindsPacket.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Test/Traveller.dbr";
constexpr uint32_t kGuest = 0x10000005;
constexpr uint32_t kServersPlayer = 0x00000044;

class SpawnTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase::Get().RegisterRecord(kPlayerRecord, "Class,Player,\n");
    }
    void TearDown() override
    {
        SetSpawnObservers({}, {});
        NetPacketRegistry::Get().SetHoldLimits(0, 0);
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        GameWireTest::TearDown();
    }
    void Receive(int fromHost, const Bytes& bytes)
    {
        transport.Feed(fromHost, bytes);
        gEngine->UpdateFrame(0);
    }
    // The spawn of a player that stands in region 7 with that name and life; the player
    // itself is gone again, as it would be on the receiving peer.
    static Bytes Spawn(uint32_t id, const std::u16string& name, float life)
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord, id);
        player->SetPlayerName(name);
        player->SetCurrentLife(life);
        Coords where;
        where.origin = Vec3{1.0f, 0.0f, 2.0f};
        World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(7), where));
        const Bytes bytes = Written(*MakeSpawnPacket(*player));
        ObjectManager::Get().DestroyObjectEx(player, "SpawnTest", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        return bytes;
    }
};

TEST_F(SpawnTest, ASpawnCarriesItsCharacterAndWithoutOneIsTheIdAlone)
{
    SpawnPlayerPacket bare;
    bare.playerObjectId = kGuest;
    EXPECT_EQ(Written(bare).size(), 6u);   // header and id, as before

    SpawnPlayerPacket read;
    ASSERT_TRUE(ReadInto(read, Spawn(kGuest, u"Guest", 50.0f)));
    EXPECT_EQ(read.playerObjectId.GetId(), kGuest);
    EXPECT_EQ(read.carriedRecord, kPlayerRecord);
    EXPECT_EQ(read.carriedCoords.GetRegionCoords().origin.z, 2.0f);
    EXPECT_FALSE(read.carriedImage.empty());
}

TEST_F(SpawnTest, AClientSpawnsOnlyItsOwnPlayerAndTheServerPassesItOn)
{
    engine->SetAsNetworkServer();
    transport.Connect(1);
    transport.Connect(2);
    SinglePlayerBasicInfoPacket join;
    join.info = Roster({kGuest})[0];
    Receive(1, Written(join));
    transport.sent.clear();
    const Bytes own = Spawn(kGuest, u"Guest", 50.0f);
    const Bytes others = Spawn(0x20000005, u"Other", 50.0f);
    const Bytes second = Spawn(kGuest + 1, u"Second", 50.0f);
    LogCapture log;
    Receive(1, others);
    Receive(1, second);
    Receive(3, own);
    Receive(1, Written(ServerSpawnCompletePacket()));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "SpawnPlayerPacket from host 1 dropped: a client spawns only objects of its own host",
                               "SpawnPlayerPacket from host 1 dropped: a client spawns only the player it joined with",
                               "SpawnPlayerPacket from host 3 dropped: the host is not a connected client",
                               "ServerSpawnCompletePacket from host 1 dropped: only the server sends it",
                           }));
    EXPECT_EQ(ObjectManager::Get().GetObject(0x20000005), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObject(kGuest + 1), nullptr);
    EXPECT_TRUE(transport.sent.empty());

    Receive(1, own);
    const auto* guest = ObjectManager::Get().GetObject<Player>(kGuest);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetPlayerName(), u"Guest");
    EXPECT_TRUE(guest->IsInWorld());
    EXPECT_EQ(Destinations(), (std::vector<NetDestination>{{NetDestination::OtherClients, 1}}));
}

TEST_F(SpawnTest, OnAClientOnlyTheServerSpawnsAndAKnownCharacterTakesTheImage)
{
    const Bytes first = Spawn(kServersPlayer, u"Hero", 80.0f);
    const Bytes later = Spawn(kServersPlayer, u"Hero", 30.0f);
    const Bytes mine = Spawn(kGuest, u"Guest", 50.0f);
    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(1);
    std::vector<bool> made;
    bool complete = false;
    SetSpawnObservers([&made](const SpawnReport& report) { made.push_back(report.made); },
                      [&complete] { complete = true; });
    LogCapture log;
    Receive(2, first);
    Receive(0, mine);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "SpawnPlayerPacket from host 2 dropped: a client hears only the server",
                               "SpawnPlayerPacket from host 0 dropped: it names an object of this host",
                           }));
    Receive(0, first);
    Receive(0, later);
    Receive(0, Written(ServerSpawnCompletePacket()));
    EXPECT_EQ(made, (std::vector<bool>{true, false}));
    ASSERT_NE(ObjectManager::Get().GetObject<Player>(kServersPlayer), nullptr);
    EXPECT_FLOAT_EQ(ObjectManager::Get().GetObject<Player>(kServersPlayer)->GetCurrentLife(), 30.0f);
    EXPECT_TRUE(complete);
}

TEST_F(SpawnTest, ASkillTheHostTeachesACharacterMadeHereTakesTheLevelItsImageCarries)
{
    constexpr const char* kTaught = "Records/Test/TaughtBlow.dbr";
    RecordDatabase::Get().RegisterRecord(kTaught, "Class,Skill_AttackInherent,\nskillMaxLevel,3,\n");
    const auto teach = [&](Player& player) {
        Skill* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kTaught);
        player.GetSkillManager().AddSkill(skill);
        return skill;
    };
    auto* hero = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord, kServersPlayer);
    teach(*hero)->SetSkillLevel(2);
    World::Get().AddEntity(hero, WorldCoords(World::Get().GetRegionById(7), Coords()));
    const Bytes spawn = Written(*MakeSpawnPacket(*hero));
    ObjectManager::Get().DestroyObjectEx(hero, "SpawnTest", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();

    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(1);
    Skill* taught = nullptr;
    SetSpawnPreparer([&](Character& character) { taught = teach(static_cast<Player&>(character)); });
    Receive(0, spawn);
    SetSpawnPreparer({});
    ASSERT_NE(ObjectManager::Get().GetObject<Player>(kServersPlayer), nullptr);
    ASSERT_NE(taught, nullptr);
    EXPECT_EQ(taught->GetCurrentLevel(), 2u);
}

TEST_F(SpawnTest, AJoiningHostIsToldOfTheItemsOnTheGroundAndSeesThemWhereTheyLie)
{
    constexpr const char* kItemRecord = "Records/Test/Ring.dbr";
    RecordDatabase::Get().RegisterRecord(kItemRecord, "Class,Item,\n");
    Region* region = World::Get().GetRegionById(7);
    const auto drop = [&](uint32_t receiver, uint32_t id, uint32_t seed, const Vec3& point) {
        ItemReplicaInfo info;
        info.objectId = id;
        info.baseName = kItemRecord;
        info.seed = seed;
        info.var1 = id & 0xFF;
        engine->GetInboundNetworkInterface()->CreateItem(receiver, WorldCoords(region, Coords::MakeTranslation(point)),
                                                         info, nullptr);
    };
    const auto settle = [] {
        for (int frame = 0; frame < 60; ++frame)
            gEngine->UpdateFrame(50);
    };
    // What lies on the ground: each item's identity, where it rests (rounded to a
    // thousandth), and whether the physics is done with it.
    const auto ground = [](std::initializer_list<uint32_t> ids) {
        std::vector<std::string> lying;
        for (uint32_t id : ids) {
            const auto* item = ObjectManager::Get().GetObject<Item>(id);
            if (!item || !item->IsInWorld())
                continue;
            const ItemReplicaInfo& info = item->GetItemReplicaInfo();
            const Vec3 at = item->GetCoords().GetRegionCoords().origin;
            PhysicsEngine::EntityState state;
            const bool moving = PhysicsEngine::Get().GetEntityState(id, state) && state.simulationEnabled;
            char text[160];
            std::snprintf(text, sizeof text, "%x %s seed %u var %u at %.3f %.3f %.3f%s", id, info.baseName.c_str(),
                          info.seed, info.var1, at.x, at.y, at.z, moving ? " moving" : "");
            lying.emplace_back(text);
        }
        return lying;
    };
    engine->SetAsNetworkServer();
    transport.Connect(1);
    auto* carrier = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord, kServersPlayer);
    drop(0, 0x301, 11, {50.0f, 0.0f, 80.0f});
    drop(0, 0x302, 12, {-3.0f, 0.0f, 4.0f});
    drop(kServersPlayer, 0x303, 13, {});   // carried: not on the ground
    settle();
    const std::vector<std::string> onServer = ground({0x301, 0x302, 0x303});
    ASSERT_EQ(onServer.size(), 2u);

    transport.sent.clear();
    std::vector<uint32_t> told;
    SendWorldToHost(1, {}, [&told](const Item& item) { told.push_back(item.GetObjectId()); });
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (std::vector<uint32_t>{0x301, 0x302}));
    std::vector<Bytes> items;
    for (const auto& packet : transport.sent) {
        EXPECT_EQ(packet.to, HostOf(1));
        if (packet.Type() == CreateItemPacket::kType)
            items.push_back(packet.bytes);
    }
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(transport.sent.back().Type(), ServerSpawnCompletePacket::kType);

    // The joining host has none of them until it hears of them.
    for (uint32_t id : {0x301u, 0x302u, 0x303u})
        ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(id), "SpawnTest", __LINE__);
    ObjectManager::Get().DestroyObjectEx(carrier, "SpawnTest", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    engine->SetAsNetworkClient();
    ConnectionManager::Get().SetLocalHostId(1);
    for (const Bytes& bytes : items)
        Receive(0, bytes);
    settle();
    EXPECT_EQ(ground({0x301, 0x302, 0x303}), onServer);
}

TEST_F(SpawnTest, APacketNamingAMissingObjectWaitsForItBoundedInTriesFrameTimeAndNumber)
{
    int handled = 0;
    NetPacketRegistry::Get().SetHandler(EngineKindsPacket::kType, [&handled](NetPacket&, int) { ++handled; });
    NetPacketRegistry& registry = NetPacketRegistry::Get();
    registry.SetHoldLimits(3, 60000);
    EngineKindsPacket packet;
    packet.actor = 0x77;
    const Bytes bytes = Written(packet);
    LogCapture log;
    EXPECT_FALSE(ConnectionManager::Get().HandleIncoming(6, bytes.data(), bytes.size()));
    EXPECT_EQ(registry.RetryHeld(), 0);
    ObjectManager::Get().CreateObject("Player", 0x77);
    EXPECT_EQ(registry.RetryHeld(), 1);
    EXPECT_EQ(handled, 1);

    packet.actor = 0x78;
    const Bytes never = Written(packet);
    ConnectionManager::Get().HandleIncoming(6, never.data(), never.size());
    registry.RetryHeld();
    EXPECT_EQ(registry.GetHeldCount(), 1u);
    registry.RetryHeld();
    EXPECT_EQ(registry.GetHeldCount(), 0u);
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 6 dropped: the objects it names did not arrive (3 tries)"));

    // A flood from one host pushes out only its own: another host's packet, held before it,
    // still waits.
    packet.actor = 0x79;
    const Bytes other = Written(packet);
    ConnectionManager::Get().HandleIncoming(7, other.data(), other.size());
    for (size_t i = 0; i <= NetPacketRegistry::kMaxHeld; ++i)
        ConnectionManager::Get().HandleIncoming(6, never.data(), never.size());
    EXPECT_EQ(registry.GetHeldCount(), NetPacketRegistry::kMaxHeld);
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 6 dropped: too many packets wait for their objects"));
    EXPECT_EQ(handled, 1);
    ObjectManager::Get().CreateObject("Player", 0x79);
    EXPECT_EQ(registry.RetryHeld(), 1);
    EXPECT_EQ(handled, 2);

    // They age by the frames' time alone: tries without a frame keep them, however long
    // they take, and the frames' milliseconds drop them, however quickly they ran.
    registry.SetHoldLimits(100, 1000);
    ConnectionManager::Get().HandleIncoming(8, never.data(), never.size());
    const size_t held = registry.GetHeldCount();
    for (int i = 0; i < 10; ++i)
        registry.RetryHeld();
    gEngine->UpdateFrame(999);
    EXPECT_EQ(registry.GetHeldCount(), held);
    gEngine->UpdateFrame(1);
    EXPECT_EQ(registry.GetHeldCount(), 0u);
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 8 dropped: the objects it names did not arrive (13 tries)"));
}

TEST_F(SpawnTest, PacketsForAnObjectWithHeldPacketsWaitBehindThemAndApplyInTheOrderSent)
{
    std::vector<std::pair<uint32_t, unsigned>> applied;   // (actor, half) as handled
    NetPacketRegistry& registry = NetPacketRegistry::Get();
    registry.SetHandler(EngineKindsPacket::kType, [&applied](NetPacket& packet, int) {
        const auto& kinds = static_cast<EngineKindsPacket&>(packet);
        applied.emplace_back(kinds.actor.GetId(), kinds.half);
    });
    registry.SetHoldLimits(3, 60000);
    const auto send = [](uint32_t actor, unsigned half, uint32_t target = 0) {
        EngineKindsPacket packet;
        packet.actor = actor;
        packet.half = half;
        packet.target = target;
        const Bytes bytes = Written(packet);
        return ConnectionManager::Get().HandleIncoming(6, bytes.data(), bytes.size());
    };
    ObjectManager::Get().CreateObject("Player", 0x80);
    LogCapture log;
    // The first action waits for its character; the character arrives, then a newer action
    // for it: the newer one waits behind the first. A packet for another object, or one that
    // names the waited-for object only as its target while its actor exists, goes through.
    EXPECT_FALSE(send(0x79, 1));
    ObjectManager::Get().CreateObject("Player", 0x79);
    EXPECT_FALSE(send(0x79, 2));
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 6 held: it follows packets held for the same objects"));
    EXPECT_TRUE(send(0x80, 3));
    EXPECT_EQ(registry.GetHeldCount(), 2u);
    EXPECT_EQ(registry.RetryHeld(), 2);
    EXPECT_EQ(applied, (std::vector<std::pair<uint32_t, unsigned>>{{0x80, 3}, {0x79, 1}, {0x79, 2}}));

    // A waiting packet that never resolves keeps a later one for its once-missing actor
    // behind it, without the later one's tries running out; once it is dropped, the later
    // one applies.
    applied.clear();
    EXPECT_FALSE(send(0x81, 4, 0x82));
    ObjectManager::Get().CreateObject("Player", 0x81);
    EXPECT_FALSE(send(0x81, 5));
    EXPECT_EQ(registry.RetryHeld(), 0);
    EXPECT_EQ(registry.GetHeldCount(), 2u);
    EXPECT_EQ(registry.RetryHeld(), 1);
    EXPECT_TRUE(log.Contains("EngineKindsPacket from host 6 dropped: the objects it names did not arrive (3 tries)"));
    EXPECT_EQ(applied, (std::vector<std::pair<uint32_t, unsigned>>{{0x81, 5}}));
    EXPECT_EQ(registry.GetHeldCount(), 0u);
}

TEST_F(SpawnTest, AHostThatTimesOutLeavesAsItsPlayerWouldAndALostServerEndsTheGame)
{
    engine->SetAsNetworkServer();
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    transport.QueueEvent({NetConnectionEvent::Joined, 1, ""});
    Receive(1, Written(SinglePlayerBasicInfoPacket()));   // nothing: a join needs its player
    SinglePlayerBasicInfoPacket join;
    join.info = Roster({kGuest})[0];
    Receive(1, Written(join));
    ObjectManager::Get().CreateObject("Player", kGuest);
    engine->GetInboundNetworkInterface()->AddPlayerToParty(self, static_cast<int>(self));
    engine->GetInboundNetworkInterface()->AddPlayerToParty(kGuest, static_cast<int>(self));
    ASSERT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 2u);
    ASSERT_EQ(engine->GetPartyManager()->GetNumPlayersInParty(static_cast<int>(self)), 2);

    transport.QueueEvent({NetConnectionEvent::TimedOut, 1, "no answer"});
    gEngine->UpdateFrame(0);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetNumberOfPlayers(), 1u);
    EXPECT_EQ(engine->GetPartyManager()->GetParty(kGuest), 0u);
    EXPECT_NE(engine->GetPartyManager()->GetNumPlayersInParty(static_cast<int>(self)), 2);
    EXPECT_EQ(ObjectManager::Get().GetObject(kGuest), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject(self), nullptr);

    engine->SetAsNetworkClient();
    EXPECT_FALSE(engine->HasLostServer());
    transport.QueueEvent({NetConnectionEvent::ServerLost, 0, "gone"});
    gEngine->UpdateFrame(0);
    EXPECT_TRUE(engine->HasLostServer());
}

}  // namespace
