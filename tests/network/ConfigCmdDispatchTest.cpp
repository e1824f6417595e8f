// Received command packets: who may send them, and where the rebuilt command runs and goes.
#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/world/FixedItem.h"

namespace GAME {
namespace {

class ConfigCmdDispatchTest : public EngineTest {
protected:
    static constexpr int kSender = 3;
    static constexpr int kOther = 5;
    // A character of the sender's host: its id carries host 3 in its top four bits.
    static constexpr uint32_t kHeroId = (uint32_t{kSender} << ConnectionManager::kPlayerIdShift) | 0x42;

    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().RegisterRecord("Records/Test/Hero.dbr", "Class,Character,\n");
        hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr", kHeroId);
        ASSERT_NE(hero, nullptr);
        connections.SetTransport(&transport);
        transport.Connect(kSender);
        transport.Connect(kOther);
        RegisterConfigCmdDispatch();
    }
    void TearDown() override
    {
        UnregisterConfigCmdDispatch();
        connections.SetTransport(nullptr);
        connections.SetLocalHostId(ConnectionManager::kServerHost);
        EngineTest::TearDown();
    }
    float Life() const { return hero->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Life); }
    // The bytes of a packet adding `amount` life to `actorId`, as host `from` sends them.
    bool Receive(uint32_t actorId, int32_t amount, int from)
    {
        IncBaseLifeConfigCmdPacket packet;
        packet.actorId = actorId;
        packet.value = amount;
        const uint32_t size = packet.PrepareOutBuffer();
        return connections.HandleIncoming(from, packet.GetOutBuffer(), size);
    }

    ConnectionManager& connections = ConnectionManager::Get();
    RecordingTransport transport;
    Character* hero = nullptr;
};

TEST_F(ConfigCmdDispatchTest, OnTheServerAClientsCommandRunsOnceAndReachesEveryOtherClient)
{
    EXPECT_FALSE(Receive(kHeroId, 5, kSender));   // life without a point spent: no client's play
    ShowCharacterConfigCmdPacket hide;
    hide.actorId = kHeroId;
    hide.value = false;
    const uint32_t size = hide.PrepareOutBuffer();
    EXPECT_TRUE(connections.HandleIncoming(kSender, hide.GetOutBuffer(), size));
    EXPECT_TRUE(hero->GetVisibility());   // queued, not yet run
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_FALSE(hero->GetVisibility());
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to, (NetDestination{NetDestination::OtherClients, kSender}));
    EXPECT_EQ(transport.sent[0].Type(), ShowCharacterConfigCmdPacket::kType);
    EXPECT_EQ(gEngine->RunActorCommands(), 0);
}

TEST_F(ConfigCmdDispatchTest, ACommandForAnActorTheSenderMayNotCommandIsDropped)
{
    const float life = Life();
    Receive(kHeroId, 5, kOther);                       // another client's character
    Receive(kHeroId, 5, 7);                            // a host that is not connected
    Receive(kHeroId, 5, ConnectionManager::kServerHost);   // the server hears no server
    Receive(kHeroId + 1, 5, kSender);                  // no actor under that id
    PickupItemConfigCmdPacket pickup;                  // a pick-up told for another client's character
    pickup.actorId = kHeroId;
    pickup.itemId = kHeroId + 2;
    const uint32_t size = pickup.PrepareOutBuffer();
    connections.HandleIncoming(kOther, pickup.GetOutBuffer(), size);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    EXPECT_EQ(gEngine->RunActorCommands(), 0);
    EXPECT_EQ(Life(), life);
    EXPECT_TRUE(transport.sent.empty());

    // A client hears commands from the server only, for any actor, and sends nothing on.
    connections.SetLocalHostId(kOther);
    Receive(kHeroId, 5, kSender);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    Receive(kHeroId, 7, ConnectionManager::kServerHost);
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_EQ(Life(), life + 7.0f);
    EXPECT_TRUE(transport.sent.empty());
}

// A fixed item is the server's: its commands come from the server alone, whoever used it.
TEST_F(ConfigCmdDispatchTest, OnlyTheServerCommandsAFixedItem)
{
    auto* item = static_cast<FixedItem*>(ObjectManager::Get().CreateObject("FixedItem"));
    ASSERT_NE(item, nullptr);
    const uint32_t itemId = item->GetObjectId();
    FixedItemStateChangeConfigCmdPacket state;
    state.actorId = itemId;
    state.state = FixedItemState_Open;
    state.targetId = kHeroId;
    FixedItemTargetConfigCmdPacket targets;
    targets.actorId = itemId;
    targets.targetIds = std::vector<uint32_t>{kHeroId};
    FixedItemSkillTargetConfigCmdPacket skill;
    skill.actorId = itemId;
    skill.targetIds = std::vector<uint32_t>{kHeroId};
    NetPacket* const packets[] = {&state, &targets, &skill};
    auto receive = [this](NetPacket& packet, int from) {
        const uint32_t size = packet.PrepareOutBuffer();
        connections.HandleIncoming(from, packet.GetOutBuffer(), size);
    };
    for (NetPacket* packet : packets)
        receive(*packet, kSender);   // the client of the player who used it
    EXPECT_EQ(item->GetQueuedCommandCount(), 0u);
    EXPECT_TRUE(transport.sent.empty());

    connections.SetLocalHostId(kOther);
    for (NetPacket* packet : packets) {
        receive(*packet, kSender);
        receive(*packet, ConnectionManager::kServerHost);
    }
    EXPECT_EQ(item->GetQueuedCommandCount(), 3u);
    EXPECT_EQ(gEngine->RunActorCommands(), 3);
}

// Every entry rebuilds the command whose packet is of the entry's type.
TEST_F(ConfigCmdDispatchTest, EveryEntryRebuildsTheCommandOfItsPacketType)
{
    EXPECT_EQ(ConfigCmdRebuilds().size(), 39u);
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds()) {
        SCOPED_TRACE(entry.type);
        std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(entry.type);
        ASSERT_NE(packet, nullptr);
        std::unique_ptr<ActorConfigCommand> rebuilt = RebuildConfigCmdFrom(*packet);
        ASSERT_NE(rebuilt, nullptr);
        std::unique_ptr<NetPacket> again(rebuilt->GetNetPacket());
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->GetType(), entry.type);
    }
    IncBaseLifeConfigCmdPacket life;
    life.actorId = kHeroId;
    life.value = -3;
    auto rebuilt = RebuildConfigCmdFrom(life);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->GetActorId(), kHeroId);
    EXPECT_EQ(static_cast<IncrementBaseLifeConfigCmd&>(*rebuilt).amount, -3);
    JoinPartyConfigCmdPacket noCommand;   // a party request, no actor command
    EXPECT_EQ(RebuildConfigCmdFrom(noCommand), nullptr);
}

}  // namespace
}  // namespace GAME
