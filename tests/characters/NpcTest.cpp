// Non-player characters: herds, attraction, dialogs and their marks, the state kept in the
// local player, the level state and replication readers, and the skill reallocator.
#include <algorithm>
#include <thread>

#include "characters/CharacterWorldFixture.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/ai/ControllerNpcHerder.h"
#include "Game/characters/Npc.h"
#include "Game/characters/NpcHerdRegistry.h"
#include "Game/characters/NpcSkillReallocator.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/TeleportConfirmActivity.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/quests/DialogPak.h"
#include "Game/quests/QuestRepository.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/world/EffectEntity.h"

namespace GAME {
namespace {

class DialogUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t id) override { return windows.push_back(id), true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    bool ShowNpcDialog(DialogPak* pak, uint32_t, uint32_t) override { return shown.push_back(pak), showAnswer; }
    bool IsShowingNpcDialog(const DialogPak* pak) const override
    {
        return std::find(shown.begin(), shown.end(), pak) != shown.end();
    }
    void CloseNpcDialog(DialogPak* pak) override { closed.push_back(pak); }

    std::vector<uint32_t> windows;
    std::vector<DialogPak*> shown, closed;
    bool showAnswer = true;
};

// A packet that only carries what is written into it.
struct BarePacket : NetPacket {
    BarePacket() : NetPacket(40) {}
    uint32_t PrepareOutBuffer() override { return 0; }
    bool CopyInbound(const unsigned char*, int) override { return true; }
    std::string GetPacketDescription(bool) override { return "bare"; }
};

class NpcTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        NpcHerdRegistry::Get().Clear();
        QuestRepository::Get()->ClearActions();
        QuestRepository::Get()->EnableDelayedActions(false);
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord(Npc::kHerdAnimalControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord(Npc::kHerderControllerRecord, "Class,ControllerNpcHerder,\n");
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        for (const char* mark : {Npc::kQuestion01, Npc::kQuestion03, Npc::kExclamation02, Npc::kExclamation03,
                                 Npc::kAnchor01, NpcSkillReallocator::kReallocationMark})
            records.RegisterRecord(mark, "Class,Actor,\n");
        records.RegisterRecord(Npc::kNpcEffectRecord, "Class,EffectEntity,\n");
        records.RegisterRecord(kTalk, "Class,NpcDialogPak,\nlength,2,\nresetDistance,5,\ndefaultDialogTextTag,tagTalk,\n");
        records.RegisterRecord(kShop, "Class,MerchantDialogPak,\n");
        engine->SetUI(&ui);
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs.push_back(line.text); });
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        engine->SetUI(nullptr);
        QuestRepository::Get()->ClearActions();
        NpcHerdRegistry::Get().Clear();
        CharacterWorldTest::TearDown();
    }
    // A placed character of its own record, after its first frame.
    template <class T = Npc>
    T* MakeNpc(const std::string& keys = "", const std::string& kind = "Npc", float x = 0.0f)
    {
        T* npc = Place(Make<T>(keys, kind), x);
        Frame();
        return npc;
    }
    std::string ControllerRecord(const Character& npc) const
    {
        const Object* controller = ObjectManager::Get().GetObject(npc.GetControllerId());
        return controller ? controller->GetObjectName() : "";
    }
    bool Logged(const std::string& part) const
    {
        return std::any_of(logs.begin(), logs.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }

    static constexpr const char* kTalk = "Records/Test/Talk.dbr";
    static constexpr const char* kShop = "Records/Test/Shop.dbr";
    DialogUI ui;
    std::vector<std::string> logs;
    LogSink previousSink;
};

// ---- Herds and attraction -------------------------------------------------------------------

TEST_F(NpcTest, HerdMembersAfterTheFirstGetTheHerdAnimalController)
{
    Npc* first = Place(Make<Npc>("isInHerd,1,\n", "Npc"));
    Npc* second = Place(Make<Npc>("isInHerd,1,\n", "Npc"), 3.0f);
    first->SetObjectName("Sheep");
    second->SetObjectName("SHEEP");
    Frame();
    EXPECT_EQ(ControllerRecord(*first), Npc::kNpcControllerRecord);
    EXPECT_EQ(ControllerRecord(*second), Npc::kHerdAnimalControllerRecord);
    const NpcHerdRegistry::Herd* herd = NpcHerdRegistry::Get().FindHerd("sheep");
    ASSERT_NE(herd, nullptr);
    EXPECT_EQ(herd->members, (std::vector<uint32_t>{first->GetObjectId(), second->GetObjectId()}));
    EXPECT_EQ(NpcHerdRegistry::Get().GetHerdCount(), 1u);
}

TEST_F(NpcTest, AHerderBeforeAnyAnimalCreatesTheHerd)
{
    Npc* herder = MakeNpc("isHerderFor,Goats,\n");
    const NpcHerdRegistry::Herd* herd = NpcHerdRegistry::Get().FindHerd("goats");
    ASSERT_NE(herd, nullptr);
    EXPECT_EQ(herd->herderId, herder->GetObjectId());
    EXPECT_TRUE(herd->members.empty());
    auto* controller = ObjectManager::Get().GetObject<ControllerNpcHerder>(herder->GetControllerId());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetHerdName(), "Goats");

    // An id that is no non-player character changes nothing.
    Monster* monster = Place(Make<Monster>());
    NpcHerdRegistry::Get().AddHerder("Goats", monster->GetObjectId());
    EXPECT_EQ(NpcHerdRegistry::Get().FindHerd("Goats")->herderId, herder->GetObjectId());
}

TEST_F(NpcTest, TheRegistryIsOneObjectForEveryThread)
{
    NpcHerdRegistry* seen[4] = {};
    std::vector<std::thread> threads;
    for (auto& slot : seen)
        threads.emplace_back([&slot] { slot = &NpcHerdRegistry::Get(); });
    for (std::thread& thread : threads)
        thread.join();
    for (NpcHerdRegistry* registry : seen)
        EXPECT_EQ(registry, &NpcHerdRegistry::Get());
}

TEST_F(NpcTest, AttractionTimes)
{
    Npc* attractor = Make<Npc>("isNpcAttractor,1,\n", "Npc");
    for (int i = 0; i < 20; ++i) {
        const int wait = attractor->GetAttractionTime();
        EXPECT_GE(wait, 3000);
        EXPECT_LE(wait, 4000);
    }
    // The times are read only for an attractor.
    Npc* plain = Make<Npc>("attractionTimeMin,9,\nattractionTimeMax,9,\n", "Npc");
    EXPECT_EQ(plain->GetAttractionTime(), 0);
    plain->SetIgnoreAttractionTime(100);
    EXPECT_FALSE(plain->CanBeAttracted());
}

// Record times past what an int holds in milliseconds are held at its ends, not
// overflowed; a length that is no number reads as the default.
TEST_F(NpcTest, RecordTimesBeyondTheIntRangeAreHeld)
{
    Npc* huge = Make<Npc>("isNpcAttractor,1,\nattractionTimeMin,3000000,\nattractionTimeMax,4000000,\n", "Npc");
    EXPECT_EQ(huge->GetAttractionTime(), INT32_MAX);
    Npc* negative = Make<Npc>("isNpcAttractor,1,\nattractionTimeMin,-3000000,\nattractionTimeMax,-3000000,\n", "Npc");
    EXPECT_LT(negative->GetAttractionTime(), -2147483000);   // the draw itself rounds half up

    Player* player = MakeMainPlayer();
    const std::pair<const char*, int> lengths[] = {
        {"3e38", INT32_MAX}, {"-3e38", INT32_MIN}, {"inf", 5000}, {"nan", 5000}, {"2.5", 2500}};
    for (const auto& [length, timer] : lengths) {
        const std::string record = std::string("Records/Test/Long") + length + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, std::string("Class,NpcDialogPak,\nlength,") + length + ",\n");
        Npc* npc = MakeNpc("dialogPak," + record + ",\n");
        npc->Converse(player->GetObjectId());
        EXPECT_EQ(npc->GetDialogTimer(), timer) << length;
    }
}

TEST_F(NpcTest, ASheepTurnsAsFastAsItMoves)
{
    Npc* sheep = Make<Npc>("pathGenerationStyle,Sheep,\nminRotationSpeed,5,\n", "Npc");
    Npc* plain = Make<Npc>("minRotationSpeed,5,\nmaxRotationSpeed,7,\n", "Npc");
    EXPECT_FLOAT_EQ(sheep->GetMinRotationSpeed(), 0.0f);   // standing still
    EXPECT_FLOAT_EQ(sheep->GetMaxRotationSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(plain->GetMinRotationSpeed(), 5.0f);
    EXPECT_FLOAT_EQ(plain->GetMaxRotationSpeed(), 7.0f);
}

// ---- Dialogs, marks and conversation ----------------------------------------------------------

TEST_F(NpcTest, ADialogShowsTheQuestionMarkAndAnUnspawnableOneRemovesIt)
{
    MakeMainPlayer();
    Npc* npc = MakeNpc(std::string("dialogPak,") + kTalk + ",\n");
    ASSERT_TRUE(npc->HasDialog());
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kQuestion01);
    EXPECT_TRUE(npc->IsOfInterest());
    EXPECT_TRUE(npc->ShouldSaveState());

    npc->Dialog_ReplaceStatic("Records/Test/Missing.dbr", nullptr, false);
    EXPECT_FALSE(npc->HasDialog());
    EXPECT_EQ(npc->GetPunctuation(), nullptr);
    EXPECT_EQ(npc->GetPunctuationRecord(), "");
}

TEST_F(NpcTest, ABoatMasterNeverGetsADialogPak)
{
    MakeMainPlayer();
    Npc* npc = MakeNpc();
    npc->SetBoatMaster(true, "tagHarbour", 1, 2, 3);
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kAnchor01);
    npc->Dialog_ReplaceStatic(kTalk, nullptr, false);
    EXPECT_FALSE(npc->HasDialog());
    EXPECT_TRUE(npc->IsOfInterest());
}

TEST_F(NpcTest, ABoatMasterAsksToCarryThePlayerToItsDestinationsRegion)
{
    Player* player = MakeMainPlayer();
    Region* harbour = World::Get().AddRegion(7, "Harbour", Vec3(100.0f, 0.0f, 0.0f));
    harbour->SetBounds(ABBox{Vec3(0.0f, 0.0f, 0.0f), Vec3(10.0f, 10.0f, 10.0f)});
    Npc* npc = MakeNpc();
    npc->SetBoatMaster(true, "tagHarbour", 101, 2, 3);
    npc->Converse(player->GetObjectId());
    ActivityManager::Get()->Update(0);
    const TeleportConfirmActivity* found = nullptr;
    for (uint32_t id = 1; id < 1000 && !found; ++id)
        found = dynamic_cast<const TeleportConfirmActivity*>(ActivityManager::Get()->GetActivity(id));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetDestination().GetRegion(), harbour);
    EXPECT_EQ(found->GetDestination().GetRegionPosition().x, 1.0f);
    EXPECT_EQ(found->GetTextTag(), "tagHarbour");
    EXPECT_TRUE(ui.shown.empty());   // no dialog of its own
    ActivityManager::Get()->Clear();

    // A destination no region holds asks nothing.
    Npc* lost = MakeNpc();
    lost->SetBoatMaster(true, "tagNowhere", 500, 0, 0);
    lost->Converse(player->GetObjectId());
    EXPECT_TRUE(Logged("no region holds"));
}

TEST_F(NpcTest, ConversingShowsTheDialogAndItsTimerEndsIt)
{
    Player* player = MakeMainPlayer();
    Npc* npc = MakeNpc(std::string("dialogPak,") + kTalk + ",\n");
    npc->Converse(player->GetObjectId());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], npc->GetDialogPak());
    EXPECT_EQ(npc->GetDialogTimer(), 2000);
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kQuestion03);   // deluminated for type 4
    EXPECT_FALSE(QuestRepository::Get()->AreDelayedActionsEnabled());
    EXPECT_FALSE(npc->IsAvailableForConversations());

    // A second talk within the second is refused.
    npc->Converse(player->GetObjectId());
    EXPECT_EQ(ui.shown.size(), 1u);

    npc->GetDialogPak()->Play(0);
    Frame(1500);
    EXPECT_TRUE(npc->GetDialogPak()->IsPlaying());
    Frame(600);
    EXPECT_EQ(npc->GetDialogTimer(), 0);
    EXPECT_FALSE(npc->GetDialogPak()->IsPlaying());
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kQuestion01);
    EXPECT_TRUE(npc->IsAvailableForConversations());

    // A UI that shows the dialog later keeps the delayed actions enabled.
    ui.showAnswer = false;
    npc->Converse(player->GetObjectId());
    EXPECT_TRUE(QuestRepository::Get()->AreDelayedActionsEnabled());
}

TEST_F(NpcTest, AnEngagedCharacterHandsOutItsItemAndMarksTheMap)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Gift.dbr", "Class,ItemEquipment,\n");
    Player* player = Place(MakeMainPlayer(), 2.0f);
    Npc* npc = MakeNpc("IncludeInMap,1,\n");
    npc->SetDispenseItem(player->GetObjectId(), "Records/Test/Gift.dbr");
    const size_t before = World::Get().GetEntityCount();
    npc->OnPlayerInteract(kMainPlayerId + 1, false, false);   // registered for another player
    EXPECT_EQ(World::Get().GetEntityCount(), before);
    npc->OnPlayerInteract(player->GetObjectId(), false, false);
    EXPECT_EQ(World::Get().GetEntityCount(), before + 1);

    std::vector<Character::DetailMapEntry> entries;
    npc->AppendDetailMapData(entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, 2);
    npc->SetVisibility(false);
    npc->AppendDetailMapData(entries);
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(NpcTest, IlluminationMarksByKind)
{
    MakeMainPlayer();
    Npc* npc = MakeNpc();
    Action_IlluminateNpc exclaim(1, npc->GetObjectName(), 1), glow(2, npc->GetObjectName(), 3);
    npc->Dialog_Illuminate(&exclaim);
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kExclamation02);
    EXPECT_EQ(npc->GetPendingIllumination(), &exclaim);
    npc->Dialog_Illuminate(&glow);
    EXPECT_EQ(npc->GetPunctuation(), nullptr);
    ASSERT_NE(npc->GetIllumination(), nullptr);
    EXPECT_TRUE(npc->GetIllumination()->IsEmitting());

    npc->SetDialogType(3);
    npc->Dialog_Deluminate();
    EXPECT_EQ(npc->GetIllumination(), nullptr);
    EXPECT_TRUE(glow.GetDeluminate());
    EXPECT_EQ(npc->GetPendingIllumination(), nullptr);
}

TEST_F(NpcTest, RestoringTheInteractionStateRunsSavedActionsAndSkipsUnknownIds)
{
    Player* player = MakeMainPlayer();
    Npc* npc = Place(Make<Npc>("", "Npc"));
    QuestRepository::Get()->AddAction(std::make_unique<Action_IlluminateNpc>(5, npc->GetObjectName(), 1));
    player->AddNpcIllumination(NpcIlluminationData{npc->GetObjectName(), 5});
    player->AddNpcDialog(NpcDialogData{npc->GetObjectName(), 77});   // names no action
    Frame();
    EXPECT_EQ(npc->GetPunctuationRecord(), Npc::kExclamation02);
    EXPECT_EQ(npc->GetPendingIllumination(), QuestRepository::Get()->FindActionById(5));
    EXPECT_EQ(npc->GetPendingDialog(), nullptr);
    EXPECT_TRUE(Logged("saved dialog action 77"));

    // The character keeps pointing at action 5: a second action of that id never frees it.
    QuestRepository::Get()->AddAction(std::make_unique<Action_IlluminateNpc>(5, npc->GetObjectName(), 2));
    EXPECT_EQ(npc->GetPendingIllumination(), QuestRepository::Get()->FindActionById(5));
    EXPECT_EQ(npc->GetPendingIllumination()->GetKind(), 1);
}

// ---- Level state and replication ---------------------------------------------------------------

TEST_F(NpcTest, LevelStateRoundTripAndShortBuffers)
{
    MakeMainPlayer();
    Npc* source = MakeNpc(std::string("dialogPak,") + kTalk + ",\n");
    source->SetDialogType(2);
    source->Converse(kMainPlayerId);
    BinaryWriter writer;
    source->SaveState(writer);
    ASSERT_EQ(writer.GetLength(), 12u);

    Npc* copy = MakeNpc();
    BinaryReader whole(writer.GetBuffer(), writer.GetLength());
    copy->RestoreState(whole);
    EXPECT_TRUE(copy->IsInteractionStateChanged());
    EXPECT_EQ(copy->GetDialogType(), 2);
    EXPECT_EQ(copy->GetDialogTimer(), 2000);

    // Four bytes: nothing is applied. Eight: the flag and type, the timer is kept.
    Npc* shortOne = MakeNpc();
    BinaryReader four(writer.GetBuffer(), 4);
    shortOne->RestoreState(four);
    EXPECT_FALSE(shortOne->IsInteractionStateChanged());
    EXPECT_EQ(shortOne->GetDialogType(), Npc::kDefaultDialogType);
    BinaryReader eight(writer.GetBuffer(), 8);
    shortOne->RestoreState(eight);
    EXPECT_EQ(shortOne->GetDialogType(), 2);
    EXPECT_EQ(shortOne->GetDialogTimer(), -1);
    EXPECT_TRUE(Logged("level state"));
}

TEST_F(NpcTest, ReplicationRoundTripAndAShortImage)
{
    Npc* source = Make<Npc>("", "Npc");
    BarePacket packet;
    NetPacketOutBuffer out(&packet);
    source->WriteReplicationData(out);
    const uint32_t size = out.Done();
    ASSERT_EQ(size, 2u + 2u + 36u);

    Npc* copy = Make<Npc>("", "Npc");
    NetPacketHeader header{40};
    NetPacketInBuffer in(&header, packet.GetOutBuffer(), static_cast<int>(size));
    ASSERT_TRUE(copy->ReadReplicationData(in));
    EXPECT_EQ(copy->GetLootReplica().seed, source->GetLootInfo().seed);
    EXPECT_EQ(copy->GetLootReplica().itemIds, source->GetLootInfo().itemIds);
    copy->ApplyReplicationData();

    NetPacketInBuffer cut(&header, packet.GetOutBuffer(), static_cast<int>(size) - 3);
    EXPECT_FALSE(copy->ReadReplicationData(cut));
    logs.clear();
    copy->ApplyReplicationData();
    EXPECT_TRUE(Logged("no replication image"));
}

// ---- The skill reallocator ----------------------------------------------------------------------

TEST_F(NpcTest, AReallocatorOpensTheWindowOnlyForTheLocalPlayer)
{
    MakeMainPlayer();
    auto* npc = MakeNpc<NpcSkillReallocator>(std::string("dialogPak,") + kShop + ",\n", "NpcSkillReallocator");
    EXPECT_EQ(npc->GetPunctuationRecord(), NpcSkillReallocator::kReallocationMark);
    auto* pak = dynamic_cast<MerchantDialogPak*>(npc->GetDialogPak());
    ASSERT_NE(pak, nullptr);

    npc->OnPlayerInteract(kMainPlayerId + 1, false, false);
    EXPECT_TRUE(ui.windows.empty());
    EXPECT_EQ(pak->GetPlayCount(), 0);

    npc->OnPlayerInteract(kMainPlayerId, false, false);
    EXPECT_EQ(ui.windows, std::vector<uint32_t>{npc->GetObjectId()});
    EXPECT_EQ(pak->GetDialogSelector(), MerchantDialogPak::kSelectorHello);
    EXPECT_EQ(pak->GetPlayCount(), 1);

    std::vector<Character::DetailMapEntry> entries;
    npc->AppendDetailMapData(entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, NpcSkillReallocator::kMapEntryReallocator);

    npc->Dialog_ReplaceStatic("Records/Test/Missing.dbr", nullptr, false);
    EXPECT_FALSE(npc->HasDialog());
    npc->Dialog_Hello();   // nothing to play
}

}  // namespace
}  // namespace GAME
