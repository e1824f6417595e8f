// The merchant: its keys and marker, its shop made and taken with the level, and what a
// player's talk does (the shop event, the company, the pak's modes).
#include "characters/CharacterWorldFixture.h"
#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/GameEvents.h"
#include "Game/quests/DialogPak.h"

namespace GAME {
namespace {

class ShopEvents : public EventHandlerInterface {
public:
    void HandleEvent(const GameEvent& event, const Name&) override
    {
        const auto& activate = static_cast<const GameEvent_ActivateNPCMarket&>(event);
        seen.emplace_back(activate.merchantId, activate.playerId);
    }
    std::vector<std::pair<uint32_t, uint32_t>> seen;
};

class NpcMerchantTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerAI,\n");
        for (const char* marker : {NpcMerchant::kShieldGeneral, NpcMerchant::kShieldMage, NpcMerchant::kShieldMelee})
            records.RegisterRecord(marker, "Class,Actor,\n");
        records.RegisterRecord(kPak, "Class,MerchantDialogPak,\nlength,2.5,\n");
        records.RegisterRecord(kTalk, "Class,NpcDialogPak,\n");
        EventManager::Get().Register("GameEvent_ActivateNPCMarket", &events);
    }
    void TearDown() override
    {
        EventManager::Get().UnRegisterAll(&events);
        gEngine->SetEditorMode(false);
        CharacterWorldTest::TearDown();
    }
    NpcMerchant* Merchant(const std::string& keys) { return Make<NpcMerchant>(keys, "NpcMerchant"); }
    const MerchantDialogPak* Pak(const NpcMerchant& merchant) const
    {
        return DynamicCast<MerchantDialogPak>(merchant.GetDialogPak());
    }

    static constexpr const char* kPak = "Records/Test/ShopPak.dbr";
    static constexpr const char* kTalk = "Records/Test/Talk.dbr";
    ShopEvents events;
};

TEST_F(NpcMerchantTest, KeysKindAndMarker)
{
    GameInfo::Get().SetGameDifficulty(GameDifficulty_Epic);
    NpcMerchant* mage = Merchant("marketFileName,Normal.dbr;Epic.dbr,\nmerchantType,Mage,\n");
    EXPECT_EQ(mage->GetMarketName(), "Epic.dbr");
    EXPECT_EQ(mage->GetMerchantType(), MarketMerchantType_Mage);
    EXPECT_EQ(mage->GetPunctuationRecord(), NpcMerchant::kShieldMage);
    EXPECT_EQ(mage->GetDialogType(), NpcMerchant::kMerchantDialogType);
    EXPECT_TRUE(mage->IsOfInterest());

    // The kind is an exact word; a difficulty past the list has no market.
    NpcMerchant* lower = Merchant("marketFileName,Normal.dbr,\nmerchantType,mage,\n");
    EXPECT_EQ(lower->GetMarketName(), "");
    EXPECT_EQ(lower->GetMerchantType(), MarketMerchantType_Generic);
    EXPECT_EQ(lower->GetPunctuationRecord(), NpcMerchant::kShieldGeneral);
    EXPECT_EQ(Merchant("merchantType,Melee,\n")->GetPunctuationRecord(), NpcMerchant::kShieldMelee);
    gEngine->SetEditorMode(true);
    EXPECT_EQ(Merchant("merchantType,Melee,\n")->GetPunctuation(), nullptr);
    gEngine->SetEditorMode(false);

    // The rollover: the name, " - " and the kind's text.
    LocalizationManager::Instance().RegisterTags("SimpleStringFormat=%s\ntagArms=Arms\n");
    NpcMerchant* arms = Merchant("merchantTypeTag,tagArms,\n");
    arms->SetObjectName("Hector");
    EXPECT_EQ(arms->GetRolloverDescription(), u"Hector - Arms");
    LocalizationManager::Instance().Clear();
}

TEST_F(NpcMerchantTest, TheShopLivesWhileTheMerchantIsInTheLevel)
{
    GameEngineClientServicesModule& clients = *engine->GetClientServices();
    auto& servers = static_cast<GameEngineServerServicesModule&>(*engine->GetServerServices());
    NpcMerchant* merchant = Merchant("");
    const uint32_t id = merchant->GetObjectId();
    EXPECT_EQ(clients.GetMarketClient(id), nullptr);
    EXPECT_EQ(servers.GetMarketServer(id), nullptr);   // not in the level: no market

    Place(merchant);
    EXPECT_NE(clients.GetMarketClient(id), nullptr);
    EXPECT_NE(servers.GetMarketServer(id), nullptr);
    EXPECT_EQ(servers.GetNumMarketServers(), 1u);
    std::vector<Character::DetailMapEntry> map;
    merchant->AppendDetailMapData(map);
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].kind, NpcMerchant::kMapEntryMerchant);

    World::Get().RemoveEntity(merchant);
    EXPECT_EQ(clients.GetMarketClient(id), nullptr);
}

TEST_F(NpcMerchantTest, TalkOpensTheShopAndPlaysTheLocalPlayersGreeting)
{
    Player* player = MakeMainPlayer();
    NpcMerchant* merchant = Place(Merchant(std::string("dialogPak,") + kPak + ",\n"));
    Frame();
    ASSERT_NE(Pak(*merchant), nullptr);
    EXPECT_EQ(Pak(*merchant)->GetDialogSelector(), MerchantDialogPak::kSelectorLong);

    // Another player gets the shop but not the greeting.
    merchant->OnPlayerInteract(77, false, false);
    EXPECT_EQ(Pak(*merchant)->GetPlayCount(), 0);
    merchant->OnPlayerInteract(player->GetObjectId(), false, false);
    EXPECT_EQ(Pak(*merchant)->GetPlayCount(), 1);
    EXPECT_EQ(merchant->GetConversationTimer(), 2500);
    const uint32_t id = merchant->GetObjectId();
    EXPECT_EQ(events.seen, (std::vector<std::pair<uint32_t, uint32_t>>{{id, 77}, {id, player->GetObjectId()}}));
    EXPECT_TRUE(merchant->IsChattingWithPlayer(77));
    EXPECT_TRUE(merchant->IsChattingWithPlayer(player->GetObjectId()));

    Frame(1000);
    EXPECT_TRUE(merchant->WasChatting());
    EXPECT_EQ(Pak(*merchant)->GetDialogSelector(), MerchantDialogPak::kSelectorShort);
    Frame(1500);
    EXPECT_EQ(Pak(*merchant)->GetDialogSelector(), MerchantDialogPak::kSelectorLong);
    merchant->Dialog_Goodbye();
    EXPECT_EQ(Pak(*merchant)->GetDialogSelector(), MerchantDialogPak::kSelectorGoodbye);

    // Only a merchant's pak replaces the standing one.
    merchant->Dialog_ReplaceStatic(kTalk, nullptr, false);
    EXPECT_EQ(merchant->GetDialogPak(), nullptr);
    EXPECT_TRUE(merchant->IsInteractionStateChanged());
    merchant->Dialog_ReplaceStatic(kPak, nullptr, false);
    EXPECT_NE(Pak(*merchant), nullptr);
}

}  // namespace
}  // namespace GAME
