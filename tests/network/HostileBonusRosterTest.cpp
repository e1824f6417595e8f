// A client forges rewards, heartbeats and party moves at a server run in this process
// with the host's dispatch: the server keeps its money, points, life and rosters, and the
// honest report and move still take effect.
#include <cmath>
#include <limits>

#include "Game/characters/Monster.h"
#include "Game/core/Bonus.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/items/Item.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace hostile_bonus_roster {

constexpr uint32_t kClientPlayer = 0x10000001;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class HostileClientTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase::Get().RegisterRecord("Records/Test/Gold.dbr", "Class,OneShot_Gold,\n");
        RecordDatabase::Get().RegisterRecord(kBonusSharingRecordName, "PassiveGold,amountOfGold*0.5,\n");
        engine->GetPlayerManagerServer()->LoadEquations();
        engine->SetAsNetworkServer();
        self = MakeMainPlayer();
        self->SetLifeLimit(100.0f);
        self->SetCurrentLife(50.0f);
        ASSERT_TRUE(World::Get().AddEntity(self, Place(0.0f)));
        engine->GetPlayerManagerClient()->Update(1000);   // its heartbeat: where it stands
        transport.Connect(1);
        SinglePlayerBasicInfoPacket join;
        join.info = Roster({kClientPlayer})[0];
        Receive(join);
        Receive(Beat(40.0f, 100.0f));
        transport.sent.clear();
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        GameWireTest::TearDown();
    }
    void Receive(NetPacket&& packet) { Receive(packet); }
    void Receive(NetPacket& packet)
    {
        transport.Feed(1, Written(packet));
        gEngine->UpdateFrame(0);
    }
    static WorldVec3 At(float x) { return WorldVec3(World::Get().GetRegionById(7), {x, 0.0f, 0.0f}); }
    static WorldCoords Place(float x)
    {
        Coords where;
        where.origin = Vec3{x, 0.0f, 0.0f};
        return WorldCoords(World::Get().GetRegionById(7), where);
    }
    static SinglePlayerHeartbeatPacket Beat(float life, float maxLife, uint32_t party = 0, int32_t level = 3)
    {
        SinglePlayerHeartbeatPacket beat;
        beat.info = {kClientPlayer, life, maxLife, 10.0f, 20.0f, level, party, At(2.0f), "Warrior", {}};
        return beat;
    }
    static BonusToServerPacket Report(const Bonus& bonus, float x)
    {
        BonusToServerPacket report;
        report.bonus = bonus;
        report.point = At(x);
        report.activePlayer = kClientPlayer;
        return report;
    }
    static void DropGold(uint32_t amount, float x)
    {
        ItemReplicaInfo gold;
        gold.baseName = "Records/Test/Gold.dbr";
        gold.var1 = amount;
        World::Get().AddEntity(Item::CreateItem(gold), Place(x));
    }
    // The gold of each share the server sent to the client.
    std::vector<uint32_t> GoldSent() const
    {
        std::vector<uint32_t> gold;
        for (const auto& packet : transport.sent)
            if (BonusToClientPacket share; packet.Type() == share.kType && ReadInto(share, packet.bytes))
                gold.push_back(share.bonus.goldPoints);
        return gold;
    }
    PlayerNetBasicInfo ClientRecord() const { return engine->GetPlayerManagerServer()->GetPlayerInfos()[1]; }

    Player* self = nullptr;
};

using HostileBonusTest = HostileClientTest;
using HostileRosterTest = HostileClientTest;

TEST_F(HostileBonusTest, OnlyGoldOfAPileTheServerDroppedIsSharedAndOnlyOnce)
{
    auto* creature = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    creature->SetExperiencePoints(500);
    engine->RegisterDamage(creature->GetObjectId(), kClientPlayer, 50.0f);   // alive: no kill was seen
    Bonus forged;
    forged.goldPoints = 1000000;
    forged.skillPoints = 40;
    forged.lifePoints = -1e9f;
    forged.source = creature->GetObjectId();
    Bonus poisoned;
    poisoned.lifePoints = kNaN;
    poisoned.manaPercent = kNaN;
    Receive(Report(forged, 2.0f));
    Receive(Report(poisoned, 2.0f));
    EXPECT_EQ(self->GetCurrentMoney(), 0u);
    EXPECT_EQ(self->GetSkillPoints(), 0u);
    EXPECT_EQ(self->GetCurrentLife(), 50.0f);
    EXPECT_TRUE(GoldSent().empty());

    // A pile by the client is shared once; one far from where the roster has it is not.
    Bonus gold;
    gold.goldPoints = 120;
    DropGold(120, 3.0f);
    Receive(Report(gold, 2.0f));
    Receive(Report(gold, 2.0f));
    gold.goldPoints = 7;
    DropGold(7, 90.0f);
    Receive(Report(gold, 90.0f));
    EXPECT_EQ(GoldSent(), std::vector<uint32_t>{120});
    EXPECT_EQ(self->GetCurrentMoney(), 60u);
}

// What a peer applies of a bonus is finite and gives, never takes.
TEST_F(HostileBonusTest, APeerAppliesOnlyFiniteLifeAndMana)
{
    Bonus bonus;
    bonus.receiver = self->GetObjectId();
    bonus.lifePoints = -1e9f;
    bonus.manaPercent = kNaN;
    engine->GetPlayerManagerClient()->HandleBonus(bonus);
    bonus.lifePoints = kNaN;
    engine->GetPlayerManagerClient()->HandleBonus(bonus);
    EXPECT_EQ(self->GetCurrentLife(), 50.0f);
    EXPECT_TRUE(std::isfinite(self->GetCurrentMana()));
    bonus.lifePoints = 12.5f;   // as a life leech returns it
    engine->GetPlayerManagerClient()->HandleBonus(bonus);
    EXPECT_EQ(self->GetCurrentLife(), 62.5f);
}

TEST_F(HostileRosterTest, HeartbeatsAndJoinsWithNumbersNoCharacterHasAreRefused)
{
    const PlayerNetBasicInfo before = ClientRecord();
    LogCapture log;
    Receive(Beat(kNaN, 100.0f));
    Receive(Beat(10.0f, -5.0f));
    Receive(Beat(-1.0f, 100.0f));
    Receive(Beat(40.0f, 100.0f, 0, 20000));
    EXPECT_EQ(ClientRecord(), before);
    EXPECT_TRUE(log.Contains("SinglePlayerHeartbeatPacket from host 1 dropped: heartbeat of player 268435457 "
                             "refused: its maximum life is not positive"));
    EXPECT_TRUE(log.Contains("SinglePlayerHeartbeatPacket from host 1 dropped: heartbeat of player 268435457 "
                             "refused: its level is past the level limit"));
    // Its own numbers, held within its maximum, but never a party: that is the roster's.
    Receive(Beat(130.0f, 120.0f, 0x70000007));
    EXPECT_EQ(ClientRecord().life, 120.0f);
    EXPECT_EQ(ClientRecord().partyId, 0u);

    // A newcomer joins no party but its own: not one nobody leads, nor one uninvited.
    for (uint32_t party : {0x70000007u, self->GetObjectId()}) {
        PlayerNetBasicInfo newcomer = Roster({0x20000001 + party})[0];
        newcomer.partyId = party;
        engine->GetPlayerManagerServer()->HandleNewPlayer(newcomer);
        EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos().back().partyId, 0u);
    }
    // Nor with a level past the limit.
    PlayerNetBasicInfo newcomer = Roster({0x20000002})[0];
    newcomer.level = 20000;
    const size_t players = engine->GetPlayerManagerServer()->GetPlayerInfos().size();
    engine->GetPlayerManagerServer()->HandleNewPlayer(newcomer);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos().size(), players);
    EXPECT_TRUE(log.Contains("PlayerManagerServer: join of player 536870914 refused: its level is past the level "
                             "limit"));
}

TEST_F(HostileRosterTest, APlayerJoinsOnlyAPartyWhoseInvitationTheServerSaw)
{
    JoinPartyConfigCmdPacket join;
    join.playerId = kClientPlayer;
    join.partyId = static_cast<int32_t>(self->GetObjectId());
    Receive(join);
    EXPECT_EQ(ClientRecord().partyId, 0u);
    EXPECT_EQ(engine->GetPartyManager()->GetParty(kClientPlayer), 0u);
    EXPECT_TRUE(transport.sent.empty());   // nor passed on to the other clients

    engine->InvitePlayerToParty(kClientPlayer, static_cast<int>(self->GetObjectId()));
    Receive(join);
    EXPECT_EQ(ClientRecord().partyId, self->GetObjectId());
    EXPECT_EQ(engine->GetPartyManager()->GetParty(kClientPlayer), self->GetObjectId());
}

}  // namespace hostile_bonus_roster
