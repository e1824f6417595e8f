// A fight's lines call the player this host plays "the player"; another host's player (a
// client's, as its server sees it) is named as the host's other lines name a player.
#include <string>

#include "core/EngineFixture.h"
#include "Game/characters/Player.h"
#include "host/HostFight.h"

namespace GAME {
namespace {

class HostFightNameTest : public EngineTest {};

TEST_F(HostFightNameTest, OnlyTheHostsOwnPlayerIsThePlayer)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    // This host plays another player: the fight's own player is then not the host's.
    auto* own = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
    ASSERT_NE(own, nullptr);
    engine->GetPlayerManagerClient()->SetMainPlayer(own->GetObjectId());
    HostFight fight;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(fight.Start());
    for (int frame = 1; frame <= 12; ++frame) {
        fight.Update(frame, 250);
        gEngine->UpdateFrame(250);
        fight.AfterFrame(frame);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string named = "player " + std::to_string(fight.GetPlayerId()) + " \"Hero\" strikes (blow 1 on ";
    EXPECT_NE(out.find(named), std::string::npos) << out;
    EXPECT_EQ(out.find("the player strikes"), std::string::npos) << out;
    fight.Stop();
}

}  // namespace
}  // namespace GAME
