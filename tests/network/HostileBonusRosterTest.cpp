// A client that forges rewards, heartbeats and party moves: the server's game, run in
// this process with the host's dispatch, keeps its money, points, life and rosters, while
// the honest reports and moves still take effect.
#include <cmath>
#include <limits>

#include "Game/characters/Monster.h"
#include "Game/core/Bonus.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/items/OneShot.h"
#include "host/HostDispatch.h"
#include "tests/network/GameWireFixture.h"

using namespace GAME;

namespace hostile_bonus_roster {

constexpr int kClientHost = 1;
constexpr uint32_t kClientPlayer = 0x10000001;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class HostileClientTest : public GameWireTest {
protected:
    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterHostDispatch();
        RecordDatabase::Get().RegisterRecord("Records/Test/Gold.dbr", "Class,OneShot_Gold,\n");
        // The earner gets the whole gold, everyone else near it half.
        RecordDatabase::Get().RegisterRecord("Records/Game/BonusSharing.dbr",
                                             "ActiveGold,amountOfGold*1,\nPassiveGold,amountOfGold*0.5,\n");
        engine->GetPlayerManagerServer()->LoadEquations();
        engine->SetAsNetworkServer();
        self = MakeMainPlayer();
        self->SetLifeLimit(100.0f);
        self->SetCurrentLife(50.0f);
        ASSERT_TRUE(World::Get().AddEntity(self, Place(0.0f)));
        engine->GetPlayerManagerClient()->Update(1000);   // its heartbeat: where it stands
        transport.Connect(kClientHost);
        SinglePlayerBasicInfoPacket join;
        join.info = Roster({kClientPlayer})[0];
        Receive(join);
        Receive(Beat(kClientPlayer, 40.0f, 100.0f));
        transport.sent.clear();
    }
    void TearDown() override
    {
        UnregisterHostDispatch();
        GameWireTest::TearDown();
    }
    template <class Packet>
    void Receive(Packet&& packet)
    {
        transport.Feed(kClientHost, Written(packet));
        gEngine->UpdateFrame(0);
    }
    WorldVec3 At(float x) const { return WorldVec3(World::Get().GetRegionById(7), {x, 0.0f, 0.0f}); }
    WorldCoords Place(float x) const
    {
        Coords where;
        where.origin = Vec3{x, 0.0f, 0.0f};
        return WorldCoords(World::Get().GetRegionById(7), where);
    }
    SinglePlayerHeartbeatPacket Beat(uint32_t player, float life, float maxLife, uint32_t party = 0)
    {
        SinglePlayerHeartbeatPacket beat;
        beat.info = {player, life, maxLife, 10.0f, 20.0f, 3, party, At(2.0f), "Warrior", {}};
        return beat;
    }
    static BonusToServerPacket Report(const Bonus& bonus, const WorldVec3& where)
    {
        BonusToServerPacket report;
        report.bonus = bonus;
        report.point = where;
        report.activePlayer = kClientPlayer;
        return report;
    }
    // The shares the server sent to the client.
    std::vector<Bonus> SharesSent() const
    {
        std::vector<Bonus> shares;
        for (const auto& packet : transport.sent) {
            BonusToClientPacket share;
            if (packet.Type() == BonusToClientPacket::kType && ReadInto(share, packet.bytes))
                shares.push_back(share.bonus);
        }
        return shares;
    }
    PlayerNetBasicInfo HostRecord() const { return engine->GetPlayerManagerServer()->GetPlayerInfos().back(); }

    Player* self = nullptr;
};

using HostileBonusTest = HostileClientTest;
using HostileRosterTest = HostileClientTest;

TEST_F(HostileBonusTest, ForgedRewardsGiveNothingAndAPileTheServerDroppedIsPaidOnce)
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
    LogCapture log;
    Receive(Report(forged, At(2.0f)));
    Receive(Report(poisoned, At(2.0f)));
    EXPECT_EQ(self->GetCurrentMoney(), 0u);
    EXPECT_EQ(self->GetSkillPoints(), 0u);
    EXPECT_EQ(self->GetCurrentLife(), 50.0f);
    EXPECT_TRUE(SharesSent().empty());
    EXPECT_TRUE(log.Contains("PlayerManagerServer: bonus reported for player 268435457 refused: no gold pile of "
                             "that amount lies there"));

    // A pile the server dropped by the client: its gold is shared, once.
    Item* pile = Item::CreateItem(ItemReplicaInfo{.baseName = "Records/Test/Gold.dbr", .var1 = 120});
    ASSERT_TRUE(World::Get().AddEntity(pile, Place(3.0f)));
    Bonus gold;
    gold.goldPoints = 120;
    Receive(Report(gold, At(2.0f)));
    Receive(Report(gold, At(2.0f)));
    ASSERT_EQ(SharesSent().size(), 1u);
    EXPECT_EQ(SharesSent()[0].goldPoints, 120u);
    EXPECT_EQ(SharesSent()[0].receiver, kClientPlayer);
    EXPECT_EQ(self->GetCurrentMoney(), 60u);

    // Far from where the roster has the player, no pile vouches for it.
    Item* far = Item::CreateItem(ItemReplicaInfo{.baseName = "Records/Test/Gold.dbr", .var1 = 7});
    ASSERT_TRUE(World::Get().AddEntity(far, Place(90.0f)));
    gold.goldPoints = 7;
    Receive(Report(gold, At(90.0f)));
    EXPECT_EQ(SharesSent().size(), 1u);
}

// What a peer applies of a bonus from the server is finite and gives, never takes.
TEST_F(HostileBonusTest, AClientAppliesOnlyFiniteLifeAndMana)
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
    const PlayerNetBasicInfo before = HostRecord();
    LogCapture log;
    Receive(Beat(kClientPlayer, kNaN, 100.0f));
    Receive(Beat(kClientPlayer, 10.0f, -5.0f));
    Receive(Beat(kClientPlayer, -1.0f, 100.0f));
    EXPECT_EQ(HostRecord(), before);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "PlayerManagerServer: heartbeat of player 268435457 refused: its life or mana is not "
                               "a finite number",
                               "PlayerManagerServer: heartbeat of player 268435457 refused: its maximum life is not "
                               "positive",
                               "PlayerManagerServer: heartbeat of player 268435457 refused: its life or mana is "
                               "negative",
                           }));

    // Its own numbers, checked, but never a party: that is the roster's.
    Receive(Beat(kClientPlayer, 130.0f, 120.0f, 0x70000007));
    EXPECT_EQ(HostRecord().life, 120.0f);
    EXPECT_EQ(HostRecord().partyId, 0u);

    // A newcomer's party must exist.
    PlayerNetBasicInfo newcomer = Roster({0x20000001})[0];
    newcomer.partyId = 0x70000007;
    engine->GetPlayerManagerServer()->HandleNewPlayer(newcomer);
    EXPECT_EQ(engine->GetPlayerManagerServer()->GetPlayerInfos().back().partyId, 0u);
}

TEST_F(HostileRosterTest, APlayerJoinsOnlyAPartyWhoseInvitationTheServerSaw)
{
    JoinPartyConfigCmdPacket join;
    join.playerId = kClientPlayer;
    join.partyId = static_cast<int32_t>(self->GetObjectId());
    Receive(join);
    EXPECT_EQ(HostRecord().partyId, 0u);
    EXPECT_EQ(engine->GetPartyManager()->GetParty(kClientPlayer), 0u);
    EXPECT_TRUE(transport.sent.empty());   // nor passed on to the other clients

    engine->InvitePlayerToParty(kClientPlayer, static_cast<int>(self->GetObjectId()));
    Receive(join);
    EXPECT_EQ(HostRecord().partyId, self->GetObjectId());
    EXPECT_EQ(engine->GetPartyManager()->GetParty(kClientPlayer), self->GetObjectId());
    EXPECT_FALSE(engine->GetPartyManager()->WasInvited(kClientPlayer, self->GetObjectId()));   // used up
}

}  // namespace hostile_bonus_roster
