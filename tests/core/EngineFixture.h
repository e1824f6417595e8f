// A game engine built through the library's entry points, a main player on demand, and
// the engine singletons reset after each case.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/PlayerManagerClient.h"

namespace GAME {

// Writes down the portals and messages it is asked to send.
class RecordingNetwork : public GameEngineNetworkInterface {
public:
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
    void DisplayMessageRemote(uint32_t, uint32_t, bool, const std::string&) override {}
    void InvitePlayerToParty(uint32_t, int) override {}

    std::vector<std::string> calls;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeObjects();
        engine = gGameEngine;
    }
    void TearDown() override
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
        Jukebox::Get().Reset();
        AmbianceManager::Get().Reset();
        GameInfo::Get().Reset();
    }

    Player* MakeMainPlayer()
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
        engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
        return player;
    }
    bool Unlocked(unsigned page) const
    {
        const std::vector<uint32_t>& list = engine->GetTutorialUnlockList();
        return std::find(list.begin(), list.end(), page) != list.end();
    }

    GameEngine* engine = nullptr;
};

}  // namespace GAME
