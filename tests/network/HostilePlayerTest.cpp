// A hostile client and its own player: the spawn image is taken once, at the join, and
// its items count towards the host's quota; heartbeats tell no more life than the
// server's copy holds; commands on its player are only those a client's own play makes.
#include <algorithm>

#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Game/characters/CharacterBio.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/TeamManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/MarketClient.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
// Named, so that in a batch of test files its names meet no other file's.
namespace hostile_player_test {

constexpr const char* kHaste = "Records/Skills/SelfBuffs/Haste.dbr";
constexpr const char* kRallyBuff = "Records/Skills/Buffs/ArenaRallyBuff.dbr";
constexpr int kSpawnItems = 200;

Item* MakeItem(const char* record, uint32_t id = 0, uint32_t seed = 0)
{
    ItemReplicaInfo info;
    info.objectId = id;
    info.baseName = record;
    info.seed = seed;
    return Item::CreateItem(info);
}

void ForgeCommand(GameConfigCmd&& command)
{
    std::unique_ptr<NetPacket> packet(command.GetNetPacket());
    ConnectionManager::Get().SendToServer(*packet);
}

TEST_F(HostileClientTest, ItsSpawnImageSentAgainRaisesNoLifeNorMoneyAndBuysNothing)
{
    const Outcome outcome = RunHostile([this] {
        Player* own = OwnPlayer();
        own->SetCurrentMoney(10000000);
        own->GetCharacterBio().SetBaseCharAttribute(CharAttributeType_Life, 100000.0f);
        own->GetCharacterBio().SetCurrentLife(100000.0f);
        Forge(*MakeSpawnPacket(*own));
        const MarketClient* market = engine->GetClientServices()->GetMarketClient(kMerchant);
        RunUntil([&] { return market->GetSeed() != 0; });
        for (uint32_t index = 0; index <= 18; ++index) {
            MarketC2SPurchaseRequestPacket packet;
            packet.marketId = kMerchant;
            packet.level = market->GetBracket();
            packet.seed = market->GetSeed();
            packet.itemIndex = index;
            packet.buyerId = own->GetObjectId();
            if (index != kBoughtIndex)
                Forge(packet);
        }
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(HostileClientTest, CommandsForLifeTeamInvincibilityOrAnUnlearnedBuffChangeNothing)
{
    std::vector<std::string> seen;
    const Outcome outcome = RunHostile(
        [this] {
            const uint32_t own = OwnPlayer()->GetObjectId();
            ForgeCommand(IncrementBaseLifeConfigCmd(own, 1000000));
            ForgeCommand(SetInvincibleConfigCmd(own, true));
            ForgeCommand(SetTeamConfigCmd(own, TeamManager::DefaultMonsterTeam()));
            ForgeCommand(CreateRemoveSkillBuffConfigCmd(own, 0, kHaste, 50, "", 0, "", 0, 600000, own));
            return std::string();
        },
        [&] {
            const auto* copy = ObjectManager::Get().GetObject<Player>(PlayerOf(joinedHosts.at(1)));
            std::vector<SkillManager::_SkillBuffReplica> buffs;
            copy->GetSkillManager().GetSkillBuffReplica(buffs);
            seen.push_back(std::to_string(copy->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Life)) +
                           " invincible " + std::to_string(copy->IsInvincible()) + " team " +
                           std::to_string(copy->GetTeam().GetTeamMinor()) + " buffs " + std::to_string(buffs.size()));
        });
    EXPECT_EQ(outcome.after, outcome.before);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), seen.front());
}

TEST_F(HostileClientTest, AFloodOfSpawnsCarryingItemsKeepsNoneOfThem)
{
    std::vector<size_t> objects;
    const Outcome outcome = RunHostile(
        [this] {
            Player* own = OwnPlayer();
            for (uint32_t spawn = 0; spawn < 20; ++spawn) {
                std::vector<Item*> made;
                for (uint32_t i = 0; i < kSpawnItems; ++i) {
                    made.push_back(MakeItem("Records/Item/Weapons/Sword.dbr", 0, spawn * kSpawnItems + i));
                    own->GetInventory().AddItemToInventory(made.back()->GetObjectId(), true);
                }
                Forge(*MakeSpawnPacket(*own));
                for (Item* item : made) {
                    own->GetInventory().RemoveItemFromInventory(item->GetObjectId());
                    ObjectManager::Get().DestroyObjectEx(item, __FILE__, __LINE__);
                }
                ObjectManager::Get().FlushDestroyedObjects();
            }
            return std::string();
        },
        [&] { objects.push_back(ObjectManager::Get().GetObjectCount()); });
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_LT(*std::max_element(objects.begin(), objects.end()) - objects.front(), static_cast<size_t>(kSpawnItems));
}

// A client's player arrives by its spawn, checked before anything is made, as host 1 sends it.
class HostileJoinImageTest : public HostileServerTest {
protected:
    static constexpr uint32_t kGuest = kClientPlayer;
    static constexpr const char* kRing = "Records/Test/HostileRing.dbr";

    // The client has joined; its player is not made yet.
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kRing, "Class,Item,\n");
        ForgetClientPlayer();
    }
    // The guest's image carrying rings under `first`.. (count), with that much money, and a
    // buff of a skill it has not.
    void SendSpawn(uint32_t first, uint32_t count, uint32_t money)
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
        World::Get().AddEntity(player, Here());
        player->SetCurrentMoney(money);
        player->CreateRemoveSkillBuff(0, kHaste, 50, "", 0, "", 0, 600000, 0);
        for (uint32_t id = first; id < first + count; ++id)
            player->GetInventory().AddItemToInventory(MakeItem(kRing, id)->GetObjectId(), true);
        Send(*ClientSpawnOf(player));
        gEngine->UpdateFrame(0);
    }
    static bool Live(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }
};

TEST_F(HostileJoinImageTest, ItemsPastTheQuotaOrNotItsOwnMakeNothingAndTheImageIsTakenOnce)
{
    // The host already keeps all but 10 of the items its quota allows.
    for (uint32_t id = 0x10100000; id < 0x10100000 + kMaxLiveClientItems - 10; ++id)
        ASSERT_TRUE(MakeItem(kRing, id) && !RefuseClientItem(kClientHost, id));
    LogCapture log;
    SendSpawn(0x10200000, 30, 50);
    SendSpawn(0x20200000, 1, 50);
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: the host has as many items as it may keep"));
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: it carries an item under an id that is not "
                             "the host's"));
    EXPECT_FALSE(Live(kGuest) || Live(0x10200000) || Live(0x10200000 + 29));

    for (uint32_t id = 0x10100000; id < 0x10100000 + kMaxLiveClientItems - 10; ++id)
        ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(id), __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    SendSpawn(0x10200000, 30, 50);
    SendSpawn(0x10400000, 5, 9999999);
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: its player was taken at its join; the "
                             "server's copy holds its state"));
    const auto* guest = ObjectManager::Get().GetObject<Player>(kGuest);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetCurrentMoney(), 50u);
    EXPECT_FALSE(guest->GetSkillManager().IsSkillBuffActive(kHaste));
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: a buff its image carries is not taken: its buff "
                             "is of no skill its caster has"));
    EXPECT_TRUE(Live(0x10200000) && Live(0x10200000 + 29) && !Live(0x10400000));

    // Its heartbeats tell no more life or mana than the server's copy holds at most.
    gEngine->UpdateFrame(16);
    SinglePlayerHeartbeatPacket beat;
    beat.info = Roster({kGuest})[0];
    beat.info.life = beat.info.maxLife = beat.info.mana = beat.info.maxMana = 100000.0f;
    Send(beat);
    const PlayerNetBasicInfo& record = engine->GetPlayerManagerServer()->GetPlayerInfos().back();
    ASSERT_GT(guest->GetLifeLimit(), 0.0f);
    EXPECT_EQ(record.life, guest->GetLifeLimit());
    EXPECT_EQ(record.mana, guest->GetTotalCharAttribute(CharAttributeType_Mana));
}

// What a client's own play makes runs; anything else is refused, with its reason.
TEST_F(HostileServerTest, OnlyTheCommandsItsPlayMakesRunAndABuffOnlyOfItsSkillAtItsLevel)
{
    auto* rally = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Skills/ArenaRally.dbr");
    client->GetSkillManager().AddSkill(rally);
    rally->SetSkillLevel(1);
    const uint32_t rallyNumber = client->GetSkillReferenceNumber(rally->GetObjectId());
    using Make = std::function<std::unique_ptr<GameConfigCmd>()>;
    const auto buff = [](const char* name, uint32_t level, const char* modifier = "") -> Make {
        return [=] {
            return std::make_unique<CreateRemoveSkillBuffConfigCmd>(kClientPlayer, 0, name, level, modifier, 0, "", 0,
                                                                    5000, kClientPlayer);
        };
    };
    const std::vector<std::pair<Make, std::string>> cases = {
        {[] { return std::make_unique<IncrementBaseLifeConfigCmd>(kClientPlayer, 5); },
         "a client raises life or mana only by spending a point"},
        {[] { return std::make_unique<SetInvincibleConfigCmd>(kClientPlayer, true); },
         "a client's own play does not make that command"},
        {[=] { return std::make_unique<ActivateSkillConfigCmd>(kClientPlayer, rallyNumber, 0, WorldVec3()); },
         "a player's own play does not make it"},
        {buff(kRallyBuff, 2), "its buff is of a higher level than its caster's skill"},
        {buff(kHaste, 1), "its buff is of no skill its caster has"},
        {buff(kRallyBuff, 1, kHaste), "its buff carries a modifier its caster's skill has not"},
        {[=] { return std::make_unique<SkillStateUpdateConfigCmd>(kClientPlayer, rallyNumber, SkillState{50, true}); },
         "it sets a skill to a level its record does not allow"},
        {buff(kRallyBuff, 1), ""},
    };
    for (const auto& [make, refusal] : cases) {
        LogCapture log;
        std::unique_ptr<NetPacket> packet(make()->GetNetPacket());
        Send(*packet);
        gEngine->UpdateFrame(16);
        EXPECT_EQ(log.Texts(), refusal.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{std::string(packet->GetClassName()) +
                                                                          " from host 1 dropped: " + refusal});
    }
    EXPECT_FALSE(client->IsInvincible());
    EXPECT_TRUE(client->GetSkillManager().IsSkillBuffActive(kRallyBuff));
}

// Its heartbeat names its one buff twice: the roster keeps it once, and says so.
TEST_F(HostileServerTest, AHeartbeatNamingAStatusSkillTwiceKeepsItOnce)
{
    SkillManager::_SkillBuffReplica haste;
    haste.buff.skillName = kHaste;
    client->GetSkillManager().SetSkillBuffReplica({haste});
    std::vector<std::string> held;
    client->GetActiveStatusSkills(held);
    ASSERT_EQ(held.size(), 1u);
    SinglePlayerHeartbeatPacket beat;
    beat.info = Roster({kClientPlayer})[0];
    beat.info.statusSkills = {kHaste, kHaste};
    LogCapture log;
    Send(beat);
    const std::vector<PlayerNetBasicInfo>& records = engine->GetPlayerManagerServer()->GetPlayerInfos();
    const auto record = std::find_if(records.begin(), records.end(),
                                     [](const PlayerNetBasicInfo& each) { return each.playerId == kClientPlayer; });
    ASSERT_NE(record, records.end());
    EXPECT_EQ(record->statusSkills, std::vector<std::string>{kHaste});
    EXPECT_TRUE(log.Contains("SinglePlayerHeartbeatPacket from host 1 dropped: player " + std::to_string(kClientPlayer) +
                             " tells 1 status skills its copy here does not have; they are left out"));
}

// Its frames run behind the server's: its heartbeat may tell of a buff that has ended on
// the server's copy since, which is left out with no line; a buff that ended long ago, or
// is told twice for one ending, is left out as one the copy does not have.
TEST_F(HostileServerTest, AHeartbeatTellingOfABuffThatEndedHereLatelyLeavesItOutQuietly)
{
    NetDropLog::SetClock([] { return uint64_t{GameClock::Get().GetRealTime()}; });
    SkillManager::_SkillBuffReplica haste;
    haste.buff.skillName = kHaste;
    client->GetSkillManager().SetSkillBuffReplica({haste});
    client->GetSkillManager().CreateRemoveSkillBuff(0, kHaste, 0, "", 0, "", 0, 0, 0, false);
    const auto beat = [&](std::vector<std::string> told) {
        SinglePlayerHeartbeatPacket packet;
        packet.info = Roster({kClientPlayer})[0];
        packet.info.statusSkills = std::move(told);
        LogCapture log;
        Send(packet);
        GameClock::Get().Advance(2000);   // the next beat's drop line is not counted into this one's
        return log.Texts();
    };
    const std::vector<std::string> unknown{"SinglePlayerHeartbeatPacket from host 1 dropped: player " +
                                           std::to_string(kClientPlayer) +
                                           " tells 1 status skills its copy here does not have; they are left out"};
    EXPECT_EQ(beat({kHaste}), std::vector<std::string>{});
    EXPECT_EQ(beat({kHaste, kHaste}), unknown);
    GameClock::Get().Advance(8000);
    EXPECT_EQ(beat({kHaste}), unknown);
    NetDropLog::SetClock(nullptr);
}

// Its machine gives its player a buff by a command that arrives with the heartbeat telling
// of it, and runs at the server's next pass over commands: the heartbeat leaves the buff
// out with no line, and the next one keeps it.
TEST_F(HostileServerTest, AHeartbeatTellingOfABuffItsCommandBringsLeavesItOutQuietlyUntilItRuns)
{
    auto* rally = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Skills/ArenaRally.dbr");
    client->GetSkillManager().AddSkill(rally);
    rally->SetSkillLevel(1);
    const auto told = [&] {
        SinglePlayerHeartbeatPacket beat;
        beat.info = Roster({kClientPlayer})[0];
        beat.info.statusSkills = {kRallyBuff};
        Send(beat);
        const std::vector<PlayerNetBasicInfo>& records = engine->GetPlayerManagerServer()->GetPlayerInfos();
        const auto record = std::find_if(records.begin(), records.end(),
                                         [](const PlayerNetBasicInfo& each) { return each.playerId == kClientPlayer; });
        return record == records.end() ? std::vector<std::string>{"no record"} : record->statusSkills;
    };
    LogCapture log;
    std::unique_ptr<NetPacket> command(
        CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kRallyBuff, 1, "", 0, "", 0, 5000, kClientPlayer)
            .GetNetPacket());
    Send(*command);
    EXPECT_EQ(told(), std::vector<std::string>{});
    EXPECT_EQ(log.Texts(), std::vector<std::string>{});
    gEngine->UpdateFrame(16);
    EXPECT_EQ(told(), std::vector<std::string>{kRallyBuff});
}

}  // namespace hostile_player_test
}  // namespace GAME
