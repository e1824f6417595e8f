// Character action packets: the layouts the actions fill, received packets that must be
// refused, and a received action played on this peer only when its sender may act.
#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/characters/CharacterActions.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/network/CharacterActionPackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

// Whether some logged line holds the text.
bool Logged(const LogCapture& log, const std::string& text)
{
    for (const std::string& line : log.Texts())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

class CharacterActionPacketTest : public EngineTest {
protected:
    static constexpr int kSender = 3;
    static constexpr int kOther = 5;
    static constexpr uint32_t kHeroId = (uint32_t{kSender} << ConnectionManager::kPlayerIdShift) | 0x42;

    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Test");
        RecordDatabase::Get().RegisterRecord("Records/Test/Hero.dbr", "Class,Character,\n");
        hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr", kHeroId);
        ASSERT_NE(hero, nullptr);
        connections.SetTransport(&transport);
        transport.Connect(kSender);
        transport.Connect(kOther);
        RegisterCharacterActionDispatch();
    }
    void TearDown() override
    {
        UnregisterCharacterActionDispatch();
        connections.SetTransport(nullptr);
        connections.SetLocalHostId(ConnectionManager::kServerHost);
        EngineTest::TearDown();
    }
    WorldVec3 At(float x) const { return WorldVec3(region, Vec3(x, 0.0f, 0.0f)); }
    bool Receive(NetPacket& packet, int from)
    {
        const uint32_t size = packet.PrepareOutBuffer();
        return connections.HandleIncoming(from, packet.GetOutBuffer(), size);
    }
    CharacterActionType Running() const { return hero->GetActionHandler()->GetActionType(); }

    ConnectionManager& connections = ConnectionManager::Get();
    RecordingTransport transport;
    Region* region = nullptr;
    Character* hero = nullptr;
};

TEST_F(CharacterActionPacketTest, ActionsFillTheirPacketsAndOnlySomeCarryThePreMoveBlock)
{
    // An attack's seed keeps its low 16 bits: 0x12345 travels as 45 23.
    AttackPacket attack;
    attack.characterId = 0x3002;
    attack.seed = 0x12345;
    attack.location = At(1);
    attack.attackerPosition = At(2);
    Bytes bytes = Written(attack);
    ASSERT_EQ(bytes.size(), 2u + 1 + 4 + 4 + 16 + 2 + 2 + 16);
    EXPECT_EQ(bytes[29], 0x45);
    EXPECT_EQ(bytes[30], 0x23);

    // A death without ids writes a count of 0 after the character.
    DiePacket die;
    die.characterId = 0x3002;
    EXPECT_EQ(Written(die), (Bytes{0x49, 0x00, 0x00, 0x02, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));

    // Stun, hold and trap never carry the pre-move block; the others copy it.
    std::vector<std::unique_ptr<CharacterAction>> bare;
    bare.push_back(std::make_unique<TakeStunAction>(kHeroId));
    bare.push_back(std::make_unique<ImmobilizeAction>(kHeroId));
    bare.push_back(std::make_unique<TakeTrapAction>(kHeroId));
    // Each keeps its name across the wire (the hold's name is spelt with one "m").
    const char* const names[] = {"TakeStunAction", "ImobilizeAction", "TakeTrapAction"};
    for (size_t i = 0; i < bare.size(); ++i) {
        CharacterAction& action = *bare[i];
        action.SetPreMoveData(At(3), 9, 2, 1.0f);
        const std::unique_ptr<CharacterActionPacket> packet = action.GetNetPacket();
        ASSERT_NE(packet, nullptr);
        EXPECT_FALSE(packet->HasPreMove()) << action.ToString();
        EXPECT_EQ(Written(*packet).size(), 7u);
        EXPECT_STREQ(action.ToString(), names[i]);
        const std::unique_ptr<CharacterAction> rebuilt = RebuildCharacterActionFrom(*packet);
        ASSERT_NE(rebuilt, nullptr);
        EXPECT_STREQ(rebuilt->ToString(), names[i]);
    }
    AttackAction attacking(kHeroId, 0xD00D, At(4), 3, 0x2345, {});
    attacking.SetPreMoveData(At(3), 9, 2, 1.0f);
    const std::unique_ptr<CharacterActionPacket> sent = attacking.GetNetPacket();
    ASSERT_TRUE(sent->HasPreMove());
    EXPECT_EQ(sent->preMoveTargetId, 9u);
    const auto& filled = static_cast<const AttackPacket&>(*sent);
    EXPECT_EQ(filled.defenderId, 0xD00Du);
    EXPECT_EQ(filled.seed, 0x2345u);
    EXPECT_EQ(filled.location, At(4));
}

TEST_F(CharacterActionPacketTest, BadActionPacketsAreDroppedWithALogLine)
{
    LogCapture log;
    PlayAnimationActionPacket play;
    play.characterId = kHeroId;
    play.animationType = 32;
    EXPECT_FALSE(Receive(play, kSender));
    EXPECT_TRUE(Logged(log, "enum value 32 is out of range"));

    play.animationType = 5;
    play.animationName.bytes[0] = 0x07;
    EXPECT_FALSE(Receive(play, kSender));
    EXPECT_TRUE(Logged(log, "the animation name is not printable text"));

    IdleActionPacket idle;
    idle.characterId = kHeroId;   // at a point in no region
    EXPECT_FALSE(Receive(idle, kSender));
    EXPECT_TRUE(Logged(log, "lies in no region"));

    // A non-finite coordinate fails the read.
    idle.position = At(1);
    Bytes bytes = Written(idle);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&bytes[11], &nan, 4);
    EXPECT_FALSE(connections.HandleIncoming(kSender, bytes.data(), static_cast<uint32_t>(bytes.size())));

    // A name printed in the block survives the trip.
    std::memcpy(play.animationName.bytes, "Wave", 4);
    PlayAnimationActionPacket received;
    ASSERT_TRUE(ReadInto(received, Written(play)));
    EXPECT_STREQ(received.GetAnimationName().c_str(), "Wave");
    EXPECT_EQ(Running(), CharacterActionType_None);
}

TEST_F(CharacterActionPacketTest, AReceivedActionRunsOnlyWhenItsSenderMayActForTheCharacter)
{
    LogCapture log;
    TakeTrapPacket trap;
    trap.characterId = kHeroId;
    Receive(trap, kOther);                           // another client's character
    Receive(trap, ConnectionManager::kServerHost);   // the server hears no server
    EXPECT_EQ(Running(), CharacterActionType_None);
    EXPECT_TRUE(Logged(log, "may not act for character"));
    EXPECT_TRUE(transport.sent.empty());

    // An action of no character here, or of an object that is no character.
    RecordDatabase::Get().RegisterRecord("Records/Test/Thing.dbr", "Class,Object,\n");
    ASSERT_NE(ObjectManager::Get().CreateObjectFromFile<Object>("Records/Test/Thing.dbr", kHeroId + 1), nullptr);
    trap.characterId = kHeroId + 1;
    Receive(trap, kSender);
    EXPECT_TRUE(Logged(log, "is no character here"));
    trap.characterId = kHeroId + 2;
    EXPECT_FALSE(Receive(trap, kSender));
    EXPECT_TRUE(transport.sent.empty());

    ImmobilizePacket hold;
    hold.characterId = kHeroId;
    EXPECT_TRUE(Receive(hold, kSender));
    EXPECT_EQ(Running(), CharacterActionType_Immobilize);
    ASSERT_EQ(transport.sent.size(), 1u);   // passed on to the other clients
    EXPECT_EQ(transport.sent[0].to, (NetDestination{NetDestination::OtherClients, kSender}));

    // A client hears the server, for any character, and passes nothing on.
    connections.SetLocalHostId(kOther);
    transport.sent.clear();
    MoveToPacket move;
    move.characterId = kHeroId;
    move.startLocation = At(0);
    move.worldLocation = At(5);
    move.preMoveFlag = 1;
    move.preMovePosition = At(2);
    Receive(move, kSender);
    EXPECT_EQ(Running(), CharacterActionType_Immobilize);
    EXPECT_TRUE(Receive(move, ConnectionManager::kServerHost));
    EXPECT_NE(Running(), CharacterActionType_Immobilize);
    EXPECT_TRUE(transport.sent.empty());

    // The pre-move block comes back as the action's pre-move data.
    const std::unique_ptr<CharacterAction> rebuilt = RebuildCharacterActionFrom(move);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->GetType(), CharacterActionType_MoveTo);
    EXPECT_NE(rebuilt->GetPreAction(), nullptr);
}

TEST_F(CharacterActionPacketTest, AClientTellsOnlyOfItsOwnCharactersDeathsAndWithIdsOfItsOwn)
{
    LogCapture log;
    RecordDatabase::Get().RegisterRecord("Records/Test/Beast.dbr", "Class,Character,\n");
    Character* beast = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Beast.dbr", 0x77);
    ASSERT_NE(beast, nullptr);
    DiePacket death;
    death.characterId = beast->GetObjectId();   // the server's
    Receive(death, kSender);
    EXPECT_TRUE(beast->IsAlive());
    EXPECT_TRUE(Logged(log, "DiePacket from host 3 dropped: the host may not act for character 119"));

    // Its own character, with an id of the server's or of another host for its death's objects.
    death.characterId = kHeroId;
    for (const uint32_t id : {0x55u, (uint32_t{kOther} << ConnectionManager::kPlayerIdShift) | 0x55}) {
        death.deathHandlerIds = {id};
        Receive(death, kSender);
        EXPECT_TRUE(hero->IsAlive()) << id;
    }
    EXPECT_TRUE(Logged(log, "an id that is not the host's"));
    EXPECT_TRUE(transport.sent.empty());
    death.deathHandlerIds = {kHeroId + 7};
    EXPECT_TRUE(Receive(death, kSender));
    EXPECT_EQ(Running(), CharacterActionType_Die);
    ASSERT_EQ(transport.sent.size(), 1u);
}

}  // namespace
}  // namespace GAME
