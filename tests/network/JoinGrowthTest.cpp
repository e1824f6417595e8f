// A client's player joins with what its level could have grown it to: a character of the
// record given what the host gives (here the mastery), at a level its levels reach, with
// no more experience than that level holds, a player's side, and attributes and skills
// above the fresh ones that its level's points pay for. An image past any of these makes
// nothing; one within them joins whole.
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/core/TeamManager.h"
#include "Game/session/SpawnReplication.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace join_growth_test {

constexpr const char* kMastery = "Records/Skills/Warfare/WarfareMastery.dbr";

class JoinGrowthTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        ObjectManager::Get().DestroyObjectEx(client, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        SetSpawnPreparer([](Character& character) { Teach(character); });
    }
    void TearDown() override
    {
        SetSpawnPreparer({});
        HostileServerTest::TearDown();
    }
    static Skill* Teach(Character& character)
    {
        character.GetSkillManager().AddSkill(ObjectManager::Get().CreateObjectFromFile<Skill>(kMastery));
        return ObjectManager::Get().GetObject<Skill>(character.GetSkillManager().FindSkillId(kMastery));
    }
    // The client's player at level 2 (points: 1 of the record and 2 of the level for
    // attributes, 1 and 3 for skills), as `shape` leaves it, sent as its join.
    template <class Shape>
    void Join(Shape&& shape)
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
        World::Get().AddEntity(player, Here());
        player->GetLevelControl().SetLevelAndExperience(2, 2999);
        Teach(*player)->SetSkillLevel(4);
        player->GetCharacterBio().SetBaseCharAttribute(CharAttributeType_Strength, 62.0f);
        shape(*player);
        std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*player);
        packet->playerObjectId = kClientPlayer;
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        Send(*packet);
        gEngine->UpdateFrame(0);
    }
    static bool Joined() { return ObjectManager::Get().GetObject(kClientPlayer) != nullptr; }
};

TEST_F(JoinGrowthTest, AnImagePastWhatItsLevelGivesMakesNothingAndOneWithinJoinsWhole)
{
    LogCapture log;
    const struct {
        void (*shape)(Player&);
        const char* refusal;
    } hostile[] = {
        {[](Player& p) { p.GetLevelControl().SetLevelAndExperience(66, 0); },
         "it claims a level its record's levels do not reach"},
        {[](Player& p) { p.GetLevelControl().SetLevelAndExperience(2, 3000); },
         "it claims more experience than its level holds"},
        {[](Player& p) { p.SetTeam(TeamManager::DefaultMonsterTeam()); }, "it claims another side than its record's"},
        {[](Player& p) { p.GetCharacterBio().SetBaseCharAttribute(CharAttributeType_Life, 301.0f); },
         "it claims base attributes above what the points of its level give"},
        {[](Player& p) { ObjectManager::Get().GetObject<Skill>(p.GetSkillManager().FindSkillId(kMastery))->SetSkillLevel(5); },
         "it claims skill levels above what the points of its level give"},
    };
    for (const auto& each : hostile) {
        Join(each.shape);
        EXPECT_TRUE(log.Contains(std::string("SpawnPlayerPacket from host 1 dropped: ") + each.refusal)) << each.refusal;
        EXPECT_FALSE(Joined()) << each.refusal;
    }

    Join([](Player&) {});
    auto* guest = ObjectManager::Get().GetObject<Player>(kClientPlayer);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetLevelControl().GetLevel(), 2u);
    EXPECT_EQ(guest->GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength), 62.0f);
    EXPECT_EQ(ObjectManager::Get().GetObject<Skill>(guest->GetSkillManager().FindSkillId(kMastery))->GetSkillLevel(), 4);
}

}  // namespace join_growth_test
}  // namespace GAME
