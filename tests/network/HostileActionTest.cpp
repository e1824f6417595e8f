// A hostile client's actions and item commands against the host's real dispatch and over
// ENet: runs that start far from where the server has its player, pick-ups and talks out
// of reach, commands naming a monster's items, and a conversation the server never saw.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "Engine/IOStreamReadWrite.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/FixedItemTeleport.h"
#include "tests/network/HostileClientFixture.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace {

constexpr const char* kTalkSage = "Records/Test/HostileSage.dbr";
constexpr const char* kTalkQuestFile = "Levels/Quests/Talk.qst";

class HostileActionTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kTalkSage, "Class,Npc,\n");
        transport.sent.clear();
    }
    static WorldCoords At(float x) { return WorldCoords(Here().GetRegion(), Coords::MakeTranslation(Vec3(x, 0, 0))); }
    static WorldVec3 Point(float x) { return At(x).GetPosition(); }
    template <class C>
    C* Place(const char* record, float x)
    {
        C* made = ObjectManager::Get().CreateObjectFromFile<C>(record);
        EXPECT_TRUE(made && World::Get().AddEntity(made, At(x)));
        return made;
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

// An item another character wears is no loose item, however near, even one it took
// straight from the ground: the client's pick-up of it, as an action or as a command,
// leaves it on its wearer and out of the client's hands.
TEST_F(HostileActionTest, APickUpOfAnItemAnotherCharacterWearsTakesNothing)
{
    ItemReplicaInfo sword;
    sword.baseName = "Records/Item/Weapons/Sword.dbr";
    auto* wearer = Place<Monster>("Records/Creatures/ArenaMonster.dbr", 1);
    Item* worn = Item::CreateItem(sword);
    ASSERT_TRUE(wearer && worn && World::Get().AddEntity(worn, At(1)));
    const uint32_t id = worn->GetObjectId();
    wearer->AttachItemAction(id, EquipLocation_RightHand);
    ASSERT_TRUE(wearer->HasItem(id));
    LogCapture log;
    PickUpItemPacket pickUp;
    pickUp.characterId = kClientPlayer;
    pickUp.position = Point(0);
    pickUp.itemId = id;
    Send(pickUp);
    const std::unique_ptr<NetPacket> command(CharPickUpConfigCmd(kClientPlayer, id).GetNetPacket());
    Send(*command);
    gEngine->RunActorCommands();
    for (int frame = 0; frame < 20; ++frame)
        gEngine->UpdateFrame(100);
    EXPECT_FALSE(client->HasItem(id));
    EXPECT_TRUE(wearer->HasItem(id));
}

// Actions for a character of another host are refused through the drop log: a flood costs
// one line, and none is seen as applied.
TEST_F(HostileActionTest, AFloodOfActionsForAnotherHostsCharacterCostsOneLine)
{
    NetDropLog::SetClock([] { return uint64_t{1}; });   // one second of the wall clock
    const std::unique_ptr<void, void (*)(void*)> wallClock(this, [](void*) { NetDropLog::SetClock(nullptr); });
    int applied = 0;
    NetPacketRegistry::Get().SetAppliedObserver([&](NetPacket&, int) { ++applied; });
    LogCapture log;
    IdleActionPacket idle;
    idle.characterId = kMainPlayerId;
    idle.position = Point(0);
    for (int i = 0; i < 1000; ++i)
        Send(idle);
    NetPacketRegistry::Get().SetAppliedObserver({});
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"IdleActionPacket from host 1 dropped: the host may not act for "
                                                    "character " + std::to_string(kMainPlayerId)});
}

// A client's teleport follows only a portal (or shrine, or boat) the server saw it use,
// one teleport a use.
TEST_F(HostileActionTest, ATeleportFollowsOnlyAPortalTheServerSawUsed)
{
    // Each refusal a second after the last, so that the drop log tells each whole.
    static uint64_t clockMs = 0;
    NetDropLog::SetClock([] { return clockMs += 2 * NetDropLog::kWindowMs; });
    const std::unique_ptr<void, void (*)(void*)> wallClock(&clockMs, [](void*) { NetDropLog::SetClock(nullptr); });
    const std::string refused = "StartTeleportPacket from host 1 dropped: player " + std::to_string(kClientPlayer) +
                                " used no portal, shrine or boat the server saw";
    LogCapture log;
    StartTeleportPacket teleport;
    teleport.playerId = kClientPlayer;
    teleport.x = 500.0f;
    Send(teleport);
    EXPECT_EQ(log.Count(refused), 1u);
    auto* portal = DynamicCast<FixedItemTeleport>(ObjectManager::Get().CreateObject("FixedItemTeleport"));
    ASSERT_TRUE(portal && World::Get().AddEntity(portal, At(0)));
    UseItemPacket use;
    use.characterId = kClientPlayer;
    use.position = Point(0);
    use.itemId = portal->GetObjectId();
    Send(use);
    Send(teleport);
    EXPECT_EQ(log.Count(refused), 1u);
    Send(teleport);
    EXPECT_EQ(log.Count(refused), 2u);
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
        dynamic_cast<Condition_ConversationStart&>(*made).SetPersonRecord(kTalkSage);
        quest.AddNewQuestStep()->AddNewTrigger()->AddCondition(std::move(made));
        IOStreamWrite stream;
        quest.Serialize(stream);
        ASSERT_TRUE(stream.Close());
        std::ofstream(dir + "/" + kTalkQuestFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(stream.GetBytes().data()),
                   static_cast<std::streamsize>(stream.GetBytes().size()));
    }
    World::Get().AddQuestFile(kTalkQuestFile);
    quests->Load();
    Quest* quest = quests->GetQuest(Name::Create(GetNormalizedPath(kTalkQuestFile)));
    ASSERT_NE(quest, nullptr);
    const Trigger& talked = *quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0);
    std::vector<PlayerNetBasicInfo> records = Roster({kMainPlayerId, kClientPlayer});
    records[0].partyId = records[1].partyId = kMainPlayerId;
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    ASSERT_TRUE(QuestRepository::IsPartyPlayerInGame(kClientPlayer));
    Npc* sage = Place<Npc>(kTalkSage, 100);
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
    // The server passes on no client's quest message: it tells the others what it takes.
    const auto told = [this] {
        return std::count_if(transport.sent.begin(), transport.sent.end(),
                             [](const auto& sent) { return sent.Type() == QuestMessagePacket::kType; });
    };
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
    EXPECT_EQ(sage->GetConversationTimer(), 0);
    EXPECT_FALSE(talked.m_fired);
    EXPECT_EQ(told(), 0);
    // The talk within reach, as the server plays it, completes the step.
    Npc* beside = Place<Npc>(kTalkSage, 2);
    ASSERT_NE(beside, nullptr);
    engage.targetId = beside->GetObjectId();
    Send(engage);
    EXPECT_TRUE(talked.m_fired);
    EXPECT_EQ(told(), 1);

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
        PickUpItemPacket pickUp;
        pickUp.characterId = self;
        pickUp.position = run.startLocation;
        pickUp.itemId = pileId;
        Forge(pickUp);
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
