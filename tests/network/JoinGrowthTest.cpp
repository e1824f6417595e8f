// A client's player joins with no more than its level could have grown it to: an image
// past any bound makes nothing; one within them joins whole.
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/core/TeamManager.h"
#include "Game/session/SpawnReplication.h"
#include "Game/skills/Skill.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace join_growth_test {

constexpr const char* kMastery = "Records/Skills/Warfare/WarfareMastery.dbr";

Skill* Mastery(Character& character)
{
    return ObjectManager::Get().GetObject<Skill>(character.GetSkillManager().FindSkillId(kMastery));
}

// The host gives every player the mastery, at level 0.
class JoinGrowthTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        ForgetClientPlayer();
        SetSpawnPreparer(Teach);
    }
    void TearDown() override
    {
        SetSpawnPreparer({});
        HostileServerTest::TearDown();
    }
    static void Teach(Character& character)
    {
        character.GetSkillManager().AddSkill(ObjectManager::Get().CreateObjectFromFile<Skill>(kMastery));
    }
    // The client's player at level 2, its points all spent (3 attribute points: strength
    // 50 -> 62; 4 skill points: the mastery 0 -> 4), then as `shape` leaves it, joins.
    void Join(void (*shape)(Player&))
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
        World::Get().AddEntity(player, Here());
        Teach(*player);
        Mastery(*player)->SetSkillLevel(4);
        player->GetLevelControl().SetLevelAndExperience(2, 2999);
        player->GetCharacterBio().SetBaseCharAttribute(CharAttributeType_Strength, 62.0f);
        shape(*player);
        Send(*ClientSpawnOf(player));
        gEngine->UpdateFrame(0);
    }
};

TEST_F(JoinGrowthTest, AnImagePastWhatItsLevelGivesMakesNothingAndOneWithinJoinsWhole)
{
    LogCapture log;
    const std::pair<void (*)(Player&), const char*> hostile[] = {
        {[](Player& p) { p.GetLevelControl().SetLevelAndExperience(66, 0); }, "a level its record's levels do not reach"},
        {[](Player& p) { p.GetLevelControl().SetLevelAndExperience(2, 3000); }, "more experience than its level holds"},
        {[](Player& p) { p.SetTeam(TeamManager::DefaultMonsterTeam()); }, "another side than its record's"},
        {[](Player& p) { p.GetCharacterBio().SetBaseCharAttribute(CharAttributeType_Life, 301.0f); },
         "base attributes above what the points of its level give"},
        {[](Player& p) { Mastery(p)->SetSkillLevel(5); }, "skill levels above what the points of its level give"},
    };
    for (const auto& [shape, refusal] : hostile) {
        Join(shape);
        EXPECT_TRUE(log.Contains(std::string("SpawnPlayerPacket from host 1 dropped: it claims ") + refusal)) << refusal;
        EXPECT_EQ(ObjectManager::Get().GetObject(kClientPlayer), nullptr) << refusal;
    }
    Join([](Player&) {});
    auto* guest = ObjectManager::Get().GetObject<Player>(kClientPlayer);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetLevelControl().GetLevel(), 2u);
    EXPECT_EQ(guest->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength), 62.0f);
    EXPECT_EQ(Mastery(*guest)->GetSkillLevel(), 4);
}

}  // namespace join_growth_test
}  // namespace GAME
