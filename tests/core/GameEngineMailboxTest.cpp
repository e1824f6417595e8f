#include "EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"

using namespace GAME;

namespace {

using MailboxTest = EngineTest;

TEST_F(MailboxTest, TutorialPageUnlocksOnceWithOneEvent)
{
    EventCapture events;
    engine->UnlockTutorialPage(5, true);
    engine->UnlockTutorialPage(5, true);
    engine->UnlockTutorialPage(kTutorialPageCount, true);
    EXPECT_EQ(events.Count("GameEvent_TutorialUnlock"), 1u);
    EXPECT_EQ(engine->GetTutorialUnlockList(), (std::vector<uint32_t>{5}));
}

TEST_F(MailboxTest, QueuesDropRepeatsAndGiveDefaultsWhenEmpty)
{
    const auto type = UINotificationType_Default;
    engine->AddUINotificationTag(type, "tagA", false);
    engine->AddUINotificationTag(type, std::vector<std::string>{"tagA"}, false);   // exact repeat
    engine->AddUINotification(type, u"tagA", false);                               // a text, not a tag
    engine->AddUINotificationTag(type, "tagA", false);
    EXPECT_EQ(engine->GetNumNotifications(), 3u);
    engine->AddUINotification(type, std::vector<std::u16string>{u"one", u"two"}, true);
    ASSERT_EQ(engine->GetNumNotifications(), 1u);
    EXPECT_EQ(engine->TakeTopNotification().texts.size(), 2u);
    EXPECT_EQ(engine->TakeTopNotification(), UINotification());

    engine->RegisterPartyRequestResponse(4, true);
    EXPECT_EQ(engine->GetTopPartyRequestResponse().playerId, 4u);
    EXPECT_EQ(engine->GetTopPartyRequestResponse().playerId, 0u);
}

// What peers send fills the notifications, the chat and the portals to their limits only.
TEST_F(MailboxTest, PeersFillTheQueuesToTheirLimitsOnly)
{
    LogCapture log;
    for (size_t i = 0; i <= kMaxQueuedNotifications; ++i) {
        const std::u16string text(1, static_cast<char16_t>(u'a' + i % 2));   // no two alike in a row
        engine->AddUINotification(UINotificationType_PlayerMessage, text, false);
    }
    for (size_t i = 0; i <= kMaxQueuedChatMessages; ++i)
        engine->AddChatMessage(u"peer", u"spam", 0);
    for (uint32_t i = 1; i <= kMaxKnownPortals + 1; ++i)
        engine->CreateFixedItemTeleportNetHook(WorldCoords(), 0x10000000u + i, 0x10001000u + i, "");
    std::vector<ChatMessage> chat;
    engine->RemovePendingMessages(chat);
    EXPECT_EQ(engine->GetNumNotifications(), kMaxQueuedNotifications);
    EXPECT_EQ(chat.size(), kMaxQueuedChatMessages);
    EXPECT_EQ(engine->GetTeleportInfo(0x10001000u + kMaxKnownPortals + 1), nullptr);
    EXPECT_NE(engine->GetTeleportInfo(0x10001000u + kMaxKnownPortals), nullptr);
    EXPECT_EQ(log.Texts().size(), 3u);
}

TEST_F(MailboxTest, AutosaveOffNeedsNoInterface)
{
    EXPECT_FALSE(engine->AutoSave());
    EXPECT_FALSE(engine->SaveQuest(true));
    engine->SetAutoSave(false);
    EXPECT_TRUE(engine->AutoSave());
    EXPECT_TRUE(engine->AutoSaveQuest(true));
}

TEST_F(MailboxTest, MainPlayerAndWaiting)
{
    EXPECT_TRUE(engine->IsGameWaiting());
    Player* player = MakeMainPlayer();
    EXPECT_TRUE(engine->IsGameWaiting());   // still loading
    engine->SetGameLoading(false);
    EXPECT_FALSE(engine->IsGameWaiting());
    player->SetTeleporting(true);
    EXPECT_TRUE(engine->IsGameWaiting());
}

TEST_F(MailboxTest, PetsSwitchesAndSeeds)
{
    engine->RegisterLocalPet(7);
    engine->RegisterLocalPet(7);
    EXPECT_EQ(engine->GetLocalPetList(), (std::vector<uint32_t>{7}));

    engine->SetRenderingEnabled(false, static_cast<RenderingDisable>(4));
    engine->SetRenderingEnabled(false, static_cast<RenderingDisable>(-1));
    EXPECT_TRUE(engine->IsRenderingEnabled());
    engine->SetRenderingEnabled(false, RenderingDisable_Loading);
    EXPECT_FALSE(engine->IsRenderingEnabled());

    for (int i = 0; i < 100000; ++i)
        ASSERT_NE(engine->GetRandomSeed(), 0);
}

TEST_F(MailboxTest, TryJump)
{
    LogCapture log;
    engine->TryJump(99);
    Region* region = World::Get().AddRegion(1, "Home");
    Coords at;
    at.origin = Vec3{4, 0, 2};
    Object* marker = ObjectManager::Get().CreateObject("Actor");
    World::Get().AddEntity(DynamicCast<Entity>(marker), WorldCoords(region, at));
    engine->TryJump(marker->GetObjectId());
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Entity: 99 is not loaded.", "Player is null!"}));

    Player* player = MakeMainPlayer();
    engine->TryJump(marker->GetObjectId());
    EXPECT_EQ(player->GetCoords().GetPosition(), WorldVec3(region, at.origin));
}

}  // namespace
