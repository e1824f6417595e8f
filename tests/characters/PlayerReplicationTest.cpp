// The player's image: its bytes, what a reader keeps of a broken one, what applying it
// does, and the copies made through it.
#include <cmath>
#include <cstring>
#include <limits>

#include "characters/CharacterWorldFixture.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"

namespace GAME {

namespace {

using Bytes = std::vector<unsigned char>;

// Byte offsets in the image of an unplaced player with an empty name (header first).
constexpr size_t kCurrentLifeAt = 56;
constexpr size_t kCurrentManaAt = 60;
constexpr size_t kBaseLifeAt = 65;
constexpr size_t kBaseIntelligenceAt = 81;
constexpr size_t kDamageCountAt = 111;   // with an empty texture

class PlayerReplicationTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        RecordDatabase::Get().RegisterRecord(kRing, "Class,ItemEquipment,\n");
    }
    Player* NewPlayer() { return Make<Player>("", "Player"); }
    // The player's image as a peer receives it.
    Bytes Image(Player& player)
    {
        const std::unique_ptr<NetPacket> packet = player.CreateSpawnNetPacket();
        NetPacketOutBuffer out(packet.get());
        player.WriteReplicationData(out);
        const uint32_t size = out.Done();
        EXPECT_GT(size, 0u);
        return Bytes(packet->GetOutBuffer(), packet->GetOutBuffer() + size);
    }
    bool Read(Player& player, const Bytes& bytes, size_t size)
    {
        NetPacketHeader header{30};
        NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(size));
        return player.ReadReplicationData(in) && in.Finish();
    }
    bool Read(Player& player, const Bytes& bytes) { return Read(player, bytes, bytes.size()); }
    static void Patch(Bytes& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
    static void PatchFloat(Bytes& bytes, size_t at, float value) { std::memcpy(&bytes[at], &value, 4); }

    static constexpr const char* kRing = "Records/Test/Ring.dbr";
};

TEST_F(PlayerReplicationTest, GoldenImageOfASmallPlayer)
{
    Player* player = NewPlayer();
    player->SetPlayerName(u"Ab");
    player->GetCharacterBio().RestoreCurrentBioStats({50, 20, true, 100, 40, 11, 12, 13}, true);
    Team team;
    team.Set(kTeamMajorHuman, 1);
    player->SetTeam(team);
    player->GetLevelControl().SetLevelAndExperience(3, 250);
    player->SetCurrentMoney(7);
    player->SetPlayerTexture("T");
    player->SetActionState(Character_ActionState_Idle);
    const Bytes expected = {
        30, 0,                                      // header: the spawn packet's type
        2, 0, 'A', 0, 'b', 0,                       // name: 2 units
        0, 0, 0, 0,                                 // coordinates: no region
        0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0,   //   x axis (1, 0, 0)
        0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0,   //   y axis (0, 1, 0)
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F,   //   z axis (0, 0, 1)
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,         //   origin
        0, 0, 0x48, 0x42,                           // current life 50.0
        0, 0, 0xA0, 0x41,                           // current mana 20.0
        1,                                          // bio tainted
        0, 0, 0xC8, 0x42,                           // base life 100.0
        0, 0, 0x20, 0x42,                           // base mana 40.0
        0, 0, 0x30, 0x41,                           // base strength 11.0
        0, 0, 0x40, 0x41,                           // base dexterity 12.0
        0, 0, 0x50, 0x41,                           // base intelligence 13.0
        2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,         // team: major 2, minor 1, set, filler
        3, 0, 0, 0,                                 // level
        250, 0, 0, 0,                               // experience
        7, 0, 0, 0,                                 // money
        1, 0, 'T',                                  // texture
        0, 0, 0, 0,                                 // damage over time: none
        0, 0, 0, 0,                                 // fixed damage over time: none
        0, 0, 0, 0,                                 // skills: none
        0, 0, 0, 0,                                 // skill buffs: none
        0, 0, 0, 0,                                 // inventory: none
        3, 0, 0, 0,                                 // action state: idle
        0,                                          // not moving: no path fields
    };
    EXPECT_EQ(Image(*player), expected);

    Player* peer = NewPlayer();
    ASSERT_TRUE(Read(*peer, expected));
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetPlayerName(), u"Ab");
    EXPECT_EQ(peer->GetTeam(), team);
    EXPECT_EQ(peer->GetCharLevel(), 3u);
    EXPECT_EQ(peer->GetCurrentMoney(), 7u);
    EXPECT_EQ(peer->GetPlayerTexture(), "T");
    CharacterBioReplicaInfo bio;
    peer->GetCharacterBio().GetCurrentBioStats(bio);
    EXPECT_EQ(bio.baseIntelligence, 13u);   // not the base life
    EXPECT_EQ(bio.baseLife, 100u);
    EXPECT_TRUE(bio.tainted);
    EXPECT_EQ(peer->GetReplicationRecord(), nullptr);
}

// The path fields go only with a moving player; a reader leaves them at their defaults.
TEST_F(PlayerReplicationTest, OnlyAMovingPlayerWritesItsPath)
{
    Player* player = NewPlayer();
    const Bytes still = Image(*player);
    Player* peer = NewPlayer();
    ASSERT_TRUE(Read(*peer, still));
    EXPECT_FALSE(peer->GetReplicationRecord()->isMoving);
    EXPECT_EQ(peer->GetReplicationRecord()->attackTargetId, 0u);
    EXPECT_EQ(peer->GetReplicationRecord()->pathTarget.GetRegion(), nullptr);

    player->SetActionState(Character_ActionState_Move);
    const Bytes moving = Image(*player);
    EXPECT_EQ(moving.size(), still.size() + 16 + 4 + 4);
    ASSERT_TRUE(Read(*peer, moving));
    EXPECT_TRUE(peer->GetReplicationRecord()->isMoving);
}

// A second read frees the first record; apply without one warns and changes nothing.
TEST_F(PlayerReplicationTest, ReadingTwiceKeepsTheSecondAndApplyNeedsARecord)
{
    Player* first = NewPlayer();
    first->SetPlayerName(u"First");
    Player* second = NewPlayer();
    second->SetPlayerName(u"Second");
    Player* peer = NewPlayer();
    peer->SetPlayerName(u"Peer");
    ASSERT_TRUE(Read(*peer, Image(*first)));
    ASSERT_TRUE(Read(*peer, Image(*second)));
    EXPECT_EQ(peer->GetReplicationRecord()->playerName, u"Second");
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetPlayerName(), u"Second");

    LogCapture log;
    peer->SetPlayerName(u"Peer");
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetPlayerName(), u"Peer");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].text, "Player::ApplyReplicationData: Attempt to apply NULL replication data.");
}

// A peer's seven bio values are floats: NaN and negatives give 0, values above the range
// the largest.
TEST_F(PlayerReplicationTest, APeersBioValuesAreBoundedWhenApplied)
{
    Bytes image = Image(*NewPlayer());
    PatchFloat(image, kCurrentLifeAt, std::numeric_limits<float>::quiet_NaN());
    PatchFloat(image, kCurrentManaAt, -5.0f);
    PatchFloat(image, kBaseLifeAt, 1e20f);
    PatchFloat(image, kBaseIntelligenceAt, -std::numeric_limits<float>::infinity());
    Player* peer = NewPlayer();
    ASSERT_TRUE(Read(*peer, image));
    peer->ApplyReplicationData();
    CharacterBioReplicaInfo bio;
    peer->GetCharacterBio().GetCurrentBioStats(bio);
    EXPECT_EQ(bio.currentLife, 0u);
    EXPECT_EQ(bio.currentMana, 0u);
    EXPECT_EQ(bio.baseLife, UINT32_MAX);
    EXPECT_EQ(bio.baseIntelligence, 0u);
}

// Counts are signed: 0 or less reads nothing; one the bytes left cannot hold fails before
// anything is allocated, and a failed read keeps no record.
TEST_F(PlayerReplicationTest, CountsAreSignedAndBoundedByTheBytesLeft)
{
    const Bytes image = Image(*NewPlayer());
    Player* peer = NewPlayer();
    Bytes negative = image;
    Patch(negative, kDamageCountAt, static_cast<uint32_t>(-5));
    EXPECT_TRUE(Read(*peer, negative));
    EXPECT_TRUE(peer->GetReplicationRecord()->damage.empty());

    for (uint32_t count : {1u, 1000u, 0x7FFFFFFFu}) {
        Bytes large = image;
        Patch(large, kDamageCountAt, count);
        EXPECT_FALSE(Read(*peer, large));
        EXPECT_EQ(peer->GetReplicationRecord(), nullptr);
    }
}

// Every cut of a full image fails cleanly, leaving nothing to apply.
TEST_F(PlayerReplicationTest, AnImageCutAtEveryByteFailsWithNothingApplied)
{
    Player* player = NewPlayer();
    player->SetPlayerName(u"Whole");
    player->GetDurationDamageMgr().SetDamageReplica({{CombatAttributeType_Fire, 9, {{5.0f, 20.0f}}}});
    player->GetDurationDamageMgr().SetFixedDamageReplica({{CombatAttributeType_Fire, {{2.0f, 3.0f}}}});
    Item* ring = Item::CreateItem(ItemReplicaInfo{0, kRing, "", "", "", "", 5, 0});
    ASSERT_NE(ring, nullptr);
    player->GetInventory().AddItemToInventory(ring->GetObjectId(), false);
    player->SetActionState(Character_ActionState_Walk);
    const Bytes image = Image(*player);

    Player* peer = NewPlayer();
    peer->SetPlayerName(u"Peer");
    LogCapture log;
    for (size_t size = 0; size < image.size(); ++size) {
        EXPECT_FALSE(Read(*peer, image, size)) << size;
        EXPECT_EQ(peer->GetReplicationRecord(), nullptr);
    }
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetPlayerName(), u"Peer");
    EXPECT_TRUE(peer->GetInventoryItems().empty());
    ASSERT_TRUE(Read(*peer, image));
    EXPECT_EQ(peer->GetReplicationRecord()->damage.size(), 1u);
    EXPECT_EQ(peer->GetReplicationRecord()->fixedDamage.size(), 1u);
    EXPECT_EQ(peer->GetReplicationRecord()->inventory.size(), 1u);
}

// A copy's items are its own: the record it reads holds item ids 0; the paper doll wears
// copies of the player's items.
TEST_F(PlayerReplicationTest, ACopyGetsItemsOfItsOwn)
{
    Player* player = Place(NewPlayer());
    player->SetIsControllingCharacter(true);
    player->SetPlayerName(u"Original");
    Item* ring = Item::CreateItem(ItemReplicaInfo{0, kRing, "", "", "", "", 5, 0});
    player->GetInventory().AddItemToInventory(ring->GetObjectId(), false);
    player->AttachItemAction(ring->GetObjectId(), EquipLocation_Finger);
    const Bytes image = Image(*player);

    Player* peer = NewPlayer();
    ASSERT_TRUE(Read(*peer, image));
    EXPECT_EQ(peer->GetReplicationRecord()->inventory.at(0).info.objectId, ring->GetObjectId());
    Player* copy = NewPlayer();
    copy->SetIsACopy(true);
    ASSERT_TRUE(Read(*copy, image));
    EXPECT_EQ(copy->GetReplicationRecord()->inventory.at(0).info.objectId, 0u);

    player->CreatePaperDoll();
    Player* doll = player->GetPaperDoll();
    ASSERT_NE(doll, nullptr);
    EXPECT_TRUE(doll->IsACopy());
    EXPECT_EQ(doll->GetPlayerName(), u"Original");
    ASSERT_EQ(doll->GetAttachedItems().size(), 1u);
    EXPECT_NE(doll->GetAttachedItems()[0], ring->GetObjectId());
    EXPECT_EQ(Player::CreateCopy(player->GetObjectId()), nullptr);   // not an item
}

// The skill forms: flags only 0 or 1, filler zeros, a buff's caster and time left travel.
TEST_F(PlayerReplicationTest, SkillReplicasTravelFieldByField)
{
    using Skills = std::vector<SkillManager::_SkillReplica>;
    const Skills skills = {{"Records/Skills/A.dbr", {4, true}, {2, true, false}}};
    const std::unique_ptr<NetPacket> owned = NewPlayer()->CreateSpawnNetPacket();
    NetPacket* packet = owned.get();
    NetPacketOutBuffer out(packet);
    SkillManager::WriteSkillReplicas(out, skills);
    SkillManager::WriteSkillBuffReplicas(out, {{skills[0], {}, {}, 500, 77}});
    const uint32_t size = out.Done();
    Bytes bytes(packet->GetOutBuffer(), packet->GetOutBuffer() + size);
    // Header, count, name (2 + 20), state: level, enabled, three zeros.
    const size_t stateAt = 2 + 4 + 2 + 20;
    EXPECT_EQ(Bytes(bytes.begin() + stateAt, bytes.begin() + stateAt + 16),
              (Bytes{4, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}));

    auto read = [&](const Bytes& data, Skills& outSkills, std::vector<SkillManager::_SkillBuffReplica>& buffs) {
        NetPacketInBuffer in(packet->GetHeader(), data.data(), static_cast<int>(data.size()));
        return SkillManager::ReadSkillReplicas(in, outSkills) && SkillManager::ReadSkillBuffReplicas(in, buffs) &&
               in.Finish();
    };
    Skills readSkills;
    std::vector<SkillManager::_SkillBuffReplica> buffs;
    ASSERT_TRUE(read(bytes, readSkills, buffs));
    EXPECT_EQ(readSkills, skills);
    ASSERT_EQ(buffs.size(), 1u);
    EXPECT_EQ(buffs[0].casterId, 77u);
    EXPECT_EQ(buffs[0].durationMs, 500);   // the time left travels

    Bytes badFlag = bytes;
    badFlag[stateAt + 4] = 2;
    EXPECT_FALSE(read(badFlag, readSkills, buffs));
    EXPECT_TRUE(readSkills.empty());
}

}  // namespace

}  // namespace GAME
