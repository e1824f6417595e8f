// Portals, boats, quest objects and the final portal.
#include "world/PlacedObjectFixture.h"

#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameUIInterface.h"
#include "Game/quests/DialogManager.h"
#include "Game/world/EndGameActivity.h"
#include "Game/world/FixedItemQuestObject.h"
#include "Game/world/FixedItemTeleport.h"

namespace GAME {

namespace {

struct EndingUI : GameUIInterface {
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    void EndOfGame() override { ++ended; }
    int ended = 0;
};

// A packet that only carries what is written into it.
struct PortalImagePacket : NetPacket {
    PortalImagePacket() : NetPacket(41) {}
    uint32_t PrepareOutBuffer() override { return 0; }
    bool CopyInbound(const unsigned char*, int) override { return true; }
    std::string GetPacketDescription(bool) override { return "portal image"; }
};

class FixedItemPortalTest : public PlacedObjectTest {
protected:
    void SetUp() override
    {
        PlacedObjectTest::SetUp();
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs.push_back(line.text); });
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        engine->SetUI(nullptr);
        PlacedObjectTest::TearDown();
    }
    static UniqueId Id(uint32_t first)
    {
        UniqueId id;
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            id.SetPart(i, first + i);
        return id;
    }
    LogSink previousSink;
    std::vector<std::string> logs;
};

TEST_F(FixedItemPortalTest, AnInvalidPlayerPortalLocksAtOnceAndLeavesInItsTwentySecondUpdate)
{
    auto* portal = Place(MakeOf<FixedItemTeleport>("FixedItemTeleport"));
    const uint32_t id = portal->GetObjectId();
    Step(250);
    EXPECT_TRUE(portal->IsLocked());
    EXPECT_EQ(portal->GetInvalidTimer(), 100);
    for (int update = 2; update <= 21; ++update)
        Step(250);
    ASSERT_TRUE(Live(id));
    EXPECT_EQ(portal->GetInvalidTimer(), 2100);
    Step(250);
    EXPECT_FALSE(Live(id));

    // A portal the game lists stays, and names its owner.
    Player* owner = Place(MakeMainPlayer(), 5.0f);
    engine->CreateFixedItemTeleportNetHook(Facing(0.0f), owner->GetObjectId(), 777, "");
    auto* listed = Place(ObjectManager::Get().CreateObjectFromFile<FixedItemTeleport>(
        NewRecord("FixedItemTeleport", "lockedTextTag,tagClosed,\n"), 778));
    for (int update = 0; update < 30; ++update)
        Step(250);
    EXPECT_FALSE(Live(778));
    auto* valid = Place(ObjectManager::Get().CreateObjectFromFile<FixedItemTeleport>(
        NewRecord("FixedItemTeleport", ""), 777));
    for (int update = 0; update < 30; ++update)
        Step(250);
    EXPECT_TRUE(Live(777));
    EXPECT_FALSE(valid->IsLocked());
    (void)listed;

    Listen("GameEvent_ActivateTeleportMenu");
    valid->RequestToUse(owner->GetObjectId());
    EXPECT_EQ(events.Count("GameEvent_ActivateTeleportMenu"), 1);
    valid->RequestToUse(4242);   // someone else, not on this peer: nothing shown
    EXPECT_EQ(engine->GetDialogManager().GetNumDialog(), 0u);
}

TEST_F(FixedItemPortalTest, ABoatCarriesTheLocalPlayerToTheOtherMemberOfItsGroup)
{
    Player* player = Place(MakeMainPlayer(), 3.0f);
    auto* boat = Place(MakeOf<FixedItemTeleport>("FixedItemTeleport", "staticPortal,1,\nlockedSound," +
                                                                          std::string(kSound) + ",\n"));
    Listen("GameEvent_FixedItemUse");
    boat->SetUniqueId(Id(10));
    boat->RequestToUse(player->GetObjectId());
    EXPECT_EQ(logs.back(), "Requested to use a boat that was not in a group with a destination.");
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 1);

    // A client learns the boat's identity from the replication data and finds the group.
    auto* copy = MakeOf<FixedItemTeleport>("FixedItemTeleport", "staticPortal,1,\n");
    PortalImagePacket packet;
    NetPacketOutBuffer out(&packet);
    boat->WriteReplicationData(out);
    const uint32_t size = out.Done();
    ASSERT_EQ(size, NetLimits::kHeaderSize + 1 + 1 + 16);
    NetPacketHeader header{41};
    NetPacketInBuffer in(&header, packet.GetOutBuffer(), static_cast<int>(size));
    ASSERT_TRUE(copy->ReadReplicationData(in));
    copy->ApplyReplicationData();
    EXPECT_EQ(copy->GetUniqueId(), Id(10));
    NetPacketInBuffer cut(&header, packet.GetOutBuffer(), static_cast<int>(size - 1));
    EXPECT_FALSE(copy->ReadReplicationData(cut));

    InstanceGroupManager::Get().AddGroup("Boats", "Boat", {Id(10), Id(20)});
    InstanceGroupManager::Get().RegisterEntityData(Id(20), {region->GetId(), Vec3{40.0f, 0.0f, 0.0f}});
    DialogManager& dialogs = engine->GetDialogManager();
    copy->RequestToUse(4242);   // another peer's player: the question is asked there
    ActivityManager::Get()->Update(0);
    ActivityManager::Get()->Update(0);
    EXPECT_EQ(dialogs.GetNumDialog(), 0u);
    copy->RequestToUse(player->GetObjectId());
    ActivityManager::Get()->Update(0);
    ActivityManager::Get()->Update(0);
    ASSERT_EQ(dialogs.GetNumDialog(), 1u);
    EXPECT_EQ(dialogs.PeekTopDialog()->party, DialogParty::kTeleportConfirm);
    dialogs.AddResponse(DialogParty::kTeleportConfirm, false);
    ActivityManager::Get()->Update(0);

    boat->SetLock(true);
    boat->RequestToUse(player->GetObjectId());
    EXPECT_EQ(boat->GetLockedSound()->GetPlayCount(), 1u);
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 3);   // the locked boat sent none
    ObjectManager::Get().DestroyObjectEx(copy, "test", __LINE__);
}

TEST_F(FixedItemPortalTest, AQuestObjectAnswersOnlyWhileArmed)
{
    GraphicsEngine::Get()->RegisterAnimation("Shut.anm", "length,30,\nframeRate,30,\n");
    auto* object = MakeOf<FixedItemQuestObject>("FixedItemQuestObject", "locked,1,\nclosedAnimation,Shut.anm,\n"
                                                                        "closedSound," + std::string(kSound) + ",\n"
                                                                        "openSound," + std::string(kSound) + ",\n");
    Place(object);
    Listen("GameEvent_FixedItemUse");
    Step();
    EXPECT_TRUE(object->IsOfInterest());
    object->RequestToUse(9);
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 1);
    object->SetLock(false);
    EXPECT_FALSE(object->IsOfInterest());
    object->RequestToUse(9);
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 1);

    auto* well = Place(MakeOf<FixedItemWell>("FixedItemWell"), 4.0f);
    well->SetFixedItemState(FixedItemState_Open, 0, false, true);
    EXPECT_EQ(well->GetCurrentState(), FixedItemState_None);
    EXPECT_FALSE(well->IsOfInterest());
}

TEST_F(FixedItemPortalTest, ANoToTheFinalQuestionLetsThePortalBeUsedAgainAndAYesEndsTheGame)
{
    EndingUI ui;
    engine->SetUI(&ui);
    Player* player = Place(MakeMainPlayer(), 3.0f);
    auto* portal = Place(MakeOf<FixedItemTyphonPortal>("FixedItemTyphonPortal"));
    Step();
    DialogManager& dialogs = engine->GetDialogManager();
    portal->RequestToUse(4242);   // another peer's player: no question here
    EXPECT_EQ(dialogs.GetNumDialog(), 0u);

    portal->RequestToUse(player->GetObjectId());
    ASSERT_EQ(dialogs.GetNumDialog(), 1u);
    EXPECT_EQ(dialogs.PeekTopDialog()->party, DialogParty::kFinalPortal);
    EXPECT_TRUE(portal->IsAwaitingAnswer());
    dialogs.RemoveTopDialog();
    dialogs.AddResponse(DialogParty::kFinalPortal, false);
    Step();
    EXPECT_FALSE(portal->IsAwaitingAnswer());
    EXPECT_EQ(ui.ended, 0);
    EXPECT_FALSE(engine->GetPlayerCompletedLevel());

    portal->RequestToUse(player->GetObjectId());
    EXPECT_TRUE(portal->IsAwaitingAnswer());
    dialogs.AddResponse(DialogParty::kFinalPortal, true);
    Step();
    EXPECT_EQ(ui.ended, 1);
    EXPECT_TRUE(engine->GetPlayerCompletedLevel());
}

TEST_F(FixedItemPortalTest, TheEndOfTheGameUnlocksTheFinalPortalsWhenTheStoryDialogOpens)
{
    auto* portal = Place(MakeOf<FixedItemTyphonPortal>("FixedItemTyphonPortal", "locked,1,\n"));
    auto* door = Place(MakeOf<FixedItemTeleport>("FixedItemTeleport", "locked,1,\n"), 4.0f);
    Step();
    ASSERT_TRUE(portal->IsLocked());
    EndGameActivity ending;
    ending.Update(ending.GetDialogDelay());
    EXPECT_FALSE(ending.IsDialogOpened());
    EXPECT_TRUE(portal->IsLocked());
    ending.Update(1);
    EXPECT_TRUE(ending.IsDialogOpened());
    EXPECT_FALSE(portal->IsLocked());
    EXPECT_TRUE(door->IsLocked());
}

}  // namespace

}  // namespace GAME
