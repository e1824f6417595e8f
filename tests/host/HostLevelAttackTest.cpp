// A level's attack steps are the player's clicks: the host holds the button on each foe in
// turn, never strikes it itself, and leaves the player mortal.
#include "core/EngineFixture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/TeamManager.h"
#include "host/HostLevel.h"

namespace GAME {
namespace {

class HostLevelAttackTest : public EngineTest {};

// The foe the player's controller goes for: its combat enemy, or the held button's.
uint32_t Target(const ControllerPlayer& mind)
{
    return mind.GetMouseRepeatTarget() ? mind.GetMouseRepeatTarget() : mind.GetCombatEnemy();
}

TEST_F(HostLevelAttackTest, EachAttackHoldsTheButtonOnItsFoeUntilItFallsAndDealsNoBlowOfItsOwn)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.SetDataRoot(GAME_DATA_DIR);
    records.RegisterRecord("Records/Test/FoeA.dbr", "Class,Monster,\ncharacterLife,50,\n");
    records.RegisterRecord("Records/Test/FoeB.dbr", "Class,Monster,\ncharacterLife,50,\n");
    Region* region = World::Get().AddRegion(1, "Arena");
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
    ASSERT_NE(player, nullptr);
    player->SetIsControllingCharacter(true);
    ASSERT_TRUE(World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation({0, 0, 0}))));
    player->SetPathPosition(WorldVec3(region, Vec3{0, 0, 0}));
    player->SetTeam(TeamManager::DefaultPlayerTeam());
    engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
    engine->SetPlayer(player);
    std::vector<Character*> foes;
    for (const char* record : {"Records/Test/FoeA.dbr", "Records/Test/FoeB.dbr"}) {
        auto* foe = ObjectManager::Get().CreateObjectFromFile<Character>(record);
        ASSERT_NE(foe, nullptr);
        const float x = foes.empty() ? 3.0f : -3.0f;
        ASSERT_TRUE(World::Get().AddEntity(foe, WorldCoords(region, Coords::MakeTranslation({x, 0, 0}))));
        foe->SetPathPosition(WorldVec3(region, Vec3{x, 0, 0}));
        foe->SetTeam(TeamManager::DefaultMonsterTeam());
        foes.push_back(foe);
    }
    for (Character* character : {static_cast<Character*>(player), foes[0], foes[1]}) {
        character->GetCharacterBio().InitialUpdate(*character);
        character->GetCharacterBio().Update(*character, 0);
    }
    for (int i = 0; i < 3; ++i)
        gEngine->UpdateFrame(100);
    ControllerPlayer* mind = player->GetPlayerController();
    ASSERT_NE(mind, nullptr);

    HostLevel level;
    ASSERT_TRUE(level.Parse("region 1 Arena\nplayer Records/Creatures/ArenaPlayer.dbr 0 0 0\n"
                            "at 1 attack Records/Test/FoeA.dbr\nat 1 attack Records/Test/FoeB.dbr\n"))
        << level.GetError();
    HostLevelArrival arrival(level);
    ASSERT_TRUE(arrival.Arrive(player->GetObjectId(), 0));
    arrival.AfterFrame(0);   // the level learns of the characters in the world
    EXPECT_FALSE(player->IsInvincible());
    const float lifeA = foes[0]->GetCurrentLife();
    const float lifeB = foes[1]->GetCurrentLife();
    arrival.BeforeFrame(1);
    EXPECT_TRUE(player->IsAlive()) << mind->GetExecutingStateName();
    EXPECT_EQ(Target(*mind), foes[0]->GetObjectId());
    EXPECT_EQ(foes[0]->GetCurrentLife(), lifeA);   // the click deals no blow
    gEngine->UpdateFrame(100);
    arrival.BeforeFrame(2);   // the button is held on the first foe
    EXPECT_EQ(Target(*mind), foes[0]->GetObjectId());

    // The first foe falls: the next attack takes up the second.
    foes[0]->SetLifeState(Character_LifeState_Dead);
    gEngine->UpdateFrame(100);
    arrival.BeforeFrame(3);
    EXPECT_EQ(Target(*mind), foes[1]->GetObjectId());
    EXPECT_EQ(foes[1]->GetCurrentLife(), lifeB);
    EXPECT_FALSE(player->IsInvincible());
}

}  // namespace
}  // namespace GAME
