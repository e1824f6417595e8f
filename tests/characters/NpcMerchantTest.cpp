// The merchant: its keys and marker, its shop made and taken with the level, and what a
// player's talk does (the shop event, the company, the pak's modes).
#include "characters/CharacterWorldFixture.h"
#include "Engine/EventManager.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/GameEvents.h"
#include "Game/quests/DialogPak.h"

namespace GAME {
namespace {

using NpcMerchantTest = CharacterWorldTest;

TEST_F(NpcMerchantTest, KeysTheShopWithTheLevelAndTalk)
{
    for (const char* marker : {NpcMerchant::kShieldGeneral, NpcMerchant::kShieldMage, NpcMerchant::kShieldMelee})
        RecordDatabase::Get().RegisterRecord(marker, "Class,Actor,\n");
    RecordDatabase::Get().RegisterRecord("Pak", "Class,MerchantDialogPak,\nlength,2.5,\n");
    GameInfo::Get().SetGameDifficulty(GameDifficulty_Epic);
    const std::string keys = "marketFileName,Normal;Epic,\nmerchantType,mage,\ndialogPak,Pak,\n";
    auto* merchant = Make<NpcMerchant>(keys, "NpcMerchant");
    EXPECT_EQ(merchant->GetMarketName(), "Epic");
    EXPECT_EQ(merchant->GetMerchantType(), MarketMerchantType_Generic);   // the word is exact
    EXPECT_EQ(NpcMerchant::ResolveMerchantType("Mage"), MarketMerchantType_Mage);
    EXPECT_EQ(merchant->GetPunctuationRecord(), NpcMerchant::kShieldGeneral);

    const uint32_t id = merchant->GetObjectId();
    EXPECT_EQ(engine->GetServerServices()->GetMarketServer(id), nullptr);   // not in the level
    Place(merchant);
    Frame();
    EXPECT_NE(engine->GetServerServices()->GetMarketServer(id), nullptr);

    const uint32_t player = MakeMainPlayer()->GetObjectId();
    std::vector<std::pair<uint32_t, uint32_t>> shops;
    auto previous = EventManager::Get().SetSendObserver([&](const GameEvent& event, const Name& name) {
        if (name == Name("GameEvent_ActivateNPCMarket"))
            shops.emplace_back(static_cast<const GameEvent_ActivateNPCMarket&>(event).merchantId,
                               static_cast<const GameEvent_ActivateNPCMarket&>(event).playerId);
    });
    merchant->OnPlayerInteract(77, false, false);   // another player's: no greeting here
    merchant->OnPlayerInteract(player, false, false);
    EventManager::Get().SetSendObserver(previous);
    EXPECT_EQ(shops, (std::vector<std::pair<uint32_t, uint32_t>>{{id, 77}, {id, player}}));
    EXPECT_TRUE(merchant->IsChattingWithPlayer(77));
    const auto* pak = DynamicCast<MerchantDialogPak>(merchant->GetDialogPak());
    ASSERT_NE(pak, nullptr);
    EXPECT_EQ(pak->GetPlayCount(), 1);
    Frame(2499);
    EXPECT_EQ(pak->GetDialogSelector(), MerchantDialogPak::kSelectorShort);
    Frame(1);
    EXPECT_EQ(pak->GetDialogSelector(), MerchantDialogPak::kSelectorLong);

    World::Get().RemoveEntity(merchant);
    EXPECT_EQ(engine->GetClientServices()->GetMarketClient(id), nullptr);
}

}  // namespace
}  // namespace GAME
