// Monster: its load by rank, the skills its controller is handed, its look, its
// ambient timer, its leader and its death.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Localization.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/BoundingVolumeBossMonster.h"

namespace GAME {

// Wears an item in each of the nine loot entries and writes down the order they come off.
class DropLogMonster : public Monster {
    GAME_DECLARE_CLASS(DropLogMonster)

public:
    void Wear()
    {
        for (size_t entry = 0; entry < 9; ++entry)
            LootItemId(entry) = 100 + static_cast<uint32_t>(entry);
    }
    void DetachItemAction(uint32_t itemId) override { detached.push_back(itemId); }
    uint32_t Worn(size_t entry) { return LootItemId(entry); }
    std::vector<uint32_t> detached;
};
GAME_IMPLEMENT_CLASS(DropLogMonster, Monster)

namespace {

class MonsterTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord(kSkill, "Class,Skill,\nskillMaxLevel,10,\n");
        RecordDatabase::Get().RegisterRecord(kBanner, "Class,Actor,\n");
    }
    // A monster loaded again from its record after a skill was given to it, as the
    // skill manager would have made it.
    Monster* MakeWithSkill(const std::string& keys, uint32_t& skillId)
    {
        auto* monster = Make<Monster>(keys);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
        monster->GetSkillManager().AddSkill(skill);
        skillId = skill->GetObjectId();
        monster->Load(*RecordDatabase::Get().Find(monster->GetObjectName()));
        return monster;
    }
    static constexpr const char* kSkill = "Records/Test/MonsterSkill.dbr";
    static constexpr const char* kBanner = "Records/Test/Banner.dbr";
};

TEST_F(MonsterTest, SkillsReachTheControllerAndAnUnknownSpecialAttackReadsNothingMore)
{
    uint32_t skill = 0;
    Monster* monster = MakeWithSkill(std::string("attackSkillName,") + kSkill +
                                         ",\nspecialAttackSkillName,Records/Test/Unknown.dbr,\n"
                                         "specialAttackTimeout,2,\nspecialAttackChance,50,\n"
                                         "specialAttack3SkillName," + kSkill + ",\nspecialAttack3Timeout,1.5,\n"
                                         "specialAttack3Delay,0.25,\nspecialAttack3Chance,40.9,\n"
                                         "specialAttack3Range,LongRange,\nhealSkillName," + kSkill + ",\n"
                                         "chainBehavior,UseOnSelf,\nlongRangeMax,20,\n",
                                     skill);
    ControllerMonster* controller = monster->GetMonsterController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetObjectName(), Monster::kDefaultControllerRecord);
    EXPECT_EQ(controller->GetDefaultSkillId(), SkillManager::kBareHandSkill);
    EXPECT_EQ(controller->GetNormalSkillId(), skill);
    const ControllerMonster::SpecialAttack& unknown = controller->GetSpecialAttack(0);
    EXPECT_EQ(unknown.skillId, 0u);
    EXPECT_EQ(unknown.timeoutMs, 0);
    EXPECT_EQ(unknown.chance, 0u);
    const ControllerMonster::SpecialAttack& third = controller->GetSpecialAttack(2);
    EXPECT_EQ(third.skillId, skill);
    EXPECT_EQ(third.timeoutMs, 1500);
    EXPECT_EQ(third.delayMs, 250);
    EXPECT_EQ(third.chance, 40u);
    EXPECT_EQ(third.range, SkillUseRange_Long);
    EXPECT_EQ(controller->GetHealSkillId(), skill);
    EXPECT_EQ(controller->GetHealDelay(), 3000);
    EXPECT_EQ(controller->GetChainBehavior(), 2u);
    EXPECT_FLOAT_EQ(controller->GetSkillRanges().mediumMax, 8.0f);
    EXPECT_FLOAT_EQ(controller->GetSkillRanges().longMax, 20.0f);
}

TEST_F(MonsterTest, NetworkClientGetsTheStubAndHandsNoSkills)
{
    engine->SetAsNetworkClient();
    uint32_t skill = 0;
    Monster* monster = MakeWithSkill(std::string("attackSkillName,") + kSkill + ",\n", skill);
    ControllerMonster* controller = monster->GetMonsterController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetObjectName(), Monster::kStubControllerRecord);
    EXPECT_EQ(controller->GetNormalSkillId(), 0u);
    EXPECT_FALSE(monster->IsControllingCharacter());
}

TEST_F(MonsterTest, RankPicksTheCapKeysAndCapsClampToTheBase)
{
    GameRecord("bossRunSpeedCapMin,50,\nbossRunSpeedCapMax,150,\nmonsterRunSpeedCapMin,0,\n"
               "monsterRunSpeedCapMax,200,\nmonsterAttackSpeedCapMin,10,\nmonsterAttackSpeedCapMax,20,\n");
    auto* boss = Make<Monster>("monsterClassification,Boss,\ncharacterRunSpeed,100,\n");
    auto* hero = Make<Monster>("monsterClassification,Hero,\ncharacterRunSpeed,100,\n");
    EXPECT_EQ(boss->GetClassification(), MonsterClassification_Boss);
    EXPECT_STREQ(boss->GetSpeedCapKeys()[0], "bossRunSpeedCapMin");
    EXPECT_STREQ(hero->GetSpeedCapKeys()[5], "monsterAttackSpeedCapMax");
    // The hero's run minimum is 0: no cap.
    EXPECT_FLOAT_EQ(hero->CapRunSpeed(1000.0f), 1000.0f);
    const float base = boss->GetCharacterBio().GetBaseCharAttribute(CharAttributeType_RunSpeed);
    EXPECT_FLOAT_EQ(boss->CapRunSpeed(1000.0f), 1.5f * base);
    EXPECT_FLOAT_EQ(boss->CapRunSpeed(0.0f), 0.5f * base);
    auto* careless = Make<Monster>("monsterClassification,Chieftain,\nrampageSoundDelay,1e12,\n");
    EXPECT_EQ(careless->GetClassification(), MonsterClassification_Common);
    EXPECT_EQ(careless->GetRampageSoundDelay(), 0);
}

// The look is chosen from the object id; an empty list is never indexed or divided by.
TEST_F(MonsterTest, AlternativeLookNeverIndexesAnEmptyList)
{
    struct Case {
        const char* keys;
        bool mesh, base, bump;
    };
    const Case cases[] = {
        {"monsterMesh,A.msh;B.msh;C.msh,\nmonsterBumpTexture,X.tex,\n", true, false, false},
        {"monsterBaseTexture,A.tex;B.tex,\n", false, true, false},
        {"monsterBumpTexture,A.tex;B.tex,\n", false, false, true},
        {"", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto* monster = Place(Make<Monster>(c.keys));
        Frame();
        EXPECT_EQ(!monster->GetMeshName().empty(), c.mesh);
        EXPECT_EQ(!monster->GetBaseTextureName().empty(), c.base);
        // With a mesh chosen, the bump texture follows only when its index is inside.
        if (c.mesh)
            EXPECT_EQ(monster->GetBumpTextureName().empty(), monster->GetObjectId() % 3 != 0);
        else
            EXPECT_EQ(!monster->GetBumpTextureName().empty(), c.bump);
    }
    auto* monster = Place(Make<Monster>("monsterMesh,A.msh;B.msh,\nmonsterBaseTexture,T0;T1,\n"));
    Frame();
    const size_t i = monster->GetObjectId() % 2;
    EXPECT_EQ(monster->GetMeshName(), i == 0 ? "A.msh" : "B.msh");
    EXPECT_EQ(monster->GetBaseTextureName(), i == 0 ? "T0" : "T1");
}

TEST_F(MonsterTest, AmbientTimerPlaysWithinItsPeriodAndStaysOffAtZero)
{
    std::string sound = std::string("ambientSound,") + kSound + ",\n";
    auto* silent = Place(Make<Monster>(sound));
    auto* chatty = Place(Make<Monster>(sound + "ambientPeriodMin,0.1,\nambientPeriodMax,0.1,\n"));
    EXPECT_FLOAT_EQ(silent->GetAmbientTimer(), 0.0f);
    EXPECT_FLOAT_EQ(chatty->GetAmbientTimer(), 100.0f);
    for (int i = 0; i < 8; ++i)
        Frame(16);
    EXPECT_EQ(silent->GetAmbientSound()->GetPlayCount(), 0u);
    EXPECT_EQ(chatty->GetAmbientSound()->GetPlayCount(), 1u);
    EXPECT_GT(chatty->GetAmbientTimer(), 0.0f);
}

TEST_F(MonsterTest, LeaderGoneKillsThePetOfAPlayerAndFreesTheMonsterOfAMonster)
{
    GameRecord(std::string("monsterPetBannerName,") + kBanner + ",\n");
    auto* pet = Place(Make<Monster>());
    auto* converted = Place(Make<Monster>());
    Character* player = Place(Make("", "Player"));
    auto* chief = Place(Make<Monster>());
    Frame();
    const Team ownTeam = converted->GetTeam();
    chief->SetTeam(TeamManager::BuildTeam(5, 1));
    pet->JoinMe(player->GetObjectId(), -1, false);
    converted->JoinMe(chief->GetObjectId(), -1, true);
    EXPECT_EQ(converted->GetTeam().GetTeamMajor(), 5u);
    EXPECT_EQ(converted->GetLeader(), chief->GetObjectId());
    EXPECT_NE(converted->GetAttachedBanner(), nullptr);
    Frame();
    EXPECT_TRUE(pet->IsAlive());

    ObjectManager::Get().DestroyObjectEx(player, "test", __LINE__);
    ObjectManager::Get().DestroyObjectEx(chief, "test", __LINE__);
    Frame();
    Frame();
    EXPECT_FALSE(pet->IsAlive());
    EXPECT_TRUE(converted->IsAlive());
    EXPECT_EQ(converted->GetLeader(), 0u);
    EXPECT_EQ(converted->GetTeam().GetTeamMajor(), ownTeam.GetTeamMajor());
    EXPECT_EQ(converted->GetJoinTimer(), -1);
    EXPECT_EQ(converted->GetAttachedBanner(), nullptr);
}

TEST_F(MonsterTest, TimedJoinEndsWhenItsTimeRunsOut)
{
    auto* follower = Place(Make<Monster>());
    auto* chief = Place(Make<Monster>());
    Frame();
    follower->JoinMe(chief->GetObjectId(), 40, false);
    follower->JoinMe(chief->GetObjectId(), 40, false);   // already joined: refused
    EXPECT_EQ(follower->GetMonsterController()->GetLeader(), chief->GetObjectId());
    Frame(16);
    Frame(16);
    EXPECT_EQ(follower->GetLeader(), chief->GetObjectId());
    Frame(16);
    EXPECT_EQ(follower->GetLeader(), 0u);
    EXPECT_EQ(follower->GetMonsterController()->GetLeader(), 0u);
}

TEST_F(MonsterTest, DyingDropsLooseItemsThenFirmOnesAndLetsGoOfBannersAndSound)
{
    auto* monster = Place(Make<DropLogMonster>(std::string("aliveSound,") + kSound + ",\n", "DropLogMonster"));
    Frame();
    EXPECT_TRUE(monster->GetAliveSound()->IsPlaying());
    monster->SetBaseBanner(kBanner);
    monster->SetControlBanner(kBanner);
    Actor* control = monster->GetAttachedBanner();
    ASSERT_NE(control, nullptr);
    monster->RemoveControlBanner();
    EXPECT_NE(monster->GetAttachedBanner(), nullptr);
    EXPECT_NE(monster->GetAttachedBanner(), control) << "the base banner hangs again once the control one goes";
    monster->Wear();
    monster->CharacterIsDying();
    EXPECT_EQ(monster->detached, (std::vector<uint32_t>{103, 102, 100, 101, 107, 108, 104, 105, 106}));
    for (size_t entry = 0; entry < 9; ++entry)
        EXPECT_EQ(monster->Worn(entry), 0u);
    EXPECT_EQ(monster->GetAttachedBanner(), nullptr);
    EXPECT_FALSE(monster->GetAliveSound()->IsPlaying() && monster->GetAliveSound()->GetTrackedObject() != 0);
}

TEST_F(MonsterTest, BossCarriesItsVolumesAndHasTheRedOutline)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Volumes.dbr", "Class,BoundingVolumeBossMonster,\n");
    auto* boss = Place(Make<Monster>("bossBoundingVolumes,Records/Test/Volumes.dbr,\n"));
    Frame();
    ASSERT_EQ(boss->GetNumAttachedEntities(), 1u);
    auto* volume = DynamicCast<BoundingVolumeBossMonster>(boss->GetAttachedEntity(0));
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->GetBossId(), boss->GetObjectId());
    EXPECT_EQ(boss->GetOutlineColor(), (Color{1.0f, 0.0f, 0.0f, 0.3f}));
}

// A record without life makes a monster that its first update kills when one player
// plays alone: its initial update names the record; one with life, or an invincible one,
// is not named.
TEST_F(MonsterTest, ARecordWithoutLifeIsNamedWhenItsMonsterEntersPlay)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Lifeless.dbr", "Class,Monster,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Warded.dbr", "Class,Monster,\ninvincible,1,\n");
    LogCapture log;
    Place(ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Lifeless.dbr"));
    Place(ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Warded.dbr"), 10.0f);
    Place(Make<Monster>(), 20.0f);
    Frame();
    const std::string prefix = "Monster: ";
    size_t named = 0;
    for (const std::string& text : log.Texts())
        named += text.rfind(prefix, 0) == 0 && text.find("characterLife") != std::string::npos;
    EXPECT_EQ(named, 1u);
    EXPECT_TRUE(log.Contains("Monster: Records/Test/Lifeless.dbr gives no \"characterLife\"; it lives only on what "
                             "the balance pack adds"));
}

// A monster's name goes through the text's simple format once, as a townsman's of the same
// tag does.
TEST_F(MonsterTest, ItsNameIsFormattedOnceAsAnyCharacters)
{
    LocalizationManager::Instance().RegisterTags("SimpleStringFormat=[%s]\ntagHillOgre=Hill Ogre\n");
    auto* monster = Make<Monster>("description,tagHillOgre,\n");
    auto* townsman = Make<Character>("description,tagHillOgre,\n", "Npc");
    ASSERT_NE(townsman, nullptr);
    EXPECT_EQ(townsman->GetGameDescription(false), u"[Hill Ogre]");
    EXPECT_EQ(monster->GetGameDescription(false), gGameEngine->GetMonsterColor(monster->GetClassification()) + u"[Hill Ogre]");
    LocalizationManager::Instance().RegisterTags("SimpleStringFormat=%s\n");   // as the other tests read names
}

// The bones of a corpse lose their brain while attached and get it back when let go;
// the stub they held meanwhile does not outlive them.
TEST_F(MonsterTest, LobotomizeLeavesTheStubAndBrainTransplantGivesTheControllerBack)
{
    auto* bones = Make<Monster>();
    ControllerMonster* brain = bones->GetMonsterController();
    ASSERT_NE(brain, nullptr);
    EXPECT_EQ(bones->Lobotomize(), brain);
    EXPECT_NE(bones->GetControllerId(), brain->GetObjectId());
    EXPECT_NE(bones->GetControllerId(), 0u);
    const uint32_t stub = bones->GetControllerId();
    bones->BrainTransplant(brain);
    EXPECT_EQ(bones->GetControllerId(), brain->GetObjectId());
    EXPECT_EQ(brain->GetParentId(), bones->GetObjectId());
    Frame();
    EXPECT_EQ(ObjectManager::Get().GetObject(stub), nullptr) << "the stub it replaced is destroyed";
    // A monster whose controller is no monster's has nothing to hand out.
    Character* plain = Make();
    Control(plain);
    const uint32_t before = plain->GetControllerId();
    auto* monster = static_cast<Monster*>(plain);
    EXPECT_EQ(monster->Lobotomize(), nullptr);
    EXPECT_EQ(plain->GetControllerId(), before);
}

}  // namespace
}  // namespace GAME
