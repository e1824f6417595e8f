// A hostile client and its own player: the spawn image is taken once, at the join, and
// its items count towards the host's quota; commands on its player are only those a
// client's own play makes.
#include "Game/characters/CharacterBio.h"
#include "Game/core/ClientCreations.h"
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

constexpr const char* kSword = "Records/Item/Weapons/Sword.dbr";
constexpr const char* kHaste = "Records/Skills/SelfBuffs/Haste.dbr";
constexpr const char* kRally = "Records/Skills/ArenaRally.dbr";
constexpr const char* kRallyBuff = "Records/Skills/Buffs/ArenaRallyBuff.dbr";
constexpr int kSpawnItems = 200;
constexpr int kSpawnFlood = 20;

// Sends the command's packet as the hostile client made it.
void ForgeCommand(GameConfigCmd&& command)
{
    std::unique_ptr<NetPacket> packet(command.GetNetPacket());
    ConnectionManager::Get().SendToServer(*packet);
}

// What a command could change on the server's copy of a player beyond ServerState.
std::string CopyState(uint32_t id)
{
    const auto* player = ObjectManager::Get().GetObject<Player>(id);
    if (!player)
        return "gone";
    std::vector<SkillManager::_SkillBuffReplica> buffs;
    player->GetSkillManager().GetSkillBuffReplica(buffs);
    const Team team = player->GetTeam();
    return "base life " + std::to_string(player->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Life)) +
           " invincible " + std::to_string(player->IsInvincible()) + " team " +
           std::to_string(team.GetTeamMajor()) + "/" + std::to_string(team.GetTeamMinor()) + " buffs " +
           std::to_string(buffs.size());
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
            if (index == kBoughtIndex)
                continue;
            MarketC2SPurchaseRequestPacket packet;
            packet.marketId = kMerchant;
            packet.level = market->GetBracket();
            packet.seed = market->GetSeed();
            packet.itemIndex = index;
            packet.buyerId = own->GetObjectId();
            Forge(packet);
        }
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(HostileClientTest, CommandsForLifeTeamInvincibilityOrAnUnlearnedBuffChangeNothing)
{
    std::string first, last;
    const Outcome outcome = RunHostile(
        [this] {
            const uint32_t own = OwnPlayer()->GetObjectId();
            ForgeCommand(IncrementBaseLifeConfigCmd(own, 1000000));
            ForgeCommand(IncrementBaseManaConfigCmd(own, 1000000));
            ForgeCommand(SetInvincibleConfigCmd(own, true));
            ForgeCommand(SetTeamConfigCmd(own, TeamManager::DefaultMonsterTeam()));
            ForgeCommand(CreateRemoveSkillBuffConfigCmd(own, 0, kHaste, 50, "", 0, "", 0, 600000, own));
            ForgeCommand(CreateRemoveSkillBuffConfigCmd(own, 0, kRallyBuff, 50, "", 0, "", 0, 600000, own));
            return std::string();
        },
        [&] {
            last = CopyState(PlayerOf(joinedHosts.at(1)));
            if (first.empty())
                first = last;
        });
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_EQ(last, first);
}

TEST_F(HostileClientTest, AFloodOfSpawnsCarryingItemsKeepsNoneOfThem)
{
    size_t objectsAtGo = 0, most = 0;
    const Outcome outcome = RunHostile(
        [this] {
            Player* own = OwnPlayer();
            for (int spawn = 0; spawn < kSpawnFlood; ++spawn) {
                std::vector<Item*> made;
                for (int i = 0; i < kSpawnItems; ++i) {
                    ItemReplicaInfo info;
                    info.baseName = kSword;
                    info.seed = static_cast<uint32_t>(spawn * kSpawnItems + i);
                    if (Item* item = Item::CreateItem(info)) {
                        own->GetInventory().AddItemToInventory(item->GetObjectId(), true);
                        made.push_back(item);
                    }
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
        [&] {
            const size_t objects = ObjectManager::Get().GetObjectCount();
            objectsAtGo = objectsAtGo == 0 ? objects : objectsAtGo;
            most = std::max(most, objects);
        });
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_LT(most - objectsAtGo, static_cast<size_t>(kSpawnItems));
}

// A client's player arrives by its spawn: its image is checked before anything is made.
class HostileJoinImageTest : public GameWireTest {
protected:
    static constexpr uint32_t kGuest = 0x10000001;
    static constexpr const char* kRing = "Records/Test/HostileRing.dbr";

    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        RecordDatabase::Get().RegisterRecord(kRing, "Class,Item,\n");
        engine->SetAsNetworkServer();
        transport.Connect(1);
        SinglePlayerBasicInfoPacket join;
        join.info = Roster({kGuest})[0];
        Receive(Written(join));
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        GameWireTest::TearDown();
    }
    void Receive(const Bytes& bytes)
    {
        transport.Feed(1, bytes);
        gEngine->UpdateFrame(0);
    }
    // The guest's spawn carrying rings under these ids, with that much money; made here
    // under a scratch id and gone again, as on the receiving peer.
    static Bytes Spawn(const std::vector<uint32_t>& rings, uint32_t money)
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
        World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(7), Coords()));
        player->SetCurrentMoney(money);
        for (uint32_t id : rings) {
            ItemReplicaInfo info;
            info.objectId = id;
            info.baseName = kRing;
            player->GetInventory().AddItemToInventory(Item::CreateItem(info)->GetObjectId(), true);
        }
        std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*player);
        packet->playerObjectId = kGuest;
        const Bytes bytes = Written(*packet);
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        return bytes;
    }
    static std::vector<uint32_t> Ids(uint32_t first, uint32_t count)
    {
        std::vector<uint32_t> ids;
        for (uint32_t i = 0; i < count; ++i)
            ids.push_back(first + i);
        return ids;
    }
    // The lines of the drop log among what was logged.
    static std::vector<std::string> Drops(const LogCapture& log)
    {
        std::vector<std::string> drops = log.Texts();
        std::erase_if(drops, [](const std::string& line) { return line.find(" dropped: ") == std::string::npos; });
        return drops;
    }
    static size_t Live(const std::vector<uint32_t>& ids)
    {
        return std::count_if(ids.begin(), ids.end(), [](uint32_t id) { return ObjectManager::Get().GetObject(id); });
    }
};

TEST_F(HostileJoinImageTest, ItemsPastTheQuotaOrNotItsOwnMakeNothingAndTheImageIsTakenOnce)
{
    // The host already keeps all but 10 of the items its quota allows.
    const std::vector<uint32_t> kept = Ids(0x10100000, kMaxLiveClientItems - 10);
    for (uint32_t id : kept) {
        ItemReplicaInfo info;
        info.objectId = id;
        info.baseName = kRing;
        Item::CreateItem(info);
        ASSERT_EQ(RefuseClientItem(1, id), nullptr);
    }
    const std::vector<uint32_t> rings = Ids(0x10200000, 30);
    LogCapture log;
    Receive(Spawn(rings, 50));
    Receive(Spawn({0x20200000}, 50));
    EXPECT_EQ(Drops(log), (std::vector<std::string>{
                               "SpawnPlayerPacket from host 1 dropped: the host has as many items as it may keep",
                               "SpawnPlayerPacket from host 1 dropped: it carries an item under an id that is not "
                               "the host's",
                           }));
    EXPECT_EQ(ObjectManager::Get().GetObject(kGuest), nullptr);
    EXPECT_EQ(Live(rings), 0u);

    for (uint32_t id : kept)
        ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(id), __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    log.Clear();
    Receive(Spawn(rings, 50));
    Receive(Spawn(Ids(0x10400000, 5), 9999999));
    EXPECT_EQ(Drops(log), (std::vector<std::string>{"SpawnPlayerPacket from host 1 dropped: its player was taken at "
                                                     "its join; the server's copy holds its state"}));
    const auto* guest = ObjectManager::Get().GetObject<Player>(kGuest);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetCurrentMoney(), 50u);
    EXPECT_EQ(Live(rings), rings.size());
    EXPECT_EQ(Live(Ids(0x10400000, 5)), 0u);

    // Its heartbeats tell no more life or mana than the server's copy holds at most.
    gEngine->UpdateFrame(16);
    SinglePlayerHeartbeatPacket beat;
    beat.info = Roster({kGuest})[0];
    beat.info.life = beat.info.maxLife = beat.info.mana = beat.info.maxMana = 100000.0f;
    Receive(Written(beat));
    const PlayerNetBasicInfo& record = engine->GetPlayerManagerServer()->GetPlayerInfos().back();
    ASSERT_GT(guest->GetLifeLimit(), 0.0f);
    EXPECT_EQ(record.life, guest->GetLifeLimit());
    EXPECT_EQ(record.mana, guest->GetTotalCharAttribute(CharAttributeType_Mana));
}

// The kinds of command a client's own play makes run; others are refused with their reason.
class HostilePlayerCommandTest : public HostileServerTest {
protected:
    void Receive(GameConfigCmd&& command)
    {
        std::unique_ptr<NetPacket> packet(command.GetNetPacket());
        Send(*packet);
        gEngine->UpdateFrame(16);
    }
};

TEST_F(HostilePlayerCommandTest, OnlyTheKindsItsPlayMakesRunAndABuffOnlyOfItsSkillAtItsLevel)
{
    Skill* rally = ObjectManager::Get().CreateObjectFromFile<Skill>(kRally);
    ASSERT_NE(rally, nullptr);
    client->GetSkillManager().AddSkill(rally);
    rally->SetSkillLevel(1);
    const uint32_t rallyNumber = client->GetSkillReferenceNumber(rally->GetObjectId());
    const float baseLife = client->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Life);
    LogCapture log;
    Receive(IncrementBaseLifeConfigCmd(kClientPlayer, 5));
    Receive(SetInvincibleConfigCmd(kClientPlayer, true));
    Receive(SetTeamConfigCmd(kClientPlayer, TeamManager::DefaultMonsterTeam()));
    Receive(ActivateSkillConfigCmd(kClientPlayer, rallyNumber, 0, WorldVec3()));
    Receive(CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kRallyBuff, 2, "", 0, "", 0, 5000, kClientPlayer));
    Receive(CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kHaste, 1, "", 0, "", 0, 5000, kClientPlayer));
    Receive(CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kRallyBuff, 1, kHaste, 1, "", 0, 5000, kClientPlayer));
    Receive(SkillStateUpdateConfigCmd(kClientPlayer, rallyNumber, SkillState{50, true}));
    const std::string from = "from host 1 dropped: ";
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "IncBaseLifeConfigCmdPacket " + from + "a client raises life or mana only by spending a point",
                               "SetInvincibleConfigCmdPacket " + from + "a client's own play does not make that command",
                               "SetTeamConfigCmdPacket " + from + "a client's own play does not make that command",
                               "ActivateSkillConfigCmdPacket " + from + "a player's own play does not make it",
                               "CreateRemoveSkillBuffConfigCmdPacket " + from +
                                   "its buff is of a higher level than its caster's skill",
                               "CreateRemoveSkillBuffConfigCmdPacket " + from + "its buff is of no skill its caster has",
                               "CreateRemoveSkillBuffConfigCmdPacket " + from +
                                   "its buff carries a modifier its caster's skill has not",
                               "SkillStateUpdateConfigCmdPacket " + from +
                                   "it sets a skill to a level its record does not allow",
                           }));
    EXPECT_EQ(client->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Life), baseLife);
    EXPECT_FALSE(client->IsInvincible());
    EXPECT_FALSE(client->GetSkillManager().IsSkillBuffActive(kRallyBuff));

    // Its own skill's buff at its level runs; a buff the server's player cast stays on.
    log.Clear();
    Receive(CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kRallyBuff, 1, "", 0, "", 0, 5000, kClientPlayer));
    EXPECT_TRUE(client->GetSkillManager().IsSkillBuffActive(kRallyBuff));
    client->CreateRemoveSkillBuff(0, kHaste, 1, "", 0, "", 0, 5000, kMainPlayerId);
    Receive(CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, kHaste, 0, "", 0, "", 0, 0, 0));
    EXPECT_TRUE(client->GetSkillManager().IsSkillBuffActive(kHaste));
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"CreateRemoveSkillBuffConfigCmdPacket " + from +
                                                     "it takes off a buff another host's character cast"}));
}

}  // namespace hostile_player_test
}  // namespace GAME
