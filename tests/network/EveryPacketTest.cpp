// Every packet class: registered under its type number, written and read back to the
// same bytes and description with sample values in every field, copied whole, and
// refused when cut short at any byte.
#include <gtest/gtest.h>

#include "Engine/ChatPacket.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

using AllPackets = ::testing::Types<
    // gold, bonus and party
    JoinPartyConfigCmdPacket, InvitePartyConfigCmdPacket, GiveGoldPacket, BonusToClientPacket, BonusToServerPacket,
    // game and world
    FrustumUpdatePacket, WorldInitPacket, RemoteMessagePacket, RemoteWMessagePacket, PlayerPositionUpdatePacket,
    PartyRequestResponsePacket, SpawnPlayerPacket, CreateEntityPacket, ServerSpawnCompletePacket, AckEntityPacket,
    NackEntityPacket, WarpEntityPacket, NRLoaderStatePacket, StartServerRespawnPacket, UpdatePositionPacket,
    // player roster
    AllPlayersHeartbeatPacket, SinglePlayerHeartbeatPacket, AllPlayersBasicInfoPacket, SinglePlayerBasicInfoPacket,
    PlayerLeftPacket,
    // items, trade, markets and teleports
    CreateItemPacket, TradeInitiatePacket, TradeCancelPacket, TradeSetGoldPacket, TradeAddItemPacket,
    TradeRemoveItemPacket, TradeFinalizePacket, CreateItemTeleportPacket, DestroyItemTeleportPacket,
    StartTeleportPacket, MarketC2SUpdateRequestPacket, MarketC2SSellBackPacket, MarketC2SPurchaseRequestPacket,
    MarketS2CStatusUpdatePacket, MarketS2CPurchaseDeniedPacket, MarketS2CPurchaseConfirmationPacket,
    MarketS2CUpdatePacket,
    // quests and game balance
    QuestMessagePacket, QuestCommandMovePacket, QuestCommandWalkPacket, QuestCommandPlayAnimationPacket,
    QuestCommandUseSkillPacket, QuestCommandLockFixedItemPacket, GameBalanceUpdatePacket,
    // actor config commands
    IncBaseStrengthConfigCmdPacket, IncBaseDexterityConfigCmdPacket, IncBaseIntelligenceConfigCmdPacket,
    ReleaseTrapConfigCmdPacket, ReleaseStunConfigCmdPacket, ReleaseImmobilizeConfigCmdPacket,
    QuestMoveCompletedConfigCmdPacket, QuestAnimationCompletedConfigCmdPacket,
    DisableTyphonSkillEffectsConfigCmdPacket, DetachItemConfigCmdPacket, ReleasePetConfigCmdPacket,
    RemoveInventoryItemConfigCmdPacket, PlaySoundConfigCmdPacket, IncBaseLifeConfigCmdPacket,
    IncBaseManaConfigCmdPacket, ShowCharacterConfigCmdPacket, SetCausesAngerConfigCmdPacket,
    SetInvincibleConfigCmdPacket, FixedItemTargetConfigCmdPacket, FixedItemSkillTargetConfigCmdPacket,
    StrategicMovementTargetConfigCmdPacket, AttachItemConfigCmdPacket, DropItemConfigCmdPacket,
    DropItemFromEquipLocConfigCmdPacket, UseItemConfigCmdPacket, UseRelicConfigCmdPacket, PickupItemConfigCmdPacket,
    FixedItemStateChangeConfigCmdPacket, RequestAllyAttackConfigCmdPacket, RequestAllyMoveConfigCmdPacket,
    StartStopDamageEffectConfigCmdPacket, SetTeamConfigCmdPacket, CreateRemoveSkillBuffConfigCmdPacket,
    SkillTargetResultConfigCmdPacket, CreateProjectileConfigCmdPacket, SpawnObjectConfigCmdPacket,
    SkillStateUpdateConfigCmdPacket, SkillActiveStateUpdateConfigCmdPacket, ActivateSkillConfigCmdPacket,
    // character actions
    IdleActionPacket, LongIdleActionPacket, MoveToPacket, WalkPacket, PickUpItemPacket, UseItemPacket, AttackPacket,
    TakeStunPacket, ImmobilizePacket, TakeTrapPacket, DiePacket, ChatActionPacket, PlayAnimationActionPacket,
    EngageNpcPacket, SpawnActionPacket, RespawnPacket,
    // the engine's own
    ChatPacket>;
constexpr size_t kPacketClassCount = 105;
constexpr NetPacketType kFirstTestPacketType = 200;   // test programs register their own from here

template <class T>
class EveryPacketTest : public PacketTest {
protected:
    // A packet with every field filled; the seed varies the values.
    static T Sample(uint32_t seed)
    {
        T packet;
        SampleFiller filler(seed);
        packet.Fields(filler);
        return packet;
    }

    LogCapture m_log;   // the spawn packet logs each write
};
TYPED_TEST_SUITE(EveryPacketTest, AllPackets);

TYPED_TEST(EveryPacketTest, IsRegisteredUnderItsTypeNumber)
{
    std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(TypeParam::kType);
    ASSERT_NE(packet, nullptr);
    EXPECT_TRUE(packet->GetClassInfo().IsSame(&TypeParam::GetStaticClassInfo()));
    EXPECT_TRUE(packet->GetClassInfo().IsA(&NetPacket::GetStaticClassInfo()));
    EXPECT_EQ(packet->GetType(), TypeParam::kType);
}

TYPED_TEST(EveryPacketTest, ReadsBackWhatItWrote)
{
    for (uint32_t seed : {1u, 77u, 4096u}) {
        TypeParam sent = this->Sample(seed);
        const Bytes bytes = Written(sent);
        ASSERT_GE(bytes.size(), NetLimits::kHeaderSize);
        if (bytes.size() > NetLimits::kHeaderSize) {
            EXPECT_NE(bytes, Written(TypeParam{}));   // the sample fills every field
        }
        TypeParam received;
        ASSERT_TRUE(ReadInto(received, bytes)) << received.GetReadError();
        EXPECT_EQ(Written(received), bytes);
        EXPECT_EQ(received.GetPacketDescription(true), sent.GetPacketDescription(true));
    }
}

TYPED_TEST(EveryPacketTest, CopiesEveryField)
{
    TypeParam sent = this->Sample(5);
    const Bytes bytes = Written(sent);
    TypeParam copied(sent);
    EXPECT_EQ(Written(copied), bytes);
    TypeParam assigned;
    assigned = sent;
    EXPECT_EQ(Written(assigned), bytes);
}

TYPED_TEST(EveryPacketTest, RefusesEveryCut)
{
    const Bytes bytes = Written(this->Sample(9));
    for (size_t size = 0; size < bytes.size(); ++size) {
        TypeParam received;
        EXPECT_FALSE(received.CopyInbound(bytes.data(), static_cast<int>(size))) << "cut at " << size;
    }
}

TYPED_TEST(EveryPacketTest, RefusesAnotherTypesHeader)
{
    Bytes bytes = Written(this->Sample(3));
    bytes[0] ^= 0x40;
    TypeParam received;
    EXPECT_FALSE(ReadInto(received, bytes));
}

TEST(PacketRegistryTest, HoldsEveryPacketClassAndNoOther)
{
    size_t count = 0;
    for (NetPacketType type : NetPacketRegistry::Get().GetTypes())
        count += type < kFirstTestPacketType;
    EXPECT_EQ(count, kPacketClassCount);
}

}  // namespace
}  // namespace GAME
