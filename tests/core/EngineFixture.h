// A game engine built through the library's entry points, a main player on demand, and
// the engine singletons reset after each case.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/items/ItemReplicaInfo.h"
#include "tests/TestDraws.h"

namespace GAME {

// Every game-wide operation, for tests to expect or ignore.
// The constructor and destructor are defined once, in EngineFixture.cpp: they build and
// tear down every mocked method, which is most of the cost of compiling a test file.
class MockNetwork : public GameEngineNetworkInterface {
public:
    MockNetwork();
    ~MockNetwork() override;

    MOCK_METHOD(void, TradeInitiate, (uint32_t, uint32_t), (override));
    MOCK_METHOD(void, TradeCancel, (uint32_t, uint32_t), (override));
    MOCK_METHOD(void, TradeFinalize, (uint32_t, uint32_t), (override));
    MOCK_METHOD(void, TradeAddItem, (uint32_t, uint32_t, const Vec2&, const ItemReplicaInfo&), (override));
    MOCK_METHOD(void, TradeRemoveItem, (uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(void, TradeSetGoldAmount, (uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(void, GiveGoldToPlayer, (uint32_t, int), (override));
    MOCK_METHOD(void, CreateItem, (uint32_t, const WorldCoords&, const ItemReplicaInfo&, std::u16string*),
                (override));
    MOCK_METHOD(void, CreateEntity, (const WorldCoords&, const std::string&, uint32_t), (override));
    MOCK_METHOD(void, CreateFixedItemTeleport,
                (const WorldCoords&, uint32_t, uint32_t, const std::string&, uint32_t), (override));
    MOCK_METHOD(void, DestroyFixedItemTeleport, (uint32_t), (override));
    MOCK_METHOD(void, StoC_AllPlayersHeartbeat, (const std::vector<PlayerNetHeartbeatInfo>&), (override));
    MOCK_METHOD(void, CtoS_SinglePlayerHeartbeat, (const PlayerNetHeartbeatInfo&), (override));
    MOCK_METHOD(void, StoC_AllPlayersUpdate, (const std::vector<PlayerNetBasicInfo>&), (override));
    MOCK_METHOD(void, CtoS_AddNewPlayer, (const PlayerNetBasicInfo&), (override));
    MOCK_METHOD(void, HandleBonusToClient, (const Bonus&, const uint32_t&), (override));
    MOCK_METHOD(void, HandleBonusToServer, (const Bonus&, const WorldVec3&, const uint32_t&), (override));
    MOCK_METHOD(void, HandleQuestMessagePacket, (uint32_t, bool, const std::vector<uint32_t>&, uint32_t),
                (override));
    MOCK_METHOD(void, AddPlayerToParty, (uint32_t, int), (override));
    MOCK_METHOD(void, InvitePlayerToParty, (uint32_t, int), (override));
    MOCK_METHOD(void, GameBalanceUpdate, (int), (override));
    MOCK_METHOD(void, S2C_MarketUpdate,
                (uint32_t, const std::string&, uint32_t, uint32_t, const std::vector<uint32_t>&), (override));
    MOCK_METHOD(void, S2C_MarketPurchaseConfirmation, (uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(void, S2C_MarketPurchaseDenied, (uint32_t, uint32_t, uint32_t, MarketItemStatus), (override));
    MOCK_METHOD(void, S2C_MarketItemStatusUpdate, (uint32_t, uint32_t, MarketItemStatus), (override));
    MOCK_METHOD(void, C2S_MarketPurchaseRequest, (uint32_t, uint32_t, uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(void, C2S_MarketSellBack, (uint32_t, uint32_t, uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(void, C2S_MarketUpdateRequest, (uint32_t), (override));
    MOCK_METHOD(void, DisplayMessageRemote, (uint32_t, uint32_t, bool, const std::string&), (override));
    MOCK_METHOD(void, DisplayWMessageRemote, (uint32_t, bool, const std::u16string&), (override));
    MOCK_METHOD(void, HandleChatMessage,
                (const std::u16string&, const std::u16string&, unsigned char, std::vector<uint32_t>), (override));
    MOCK_METHOD(void, QuestCommandMove, (uint32_t, uint32_t, WorldVec3, bool), (override));
    MOCK_METHOD(void, QuestCommandWalk, (uint32_t, uint32_t, WorldVec3, bool), (override));
    MOCK_METHOD(void, QuestCommandPlayAnimation, (uint32_t, uint32_t, bool, bool), (override));
    MOCK_METHOD(void, QuestCommandUseSkill, (uint32_t, const std::string&, uint32_t, bool), (override));
    MOCK_METHOD(void, QuestCommandLockFixedItem, (uint32_t, bool), (override));
};

// Writes down the portals and messages it is asked to send and ignores the rest.
class PortalAndMessageRecorder : public MockNetwork {
public:
    PortalAndMessageRecorder();
    ~PortalAndMessageRecorder() override;

    void CreateFixedItemTeleport(const WorldCoords&, uint32_t owner, uint32_t portal, const std::string& text,
                                 uint32_t target) override
    {
        calls.push_back("portal " + std::to_string(owner) + " " + std::to_string(portal) + " " + text + " " +
                        std::to_string(target));
    }
    void DisplayWMessageRemote(uint32_t to, bool, const std::u16string&) override
    {
        calls.push_back("message " + std::to_string(to));
    }

    std::vector<std::string> calls;
};

// The nice and strict forms are classes of their own, built in EngineFixture.cpp, so that
// a test file does not instantiate every mocked method again through them.
class RecordingNetwork : public ::testing::NiceMock<PortalAndMessageRecorder> {
public:
    RecordingNetwork();
    ~RecordingNetwork() override;
};
class NiceNetwork : public ::testing::NiceMock<MockNetwork> {
public:
    NiceNetwork();
    ~NiceNetwork() override;
};
class StrictNetwork : public ::testing::StrictMock<MockNetwork> {
public:
    StrictNetwork();
    ~StrictNetwork() override;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
        engine = gGameEngine;
    }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");   // a case that reads the bundled records
        Jukebox::Get().Reset();
        AmbianceManager::Get().Reset();
        GameInfo::Get().Reset();
        PhysicsEngine::Get().Reset();
    }

    // The main player's id is the same in every case and above any id that the object
    // counter reaches in a test program (the counter is not reset between cases), so it never
    // equals one of the small ids that the cases give the other players.
    static constexpr uint32_t kMainPlayerId = 0x0FFFFF00;
    Player* MakeMainPlayer()
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kMainPlayerId));
        engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
        return player;
    }
    // Roster records for these ids, each named "P" and its id, in no party.
    static std::vector<PlayerNetBasicInfo> Roster(std::initializer_list<uint32_t> ids)
    {
        std::vector<PlayerNetBasicInfo> records;
        for (uint32_t id : ids) {
            PlayerNetBasicInfo record;
            record.playerId = id;
            const std::string name = "P" + std::to_string(id);
            record.playerName.assign(name.begin(), name.end());
            records.push_back(record);
        }
        return records;
    }
    bool Unlocked(unsigned page) const
    {
        const std::vector<uint32_t>& list = engine->GetTutorialUnlockList();
        return std::find(list.begin(), list.end(), page) != list.end();
    }

    GameEngine* engine = nullptr;
};

}  // namespace GAME

// The signatures of MockNetwork's methods. The machinery GoogleMock builds for each (its
// expectations, matchers, actions and failure messages) is instantiated once, in
// EngineFixture.cpp, instead of in every test file that expects a call. A method added with
// a new signature works without being listed here; listing it keeps the test files cheap.
#define GAME_MOCK_NETWORK_SIGNATURES(X)                                                            \
    X(void(uint32_t))                                                                              \
    X(void(int))                                                                                   \
    X(void(uint32_t, int))                                                                         \
    X(void(uint32_t, bool))                                                                        \
    X(void(uint32_t, uint32_t))                                                                    \
    X(void(uint32_t, uint32_t, uint32_t))                                                          \
    X(void(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t))                                      \
    X(void(uint32_t, uint32_t, const GAME::Vec2&, const GAME::ItemReplicaInfo&))                   \
    X(void(uint32_t, const GAME::WorldCoords&, const GAME::ItemReplicaInfo&, std::u16string*))     \
    X(void(const GAME::WorldCoords&, const std::string&, uint32_t))                                \
    X(void(const GAME::WorldCoords&, uint32_t, uint32_t, const std::string&, uint32_t))            \
    X(void(const std::vector<GAME::PlayerNetHeartbeatInfo>&))                                      \
    X(void(const GAME::PlayerNetHeartbeatInfo&))                                                   \
    X(void(const std::vector<GAME::PlayerNetBasicInfo>&))                                          \
    X(void(const GAME::PlayerNetBasicInfo&))                                                       \
    X(void(const GAME::Bonus&, const uint32_t&))                                                   \
    X(void(const GAME::Bonus&, const GAME::WorldVec3&, const uint32_t&))                           \
    X(void(uint32_t, bool, const std::vector<uint32_t>&, uint32_t))                                \
    X(void(uint32_t, const std::string&, uint32_t, uint32_t, const std::vector<uint32_t>&))        \
    X(void(uint32_t, uint32_t, uint32_t, GAME::MarketItemStatus))                                  \
    X(void(uint32_t, uint32_t, GAME::MarketItemStatus))                                            \
    X(void(uint32_t, uint32_t, bool, const std::string&))                                          \
    X(void(uint32_t, bool, const std::u16string&))                                                 \
    X(void(const std::u16string&, const std::u16string&, unsigned char, std::vector<uint32_t>))    \
    X(void(uint32_t, uint32_t, GAME::WorldVec3, bool))                                             \
    X(void(uint32_t, uint32_t, bool, bool))                                                        \
    X(void(uint32_t, const std::string&, uint32_t, bool))

#define GAME_MOCK_NETWORK_EXTERN(F)                                \
    extern template class ::testing::internal::FunctionMocker<F>; \
    extern template class ::testing::internal::TypedExpectation<F>;
GAME_MOCK_NETWORK_SIGNATURES(GAME_MOCK_NETWORK_EXTERN)
#undef GAME_MOCK_NETWORK_EXTERN
