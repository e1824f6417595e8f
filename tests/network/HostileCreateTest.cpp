// A hostile client asks the server to create things: only what its own play makes is
// made, and no more of it than its host's quota of live objects.
#include <numeric>

#include "Game/core/ClientCreations.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/characters/Monster.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/skills/Skill_MonsterGenerator.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr const char* kFireballSkill = "Records/Skills/ArenaFireball.dbr";
constexpr const char* kFireball = "Records/Skills/Projectiles/ArenaFireball.dbr";
constexpr const char* kArrow = "Records/Skills/Projectiles/Arrow.dbr";
constexpr const char* kOgre = "Records/Test/HostileOgre.dbr";
constexpr const char* kDagger = "Records/Test/HostileDagger.dbr";
constexpr const char* kGenerator = "Records/Skills/ArenaGenerator.dbr";

class HostileCreateTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kOgre, "Class,Monster,\ncharacterLife,500,\n");
        RecordDatabase::Get().RegisterRecord(kDagger, "Class,Item,\n");
        LoadTable tree;
        tree.SetValue("skillName1", kFireballSkill);
        tree.SetValue("skillLevel1", "1");
        client->GetSkillManager().LoadSkills(tree, 1);
    }
    // The object made under the id, if any.
    Object* Entity(const std::string& record, uint32_t id)
    {
        CreateEntityPacket packet;
        packet.coords = Here();
        packet.recordName = record;
        packet.objectId = id;
        Send(packet);
        return ObjectManager::Get().GetObject(id);
    }
    // An item made for its player: one put into the world must be one its player holds.
    Object* Item(uint32_t id)
    {
        CreateItemPacket packet;
        packet.characterId = kClientPlayer;
        packet.coords = Here();
        packet.item.baseName = kDagger;
        packet.item.objectId = id;
        Send(packet);
        return ObjectManager::Get().GetObject(id);
    }
    static constexpr uint32_t kFirstId = 0x10000100;
};

TEST_F(HostileCreateTest, AnEntityIsMadeOnlyFromARecordItsPlayersSkillsMake)
{
    constexpr uint32_t kFirstId = HostileCreateTest::kFirstId + 0x8000;   // ids no other case uses
    LogCapture log;
    const size_t objects = ObjectManager::Get().GetObjectCount();
    EXPECT_EQ(Entity(kOgre, kFirstId), nullptr);       // a monster that would roll loot and fight
    EXPECT_EQ(Entity(kArrow, kFirstId + 1), nullptr);  // a projectile none of its skills fires
    EXPECT_EQ(Entity(kDagger, kFirstId + 2), nullptr);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects);
    EXPECT_TRUE(log.Contains("CreateEntityPacket from host 1 dropped: none of its player's skills makes that record"));

    // Its fireball skill's own projectile is made.
    EXPECT_NE(Entity(kFireball, kFirstId + 3), nullptr);
}

// An item put into the world stands for one its player holds, whole: the held dagger with
// another seed, or with a prefix it has not, is refused and the held one stays; the dagger
// as held is dropped, and leaves its player.
TEST_F(HostileCreateTest, AnItemPutIntoTheWorldMatchesAHeldOneWhole)
{
    constexpr uint32_t kFirstId = HostileCreateTest::kFirstId + 0x18000;   // ids no other case uses
    ItemReplicaInfo held;
    held.baseName = kDagger;
    held.seed = 77;
    GAME::Item* dagger = GAME::Item::CreateItem(held);
    ASSERT_NE(dagger, nullptr);
    const uint32_t heldId = dagger->GetObjectId();
    client->GiveItemToCharacter(dagger);
    ASSERT_TRUE(client->HasItem(heldId));
    const auto drop = [this](ItemReplicaInfo item, uint32_t id) {
        CreateItemPacket packet;
        packet.coords = Here();
        packet.item = item;
        packet.item.objectId = id;
        Send(packet);
        return ObjectManager::Get().GetObject(id) != nullptr;
    };
    ItemReplicaInfo reseeded = held;
    reseeded.seed = 78;
    ItemReplicaInfo prefixed = held;
    prefixed.prefixName = "Records/Item/Affix/PrefixKeen.dbr";
    LogCapture log;
    EXPECT_FALSE(drop(reseeded, kFirstId));
    EXPECT_TRUE(client->HasItem(heldId));
    EXPECT_FALSE(drop(prefixed, kFirstId + 1));
    EXPECT_TRUE(client->HasItem(heldId));
    EXPECT_TRUE(log.Contains("CreateItemPacket from host 1 dropped: it puts into the world an item its player does "
                             "not hold"));
    EXPECT_TRUE(drop(held, kFirstId + 2));
    EXPECT_FALSE(client->HasItem(heldId));
}

TEST_F(HostileCreateTest, EachHostKeepsABoundedNumberOfLiveItems)
{
    LogCapture log;
    ObjectManager& objects = ObjectManager::Get();
    uint32_t id = kFirstId;
    for (size_t i = 0; i < kMaxLiveClientItems + 20; ++i)
        Item(id++);
    EXPECT_NE(objects.GetObject(kFirstId + kMaxLiveClientItems - 1), nullptr);
    EXPECT_EQ(objects.GetObject(kFirstId + kMaxLiveClientItems), nullptr);
    EXPECT_TRUE(log.Contains("CreateItemPacket from host 1 dropped: the host has as many items as it may keep"));

    // Items that are gone make room again.
    for (uint32_t gone = kFirstId; gone < kFirstId + 10; ++gone)
        objects.DestroyObjectEx(objects.GetObject(gone), "HostileCreateTest", __LINE__);
    gEngine->UpdateFrame(0);
    for (int i = 0; i < 15; ++i)
        Item(id++);
    EXPECT_NE(objects.GetObject(id - 6), nullptr);
    EXPECT_EQ(objects.GetObject(id - 5), nullptr);
}

// A client back under the same host number makes its items under the ids it used before:
// an id made again after its object went counts once towards the quota.
TEST_F(HostileCreateTest, AnIdMadeAgainAfterItsObjectWentCountsOnce)
{
    constexpr uint32_t kFirstId = HostileCreateTest::kFirstId + 0x10000;   // ids no other case uses
    ObjectManager& objects = ObjectManager::Get();
    ASSERT_NE(Item(kFirstId), nullptr);
    objects.DestroyObjectEx(objects.GetObject(kFirstId), "HostileCreateTest", __LINE__);
    gEngine->UpdateFrame(0);
    ASSERT_NE(Item(kFirstId), nullptr);
    for (uint32_t id = kFirstId + 1; id < kFirstId + kMaxLiveClientItems; ++id)
        Item(id);
    EXPECT_NE(objects.GetObject(kFirstId + kMaxLiveClientItems - 1), nullptr);
    EXPECT_EQ(Item(kFirstId + kMaxLiveClientItems), nullptr);
}

TEST_F(HostileCreateTest, ItsSkillsProjectilesAreMadeUnderItsOwnIdsWithinTheQuota)
{
    LogCapture log;
    const uint32_t fireball = client->GetSkillReferenceNumber(client->GetSkillManager().FindSkillId(kFireballSkill));
    auto launch = [&](uint32_t skill, uint32_t id) {
        CreateProjectileConfigCmd command(kClientPlayer, skill, 0, Here(), 0, WorldVec3(), id, 1, 1);
        const std::unique_ptr<NetPacket> packet(command.GetNetPacket());
        Send(*packet);
        gEngine->RunActorCommands();
        return ObjectManager::Get().GetObject(id);
    };
    EXPECT_EQ(launch(fireball, 0x00000500), nullptr);      // under an id of the server's
    EXPECT_EQ(launch(fireball + 40, kFirstId), nullptr);   // of a skill it does not have
    uint32_t id = kFirstId;
    for (size_t i = 0; i < kMaxLiveClientEntities; ++i)
        EXPECT_NE(launch(fireball, id++), nullptr);
    EXPECT_EQ(launch(fireball, id), nullptr);
    const std::string dropped = "CreateProjectileConfigCmdPacket from host 1 dropped: ";
    EXPECT_TRUE(log.Contains(dropped + "it makes an object under an id that is not the host's"));
    EXPECT_TRUE(log.Contains(dropped + "its actor has no such skill at a level"));
    EXPECT_TRUE(log.Contains(dropped + "the host has as many entities as it may keep"));
}

// A generator's creatures asked for by a client are checked as any skill's spawn: its own
// ids, within its quota (a batch larger than the room left is refused whole). The server's own generator makes its creatures whatever the
// client's quota holds.
TEST_F(HostileCreateTest, ItsGeneratorsCreaturesAreCheckedAndTheServersCountAgainstNoQuota)
{
    LogCapture log;
    LoadTable tree;
    tree.SetValue("skillName1", kGenerator);
    tree.SetValue("skillLevel1", "1");
    client->GetSkillManager().LoadSkills(tree, 1);
    const uint32_t generator = client->GetSkillReferenceNumber(client->GetSkillManager().FindSkillId(kGenerator));
    // The creatures asked for under the ids; the first of them, if made.
    auto spawnAll = [&](const std::vector<uint32_t>& ids) {
        SpawnObjectConfigCmd command(kClientPlayer, generator, Here(), 1, std::vector<WorldCoords>(ids.size(), Here()),
                                     ids, 1);
        const std::unique_ptr<NetPacket> packet(command.GetNetPacket());
        Send(*packet);
        gEngine->RunActorCommands();
        return ObjectManager::Get().GetObject<Monster>(ids.front());
    };
    auto spawn = [&](uint32_t id) { return spawnAll({id}); };
    EXPECT_EQ(spawn(0x00000600), nullptr);   // under an id of the server's
    // A batch one larger than the whole quota, though all of it is room.
    std::vector<uint32_t> batch(kMaxLiveClientEntities + 1);
    std::iota(batch.begin(), batch.end(), kFirstId + 0x8000);
    EXPECT_EQ(spawnAll(batch), nullptr);
    uint32_t id = kFirstId;
    for (size_t i = 0; i < kMaxLiveClientEntities; ++i)
        EXPECT_NE(spawn(id++), nullptr);
    EXPECT_EQ(spawn(id), nullptr);
    const std::string dropped = "SpawnObjectConfigCmdPacket from host 1 dropped: ";
    EXPECT_TRUE(log.Contains(dropped + "it makes an object under an id that is not the host's"));
    EXPECT_TRUE(log.Contains(dropped + "the host has as many entities as it may keep"));

    auto* summoner = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Creatures/ArenaSummoner.dbr");
    ASSERT_NE(summoner, nullptr);
    World::Get().AddEntity(summoner, Here());
    const auto* skill = ObjectManager::Get().GetObject<Skill_MonsterGenerator>(
        summoner->GetSkillManager().FindSkillId(kGenerator));
    ASSERT_NE(skill, nullptr);
    for (int frame = 0; frame < 3; ++frame)
        gEngine->UpdateFrame(16);
    EXPECT_NE(ObjectManager::Get().GetObject<Monster>(skill->GetFirstCreature()), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject<Monster>(skill->GetSecondCreature()), nullptr);
}

// A client opens a portal for its own player only; the next replaces it and the replaced
// one goes; portals count towards its quota of entities, and a flood of them is refused
// past the request budget.
TEST_F(HostileCreateTest, APortalIsItsPlayersOwnOneAtATimeWithinTheQuota)
{
    constexpr uint32_t kFirstId = HostileCreateTest::kFirstId + 0x18000;   // ids no other case uses
    LogCapture log;
    ObjectManager& objects = ObjectManager::Get();
    auto portal = [&](uint32_t owner, uint32_t id, float away = 2.0f) {
        CreateItemTeleportPacket packet;
        packet.coords = WorldCoords(World::Get().GetRegionById(7), Coords::MakeTranslation(Vec3(away, 0, 0)));
        packet.owner = owner;
        packet.objectId = id;
        Send(packet);
        return objects.GetObject(id);
    };
    EXPECT_EQ(portal(kClientPlayer + 7, kFirstId), nullptr);   // for an owner of its host's that is not its player
    EXPECT_EQ(portal(kClientPlayer, kFirstId, kPortalReach + 1.0f), nullptr);   // out of its player's reach
    EXPECT_EQ(engine->GetTeleportInfo(kFirstId), nullptr);
    uint32_t id = kFirstId + 1;
    for (; id < kFirstId + 40; ++id)
        portal(kClientPlayer, id);
    const std::string dropped = "CreateItemTeleportPacket from host 1 dropped: ";
    EXPECT_TRUE(log.Contains(dropped + "it opens a portal for another than its player"));
    EXPECT_TRUE(log.Contains(dropped + "it opens a portal out of its player's reach"));
    EXPECT_TRUE(log.Contains(dropped + "it asks more than 16 times a second"));
    ASSERT_EQ(engine->GetTeleportInfoList().size(), 1u);
    const uint32_t kept = engine->GetTeleportInfoList().front().portalId;
    EXPECT_LT(kept, kFirstId + 40);
    for (int frame = 0; frame < 30; ++frame)
        gEngine->UpdateFrame(250);
    for (uint32_t gone = kFirstId + 1; gone < kept; ++gone)
        EXPECT_EQ(objects.GetObject(gone), nullptr) << gone;
    EXPECT_NE(objects.GetObject(kept), nullptr);

    // A host with as many entities as it may keep opens no portal.
    const uint32_t fireball = client->GetSkillReferenceNumber(client->GetSkillManager().FindSkillId(kFireballSkill));
    for (size_t i = 0; i < kMaxLiveClientEntities; ++i, ++id) {
        CreateProjectileConfigCmd command(kClientPlayer, fireball, 0, Here(), 0, WorldVec3(), id, 1, 1);
        const std::unique_ptr<NetPacket> packet(command.GetNetPacket());
        Send(*packet);
        gEngine->RunActorCommands();
    }
    EXPECT_EQ(portal(kClientPlayer, id), nullptr);
    EXPECT_TRUE(log.Contains(dropped + "the host has as many entities as it may keep"));
}

// An item a client puts into the world lands within its player's reach of where the server
// has the player, as a pick-up takes one: one dropped far off lands beside the player
// instead, and what the server passes on to the other clients says so.
TEST_F(HostileCreateTest, AClientsDropLandsWithinItsPlayersReach)
{
    constexpr uint32_t kFirstId = HostileCreateTest::kFirstId + 0x1C000;   // ids no other case uses
    LogCapture log;
    const auto drop = [&](uint32_t id, float away) {
        ItemReplicaInfo held;
        held.baseName = kDagger;
        held.seed = id & 0xFFu;
        GAME::Item* item = GAME::Item::CreateItem(held);
        EXPECT_NE(item, nullptr);
        client->GiveItemToCharacter(item);
        CreateItemPacket packet;
        packet.coords = WorldCoords(World::Get().GetRegionById(7), Coords::MakeTranslation(Vec3(away, 0, 0)));
        packet.item = held;
        packet.item.objectId = id;
        transport.sent.clear();
        Send(packet);
        // Where the packet passed on to the other clients drops it.
        CreateItemPacket passed;
        const NetDestination others{NetDestination::OtherClients, kClientHost};
        for (const auto& sent : transport.sent) {
            if (sent.to == others && sent.Type() == CreateItemPacket::kType) {
                EXPECT_TRUE(ReadInto(passed, sent.bytes));
            }
        }
        const auto* made = ObjectManager::Get().GetObject<GAME::Item>(id);
        EXPECT_NE(made, nullptr);
        EXPECT_FALSE(client->HasItem(item->GetObjectId()));
        return std::pair(made ? WorldDistance(made->GetCoords().GetPosition(), client->GetPathPosition()) : -1.0f,
                         passed.coords.GetPosition().GetRegionPosition().x);
    };
    const std::string moved = "CreateItemPacket from host 1 amended: it puts an item into the world out of its "
                              "player's reach; it lands where the server has its player instead";
    const auto [near, nearPassed] = drop(kFirstId, 2.0f);
    EXPECT_GT(near, 1.0f);
    EXPECT_LT(near, 3.0f);
    EXPECT_FLOAT_EQ(nearPassed, 2.0f);
    EXPECT_FALSE(log.Contains(moved));
    const auto [far, farPassed] = drop(kFirstId + 1, 127.0f);
    EXPECT_LT(far, 2.0f);
    EXPECT_FLOAT_EQ(farPassed, 0.0f);
    EXPECT_TRUE(log.Contains(moved));
}

// A quest data request is answered to the asker alone and passed on to nobody, a few times
// a second at most: a flood of them reaches no other client.
TEST_F(HostileCreateTest, QuestDataRequestsAreBudgetedAndAnsweredToTheAskerAlone)
{
    LogCapture log;
    transport.Connect(2);
    QuestNetMsg_RequestData request;
    request.sender = kClientPlayer;
    QuestMessagePacket packet;
    packet.sender = kClientPlayer;
    request.Write(packet.data);
    transport.sent.clear();
    for (int i = 0; i < 20; ++i)
        Send(packet);
    int answers = 0;
    for (const RecordingTransport::SentPacket& sent : transport.sent)
        if (sent.Type() == QuestMessagePacket::kType) {
            EXPECT_EQ(sent.to, HostOf(kClientHost));
            ++answers;
        }
    EXPECT_GE(answers, 1);
    EXPECT_LE(answers, 5);   // the budget's burst, and what a second of a slow run adds
    EXPECT_TRUE(log.Contains("QuestMessagePacket from host 1 dropped: it asks for the quest data more than once a second"));
}

}  // namespace
}  // namespace GAME
