// Monster: the level state image and the replication image, their golden bytes and
// what a broken or cut image leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "characters/CharacterWorldFixture.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {

// Lets a test choose the ids of the nine loot entries.
class LootIdMonster : public Monster {
    GAME_DECLARE_CLASS(LootIdMonster)

public:
    void SetIds(uint32_t first, uint32_t step)
    {
        for (size_t entry = 0; entry < 9; ++entry)
            LootItemId(entry) = first + static_cast<uint32_t>(entry) * step;
    }
};
GAME_IMPLEMENT_CLASS(LootIdMonster, Monster)

namespace {

struct MonsterImagePacket : NetPacket {
    MonsterImagePacket() : NetPacket(40) {}
    uint32_t PrepareOutBuffer() override { return 0; }
    bool CopyInbound(const unsigned char*, int) override { return true; }
    std::string GetPacketDescription(bool) override { return "bare"; }
};

using MonsterBytes = std::vector<uint8_t>;
constexpr const char* kSkillRecord = "Records/Test/ImageSkill.dbr";

class MonsterReplicationTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerMonster,\n");
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs.push_back(line.text); });
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        CharacterWorldTest::TearDown();
    }
    bool Logged(const std::string& part) const
    {
        return std::any_of(logs.begin(), logs.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    LootIdMonster* MakeSource()
    {
        auto* monster = Make<LootIdMonster>("", "LootIdMonster");
        monster->SetTeam(TeamManager::BuildTeam(3, 7));
        monster->SetCurrentLife(40.0f);
        monster->SetProxyParent("P.dbr");
        monster->SetProxyNumSiblings(2);
        monster->SetIds(100, 1);
        return monster;
    }
    LogSink previousSink;
    std::vector<std::string> logs;

    static MonsterBytes Image(const Monster& monster)
    {
        MonsterImagePacket packet;
        NetPacketOutBuffer out(&packet);
        monster.WriteReplicationData(out);
        const uint32_t size = out.Done();
        EXPECT_GT(size, 0u);
        return MonsterBytes(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
    }
    static bool Read(Monster& monster, const MonsterBytes& image)
    {
        NetPacketHeader header{40};
        NetPacketInBuffer in(&header, image.data(), static_cast<int>(image.size()));
        return monster.ReadReplicationData(in);
    }
};

void PutU16(MonsterBytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutU32(MonsterBytes& out, uint32_t value)
{
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

TEST_F(MonsterReplicationTest, ReplicationImageGoldenBytesAndWhatItCosts)
{
    LootIdMonster* source = MakeSource();
    const uint16_t seed = source->GetLootInfo().seed;
    // Packet type; flags (Alive, visible, alive, tainted, consecutive ids); action state,
    // life 40.0, mana, leader; two siblings; "P.dbr"; team 3/7 in its short form; four
    // empty lists; the seeds and the first id.
    MonsterBytes golden = {0x28, 0x00, 0xda, 0, 0, 0, 0, 0x00, 0x00, 0x20, 0x42, 0, 0, 0, 0, 0, 0, 0, 0,
                           0x02, 0x05, 0x00, 'P', '.', 'd', 'b', 'r', 0x0f, 0x07, 0, 0, 0, 0};
    PutU16(golden, seed);
    PutU16(golden, 0);
    PutU32(golden, 100);
    ASSERT_EQ(Image(*source), golden);

    // Nine consecutive ids cost one; eight more otherwise.
    source->SetIds(100, 2);
    EXPECT_EQ(Image(*source).size(), golden.size() + 32);
    source->SetIds(100, 1);

    // A dead monster sends neither seeds nor ids.
    source->SetLifeState(Character_LifeState_Dead);
    const MonsterBytes dead = Image(*source);
    EXPECT_EQ(dead.size(), golden.size() - 8);
    EXPECT_EQ(dead[2] & 0x17, Character_LifeState_Dead);
    source->SetLifeState(Character_LifeState_Alive);

    // More than 255 siblings, skills or buffs are sent as 255 (each count is one byte),
    // logged, and the image still reads whole.
    source->SetProxyNumSiblings(300);
    RecordDatabase::Get().RegisterRecord(kSkillRecord, "Class,Skill,\nskillMaxLevel,10,\n");
    std::vector<SkillManager::_SkillBuffReplica> buffs(300);
    for (int i = 0; i < 300; ++i) {
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkillRecord);
        ASSERT_NE(skill, nullptr);
        skill->SetSkillLevel(1);
        source->GetSkillManager().AddSkill(skill);
        buffs[i].buff.skillName = "Records/Test/Buff" + std::to_string(i) + ".dbr";
        RecordDatabase::Get().RegisterRecord(buffs[i].buff.skillName, "Class,Skill,\nskillMaxLevel,10,\n");
    }
    source->GetSkillManager().SetSkillBuffReplica(buffs);
    logs.clear();
    const MonsterBytes full = Image(*source);
    EXPECT_EQ(full[19], 255);
    EXPECT_TRUE(Logged("300 proxy siblings sent as 255"));
    EXPECT_TRUE(Logged("300 skills, only the first 255 are sent"));
    EXPECT_TRUE(Logged("300 buffs, only the first 255 are sent"));
    auto* copy = Make<Monster>();
    ASSERT_TRUE(Read(*copy, full));
    EXPECT_EQ(copy->GetReplicationRecord()->proxySiblings, 255u);
    EXPECT_EQ(copy->GetReplicationRecord()->skills.size(), 255u);
    EXPECT_EQ(copy->GetReplicationRecord()->skillBuffs.size(), 255u);
}

TEST_F(MonsterReplicationTest, ReplicationRoundTripRebuildsTheMonsterAndKeepsOnlyTheLastRead)
{
    LootIdMonster* source = MakeSource();
    const MonsterBytes image = Image(*source);
    auto* copy = Make<Monster>();
    ASSERT_TRUE(Read(*copy, image));
    const Monster::ReplicationRecord* held = copy->GetReplicationRecord();
    ASSERT_NE(held, nullptr);
    for (size_t k = 0; k < 9; ++k)
        EXPECT_EQ(held->itemIds[k], 100 + k);

    // A second read replaces the first.
    source->SetProxyParent("Q.dbr");
    ASSERT_TRUE(Read(*copy, Image(*source)));
    EXPECT_EQ(copy->GetReplicationRecord()->proxyParent, "Q.dbr");
    copy->ApplyReplicationData();
    EXPECT_EQ(copy->GetReplicationRecord(), nullptr);
    EXPECT_FLOAT_EQ(copy->GetCurrentLife(), 40.0f);
    EXPECT_EQ(copy->GetTeam().GetTeamMajor(), 3u);
    EXPECT_EQ(copy->GetLootInfo().seed, source->GetLootInfo().seed);
    EXPECT_EQ(copy->GetLootInfo().itemIds, source->GetLootInfo().itemIds);
    EXPECT_EQ(Image(*copy), Image(*source));
}

// The same image applied twice (a peer sends it again after a blow): the worn items are
// made once, and the second image makes none again under the ids in use.
TEST_F(MonsterReplicationTest, AnImageAppliedAgainMakesItsLootOnce)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/ImageHelm.dbr", "Class,ArmorProtective_Head,\n");
    const std::string helmet =
        "chanceToEquipHead,100,\nlootHeadItem1,Records/Test/ImageHelm.dbr,\nchanceToEquipHeadItem1,1,\n";
    auto* source = Make<LootIdMonster>(helmet, "LootIdMonster");
    source->SetIds(0x00F00000, 1);
    auto* copy = Make<Monster>(helmet);
    const size_t objects = ObjectManager::Get().GetObjectCount();
    ASSERT_TRUE(Read(*copy, Image(*source)));
    copy->ApplyReplicationData();
    ASSERT_NE(ObjectManager::Get().GetObject(0x00F00000), nullptr);   // the helm, under the image's id
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects + 1);

    logs.clear();
    source->SetCurrentLife(20.0f);
    ASSERT_TRUE(Read(*copy, Image(*source)));
    copy->ApplyReplicationData();
    EXPECT_FLOAT_EQ(copy->GetCurrentLife(), 20.0f);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects + 1);
    EXPECT_FALSE(Logged("already in use"));
}

TEST_F(MonsterReplicationTest, ACutOrForgedImageAppliesNothing)
{
    LootIdMonster* source = MakeSource();
    MonsterBytes image = Image(*source);
    auto* copy = Make<Monster>();
    const MonsterBytes before = Image(*copy);
    for (size_t size = 2; size < image.size(); ++size) {
        const MonsterBytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(Read(*copy, cut)) << size;
        EXPECT_EQ(copy->GetReplicationRecord(), nullptr);
        copy->ApplyReplicationData();
    }
    EXPECT_TRUE(Logged("Attempt to Apply NULL replication data."));
    // Life states 6 and 7 do not exist; nor does an action state past Dying.
    for (uint8_t life : {6, 7}) {
        MonsterBytes forged = image;
        forged[2] = static_cast<uint8_t>((forged[2] & ~0x07) | life);
        EXPECT_FALSE(Read(*copy, forged));
    }
    MonsterBytes forged = image;
    forged[3] = 15;
    EXPECT_FALSE(Read(*copy, forged));
    // A count byte raised past what follows.
    for (size_t at : {29u, 30u, 31u, 32u}) {
        forged = image;
        forged[at] = 1;
        EXPECT_FALSE(Read(*copy, forged)) << at;
    }
    copy->ApplyReplicationData();
    EXPECT_EQ(Image(*copy), before);
}

// ---- Level state ---------------------------------------------------------------------

TEST_F(MonsterReplicationTest, LevelStateGoldenBytesAndRoundTrip)
{
    LootIdMonster* source = MakeSource();
    source->SetPoppedOut(true);
    const uint16_t seed = source->GetLootInfo().seed;
    BinaryWriter writer;
    source->SaveState(writer);
    MonsterBytes golden;
    PutU32(golden, Character_LifeState_Alive);
    PutU16(golden, seed);
    PutU16(golden, 0);
    PutU32(golden, 0);
    PutU32(golden, 5);
    for (char c : std::string("P.dbr"))
        golden.push_back(static_cast<uint8_t>(c));
    PutU32(golden, 2);
    golden.resize(golden.size() + 5 * 4 + 8, 0);   // the drop item: id 0, four empty names, seed, var1
    PutU32(golden, 1);
    ASSERT_EQ(MonsterBytes(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength()), golden);

    auto* copy = Make<Monster>();
    BinaryReader reader(golden.data(), golden.size());
    copy->RestoreState(reader);
    EXPECT_EQ(copy->GetLootInfo().seed, seed);
    EXPECT_TRUE(copy->GetPoppedOut());
    BinaryWriter again;
    copy->SaveState(again);
    EXPECT_EQ(MonsterBytes(again.GetBuffer(), again.GetBuffer() + again.GetLength()), golden);

    // A restored leader is joined again only by a living monster.
    auto* leader = Make<Monster>();
    leader->SetTeam(TeamManager::BuildTeam(5, 1));
    source->JoinMe(leader->GetObjectId(), -1, false);
    ASSERT_EQ(source->GetLeader(), leader->GetObjectId());
    for (Character_LifeState life : {Character_LifeState_Alive, Character_LifeState_Dead}) {
        source->SetLifeState(life);
        BinaryWriter led;
        source->SaveState(led);
        auto* follower = Make<Monster>();
        BinaryReader ledReader(led.GetBuffer(), led.GetLength());
        follower->RestoreState(ledReader);
        const bool alive = life == Character_LifeState_Alive;
        EXPECT_EQ(follower->GetLeader(), alive ? leader->GetObjectId() : 0u) << life;
        EXPECT_EQ(follower->GetTeam().GetTeamMajor() == 5u, alive) << life;
    }
}

TEST_F(MonsterReplicationTest, ARejectedProxyParentLeavesTheRestAndADeadMonsterGetsNoLoot)
{
    for (uint32_t length : {0x100001u, 40u}) {
        MonsterBytes image;
        PutU32(image, Character_LifeState_Dead);
        PutU16(image, 1234);
        PutU16(image, 3);
        PutU32(image, 0);
        PutU32(image, length);
        image.resize(image.size() + 8, 0);
        PutU32(image, 9);    // siblings, read only if the parent were sound
        PutU32(image, 1);
        auto* copy = Make<Monster>();
        const uint16_t rolled = copy->GetLootInfo().seed;
        logs.clear();
        BinaryReader reader(image.data(), image.size());
        copy->RestoreState(reader);
        EXPECT_EQ(copy->GetLifeState(), Character_LifeState_Dead);
        EXPECT_EQ(copy->GetLootInfo().seed, rolled) << "a dead monster rebuilds no loot";
        EXPECT_FALSE(copy->GetPoppedOut());
        EXPECT_TRUE(Logged("proxy parent rejected"));
    }
}

}  // namespace
}  // namespace GAME
