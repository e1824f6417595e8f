// A hostile client's actions and item commands against the host's real dispatch: runs that
// start far from where the server has its player, pick-ups, talks and uses out of reach,
// commands naming a monster's items, and a conversation the server never saw.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "Engine/IOStreamReadWrite.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/quests/QuestRepository.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr const char* kRing = "Records/Test/HostileRing.dbr";
constexpr const char* kSage = "Records/Test/HostileSage.dbr";
constexpr const char* kBrute = "Records/Test/HostileBrute.dbr";
constexpr const char* kQuestFile = "Levels/Quests/Talk.qst";

class HostileActionTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kRing, "Class,ItemEquipment,\n");
        records.RegisterRecord(kSage, "Class,Npc,\n");
        records.RegisterRecord(kBrute, "Class,Monster,\ncharacterLife,500,\n");
        transport.sent.clear();
    }
    static WorldCoords At(float x) { return WorldCoords(Here().GetRegion(), Coords::MakeTranslation(Vec3(x, 0, 0))); }
    static WorldVec3 Point(float x) { return At(x).GetPosition(); }
    Item* Loose(float x)
    {
        ItemReplicaInfo info;
        info.baseName = kRing;
        Item* item = Item::CreateItem(info);
        EXPECT_TRUE(item && World::Get().AddEntity(item, At(x)));
        return item;
    }
    template <class C>
    C* Place(const char* record, float x)
    {
        C* made = ObjectManager::Get().CreateObjectFromFile<C>(record);
        EXPECT_TRUE(made && World::Get().AddEntity(made, At(x)));
        return made;
    }
    // The client's command as it sends it, then the commands queued run.
    void Command(ActorConfigCommand* command)
    {
        const std::unique_ptr<ActorConfigCommand> owned(command);
        const std::unique_ptr<NetPacket> packet(owned->GetNetPacket());
        Send(*packet);
        gEngine->RunActorCommands();
    }
    float FromOrigin() { return WorldDistance(client->GetPathPosition(), Point(0)); }
};

// The run's start is where the server has the player, within the latency tolerance: a
// farther start would carry the player there at once.
TEST_F(HostileActionTest, ARunOrWalkStartsWhereTheServerHasThePlayer)
{
    LogCapture log;
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.startLocation = Point(98);
    run.worldLocation = Point(99);
    Send(run);
    EXPECT_LT(FromOrigin(), 1.0f);
    EXPECT_TRUE(log.Contains("MoveToPacket from host 1 amended: its start lies beyond the latency tolerance of where "
                             "the server has its character; it starts there instead"));
    // The other clients hear the run the server plays.
    ASSERT_FALSE(transport.sent.empty());
    MoveToPacket played = run;
    played.startLocation = Point(0);
    EXPECT_EQ(transport.sent.back().bytes, Written(played));

    WalkPacket walk;
    walk.characterId = kClientPlayer;
    walk.startLocation = Point(-98);
    walk.worldLocation = Point(-97);
    Send(walk);
    EXPECT_LT(FromOrigin(), 1.0f);

    // A start within the tolerance is the client's own.
    run.startLocation = Point(3);
    run.worldLocation = Point(4);
    Send(run);
    EXPECT_EQ(transport.sent.back().bytes, Written(run));
}

// Pick-ups, talks and uses reach from where the server has the player, as uses always did.
TEST_F(HostileActionTest, PickUpsAndTalksReachOnlyFromWhereTheServerHasThePlayer)
{
    Item* far = Loose(80);
    Item* near = Loose(1);
    LogCapture log;
    Command(new CharPickUpConfigCmd(kClientPlayer, far->GetObjectId()));
    PickUpItemPacket pickUp;
    pickUp.characterId = kClientPlayer;
    pickUp.position = Point(0);
    pickUp.itemId = far->GetObjectId();
    Send(pickUp);
    EXPECT_FALSE(client->HasItem(far->GetObjectId()));
    EXPECT_TRUE(far->IsInWorld());
    EXPECT_TRUE(log.Contains("PickupItemConfigCmdPacket from host 1 dropped: it names a loose item out of its "
                             "character's reach"));
    EXPECT_TRUE(log.Contains("PickUpItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             ": it names a loose item out of its character's reach"));
    Command(new CharPickUpConfigCmd(kClientPlayer, near->GetObjectId()));
    EXPECT_TRUE(client->HasItem(near->GetObjectId()));

    // A talk to a character 100 away begins no conversation; beside it, it does.
    Npc* sage = Place<Npc>(kSage, 100);
    ASSERT_NE(sage, nullptr);
    EngageNpcPacket engage;
    engage.characterId = kClientPlayer;
    engage.targetId = sage->GetObjectId();
    Send(engage);
    EXPECT_EQ(sage->GetConversationTimer(), 0);
    EXPECT_TRUE(log.Contains("EngageNpcPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             " is out of reach of " + std::to_string(sage->GetObjectId())));
    Npc* beside = Place<Npc>(kSage, 2);
    ASSERT_NE(beside, nullptr);
    engage.targetId = beside->GetObjectId();
    Send(engage);
    EXPECT_GT(beside->GetConversationTimer(), 0);
}

// A client names only items its player holds, or loose ones within its reach: a monster's
// bag is not its own.
TEST_F(HostileActionTest, ItemCommandsNameOnlyTheSendersOwnOrLooseItems)
{
    Monster* brute = Place<Monster>(kBrute, 2);
    ASSERT_NE(brute, nullptr);
    ItemReplicaInfo info;
    info.baseName = kRing;
    Item* loot = Item::CreateItem(info);
    Item* relic = Item::CreateItem(info);
    Item* own = Item::CreateItem(info);
    ASSERT_TRUE(loot && relic && own);
    brute->GetInventory().AddItemToInventory(loot->GetObjectId(), false);
    brute->GetInventory().AddItemToInventory(relic->GetObjectId(), false);
    client->GetInventory().AddItemToInventory(own->GetObjectId(), false);
    LogCapture log;
    Command(new DropItemConfigCmd(kClientPlayer, loot->GetObjectId(), 1, 1));
    Command(new AttachItemConfigCmd(kClientPlayer, loot->GetObjectId(), EquipLocation_Finger));
    Command(new UseRelicConfigCmd(kClientPlayer, relic->GetObjectId(), own->GetObjectId()));
    Command(new CharPickUpConfigCmd(kClientPlayer, loot->GetObjectId()));
    EXPECT_EQ(log.Count("AttachItemConfigCmdPacket from host 1 dropped: it names an item its character does not hold"),
              1u);
    for (Item* item : {loot, relic}) {
        EXPECT_TRUE(brute->HasItem(item->GetObjectId()));
        EXPECT_FALSE(client->HasItem(item->GetObjectId()));
        EXPECT_FALSE(item->IsInWorld());
    }
    // Its own item it drops.
    Command(new DropItemConfigCmd(kClientPlayer, own->GetObjectId(), 1, 1));
    EXPECT_FALSE(client->HasItem(own->GetObjectId()));
    EXPECT_TRUE(own->IsInWorld());
}

// A quest step by a conversation completes on the server only once the server saw the
// partner's player begin that conversation, whichever of the two comes first.
TEST_F(HostileActionTest, AConversationStartCountsOnlyOnceTheServerSawTheTalk)
{
    std::string dir = (std::filesystem::temp_directory_path() / "hostile-talk-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    std::filesystem::create_directories(dir + "/Levels/Quests");
    RecordDatabase::Get().SetDataRoot(dir);
    QuestRepository* quests = QuestRepository::Get();
    quests->Reset();
    {
        Quest quest(0);
        quest.SetName("Talk");
        auto made = TriggerConditionFactory::Get().Create("Condition_ConversationStart", 0);
        dynamic_cast<Condition_ConversationStart&>(*made).SetPersonRecord(kSage);
        quest.AddNewQuestStep()->AddNewTrigger()->AddCondition(std::move(made));
        IOStreamWrite stream;
        quest.Serialize(stream);
        ASSERT_TRUE(stream.Close());
        std::ofstream(dir + "/" + kQuestFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(stream.GetBytes().data()),
                   static_cast<std::streamsize>(stream.GetBytes().size()));
    }
    World::Get().AddQuestFile(kQuestFile);
    quests->Load();
    Quest* quest = quests->GetQuest(Name::Create(GetNormalizedPath(kQuestFile)));
    ASSERT_NE(quest, nullptr);
    const Trigger& talked = *quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0);
    std::vector<PlayerNetBasicInfo> records = Roster({kMainPlayerId, kClientPlayer});
    records[0].partyId = records[1].partyId = kMainPlayerId;
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    ASSERT_TRUE(QuestRepository::IsPartyPlayerInGame(kClientPlayer));
    Npc* sage = Place<Npc>(kSage, 100);
    ASSERT_NE(sage, nullptr);

    // A step the client says is done, not a kind a client sends, is refused.
    LogCapture log;
    QuestMessagePacket message;
    message.sender = kClientPlayer;
    QuestNetMsg_Satisfied done;
    done.id = ConditionId(0, 0, 0, 0);
    done.sender = kClientPlayer;
    done.Write(message.data);
    Send(message);
    EXPECT_TRUE(log.Contains("QuestMessagePacket from host 1 dropped: player 10000001 may not send this quest message"));
    // The message comes first: it waits, and the talk from afar begins nothing.
    QuestNetMsg_ConversationStart start;
    start.id = ConditionId(0, 0, 0, 0);
    start.sender = kClientPlayer;
    start.args[0] = kClientPlayer;
    start.Write(message.data);
    Send(message);
    EXPECT_FALSE(talked.m_fired);
    EngageNpcPacket engage;
    engage.characterId = kClientPlayer;
    engage.targetId = sage->GetObjectId();
    Send(engage);
    EXPECT_FALSE(talked.m_fired);
    // The talk within reach, as the server plays it, completes the step.
    Npc* beside = Place<Npc>(kSage, 2);
    ASSERT_NE(beside, nullptr);
    engage.targetId = beside->GetObjectId();
    Send(engage);
    EXPECT_TRUE(talked.m_fired);

    quests->Reset();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace GAME

namespace GAME {
namespace {

// The same forgeries over ENet from a client process, against a real server: its player's
// position, bags and the monster's loot stay as they were.
class HostileActionClientTest : public HostileClientTest {};

TEST_F(HostileActionClientTest, ARunFromAfarAPickUpThereAndAMonstersItemsChangeNothing)
{
    Region* arena = World::Get().GetRegionById(1);
    const auto at = [arena](float x) { return WorldCoords(arena, Coords::MakeTranslation(Vec3(x, 0, 0))); };
    // Made before the processes part, so the client knows them by the same ids.
    ItemReplicaInfo sword;
    sword.baseName = "Records/Item/Weapons/Sword.dbr";
    Item* pile = Item::CreateItem(sword);
    auto* brute = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Creatures/ArenaMonster.dbr");
    Item* loot = Item::CreateItem(sword);
    ASSERT_TRUE(pile && brute && loot);
    ASSERT_TRUE(World::Get().AddEntity(pile, at(98)) && World::Get().AddEntity(brute, at(3)));
    brute->GetInventory().AddItemToInventory(loot->GetObjectId(), false);
    const uint32_t pileId = pile->GetObjectId(), lootId = loot->GetObjectId();

    const Outcome outcome = RunHostile([&, this] {
        const uint32_t self = OwnPlayer()->GetObjectId();
        MoveToPacket run;
        run.characterId = self;
        run.startLocation = at(98).GetPosition();
        run.worldLocation = OwnPlayer()->GetPathPosition();
        Forge(run);
        const auto command = [](ActorConfigCommand&& made) {
            const std::unique_ptr<NetPacket> packet(made.GetNetPacket());
            Forge(*packet);
        };
        command(CharPickUpConfigCmd(self, pileId));
        command(DropItemConfigCmd(self, lootId, 1, 1));
        command(AttachItemConfigCmd(self, lootId, EquipLocation_RightHand));
        return std::string();
    });
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_TRUE(pile->IsInWorld());
    EXPECT_TRUE(brute->HasItem(lootId));
    EXPECT_FALSE(loot->IsInWorld());
}

}  // namespace
}  // namespace GAME
