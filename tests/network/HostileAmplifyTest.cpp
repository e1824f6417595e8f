// A hostile client against a real server over ENet that would make the server send more than
// it sent (a heartbeat of long forged status skills passed on in the roster, a flood of runs
// each searched for a path and passed on) or put into the world an item it never held.
#include "Engine/NetPacketRegistry.h"
#include "Game/characters/Character.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/HostileClientFixture.h"

namespace GAME {
namespace {

constexpr const char* kHaste = "Records/Skills/SelfBuffs/Haste.dbr";
// The roster of three players with a status skill each is a few hundred bytes.
constexpr size_t kHonestRosterBytes = 1024;
// Over twice the budget (what it may follow is plain), within what the transport takes of a
// client at once.
constexpr int kForgedRuns = EnetTransport::kFloodBurstPackets / 2;
// The server's budget of runs a host (NetworkRoute.cpp): 256 at once, 256 a second.
constexpr int kRunBurst = 256;

class HostileAmplifyTest : public HostileClientTest {
protected:
    void TearDown() override
    {
        NetPacketRegistry::Get().SetAppliedObserver({});
        HostileClientTest::TearDown();
    }
    // On the server, once both clients have joined: the hostile one's player here.
    Player* HostileCopy() const
    {
        return joinedHosts.size() > 1 ? ObjectManager::Get().GetObject<Player>(PlayerOf(joinedHosts[1])) : nullptr;
    }
    static void PutHaste(Character& character)
    {
        SkillManager::_SkillBuffReplica haste;
        haste.buff.skillName = kHaste;
        character.GetSkillManager().SetSkillBuffReplica({haste});
    }
    // What the roster packets the server sent weighed at most, since last asked.
    size_t TakeLargestRoster()
    {
        const size_t largest = std::max(sniffer->largestSent[AllPlayersHeartbeatPacket::kType],
                                        sniffer->largestSent[AllPlayersBasicInfoPacket::kType]);
        sniffer->largestSent.clear();
        return largest;
    }
};

// Its player has one buff here; its heartbeat names it beside 230 names of 250 bytes and a
// class tag of no class: the roster keeps the one and passes on no more than an honest one.
TEST_F(HostileAmplifyTest, AHeartbeatKeepsOnlyTheStatusSkillsItsPlayerHasHere)
{
    LogCapture log;
    Player* copy = nullptr;
    size_t largestRoster = 0;
    const Outcome outcome = RunHostile(
        [this] {
            PutHaste(*OwnPlayer());   // its own heartbeats name it too
            SinglePlayerHeartbeatPacket beat;
            OwnPlayer()->GetPlayerNetHeartbeatInfo(beat.info);
            for (int i = 0; i < 230; ++i)
                beat.info.statusSkills.push_back("Records/Skills/" + std::string(234, 'a' + i % 26) + ".dbr");
            beat.info.classTag = std::string(2000, 'x');
            // Sent again after each of its own heartbeats, until the server has sent the
            // roster three times since the first.
            const auto sent = [this] { return sniffer->sentCounts[SinglePlayerHeartbeatPacket::kType]; };
            const auto rosters = [this] {
                return sniffer->Count(ConnectionManager::kServerHost, AllPlayersHeartbeatPacket::kType) +
                       sniffer->Count(ConnectionManager::kServerHost, AllPlayersBasicInfoPacket::kType);
            };
            const int before = rosters();
            int seen = -1;
            RunUntil([&] {
                if (sent() != seen) {   // first, and after each heartbeat of its own
                    Forge(beat);
                    seen = sent();
                }
                return rosters() >= before + 3;
            });
            return std::to_string(beat.info.statusSkills.size()) + " status skills\n";
        },
        [&] {
            if (!copy) {   // before the hostile client's first packet is taken in
                copy = HostileCopy();
                ASSERT_NE(copy, nullptr);
                PutHaste(*copy);
                TakeLargestRoster();
            }
            largestRoster = std::max(largestRoster, TakeLargestRoster());
        });
    EXPECT_EQ(outcome.hostile, "231 status skills\n");
    const std::string player = std::to_string(PlayerOf(outcome.hostileHost));
    const std::string dropped = "SinglePlayerHeartbeatPacket from host " + std::to_string(outcome.hostileHost) +
                                " dropped: player " + player;
    EXPECT_TRUE(log.Contains(dropped + " tells 230 status skills its copy here does not have; they are left out"));
    EXPECT_TRUE(log.Contains(dropped + " tells a class tag no class has; it is left out"));
    for (const PlayerNetBasicInfo& record : engine->GetPlayerManagerServer()->GetPlayerInfos())
        if (record.playerId == PlayerOf(outcome.hostileHost)) {
            EXPECT_EQ(record.statusSkills, std::vector<std::string>{kHaste});
            EXPECT_EQ(record.classTag, "");
        }
    EXPECT_GT(largestRoster, 0u);
    EXPECT_LE(largestRoster, kHonestRosterBytes);
}

// A flood of runs while the server's game clock stands still: it follows no more than the
// budget holds at once, and says it refused the rest.
TEST_F(HostileAmplifyTest, AFloodOfRunsIsFollowedOnlyWithinTheBudget)
{
    LogCapture log;
    int followed = 0;
    bool held = false;
    const Outcome outcome = RunHostile(
        [this] {
            MoveToPacket run;
            run.characterId = OwnPlayer()->GetObjectId();
            run.startLocation = OwnPlayer()->GetPathPosition();
            for (int i = 0; i < kForgedRuns; ++i) {
                run.worldLocation = run.startLocation;
                run.worldLocation.Translate(Vec3(i % 2 ? 3.0f : -3.0f, 0, 0));
                Forge(run);
            }
            return std::string();
        },
        [&] {
            if (!held) {
                held = true;
                frameMs = 0;   // the budget fills no further while the flood comes in
                const int hostile = joinedHosts.at(1);
                NetPacketRegistry::Get().SetAppliedObserver([&followed, hostile](NetPacket& packet, int fromHost) {
                    followed += packet.GetType() == MoveToPacket::kType && fromHost == hostile;
                });
            }
        });
    const int arrived = sniffer->Count(outcome.hostileHost, MoveToPacket::kType);
    EXPECT_GT(followed, 0);
    EXPECT_LE(followed, kRunBurst) << arrived << " arrived";
    if (followed < arrived) {
        EXPECT_TRUE(log.Contains("MoveToPacket from host " + std::to_string(outcome.hostileHost) +
                                 " dropped: it runs more than 256 times a second"));
    }
}

// An item put into the world stands for one its player holds here, which leaves it: a
// sword of an affix it never held is refused, the sword it holds is dropped once.
TEST_F(HostileAmplifyTest, AnItemPutIntoTheWorldIsOneItsPlayerHeldAndLeavesIt)
{
    ItemReplicaInfo held;
    held.baseName = "Records/Item/Weapons/Sword.dbr";
    held.seed = 77;
    constexpr uint32_t kIds = 0x300;   // above the hostile client's player id, in its host's range
    LogCapture log;
    Player* copy = nullptr;
    uint32_t heldId = 0;
    bool stillHeld = true, stillMade = true;   // as the hostile client's run ends
    const Outcome outcome = RunHostile(
        [&] {
            const uint32_t ids = PlayerOf(localHost) + kIds;
            CreateItemPacket packet;
            packet.coords = OwnPlayer()->GetCoords();
            packet.item.objectId = ids;
            packet.item.baseName = "Records/Item/ArenaSword.dbr";
            packet.item.prefixName = "Records/Item/Affix/PrefixKeen.dbr";
            Forge(packet);
            for (uint32_t id : {ids + 1, ids + 2}) {   // the one it holds, twice
                packet.item = held;
                packet.item.objectId = id;
                Forge(packet);
            }
            return std::string();
        },
        [&] {
            if (!copy) {
                copy = HostileCopy();
                ASSERT_NE(copy, nullptr);
                Item* sword = Item::CreateItem(held);
                ASSERT_NE(sword, nullptr);
                heldId = sword->GetObjectId();
                copy->GiveItemToCharacter(sword);
                ASSERT_TRUE(copy->HasItem(heldId));
            }
            stillHeld = copy->HasItem(heldId);
            stillMade = ObjectManager::Get().GetObject(heldId) != nullptr;
        });
    ASSERT_NE(copy, nullptr);
    const uint32_t ids = PlayerOf(outcome.hostileHost) + kIds;
    const auto* dropped = ObjectManager::Get().GetObject<Item>(ids + 1);
    EXPECT_EQ(ObjectManager::Get().GetObject(ids), nullptr);
    ASSERT_NE(dropped, nullptr);
    EXPECT_TRUE(dropped->IsInWorld());
    EXPECT_EQ(ObjectManager::Get().GetObject(ids + 2), nullptr);
    EXPECT_FALSE(stillHeld);
    EXPECT_FALSE(stillMade);
    EXPECT_TRUE(log.Contains("CreateItemPacket from host " + std::to_string(outcome.hostileHost) +
                             " dropped: it puts into the world an item its player does not hold"));
}

}  // namespace
}  // namespace GAME
